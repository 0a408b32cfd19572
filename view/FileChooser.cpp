#include "view/FileChooser.h"

#include <FL/Fl_File_Chooser.H>

#include <utility>

namespace {

FileChooserFunction& installedChooser() {
  static FileChooserFunction chooser;
  return chooser;
}

}  // namespace

const char* chooseFile(const char* message, const char* pattern) {
  const FileChooserFunction& chooser = installedChooser();
  if (chooser) {
    return chooser(message, pattern);
  }
  return fl_file_chooser(message, pattern, nullptr);
}

FileChooserFunction setFileChooser(FileChooserFunction chooser) {
  return std::exchange(installedChooser(), std::move(chooser));
}
