#include "core/Palettes.h"

#include <algorithm>
#include <limits>

namespace brisko {

namespace {

constexpr std::array<Colour, 2> kBlackWhite = {kBlack, kWhite};

constexpr std::array<Colour, 16> kStandard16 = {
    MakeColour(0, 0, 0),       MakeColour(128, 0, 0),   MakeColour(0, 128, 0),
    MakeColour(128, 128, 0),   MakeColour(0, 0, 128),   MakeColour(128, 0, 128),
    MakeColour(0, 128, 128),   MakeColour(192, 192, 192), MakeColour(128, 128, 128),
    MakeColour(255, 0, 0),     MakeColour(0, 255, 0),   MakeColour(255, 255, 0),
    MakeColour(0, 0, 255),     MakeColour(255, 0, 255), MakeColour(0, 255, 255),
    MakeColour(255, 255, 255),
};

std::array<Colour, 256> BuildHalftone() {
  std::array<Colour, 256> p{};
  std::size_t n = 0;
  // The platform keeps 20 static colours: the 16 standard ones and four
  // pastel extras.
  for (Colour c : kStandard16) p[n++] = c;
  p[n++] = MakeColour(192, 220, 192);
  p[n++] = MakeColour(166, 202, 240);
  p[n++] = MakeColour(255, 251, 240);
  p[n++] = MakeColour(160, 160, 164);
  for (int b = 0; b < 6; ++b)
    for (int g = 0; g < 6; ++g)
      for (int r = 0; r < 6; ++r)
        p[n++] = MakeColour(static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                            static_cast<std::uint8_t>(b * 51));
  // Greys between the cube's levels fill the rest.
  const std::size_t greys = p.size() - n;
  for (std::size_t i = 0; i < greys; ++i) {
    auto level = static_cast<std::uint8_t>(8 + i * 240 / greys);
    if (level % 51 == 0) ++level;
    p[n++] = MakeColour(level, level, level);
  }
  return p;
}

const std::array<Colour, 256> kHalftone = BuildHalftone();

int DistanceSquared(Colour a, Colour b) {
  const int dr = RedOf(a) - RedOf(b);
  const int dg = GreenOf(a) - GreenOf(b);
  const int db = BlueOf(a) - BlueOf(b);
  return dr * dr + dg * dg + db * db;
}

}  // namespace

std::span<const Colour> BlackWhitePalette() { return kBlackWhite; }
std::span<const Colour> StandardPalette16() { return kStandard16; }
std::span<const Colour> HalftonePalette() { return kHalftone; }

std::uint8_t NearestIndex(std::span<const Colour> palette, Colour c) {
  int best = std::numeric_limits<int>::max();
  std::size_t bestIndex = 0;
  for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
    const int d = DistanceSquared(c, palette[i]);
    if (d < best) {
      best = d;
      bestIndex = i;
    }
  }
  return static_cast<std::uint8_t>(bestIndex);
}

PaletteMatcher::PaletteMatcher(std::span<const Colour> palette) : palette_(palette.begin(), palette.end()) {
  if (palette_.size() > 256) palette_.resize(256);
  if (palette_.empty()) palette_.push_back(kBlack);
  for (std::size_t i = 0; i < palette_.size(); ++i) allEntries_.push_back(static_cast<std::uint8_t>(i));
}

std::size_t PaletteMatcher::Grid::CellOf(Colour c) const {
  const auto axis = static_cast<std::size_t>(PerAxis());
  return static_cast<std::size_t>(RedOf(c) >> shift) + static_cast<std::size_t>(GreenOf(c) >> shift) * axis +
         static_cast<std::size_t>(BlueOf(c) >> shift) * axis * axis;
}

std::span<const std::uint8_t> PaletteMatcher::Candidates(const Grid& grid, std::size_t cell) const {
  return std::span(candidates_).subspan(grid.start[cell], grid.count[cell]);
}

void PaletteMatcher::FillCell(Grid& grid, std::size_t cell, std::span<const std::uint8_t> from) {
  const auto axis = static_cast<std::size_t>(grid.PerAxis());
  const int r0 = static_cast<int>(cell % axis) << grid.shift;
  const int g0 = static_cast<int>(cell / axis % axis) << grid.shift;
  const int b0 = static_cast<int>(cell / (axis * axis)) << grid.shift;
  const int side = (1 << grid.shift) - 1;
  auto nearestOnAxis = [](int value, int low, int high) {
    const int d = value < low ? low - value : value > high ? value - high : 0;
    return d * d;
  };
  auto farthestOnAxis = [](int value, int low, int high) {
    const int a = value - low, b = high - value;
    return std::max(a * a, b * b);
  };
  // No colour of the cell is farther from its nearest entry than `bound`,
  // so an entry whose closest point of the cell lies beyond it can never win.
  int bound = std::numeric_limits<int>::max();
  for (std::uint8_t i : from) {
    const Colour p = palette_[i];
    bound = std::min(bound, farthestOnAxis(RedOf(p), r0, r0 + side) + farthestOnAxis(GreenOf(p), g0, g0 + side) +
                                farthestOnAxis(BlueOf(p), b0, b0 + side));
  }
  // `from` may lie in candidates_ itself, which grows here: copy it first.
  const std::vector<std::uint8_t> entries(from.begin(), from.end());
  grid.start[cell] = static_cast<std::uint32_t>(candidates_.size());
  for (std::uint8_t i : entries) {
    const Colour p = palette_[i];
    const int closest = nearestOnAxis(RedOf(p), r0, r0 + side) + nearestOnAxis(GreenOf(p), g0, g0 + side) +
                        nearestOnAxis(BlueOf(p), b0, b0 + side);
    if (closest <= bound) candidates_.push_back(i);
  }
  grid.count[cell] = static_cast<std::uint16_t>(candidates_.size() - grid.start[cell]);
}

std::uint8_t PaletteMatcher::Nearest(Colour c) {
  if (fine_.count.empty()) {
    // The cell tables are made on first use, so a matcher that is never
    // asked costs nothing.
    for (Grid* grid : {&coarse_, &fine_}) {
      const auto cells = static_cast<std::size_t>(grid->PerAxis()) * grid->PerAxis() * grid->PerAxis();
      grid->start.assign(cells, 0);
      grid->count.assign(cells, 0);
    }
  }
  const std::size_t cell = fine_.CellOf(c);
  if (fine_.count[cell] == 0) {
    const std::size_t parent = coarse_.CellOf(c);
    if (coarse_.count[parent] == 0) FillCell(coarse_, parent, allEntries_);
    FillCell(fine_, cell, Candidates(coarse_, parent));
  }
  const std::span<const std::uint8_t> candidates = Candidates(fine_, cell);
  if (candidates.size() == 1) return candidates[0];
  int best = std::numeric_limits<int>::max();
  std::uint8_t bestIndex = candidates[0];
  // Candidates are in palette order, so the lowest index wins a tie.
  for (std::uint8_t k : candidates) {
    const int d = DistanceSquared(c, palette_[k]);
    if (d < best) {
      best = d;
      bestIndex = k;
    }
  }
  return bestIndex;
}

}  // namespace brisko
