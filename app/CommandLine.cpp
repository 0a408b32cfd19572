#include "app/CommandLine.h"

CommandLine readCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  bool namesOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (!namesOnly && word == "--") {
      namesOnly = true;
    } else if (!namesOnly && (word == "--help" || word == "-h")) {
      line.ask = CommandLine::Ask::help;
      return line;
    } else if ((!namesOnly && !word.empty() && word[0] == '-') || !line.clip.empty() ||
               word.empty()) {
      line.ask = CommandLine::Ask::wrong;
      return line;
    } else {
      line.clip = word;
    }
  }
  return line;
}

std::string editorUsage(const std::string& program) {
  return "Usage: " + program +
         " [CLIP]\n"
         "Edits the path a motion-capture clip (BVH) walks along.\n"
         "  CLIP    the clip to load at start; without it a file chooser asks for one\n"
         "          (cancel it for dance01.bvh). A clip that cannot be loaded gives\n"
         "          dance01.bvh, and the status line says why.\n"
         "  --help  prints this and exits\n"
         "In the editor, F1 or ? shows every key.\n";
}
