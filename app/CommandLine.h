#pragma once

#include <string>

// What the editor was asked for on its command line: `motion-path-editor
// [CLIP]` or `motion-path-editor --help`.
struct CommandLine {
  enum class Ask { edit, help, wrong };
  Ask ask = Ask::edit;
  // The clip to load at start instead of asking with the chooser; empty:
  // ask as always.
  std::string clip;
};

// Reads the arguments after the program's name: none (the start-up asks),
// one clip name, or --help (-h); anything else (two names, an unknown option)
// is wrong. A name that starts with "-" is taken as a clip after "--".
CommandLine readCommandLine(int argc, const char* const* argv);

// The usage text, naming the program as program.
std::string editorUsage(const std::string& program);
