#include "view/FileChooser.h"

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Window.H>

#include <string>
#include <utility>

namespace {

FileChooserFunction& installedChooser() {
  static FileChooserFunction chooser;
  return chooser;
}

std::string& lastFolder() {
  static std::string folder = ".";
  return folder;
}

std::string folderOf(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : name.substr(0, slash);
}

Fl_File_Input* findFileInput(Fl_Group& group) {
  for (int i = 0; i < group.children(); ++i) {
    Fl_Widget* child = group.child(i);
    if (auto* input = dynamic_cast<Fl_File_Input*>(child)) return input;
    if (Fl_Group* inner = child->as_group()) {
      if (Fl_File_Input* input = findFileInput(*inner)) return input;
    }
  }
  return nullptr;
}

// The name field of the open chooser, for the dispatch below.
Fl_File_Input* typingInput = nullptr;

// The toolkit's chooser turns a name that becomes relative while typed into
// a garbled path, and glues a slash typed after its folder onto that folder.
// The field therefore always holds an absolute name (the folder shown, then
// the file name), and a slash typed right after a slash starts over at the
// root, so absolute names can be typed over the suggestion.
int chooserDispatch(int event, Fl_Window* window) {
  if (event == FL_KEYBOARD && typingInput != nullptr && Fl::focus() == typingInput &&
      Fl::event_length() == 1 && Fl::event_text()[0] == '/') {
    const int start = std::min(typingInput->position(), typingInput->mark());
    if (start > 0 && typingInput->value()[start - 1] == '/') {
      typingInput->value("/");
      typingInput->position(1, 1);
      return 1;
    }
  }
  return Fl::handle_(event, window);
}

const char* askToolkitChooser(const char* message, const char* pattern, const char* suggested) {
  static std::string chosen;
  const std::string suggestion = suggested != nullptr ? suggested : "";
  const std::string folder = suggestion.empty() ? lastFolder() : folderOf(suggestion);
  Fl_File_Chooser chooser(folder.c_str(), pattern, Fl_File_Chooser::CREATE, message);
  chooser.show();
  Fl_Window* window = chooser.newButton->window();
  Fl_File_Input* input = window != nullptr ? findFileInput(*window) : nullptr;
  if (input != nullptr) {
    // The chooser filled in its folder; add the suggested file name, selected,
    // with the cursor at the end.
    std::string text = input->value();
    if (text.empty() || text.back() != '/') text += '/';
    const int nameStart = static_cast<int>(text.size());
    const size_t slash = suggestion.find_last_of('/');
    text += slash == std::string::npos ? suggestion : suggestion.substr(slash + 1);
    input->value(text.c_str());
    input->position(static_cast<int>(text.size()), nameStart);
    input->take_focus();
  }
  typingInput = input;
  const Fl_Event_Dispatch previous = Fl::event_dispatch();
  Fl::event_dispatch(chooserDispatch);
  while (chooser.shown()) Fl::wait();
  Fl::event_dispatch(previous);
  typingInput = nullptr;
  const char* value = chooser.value();
  if (value == nullptr) return nullptr;
  chosen = value;
  lastFolder() = folderOf(chosen);
  return chosen.c_str();
}

}  // namespace

const char* chooseFile(const char* message, const char* pattern, const char* suggestedName) {
  const FileChooserFunction& chooser = installedChooser();
  if (chooser) {
    return chooser(message, pattern);
  }
  return askToolkitChooser(message, pattern, suggestedName);
}

FileChooserFunction setFileChooser(FileChooserFunction chooser) {
  return std::exchange(installedChooser(), std::move(chooser));
}
