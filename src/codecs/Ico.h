#pragma once

#include "core/Bitmap.h"
#include "core/Files.h"
#include "core/ImageError.h"

namespace brisko {

// An icon file holding one image: `colour` (any format, stored as 24 bits)
// and `mask`, a 1-bit bitmap of the same size whose set bits (index 1) mark
// the transparent pixels. Sides of 1 to 256 pixels.
void WriteIco(const Bitmap& colour, const Bitmap& mask, ByteSink& sink);

}  // namespace brisko
