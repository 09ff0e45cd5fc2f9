#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The arithmetic of the editor's ways out of the program: the name a Save
// As writes, the page layout of a print, the print's date footer and the
// desktop values of each wallpaper style.
namespace brisko {

// The file a Save As writes for the chosen name and the chosen type's
// extension ("PNG"): the name as typed, with "." and the extension added
// unless the name already ends in that extension (in any case).
std::string SaveTarget(std::string_view chosen, std::string_view extension);

// Whether a file name's own extension is `extension` ("WMF"), in any case.
bool HasExtension(std::string_view name, std::string_view extension);

// Printer pixels of a font cell of `points` / 72 inch at a vertical
// resolution, rounded to the nearest whole number.
int FontCellHeight(int dotsPerInchY, int points);

struct PrintPage {
  int width = 0;   // printable area, printer pixels
  int height = 0;
  int dotsPerInchX = 0;
  int screenPixelsPerInch = 96;
  int lineHeight = 0;    // height of "X" in the 12-point font
  int footerHeight = 0;  // height of "X" in the 8-point footer font
};

struct PrintLayout {
  int scale = 1;  // printer pixels per screen pixel before any shrinking
  int left = 0;
  int top = 0;
  int width = 0;  // printed size
  int height = 0;
  int footerX = 0;
  int footerY = 0;
};

// The picture at the printer's resolution over the screen's (a whole
// factor), centred across, five lines from the top, the footer on the last
// line at the picture's left. A picture that would not fit the width or the
// room above the footer is shrunk, keeping its aspect, until it does.
PrintLayout LayOutPrint(const PrintPage& page, std::int32_t pictureWidth, std::int32_t pictureHeight);

// "m/d/yy  h:nn" with the locale's separators: month and day without
// leading zeros, two-digit year, two blanks, the hour of the 24-hour clock
// without a leading zero and two-digit minutes.
std::string PrintFooterText(int year, int month, int day, int hour, int minute, std::string_view dateSeparator,
                            std::string_view timeSeparator);

// The desktop's "TileWallpaper" and "WallpaperStyle" for a wallpaper entry's
// tag: 1 centre, 2 tile, 3 stretch.
struct WallpaperStyle {
  std::string_view tileWallpaper;
  std::string_view wallpaperStyle;
};
WallpaperStyle WallpaperStyleFor(int tag);

}  // namespace brisko
