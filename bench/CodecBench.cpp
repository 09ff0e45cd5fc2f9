// Encoding a screenshot-like picture in the formats of the save dialog, and
// decoding a JPEG, to memory. bench/peers/codecs runs this beside Pillow and
// OpenCV doing the same on the same picture.
//
//   bench_codecs --save_picture=<folder>   writes picture.bmp and flat.bmp and,
//                                          from our encoders, picture.jpg,
//                                          picture.gif and picture.png
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/Codecs.h"
#include "codecs/Jpeg.h"
#include "codecs/Quantise.h"
#include "core/Bmp.h"

namespace {

using brisko::Bitmap;
using brisko::Colour;
using brisko::MakeColour;

constexpr std::int32_t kWidth = 1920;
constexpr std::int32_t kHeight = 1080;

// --- The picture -------------------------------------------------------------

void FillRect(Bitmap& b, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height, Colour c) {
  b.FillRect(brisko::Rect{left, top, left + width, top + height}, c);
}

// A made-up typeface: each glyph is a few strokes on a 7 x 12 grid drawn at
// four times the size and averaged down, so its edges carry the grey steps
// of anti-aliased text.
struct Glyph {
  static constexpr int kWide = 7, kHigh = 12;
  std::array<std::uint8_t, kWide * kHigh> coverage{};
};

std::vector<Glyph> MakeTypeface(std::minstd_rand& random) {
  std::vector<Glyph> glyphs(64);
  for (Glyph& g : glyphs) {
    constexpr int s = 4, w = Glyph::kWide * s, h = Glyph::kHigh * s;
    std::vector<std::uint8_t> ink(w * h, 0);
    auto stroke = [&](int x0, int y0, int x1, int y1) {
      for (int t = 0; t <= 64; ++t) {
        const int cx = x0 + (x1 - x0) * t / 64, cy = y0 + (y1 - y0) * t / 64;
        for (int dy = -2; dy < 3; ++dy)
          for (int dx = -2; dx < 3; ++dx) {
            const int x = cx + dx, y = cy + dy;
            if (x >= 0 && x < w && y >= 0 && y < h) ink[y * w + x] = 1;
          }
      }
    };
    const int top = (random() % 3 == 0) ? 4 : 16, bottom = 44, left = 4, right = 22;
    const unsigned strokes = random();
    if (strokes & 1) stroke(left, top, left, bottom);
    if (strokes & 2) stroke(right, 16, right, bottom);
    if (strokes & 4) stroke(left, 16, right, 16);
    if (strokes & 8) stroke(left, bottom, right, bottom);
    if (strokes & 16) stroke(left, 30, right, 30);
    if (strokes & 32) stroke(left, bottom, right, 16);
    if ((strokes & 63) == 0) stroke(13, 16, 13, bottom);
    for (int y = 0; y < Glyph::kHigh; ++y)
      for (int x = 0; x < Glyph::kWide; ++x) {
        int sum = 0;
        for (int yy = 0; yy < s; ++yy)
          for (int xx = 0; xx < s; ++xx) sum += ink[(y * s + yy) * w + x * s + xx];
        g.coverage[y * Glyph::kWide + x] = static_cast<std::uint8_t>(sum * 255 / (s * s));
      }
  }
  return glyphs;
}

void DrawGlyph(Bitmap& b, const Glyph& g, std::int32_t left, std::int32_t top, Colour ink) {
  for (int y = 0; y < Glyph::kHigh; ++y) {
    std::uint8_t* row = b.Row(top + y) + 3 * left;
    for (int x = 0; x < Glyph::kWide; ++x, row += 3) {
      const int a = g.coverage[y * Glyph::kWide + x];
      const std::uint8_t fg[3] = {brisko::BlueOf(ink), brisko::GreenOf(ink), brisko::RedOf(ink)};
      for (int c = 0; c < 3; ++c) row[c] = static_cast<std::uint8_t>(row[c] + (fg[c] - row[c]) * a / 255);
    }
  }
}

// Lines of words in the box, on whatever background is there.
void DrawText(Bitmap& b, const std::vector<Glyph>& face, std::minstd_rand& random, std::int32_t left,
              std::int32_t top, std::int32_t width, std::int32_t height, Colour ink) {
  for (std::int32_t y = top; y + Glyph::kHigh <= top + height; y += 18) {
    const std::int32_t end = left + width - static_cast<std::int32_t>(random() % (width / 3 + 1));
    std::int32_t x = left;
    while (x + 10 * 8 < end) {
      const int letters = 2 + static_cast<int>(random() % 8);
      for (int i = 0; i < letters; ++i, x += 8) DrawGlyph(b, face[random() % face.size()], x, y, ink);
      x += 6;
    }
  }
}

// A landscape with sky, hills and grain: smooth gradients and noise, like a
// photo shown in an image viewer.
void DrawPhoto(Bitmap& b, std::minstd_rand& random, std::int32_t left, std::int32_t top, std::int32_t width,
               std::int32_t height) {
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* row = b.Row(top + y) + 3 * left;
    for (std::int32_t x = 0; x < width; ++x, row += 3) {
      const double u = double(x) / width, v = double(y) / height;
      const double hill = 0.55 + 0.12 * std::sin(u * 9.0) + 0.06 * std::sin(u * 23.0 + 1.3);
      double r, g, bl;
      if (v < hill) {
        r = 90 + 120 * v;
        g = 140 + 90 * v;
        bl = 230 - 40 * v;
        const double sun = std::hypot(u - 0.75, v - 0.2);
        if (sun < 0.08) r = g = bl = 250;
      } else {
        const double shade = 0.6 + 0.4 * std::sin(u * 40.0 + v * 17.0) * std::cos(v * 31.0);
        r = 60 + 60 * shade;
        g = 110 + 70 * shade;
        bl = 40 + 30 * shade;
      }
      const int grain = static_cast<int>(random() % 17) - 8;
      row[0] = static_cast<std::uint8_t>(std::clamp(int(bl) + grain, 0, 255));
      row[1] = static_cast<std::uint8_t>(std::clamp(int(g) + grain, 0, 255));
      row[2] = static_cast<std::uint8_t>(std::clamp(int(r) + grain, 0, 255));
    }
  }
}

void DrawButton(Bitmap& b, const std::vector<Glyph>& face, std::minstd_rand& random, std::int32_t left,
                std::int32_t top) {
  FillRect(b, left, top, 90, 28, MakeColour(173, 173, 173));
  FillRect(b, left + 1, top + 1, 88, 26, MakeColour(225, 225, 225));
  DrawText(b, face, random, left + 12, top + 8, 80, 14, MakeColour(0, 0, 0));
}

Bitmap MakeScreenshot() {
  std::minstd_rand random(2024);
  const std::vector<Glyph> face = MakeTypeface(random);
  Bitmap b(kWidth, kHeight);
  b.Fill(MakeColour(58, 110, 165));  // desktop
  // Main window: title bar, tool bar with icons, side panel, text and a photo.
  FillRect(b, 100, 60, 1300, 860, MakeColour(255, 255, 255));
  FillRect(b, 100, 60, 1300, 32, MakeColour(0, 120, 215));
  DrawText(b, face, random, 112, 70, 400, 14, MakeColour(255, 255, 255));
  FillRect(b, 100, 92, 1300, 40, MakeColour(243, 243, 243));
  for (int i = 0; i < 24; ++i)
    FillRect(b, 108 + i * 36, 98, 28, 28, MakeColour(static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random())));
  FillRect(b, 100, 132, 260, 788, MakeColour(246, 246, 246));
  DrawText(b, face, random, 112, 144, 236, 760, MakeColour(32, 32, 32));
  DrawText(b, face, random, 380, 144, 1000, 220, MakeColour(0, 0, 0));
  DrawPhoto(b, random, 380, 380, 640, 400);
  DrawText(b, face, random, 1040, 380, 340, 520, MakeColour(0, 0, 0));
  DrawText(b, face, random, 380, 800, 640, 110, MakeColour(0, 0, 0));
  // A dialog over it.
  FillRect(b, 1450, 300, 420, 260, MakeColour(100, 100, 100));
  FillRect(b, 1451, 301, 418, 258, MakeColour(240, 240, 240));
  DrawText(b, face, random, 1470, 330, 380, 120, MakeColour(0, 0, 0));
  DrawButton(b, face, random, 1660, 510);
  DrawButton(b, face, random, 1760, 510);
  // Task bar.
  FillRect(b, 0, kHeight - 40, kWidth, 40, MakeColour(32, 32, 32));
  for (int i = 0; i < 12; ++i)
    FillRect(b, 60 + i * 48, kHeight - 34, 28, 28, MakeColour(static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()), 200));
  DrawText(b, face, random, kWidth - 120, kHeight - 28, 100, 14, MakeColour(255, 255, 255));
  return b;
}

const Bitmap& Screenshot() {
  static const Bitmap picture = MakeScreenshot();
  return picture;
}

// The same screen with a flat panel where the photo was: at most 256
// colours, as many screenshots are.
const Bitmap& FlatScreenshot() {
  static const Bitmap picture = [] {
    Bitmap b = Screenshot();
    FillRect(b, 380, 380, 640, 400, MakeColour(200, 200, 200));
    return b;
  }();
  return picture;
}

std::vector<std::uint8_t> Encode(const brisko::SaveParameters& parameters) {
  brisko::MemorySink sink;
  brisko::WriteImage(Screenshot(), parameters, sink);
  return sink.Take();
}

brisko::SaveParameters Parameters(brisko::ImageFormat format,
                                  brisko::TiffCompression tiff = brisko::TiffCompression::None) {
  brisko::SaveParameters p;
  p.format = format;
  p.tiffCompression = tiff;
  return p;
}

// --- Benchmarks ----------------------------------------------------------------

// Encodes into a fresh memory sink each time, as a one-off save would.
void BM_Write(benchmark::State& state, brisko::SaveParameters parameters, const Bitmap& (*source)()) {
  const Bitmap& picture = source();
  std::size_t bytes = 0;
  for (auto _ : state) {
    brisko::MemorySink sink;
    brisko::WriteImage(picture, parameters, sink);
    bytes = sink.Bytes().size();
    benchmark::DoNotOptimize(sink.Bytes().data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
using brisko::ImageFormat;
using brisko::TiffCompression;
BENCHMARK_CAPTURE(BM_Write, png, Parameters(ImageFormat::Png), Screenshot)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, jpeg_q75, Parameters(ImageFormat::Jpeg), Screenshot)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, tiff_lzw, Parameters(ImageFormat::Tiff, TiffCompression::Lzw), Screenshot)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, tiff_packbits, Parameters(ImageFormat::Tiff, TiffCompression::PackBits), Screenshot)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, gif, Parameters(ImageFormat::Gif), Screenshot)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, png_flat, Parameters(ImageFormat::Png), FlatScreenshot)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, gif_flat, Parameters(ImageFormat::Gif), FlatScreenshot)->Unit(benchmark::kMillisecond);

// The dialog's JPEG uses smoothing 3, which libjpeg-turbo does in plain C;
// without it its SIMD downsampling applies, as for the peers.
void BM_WriteJpegWithoutSmoothing(benchmark::State& state) {
  brisko::SaveParameters p = Parameters(ImageFormat::Jpeg);
  p.jpegSmoothing = 0;
  BM_Write(state, p, Screenshot);
}
BENCHMARK(BM_WriteJpegWithoutSmoothing)->Unit(benchmark::kMillisecond);

void BM_ReduceColours(benchmark::State& state) {
  for (auto _ : state) {
    const Bitmap indexed = brisko::ReduceColours(Screenshot(), 256);
    benchmark::DoNotOptimize(indexed.Data());
  }
}
BENCHMARK(BM_ReduceColours)->Unit(benchmark::kMillisecond);

void BM_ReadJpeg(benchmark::State& state) {
  static const std::vector<std::uint8_t> file = Encode(Parameters(brisko::ImageFormat::Jpeg));
  for (auto _ : state) {
    const Bitmap b = brisko::ReadJpeg(file);
    benchmark::DoNotOptimize(b.Data());
  }
  state.counters["bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_ReadJpeg)->Unit(benchmark::kMillisecond);

void SavePicture(const std::string& folder) {
  const std::filesystem::path dir = brisko::PathFromUtf8(folder);
  brisko::WriteBmpFile(Screenshot(), dir / "picture.bmp");
  brisko::WriteBmpFile(FlatScreenshot(), dir / "flat.bmp");
  brisko::WriteFileAtomically(dir / "picture.jpg", Encode(Parameters(brisko::ImageFormat::Jpeg)));
  brisko::WriteFileAtomically(dir / "picture.gif", Encode(Parameters(brisko::ImageFormat::Gif)));
  brisko::WriteFileAtomically(dir / "picture.png", Encode(Parameters(brisko::ImageFormat::Png)));
}

}  // namespace

int main(int argc, char** argv) {
  constexpr std::string_view kSave = "--save_picture=";
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with(kSave)) {
      SavePicture(std::string(arg.substr(kSave.size())));
      return 0;
    }
  }
  // A program that has handled a picture has had a picture-sized block
  // freed, after which glibc serves blocks of that size from its heap rather
  // than from fresh pages; the peers' processes have, by loading the
  // picture. One copy dropped puts this process in the same state, so the
  // figures compare the encoders rather than first-use page faults.
  { const Bitmap copy = Screenshot(); }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
