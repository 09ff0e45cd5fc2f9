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
// pixel: the colour space is cut into 64 x 64 x 64 cells, and each cell,
// the first time a colour falls into it, keeps the few entries that can be
// nearest to some colour inside it. Most cells keep one.
class PaletteMatcher {
 public:
  explicit PaletteMatcher(std::span<const Colour> palette);
  std::uint8_t Nearest(Colour c);

 private:
  // A grid of cells over the colour cube; per cell, where its candidates
  // start in candidates_ and how many (0 until the cell is first used).
  struct Grid {
    int shift;  // a cell side is 1 << shift colours
    std::vector<std::uint32_t> start;
    std::vector<std::uint16_t> count;
    int PerAxis() const { return 256 >> shift; }
    std::size_t CellOf(Colour c) const;
  };
  // Fills the cell from the entries in `from`, which must include every
  // entry that can be nearest somewhere in it.
  void FillCell(Grid& grid, std::size_t cell, std::span<const std::uint8_t> from);
  std::span<const std::uint8_t> Candidates(const Grid& grid, std::size_t cell) const;

  std::vector<Colour> palette_;
  std::vector<std::uint8_t> allEntries_;
  // Coarse cells are filled from the whole palette, fine ones from their
  // coarse cell's few candidates, which keeps both cheap to fill.
  Grid coarse_{3, {}, {}};
  Grid fine_{2, {}, {}};
  std::vector<std::uint8_t> candidates_;
};

}  // namespace brisko
