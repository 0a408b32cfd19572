#include <FL/Fl.H>

#include <cstdio>
#include <memory>

#include "app/CommandLine.h"
#include "app/EditorWindow.h"

int main(int argc, char** argv) {
  const CommandLine line = readCommandLine(argc, argv);
  if (line.ask != CommandLine::Ask::edit) {
    const bool help = line.ask == CommandLine::Ask::help;
    if (!help) std::fprintf(stderr, "%s: give one clip, or --help\n", argv[0]);
    std::fputs(editorUsage(argv[0]).c_str(), help ? stdout : stderr);
    return help ? 0 : 2;
  }
  auto window = std::make_unique<EditorWindow>(line.clip);
  window->show();
  Fl::run();
  window.reset();
  // The editor has always ended with status 1 after a normal run.
  return 1;
}
