#include "imageops/Filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ImageOpsPictures.h"

namespace brisko {
namespace {

using testpictures::Flat;
using testpictures::Random;
using testpictures::SamePixels;

bool BordersEqual(const Bitmap& a, const Bitmap& b) {
  for (int x = 0; x < a.Width(); ++x)
    if (a.PixelAt(x, 0) != b.PixelAt(x, 0) || a.PixelAt(x, a.Height() - 1) != b.PixelAt(x, b.Height() - 1)) return false;
  for (int y = 0; y < a.Height(); ++y)
    if (a.PixelAt(0, y) != b.PixelAt(0, y) || a.PixelAt(a.Width() - 1, y) != b.PixelAt(b.Width() - 1, y)) return false;
  return true;
}

// --- the 3 x 3 filters ------------------------------------------------------------

TEST(Filters3x3, EdgeFilterShowsRisingStepsOnly) {
  Bitmap step = Flat(10, 5, kBlack);
  step.FillRect(Rect{6, 0, 10, 5}, kWhite);
  Bitmap out;
  EdgeDetect(step, out, 1);
  for (int y = 1; y < 4; ++y)
    for (int x = 1; x < 9; ++x) ASSERT_EQ(out.PixelAt(x, y), (x == 5 || x == 6) ? kWhite : kBlack) << x;
  Bitmap falling = Flat(10, 5, kWhite);
  falling.FillRect(Rect{6, 0, 10, 5}, kBlack);
  EdgeDetect(falling, out, 1);
  for (int y = 1; y < 4; ++y)
    for (int x = 1; x < 9; ++x) ASSERT_EQ(out.PixelAt(x, y), kBlack);
  // Other kinds look at rows instead: a rising step downward.
  Bitmap down = Flat(6, 8, kBlack);
  down.FillRect(Rect{0, 4, 6, 8}, kWhite);
  EdgeDetect(down, out, 0);
  EXPECT_EQ(out.PixelAt(2, 3), kWhite);
  EXPECT_EQ(out.PixelAt(2, 5), kBlack);
}

TEST(Filters3x3, BlurOfOnePointAndSharpenOfAFlatPicture) {
  Bitmap point = Flat(5, 5, kBlack);
  point.SetPixelAt(2, 2, kWhite);
  Bitmap out;
  GaussianBlur(point, out);
  EXPECT_EQ(out.PixelAt(2, 2), MakeColour(63, 63, 63));
  EXPECT_EQ(out.PixelAt(2, 1), MakeColour(31, 31, 31));
  EXPECT_EQ(out.PixelAt(3, 2), MakeColour(31, 31, 31));
  EXPECT_EQ(out.PixelAt(1, 1), MakeColour(15, 15, 15));
  EXPECT_EQ(out.PixelAt(3, 3), MakeColour(15, 15, 15));
  const Bitmap flat = Flat(9, 6, MakeColour(40, 90, 250));
  Sharpen(flat, out);
  EXPECT_TRUE(SamePixels(out, flat));
}

TEST(Filters3x3, FixedFiltersEqualTheGeneralRuleWithTheirKernels) {
  const Bitmap p = Random(45, 13);
  Bitmap fast, general;
  EdgeDetect(p, fast, 1);
  Convolve3x3(p, general, {-1, 0, 1, -1, 0, 1, -1, 0, 1}, 1);
  EXPECT_TRUE(SamePixels(fast, general));
  EdgeDetect(p, fast, 7);
  Convolve3x3(p, general, {-1, -1, -1, 0, 0, 0, 1, 1, 1}, 1);
  EXPECT_TRUE(SamePixels(fast, general));
  Sharpen(p, fast);
  Convolve3x3(p, general, {0, -1, 0, -1, 5, -1, 0, -1, 0}, 1);
  EXPECT_TRUE(SamePixels(fast, general));
  GaussianBlur(p, fast);
  Convolve3x3(p, general, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16);
  EXPECT_TRUE(SamePixels(fast, general));
}

TEST(Filters3x3, BordersAndThinPicturesStayAsTheyWere) {
  const Bitmap p = Random(17, 11);
  Bitmap out;
  for (int run = 0; run < 4; ++run) {
    if (run == 0) Sharpen(p, out);
    if (run == 1) GaussianBlur(p, out);
    if (run == 2) EdgeDetect(p, out, 1);
    if (run == 3) Convolve3x3(p, out, {3, -7, 2, 9, -1, 4, 0, 8, -5}, 3);
    EXPECT_TRUE(BordersEqual(out, p)) << run;
  }
  for (const auto& size : {std::pair{2, 9}, std::pair{9, 2}, std::pair{1, 1}, std::pair{0, 0}}) {
    const Bitmap thin = Random(size.first, size.second);
    Sharpen(thin, out);
    EXPECT_TRUE(SamePixels(out, thin));
    GaussianBlur(thin, out);
    EXPECT_TRUE(SamePixels(out, thin));
    EdgeDetect(thin, out, 1);
    EXPECT_TRUE(SamePixels(out, thin));
  }
}

TEST(Filters3x3, DivisionTruncatesAndInPlaceReadsTheUnfilteredPicture) {
  Bitmap p = Flat(3, 3, MakeColour(255, 5, 0));
  Convolve3x3(p, {0, 0, 0, 0, 1, 0, 0, 0, 0}, 2);
  EXPECT_EQ(p.PixelAt(1, 1), MakeColour(127, 2, 0));
  Convolve3x3(p, {0, 0, 0, 0, 1, 0, 0, 0, 0}, 0);
  EXPECT_EQ(p.PixelAt(1, 1), MakeColour(127, 2, 0)) << "divisor 0 counts as 1";
  // A kernel that copies the left neighbour shows whether the pass read
  // pixels it had already written.
  Bitmap ramp(6, 3);
  for (int x = 0; x < 6; ++x)
    for (int y = 0; y < 3; ++y) ramp.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(10 * x), 0, 0));
  Convolve3x3(ramp, {0, 0, 0, 1, 0, 0, 0, 0, 0}, 1);
  for (int x = 1; x < 5; ++x) EXPECT_EQ(RedOf(ramp.PixelAt(x, 1)), 10 * (x - 1));
}

// The filter rule written straight out: nine products in 64 bits, the
// quotient truncated toward zero, clamped; the border copied.
Bitmap ReferenceConvolution(const Bitmap& p, const Kernel3x3& k, int divisor) {
  Bitmap out = p;
  for (int y = 1; y + 1 < p.Height(); ++y)
    for (int x = 1; x + 1 < p.Width(); ++x)
      for (int c = 0; c < 3; ++c) {
        long long sum = 0;
        for (int j = 0; j < 9; ++j) sum += static_cast<long long>(k[j]) * p.Row(y - 1 + j / 3)[3 * (x - 1 + j % 3) + c];
        const long long v = sum / (divisor == 0 ? 1 : divisor);
        out.Row(y)[3 * x + c] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
      }
  return out;
}

// Small and wide pictures (the vector forms take 16 to 64 bytes at a time
// and leave the rest of a row to plain code), pictures of only 0 and 255,
// kernels whose sums fit 16 bits and ones that need more, small and large
// divisors.
TEST(Filters3x3, GeneralKernelsMatchTheRuleAtEveryWidth) {
  const Kernel3x3 kernels[] = {{1, 1, 1, 1, 1, 1, 1, 1, 1},          {-1, -2, -1, 0, 0, 0, 1, 2, 1},
                               {-3, 1, -2, 5, 9, -1, 2, -7, 4},       {-5, -5, -5, -5, 100, -5, -5, -5, -5},
                               {0, 0, 0, 0, 128, 0, 0, 0, 0},         {255, 255, 255, 255, 255, 255, 255, 255, 255},
                               {1000, -2000, 3000, 400, 32000, -500, 60, -70, 80}};
  const int divisors[] = {1, 2, 3, 7, 9, 100, 255, 4097, 65535};
  std::vector<Bitmap> pictures;
  for (const auto& size : {std::pair{3, 3}, std::pair{4, 5}, std::pair{23, 4}, std::pair{67, 5}, std::pair{131, 4},
                           std::pair{1001, 3}})
    pictures.push_back(Random(size.first, size.second, static_cast<unsigned>(size.first)));
  Bitmap extremes = Random(97, 6, 7);
  for (int y = 0; y < extremes.Height(); ++y)
    for (int x = 0; x < 3 * extremes.Width(); ++x) extremes.Row(y)[x] = extremes.Row(y)[x] & 1 ? 255 : 0;
  pictures.push_back(extremes);
  Bitmap out;
  for (const Bitmap& p : pictures)
    for (const Kernel3x3& k : kernels)
      for (int d : divisors) {
        Convolve3x3(p, out, k, static_cast<std::uint16_t>(d));
        ASSERT_TRUE(SamePixels(out, ReferenceConvolution(p, k, d)))
            << p.Width() << "x" << p.Height() << " kernel " << k[0] << "," << k[4] << " divisor " << d;
      }
}

// --- distortions -----------------------------------------------------------------

TEST(Distortions, TwistKeepsTheCentreAndTurnsAQuarterNearIt) {
  const Bitmap p = Random(21, 15);
  Bitmap out;
  Twist(p, out);
  EXPECT_EQ(out.PixelAt(10, 7), p.PixelAt(10, 7));
  // Near the centre the picture turns a quarter counter-clockwise: right of
  // the centre shows what was below it, left of it what was above.
  Bitmap bands = Flat(21, 15, kBlack);
  bands.FillRect(Rect{0, 8, 21, 9}, kWhite);
  bands.FillRect(Rect{0, 6, 21, 7}, MakeColour(0, 0, 255));
  Twist(bands, out);
  EXPECT_EQ(out.PixelAt(11, 7), kWhite);
  EXPECT_EQ(out.PixelAt(9, 7), MakeColour(0, 0, 255));
  Twist(Bitmap(), out);
  EXPECT_TRUE(out.IsEmpty());
  Twist(p, out, 0);
  EXPECT_TRUE(SamePixels(out, p));
  for (const auto& size : {std::pair{1, 1}, std::pair{2, 7}, std::pair{400, 2}}) {
    Twist(Random(size.first, size.second), out);
    EXPECT_EQ(out.Width(), size.first);
  }
}

// The twist written straight from its definition, with the C library's
// single-precision functions.
Bitmap ReferenceTwist(const Bitmap& p, float amount) {
  const int w = p.Width(), h = p.Height();
  const float cx = static_cast<float>(w - 1) / 2, cy = static_cast<float>(h - 1) / 2;
  const float halfPi = 1.5707964f;
  auto wrap = [](long long i, long long size) {
    return i < 0 ? (size - 1) - ((-i) % size) : (i > size - 1 ? i % size : i);
  };
  Bitmap out(w, h);
  for (int ty = 0; ty < h; ++ty)
    for (int tx = 0; tx < w; ++tx) {
      const float dx = static_cast<float>(tx) - cx, dy = static_cast<float>(ty) - cy;
      const float r = std::sqrt(dx * dx + dy * dy);
      float ox = 0, oy = 0;
      if (r != 0) {
        const float angle = dx == 0 ? (dy > 0 ? halfPi : -halfPi)
                                    : (dx > 0 ? std::atan(dy / dx) : std::atan(dy / dx) + 3.14159265f);
        const float theta = angle - r / amount + halfPi;
        ox = r * std::cos(theta);
        oy = r * std::sin(theta);
      }
      const float fx = cx + ox, fy = cy + oy;
      const long long ix = static_cast<long long>(std::trunc(fx)), iy = static_cast<long long>(std::trunc(fy));
      const float wx1 = fx >= 0 ? fx - static_cast<float>(ix) : 1 - (static_cast<float>(ix) - fx);
      const float wx0 = fx >= 0 ? 1 - wx1 : static_cast<float>(ix) - fx;
      const float wy1 = fy >= 0 ? fy - static_cast<float>(iy) : 1 - (static_cast<float>(iy) - fy);
      const float wy0 = fy >= 0 ? 1 - wy1 : static_cast<float>(iy) - fy;
      const long long x = wrap(ix, w), y = wrap(iy, h);
      const long long x1 = x + 1 < w ? x + 1 : 0, y1 = y + 1 < h ? y + 1 : 0;
      for (int c = 0; c < 3; ++c) {
        float sum = 0;
        sum += static_cast<float>(p.Row(static_cast<int>(y))[3 * x + c]) * (wx0 * wy0);
        sum += static_cast<float>(p.Row(static_cast<int>(y))[3 * x1 + c]) * (wx1 * wy0);
        sum += static_cast<float>(p.Row(static_cast<int>(y1))[3 * x + c]) * (wx0 * wy1);
        sum += static_cast<float>(p.Row(static_cast<int>(y1))[3 * x1 + c]) * (wx1 * wy1);
        const float v = std::nearbyint(sum);
        out.Row(ty)[3 * tx + c] = static_cast<std::uint8_t>(v >= 255 ? 255 : (v > 0 ? v : 0));
      }
    }
  return out;
}

// Rows wider than the sixteen pixels the vector form takes at once, with
// remainders; odd and even centres; strong twists that wrap positions far
// outside the picture, and a tiny amount whose angles leave the range of
// the fast sine and cosine; pictures that end exactly at a row's last byte.
TEST(Distortions, TwistMatchesItsDefinitionAtEveryWidth) {
  for (const auto& size : {std::pair{16, 3}, std::pair{17, 13}, std::pair{40, 40}, std::pair{67, 9},
                           std::pair{100, 31}, std::pair{129, 4}}) {
    const Bitmap p = Random(size.first, size.second, static_cast<unsigned>(size.first * 7 + size.second));
    for (float amount : {150.0f, 3.0f, -37.5f, 0.01f, 1e9f}) {
      Bitmap out;
      Twist(p, out, amount);
      ASSERT_TRUE(SamePixels(out, ReferenceTwist(p, amount)))
          << size.first << "x" << size.second << " amount " << amount;
    }
  }
}

TEST(Distortions, WaveMovesWholePixels) {
  const Bitmap p = Random(20, 12);
  Bitmap out;
  WaveWarp(p, out);
  EXPECT_EQ(out.PixelAt(0, 0), p.PixelAt(0, 0));
  EXPECT_EQ(out.PixelAt(3, 0), p.PixelAt(3, 2)) << "2 sin(1.5) rounds to 2";
  // y = 9: 2 sin(1.5) again moves the column by 2; x = 1: 2 sin(0.5) = 0.96.
  EXPECT_EQ(out.PixelAt(1, 9), p.PixelAt(3, 10));
  WaveWarp(p, out, 0, 6, 2);
  EXPECT_TRUE(SamePixels(out, p));
  // Wrapping: x = 0, y = 4 reads column round(2 sin(4/6) + 0) = 1 and
  // row 4; negative positions count back from the far side.
  WaveWarp(p, out, 2, 6, -3);
  EXPECT_EQ(out.PixelAt(0, 4), p.PixelAt(20 - 1 - 2, 4));
  for (const auto& size : {std::pair{1, 1}, std::pair{2, 7}, std::pair{300, 1}}) {
    WaveWarp(Random(size.first, size.second), out);
    EXPECT_EQ(out.Height(), size.second);
  }
}

}  // namespace
}  // namespace brisko
