#pragma once

#include <functional>

// The chooser the editor asks for file names: a message, a pattern such as
// "*.bvh", and the chosen name or null when the user cancelled. The returned
// text belongs to the chooser and lasts until its next call.
using FileChooserFunction = std::function<const char*(const char* message, const char* pattern)>;

// Asks the installed chooser. By default the editor's own chooser opens on
// the folder of suggestedName (or of the last name chosen while that folder
// exists, at first the working folder), with suggestedName's file name in its
// name field, selected, so that typing replaces it. The field takes exactly
// what is typed (Tab completes, typing never does): a plain name is taken in
// the folder shown, a name starting with a slash as it is, and a folder's
// name opens that folder. The list shows the folder's entries that fit the
// pattern (folders always); a double-click opens a folder or takes a file.
// Installed choosers are asked without the suggestion.
const char* chooseFile(const char* message, const char* pattern,
                       const char* suggestedName = nullptr);

// Installs another chooser (tests answer without a dialog) and returns the one
// it replaces; an empty function puts the toolkit's chooser back.
FileChooserFunction setFileChooser(FileChooserFunction chooser);
