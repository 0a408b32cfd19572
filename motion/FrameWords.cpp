#include "motion/FrameWords.h"

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

void readFrameValues(const char* line, std::vector<double>& values, size_t limit) {
  values.clear();
  FrameWords words(line);
  const char* first = nullptr;
  const char* last = nullptr;
  while (values.size() < limit && words.next(first, last)) values.push_back(wordValue(first, last));
}

size_t readFrameValues(const char* line, double* values, size_t limit) {
  FrameWords words(line);
  const char* first = nullptr;
  const char* last = nullptr;
  size_t count = 0;
  while (count < limit && words.next(first, last)) values[count++] = wordValue(first, last);
  return count;
}

void splitFrameLine(const char* line, std::string& copy, std::vector<const char*>& words) {
  words.clear();
  if (line == nullptr) {
    copy.clear();
    return;
  }
  copy.assign(line);
  FrameWords walk(copy.c_str());
  const char* first = nullptr;
  const char* last = nullptr;
  std::vector<const char*> ends;
  while (walk.next(first, last)) {
    words.push_back(first);
    ends.push_back(last);
  }
  // Terminated once the walk is done, so it never meets its own terminators.
  for (const char* end : ends) copy[static_cast<size_t>(end - copy.c_str())] = '\0';
}
