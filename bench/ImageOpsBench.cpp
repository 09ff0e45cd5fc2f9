// Image operations on a 4K screen's worth of pixels, each measured twice:
// into a target reused from the last call (what a live preview does) and
// into a fresh bitmap (what a one-off editor command pays: the allocator
// hands back the block freed by the last round where it can, so the first
// touch of new pages shows mainly for outputs larger than the picture).
// BM_Floor is one read-plus-write pass over the same bytes, the yardstick
// of the point operations.

#include <benchmark/benchmark.h>

#include "BenchPictures.h"

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "imageops/ColourAdjust.h"
#include "imageops/Filters.h"
#include "imageops/Geometric.h"
#include "imageops/Resample.h"

namespace {

using brisko::Bitmap;

using brisko::bench::kHeight;
using brisko::bench::kWidth;
using brisko::bench::Picture;

void BM_Floor(benchmark::State& state) {
  const Bitmap& source = Picture();
  std::vector<std::uint8_t> target(source.ByteSize());
  for (auto _ : state) {
    std::memcpy(target.data(), source.Data(), source.ByteSize());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.ByteSize()));
}

using brisko::bench::Operation;
using brisko::bench::Reused;

void Fresh(benchmark::State& state, const Operation& op) {
  const Bitmap& source = Picture();
  for (auto _ : state) {
    Bitmap target;
    op(source, target);
    benchmark::DoNotOptimize(target.Data());
    benchmark::ClobberMemory();
  }
}

struct Case {
  const char* name;
  Operation op;
};

std::vector<Case> Cases() {
  using namespace brisko;
  return {
      {"InvertColors", [](auto& s, auto& t) { InvertColors(s, t); }},
      {"Exposal", [](auto& s, auto& t) { Exposal(s, t); }},
      {"AdjustBrightness", [](auto& s, auto& t) { AdjustBrightness(s, t, 40); }},
      {"AdjustContrast", [](auto& s, auto& t) { AdjustContrast(s, t, 120); }},
      {"AdjustRGB", [](auto& s, auto& t) { AdjustRGB(s, t, 2, -60); }},
      {"AdjustGamma", [](auto& s, auto& t) { AdjustGamma(s, t, 0.8); }},
      {"AdjustHue", [](auto& s, auto& t) { AdjustHue(s, t, MakeColour(255, 128, 0)); }},
      {"AdjustSaturation", [](auto& s, auto& t) { AdjustSaturation(s, t, 400); }},
      {"GrayScale", [](auto& s, auto& t) { GrayScale(s, t); }},
      {"ReduceColors8", [](auto& s, auto& t) { ReduceColors(s, t, 3); }},
      {"FlipHorizontal", [](auto& s, auto& t) { FlipHorizontal(s, t); }},
      {"FlipVertical", [](auto& s, auto& t) { FlipVertical(s, t); }},
      {"Rotate90", [](auto& s, auto& t) { Rotate90(s, t); }},
      {"Rotate180", [](auto& s, auto& t) { Rotate180(s, t); }},
      {"Rotate270", [](auto& s, auto& t) { Rotate270(s, t); }},
      {"RotateAngle37.5", [](auto& s, auto& t) { RotateAngle(s, t, kWhite, 37.5L); }},
      {"ResizeCanvas", [](auto& s, auto& t) { ResizeCanvas(s, t, 4000, 2300, 5); }},
      {"ScaleSmooth50", [](auto& s, auto& t) { ScaleImage(s, t, kWidth / 2, kHeight / 2, true); }},
      {"ScaleSmooth200", [](auto& s, auto& t) { ScaleImage(s, t, kWidth * 2, kHeight * 2, true); }},
      {"ScalePlain50", [](auto& s, auto& t) { ScaleImage(s, t, kWidth / 2, kHeight / 2, false); }},
      {"ScalePlain200", [](auto& s, auto& t) { ScaleImage(s, t, kWidth * 2, kHeight * 2, false); }},
      {"ZoomStretch75", [](auto& s, auto& t) { ZoomStretch(s, t, 0.75L); }},
      {"Smoothness", [](auto& s, auto& t) { ScaleImage(s, t, kWidth, kHeight, true); }},
      {"PerspectiveShear", [](auto& s, auto& t) { PerspectiveShear(s, t); }},
      {"GaussianBlur", [](auto& s, auto& t) { GaussianBlur(s, t); }},
      {"Sharpen", [](auto& s, auto& t) { Sharpen(s, t); }},
      {"EdgeDetect", [](auto& s, auto& t) { EdgeDetect(s, t, 1); }},
      {"Convolve3x3", [](auto& s, auto& t) { Convolve3x3(s, t, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 9); }},
      {"Twist", [](auto& s, auto& t) { Twist(s, t); }},
      {"WaveWarp", [](auto& s, auto& t) { WaveWarp(s, t); }},
  };
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("BM_Floor", BM_Floor)->Unit(benchmark::kMillisecond);
  // The two conditions of one operation run back to back, so that they see
  // the same machine when other work comes and goes.
  for (const Case& c : Cases()) {
    benchmark::RegisterBenchmark((std::string("BM_") + c.name + "/reused").c_str(), Reused, c.op)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_") + c.name + "/fresh").c_str(), Fresh, c.op)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
