#include "motion/FrameWords.h"

#include "motion/WordScanner.h"

void splitFrameLine(const char* line, std::string& copy, std::vector<const char*>& words) {
  words.clear();
  if (line == nullptr) {
    copy.clear();
    return;
  }
  copy.assign(line);
  // std::string keeps a terminator after its characters, as the scanner needs.
  WordScanner scanner(copy.data(), copy.size());
  while (const char* word = scanner.next(" \t\r\n")) words.push_back(word);
}
