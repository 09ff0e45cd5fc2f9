#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "capture/FileNaming.h"

// What every save of a picture to a file shares, from a capture or from the
// editor: the [SaveFile] settings, the save dialog with its ten types and
// the question before a file is replaced.
namespace brisko {

// The [SaveFile] settings of config.ini, read with their defaults.
SaveFileSettings ReadSaveFileSettings();

// The save dialog with the ten file types, `typeIndex` (zero-based) chosen
// first and `proposal` as the name; in `folder` when it is not empty. The
// chosen name as typed and the one-based filter index, or nothing when
// cancelled.
struct SaveChoice {
  std::wstring file;
  int filterIndex;
};
std::optional<SaveChoice> AskForFileName(HWND owner, int typeIndex, const std::string& folder,
                                         const std::string& proposal);
// "<path> already exists." and whether to replace it; true for Yes.
bool ConfirmReplace(HWND owner, const std::wstring& path);

}  // namespace brisko
