#pragma once

// Small pictures shared by the image-operation suites.

#include <cstdint>
#include <random>

#include "core/Bitmap.h"

namespace brisko::testpictures {

inline Bitmap Random(std::int32_t w, std::int32_t h, unsigned seed = 1) {
  Bitmap b(w, h, PixelFormat::Bgr24);
  std::mt19937 random(seed);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < 3 * w; ++x) b.Row(y)[x] = static_cast<std::uint8_t>(random());
  return b;
}

inline Bitmap Flat(std::int32_t w, std::int32_t h, Colour c) {
  Bitmap b(w, h, PixelFormat::Bgr24);
  b.Fill(c);
  return b;
}

// Every pixel distinct along both axes: red = x, green = y, blue = x ^ y.
inline Bitmap Numbered(std::int32_t w, std::int32_t h) {
  Bitmap b(w, h, PixelFormat::Bgr24);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      b.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                    static_cast<std::uint8_t>(x ^ y)));
  return b;
}

inline bool SamePixels(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x)
      if (a.PixelAt(x, y) != b.PixelAt(x, y)) return false;
  return true;
}

}  // namespace brisko::testpictures
