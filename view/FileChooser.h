#pragma once

#include <functional>

// The chooser the editor asks for file names: a message, a pattern such as
// "*.bvh", and the chosen name or null when the user cancelled. The returned
// text belongs to the chooser and lasts until its next call.
using FileChooserFunction = std::function<const char*(const char* message, const char* pattern)>;

// Asks the installed chooser. By default a new toolkit file chooser opens on
// the folder of suggestedName (or of the last name chosen, at first the
// working folder), with suggestedName's file name filled in and selected, so
// that typing replaces it. A typed relative name is taken relative to that
// folder; a slash typed where the file name starts begins an absolute name.
// Installed choosers are asked without the suggestion.
const char* chooseFile(const char* message, const char* pattern,
                       const char* suggestedName = nullptr);

// Installs another chooser (tests answer without a dialog) and returns the one
// it replaces; an empty function puts the toolkit's chooser back.
FileChooserFunction setFileChooser(FileChooserFunction chooser);
