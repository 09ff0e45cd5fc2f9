#include "capture/BitmapCut.h"

#include <gtest/gtest.h>

namespace brisko {
namespace {

Bitmap Numbered(int w, int h) {
  Bitmap b(w, h, PixelFormat::Bgr24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7));
  return b;
}

TEST(CropBitmap, WholeBitmapLeavesTheImageUnchanged) {
  Bitmap b = Numbered(13, 5);
  const Bitmap before = b;
  CropBitmap(b, Rect{0, 0, 13, 5});
  ASSERT_EQ(b.Width(), 13);
  ASSERT_EQ(b.Height(), 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(b.PixelAt(x, y), before.PixelAt(x, y));
}

TEST(CropBitmap, TakesTheAreaAndKeepsTheFormat) {
  Bitmap b = Numbered(10, 10);
  b.SetFormat(PixelFormat::Bgrx32);
  CropBitmap(b, Rect{3, 4, 7, 6});
  EXPECT_EQ(b.Format(), PixelFormat::Bgrx32);
  EXPECT_EQ(b.Width(), 4);
  EXPECT_EQ(b.Height(), 2);
  EXPECT_EQ(b.PixelAt(0, 0), MakeColour(3, 4, 7));
  EXPECT_EQ(b.PixelAt(3, 1), MakeColour(6, 5, 7));
}

TEST(CropBitmap, AreaBeyondTheBitmapBecomesFillColourAndEmptyAreaEmpty) {
  Bitmap b = Numbered(4, 4);
  CropBitmap(b, Rect{2, 2, 6, 6});
  EXPECT_EQ(b.PixelAt(1, 1), MakeColour(3, 3, 7));
  EXPECT_EQ(b.PixelAt(2, 2), kWhite);
  CropBitmap(b, Rect{3, 3, 1, 1});
  EXPECT_TRUE(b.IsEmpty());
}

TEST(CopyRectFromBitmap, SizesTheTargetAndConvertsToItsFormat) {
  const Bitmap source = Numbered(8, 8);
  Bitmap target(1, 1, PixelFormat::Bgrx32);
  CopyRectFromBitmap(target, source, Rect{1, 2, 5, 3});
  EXPECT_EQ(target.Format(), PixelFormat::Bgrx32);
  EXPECT_EQ(target.Width(), 4);
  EXPECT_EQ(target.Height(), 1);
  EXPECT_EQ(target.PixelAt(3, 0), MakeColour(4, 2, 7));
  EXPECT_EQ(source.Width(), 8) << "the source stays as it was";
}

TEST(CopyRectFromBitmap, IndexedTargetKeepsItsPalette) {
  Bitmap source(2, 1, PixelFormat::Bgr24);
  source.SetPixelAt(0, 0, MakeColour(250, 0, 0));
  Bitmap target(1, 1, PixelFormat::Indexed4);
  CopyRectFromBitmap(target, source, Rect{0, 0, 2, 1});
  EXPECT_EQ(target.Format(), PixelFormat::Indexed4);
  EXPECT_EQ(target.PixelAt(0, 0), MakeColour(255, 0, 0));
  EXPECT_EQ(target.PixelAt(1, 0), kWhite);
}

}  // namespace
}  // namespace brisko
