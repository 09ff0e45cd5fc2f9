#pragma once

#include "codecs/Progress.h"
#include "core/Bitmap.h"
#include "core/Files.h"
#include "core/ImageError.h"

namespace brisko {

// Truevision TGA: uncompressed 24-bit true colour (image type 2), rows from
// the bottom up (origin bottom left), with the TGA 2.0 footer.
void WriteTga(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress = {});

}  // namespace brisko
