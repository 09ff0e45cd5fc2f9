#pragma once

// The web capture wizard's bookkeeping that needs no window: the address
// history, the output and download folders, and the link list it leaves
// beside the downloads.

#include <string>
#include <string_view>
#include <vector>

namespace brisko::web {

// Where downloads go when the folder box is left empty.
inline constexpr std::string_view kDefaultOutputFolder = "c:\\";

// The text without leading and trailing blanks and control characters.
std::string TrimmedText(std::string_view text);

// True when the history holds the address in any case.
bool HistoryHolds(const std::vector<std::string>& history, std::string_view address);

// The history file's lines as the address box's list (blank lines dropped,
// a carriage return before each line feed accepted), and back.
std::vector<std::string> HistoryFromText(std::string_view text);
std::string HistoryText(const std::vector<std::string>& history);

// The folder box's text as the output folder: trimmed, "c:\" when blank,
// with a trailing backslash.
std::string OutputFolderFrom(std::string_view folderBox);

// The output folder + "yyyymmddhhmmss" + "\" for the given local time.
std::string DownloadFolderFor(const std::string& outputFolder, int year, int month, int day, int hour, int minute,
                              int second);

// The found links, one per line, as written to "http.txt".
std::string LinkListText(const std::vector<std::string>& links);

}  // namespace brisko::web
