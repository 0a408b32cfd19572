#include "view/StatusLine.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "motion/GroundAxes.h"

namespace {

std::string fileNameOnly(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Bytes that are not printable text (control bytes, broken UTF-8) as \xNN,
// so that a binary file's first word cannot garble the status line.
std::string printable(const std::string& text) {
  std::string shown;
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    if (byte >= 0x20 && byte < 0x7f) {
      length = 1;
    } else if (byte >= 0xc2 && byte <= 0xf4) {
      const size_t expected = byte < 0xe0 ? 2 : byte < 0xf0 ? 3 : 4;
      size_t n = 1;
      while (n < expected && i + n < text.size() &&
             (static_cast<unsigned char>(text[i + n]) & 0xc0) == 0x80) {
        ++n;
      }
      if (n == expected) length = expected;
    }
    if (length > 0) {
      shown.append(text, i, length);
      i += length;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      shown += escaped;
      ++i;
    }
  }
  return shown;
}

}  // namespace

std::string statusText(const EditSession& session, const Playback& playback) {
  const int count = session.motion().frameCount;
  const int frame = playback.frame();
  char line[512];
  int used = std::snprintf(line, sizeof line, "%s   frame %d / %d   %.2f s",
                           fileNameOnly(session.clipName()).c_str(), frame, count,
                           frame * playback.clipPace());
  const int selected = session.selected();
  if (selected >= 0 && used > 0 && static_cast<size_t>(used) < sizeof line) {
    const Point3 p = session.point(selected);
    used += std::snprintf(line + used, sizeof line - static_cast<size_t>(used),
                          "   point %d: x %.2f %s %.2f", selected, p.x,
                          secondGroundAxisName(session.upAxis()), p.z);
  }
  std::string text = line;
  text += "   " + session.kindText();
  if (!session.message().empty()) text += "   " + printable(session.message());
  return text;
}

std::string fitToWidth(std::string text, double width,
                       const std::function<double(const std::string&)>& measure) {
  constexpr size_t shortest = 12;
  const std::string dots = "...";
  while (measure(text) > width) {
    // The longest word (a path, as a rule) loses a quarter of its middle.
    size_t longestStart = 0;
    size_t longestLength = 0;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(' ', start);
      if (end == std::string::npos) end = text.size();
      if (end - start > longestLength) {
        longestStart = start;
        longestLength = end - start;
      }
      start = end + 1;
    }
    if (longestLength <= shortest) {
      // Nothing left to shorten inside: cut the end.
      while (text.size() > dots.size() && measure(text + dots) > width) text.pop_back();
      return text + dots;
    }
    // Both ends stay; a shortened word keeps its "..." in the middle, since
    // its new ends are parts of its old ones.
    const std::string word = text.substr(longestStart, longestLength);
    const size_t target = longestLength - std::max<size_t>(1, longestLength / 4);
    const size_t head = (target - dots.size()) / 2;
    const size_t tail = target - dots.size() - head;
    text.replace(longestStart, longestLength,
                 word.substr(0, head) + dots + word.substr(word.size() - tail));
  }
  return text;
}

double lineWidth(const std::string& text, const WordMeasure& measureWord, double blankWidth) {
  double width = 0.0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) width += measureWord(text.substr(start, end - start));
    if (end < text.size()) width += blankWidth;
    start = end + 1;
  }
  return width;
}

std::vector<PlacedWord> layoutStatusLine(const std::string& text, double width,
                                         const WordMeasure& measureWord, double blankWidth) {
  std::vector<PlacedWord> words;
  double x = 0.0;
  int line = 0;
  size_t blanks = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end == start) {
      ++blanks;
      start = end + 1;
      continue;
    }
    std::string word = text.substr(start, end - start);
    if (measureWord(word) > width) word = fitToWidth(word, width, measureWord);
    const double wordWidth = measureWord(word);
    double at = words.empty() ? 0.0 : x + static_cast<double>(blanks + 1) * blankWidth;
    if (!words.empty() && at + wordWidth > width) {
      ++line;
      at = 0.0;
    }
    x = at + wordWidth;
    words.push_back({std::move(word), at, line});
    blanks = 0;
    start = end + 1;
  }
  return words;
}
