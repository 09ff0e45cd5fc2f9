#pragma once

// Reading a stitched picture of a RowColours document: which content row
// each of its rows shows.
#include <cstddef>
#include <vector>

#include "RowColours.h"
#include "core/Bitmap.h"

namespace brisko::test {

// The content rows the middle column shows, with the rows that are no
// content (caption, borders, white below the last line) left out at both
// ends; a row between content rows that shows none stays in as kNotARow.
inline std::vector<int> ContentRows(const Bitmap& picture) {
  std::vector<int> rows = e2e::DecodeColumn(picture.Height(), [&](int y) {
    const Colour c = picture.PixelAt(picture.Width() / 2, y);
    return e2e::RowColour{RedOf(c), GreenOf(c), BlueOf(c)};
  });
  std::size_t first = 0;
  while (first < rows.size() && rows[first] == e2e::kNotARow) ++first;
  rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(first));
  while (!rows.empty() && rows.back() == e2e::kNotARow) rows.pop_back();
  return rows;
}

// How many rows from the start show content rows 0, 1, 2... in order: all
// of them when nothing was lost, doubled or misplaced.
inline std::size_t RowsInOrder(const std::vector<int>& rows) {
  std::size_t i = 0;
  while (i < rows.size() && rows[i] == static_cast<int>(i)) ++i;
  return i;
}

}  // namespace brisko::test
