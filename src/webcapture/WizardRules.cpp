#include "webcapture/WizardRules.h"

#include <cstdio>

#include "core/Helpers.h"
#include "webcapture/LinkScan.h"

namespace brisko::web {

std::string TrimmedText(std::string_view text) { return std::string(TrimBlanks(text)); }

bool HistoryHolds(const std::vector<std::string>& history, std::string_view address) {
  for (const std::string& entry : history)
    if (EqualsIgnoringCase(entry, address)) return true;
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
