#pragma once

#include <string>
#include <vector>

// Splits a private copy of a frame line into words at blank, tab, carriage
// return and line feed. The words point into `copy`, which must outlive them;
// the stored line is never touched.
void splitFrameLine(const char* line, std::string& copy, std::vector<const char*>& words);
