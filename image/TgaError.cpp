#include "image/TgaError.h"

const char* tgaErrorString(int code) {
  switch (code) {
    case kTgaNoError:
      return "no error";
    case kTgaBadHeader:
      return "bad image header";
    case kTgaCannotOpen:
      return "cannot open file";
    case kTgaBadFormat:
      return "bad format argument";
    case kTgaUnexpectedEnd:
      return "unexpected end-of-file";
    case kTgaNoData:
      return "image contains no data";
    case kTgaColourMapOnGrey:
      return "found colormap for a grayscale image";
    case kTgaBadEntrySize:
      return "unsupported colormap entry size";
    case kTgaBadColourMap:
      return "bad colormap";
    case kTgaCannotRead:
      return "cannot read from file";
    case kTgaUnknownType:
      return "unknown image type";
    case kTgaZeroSize:
      return "image has size 0 width or height (or both)";
    case kTgaBadPixelDepth:
      return "unsupported pixel depth for the image type";
    case kTgaTooLarge:
      return "image too large";
    case kTgaCannotWrite:
      return "cannot write file";
    default:
      return "unknown error";
  }
}

Failure tgaFailure(TgaErrorCode code) { return Failure{tgaErrorString(code), 0, code}; }

TgaErrorCode tgaErrorCode(const Failure& failure) {
  const bool ours = failure.code > kTgaNoError && failure.code <= kTgaCannotWrite &&
                    failure.message == tgaErrorString(failure.code);
  return ours ? static_cast<TgaErrorCode>(failure.code) : kTgaNoError;
}
