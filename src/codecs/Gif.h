#pragma once

#include <cstdint>
#include <span>

#include "codecs/Progress.h"
#include "core/Bitmap.h"
#include "core/Files.h"
#include "core/ImageError.h"

namespace brisko {

// GIF through giflib. The reader gives the first picture of the file as an
// 8-bit bitmap with the file's colours, the size of the file's logical
// screen; screen area the picture leaves uncovered has the background
// colour. A file that ends inside the picture is refused.
Bitmap ReadGif(std::span<const std::uint8_t> file, const ProgressFn& progress = {});

// Indexed bitmaps are written with their own palette; other formats are
// reduced to 256 colours first (ReduceColours). One picture, no
// interlacing, no transparency.
void WriteGif(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress = {});

}  // namespace brisko
