#include "capture/Stitcher.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace brisko {

namespace {

void CheckSameRows(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Format() != b.Format())
    throw std::invalid_argument("stitched bands need the width and pixel format of the picture");
}

// The bytes of a row's first `columns` pixels, the last partial byte
// included; the padding is left out so that only pixels decide a match.
std::size_t PixelBytes(const Bitmap& b, std::int32_t columns) {
  const std::int32_t pixels = std::clamp(columns, 0, b.Width());
  return (static_cast<std::size_t>(pixels) * BitsPerPixel(b.Format()) + 7) / 8;
}

// Whether band rows [end - count, end) repeat the last `count` rows of
// `stitched` in their first `columns` pixels.
bool EndsAt(const Bitmap& stitched, const Bitmap& band, std::int32_t end, std::int32_t count, std::int32_t columns) {
  const std::size_t bytes = PixelBytes(band, columns);
  const std::int32_t from = stitched.Height() - count;
  for (std::int32_t i = 0; i < count; ++i)
    if (std::memcmp(band.Row(end - count + i), stitched.Row(from + i), bytes) != 0) return false;
  return true;
}

}  // namespace

std::int32_t FirstNewRow(const Bitmap& stitched, const Bitmap& band, std::int32_t expected, std::int32_t columns) {
  expected = std::clamp(expected, 0, band.Height());
  if (expected == 0 || stitched.Height() == 0) return expected;
  CheckSameRows(stitched, band);
  // Half the guard rows as the key: long enough to tell places apart, short
  // enough to be found when the content moved up to half a guard more.
  const std::int32_t key = std::min({std::max(1, (expected + 1) / 2), stitched.Height(), expected});
  if (EndsAt(stitched, band, expected, key, columns)) return expected;
  // The nearest match wins; at equal distance the later one, which appends
  // fewer rows, so content that repeats itself cannot double a row.
  const std::int32_t reach = std::max(expected - key, band.Height() - expected);
  for (std::int32_t distance = 1; distance <= reach; ++distance) {
    if (expected + distance <= band.Height() && EndsAt(stitched, band, expected + distance, key, columns))
      return expected + distance;
    if (expected - distance >= key && EndsAt(stitched, band, expected - distance, key, columns)) return expected - distance;
  }
  // Content that changed as it scrolled matches nowhere: the arithmetic is
  // all there is to go by.
  return expected;
}

void Stitcher::Start(Bitmap head, std::int32_t reservedRows, std::int32_t matchColumns) {
  result_ = std::move(head);
  matchColumns_ = matchColumns;
  // A long scroll range may ask for more than a bitmap can hold; the
  // picture then grows as far as the limit allows instead of failing here.
  std::int32_t rows = std::max(reservedRows, result_.Height());
  if (result_.Stride() > 0)
    rows = static_cast<std::int32_t>(std::min<std::size_t>(
        static_cast<std::size_t>(rows), std::min<std::size_t>(kMaxBitmapSide, kMaxBitmapBytes / result_.Stride())));
  result_.ReserveRows(std::max(rows, result_.Height()));
}

std::int32_t Stitcher::Append(const Bitmap& band, std::int32_t expected) {
  CheckSameRows(result_, band);
  const std::int32_t first = FirstNewRow(result_, band, expected, matchColumns_);
  const std::int32_t count = band.Height() - first;
  if (count <= 0) return 0;
  std::uint8_t* to = result_.AddRowsForOverwrite(count);
  // Same width and format give the same stride: the rows are one block in
  // both pictures, padding included.
  std::memcpy(to, band.Row(first), band.Stride() * static_cast<std::size_t>(count));
  return count;
}

Bitmap Stitcher::Take() { return std::move(result_); }

}  // namespace brisko
