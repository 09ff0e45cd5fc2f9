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

// The nearest palette entry to one colour (smallest squared RGB distance,
// the lowest index on a tie), by a plain search: for single pixels.
std::uint8_t NearestIndex(std::span<const Colour> palette, Colour c);

// Finds the nearest palette entry (smallest squared RGB distance; the lowest
// index wins a tie), exactly, without searching the whole palette for every
// pixel: the colour space is cut into 32 x 32 x 32 cells, and each cell,
// the first time a colour falls into it, keeps the few entries that can be
// nearest to some colour inside it. Most cells keep one.
class PaletteMatcher {
 public:
  explicit PaletteMatcher(std::span<const Colour> palette);
  std::uint8_t Nearest(Colour c);

 private:
  static constexpr int kCellsPerAxis = 32;
  static constexpr int kCellShift = 3;  // 256 / 32 colours a cell side
  void FillCell(std::size_t cell);

  std::vector<Colour> palette_;
  // Per cell: where its candidates start in candidates_, and how many
  // (0 until the cell is first used).
  std::vector<std::uint32_t> cellStart_;
  std::vector<std::uint16_t> cellCount_;
  std::vector<std::uint8_t> candidates_;
};

}  // namespace brisko
