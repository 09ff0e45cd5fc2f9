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
// index wins a tie), exactly, without searching the palette for every
// pixel: the colour space is cut into 64 x 64 x 64 cells, and each cell,
// the first time a colour falls into it, learns the answers for its 64
// colours. For the three standard palettes one fully learnt table per
// process serves every matcher; learning all of it takes tens of
// milliseconds, once.
class PaletteMatcher {
 public:
  explicit PaletteMatcher(std::span<const Colour> palette);
  std::uint8_t Nearest(Colour c);
  // The nearest entries of a row of 24-bit pixels (blue, green, red).
  void NearestRow(const std::uint8_t* bgr, std::size_t pixels, std::uint8_t* indices);

 private:
  struct LearnEverything {};
  PaletteMatcher(std::span<const Colour> palette, LearnEverything);
  static const PaletteMatcher* SharedFor(std::span<const Colour> palette);

  static constexpr int kShift = 2;  // a cell side is 4 colours
  static constexpr int kSide = 1 << kShift, kPerAxis = 256 >> kShift;
  static constexpr std::uint32_t kUnknown = 0xFFFFFFFF;
  static std::size_t CellOf(unsigned r, unsigned g, unsigned b) {
    return (r >> kShift) + ((g >> kShift) << (8 - kShift)) + ((b >> kShift) << (2 * (8 - kShift)));
  }
  static std::size_t InCell(unsigned r, unsigned g, unsigned b) {
    constexpr unsigned m = kSide - 1;
    return (r & m) + ((g & m) << kShift) + ((b & m) << (2 * kShift));
  }
  void MakeTables();
  void Learn(std::size_t cell);
  // Puts into `kept` the entries of `from` that can be nearest somewhere in
  // the box of colours [low, low + side] on each axis; returns how many.
  std::size_t CandidatesIn(const int low[3], int side, std::span<const std::uint8_t> from,
                           std::uint8_t* kept) const;
  std::uint8_t NearestOf(Colour c, std::span<const std::uint8_t> candidates) const;

  const PaletteMatcher* shared_ = nullptr;
  std::vector<Colour> palette_;
  std::vector<std::uint8_t> allEntries_;
  // Candidates per block of 8 x 8 x 8 cells, from the whole palette, so a
  // cell chooses among a few.
  std::vector<std::vector<std::uint8_t>> blocks_;
  // Per cell, where its 64 answers start in answers_ (kUnknown until
  // learnt). answers_ opens with one block per entry holding only that
  // entry, shared by the cells that have one answer, so a lookup never
  // branches on the kind of cell.
  std::vector<std::uint32_t> cells_;
  std::vector<std::uint8_t> answers_;
};

}  // namespace brisko
