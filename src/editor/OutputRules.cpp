#include "editor/OutputRules.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace brisko {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Padded(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

}  // namespace

bool HasExtension(std::string_view name, std::string_view extension) {
  // The extension is what follows the last point of the last path part.
  const auto slash = name.find_last_of("\\/:");
  const std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);
  const auto dot = file.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view own = file.substr(dot + 1);
  return own.size() == extension.size() &&
         std::equal(own.begin(), own.end(), extension.begin(), [](char a, char b) { return Upper(a) == Upper(b); });
}

std::string SaveTarget(std::string_view chosen, std::string_view extension) {
  if (HasExtension(chosen, extension)) return std::string(chosen);
  return std::string(chosen) + "." + std::string(extension);
}

int FontCellHeight(int dotsPerInchY, int points) {
  return static_cast<int>(std::lround(static_cast<double>(dotsPerInchY) * points / 72));
}

PrintLayout LayOutPrint(const PrintPage& page, std::int32_t pictureWidth, std::int32_t pictureHeight) {
  PrintLayout layout;
  // A printer coarser than the screen would give a factor of 0 and print
  // nothing; one printer pixel per screen pixel is the least.
  layout.scale = std::max(1, page.screenPixelsPerInch > 0 ? page.dotsPerInchX / page.screenPixelsPerInch : 1);
  layout.top = 5 * page.lineHeight;
  layout.footerX = 0;
  layout.footerY = page.height - page.footerHeight;
  if (pictureWidth <= 0 || pictureHeight <= 0) return layout;
  std::int64_t width = static_cast<std::int64_t>(layout.scale) * pictureWidth;
  std::int64_t height = width * pictureHeight / pictureWidth;
  // Shrunk to the page's width and the room above the footer, aspect kept.
  const std::int64_t room = std::max<std::int64_t>(layout.footerY - layout.top, 1);
  const std::int64_t pageWidth = std::max(page.width, 1);
  if (width > pageWidth) {
    width = pageWidth;
    height = width * pictureHeight / pictureWidth;
  }
  if (height > room) {
    height = room;
    width = height * pictureWidth / pictureHeight;
  }
  layout.width = static_cast<int>(std::max<std::int64_t>(width, 1));
  layout.height = static_cast<int>(std::max<std::int64_t>(height, 1));
  layout.left = layout.width < page.width ? (page.width - layout.width) / 2 : 0;
  layout.footerX = layout.left;
  return layout;
}

std::string PrintFooterText(int year, int month, int day, int hour, int minute, std::string_view dateSeparator,
                            std::string_view timeSeparator) {
  const std::string date = std::to_string(month) + std::string(dateSeparator) + std::to_string(day) +
                           std::string(dateSeparator) + Padded(((year % 100) + 100) % 100);
  return date + "  " + std::to_string(hour) + std::string(timeSeparator) + Padded(minute);
}

WallpaperStyle WallpaperStyleFor(int tag) {
  switch (tag) {
    case 1: return {"0", "0"};
    case 2: return {"1", "0"};
    case 3: return {"0", "2"};
    default: throw std::invalid_argument("no wallpaper style has tag " + std::to_string(tag));
  }
}

}  // namespace brisko
