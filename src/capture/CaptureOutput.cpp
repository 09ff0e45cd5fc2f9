#include "capture/CaptureOutput.h"

#include <commdlg.h>

#include <algorithm>
#include <ctime>
#include <optional>
#include <vector>

#include "capture/FileNaming.h"
#include "capture/OwnWindows.h"
#include "convlib/LumeralBinding.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "core/Helpers.h"
#include "widgets/Clipboard.h"
#include "widgets/Share.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

LocalDateTime Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                       local.tm_sec};
}

// The save dialog; the chosen path (without an extension added) and the
// filter index, or nothing when cancelled.
struct SaveChoice {
  std::wstring file;
  int filterIndex;
};
std::optional<SaveChoice> AskForFileName(HWND owner, const SaveFileSettings& settings, const std::string& proposal) {
  std::wstring filter = win::Widen(CaptureFileFilter());
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.push_back(L'\0');
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring proposed = win::Widen(proposal);
  proposed.copy(file.data(), std::min(proposed.size(), file.size() - 1));
  const std::wstring folder = win::Widen(settings.nameOutput);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(settings.typeIndex + 1);
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  if (settings.nameIndex != 0) dialog.lpstrInitialDir = folder.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return SaveChoice{file.data(), static_cast<int>(dialog.nFilterIndex)};
}

bool ConfirmReplace(HWND owner, const std::wstring& path) {
  const std::wstring text = path + L" already exists.\r\nDo you want to replace it?";
  return MessageBoxW(owner, text.c_str(), L"Brisko Capture", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void OutputToFile(CaptureHost& host, const Bitmap& picture) {
  const SaveFileSettings settings = ReadSaveFileSettings();
  const std::string tempBitmap = TempFolder() + "temp.bmp";
  WriteBmpFile(picture, PathFromUtf8(tempBitmap));
  const std::string proposal = ProposedFileName(settings);
  HWND owner = host.DialogOwner();
  const auto choice = AskForFileName(owner, settings, proposal);
  if (!choice) return;
  const auto types = CaptureFileTypes();
  const int type = std::clamp(choice->filterIndex - 1, 0, kCaptureFileTypeCount - 1);
  // The extension goes on even when the name has one already.
  const std::wstring target =
      choice->file + L"." + win::Widen(types[static_cast<std::size_t>(type)].extension);
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES && !ConfirmReplace(owner, target)) return;
  const std::string targetText = win::Narrow(target);
  switch (type) {
    case kWmfType: ConvertToWmf(tempBitmap, targetText); break;
    case kEmfType: ConvertToEmf(tempBitmap, targetText); break;
    case kIcoType: ConvertToIcon(tempBitmap, targetText); break;
    default: CallShowForm(owner, targetText, !settings.showOptions); break;
  }
}

}  // namespace

SaveFileSettings ReadSaveFileSettings() {
  const IniDocument settings = ReadAllSettings();
  return SaveFileSettingsFrom([&](std::string_view key) { return settings.Read("SaveFile", key); });
}

std::string ProposedFileName(const SaveFileSettings& settings) {
  switch (settings.nameIndex) {
    case 1: return DateTimeName(Now());
    case 2: {
      // Consumed at once, even if the user then cancels the dialog.
      const NumberedName next = NextNumberedName(settings.digitsIndex, settings.fileIndex);
      WriteSetting("SaveFile", "FileIndexNum", std::to_string(next.number));
      return settings.nameText + next.text;
    }
    default: return {};
  }
}

void EndCapture(CaptureHost& host) {
  PutCaptureWindowsAway();
  BringBackUserWindows();
  host.ReturnAfterCapture();
}

void OutputCapture(CaptureProfile& profile, CaptureHost& host) {
  PutCaptureWindowsAway();
  Bitmap& picture = profile.CapturedBitmap;
  if (picture.IsEmpty()) {
    EndCapture(host);
    return;
  }
  if (profile.SoundFlag) PlayCaptureSound(profile.SoundFile);
  try {
    picture.SetFormat(PixelFormat::Bgr24);
    switch (profile.OutputTarget) {
      case kOutputImageView: {
        const std::string baseFile = TempFolder() + "Temp\\Brisko.bmp";
        EnsureFolder(TempFolder() + "Temp");
        WriteBmpFile(picture, PathFromUtf8(baseFile));
        // The main window stays hidden until the editor closes.
        BringBackUserWindows();
        host.ShowInEditor(baseFile);
        return;
      }
      case kOutputClipboard: win::SetClipboardBitmap(host.MainWindow(), picture); break;
      case kOutputFile: OutputToFile(host, picture); break;
      default: break;
    }
  } catch (...) {
    // A failed delivery ends like a finished one, without a message.
  }
  EndCapture(host);
}

}  // namespace brisko
