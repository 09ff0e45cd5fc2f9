#pragma once

#include "codecs/Progress.h"
#include "core/Bitmap.h"
#include "core/Files.h"
#include "core/ImageError.h"

namespace brisko {

// ZSoft PCX, version 5, run-length encoded, at 96 dots per inch, laid out
// by the bitmap's format: 1 and 4-bit bitmaps as 16 colours in four bit
// planes with the palette in the header; 8-bit ones as one byte plane with
// the 256-colour palette after the pixels; all others as 24 bits in three
// byte planes (red, green, blue).
void WritePcx(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress = {});

}  // namespace brisko
