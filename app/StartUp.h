#pragma once

#include <functional>
#include <string>

#include "path/EditSession.h"

// Prints text on standard output as it stands and flushes it (also with no
// text), so that someone watching the console (or a script reading it) sees
// each report as it comes, also when standard output is a file.
void printToConsole(const std::string& text);

// The name the start-up loads, or null for none chosen (a cancel).
using StartChoice = std::function<const char*()>;

// The editor's start: asks choose for a clip (the chooser with "Choose a BVH
// File: " and "*.bvh", or the name given on the command line) and loads it
// into session, printing its hierarchy before the fit reports. A
// cancel loads the default clip (dance01.bvh, found as findDataFile finds
// it) silently; a file that cannot be loaded prints "Failed to load, loading
// dance instead", loads the default clip, and leaves the refusal in the
// message with "; showing <default clip>". With no clip at all the session
// goes on with the empty clip, printed and fitted. A Z-up clip prints
// "Up axis: Z".
void startUp(EditSession& session, const StartChoice& choose);
