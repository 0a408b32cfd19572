#include "view/FileChooser.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Return_Button.H>
#include <FL/filename.H>
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

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

bool isFolder(const std::string& name) {
  struct stat info {};
  return stat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// name as typed, taken in folder unless it starts with a slash.
std::string resolve(const std::string& folder, const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// A plain text field: what is typed is what is used. Tab completes the last
// part of the name from the entries of its folder, as far as they agree.
class NameInput : public Fl_Input {
 public:
  NameInput(int x, int y, int w, int h, const char* label) : Fl_Input(x, y, w, h, label) {}
  std::string folder;

  int handle(int event) override {
    if (event == FL_KEYBOARD && Fl::event_key() == FL_Tab && Fl::event_state(FL_SHIFT) == 0) {
      complete();
      return 1;
    }
    return Fl_Input::handle(event);
  }

 private:
  void complete() {
    const std::string typed = value();
    const size_t slash = typed.find_last_of('/');
    const std::string head = slash == std::string::npos ? "" : typed.substr(0, slash + 1);
    const std::string prefix = slash == std::string::npos ? typed : typed.substr(slash + 1);
    const std::string where = head.empty() ? folder : resolve(folder, head);
    std::vector<std::string> matches;
    if (DIR* dir = opendir(where.c_str())) {
      while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (name.compare(0, prefix.size(), prefix) == 0) matches.push_back(name);
      }
      closedir(dir);
    }
    if (matches.empty()) return;
    std::string common = matches.front();
    for (const std::string& m : matches) {
      size_t n = 0;
      while (n < common.size() && n < m.size() && common[n] == m[n]) ++n;
      common.resize(n);
    }
    if (matches.size() == 1 && isFolder(resolve(where, common))) common += '/';
    const std::string completed = head + common;
    value(completed.c_str());
    position(static_cast<int>(completed.size()));
  }
};

// The editor's file chooser: the folder shown, its entries that fit the
// pattern (folders always), the pattern, and a name field. Return or OK takes
// the typed name (a folder's name opens that folder); a double-click opens a
// folder or takes a file; Escape or Cancel gives no name.
class NameChooser : public Fl_Double_Window {
 public:
  NameChooser(const char* message, const char* pattern, const std::string& folder,
              const std::string& name)
      : Fl_Double_Window(500, 400) {
    copy_label(message);
    folderLine_ = new Fl_Output(70, 10, 420, 25, "Folder:");
    folderLine_->clear_visible_focus();
    list_ = new Fl_File_Browser(10, 45, 480, 235);
    list_->type(FL_HOLD_BROWSER);
    list_->callback(listPicked, this);
    patternField_ = new Fl_Input(70, 290, 150, 25, "Show:");
    patternField_->value(pattern != nullptr ? pattern : "*");
    patternField_->when(FL_WHEN_CHANGED);
    patternField_->callback(patternChanged, this);
    nameField_ = new NameInput(70, 325, 420, 25, "Name:");
    auto* cancel = new Fl_Button(300, 362, 90, 28, "Cancel");
    cancel->callback(cancelPressed, this);
    auto* ok = new Fl_Return_Button(400, 362, 90, 28, "OK");
    ok->callback(okPressed, this);
    end();
    set_modal();
    // Escape and the close box cancel.
    callback(cancelPressed, this);
    showFolder(folder);
    nameField_->value(name.c_str());
    // The suggestion is selected, so that typing replaces it.
    nameField_->position(static_cast<int>(name.size()), 0);
  }

  // The name taken, or empty after a cancel.
  const std::string& chosen() const { return chosen_; }
  void focusName() { nameField_->take_focus(); }

 private:
  void showFolder(const std::string& folder) {
    // Shown and used as an absolute name, so that ".." always leads up.
    char real[PATH_MAX];
    folder_ = realpath(folder.c_str(), real) != nullptr ? real : folder;
    folderLine_->value(folder_.c_str());
    nameField_->folder = folder_;
    list_->filter(patternField_->value());
    list_->load(folder_.c_str());
    // The toolkit lists no way up; the first line leads to the parent.
    if (folder_ != "/" && (list_->size() == 0 || std::string(list_->text(1)) != "../")) {
      list_->insert(1, "../");
    }
  }

  // Opens a folder given relative to the one shown (or absolute).
  void openFolder(const std::string& name) { showFolder(resolve(folder_, name)); }

  void take(const std::string& name) {
    const std::string full = resolve(folder_, name);
    if (isFolder(full)) {
      openFolder(name);
      nameField_->value("");
      return;
    }
    chosen_ = full;
    hide();
  }

  static void listPicked(Fl_Widget*, void* data) {
    auto* self = static_cast<NameChooser*>(data);
    const int line = self->list_->value();
    if (line <= 0) return;
    const std::string entry = self->list_->text(line);
    const bool folder = !entry.empty() && entry.back() == '/';
    if (Fl::event_clicks() > 0) {
      Fl::event_clicks(0);
      if (folder) {
        self->openFolder(entry);
      } else {
        self->take(entry);
      }
    } else if (!folder) {
      self->nameField_->value(entry.c_str());
    }
  }

  static void patternChanged(Fl_Widget*, void* data) {
    auto* self = static_cast<NameChooser*>(data);
    self->showFolder(self->folder_);
  }

  static void okPressed(Fl_Widget*, void* data) {
    auto* self = static_cast<NameChooser*>(data);
    const std::string name = self->nameField_->value();
    if (!name.empty()) self->take(name);
  }

  static void cancelPressed(Fl_Widget*, void* data) {
    auto* self = static_cast<NameChooser*>(data);
    self->chosen_.clear();
    self->hide();
  }

  Fl_Output* folderLine_ = nullptr;
  Fl_File_Browser* list_ = nullptr;
  Fl_Input* patternField_ = nullptr;
  NameInput* nameField_ = nullptr;
  std::string folder_;
  std::string chosen_;
};

const char* askToolkitChooser(const char* message, const char* pattern, const char* suggested) {
  static std::string chosen;
  const std::string suggestion = suggested != nullptr ? suggested : "";
  std::string folder = suggestion.empty() ? lastFolder() : folderOf(suggestion);
  if (!isFolder(folder)) folder = ".";
  const size_t slash = suggestion.find_last_of('/');
  const std::string name = slash == std::string::npos ? suggestion : suggestion.substr(slash + 1);
  NameChooser chooser(message, pattern, folder, name);
  chooser.show();
  chooser.focusName();
  while (chooser.shown()) Fl::wait();
  if (chooser.chosen().empty()) return nullptr;
  chosen = chooser.chosen();
  // Only a folder that exists is remembered, so a mistyped name never leaves
  // the next chooser somewhere that is not there.
  if (isFolder(folderOf(chosen))) lastFolder() = folderOf(chosen);
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
