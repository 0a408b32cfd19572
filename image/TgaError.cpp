#include "image/TgaError.h"

#include "image/Tga.h"

namespace {

// Per thread, like errno: a load on one thread cannot overwrite the reason
// another thread is about to read.
thread_local int lastError = kTgaNoError;

}  // namespace

void tgaSetError(int code) { lastError = code; }

int tgaLastError() { return lastError; }

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
