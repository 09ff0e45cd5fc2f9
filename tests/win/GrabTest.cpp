#include "capture/Grab.h"

#include <gtest/gtest.h>

#include "TestWindow.h"

namespace brisko {
namespace {

using test::PatternAt;
using test::PatternWindow;

std::int32_t ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
std::int32_t ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

// Number of pixels of the bitmap area (x0, y0, w, h) that differ from the
// pattern shifted by (dx, dy).
int PatternMismatches(const Bitmap& b, std::int32_t x0, std::int32_t y0, std::int32_t w, std::int32_t h,
                      std::int32_t dx, std::int32_t dy) {
  int wrong = 0;
  for (std::int32_t y = y0; y < y0 + h; ++y)
    for (std::int32_t x = x0; x < x0 + w; ++x)
      if (b.PixelAt(x, y) != PatternAt(x + dx, y + dy)) ++wrong;
  return wrong;
}

TEST(ClipRectToScreen, InsideStaysAndOverhangIsCut) {
  Rect inside{10, 20, 300, 400};
  ClipRectToScreen(inside);
  EXPECT_EQ(inside, (Rect{10, 20, 300, 400}));
  Rect over{-8, -8, ScreenWidth() + 8, ScreenHeight() + 8};
  ClipRectToScreen(over);
  EXPECT_EQ(over, (Rect{0, 0, ScreenWidth(), ScreenHeight()}));
}

TEST(GrabScreen, CopiesTheWholeScreenWithAWindowsPixels) {
  PatternWindow window(200, 150, 120, 80);
  Bitmap b(1, 1, PixelFormat::Bgr24);
  GrabScreen(b, false);
  ASSERT_EQ(b.Width(), ScreenWidth());
  ASSERT_EQ(b.Height(), ScreenHeight());
  EXPECT_EQ(b.Format(), PixelFormat::Bgr24) << "a grab keeps the bitmap's pixel format";
  EXPECT_EQ(PatternMismatches(b, 200, 150, 120, 80, -200, -150), 0);
}

TEST(GrabRect, CopiesTheAreaAtItsTopLeftCorner) {
  PatternWindow window(200, 150, 120, 80);
  Bitmap b(1, 1, PixelFormat::Bgrx32);
  GrabRect(b, Rect{230, 160, 290, 200}, false);
  ASSERT_EQ(b.Width(), 60);
  ASSERT_EQ(b.Height(), 40);
  EXPECT_EQ(b.Format(), PixelFormat::Bgrx32);
  EXPECT_EQ(PatternMismatches(b, 0, 0, 60, 40, 30, 10), 0);
}

TEST(GrabWindow, CopiesTheWindowFromItsOwnCorner) {
  PatternWindow window(333, 222, 90, 70);
  Bitmap b;
  GrabWindow(window.Handle(), b, false);
  ASSERT_EQ(b.Width(), 90);
  ASSERT_EQ(b.Height(), 70);
  EXPECT_EQ(PatternMismatches(b, 0, 0, 90, 70, 0, 0), 0);
}

TEST(GrabWindow, WindowBeyondTheScreenEdgesIsCutAtTheScreenSize) {
  // Like a maximised window whose frame lies 4 pixels outside the screen.
  PatternWindow window(-4, -4, ScreenWidth() + 8, ScreenHeight() + 8);
  Bitmap b;
  GrabWindow(window.Handle(), b, false);
  ASSERT_EQ(b.Width(), ScreenWidth());
  ASSERT_EQ(b.Height(), ScreenHeight());
  // The content starts at the window's outer corner, 4 pixels above and
  // left of the screen's corner.
  EXPECT_EQ(PatternMismatches(b, 0, 0, 64, 64, 0, 0), 0);
  EXPECT_EQ(PatternMismatches(b, ScreenWidth() - 64, ScreenHeight() - 64, 64, 64, 0, 0), 0);
}

class DrawCursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // An all-black 32 x 32 cursor: an AND mask of zeros and an XOR mask of zeros.
    std::uint8_t andMask[32 * 4] = {};
    std::uint8_t xorMask[32 * 4] = {};
    cursor_ = CreateCursor(GetModuleHandleW(nullptr), 0, 0, 32, 32, andMask, xorMask);
    ASSERT_NE(cursor_, nullptr);
  }
  void TearDown() override { DestroyCursor(cursor_); }
  HCURSOR cursor_ = nullptr;
};

TEST_F(DrawCursorTest, PutsTheForegroundCursorTenPixelsUpAndLeftOfThePointer) {
  PatternWindow window(100, 100, 400, 300);
  SetCursorPos(300, 250);
  SetCursor(cursor_);
  POINT p{};
  GetCursorPos(&p);
  ASSERT_EQ(p.x, 300);
  Bitmap b(200, 200, PixelFormat::Bgr24);
  DrawCursor(b, 150, 120);
  // Cursor (300, 250) - origin (150, 120) - 10 gives the top-left (140, 120).
  EXPECT_EQ(b.PixelAt(140, 120), kBlack);
  EXPECT_EQ(b.PixelAt(171, 151), kBlack);
  EXPECT_EQ(b.PixelAt(139, 120), kWhite);
  EXPECT_EQ(b.PixelAt(140, 119), kWhite);
  EXPECT_EQ(b.PixelAt(172, 152), kWhite);
}

TEST_F(DrawCursorTest, CursorPartlyOutsideTheBitmapIsClipped) {
  PatternWindow window(100, 100, 400, 300);
  SetCursorPos(205, 205);
  SetCursor(cursor_);
  Bitmap b(20, 20, PixelFormat::Indexed4);
  DrawCursor(b, 200, 200);
  // Top-left at (-5, -5): the visible part covers (0..26) clipped to 20.
  EXPECT_EQ(b.PixelAt(0, 0), kBlack);
  EXPECT_EQ(b.PixelAt(19, 19), kBlack);
  EXPECT_EQ(b.Format(), PixelFormat::Indexed4);
}

TEST_F(DrawCursorTest, GrabWithCursorDrawsItRelativeToTheGrabbedArea) {
  PatternWindow window(100, 100, 400, 300);
  SetCursorPos(260, 240);
  SetCursor(cursor_);
  Bitmap b;
  GrabRect(b, Rect{200, 200, 300, 300}, true);
  EXPECT_EQ(b.PixelAt(50, 30), kBlack);
  EXPECT_EQ(b.PixelAt(49, 30), PatternAt(149, 130));
}

}  // namespace
}  // namespace brisko
