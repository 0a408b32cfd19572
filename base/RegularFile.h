#pragma once

#include <cstdio>
#include <string>

// Opens fileName for reading without ever blocking: the file is opened
// non-blocking and refused unless it is a regular file, so a FIFO, a terminal
// or a device such as /dev/zero gives a message instead of a hang or an
// endless read. On success returns a stdio stream (the caller closes it) and
// sets *size to the file's size; on failure returns null and puts a one-line
// reason without a line feed in *message, e.g. "x.bvh is not a regular file"
// or "No such file or directory".
std::FILE* openRegularFile(const char* fileName, std::size_t* size, std::string* message);
