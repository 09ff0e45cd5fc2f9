#include "webcapture/WizardRules.h"

#include <cstdio>

#include "core/Helpers.h"

namespace brisko::web {

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' ' || c == 0x7F; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

}  // namespace

std::string TrimmedText(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

bool HistoryHolds(const std::vector<std::string>& history, std::string_view address) {
  for (const std::string& entry : history)
    if (SameIgnoringCase(entry, address)) return true;
  return false;
}

std::vector<std::string> HistoryFromText(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!TrimmedText(line).empty()) lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string HistoryText(const std::vector<std::string>& history) { return LinkListText(history); }

std::string OutputFolderFrom(std::string_view folderBox) {
  const std::string trimmed = TrimmedText(folderBox);
  return WithTrailingBackslash(trimmed.empty() ? kDefaultOutputFolder : trimmed);
}

std::string DownloadFolderFor(const std::string& outputFolder, int year, int month, int day, int hour, int minute,
                              int second) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", year, month, day, hour, minute, second);
  return WithTrailingBackslash(outputFolder + stamp);
}

std::string LinkListText(const std::vector<std::string>& links) {
  std::string text;
  for (const std::string& link : links) text += link + "\r\n";
  return text;
}

}  // namespace brisko::web
