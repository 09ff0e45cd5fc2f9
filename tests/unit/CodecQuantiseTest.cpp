// Colour reduction for GIF: exact when the colours fit, close when not.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

#include "CodecTestSupport.h"
#include "codecs/Quantise.h"

namespace brisko {
namespace {

std::set<Colour> ColoursOf(const Bitmap& b) {
  std::set<Colour> colours;
  for (std::int32_t y = 0; y < b.Height(); ++y)
    for (std::int32_t x = 0; x < b.Width(); ++x) colours.insert(b.PixelAt(x, y));
  return colours;
}

// A screenshot's mix: flat panels, text-grey steps and one photo.
Bitmap Screenshot() {
  Bitmap b(160, 120, PixelFormat::Bgr24);
  b.Fill(MakeColour(240, 240, 240));
  b.FillRect(Rect{0, 0, 160, 12}, MakeColour(0, 120, 215));
  b.FillRect(Rect{0, 100, 160, 120}, MakeColour(32, 32, 32));
  for (int i = 0; i < 8; ++i) b.FillRect(Rect{4 + i * 6, 20, 6 + i * 6, 30}, MakeColour(i * 30, i * 30, i * 30));
  std::mt19937 random(5);
  for (std::int32_t y = 40; y < 95; ++y)
    for (std::int32_t x = 60; x < 150; ++x)
      b.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x + random() % 30),
                                    static_cast<std::uint8_t>(y * 2 + random() % 30),
                                    static_cast<std::uint8_t>(200 - x + random() % 30)));
  return b;
}

TEST(ReduceColours, APictureWithFewColoursKeepsThemExactly) {
  Bitmap b = Screenshot();
  b.FillRect(Rect{60, 40, 150, 95}, MakeColour(1, 2, 3));  // no photo: 12 colours
  const Bitmap reduced = ReduceColours(b, 256);
  EXPECT_EQ(reduced.Format(), PixelFormat::Indexed8);
  EXPECT_EQ(test::MaxDifference(reduced, b), 0);

  // Exactly as many colours as allowed is still exact.
  EXPECT_EQ(test::MaxDifference(ReduceColours(b, static_cast<int>(ColoursOf(b).size())), b), 0);
}

TEST(ReduceColours, ManyColoursComeCloseAndFlatAreasStayExact) {
  const Bitmap b = Screenshot();
  ASSERT_GT(ColoursOf(b).size(), 2000u);
  const Bitmap reduced = ReduceColours(b, 256);
  EXPECT_LE(ColoursOf(reduced).size(), 256u);
  // The panels and grey steps are large, so each gets its own entry.
  for (const auto& [x, y] : {std::pair{80, 5}, std::pair{5, 50}, std::pair{80, 110}, std::pair{27, 25}})
    EXPECT_EQ(reduced.PixelAt(x, y), b.PixelAt(x, y)) << x << ", " << y;
  double error = 0;
  for (std::int32_t y = 40; y < 95; ++y)
    for (std::int32_t x = 60; x < 150; ++x) {
      const Colour p = reduced.PixelAt(x, y), q = b.PixelAt(x, y);
      error += std::hypot(RedOf(p) - RedOf(q), GreenOf(p) - GreenOf(q), BlueOf(p) - BlueOf(q));
    }
  EXPECT_LT(error / (90 * 55), 12.0) << "mean distance in the photo";
}

TEST(ReduceColours, IndexedAndOtherLayoutsAreReducedLikeTheirColours) {
  const Bitmap b = Screenshot();
  Bitmap wide = b;
  wide.SetFormat(PixelFormat::Bgrx32);
  EXPECT_EQ(test::MaxDifference(ReduceColours(wide), ReduceColours(b)), 0);
  Bitmap halftone = b;
  halftone.SetFormat(PixelFormat::Indexed8);
  EXPECT_EQ(test::MaxDifference(ReduceColours(halftone), halftone), 0);
}

}  // namespace
}  // namespace brisko
