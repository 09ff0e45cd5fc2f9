#include "imageops/ColourAdjust.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "ImageOpsPictures.h"
#include "core/Palettes.h"

namespace brisko {
namespace {

using testpictures::Flat;
using testpictures::Random;
using testpictures::SamePixels;

template <class Op>
Colour OnePixel(Colour c, Op op) {
  Bitmap in = Flat(1, 1, c), out;
  op(in, out);
  return out.PixelAt(0, 0);
}

// --- additive adjustments -----------------------------------------------------

TEST(AdditiveAdjustments, BrightnessContrastAndOneChannel) {
  const Bitmap p = Random(19, 5);
  Bitmap out;
  AdjustBrightness(p, out, 255);
  EXPECT_TRUE(SamePixels(out, Flat(19, 5, kWhite)));
  AdjustBrightness(p, out, -255);
  EXPECT_TRUE(SamePixels(out, Flat(19, 5, kBlack)));
  AdjustContrast(p, out, 0);
  EXPECT_TRUE(SamePixels(out, p));
  EXPECT_EQ(OnePixel(MakeColour(10, 100, 200), [](auto& s, auto& t) { AdjustContrast(s, t, 200); }),
            MakeColour(210, 255, 255));
  EXPECT_EQ(OnePixel(MakeColour(10, 100, 200), [](auto& s, auto& t) { AdjustRGB(s, t, 1, -20); }),
            MakeColour(0, 100, 200));
  EXPECT_EQ(OnePixel(MakeColour(10, 100, 200), [](auto& s, auto& t) { AdjustRGB(s, t, 2, 30); }),
            MakeColour(10, 130, 200));
  EXPECT_EQ(OnePixel(MakeColour(10, 100, 200), [](auto& s, auto& t) { AdjustRGB(s, t, 3, 99); }),
            MakeColour(10, 100, 255));
  AdjustRGB(p, out, 4, 50);
  EXPECT_TRUE(SamePixels(out, p));
}

TEST(AdditiveAdjustments, EveryPixelOfAWideRowIsAdjusted) {
  // 37 pixels: two full 16-pixel blocks and a tail.
  const Bitmap p = Random(37, 3);
  Bitmap out;
  AdjustRGB(p, out, 2, 17);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 37; ++x) {
      const Colour c = p.PixelAt(x, y);
      ASSERT_EQ(out.PixelAt(x, y), MakeColour(RedOf(c), static_cast<std::uint8_t>(std::min(255, GreenOf(c) + 17)),
                                              BlueOf(c)));
    }
}

// --- tables and arithmetic ----------------------------------------------------

TEST(Gamma, DividesBy256AndRoundsInExtendedPrecision) {
  auto gamma = [](std::uint8_t v, double g) {
    return RedOf(OnePixel(MakeColour(v, 0, 0), [g](auto& s, auto& t) { AdjustGamma(s, t, g); }));
  };
  EXPECT_EQ(gamma(255, 1.0), 254);
  EXPECT_EQ(gamma(128, 1.0), 128);
  EXPECT_EQ(gamma(0, 1.0), 0);
  EXPECT_EQ(gamma(1, 0.01), 241);
  EXPECT_EQ(gamma(0, 0.01), 0);
  EXPECT_EQ(gamma(64, 2.0), 16);  // (1/4)^2 * 255 = 15.94
  EXPECT_EQ(gamma(200, 0.5), static_cast<int>(std::lround(std::sqrt(200.0 / 256) * 255)));
}

// Every value the Gamma field can hold, against the power worked out in
// extended precision throughout: the table's quicker path must never round
// another way.
TEST(Gamma, EveryFieldValueMatchesTheExtendedPower) {
  Bitmap ramp(256, 1, PixelFormat::Bgr24), out;
  for (int c = 0; c < 256; ++c) ramp.SetPixelAt(c, 0, MakeColour(static_cast<std::uint8_t>(c), 0, 0));
  for (int hundredths = 1; hundredths <= 500; ++hundredths) {
    const double g = hundredths / 100.0;
    AdjustGamma(ramp, out, g);
    for (int c = 0; c < 256; ++c) {
      long double v = std::exp(static_cast<long double>(g) * std::log(static_cast<long double>(c) / 256)) * 255;
      if (c == 0) v = 0;
      if (g == std::trunc(g)) v = std::pow(static_cast<long double>(c) / 256, static_cast<int>(g)) * 255;
      const long double rounded = std::nearbyint(v);
      ASSERT_EQ(RedOf(out.PixelAt(c, 0)), static_cast<int>(std::min<long double>(rounded, 255))) << g << " " << c;
    }
  }
}

TEST(Saturation, TablesWrapInsteadOfClamping) {
  auto saturate = [](Colour c, int a) { return OnePixel(c, [a](auto& s, auto& t) { AdjustSaturation(s, t, a); }); };
  EXPECT_EQ(saturate(MakeColour(255, 0, 0), 0), MakeColour(85, 85, 85));
  EXPECT_EQ(saturate(MakeColour(123, 45, 67), 256), MakeColour(123, 45, 67));
  EXPECT_EQ(saturate(MakeColour(200, 50, 50), 510), MakeColour(43, 0, 0));
  EXPECT_EQ(saturate(MakeColour(255, 0, 0), 255), MakeColour(255, 1, 1));
  const Bitmap p = Random(41, 3);
  Bitmap out;
  AdjustSaturation(p, out, 256);
  EXPECT_TRUE(SamePixels(out, p));
}

// Widths that reach every vector width and the scalar columns after them.
constexpr std::int32_t kWideWidths[] = {103, 231};

TEST(Saturation, WideRowsMatchThePixelByPixelDefinition) {
  for (std::int32_t w : kWideWidths)
    for (int amount : {0, 100, 256, 400, 510}) {
      const Bitmap p = Random(w, 3, static_cast<unsigned>(amount));
      Bitmap out;
      AdjustSaturation(p, out, amount);
      auto scaled = [amount](int c) { return static_cast<std::uint16_t>((c * amount) >> 8); };
      for (std::int32_t y = 0; y < 3; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
          const Colour c = p.PixelAt(x, y);
          const int mean = (RedOf(c) + GreenOf(c) + BlueOf(c)) / 3, grey = mean - scaled(mean);
          auto channel = [&](int v) { return static_cast<std::uint8_t>((grey + scaled(v)) & 255); };
          ASSERT_EQ(out.PixelAt(x, y), MakeColour(channel(RedOf(c)), channel(GreenOf(c)), channel(BlueOf(c))))
              << "width " << w << " amount " << amount << " at " << x << "," << y;
        }
    }
}

TEST(PerChannelOperations, HueInvertAndExposal) {
  EXPECT_EQ(OnePixel(MakeColour(200, 200, 200), [](auto& s, auto& t) { AdjustHue(s, t, MakeColour(255, 128, 0)); }),
            MakeColour(200, 100, 0));
  const Bitmap p = Random(23, 4);
  Bitmap out, back;
  AdjustHue(p, out, kWhite);
  EXPECT_TRUE(SamePixels(out, p));
  AdjustHue(p, out, kBlack);
  EXPECT_TRUE(SamePixels(out, Flat(23, 4, kBlack)));
  InvertColors(p, out);
  EXPECT_EQ(out.PixelAt(3, 2), ~p.PixelAt(3, 2) & 0xFFFFFF);
  InvertColors(out, back);
  EXPECT_TRUE(SamePixels(back, p));
  EXPECT_EQ(OnePixel(MakeColour(127, 128, 0), [](auto& s, auto& t) { Exposal(s, t); }), MakeColour(128, 128, 255));
}

TEST(PointOperations, InPlaceEqualsCopyAndReducedInputsComeBackAt24Bits) {
  const Bitmap p = Random(33, 9);
  Bitmap copy, inPlace = p;
  AdjustSaturation(p, copy, 300);
  AdjustSaturation(inPlace, inPlace, 300);
  EXPECT_TRUE(SamePixels(inPlace, copy));
  GrayScale(p, copy);
  inPlace = p;
  GrayScale(inPlace, inPlace);
  EXPECT_TRUE(SamePixels(inPlace, copy));
  Bitmap reduced = p;
  reduced.SetFormat(PixelFormat::Indexed4);
  InvertColors(reduced, reduced);
  EXPECT_EQ(reduced.Format(), PixelFormat::Bgr24);
}

// --- ReduceColors --------------------------------------------------------------

TEST(ReduceColors, SelectsTheListedFormats) {
  const Bitmap p = Random(10, 3);
  Bitmap out;
  const PixelFormat expected[] = {PixelFormat::Bgrx32, PixelFormat::Bgr24, PixelFormat::Rgb565,
                                  PixelFormat::Indexed8, PixelFormat::Indexed4, PixelFormat::Indexed1};
  for (int i = 0; i < 6; ++i) {
    ReduceColors(p, out, i);
    EXPECT_EQ(out.Format(), expected[i]) << i;
  }
  ReduceColors(p, out, 3);
  EXPECT_TRUE(std::equal(out.Palette().begin(), out.Palette().end(), HalftonePalette().begin()));
  // 5-6-5 keeps the top bits of each channel.
  EXPECT_EQ(OnePixel(MakeColour(7, 3, 255), [](auto& s, auto& t) { ReduceColors(s, t, 2); }), MakeColour(0, 0, 255));
  ReduceColors(p, out, 5);
  for (int x = 0; x < 10; ++x) EXPECT_TRUE(out.PixelAt(x, 1) == kBlack || out.PixelAt(x, 1) == kWhite);
  Bitmap reduced;
  ReduceColors(p, reduced, 4);
  ReduceColors(reduced, out, 6);
  EXPECT_EQ(out.Format(), PixelFormat::Indexed4) << "an unknown index copies";
  // The next operation works on 24 bits again and keeps the reduced colours.
  Bitmap inverted;
  InvertColors(reduced, inverted);
  EXPECT_EQ(inverted.Format(), PixelFormat::Bgr24);
  EXPECT_EQ(inverted.PixelAt(4, 2), ~reduced.PixelAt(4, 2) & 0xFFFFFF);
}

// --- GrayScale -------------------------------------------------------------------

TEST(GrayScale, StretchesTheLuminanceRange) {
  Bitmap p(3, 1);
  p.SetPixelAt(0, 0, MakeColour(51, 51, 51));
  p.SetPixelAt(1, 0, MakeColour(100, 100, 100));
  p.SetPixelAt(2, 0, MakeColour(136, 136, 136));
  Bitmap out;
  GrayScale(p, out);
  EXPECT_EQ(out.PixelAt(0, 0), MakeColour(0, 0, 0));
  EXPECT_EQ(out.PixelAt(1, 0), MakeColour(147, 147, 147));
  EXPECT_EQ(out.PixelAt(2, 0), MakeColour(255, 255, 255));
}

TEST(GrayScale, OneLuminanceOnlyGivesItsGreyWithoutFailing) {
  Bitmap out;
  GrayScale(Flat(7, 3, MakeColour(200, 10, 90)), out);  // L = round(60 + 5.9 + 9.9) = 76
  EXPECT_TRUE(SamePixels(out, Flat(7, 3, MakeColour(76, 76, 76))));
  ImageView view;
  GrayScale(view);
  EXPECT_TRUE(view.Picture().IsEmpty());
}

TEST(GrayScale, TiesFollowTheExtendedPrecisionSum) {
  // Black and white pin the range to 0..255, so every output is L itself.
  // Every colour below has 30 R + 59 G + 11 B ending in 50: a decimal tie.
  Bitmap p(66, 40);
  int n = 0;
  for (int r = 0; r < 256 && n < 66 * 40 - 2; r += 7)
    for (int g = 0; g < 256 && n < 66 * 40 - 2; g += 5)
      for (int b = 0; b < 256 && n < 66 * 40 - 2; ++b)
        if ((30 * r + 59 * g + 11 * b) % 100 == 50) {
          p.SetPixelAt(n % 66, n / 66, MakeColour(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                                  static_cast<std::uint8_t>(b)));
          ++n;
        }
  p.SetPixelAt(64, 39, kBlack);
  p.SetPixelAt(65, 39, kWhite);
  Bitmap out;
  GrayScale(p, out);
  int roundedDown = 0;
  for (int i = 0; i < n; ++i) {
    const Colour c = p.PixelAt(i % 66, i / 66);
    const long double exact = 0.3L * RedOf(c) + 0.59L * GreenOf(c) + 0.11L * BlueOf(c);
    const auto expected = static_cast<std::uint8_t>(std::nearbyint(exact));
    ASSERT_EQ(RedOf(out.PixelAt(i % 66, i / 66)), expected) << std::hex << c;
    roundedDown += expected < exact;
  }
  EXPECT_GT(roundedDown, 0);
  EXPECT_LT(roundedDown, n) << "ties go both ways";
}

TEST(GrayScale, WideRowsMatchThePixelByPixelDefinitionAlsoInPlace) {
  for (std::int32_t w : kWideWidths) {
    // Channels kept within 40..200, so the range needs stretching.
    Bitmap p = Random(w, 4, static_cast<unsigned>(w));
    for (std::int32_t y = 0; y < 4; ++y)
      for (std::int32_t k = 0; k < 3 * w; ++k) p.Row(y)[k] = static_cast<std::uint8_t>(40 + p.Row(y)[k] % 161);
    auto luminance = [](Colour c) {
      return static_cast<int>(std::nearbyint(0.3L * RedOf(c) + 0.59L * GreenOf(c) + 0.11L * BlueOf(c)));
    };
    int lo = 255, hi = 0;
    for (std::int32_t y = 0; y < 4; ++y)
      for (std::int32_t x = 0; x < w; ++x) {
        lo = std::min(lo, luminance(p.PixelAt(x, y)));
        hi = std::max(hi, luminance(p.PixelAt(x, y)));
      }
    ASSERT_TRUE(lo > 0 && hi < 255);
    Bitmap out, inPlace = p;
    GrayScale(p, out);
    GrayScale(inPlace, inPlace);
    EXPECT_TRUE(SamePixels(inPlace, out));
    for (std::int32_t y = 0; y < 4; ++y)
      for (std::int32_t x = 0; x < w; ++x) {
        const long double stretched = static_cast<long double>(luminance(p.PixelAt(x, y)) - lo) * (255.0 / (hi - lo));
        const auto g = static_cast<std::uint8_t>(std::nearbyint(stretched));
        ASSERT_EQ(out.PixelAt(x, y), MakeColour(g, g, g)) << "width " << w << " at " << x << "," << y;
      }
  }
}

}  // namespace
}  // namespace brisko
