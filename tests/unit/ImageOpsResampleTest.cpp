#include "imageops/Resample.h"

#include <gtest/gtest.h>

#include <cmath>

#include "ImageOpsPictures.h"

namespace brisko {
namespace {

using testpictures::Flat;
using testpictures::Random;
using testpictures::SamePixels;

// The area mean written out plainly: destination pixel j of an axis covers
// [j * s, (j + 1) * s) in units of 1/d source pixels, source pixel i covers
// [i * d, (i + 1) * d); the weight of a pair is the product of the overlaps.
Bitmap ReferenceAreaMean(const Bitmap& source, std::int32_t dw, std::int32_t dh) {
  const std::int64_t sw = source.Width(), sh = source.Height();
  auto overlap = [](std::int64_t j, std::int64_t i, std::int64_t s, std::int64_t d) {
    return std::max<std::int64_t>(0, std::min((j + 1) * s, (i + 1) * d) - std::max(j * s, i * d));
  };
  Bitmap out(dw, dh);
  for (std::int32_t y = 0; y < dh; ++y)
    for (std::int32_t x = 0; x < dw; ++x) {
      std::int64_t sum[3] = {0, 0, 0};
      for (std::int64_t sy = 0; sy < sh; ++sy) {
        const std::int64_t wy = overlap(y, sy, sh, dh);
        if (wy == 0) continue;
        for (std::int64_t sx = 0; sx < sw; ++sx) {
          const std::int64_t wgt = wy * overlap(x, sx, sw, dw);
          for (int c = 0; c < 3; ++c) sum[c] += wgt * source.Row(static_cast<std::int32_t>(sy))[3 * sx + c];
        }
      }
      const std::int64_t total = sw * sh;
      for (int c = 0; c < 3; ++c) {
        std::int64_t q = sum[c] / total;
        const std::int64_t twice = 2 * (sum[c] - q * total);
        if (twice > total || (twice == total && (q & 1))) ++q;
        out.Row(y)[3 * x + c] = static_cast<std::uint8_t>(q);
      }
    }
  return out;
}

TEST(Resample, ScaleOneIsTheIdentityForEveryFormat) {
  const Bitmap picture = Random(37, 11);
  EXPECT_TRUE(SamePixels(Resample(picture, 37, 11), picture));
  Bitmap reduced = picture;
  reduced.SetFormat(PixelFormat::Rgb565);
  const Bitmap out = Resample(reduced, 37, 11);
  EXPECT_EQ(out.Format(), PixelFormat::Bgr24);
  EXPECT_TRUE(SamePixels(out, reduced));
}

TEST(Resample, MatchesTheExactAreaMeanAtAnyRatio) {
  const Bitmap picture = Random(23, 17, 7);
  const std::int32_t sizes[][2] = {{11, 8}, {12, 9}, {7, 17}, {23, 5}, {46, 34}, {30, 20}, {69, 51}, {1, 1}, {5, 40}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(testing::Message() << s[0] << " x " << s[1]);
    EXPECT_TRUE(SamePixels(Resample(picture, s[0], s[1]), ReferenceAreaMean(picture, s[0], s[1])));
  }
  // Halving rows long enough for the wide kernels, with a tail.
  const Bitmap wide = Random(2 * 53, 6, 8);
  EXPECT_TRUE(SamePixels(Resample(wide, 53, 3), ReferenceAreaMean(wide, 53, 3)));
}

// Rows squeezed to between half and all of their width keep their height
// (each row of the perspective squeeze is one): every ratio of that range,
// rows of 0 and 255 only, and rows wider than a vector pass.
TEST(Resample, RowsSqueezedToAtLeastHalfTheirWidth) {
  Bitmap extremes = Random(203, 2, 5);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3 * 203; ++x) extremes.Row(y)[x] = extremes.Row(y)[x] & 1 ? 255 : 0;
  for (const Bitmap& picture : {Random(9, 3, 2), Random(100, 2, 3), extremes}) {
    for (std::int32_t dw = (picture.Width() + 1) / 2; dw < picture.Width(); ++dw)
      ASSERT_TRUE(SamePixels(Resample(picture, dw, picture.Height()), ReferenceAreaMean(picture, dw, picture.Height())))
          << picture.Width() << " to " << dw;
  }
  const Bitmap wide = Random(1999, 1, 4);
  for (std::int32_t dw : {1000, 1001, 1337, 1998})
    EXPECT_TRUE(SamePixels(Resample(wide, dw, 1), ReferenceAreaMean(wide, dw, 1))) << dw;
}

// From half size up every destination pixel overlaps at most two source
// pixels per axis; the vector form takes 32 destination bytes per step from
// 128-byte windows whose weights repeat with the ratio. Rows of several
// hundred bytes with partial last steps, ratios with short and long
// repeats, totals that are and are not powers of two, growing and
// shrinking, and a picture of only 0 and 255.
TEST(Resample, TwoTapRatiosMatchTheExactAreaMean) {
  Bitmap extremes = Random(240, 9, 11);
  for (int y = 0; y < extremes.Height(); ++y)
    for (int x = 0; x < 3 * extremes.Width(); ++x) extremes.Row(y)[x] = extremes.Row(y)[x] & 1 ? 255 : 0;
  const Bitmap pictures[] = {Random(160, 12, 12), Random(211, 9, 13), extremes};
  const double ratios[] = {0.75, 0.5 + 1.0 / 211, 2.0 / 3, 5.0 / 6, 0.9, 0.97, 1.25, 1.5, 1.9};
  for (const Bitmap& picture : pictures)
    for (double rx : ratios)
      for (double ry : {0.75, 1.0, 1.5}) {
        const auto dw = static_cast<std::int32_t>(picture.Width() * rx);
        const auto dh = static_cast<std::int32_t>(picture.Height() * ry);
        ASSERT_TRUE(SamePixels(Resample(picture, dw, dh), ReferenceAreaMean(picture, dw, dh)))
            << picture.Width() << "x" << picture.Height() << " to " << dw << "x" << dh;
      }
  Bitmap reduced = Random(160, 12, 14);
  reduced.SetFormat(PixelFormat::Rgb565);
  Bitmap widened = reduced;
  widened.SetFormat(PixelFormat::Bgr24);
  EXPECT_TRUE(SamePixels(Resample(reduced, 120, 9), ReferenceAreaMean(widened, 120, 9)));
}

TEST(Resample, HalvingRoundsTiesToEven) {
  Bitmap picture(4, 2);
  // Blocks summing to 2 (mean 0.5) and to 6 (mean 1.5).
  const std::uint8_t values[2][4] = {{0, 1, 1, 2}, {1, 0, 2, 1}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) picture.SetPixelAt(x, y, MakeColour(values[y][x], 0, 0));
  const Bitmap half = Resample(picture, 2, 1);
  EXPECT_EQ(RedOf(half.PixelAt(0, 0)), 0);
  EXPECT_EQ(RedOf(half.PixelAt(1, 0)), 2);
  EXPECT_TRUE(SamePixels(half, ReferenceAreaMean(picture, 2, 1)));
}

TEST(Resample, FlatAreasKeepTheirColourAndValuesStayInRange) {
  const Colour c = MakeColour(201, 7, 99);
  for (const auto& s : {std::pair{13, 7}, std::pair{3, 2}, std::pair{100, 1}, std::pair{1, 60}}) {
    const Bitmap out = Resample(Flat(29, 19, c), s.first, s.second);
    for (std::int32_t y = 0; y < out.Height(); ++y)
      for (std::int32_t x = 0; x < out.Width(); ++x) ASSERT_EQ(out.PixelAt(x, y), c);
  }
  // Only 0 and 255: every mean of them stays within 0..255 and is exact.
  Bitmap extremes(9, 9);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) extremes.SetPixelAt(x, y, (x + y) % 2 ? kWhite : kBlack);
  EXPECT_TRUE(SamePixels(Resample(extremes, 4, 5), ReferenceAreaMean(extremes, 4, 5)));
}

TEST(Resample, VeryWideAndVeryTallPictures) {
  const Bitmap wide = Random(5000, 1, 3), tall = Random(1, 5000, 4);
  EXPECT_TRUE(SamePixels(Resample(wide, 7, 2), ReferenceAreaMean(wide, 7, 2)));
  EXPECT_TRUE(SamePixels(Resample(tall, 3, 9), ReferenceAreaMean(tall, 3, 9)));
}

TEST(Resample, EmptyPicturesGiveEmptyOrWhiteResults) {
  EXPECT_TRUE(Resample(Random(5, 5), 0, 0).IsEmpty());
  const Bitmap fromNothing = Resample(Bitmap(), 2, 2);
  EXPECT_EQ(fromNothing.PixelAt(1, 1), kWhite);
}

TEST(Resample, ReusedTargetKeepsItsPixelBlock) {
  const Bitmap picture = Random(20, 10);
  Bitmap target;
  Resample(picture, target, 10, 5);
  const std::uint8_t* block = target.Data();
  Resample(Random(20, 10, 9), target, 10, 5);
  EXPECT_EQ(target.Data(), block);
  EXPECT_TRUE(SamePixels(target, ReferenceAreaMean(Random(20, 10, 9), 10, 5)));
}

TEST(ResampleRect, DrawsOnlyIntoTheDestinationRectangle) {
  const Bitmap picture = Random(8, 6);
  Bitmap target = Flat(10, 4, kBlack);
  ResampleRect(picture, Rect{2, 1, 6, 5}, target, Rect{3, 1, 9, 3});
  Bitmap part(4, 4);
  part.CopyFrom(picture, Rect{2, 1, 6, 5}, 0, 0);
  const Bitmap expected = ReferenceAreaMean(part, 6, 2);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 3 && x < 9 && y >= 1 && y < 3;
      ASSERT_EQ(target.PixelAt(x, y), inside ? expected.PixelAt(x - 3, y - 1) : kBlack) << x << "," << y;
    }
  EXPECT_THROW(ResampleRect(picture, Rect{0, 0, 9, 1}, target, Rect{0, 0, 1, 1}), std::invalid_argument);
  EXPECT_THROW(ResampleRect(picture, Rect{0, 0, 1, 1}, target, Rect{9, 0, 11, 1}), std::invalid_argument);
}

TEST(StretchBlackOnWhite, ShrinkingAndsTheDroppedPixelsIntoTheKeptOne) {
  Bitmap picture(4, 1);
  picture.SetPixelAt(0, 0, MakeColour(0xF0, 0x0F, 0xFF));
  picture.SetPixelAt(1, 0, MakeColour(0x3C, 0xFF, 0x81));
  picture.SetPixelAt(2, 0, kWhite);
  picture.SetPixelAt(3, 0, MakeColour(1, 2, 3));
  Bitmap out;
  StretchBlackOnWhite(picture, out, 2, 1);
  EXPECT_EQ(out.PixelAt(0, 0), MakeColour(0x30, 0x0F, 0x81));
  EXPECT_EQ(out.PixelAt(1, 0), MakeColour(1, 2, 3));
  // Rows combine the same way.
  Bitmap column(1, 3);
  column.SetPixelAt(0, 0, MakeColour(0x0F, 0, 0));
  column.SetPixelAt(0, 1, MakeColour(0x3F, 0, 0));
  column.SetPixelAt(0, 2, MakeColour(0xFF, 0, 0));
  StretchBlackOnWhite(column, out, 1, 1);
  EXPECT_EQ(out.PixelAt(0, 0), MakeColour(0x0F, 0, 0));
}

// Half of each side ANDs 2 x 2 blocks; the vector form takes 64 output
// pixels at a time, so wide rows with a remainder show its seams. An odd
// height leaves a last row of one source row.
TEST(StretchBlackOnWhite, HalvingAndsEachTwoByTwoBlock) {
  for (const auto& size : {std::pair{2, 2}, std::pair{6, 5}, std::pair{130, 4}, std::pair{258, 3},
                           std::pair{1003, 6}}) {
    const Bitmap picture = Random(size.first, size.second, static_cast<unsigned>(size.first));
    const std::int32_t dw = size.first / 2, dh = size.second / 2;
    Bitmap out;
    StretchBlackOnWhite(picture, out, dw, dh);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) {
        // Column ranges start at ceil(x * w / dw): 2 x when w is even.
        const int x0 = static_cast<int>((static_cast<long long>(x) * size.first + dw - 1) / dw);
        const int x1 = static_cast<int>((static_cast<long long>(x + 1) * size.first + dw - 1) / dw);
        const int y0 = (y * size.second + dh - 1) / dh, y1 = ((y + 1) * size.second + dh - 1) / dh;
        Colour all = 0xFFFFFF;
        for (int sy = y0; sy < y1; ++sy)
          for (int sx = x0; sx < x1; ++sx) all &= picture.PixelAt(sx, sy);
        ASSERT_EQ(out.PixelAt(x, y), all) << size.first << "x" << size.second << " at " << x << "," << y;
      }
  }
  // A picture of another format is read a row at a time into one buffer.
  Bitmap reduced = Random(134, 6, 3);
  reduced.SetFormat(PixelFormat::Indexed8);
  Bitmap widened = reduced;
  widened.SetFormat(PixelFormat::Bgr24);
  Bitmap fromReduced, fromWidened;
  StretchBlackOnWhite(reduced, fromReduced, 67, 3);
  StretchBlackOnWhite(widened, fromWidened, 67, 3);
  EXPECT_TRUE(SamePixels(fromReduced, fromWidened));
}

TEST(StretchBlackOnWhite, GrowingRepeatsPixels) {
  const Bitmap picture = Random(3, 2);
  Bitmap out;
  StretchBlackOnWhite(picture, out, 7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(out.PixelAt(x, y), picture.PixelAt(x * 3 / 7, y * 2 / 5));
  // One axis shrinking while the other grows.
  StretchBlackOnWhite(picture, out, 1, 4);
  for (int y = 0; y < 4; ++y) {
    const int sy = y * 2 / 4;
    Colour all = 0xFFFFFF;
    for (int x = 0; x < 3; ++x) all &= picture.PixelAt(x, sy);
    ASSERT_EQ(out.PixelAt(0, y), all);
  }
}

}  // namespace
}  // namespace brisko
