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

void OutputToFile(CaptureHost& host, const Bitmap& picture) {
  const SaveFileSettings settings = ReadSaveFileSettings();
  const std::string tempBitmap = TempFolder() + "temp.bmp";
  WriteBmpFile(picture, PathFromUtf8(tempBitmap), Durability::Scratch);
  const std::string proposal = ProposedFileName(settings);
  HWND owner = host.DialogOwner();
  const auto choice =
      AskForFileName(owner, settings.typeIndex, settings.nameIndex != 0 ? settings.nameOutput : std::string(), proposal);
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
