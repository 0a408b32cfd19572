#pragma once

#include <cstddef>

// malloc's a block of width x height pixels of format bytes; null when the
// size exceeds PTRDIFF_MAX bytes or the allocation fails.
unsigned char* tgaAllocateBlock(std::size_t width, std::size_t height, int format);
