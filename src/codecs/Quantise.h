#pragma once

#include <optional>

#include "core/Bitmap.h"

namespace brisko {

// The picture as 8-bit indices into a palette of exactly its colours, when
// it has at most `colours` (up to 256) of them; nothing otherwise, decided
// as soon as one colour too many turns up.
std::optional<Bitmap> IndexExactly(const Bitmap& picture, int colours = 256);

// The picture as 8-bit indices into a palette of at most `colours` (2..256)
// entries chosen for it; entries past those are black.
//
// A picture with no more colours than that keeps them exactly, as most
// screenshots do. Otherwise the palette comes from a median cut that always
// splits the group of colours with the largest squared error where the two
// halves have the least, followed by two rounds of k-means refinement, and
// each pixel takes the entry nearest to it. There is no dithering: flat
// areas and text stay clean, and the indices compress better.
Bitmap ReduceColours(const Bitmap& picture, int colours = 256);

}  // namespace brisko
