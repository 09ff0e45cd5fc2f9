#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>

#include "core/Bitmap.h"

namespace brisko::bench {

inline constexpr std::int32_t kWidth = 3840;
inline constexpr std::int32_t kHeight = 2160;

// A 4K screen's worth of gradients with noise, so no operation and no codec
// meets a constant or a short repeating pattern. The peer scripts in
// peers/ build the same picture with the same formula.
inline const Bitmap& Picture() {
  static const Bitmap picture = [] {
    Bitmap b = Bitmap::ForOverwrite(kWidth, kHeight, PixelFormat::Bgr24);
    for (std::int32_t y = 0; y < kHeight; ++y) {
      std::uint8_t* row = b.Row(y);
      for (std::int32_t x = 0; x < kWidth; ++x) {
        const unsigned noise = static_cast<unsigned>(x * 7 + y * 13) & 15;
        row[3 * x] = static_cast<std::uint8_t>(x + noise);
        row[3 * x + 1] = static_cast<std::uint8_t>(y + noise);
        row[3 * x + 2] = static_cast<std::uint8_t>((x ^ y) + noise);
      }
    }
    return b;
  }();
  return picture;
}

// Times `op` writing the whole picture into a target kept from the last
// call, so that the figure leaves allocation out.
using Operation = std::function<void(const Bitmap&, Bitmap&)>;
inline void Reused(benchmark::State& state, const Operation& op) {
  const Bitmap& source = Picture();
  Bitmap target;
  op(source, target);
  for (auto _ : state) {
    op(source, target);
    benchmark::DoNotOptimize(target.Data());
    benchmark::ClobberMemory();
  }
}

}  // namespace brisko::bench
