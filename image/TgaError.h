#pragma once

#include "base/Outcome.h"

// The library's failure codes. A failure carries the fixed message of its
// code (tgaErrorString) and no line; tgaErrorCode gives the code back.
enum TgaErrorCode {
  kTgaNoError = 0,
  kTgaBadHeader = 1,
  kTgaCannotOpen = 2,
  kTgaBadFormat = 3,
  kTgaUnexpectedEnd = 4,
  kTgaNoData = 5,
  kTgaColourMapOnGrey = 6,
  kTgaBadEntrySize = 7,
  kTgaBadColourMap = 8,
  kTgaCannotRead = 9,
  kTgaUnknownType = 10,
  kTgaZeroSize = 11,
  kTgaBadPixelDepth = 12,
  kTgaTooLarge = 13,
  kTgaCannotWrite = 14,
};

// The fixed message of an error code; "unknown error" for codes it does not know.
const char* tgaErrorString(int code);

// The failure this library reports for code: its message, line 0, the code.
Failure tgaFailure(TgaErrorCode code);

// The code of one of this library's failures; kTgaNoError for any other
// failure. tgaErrorCode(tgaFailure(c)) is c.
TgaErrorCode tgaErrorCode(const Failure& failure);
