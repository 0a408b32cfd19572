#include <FL/Fl.H>

#include <memory>

#include "app/EditorWindow.h"

int main() {
  auto window = std::make_unique<EditorWindow>();
  window->show();
  Fl::run();
  window.reset();
  // The editor has always ended with status 1 after a normal run.
  return 1;
}
