#pragma once

// The colours CaptureTargets.exe paints its content rows in, and their
// decoding. Content is a list of 16-pixel items; every pixel row of it has a
// colour of its own, so a single column of a captured image tells which
// content row each image row shows: a stitched scroll capture can be checked
// for gaps, repeats and its end without comparing whole images.
//
// Item n (0..65535), sub-row k (0..15):
//   red = n & 0xFF, green = n >> 8, blue = 0x40 + 8 * k.
// Anything else (the white below the last item, a frame, a scroll bar)
// decodes to no row.

#include <cstdint>
#include <optional>
#include <vector>

namespace brisko::e2e {

inline constexpr int kItemHeight = 16;
inline constexpr int kMaxItems = 65536;
inline constexpr int kNotARow = -1;

struct RowColour {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  constexpr bool operator==(const RowColour&) const = default;
};

// The colour of content pixel row `pixelRow` (16 * item + sub-row), for
// 0 <= pixelRow < kItemHeight * kMaxItems.
constexpr RowColour RowColourOf(int pixelRow) {
  const int item = pixelRow / kItemHeight;
  const int sub = pixelRow % kItemHeight;
  return {static_cast<std::uint8_t>(item & 0xFF), static_cast<std::uint8_t>((item >> 8) & 0xFF),
          static_cast<std::uint8_t>(0x40 + 8 * sub)};
}

// The content pixel row a colour stands for, or nullopt when the colour is
// not one RowColourOf gives.
constexpr std::optional<int> DecodePixelRow(int r, int g, int b) {
  const int sub = (b - 0x40) / 8;
  const bool blueIsSubRow = b >= 0x40 && (b - 0x40) % 8 == 0 && sub < kItemHeight;
  const bool inByteRange = r >= 0 && r <= 0xFF && g >= 0 && g <= 0xFF;
  if (!blueIsSubRow || !inByteRange) return std::nullopt;
  return ((g << 8) | r) * kItemHeight + sub;
}

constexpr std::optional<int> DecodePixelRow(RowColour colour) { return DecodePixelRow(colour.r, colour.g, colour.b); }

// Decodes one column of an image `height` rows tall: `pixelAt(y)` gives the
// RowColour at row y of the column. Rows that decode to nothing hold
// kNotARow.
template <class PixelAt>
std::vector<int> DecodeColumn(int height, PixelAt&& pixelAt) {
  std::vector<int> rows;
  rows.reserve(height > 0 ? static_cast<std::size_t>(height) : 0);
  for (int y = 0; y < height; ++y) rows.push_back(DecodePixelRow(RowColour(pixelAt(y))).value_or(kNotARow));
  return rows;
}

}  // namespace brisko::e2e
