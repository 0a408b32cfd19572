#pragma once

#include <functional>

// The chooser the editor asks for file names: a message, a pattern such as
// "*.bvh", and the chosen name or null when the user cancelled. The returned
// text belongs to the chooser and lasts until its next call.
using FileChooserFunction = std::function<const char*(const char* message, const char* pattern)>;

// Asks the installed chooser; by default the toolkit's fl_file_chooser with no
// preset name.
const char* chooseFile(const char* message, const char* pattern);

// Installs another chooser (tests answer without a dialog) and returns the one
// it replaces; an empty function puts the toolkit's chooser back.
FileChooserFunction setFileChooser(FileChooserFunction chooser);
