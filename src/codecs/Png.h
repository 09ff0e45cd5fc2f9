#pragma once

#include <cstdint>
#include <span>

#include "codecs/Progress.h"
#include "core/Bitmap.h"
#include "core/Files.h"
#include "core/ImageError.h"

namespace brisko {

// PNG through libpng. The reader takes every colour type, bit depth and
// interlacing and gives a 24-bit bitmap; transparent pixels are shown over
// white, as a page would show them.
Bitmap ReadPng(std::span<const std::uint8_t> file, const ProgressFn& progress = {});

// Not interlaced. Indexed bitmaps are written with their palette at their
// own depth; others with a palette of their colours when they have at most
// 256, else as 8-bit RGB. Either way every pixel is kept.
void WritePng(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress = {});

}  // namespace brisko
