#pragma once

#include <span>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// How captured files are named and typed when they go to a file.
namespace brisko {

// The ten file types in the order of the save dialog's filter (TyleIndex).
struct CaptureFileType {
  std::string_view filter;     // the filter's text
  std::string_view pattern;    // "*.bmp"
  std::string_view extension;  // what is appended, in capitals
};
std::span<const CaptureFileType> CaptureFileTypes();
inline constexpr int kCaptureFileTypeCount = 10;
// Index of the types written by the metafile and icon converters rather than
// the save-parameters dialog.
inline constexpr int kWmfType = 7;
inline constexpr int kEmfType = 8;
inline constexpr int kIcoType = 9;

// The save dialog's filter: "text|pattern|text|pattern...".
std::string CaptureFileFilter();

// The running-number part of a numbered name. `digitsIndex` + 1 is the
// field width; `stored` is the last number used. The new number restarts at
// 1 once the stored one has more digits than the field, and is written
// right-aligned, padded with spaces.
struct NumberedName {
  std::string text;
  std::int64_t number;
};
NumberedName NextNumberedName(int digitsIndex, std::int64_t stored);

// The [SaveFile] settings file output reads. Each has the save-file
// dialog's default when missing, not a number or out of range, so a bad
// line never stops file output.
struct SaveFileSettings {
  int typeIndex = 0;
  int nameIndex = 0;
  std::string nameText = "Vardel_";
  int digitsIndex = 3;
  std::string nameOutput = "c:\\";
  bool showOptions = false;
  std::int64_t fileIndex = 0;
};
// `read` gives the text of a [SaveFile] key ("" when missing).
SaveFileSettings SaveFileSettingsFrom(const std::function<std::string(std::string_view key)>& read);

// "yyyymmddhhmmss" of a local date and time.
struct LocalDateTime {
  int year, month, day, hour, minute, second;
};
std::string DateTimeName(const LocalDateTime& t);

}  // namespace brisko
