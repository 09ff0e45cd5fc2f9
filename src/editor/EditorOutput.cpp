// The editor's ways of getting the picture out: Save As, Finish, the
// clipboard, the printer, the desktop wallpaper and the full-screen view.
// None of them changes the picture or its history.
#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <stdexcept>

#include "capture/CaptureOutput.h"
#include "capture/FileNaming.h"
#include "convlib/LumeralBinding.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "core/Helpers.h"
#include "editor/EditorPrint.h"
#include "editor/OutputRules.h"
#include "editor/UnitEditPic.h"
#include "editor/UnitFullScreen.h"
#include "widgets/Clipboard.h"
#include "widgets/Dib.h"
#include "widgets/Handles.h"
#include "widgets/Share.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

std::string TemporaryBitmap() { return TempFolder() + "temp.bmp"; }

void ShowError(const std::string& text) { ShowMessageBox(static_cast<int>(MessageKind::Error), text); }

// The hourglass until the end of a scope.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

// Where the wallpaper bitmap lives: the user's own application data, which
// an ordinary account may write, unlike the system folder.
std::wstring WallpaperPath() {
  PWSTR folder = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder)))
    throw std::runtime_error("The folder for application data could not be found.");
  std::wstring path = folder;
  CoTaskMemFree(folder);
  path += L"\\Brisko Capture";
  EnsureFolder(win::Narrow(path));
  return path + L"\\Brisko.bmp";
}

// One string value under an open registry key.
void WriteRegistryText(HKEY key, const wchar_t* name, const std::wstring& value) {
  const LSTATUS status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) throw std::runtime_error("The desktop settings could not be written.");
}

}  // namespace

// ------------------------------------------------------------------ saving

bool TFrmEditPic::WritePicture(const std::string& target) {
  const std::string source = TemporaryBitmap();
  if (HasExtension(target, "WMF")) {
    ConvertToWmf(source, target);
  } else if (HasExtension(target, "EMF")) {
    ConvertToEmf(source, target);
  } else if (HasExtension(target, "ICO")) {
    ConvertToIcon(source, target);
  } else {
    // The library takes the application's window, which is the main one:
    // it gives that window the application's title.
    switch (CallShowForm(host_.MainWindowHandle(), target, !ReadSaveFileSettings().showOptions)) {
      case ShowFormOutcome::Written: break;
      case ShowFormOutcome::LibraryUnavailable:
        ShowError("The picture was not saved: Lumeral.dll is missing from the program folder or cannot be loaded.");
        return false;
      case ShowFormOutcome::NotWritten: ShowError("The picture was not saved to " + target + "."); return false;
    }
  }
  return true;
}

void TFrmEditPic::WriteTemporaryBitmap() const {
  WriteBmpFile(doc_.WorkingBitmap, PathFromUtf8(TemporaryBitmap()), Durability::Scratch);
}

bool TFrmEditPic::SaveTo(const std::string& target) {
  WriteTemporaryBitmap();
  return WritePicture(target);
}

TFrmEditPic::SaveResult TFrmEditPic::SaveAs() {
  WriteTemporaryBitmap();
  const SaveFileSettings settings = ReadSaveFileSettings();
  const auto choice = AskForFileName(Handle(), settings.typeIndex, std::string(), std::string());
  if (!choice) {
    DocumentFileName.clear();
    RefreshView(true);
    return SaveResult::Cancelled;
  }
  const auto types = CaptureFileTypes();
  const auto type = static_cast<std::size_t>(std::clamp(choice->filterIndex - 1, 0, kCaptureFileTypeCount - 1));
  const std::string target = SaveTarget(win::Narrow(choice->file), types[type].extension);
  const std::wstring wideTarget = win::Widen(target);
  if (GetFileAttributesW(wideTarget.c_str()) != INVALID_FILE_ATTRIBUTES && !ConfirmReplace(Handle(), wideTarget))
    return SaveResult::Cancelled;
  if (!WritePicture(target)) return SaveResult::Failed;
  DocumentFileName = target;
  RefreshView(true);
  return SaveResult::Saved;
}

void TFrmEditPic::SaveAsClick(const CommandSpec&) { SaveAs(); }

void TFrmEditPic::FinishClick(const CommandSpec&) {
  if (DocumentFileName.empty()) {
    // A cancelled name or a refused replace closes as a save does; a
    // failed write keeps the editor, and the picture, open.
    if (SaveAs() == SaveResult::Failed) return;
  } else if (!SaveTo(DocumentFileName)) {
    return;
  }
  Close();
}

void TFrmEditPic::CopyToClipboardClick(const CommandSpec&) { win::SetClipboardBitmap(Handle(), doc_.WorkingBitmap); }

// ---------------------------------------------------------------- printing

void TFrmEditPic::PrintClick(const CommandSpec&) {
  EnsureActualSize();
  PRINTDLGW setup{};
  setup.lStructSize = sizeof setup;
  setup.hwndOwner = Handle();
  setup.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  if (!PrintDlgW(&setup)) return;
  if (setup.hDevMode) GlobalFree(setup.hDevMode);
  if (setup.hDevNames) GlobalFree(setup.hDevNames);
  // A printer's context is given back as a memory context is.
  win::MemoryDC printer(setup.hDC);
  if (!printer) return;
  WaitCursor wait;
  PrintJob job(printer.Get(), L"Brisko Capture");
  job.StartPage();
  DrawPrintPage(printer.Get(), PrintDeviceOf(printer.Get()), doc_.ImageShow.Picture(), PrintFooterNow());
  job.EndPage();
  job.Finish();
}

// --------------------------------------------------------------- wallpaper

void TFrmEditPic::WallpaperClick(const CommandSpec& spec) {
  const WallpaperStyle style = WallpaperStyleFor(spec.wallpaperTag);
  const std::wstring path = WallpaperPath();
  // Written first: when it cannot be, the desktop keeps what it had.
  WriteBmpFile(doc_.WorkingBitmap, std::filesystem::path(path));
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"control panel\\desktop", 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
    throw std::runtime_error("The desktop settings could not be opened.");
  const win::ScopedKey desktop(opened);
  WriteRegistryText(desktop.Get(), L"wallpaper", path);
  WriteRegistryText(desktop.Get(), L"TileWallpaper", win::Widen(style.tileWallpaper));
  WriteRegistryText(desktop.Get(), L"WallpaperStyle", win::Widen(style.wallpaperStyle));
  // With the path: current systems take a missing one as a request for
  // their default wallpaper.
  std::wstring parameter = path;
  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, parameter.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

// ------------------------------------------------------------- full screen

void TFrmEditPic::FullScreenClick(const CommandSpec&) {
  TFrmFullScreen view(Handle(), doc_.BaseFile);
  view.ShowModal();
}

}  // namespace brisko
