#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "capture/ColourNotation.h"
#include "capture/FileNaming.h"
#include "capture/Inverting.h"
#include "capture/MagnifierView.h"
#include "capture/RegionSelect.h"
#include "capture/ShapeCut.h"

namespace brisko {
namespace {

constexpr Colour kBackground = MakeColour(1, 2, 250);

Bitmap Screenshot(int w = 100, int h = 80) {
  Bitmap b(w, h, PixelFormat::Bgrx32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9));
  return b;
}

TEST(EllipseCut, OutsideIsExactlyTheBackgroundInsideIsThePicture) {
  const Bitmap shot = Screenshot();
  const Bitmap cut = CutEllipse(shot, Rect{10, 20, 50, 40}, kBackground);
  ASSERT_EQ(cut.Width(), 40);
  ASSERT_EQ(cut.Height(), 20);
  EXPECT_EQ(cut.Format(), PixelFormat::Bgrx32);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const double nx = (x + 0.5 - 20) / 20, ny = (y + 0.5 - 10) / 10;
      const Colour expected = nx * nx + ny * ny <= 1 ? shot.PixelAt(10 + x, 20 + y) : kBackground;
      ASSERT_EQ(cut.PixelAt(x, y), expected) << x << "," << y;
    }
  EXPECT_EQ(cut.PixelAt(0, 0), kBackground);
  EXPECT_EQ(cut.PixelAt(20, 10), shot.PixelAt(30, 30));
}

TEST(EllipseCut, EmptyBoxGivesAnEmptyPicture) {
  EXPECT_TRUE(CutEllipse(Screenshot(), Rect{10, 10, 10, 30}, kBackground).IsEmpty());
}

TEST(PolygonCut, TriangleKeepsOnlyItsInside) {
  const Bitmap shot = Screenshot();
  const std::vector<Point> triangle = {{10, 10}, {50, 10}, {10, 50}};
  const Rect box = PathBounds(triangle, 100, 80);
  EXPECT_EQ(box, (Rect{10, 10, 50, 50}));
  const Bitmap cut = CutPolygon(shot, triangle, box, kBackground);
  ASSERT_EQ(cut.Width(), 40);
  EXPECT_EQ(cut.PixelAt(2, 2), shot.PixelAt(12, 12));
  EXPECT_EQ(cut.PixelAt(38, 38), kBackground) << "beyond the hypotenuse";
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (x + y > 41) {
        ASSERT_EQ(cut.PixelAt(x, y), kBackground) << x << "," << y;
      }
    }
  }
}

TEST(PolygonCut, SelfCrossingPathFillsByTheWindingRule) {
  // A pentagram drawn in one stroke: its centre has winding number 2 and
  // stays inside, where the even-odd rule would leave a hole.
  const std::vector<Point> star = {{50, 0}, {79, 90}, {2, 34}, {98, 34}, {21, 90}};
  const Bitmap shot = Screenshot(100, 100);
  const Rect box = PathBounds(star, 100, 100);
  const Bitmap cut = CutPolygon(shot, star, box, kBackground);
  EXPECT_EQ(cut.PixelAt(50 - box.Left, 50 - box.Top), shot.PixelAt(50, 50));
  EXPECT_EQ(cut.PixelAt(0, 0), kBackground);
}

TEST(PolygonCut, PathsWithoutAreaGiveEmptyPictures) {
  const std::vector<Point> flat = {{10, 30}, {60, 30}, {80, 30}};
  EXPECT_EQ(PathBounds(flat, 100, 80).Height(), 0);
  EXPECT_TRUE(CutPolygon(Screenshot(), flat, PathBounds(flat, 100, 80), kBackground).IsEmpty());
  const std::vector<Point> one = {{10, 30}};
  EXPECT_TRUE(PathBounds(one, 100, 80).IsEmpty());
}

TEST(Inverting, EveryFigureDrawnTwiceRestoresThePicture) {
  Bitmap picture = Screenshot();
  const Bitmap before = picture;
  Damage damage;
  for (auto figure : {RectangleOutlinePixels({5, 5}, {60, 33}), EllipseOutlinePixels({70, 2}, {3, 77}),
                      EllipseOutlinePixels({10, 10}, {13, 11}), LinePixels({0, 0}, {99, 37}),
                      RectangleOutlinePixels({20, 20}, {21, 60})}) {
    InvertPixels(picture, figure, damage);
    InvertPixels(picture, figure, damage);
  }
  InvertCrosshair(picture, {30, 40}, damage);
  InvertCrosshair(picture, {30, 40}, damage);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) ASSERT_EQ(picture.PixelAt(x, y), before.PixelAt(x, y));
}

TEST(Inverting, FiguresCoverEachPixelOnceAndStayInsideTheirCorners) {
  const auto outline = RectangleOutlinePixels({0, 0}, {4, 3});
  EXPECT_EQ(outline.size(), 10u) << "a 4 x 3 outline has ten pixels";
  for (auto pixels : {EllipseOutlinePixels({0, 0}, {31, 17}), EllipseOutlinePixels({5, 5}, {6, 6})}) {
    auto sorted = pixels;
    std::sort(sorted.begin(), sorted.end(), [](Point a, Point b) { return a.Y != b.Y ? a.Y < b.Y : a.X < b.X; });
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
  }
  for (Point p : EllipseOutlinePixels({0, 0}, {31, 17})) {
    EXPECT_GE(p.X, 0);
    EXPECT_LT(p.X, 31);
    EXPECT_LT(p.Y, 17);
  }
  EXPECT_EQ(LinePixels({3, 3}, {3, 3}).size(), 0u);
  EXPECT_EQ(LinePixels({0, 0}, {5, 0}).size(), 5u) << "the end point is left out";
}

TEST(Inverting, DamageOfAThinOutlineIsAThinBand) {
  Bitmap picture(3840, 2160, PixelFormat::Bgrx32);
  Damage damage;
  InvertPixels(picture, RectangleOutlinePixels({100, 100}, {3700, 2000}), damage);
  std::int64_t area = 0;
  for (const Rect& r : damage.Rects(picture.Width(), picture.Height()))
    area += static_cast<std::int64_t>(r.Width()) * r.Height();
  EXPECT_LT(area, 3840 * 2160 / 10) << "not the whole bounding box";
  EXPECT_GT(area, 0);
}

TEST(Inverting, DamageOfAFrameIsAFewRectanglesThatCoverEveryChangedPixel) {
  Bitmap picture(640, 480, PixelFormat::Bgrx32);
  picture.Fill(kWhite);
  const Bitmap before = picture;
  Damage damage;
  NotXorFrame(picture, Rect{100, 50, 400, 350}, 4, MakeColour(255, 0, 0), damage);
  const std::vector<Rect> rects = damage.Rects(picture.Width(), picture.Height());
  EXPECT_LE(rects.size(), 8u) << "the sides are one rectangle each, not one per tile row";
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = 0; x < picture.Width(); ++x) {
      if (picture.PixelAt(x, y) == before.PixelAt(x, y)) continue;
      const bool covered = std::any_of(rects.begin(), rects.end(), [&](const Rect& r) {
        return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
      });
      ASSERT_TRUE(covered) << x << "," << y;
    }
  // Drawn twice, the frame is gone.
  NotXorFrame(picture, Rect{100, 50, 400, 350}, 4, MakeColour(255, 0, 0), damage);
  EXPECT_EQ(std::memcmp(picture.Data(), before.Data(), picture.ByteSize()), 0);
}

TEST(NumberedNames, RightAlignedWithSpacesAndTheStoredNumberAdvanced) {
  const NumberedName n = NextNumberedName(3, 41);
  EXPECT_EQ(n.text, "  42");
  EXPECT_EQ(n.number, 42);
  EXPECT_EQ(NextNumberedName(0, 9).text, "10") << "one digit: 9 then 10 (written in full)";
  EXPECT_EQ(NextNumberedName(0, 10).number, 1) << "then 1 again";
  EXPECT_EQ(NextNumberedName(3, 9999).number, 10000);
  EXPECT_EQ(NextNumberedName(3, 10000).text, "   1");
  EXPECT_EQ(NextNumberedName(4, 0).text, "    1");
}

TEST(SaveFileSettings, MissingOrBadValuesReadAsTheDialogsDefaults) {
  const SaveFileSettings empty = SaveFileSettingsFrom([](std::string_view) { return std::string(); });
  EXPECT_EQ(empty.typeIndex, 0);
  EXPECT_EQ(empty.nameIndex, 0);
  EXPECT_EQ(empty.nameText, "Vardel_");
  EXPECT_EQ(empty.digitsIndex, 3);
  EXPECT_EQ(empty.nameOutput, "c:\\");
  EXPECT_FALSE(empty.showOptions);
  EXPECT_EQ(empty.fileIndex, 0) << "the first numbered name then gets 1";
  const std::map<std::string, std::string, std::less<>> bad = {
      {"TyleIndex", "png"}, {"NameIndex", "7"}, {"NameNumIndex", "-1"}, {"FileIndexNum", "lots"}, {"ShowOption", "1"}};
  const SaveFileSettings s = SaveFileSettingsFrom([&](std::string_view key) {
    const auto found = bad.find(key);
    return found == bad.end() ? std::string() : found->second;
  });
  EXPECT_EQ(s.typeIndex, 0);
  EXPECT_EQ(s.nameIndex, 0);
  EXPECT_EQ(s.digitsIndex, 3);
  EXPECT_EQ(s.fileIndex, 0);
  EXPECT_TRUE(s.showOptions) << "the good values around the bad ones still count";
}

TEST(DateTimeNames, FourteenDigitsWithNothingBetween) {
  EXPECT_EQ(DateTimeName({2026, 3, 8, 14, 5, 9}), "20260308140509");
  EXPECT_EQ(DateTimeName({2026, 12, 31, 0, 0, 0}), "20261231000000");
}

TEST(FileTypes, FilterListsTheTenTypesInOrder) {
  const auto types = CaptureFileTypes();
  ASSERT_EQ(types.size(), 10u);
  EXPECT_EQ(types[kIcoType].extension, "ICO");
  EXPECT_EQ(CaptureFileFilter().substr(0, 40), "Bitmaps (*.bmp)|*.bmp|JPEG Image File (*");
  EXPECT_TRUE(CaptureFileFilter().ends_with("Windows Icon(*.ico)|*.ico"));
}

TEST(ColourNotations, PureRedAndTheExampleColour) {
  const ColourNotations red = NotationsOf(MakeColour(255, 0, 0));
  EXPECT_EQ(red.decimal, "255");
  EXPECT_EQ(red.hex, "FF");
  EXPECT_EQ(red.delphi, "$FF");
  EXPECT_EQ(red.html, "#FF0000");
  const ColourNotations c = NotationsOf(MakeColour(171, 1, 0));
  EXPECT_EQ(c.decimal, "427");
  EXPECT_EQ(c.hex, "1AB");
  EXPECT_EQ(c.delphi, "$1AB");
  EXPECT_EQ(c.html, "#AB0100");
  const ColourNotations blue = NotationsOf(MakeColour(0, 0, 255));
  EXPECT_EQ(blue.decimal, "16711680");
  EXPECT_EQ(blue.html, "#0000FF");
  EXPECT_EQ(ColourFromComponents(256 + 5, 1, -1), MakeColour(5, 1, 255)) << "each component taken as a byte";
}

TEST(Magnifier, TheScreenCornerShowsInTheLowerRightQuarter) {
  const Bitmap shot = Screenshot();
  const Bitmap view = RenderMagnifier(shot, 0, 0, kMagnifyRegion);
  ASSERT_EQ(view.Width(), kMagnifierViewSize);
  EXPECT_EQ(view.PixelAt(10, 10), kBlack) << "beyond the screenshot";
  EXPECT_EQ(view.PixelAt(80, 80), shot.PixelAt(0, 0));
  EXPECT_EQ(view.PixelAt(151, 151), shot.PixelAt(15, 15));
  // The centre lines are inverted, their crossing inverted twice.
  EXPECT_EQ(view.PixelAt(100, 76), shot.PixelAt(5, 0) ^ 0xFFFFFF);
  EXPECT_EQ(view.PixelAt(76, 76), shot.PixelAt(0, 0));
}

TEST(Magnifier, PickColourModeEnlargesSixteenPixelsAndMarksTheCentre) {
  const Bitmap shot = Screenshot();
  const Bitmap view = RenderMagnifier(shot, 50, 40, kMagnifierPickColour);
  EXPECT_EQ(view.PixelAt(0, 0), shot.PixelAt(42, 32));
  EXPECT_EQ(view.PixelAt(151, 0), shot.PixelAt(57, 32));
  EXPECT_EQ(view.PixelAt(76, 76), shot.PixelAt(50, 40) ^ 0xFFFFFF) << "the centre pixel is marked";
  EXPECT_EQ(view.PixelAt(100, 76), shot.PixelAt(52, 40)) << "no crosshair in this mode";
}

TEST(Magnifier, JumpsBetweenTheTwoCorners) {
  EXPECT_EQ(MagnifierCornerJump({0, 0}, 166, 332, 1280, 1024), (Point{1114, 692}));
  EXPECT_EQ(MagnifierCornerJump({1114, 692}, 166, 332, 1280, 1024), (Point{0, 0}));
}

}  // namespace
}  // namespace brisko
