#pragma once

#include <string>
#include <vector>

// Where the program looks for the files it ships (the default clip, the floor
// texture) when they are not in the working folder: the folder of the running
// executable, then the installed data folder. Folders without a trailing slash.
std::vector<std::string> dataDirectories();

// name itself when it exists from the working folder; else the first
// dataDirectories() entry that holds it, as "<directory>/<name>"; else name
// unchanged, so that a message about it names what was asked for.
std::string findDataFile(const std::string& name);
