#include "view/HitRecords.h"

#include <climits>
#include <cstdint>

namespace {

constexpr double depthScale = 4294967295.0;
constexpr std::size_t headerWords = 3;

}  // namespace

HitRecordsResult readHitRecords(int hitCount, const unsigned int* buffer, std::size_t bufferWords) {
  HitRecordsResult result;
  std::size_t at = 0;
  // An overflowed buffer gives no count; its records are read while whole.
  const bool counted = hitCount >= 0;
  while (!counted || result.recordsRead < hitCount) {
    if (bufferWords - at < headerWords) break;
    const std::uint64_t nameCount = buffer[at];
    if (nameCount > bufferWords - at - headerWords) break;
    const unsigned int minDepth = buffer[at + 1];
    const unsigned int maxDepth = buffer[at + 2];
    const unsigned int* names = buffer + at + headerWords;
    if (nameCount == 3) {
      result.selectedIndex = names[2] <= static_cast<unsigned int>(INT_MAX)
                                 ? static_cast<int>(names[2])
                                 : -1;
    }
    result.lastDepth = (minDepth / depthScale + maxDepth / depthScale) / 2.0;
    ++result.recordsRead;
    at += headerWords + static_cast<std::size_t>(nameCount);
  }
  return result;
}
