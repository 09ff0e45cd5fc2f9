#include "codecs/Quantise.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "core/Palettes.h"

namespace brisko {

namespace {

// The histogram keeps 6 bits of each channel; each cell also sums its
// colours, so a flat area's colour survives exactly.
constexpr int kCellBits = 6;
constexpr std::size_t kCells = std::size_t{1} << (3 * kCellBits);
constexpr int kRefinements = 2;

std::size_t CellOf(const std::uint8_t* bgr) {
  constexpr int drop = 8 - kCellBits;
  return (std::size_t{bgr[2]} >> drop) << (2 * kCellBits) | (std::size_t{bgr[1]} >> drop) << kCellBits |
         (std::size_t{bgr[0]} >> drop);
}

Colour ColourOf(const std::uint8_t* bgr) { return MakeColour(bgr[2], bgr[1], bgr[0]); }

// Feeds every `step`-th row of the picture to `visit` as 24-bit pixels.
template <typename Visit>
void ForEachRow(const Bitmap& picture, Visit visit, std::int32_t step = 1) {
  std::vector<std::uint8_t> converted;
  if (picture.Format() != PixelFormat::Bgr24) converted.resize(static_cast<std::size_t>(picture.Width()) * 3);
  for (std::int32_t y = 0; y < picture.Height(); y += step) {
    const std::uint8_t* row = picture.Row(y);
    if (!converted.empty()) {
      RowToBgr24(row, picture.Format(), picture.Palette(), picture.Width(), converted.data());
      row = converted.data();
    }
    visit(y, row);
  }
}

// The distinct colours met so far, up to a limit, with their palette
// indices in the order they were met.
class ColourSet {
 public:
  explicit ColourSet(std::size_t limit) : limit_(limit) {}

  const std::vector<Colour>& Colours() const { return colours_; }

  // The colour's index, the colour added if it is new; -1 when it is new
  // and the set is full. Runs of one colour cost a comparison.
  int IndexOf(Colour c) {
    if (c == lastColour_ && lastIndex_ >= 0) return lastIndex_;
    Slot& slot = slots_[Find(c)];
    if (slot.index == 0) {
      if (colours_.size() == limit_) return -1;
      colours_.push_back(c);
      slot = Slot{c, static_cast<std::uint16_t>(colours_.size())};
    }
    lastColour_ = c;
    lastIndex_ = slot.index - 1;
    return lastIndex_;
  }

 private:
  struct Slot {
    Colour colour = 0;
    std::uint16_t index = 0;  // 0 for an empty slot, else palette index + 1
  };
  static constexpr std::size_t kSlots = 1024;  // at least four times the limit

  std::size_t Find(Colour c) const {
    std::size_t i = (c * 2654435761u) >> 22;
    while (slots_[i].index != 0 && slots_[i].colour != c) i = (i + 1) % kSlots;
    return i;
  }

  std::size_t limit_;
  std::vector<Colour> colours_;
  std::array<Slot, kSlots> slots_{};
  Colour lastColour_ = 0;
  int lastIndex_ = -1;
};

// Whether every fourth row's every third pixel has few enough colours: a
// picture with more than that is ruled out at a fraction of a full scan.
bool SampleFits(const Bitmap& picture, std::size_t limit) {
  ColourSet sample(limit);
  bool fits = true;
  ForEachRow(
      picture,
      [&](std::int32_t, const std::uint8_t* bgr) {
        for (std::int32_t x = 0; x < picture.Width() && fits; x += 3) fits = sample.IndexOf(ColourOf(bgr + 3 * x)) >= 0;
      },
      4);
  return fits;
}

struct Cell {
  std::uint32_t count = 0;
  std::uint64_t sum[3] = {0, 0, 0};  // red, green, blue
};

// One non-empty cell of the histogram: its pixel count and mean colour.
struct Entry {
  double weight;
  double mean[3];
  std::uint32_t cell;
};

struct Stats {
  double weight = 0, sum[3] = {0, 0, 0}, squares = 0;

  void Add(const Entry& e) {
    weight += e.weight;
    for (int c = 0; c < 3; ++c) sum[c] += e.weight * e.mean[c];
    squares += e.weight * (e.mean[0] * e.mean[0] + e.mean[1] * e.mean[1] + e.mean[2] * e.mean[2]);
  }
  Stats Minus(const Stats& part) const {
    Stats s;
    s.weight = weight - part.weight;
    for (int c = 0; c < 3; ++c) s.sum[c] = sum[c] - part.sum[c];
    s.squares = squares - part.squares;
    return s;
  }
  // Sum of squared distances of the colours from their mean.
  double Error() const {
    if (weight <= 0) return 0;
    return std::max(0.0, squares - (sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]) / weight);
  }
  Colour Mean() const {
    auto channel = [&](int c) { return static_cast<std::uint8_t>(std::clamp(sum[c] / weight + 0.5, 0.0, 255.0)); };
    return MakeColour(channel(0), channel(1), channel(2));
  }
};

struct Box {
  std::size_t begin, end;
  Stats stats;
  double error;  // 0 when the box cannot be split
};

Box MakeBox(const std::vector<Entry>& entries, std::size_t begin, std::size_t end) {
  Box box{begin, end, {}, 0};
  for (std::size_t i = begin; i < end; ++i) box.stats.Add(entries[i]);
  box.error = end - begin > 1 ? box.stats.Error() : 0;
  return box;
}

int WidestAxis(const std::vector<Entry>& entries, const Box& box) {
  double spread[3] = {0, 0, 0};
  for (int c = 0; c < 3; ++c) {
    const double mean = box.stats.sum[c] / box.stats.weight;
    for (std::size_t i = box.begin; i < box.end; ++i) {
      const double d = entries[i].mean[c] - mean;
      spread[c] += entries[i].weight * d * d;
    }
  }
  return static_cast<int>(std::max_element(spread, spread + 3) - spread);
}

// Sorts the box along its widest axis and splits it where the two halves
// have the least squared error together.
std::pair<Box, Box> Split(std::vector<Entry>& entries, const Box& box) {
  const int axis = WidestAxis(entries, box);
  std::sort(entries.begin() + static_cast<std::ptrdiff_t>(box.begin), entries.begin() + static_cast<std::ptrdiff_t>(box.end),
            [axis](const Entry& a, const Entry& b) { return a.mean[axis] < b.mean[axis]; });
  Stats left;
  double best = -1;
  std::size_t cut = box.begin + 1;
  for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
    left.Add(entries[i]);
    const double error = left.Error() + box.stats.Minus(left).Error();
    if (best < 0 || error < best) {
      best = error;
      cut = i + 1;
    }
  }
  return {MakeBox(entries, box.begin, cut), MakeBox(entries, cut, box.end)};
}

std::vector<Colour> MedianCut(std::vector<Entry>& entries, std::size_t colours) {
  std::vector<Box> boxes{MakeBox(entries, 0, entries.size())};
  while (boxes.size() < colours) {
    const auto worst = std::max_element(boxes.begin(), boxes.end(),
                                        [](const Box& a, const Box& b) { return a.error < b.error; });
    if (worst->error <= 0) break;
    auto [low, high] = Split(entries, *worst);
    *worst = low;
    boxes.push_back(high);
  }
  std::vector<Colour> palette;
  for (const Box& box : boxes) palette.push_back(box.stats.Mean());
  return palette;
}

Colour EntryColour(const Entry& e) {
  auto channel = [&](int c) { return static_cast<std::uint8_t>(std::clamp(e.mean[c] + 0.5, 0.0, 255.0)); };
  return MakeColour(channel(0), channel(1), channel(2));
}

// Moves each palette colour to the mean of the cells nearest to it.
void Refine(const std::vector<Entry>& entries, std::vector<Colour>& palette) {
  std::vector<Stats> groups(palette.size());
  PaletteMatcher matcher(palette);
  for (const Entry& e : entries) groups[matcher.Nearest(EntryColour(e))].Add(e);
  for (std::size_t i = 0; i < palette.size(); ++i)
    if (groups[i].weight > 0) palette[i] = groups[i].Mean();
}

Bitmap IndexedPicture(const Bitmap& picture, std::span<const Colour> palette) {
  Bitmap indexed = Bitmap::ForOverwrite(picture.Width(), picture.Height(), PixelFormat::Indexed8);
  indexed.SetPalette(palette);
  return indexed;
}

Bitmap MapByCells(const Bitmap& picture, const std::vector<Entry>& entries, std::span<const Colour> palette) {
  std::vector<std::uint8_t> indexOfCell(kCells, 0);
  PaletteMatcher matcher(palette);
  for (const Entry& e : entries) indexOfCell[e.cell] = matcher.Nearest(EntryColour(e));
  Bitmap indexed = IndexedPicture(picture, palette);
  ForEachRow(picture, [&](std::int32_t y, const std::uint8_t* bgr) {
    std::uint8_t* out = indexed.Row(y);
    for (std::int32_t x = 0; x < picture.Width(); ++x) out[x] = indexOfCell[CellOf(bgr + 3 * x)];
  });
  return indexed;
}

}  // namespace

std::optional<Bitmap> IndexExactly(const Bitmap& picture, int colours) {
  const auto limit = static_cast<std::size_t>(std::clamp(colours, 1, 256));
  if (!SampleFits(picture, limit)) return std::nullopt;
  ColourSet set(limit);
  Bitmap indexed = Bitmap::ForOverwrite(picture.Width(), picture.Height(), PixelFormat::Indexed8);
  bool fits = true;
  ForEachRow(picture, [&](std::int32_t y, const std::uint8_t* bgr) {
    std::uint8_t* out = indexed.Row(y);
    for (std::int32_t x = 0; x < picture.Width() && fits; ++x, bgr += 3) {
      const int index = set.IndexOf(ColourOf(bgr));
      fits = index >= 0;
      out[x] = static_cast<std::uint8_t>(index);
    }
  });
  if (!fits) return std::nullopt;
  indexed.SetPalette(set.Colours());
  return indexed;
}

Bitmap ReduceColours(const Bitmap& picture, int colours) {
  const auto limit = static_cast<std::size_t>(std::clamp(colours, 2, 256));
  if (std::optional<Bitmap> exact = IndexExactly(picture, static_cast<int>(limit))) return std::move(*exact);
  auto cells = std::make_unique<Cell[]>(kCells);
  ForEachRow(picture, [&](std::int32_t, const std::uint8_t* bgr) {
    for (std::int32_t x = 0; x < picture.Width(); ++x, bgr += 3) {
      Cell& cell = cells[CellOf(bgr)];
      ++cell.count;
      cell.sum[0] += bgr[2];
      cell.sum[1] += bgr[1];
      cell.sum[2] += bgr[0];
    }
  });

  std::vector<Entry> entries;
  for (std::uint32_t i = 0; i < kCells; ++i) {
    const Cell& c = cells[i];
    if (c.count == 0) continue;
    const double n = c.count;
    entries.push_back(Entry{n, {c.sum[0] / n, c.sum[1] / n, c.sum[2] / n}, i});
  }
  std::vector<Colour> palette = MedianCut(entries, limit);
  for (int round = 0; round < kRefinements; ++round) Refine(entries, palette);
  return MapByCells(picture, entries, palette);
}

}  // namespace brisko
