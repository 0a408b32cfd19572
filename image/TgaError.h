#pragma once

// The library's failure codes, as tgaLastError reports them.
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

// Records a failure for tgaLastError.
void tgaSetError(int code);
