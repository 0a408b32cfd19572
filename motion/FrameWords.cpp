#include "motion/FrameWords.h"

#include "motion/WordScanner.h"

bool frameWordValue(const char* line, int word, double& value) {
  if (line == nullptr || word < 0) return false;
  FrameWords words(line);
  const char* first = nullptr;
  const char* last = nullptr;
  for (int w = 0; words.next(first, last); ++w) {
    if (w == word) {
      value = wordValue(first, last);
      return true;
    }
  }
  return false;
}

void readFrameValues(const char* line, std::vector<double>& values) {
  values.clear();
  FrameWords words(line);
  const char* first = nullptr;
  const char* last = nullptr;
  while (words.next(first, last)) values.push_back(wordValue(first, last));
}

void splitFrameLine(const char* line, std::string& copy, std::vector<const char*>& words) {
  words.clear();
  if (line == nullptr) {
    copy.clear();
    return;
  }
  copy.assign(line);
  // std::string keeps a terminator after its characters, as the scanner needs.
  WordScanner scanner(copy.data(), copy.size());
  while (const char* word = scanner.next(kWordSeparators)) words.push_back(word);
}
