#pragma once

#include "base/Outcome.h"
#include "image/TgaError.h"
#include "image/TgaImage.h"

// Reading and writing TGA (Truevision) image files, to and from TgaImage
// blocks. Failures come back as the Failure of their TgaErrorCode; nothing is
// printed and nothing is kept between calls.

// Reads a colour-mapped, true-colour or greyscale file, uncompressed or
// run-length encoded (image types 1, 2, 3, 9, 10, 11), into a new image of the
// given format. Only regular files are read (a FIFO or a device fails at once
// with kTgaCannotOpen), and only as many bytes as the header can use.
// Run-length data cut short reads as zeros; uncompressed pixels must all be
// present. A colour map on a true-colour image is skipped. Errors (TgaError.h):
// - kTgaBadFormat: format not 3 or 4 (no file is opened);
// - kTgaCannotOpen: the file cannot be opened;
// - kTgaBadHeader: header shorter than 18 bytes, or a size that cannot be
//   allocated;
// - kTgaZeroSize: width or height 0;
// - kTgaUnexpectedEnd: image ID past the end of the file, or uncompressed
//   pixels cut short;
// - kTgaNoData: image type 0;
// - kTgaColourMapOnGrey: a colour map on a greyscale image;
// - kTgaBadEntrySize: colour-map entry size not 15, 16, 24 or 32;
// - kTgaBadColourMap: colour map cut short, or a colour-mapped image without
//   one;
// - kTgaUnknownType: an image type not listed above;
// - kTgaBadPixelDepth: a pixel depth the type cannot have (mapped 8 or 16,
//   grey 8 or 16, true colour 15, 16, 24 or 32);
// - kTgaTooLarge: a block over 256 MB, or run-length data declaring more than
//   16384 pixels a side.
// Nothing is allocated for a refused image.
Outcome<TgaImage> tgaLoad(const char* fileName, int format);

// A new image with an uninitialised block. kTgaBadFormat when the format is
// not 3 or 4, or the width or height is negative or too big to allocate.
Outcome<TgaImage> tgaCreate(int width, int height, int format);

// Writes the block (laid out as a TgaImage's) as an uncompressed 24-bit
// (format 3) or 32-bit (format 4) true-colour file, bottom-left origin, undoing
// the premultiplication of format 4 blocks. The file is replaced only once it
// is completely written; a failure leaves an existing file as it was. Errors:
// kTgaBadFormat for a format not 3 or 4, a width or height outside 0..65535 or
// a missing block; kTgaCannotOpen when the file cannot be created (or the
// target is not a regular file); kTgaCannotWrite when writing it failed (a
// full disk). Opaque blocks read back byte for byte.
Status tgaWrite(const char* fileName, int width, int height, const unsigned char* pixels,
                int format);

// As tgaWrite, run-length encoded: packets of at most 128 pixels that never
// cross the end of a row.
Status tgaWriteRle(const char* fileName, int width, int height, const unsigned char* pixels,
                   int format);
