#pragma once

#include <cstddef>

// What one pick's selection buffer says, read the way the view reads it.
struct HitRecordsResult {
  // Third name of the last record that carries exactly three names, or -1
  // when no record does (or that name does not fit an int).
  int selectedIndex = -1;
  // Number of whole records read.
  int recordsRead = 0;
  // Mean of the last record's minimum and maximum window depth, each scaled
  // back from 0..4294967295 to 0..1; meaningful only when recordsRead > 0.
  double lastDepth = 0.0;
};

// Reads the OpenGL hit records at the start of buffer (bufferWords words):
// each record is a name count n, a minimum and a maximum depth, then n names.
// Reads hitCount records, or, when hitCount is negative (the buffer
// overflowed), as many as lie whole inside the buffer; in either case it stops
// at the first record that would reach past bufferWords, so it never reads
// beyond the buffer.
HitRecordsResult readHitRecords(int hitCount, const unsigned int* buffer, std::size_t bufferWords);
