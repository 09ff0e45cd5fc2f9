#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/Colour.h"

namespace brisko {

// Black and white, in that order.
std::span<const Colour> BlackWhitePalette();
// The 16 standard colours in the order of the platform's 4-bit palette.
std::span<const Colour> StandardPalette16();
// 256 colours: the 20 static system colours, a 6 x 6 x 6 colour cube and a
// ramp of greys, close to the platform's halftone palette.
std::span<const Colour> HalftonePalette();

// Finds the nearest palette entry (smallest squared RGB distance; the lowest
// index wins a tie). Remembers recent answers, since pictures repeat their
// colours far more often than not.
class PaletteMatcher {
 public:
  explicit PaletteMatcher(std::span<const Colour> palette);
  std::uint8_t Nearest(Colour c);

 private:
  std::uint8_t Search(Colour c) const;

  std::vector<Colour> palette_;
  static constexpr std::size_t kCacheSize = 4096;
  // Keys hold the colour with bit 24 set, so that 0 marks an empty slot.
  std::array<std::uint32_t, kCacheSize> keys_{};
  std::array<std::uint8_t, kCacheSize> indices_{};
};

}  // namespace brisko
