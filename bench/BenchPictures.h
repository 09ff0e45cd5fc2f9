#pragma once

#include <cstdint>
#include <random>

#include "core/Bitmap.h"

namespace brisko::bench {

inline constexpr std::int32_t kWidth = 3840;
inline constexpr std::int32_t kHeight = 2160;

// A 4K screen's worth of gradients with noise, so no operation and no codec
// meets a constant or a short repeating pattern.
inline const Bitmap& Picture() {
  static const Bitmap picture = [] {
    Bitmap b = Bitmap::ForOverwrite(kWidth, kHeight, PixelFormat::Bgr24);
    std::minstd_rand random(42);
    for (std::int32_t y = 0; y < kHeight; ++y) {
      std::uint8_t* row = b.Row(y);
      for (std::int32_t x = 0; x < kWidth; ++x) {
        const unsigned noise = random() & 15;
        row[3 * x] = static_cast<std::uint8_t>(x + noise);
        row[3 * x + 1] = static_cast<std::uint8_t>(y + noise);
        row[3 * x + 2] = static_cast<std::uint8_t>((x ^ y) + noise);
      }
    }
    return b;
  }();
  return picture;
}

}  // namespace brisko::bench
