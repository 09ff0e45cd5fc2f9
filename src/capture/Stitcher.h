#pragma once

#include <cstdint>

#include "core/Bitmap.h"

// Joins the bands of an auto-scroll capture into one tall picture. Each
// band carries a few guard rows above its new rows; the stitcher looks for
// the rows it stitched last among them, so a line-down that moved more or
// fewer rows than planned neither loses nor doubles a row.
namespace brisko {

// The index of the first row of `band` that `stitched` does not end with
// yet. `expected` is that index when the content moved as planned. The last
// rows of `stitched` are looked for in the band: where they appear at
// `expected` it wins, else the nearest place they appear; where they appear
// nowhere, `expected`. Both bitmaps share width and pixel format. Only the
// first `columns` pixels of each row are compared: what lies right of them
// (a scroll bar whose thumb moves) changes as the content scrolls.
std::int32_t FirstNewRow(const Bitmap& stitched, const Bitmap& band, std::int32_t expected,
                         std::int32_t columns = kMaxBitmapSide);

class Stitcher {
 public:
  // The head starts the result; memory for `reservedRows` rows is taken at
  // once, so appending copies no stitched row. Bands are matched on their
  // first `matchColumns` pixels.
  void Start(Bitmap head, std::int32_t reservedRows, std::int32_t matchColumns = kMaxBitmapSide);
  // Appends the band's rows from FirstNewRow on; returns how many. When the
  // reserve runs short it grows by an eighth.
  std::int32_t Append(const Bitmap& band, std::int32_t expected);
  const Bitmap& Result() const { return result_; }
  // The result, handed over without a copy; the stitcher is empty after.
  Bitmap Take();

 private:
  Bitmap result_;
  std::int32_t matchColumns_ = kMaxBitmapSide;
};

}  // namespace brisko
