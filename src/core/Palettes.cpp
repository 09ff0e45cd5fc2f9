#include "core/Palettes.h"

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

PaletteMatcher::PaletteMatcher(std::span<const Colour> palette)
    : palette_(palette.begin(), palette.end()) {
  if (palette_.size() > 256) palette_.resize(256);
}

std::uint8_t PaletteMatcher::Nearest(Colour c) {
  c &= 0xFFFFFF;
  const std::uint32_t key = c | (1u << 24);
  const std::size_t slot = ((c * 2654435761u) >> 20) % kCacheSize;
  if (keys_[slot] == key) return indices_[slot];
  const std::uint8_t index = Search(c);
  keys_[slot] = key;
  indices_[slot] = index;
  return index;
}

std::uint8_t PaletteMatcher::Search(Colour c) const {
  int best = std::numeric_limits<int>::max();
  std::size_t bestIndex = 0;
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    const int d = DistanceSquared(c, palette_[i]);
    if (d < best) {
      best = d;
      bestIndex = i;
      if (d == 0) break;
    }
  }
  return static_cast<std::uint8_t>(bestIndex);
}

}  // namespace brisko
