#pragma once

#include <cstdint>

#include "core/Bitmap.h"
#include "core/Geometry.h"

// Stretching pictures to another size: the smooth stretch (the platform's
// HALFTONE mode) and the plain one (its default BLACKONWHITE mode).
namespace brisko {

// Smooth stretch by area averaging. Each destination pixel covers a
// rectangle of the source; its value, per channel, is the mean of the source
// pixels under that rectangle weighted by the area each one shares with it,
// rounded to the nearest integer (a tie to the even one). The arithmetic is
// exact: at scale 1 the result is the source, a flat area keeps its colour,
// and no value leaves the range of the pixels averaged.
//
// Stretches the pixels of `from` in `source` (any pixel format) onto the
// pixels of `to` in `target`, which must be 24-bit; both rectangles must lie
// inside their bitmaps (std::invalid_argument otherwise). Pixels of the
// target outside `to` are left alone. An empty rectangle draws nothing.
void ResampleRect(const Bitmap& source, const Rect& from, Bitmap& target, const Rect& to);

// The whole source stretched to a 24-bit width x height picture in `target`;
// a target that already has that size and format keeps its pixel block.
void Resample(const Bitmap& source, Bitmap& target, std::int32_t width, std::int32_t height);
Bitmap Resample(const Bitmap& source, std::int32_t width, std::int32_t height);

// Plain stretch of the whole source to a 24-bit width x height picture, as
// the platform's BLACKONWHITE mode does it. Along an axis that grows, each
// destination pixel repeats source pixel floor(i * source / destination).
// Along an axis that shrinks, destination pixel i takes the source pixels
// from ceil(i * source / destination) up to, not including,
// ceil((i + 1) * source / destination), and their channel values are
// combined with a bitwise AND, so dark detail survives shrinking.
void StretchBlackOnWhite(const Bitmap& source, Bitmap& target, std::int32_t width, std::int32_t height);

}  // namespace brisko
