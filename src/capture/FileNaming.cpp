#include "capture/FileNaming.h"

#include <cstdio>

#include "core/Helpers.h"

namespace brisko {

namespace {

constexpr std::array<CaptureFileType, kCaptureFileTypeCount> kTypes = {{
    {"Bitmaps (*.bmp)", "*.bmp", "BMP"},
    {"JPEG Image File (*.jpg)", "*.jpg", "JPG"},
    {"PC Paintbrush(*.pcx)", "*.pcx", "PCX"},
    {"Portable Network Grap(*.png)", "*.png", "PNG"},
    {"Tagged Image File(*.tif)", "*.tif", "TIF"},
    {"GIF Image (*.gif)", "*.gif", "GIF"},
    {"Targa Bitmap(*.tga)", "*.tga", "TGA"},
    {"Metafiles (*.wmf)", "*.wmf", "WMF"},
    {"Enhanced Metafiles (*.emf)", "*.emf", "EMF"},
    {"Windows Icon(*.ico)", "*.ico", "ICO"},
}};

}  // namespace

std::span<const CaptureFileType> CaptureFileTypes() { return kTypes; }

std::string CaptureFileFilter() {
  std::string filter;
  for (const CaptureFileType& t : kTypes) {
    if (!filter.empty()) filter += '|';
    filter += t.filter;
    filter += '|';
    filter += t.pattern;
  }
  return filter;
}

NumberedName NextNumberedName(int digitsIndex, std::int64_t stored) {
  const std::size_t width = static_cast<std::size_t>(digitsIndex) + 1;
  // The test looks at the stored number, so the counter reaches one digit
  // more than the field once before it restarts.
  const std::int64_t next = std::to_string(stored).size() > width ? 1 : stored + 1;
  std::string digits = std::to_string(next);
  if (digits.size() < width) digits.insert(0, width - digits.size(), ' ');
  return NumberedName{digits, next};
}

SaveFileSettings SaveFileSettingsFrom(const std::function<std::string(std::string_view key)>& read) {
  auto number = [&](std::string_view key, int fallback, int low, int high) {
    const auto n = ParseDecimal(read(key));
    return n && *n >= low && *n <= high ? *n : fallback;
  };
  SaveFileSettings s;
  s.typeIndex = number("TyleIndex", 0, 0, kCaptureFileTypeCount - 1);
  s.nameIndex = number("NameIndex", 0, 0, 2);
  if (std::string text = read("NameText"); !text.empty()) s.nameText = std::move(text);
  s.digitsIndex = number("NameNumIndex", 3, 0, 4);
  if (std::string folder = read("NameOutput"); !folder.empty()) s.nameOutput = std::move(folder);
  s.showOptions = read("ShowOption") == "1";
  s.fileIndex = number("FileIndexNum", 0, 0, 2147483647);
  return s;
}

std::string DateTimeName(const LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

}  // namespace brisko
