#pragma once

#include <span>
#include <string>
#include <string_view>

#include "capture/FileNaming.h"
#include "core/Ini.h"

// What the save-file settings dialog decides apart from its window: the
// entries of its format list, the name preview, and what "&Ok" may write to
// the [SaveFile] section. The window copies texts in and out.
namespace brisko {

// NameIndex: how file output names a capture.
inline constexpr int kAskForName = 0;
inline constexpr int kDateTimeName = 1;
inline constexpr int kNumberedName = 2;

inline constexpr int kDigitsChoices = 5;

// The format list in TyleIndex order; each entry starts with its extension.
std::span<const std::string_view> SaveFormatEntries();

// The preview label before the settings are applied to it.
inline constexpr std::string_view kPreviewAtStart = "####.BMP";
// The label after a format entry is clicked: its last three characters
// become the entry's first three.
std::string PreviewAfterFormat(std::string_view label, std::string_view entry);
// The label after digits entry `digitsIndex` is chosen: digitsIndex + 1
// characters "#", then the label's last four (".BMP").
std::string PreviewAfterDigits(std::string_view label, int digitsIndex);
// The label as the dialog opens with these settings.
std::string OpeningPreview(const SaveFileSettings& settings);

// What "&Ok" does with the values the dialog shows. With a problem, the
// message is shown, the dialog stays open and nothing is written.
// Otherwise `keys` are the [SaveFile] keys to write together, in order;
// FileIndexNum is never among them, and NameText and NameNumIndex only
// when numbered names are chosen, so the others keep what the file had.
struct SaveFileOk {
  std::string problem;
  IniValues keys;
  // NameOutput as written, with its trailing backslash; the window makes
  // sure the folder exists before anything is written.
  std::string folder;
};
SaveFileOk CheckSaveFileChoice(const SaveFileSettings& chosen);

// The message for a folder that does not exist and cannot be created.
std::string FolderCannotBeCreatedMessage(std::string_view folder);

}  // namespace brisko
