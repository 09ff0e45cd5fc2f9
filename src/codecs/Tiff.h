#pragma once

#include <cstdint>
#include <span>

#include "codecs/Codecs.h"

namespace brisko {

// TIFF through libtiff. The reader takes the first picture of the file in
// any layout libtiff can turn into colour (bilevel, grey, palette, RGB,
// CMYK, YCbCr, strips or tiles) and gives a 24-bit bitmap; transparent
// pixels are shown over white.
Bitmap ReadTiff(std::span<const std::uint8_t> file, const ProgressFn& progress = {});

// One picture per file. The fax compressions (CcittRle, CcittFax3,
// CcittFax4) store black and white at one bit per pixel, each pixel black
// when its brightness is below half; the others store 8-bit RGB.
void WriteTiff(const Bitmap& picture, TiffCompression compression, ByteSink& sink,
               const ProgressFn& progress = {});

}  // namespace brisko
