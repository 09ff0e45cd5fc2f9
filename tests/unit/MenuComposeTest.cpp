#include "capture/MenuCompose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace brisko {
namespace {

// ---------------------------------------------------------------------------
// The countdown

struct CountedDown {
  std::vector<std::int32_t> digits;  // the digit after each tick
  std::int32_t upAt = 0;             // the tick that ended it
};

CountedDown Count(std::int32_t menuTimeMs, std::int32_t shownDigit) {
  MenuCountdown countdown(menuTimeMs, shownDigit);
  CountedDown run;
  for (int tick = 1; tick <= 100; ++tick) {
    const bool up = countdown.Tick();
    run.digits.push_back(countdown.Digit());
    if (up) {
      run.upAt = countdown.Ticks();
      break;
    }
  }
  return run;
}

TEST(MenuCountdown, WholeSecondsCountDownOnEverySecondTick) {
  EXPECT_EQ(MenuCountdown(4000, 7).Digit(), 4);
  const CountedDown four = Count(4000, 7);
  EXPECT_EQ(four.digits, (std::vector<std::int32_t>{4, 3, 3, 2, 2, 1, 1, 0}));
  EXPECT_EQ(four.upAt, 8);
  const CountedDown fourAndAHalf = Count(4500, 7);
  EXPECT_EQ(fourAndAHalf.digits, four.digits) << "part of a second is dropped";
  EXPECT_EQ(fourAndAHalf.upAt, 8);
  const CountedDown ten = Count(10000, 7);
  EXPECT_EQ(ten.upAt, 20);
  EXPECT_EQ(ten.digits.back(), 0);
  EXPECT_EQ(MenuCountdown(1001, 7).Digit(), 1);
}

TEST(MenuCountdown, ASecondOrLessKeepsTheShownDigit) {
  EXPECT_EQ(MenuCountdown(1000, 3).Digit(), 3);
  EXPECT_EQ(MenuCountdown(0, 3).Digit(), 3);
  // A second is up after two ticks, whatever the digit reads.
  const CountedDown second = Count(1000, 3);
  EXPECT_EQ(second.upAt, 2);
  EXPECT_EQ(second.digits.back(), 2);
  // Less than a second: only the shown digit reaching 0 ends it.
  const CountedDown none = Count(500, 3);
  EXPECT_EQ(none.digits, (std::vector<std::int32_t>{3, 2, 2, 1, 1, 0}));
  EXPECT_EQ(none.upAt, 6);
  EXPECT_EQ(Count(0, 0).upAt, 1);
}

// ---------------------------------------------------------------------------
// The union and the picture

constexpr std::int32_t kScreenW = 100, kScreenH = 80;
constexpr Colour kBackground = MakeColour(250, 0, 250);

TEST(MenuUnion, StartsFromTheScreensExtent) {
  const std::vector<Rect> menus = {{10, 10, 40, 60}, {40, 20, 70, 50}};
  EXPECT_EQ(MenuUnion(menus, kScreenW, kScreenH), (Rect{10, 10, 70, 60}));
  const std::vector<Rect> beyondRight = {{120, 10, 150, 20}};
  EXPECT_EQ(MenuUnion(beyondRight, kScreenW, kScreenH), (Rect{100, 10, 150, 20}));
  const std::vector<Rect> aboveLeft = {{-50, -40, -10, -5}};
  EXPECT_EQ(MenuUnion(aboveLeft, kScreenW, kScreenH), (Rect{-50, -40, 0, 0}));
  EXPECT_TRUE(MenuUnion({}, kScreenW, kScreenH).IsEmpty());
}

// Every screen pixel differs from every other and from the background.
Bitmap Screen() {
  Bitmap b(kScreenW, kScreenH, PixelFormat::Bgrx32);
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x)
      b.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 9));
  return b;
}

bool Covered(std::int32_t x, std::int32_t y, const std::vector<Rect>& rects) {
  return std::any_of(rects.begin(), rects.end(), [&](const Rect& r) {
    return r.Left <= x && x < r.Right && r.Top <= y && y < r.Bottom;
  });
}

// The picture must show the screen wherever a rectangle covers the screen,
// and the background everywhere else.
void ExpectComposed(const Bitmap& screen, const std::vector<Rect>& rects) {
  const Rect box = MenuUnion(rects, screen.Width(), screen.Height());
  const Bitmap picture = ComposeMenus(screen, rects, kBackground);
  ASSERT_EQ(picture.Width(), box.Width());
  ASSERT_EQ(picture.Height(), box.Height());
  ASSERT_EQ(picture.Format(), screen.Format());
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = 0; x < picture.Width(); ++x) {
      const std::int32_t sx = box.Left + x, sy = box.Top + y;
      const bool onScreen = 0 <= sx && sx < screen.Width() && 0 <= sy && sy < screen.Height();
      const Colour want = onScreen && Covered(sx, sy, rects) ? screen.PixelAt(sx, sy) : kBackground;
      ASSERT_EQ(picture.PixelAt(x, y), want) << "at screen " << sx << "," << sy;
    }
}

TEST(ComposeMenus, AMenuAndItsSubmenuWithTheBackgroundInTheCorners) {
  const Bitmap screen = Screen();
  const std::vector<Rect> menus = {{10, 10, 40, 60}, {40, 20, 70, 50}};
  ExpectComposed(screen, menus);
  const Bitmap picture = ComposeMenus(screen, menus, kBackground);
  EXPECT_EQ(picture.PixelAt(59, 5), kBackground) << "right of the menu, above the submenu";
  EXPECT_EQ(picture.PixelAt(59, 45), kBackground) << "right of the menu, below the submenu";
  EXPECT_EQ(picture.PixelAt(0, 0), screen.PixelAt(10, 10));
  EXPECT_EQ(picture.PixelAt(30, 10), screen.PixelAt(40, 20));
}

TEST(ComposeMenus, OverlappingMenusShowTheScreenOnce) {
  const std::vector<Rect> menus = {{20, 20, 60, 60}, {50, 30, 90, 45}, {10, 40, 30, 70}};
  ExpectComposed(Screen(), menus);
}

TEST(ComposeMenus, PartsOffTheScreenAreBackground) {
  // Off the left, the top, the right and the bottom edge; and one wholly
  // off the screen.
  ExpectComposed(Screen(), {{-20, 30, 30, 50}, {80, 5, 130, 25}});
  ExpectComposed(Screen(), {{10, -15, 30, 10}, {50, 70, 70, 95}});
  ExpectComposed(Screen(), {{10, 10, 20, 20}, {110, 90, 120, 100}});
  ExpectComposed(Screen(), {{-30, -30, 130, 110}});
}

TEST(ComposeMenus, IndexedScreensKeepTheirPalette) {
  const std::vector<Colour> palette = {MakeColour(1, 1, 1), MakeColour(200, 10, 10), MakeColour(10, 200, 10),
                                       MakeColour(245, 5, 245)};
  Bitmap screen(kScreenW, kScreenH, PixelFormat::Indexed4);
  screen.SetPalette(palette);
  for (int y = 0; y < kScreenH; ++y)
    for (int x = 0; x < kScreenW; ++x) screen.SetPixelAt(x, y, palette[static_cast<std::size_t>((x + y) % 3)]);
  const std::vector<Rect> menus = {{-3, 5, 17, 25}};
  const Bitmap picture = ComposeMenus(screen, menus, kBackground);
  ASSERT_EQ(picture.Format(), PixelFormat::Indexed4);
  EXPECT_TRUE(std::equal(picture.Palette().begin(), picture.Palette().end(), screen.Palette().begin(),
                         screen.Palette().end()));
  EXPECT_EQ(picture.IndexAt(0, 0), 3) << "the background's nearest colour";
  for (std::int32_t y = 0; y < 20; ++y)
    for (std::int32_t x = 3; x < 20; ++x) ASSERT_EQ(picture.IndexAt(x, y), screen.IndexAt(x - 3, y + 5));
}

TEST(ComposeMenus, NothingWithAreaGivesAnEmptyPicture) {
  const Bitmap screen = Screen();
  EXPECT_TRUE(ComposeMenus(screen, {}, kBackground).IsEmpty());
  const std::vector<Rect> flat = {{10, 10, 10, 40}};
  EXPECT_TRUE(ComposeMenus(screen, flat, kBackground).IsEmpty());
}

}  // namespace
}  // namespace brisko
