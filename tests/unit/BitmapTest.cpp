#include "core/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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

// Rows whose every byte names the row, so a moved or lost row shows.
void MarkRows(Bitmap& b, std::int32_t from, std::int32_t to) {
  for (std::int32_t y = from; y < to; ++y)
    std::memset(b.Row(y), y & 0xFF, static_cast<std::size_t>(b.Width()) * BitsPerPixel(b.Format()) / 8);
}

void ExpectMarkedRows(const Bitmap& b) {
  const std::size_t bytes = static_cast<std::size_t>(b.Width()) * BitsPerPixel(b.Format()) / 8;
  for (std::int32_t y = 0; y < b.Height(); ++y)
    for (std::size_t i = 0; i < bytes; ++i) ASSERT_EQ(b.Row(y)[i], y & 0xFF) << "row " << y;
}

TEST(BitmapReserve, ReservingKeepsTheContentAndLaterRowsCopyNothing) {
  Bitmap b(5, 3, PixelFormat::Bgr24);
  MarkRows(b, 0, 3);
  b.ReserveRows(100);
  EXPECT_GE(b.ReservedRows(), 100);
  EXPECT_EQ(b.Height(), 3) << "a reserve is memory, not rows";
  const std::uint8_t* data = b.Data();
  for (std::int32_t h = 3; h < 100; h += 7) {
    std::uint8_t* first = b.AddRowsForOverwrite(std::min(7, 100 - h));
    ASSERT_EQ(first, b.Row(h));
    MarkRows(b, h, b.Height());
  }
  EXPECT_EQ(b.Height(), 100);
  EXPECT_EQ(b.Data(), data) << "rows within the reserve must not move the picture";
  ExpectMarkedRows(b);
  b.ReserveRows(10);
  EXPECT_EQ(b.Data(), data) << "a smaller reserve gives nothing back";
}

TEST(BitmapReserve, ShortOfReserveGrowsByAnEighthAndKeepsEveryRow) {
  Bitmap b(8, 64, PixelFormat::Bgrx32);
  MarkRows(b, 0, 64);
  b.ReserveRows(800);
  b.AddRowsForOverwrite(800 - 64);
  MarkRows(b, 64, 800);
  b.AddRowsForOverwrite(1);
  MarkRows(b, 800, 801);
  EXPECT_EQ(b.ReservedRows(), 900) << "800 reserved rows grow to 800 + 800 / 8";
  const std::uint8_t* data = b.Data();
  b.AddRowsForOverwrite(99);
  MarkRows(b, 801, 900);
  EXPECT_EQ(b.Data(), data);
  b.AddRowsForOverwrite(500);
  EXPECT_EQ(b.ReservedRows(), 1400) << "a request beyond the eighth is met whole";
  MarkRows(b, 900, 1400);
  ExpectMarkedRows(b);
}

TEST(BitmapReserve, StartsFromARowlessBitmapAndKeepsPaddingClean) {
  Bitmap b(3, 0, PixelFormat::Bgr24);
  ASSERT_EQ(b.Width(), 3);
  ASSERT_EQ(b.Stride(), 12u);
  std::uint8_t* row = b.AddRowsForOverwrite(2);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(b.Height(), 2);
  std::memset(row, 0x5A, 9);
  std::memset(b.Row(1), 0x5A, 9);
  for (std::int32_t y = 0; y < 2; ++y)
    for (std::size_t i = 9; i < 12; ++i) EXPECT_EQ(b.Row(y)[i], 0) << "padding of row " << y;
  EXPECT_EQ(b.PixelAt(2, 1), MakeColour(0x5A, 0x5A, 0x5A));
}

TEST(BitmapReserve, RefusesRowsBeyondTheLimits) {
  Bitmap wide(kMaxBitmapSide, 1, PixelFormat::Bgrx32);
  EXPECT_THROW(wide.ReserveRows(1024), std::length_error) << "4 MiB rows: 512 of them make the limit";
  EXPECT_THROW(wide.AddRowsForOverwrite(1024), std::length_error);
  EXPECT_EQ(wide.Height(), 1) << "a refused request changes nothing";
  Bitmap narrow(1, kMaxBitmapSide - 1, PixelFormat::Indexed8);
  EXPECT_THROW(narrow.AddRowsForOverwrite(2), std::length_error);
  EXPECT_THROW(narrow.AddRowsForOverwrite(-1), std::invalid_argument);
  EXPECT_THROW(narrow.ReserveRows(-1), std::invalid_argument);
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
  // The halftone palette less one entry is not a standard one, so it learns
  // its cells as they come, like the scattered one; the standard palettes
  // use their complete tables.
  const std::vector<Colour> halftoneLessOne(HalftonePalette().begin() + 1, HalftonePalette().end());
  for (std::span<const Colour> palette : {HalftonePalette(), StandardPalette16(), BlackWhitePalette(),
                                          std::span<const Colour>(scattered), std::span<const Colour>(halftoneLessOne)}) {
    PaletteMatcher m(palette);
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
