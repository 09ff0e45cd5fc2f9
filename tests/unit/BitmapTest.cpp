#include "core/Bitmap.h"

#include <gtest/gtest.h>

#include <random>
#include <span>
#include <vector>

#include "core/Palettes.h"

namespace brisko {
namespace {

TEST(BitmapLayout, RowsAreFourByteAlignedForEveryFormat) {
  EXPECT_EQ(StrideFor(1, PixelFormat::Indexed1), 4u);
  EXPECT_EQ(StrideFor(33, PixelFormat::Indexed1), 8u);
  EXPECT_EQ(StrideFor(9, PixelFormat::Indexed4), 8u);
  EXPECT_EQ(StrideFor(5, PixelFormat::Indexed8), 8u);
  EXPECT_EQ(StrideFor(3, PixelFormat::Rgb565), 8u);
  EXPECT_EQ(StrideFor(5, PixelFormat::Bgr24), 16u);
  EXPECT_EQ(StrideFor(3, PixelFormat::Bgrx32), 12u);
  EXPECT_EQ(StrideFor(0, PixelFormat::Bgr24), 0u);
}

TEST(BitmapLayout, RefusesNegativeAndHugeSizesWithoutAllocating) {
  EXPECT_THROW(Bitmap(-1, 5), std::invalid_argument);
  EXPECT_THROW(Bitmap(100000, 100000), std::length_error);
  EXPECT_THROW(Bitmap(kMaxBitmapSide + 1, 1), std::length_error);
  Bitmap empty(0, 0);
  EXPECT_TRUE(empty.IsEmpty());
}

TEST(BitmapFill, FreshBitmapIsWhiteInEveryFormat) {
  for (PixelFormat f : {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                        PixelFormat::Rgb565, PixelFormat::Bgr24, PixelFormat::Bgrx32}) {
    Bitmap b(7, 3, f);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(b.PixelAt(x, y), kWhite) << BitsPerPixel(f) << " bits";
  }
}

TEST(BitmapFill, FillColourSetBeforeSizingPaintsTheNewArea) {
  Bitmap b;
  const Colour teal = MakeColour(0, 128, 128);
  b.SetFillColour(teal);
  b.Recreate(4, 4, PixelFormat::Bgr24);
  EXPECT_EQ(b.PixelAt(3, 3), teal);
  b.SetPixelAt(0, 0, kBlack);
  b.SetSize(6, 5);
  EXPECT_EQ(b.PixelAt(0, 0), kBlack);
  EXPECT_EQ(b.PixelAt(5, 0), teal);
  EXPECT_EQ(b.PixelAt(0, 4), teal);
}

TEST(BitmapSetSize, GrowingTallerKeepsEveryExistingRow) {
  Bitmap b(3, 2, PixelFormat::Bgr24);
  b.SetPixelAt(2, 1, MakeColour(1, 2, 3));
  for (int h = 3; h < 200; h += 7) {
    b.SetSize(3, h);
    ASSERT_EQ(b.PixelAt(2, 1), MakeColour(1, 2, 3));
    ASSERT_EQ(b.PixelAt(0, h - 1), kWhite);
  }
  b.SetSize(3, 1);
  EXPECT_EQ(b.Height(), 1);
  b.SetSize(3, 2);
  EXPECT_EQ(b.PixelAt(2, 1), kWhite) << "rows cut off and regrown are new area";
}

TEST(BitmapSetSize, WiderOrNarrowerKeepsTheTopLeftContent) {
  Bitmap b(4, 4, PixelFormat::Indexed4);
  b.SetPixelAt(1, 1, MakeColour(255, 0, 0));
  b.SetSize(2, 3);
  EXPECT_EQ(b.PixelAt(1, 1), MakeColour(255, 0, 0));
  b.SetSize(9, 3);
  EXPECT_EQ(b.PixelAt(1, 1), MakeColour(255, 0, 0));
  EXPECT_EQ(b.PixelAt(8, 2), kWhite);
}

TEST(BitmapPixels, DirectFormatsStoreTheirBytesInTheDocumentedOrder) {
  Bitmap b(2, 1, PixelFormat::Bgr24);
  b.SetPixelAt(1, 0, MakeColour(0x12, 0x34, 0x56));
  EXPECT_EQ(b.Row(0)[3], 0x56);
  EXPECT_EQ(b.Row(0)[4], 0x34);
  EXPECT_EQ(b.Row(0)[5], 0x12);

  Bitmap w(1, 1, PixelFormat::Rgb565);
  w.SetPixelAt(0, 0, MakeColour(255, 0, 0));
  EXPECT_EQ(w.Row(0)[0] | (w.Row(0)[1] << 8), 0xF800);
  EXPECT_EQ(w.PixelAt(0, 0), MakeColour(255, 0, 0));
}

TEST(BitmapPixels, SubBytePixelsDoNotDisturbTheirNeighbours) {
  Bitmap b(9, 1, PixelFormat::Indexed1);
  b.Fill(kBlack);
  b.SetPixelAt(0, 0, kWhite);
  b.SetPixelAt(8, 0, kWhite);
  EXPECT_EQ(b.Row(0)[0], 0x80);
  EXPECT_EQ(b.Row(0)[1], 0x80);
  EXPECT_EQ(b.PixelAt(7, 0), kBlack);

  Bitmap n(3, 1, PixelFormat::Indexed4);
  n.Fill(kBlack);
  n.SetPixelAt(1, 0, MakeColour(255, 255, 0));
  EXPECT_EQ(n.IndexAt(0, 0), 0);
  EXPECT_EQ(n.IndexAt(1, 0), 11);
  EXPECT_EQ(n.IndexAt(2, 0), 0);
}

TEST(BitmapConvert, ToIndexedPicksTheNearestPaletteColour) {
  Bitmap b(3, 1, PixelFormat::Bgr24);
  b.SetPixelAt(0, 0, MakeColour(250, 10, 5));   // near red
  b.SetPixelAt(1, 0, MakeColour(120, 120, 130)); // near grey
  b.SetPixelAt(2, 0, MakeColour(100, 100, 100)); // darker than mid: black in 1 bit
  Bitmap four = b;
  four.SetFormat(PixelFormat::Indexed4);
  EXPECT_EQ(four.PixelAt(0, 0), MakeColour(255, 0, 0));
  EXPECT_EQ(four.PixelAt(1, 0), MakeColour(128, 128, 128));
  Bitmap one = b;
  one.SetFormat(PixelFormat::Indexed1);
  EXPECT_EQ(one.PixelAt(2, 0), kBlack);
  EXPECT_EQ(one.PixelAt(0, 0), kBlack);
}

TEST(BitmapConvert, HalftoneHoldsTheCubeExactly) {
  Bitmap b(6, 1, PixelFormat::Bgr24);
  for (int i = 0; i < 6; ++i) b.SetPixelAt(i, 0, MakeColour(static_cast<std::uint8_t>(51 * i), 0, 102));
  const Bitmap original = b;
  b.SetFormat(PixelFormat::Indexed8);
  ASSERT_EQ(b.Palette().size(), 256u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.PixelAt(i, 0), original.PixelAt(i, 0));
}

TEST(BitmapConvert, ThroughEveryDirectFormatAndBackKeepsRepresentableColours) {
  Bitmap b(5, 2, PixelFormat::Bgr24);
  b.SetPixelAt(0, 0, MakeColour(0xF8, 0xFC, 0xF8));
  b.SetPixelAt(4, 1, MakeColour(0x08, 0x04, 0x00));
  const Bitmap original = b;
  for (PixelFormat f : {PixelFormat::Bgrx32, PixelFormat::Rgb565, PixelFormat::Bgr24}) b.SetFormat(f);
  EXPECT_EQ(b.Format(), PixelFormat::Bgr24);
  EXPECT_EQ(b.PixelAt(4, 1), MakeColour(0x08, 0x04, 0x00));
  EXPECT_EQ(b.PixelAt(2, 1), kWhite);
}

TEST(BitmapCopy, CopyFromClipsAtEveryEdge) {
  Bitmap source(4, 4, PixelFormat::Bgr24);
  source.Fill(kBlack);
  Bitmap target(4, 4, PixelFormat::Bgr24);
  target.CopyFrom(source, Rect{-2, -2, 6, 6}, -1, 3);
  // Source (0..3, 0..3) lands at x = 1.., y = 5.. : only clipped parts remain.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(target.PixelAt(x, y), kWhite);
  target.CopyFrom(source, Rect{-2, -2, 2, 2}, 1, 1);
  EXPECT_EQ(target.PixelAt(2, 2), kWhite) << "(-2,-2) maps to (1,1); source starts at (3,3)";
  EXPECT_EQ(target.PixelAt(3, 3), kBlack);
  EXPECT_THROW(target.CopyFrom(Bitmap(1, 1, PixelFormat::Indexed8), Rect{0, 0, 1, 1}, 0, 0),
               std::invalid_argument);
}

TEST(BitmapCopy, CopiesAreDeepAndMovesLeaveAnEmptyBitmap) {
  Bitmap a(2, 2);
  Bitmap b = a;
  b.SetPixelAt(0, 0, kBlack);
  EXPECT_EQ(a.PixelAt(0, 0), kWhite);
  Bitmap c = std::move(b);
  EXPECT_EQ(c.PixelAt(0, 0), kBlack);
  EXPECT_TRUE(b.IsEmpty());  // NOLINT(bugprone-use-after-move): moved-from state is specified
}

TEST(Palettes, MatcherPrefersTheLowestIndexOnTiesAndRemembersNothingWrong) {
  const Colour palette[] = {MakeColour(0, 0, 0), MakeColour(10, 0, 0), MakeColour(0, 0, 0)};
  PaletteMatcher m(palette);
  EXPECT_EQ(m.Nearest(MakeColour(5, 0, 0)), 0);
  EXPECT_EQ(m.Nearest(MakeColour(9, 0, 0)), 1);
  // Colours that share a cache slot must not see each other's answer.
  for (std::uint32_t c = 0; c < 20000; c += 7) {
    const Colour colour = c * 2654435761u & 0xFFFFFF;
    ASSERT_EQ(m.Nearest(colour), RedOf(colour) > 5 ? 1 : 0);
  }
  EXPECT_EQ(HalftonePalette().size(), 256u);
  EXPECT_EQ(StandardPalette16()[9], MakeColour(255, 0, 0));
}

TEST(Palettes, MatcherAgreesWithThePlainSearchEverywhere) {
  std::minstd_rand random(7);
  std::vector<Colour> scattered(200);
  for (Colour& c : scattered) c = random() & 0xFFFFFF;
  std::vector<std::uint8_t> bgr(3 * 4096), indices(4096);
  for (std::uint8_t& v : bgr) v = static_cast<std::uint8_t>(random());
  for (std::span<const Colour> palette :
       {HalftonePalette(), StandardPalette16(), BlackWhitePalette(), std::span<const Colour>(scattered)})
    // A few queries learn cells as they come; many use the complete tables.
    for (std::size_t queries : {std::size_t{0}, PaletteMatcher::kManyQueries}) {
      PaletteMatcher m(palette, queries);
      // Every colour on a lattice that falls on each position inside the
      // matcher's cells, plus a row of random ones through the row path.
      for (int r = 0; r < 256; r += 5)
        for (int g = 1; g < 256; g += 7)
          for (int b = 2; b < 256; b += 3) {
            const Colour c = MakeColour(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                        static_cast<std::uint8_t>(b));
            ASSERT_EQ(m.Nearest(c), NearestIndex(palette, c)) << std::hex << c;
          }
      m.NearestRow(bgr.data(), indices.size(), indices.data());
      for (std::size_t x = 0; x < indices.size(); ++x)
        ASSERT_EQ(indices[x], NearestIndex(palette, MakeColour(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x])));
    }
}

}  // namespace
}  // namespace brisko
