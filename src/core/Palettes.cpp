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

PaletteMatcher::PaletteMatcher(std::span<const Colour> palette) : shared_(SharedFor(palette)) {
  if (shared_ != nullptr) return;
  palette_.assign(palette.begin(), palette.end());
  if (palette_.size() > 256) palette_.resize(256);
  if (palette_.empty()) palette_.push_back(kBlack);
  for (std::size_t i = 0; i < palette_.size(); ++i) allEntries_.push_back(static_cast<std::uint8_t>(i));
}

PaletteMatcher::PaletteMatcher(std::span<const Colour> palette, LearnEverything)
    : palette_(palette.begin(), palette.end()) {
  for (std::size_t i = 0; i < palette_.size(); ++i) allEntries_.push_back(static_cast<std::uint8_t>(i));
  MakeTables();
  for (std::size_t cell = 0; cell < cells_.size(); ++cell) Learn(cell);
  blocks_.clear();
  blocks_.shrink_to_fit();
}

const PaletteMatcher* PaletteMatcher::SharedFor(std::span<const Colour> palette) {
  // Built on first use, complete, and never changed afterwards, so every
  // thread may read them. They serve small pictures too: a preview
  // converted again and again would otherwise learn its cells anew each
  // time.
  if (std::ranges::equal(palette, HalftonePalette())) {
    static const PaletteMatcher halftone(HalftonePalette(), LearnEverything{});
    return &halftone;
  }
  if (std::ranges::equal(palette, StandardPalette16())) {
    static const PaletteMatcher standard(StandardPalette16(), LearnEverything{});
    return &standard;
  }
  if (std::ranges::equal(palette, BlackWhitePalette())) {
    static const PaletteMatcher blackWhite(BlackWhitePalette(), LearnEverything{});
    return &blackWhite;
  }
  return nullptr;
}

void PaletteMatcher::MakeTables() {
  constexpr std::size_t blocksPerAxis = kPerAxis >> 3;
  cells_.assign(static_cast<std::size_t>(kPerAxis) * kPerAxis * kPerAxis, kUnknown);
  blocks_.resize(blocksPerAxis * blocksPerAxis * blocksPerAxis);
  constexpr std::size_t cellColours = kSide * kSide * kSide;
  answers_.resize(palette_.size() * cellColours);
  for (std::size_t i = 0; i < palette_.size(); ++i)
    std::fill_n(answers_.begin() + static_cast<std::ptrdiff_t>(i * cellColours), cellColours,
                static_cast<std::uint8_t>(i));
}

std::size_t PaletteMatcher::CandidatesIn(const int low[3], int side, std::span<const std::uint8_t> from,
                                         std::uint8_t* kept) const {
  auto channels = [](Colour p) { return std::array<int, 3>{RedOf(p), GreenOf(p), BlueOf(p)}; };
  auto nearestOnAxis = [](int value, int lo, int hi) {
    const int d = value < lo ? lo - value : value > hi ? value - hi : 0;
    return d * d;
  };
  auto farthestOnAxis = [](int value, int lo, int hi) {
    const int a = value - lo, b = hi - value;
    return std::max(a * a, b * b);
  };
  // No colour of the box is farther from its nearest entry than `bound`,
  // so an entry whose closest point of the box lies beyond it can never win.
  int bound = std::numeric_limits<int>::max();
  for (std::uint8_t i : from) {
    const auto p = channels(palette_[i]);
    int far = 0;
    for (int k = 0; k < 3; ++k) far += farthestOnAxis(p[k], low[k], low[k] + side);
    bound = std::min(bound, far);
  }
  std::size_t n = 0;
  for (std::uint8_t i : from) {
    const auto p = channels(palette_[i]);
    int closest = 0;
    for (int k = 0; k < 3; ++k) closest += nearestOnAxis(p[k], low[k], low[k] + side);
    if (closest <= bound) kept[n++] = i;
  }
  return n;
}

std::uint8_t PaletteMatcher::NearestOf(Colour c, std::span<const std::uint8_t> candidates) const {
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

void PaletteMatcher::Learn(std::size_t cell) {
  constexpr int blockShift = 3, blocksPerAxis = kPerAxis >> blockShift;
  const int cr = static_cast<int>(cell % kPerAxis), cg = static_cast<int>(cell / kPerAxis % kPerAxis),
            cb = static_cast<int>(cell / (kPerAxis * kPerAxis));
  const std::size_t block = static_cast<std::size_t>((cr >> blockShift) + (cg >> blockShift) * blocksPerAxis +
                                                     (cb >> blockShift) * blocksPerAxis * blocksPerAxis);
  std::vector<std::uint8_t>& blockCandidates = blocks_[block];
  if (blockCandidates.empty()) {
    constexpr int blockSide = kSide << blockShift;
    const int low[3] = {cr >> blockShift << (kShift + blockShift), cg >> blockShift << (kShift + blockShift),
                        cb >> blockShift << (kShift + blockShift)};
    std::uint8_t kept[256];
    blockCandidates.assign(kept, kept + CandidatesIn(low, blockSide - 1, allEntries_, kept));
  }
  constexpr std::size_t cellColours = kSide * kSide * kSide;
  const int low[3] = {cr << kShift, cg << kShift, cb << kShift};
  std::uint8_t kept[256];
  const std::span<const std::uint8_t> candidates(kept, CandidatesIn(low, kSide - 1, blockCandidates, kept));
  if (candidates.size() == 1) {
    cells_[cell] = static_cast<std::uint32_t>(candidates[0] * cellColours);
    return;
  }
  std::uint8_t answers[cellColours];
  bool oneAnswer = true;
  for (int b = 0; b < kSide; ++b)
    for (int g = 0; g < kSide; ++g)
      for (int r = 0; r < kSide; ++r) {
        const std::size_t at = InCell(static_cast<unsigned>(r), static_cast<unsigned>(g), static_cast<unsigned>(b));
        answers[at] = NearestOf(MakeColour(static_cast<std::uint8_t>(low[0] + r), static_cast<std::uint8_t>(low[1] + g),
                                           static_cast<std::uint8_t>(low[2] + b)),
                                candidates);
        oneAnswer = oneAnswer && answers[at] == answers[0];
      }
  if (oneAnswer) {
    cells_[cell] = static_cast<std::uint32_t>(answers[0] * cellColours);
    return;
  }
  cells_[cell] = static_cast<std::uint32_t>(answers_.size());
  answers_.insert(answers_.end(), std::begin(answers), std::end(answers));
}

void PaletteMatcher::NearestRow(const std::uint8_t* bgr, std::size_t pixels, std::uint8_t* indices) {
  if (shared_ != nullptr) {
    // Every cell is known: nothing to learn, nothing to change.
    const std::uint32_t* cells = shared_->cells_.data();
    const std::uint8_t* answers = shared_->answers_.data();
    for (std::size_t x = 0; x < pixels; ++x) {
      const unsigned b = bgr[3 * x], g = bgr[3 * x + 1], r = bgr[3 * x + 2];
      indices[x] = answers[cells[CellOf(r, g, b)] + InCell(r, g, b)];
    }
    return;
  }
  // Made on first use, so a matcher that is never asked costs nothing.
  if (cells_.empty()) MakeTables();
  for (std::size_t x = 0; x < pixels; ++x) {
    const unsigned b = bgr[3 * x], g = bgr[3 * x + 1], r = bgr[3 * x + 2];
    const std::size_t cell = CellOf(r, g, b);
    if (cells_[cell] == kUnknown) Learn(cell);
    indices[x] = answers_[cells_[cell] + InCell(r, g, b)];
  }
}

std::uint8_t PaletteMatcher::Nearest(Colour c) {
  const std::uint8_t bgr[3] = {BlueOf(c), GreenOf(c), RedOf(c)};
  std::uint8_t index = 0;
  NearestRow(bgr, 1, &index);
  return index;
}

}  // namespace brisko
