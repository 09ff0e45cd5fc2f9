#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace brisko::win {

// The caption every folder browser of the program shows.
inline constexpr std::string_view kFolderBrowserTitle = "Please select a folder";

// The system's folder picker, opening in `initialFolder` when that folder
// exists. The chosen folder's path, or nothing when the user cancels.
std::optional<std::string> ChooseFolder(HWND owner, std::string_view initialFolder,
                                        std::string_view title = kFolderBrowserTitle);

}  // namespace brisko::win
