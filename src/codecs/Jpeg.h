#pragma once

#include <cstdint>
#include <span>

#include "codecs/Progress.h"
#include "core/Bitmap.h"
#include "core/Files.h"
#include "core/ImageError.h"

namespace brisko {

// JPEG through libjpeg-turbo. The reader gives a 24-bit bitmap for grey,
// colour and CMYK files, baseline or progressive; a file that ends before
// its picture does is refused rather than shown half grey.
Bitmap ReadJpeg(std::span<const std::uint8_t> file, const ProgressFn& progress = {});

// quality 1..100 (clamped); smoothing is libjpeg's smoothing factor 0..100
// (clamped), which softens the picture slightly before compression. Colour
// is stored as YCbCr with 2 x 2 chroma subsampling, the usual choice of
// cameras and other programs.
void WriteJpeg(const Bitmap& picture, int quality, int smoothing, ByteSink& sink,
               const ProgressFn& progress = {});

}  // namespace brisko
