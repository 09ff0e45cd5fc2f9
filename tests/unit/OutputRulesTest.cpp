#include "editor/OutputRules.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace brisko {
namespace {

TEST(SaveTarget, AddsTheExtensionOnlyWhenTheNameDoesNotEndInIt) {
  EXPECT_EQ(SaveTarget("C:\\shots\\a", "PNG"), "C:\\shots\\a.PNG");
  EXPECT_EQ(SaveTarget("C:\\shots\\a.png", "PNG"), "C:\\shots\\a.png") << "the name stays as typed";
  EXPECT_EQ(SaveTarget("C:\\png\\b", "PNG"), "C:\\png\\b.PNG") << "a folder named like the type is no extension";
  EXPECT_EQ(SaveTarget("C:\\a.png\\b", "PNG"), "C:\\a.png\\b.PNG");
  EXPECT_EQ(SaveTarget("C:\\shots\\holiday.jpg", "PNG"), "C:\\shots\\holiday.jpg.PNG");
  EXPECT_EQ(SaveTarget("C:\\shots\\apng", "PNG"), "C:\\shots\\apng.PNG");
  EXPECT_TRUE(HasExtension("D:\\x\\Shot.Wmf", "WMF"));
  EXPECT_FALSE(HasExtension("D:\\x\\Shot.wmf.bmp", "WMF"));
  EXPECT_FALSE(HasExtension("D:\\x.wmf\\Shot", "WMF"));
}

PrintPage Page600() {
  PrintPage page;
  page.width = 4800;
  page.height = 6600;
  page.dotsPerInchX = 600;
  page.screenPixelsPerInch = 96;
  page.lineHeight = 90;
  page.footerHeight = 60;
  return page;
}

TEST(PrintLayout, APictureThatFitsKeepsTheWholeFactorAndIsCentred) {
  const PrintLayout layout = LayOutPrint(Page600(), 400, 300);
  EXPECT_EQ(layout.scale, 6);
  EXPECT_EQ(layout.width, 2400);
  EXPECT_EQ(layout.height, 1800);
  EXPECT_EQ(layout.left, (4800 - 2400) / 2);
  EXPECT_EQ(layout.top, 5 * 90);
  EXPECT_EQ(layout.footerX, layout.left);
  EXPECT_EQ(layout.footerY, 6600 - 60) << "the footer stands on the last line";
}

TEST(PrintLayout, APictureTooLargeForThePageShrinksKeepingItsAspect) {
  // 1920 screen pixels are 11,520 printer pixels: more than twice the page.
  const PrintLayout wide = LayOutPrint(Page600(), 1920, 1080);
  EXPECT_EQ(wide.width, 4800);
  EXPECT_EQ(wide.height, 2700);
  EXPECT_EQ(wide.left, 0);
  const PrintLayout tall = LayOutPrint(Page600(), 200, 2000);
  const int room = 6600 - 60 - 5 * 90;
  EXPECT_EQ(tall.height, room) << "down to the room above the footer";
  EXPECT_EQ(tall.width, room * 200 / 2000);
  EXPECT_EQ(tall.left, (4800 - tall.width) / 2);
}

TEST(PrintLayout, ACoarsePrinterStillPrintsAtLeastOnePixelPerPixel) {
  PrintPage page = Page600();
  page.dotsPerInchX = 72;
  page.width = 576;
  page.height = 792;
  const PrintLayout layout = LayOutPrint(page, 100, 50);
  EXPECT_EQ(layout.scale, 1);
  EXPECT_EQ(layout.width, 100);
  EXPECT_EQ(layout.height, 50);
}

TEST(PrintLayout, FontCellsAreRoundedPrinterPixels) {
  EXPECT_EQ(FontCellHeight(600, 12), 100);
  EXPECT_EQ(FontCellHeight(600, 8), 67);
  EXPECT_EQ(FontCellHeight(300, 8), 33);
}

TEST(PrintFooter, DateAndTimeWithTheLocaleSeparators) {
  EXPECT_EQ(PrintFooterText(2027, 2, 1, 9, 5, "/", ":"), "2/1/27  9:05");
  EXPECT_EQ(PrintFooterText(2027, 2, 1, 9, 5, ".", "."), "2.1.27  9.05");
  EXPECT_EQ(PrintFooterText(2009, 12, 31, 23, 59, "/", ":"), "12/31/09  23:59");
  EXPECT_EQ(PrintFooterText(2000, 1, 1, 0, 0, "-", ":"), "1-1-00  0:00");
}

TEST(Wallpaper, EachTagWritesItsTwoValues) {
  EXPECT_EQ(WallpaperStyleFor(1).tileWallpaper, "0");
  EXPECT_EQ(WallpaperStyleFor(1).wallpaperStyle, "0");
  EXPECT_EQ(WallpaperStyleFor(2).tileWallpaper, "1");
  EXPECT_EQ(WallpaperStyleFor(2).wallpaperStyle, "0");
  EXPECT_EQ(WallpaperStyleFor(3).tileWallpaper, "0");
  EXPECT_EQ(WallpaperStyleFor(3).wallpaperStyle, "2");
  EXPECT_THROW(WallpaperStyleFor(4), std::invalid_argument);
}

}  // namespace
}  // namespace brisko
