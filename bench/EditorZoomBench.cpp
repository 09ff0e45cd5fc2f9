// The editor's paint-time zoom: one visible area of a 3840 x 2160 capture
// drawn at each zoom step, as a repaint draws it, against the whole
// zoomed copy that a view holding its zoomed picture would have to build.

#include <benchmark/benchmark.h>

#include <random>

#include "editor/Zoom.h"
#include "imageops/Geometric.h"

namespace {

using brisko::Bitmap;
using brisko::Rect;

constexpr std::int32_t kWidth = 3840;
constexpr std::int32_t kHeight = 2160;
// The image area of the editor maximised on a 1920 x 1080 screen.
constexpr std::int32_t kAreaWidth = 1680;
constexpr std::int32_t kAreaHeight = 900;

const Bitmap& Picture() {
  static const Bitmap picture = [] {
    Bitmap b = Bitmap::ForOverwrite(kWidth, kHeight, brisko::PixelFormat::Bgr24);
    std::minstd_rand random(7);
    for (std::int32_t y = 0; y < kHeight; ++y) {
      std::uint8_t* row = b.Row(y);
      for (std::int32_t x = 0; x < 3 * kWidth; ++x) row[x] = static_cast<std::uint8_t>(x + y + (random() & 31));
    }
    return b;
  }();
  return picture;
}

// A full repaint of the area, the view scrolled to its middle.
void BM_RepaintVisibleArea(benchmark::State& state) {
  const int tenths = static_cast<int>(state.range(0));
  const std::int32_t w = static_cast<std::int32_t>(std::int64_t{kWidth} * tenths / 10);
  const std::int32_t h = static_cast<std::int32_t>(std::int64_t{kHeight} * tenths / 10);
  const Rect area = brisko::Intersection(
      brisko::RectOfSize((w - kAreaWidth) / 2, (h - kAreaHeight) / 2, kAreaWidth, kAreaHeight), Rect{0, 0, w, h});
  Bitmap block;
  for (auto _ : state) {
    benchmark::DoNotOptimize(brisko::RenderZoomedArea(Picture(), tenths, area, block));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * area.Width() * area.Height());
  state.counters["block_MB"] = static_cast<double>(block.ByteSize()) / 1e6;
}
BENCHMARK(BM_RepaintVisibleArea)
    ->Arg(1)
    ->Arg(5)
    ->Arg(9)
    ->Arg(10)
    ->Arg(20)
    ->Arg(50)
    ->Arg(90)
    ->Unit(benchmark::kMillisecond);

// A scroll step: the strip of 48 columns that comes into view.
void BM_ScrollStrip(benchmark::State& state) {
  const int tenths = static_cast<int>(state.range(0));
  const std::int32_t w = static_cast<std::int32_t>(std::int64_t{kWidth} * tenths / 10);
  std::int32_t x = 0;
  Bitmap block;
  for (auto _ : state) {
    x = (x + 48) % (w - kAreaWidth);
    benchmark::DoNotOptimize(brisko::RenderZoomedArea(
        Picture(), tenths, brisko::RectOfSize(x + kAreaWidth - 48, 0, 48, kAreaHeight), block));
  }
}
BENCHMARK(BM_ScrollStrip)->Arg(9)->Arg(90)->Unit(benchmark::kMicrosecond);

// What holding the zoomed picture would cost instead: building it whole.
void BM_WholeZoomedCopy(benchmark::State& state) {
  const long double factor = static_cast<long double>(state.range(0)) / 10;
  Bitmap zoomed;
  for (auto _ : state) brisko::ZoomStretch(Picture(), zoomed, factor);
  state.counters["copy_MB"] = static_cast<double>(zoomed.ByteSize()) / 1e6;
}
BENCHMARK(BM_WholeZoomedCopy)->Arg(20)->Arg(90)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
