#include "widgets/Share.h"

#include <shellapi.h>
#include <shlobj.h>
#include <mmsystem.h>

#include <vector>

#include "core/Files.h"
#include "core/Ini.h"
#include "imageops/Resample.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// True when a new file can be made in the folder and an existing config.ini
// there is not read-only.
bool CanWriteSettingsIn(const std::string& folder) {
  const std::wstring config = win::Widen(folder + "config.ini");
  const DWORD attributes = GetFileAttributesW(config.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  const std::wstring probe = win::Widen(folder + "config.ini.~probe");
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::filesystem::path PerUserSettingsFile() {
  PWSTR appData = nullptr;
  std::filesystem::path folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &appData)))
    folder = appData;
  CoTaskMemFree(appData);
  if (folder.empty()) folder = PathFromUtf8(TempFolder());
  return folder / L"Brisko Capture" / L"config.ini";
}

std::filesystem::path ConfigPath() {
  // Where the file lives is decided once; its values are read anew each time.
  static const std::filesystem::path path = [] {
    const std::string program = ProgramFolder();
    // ProgramFolder ends with a backslash already; the doubled separator is
    // harmless to the file system.
    const std::filesystem::path delivered = PathFromUtf8(program + "\\" + "config.ini");
    // The per-user folder is asked of the shell only when it is needed:
    // loading the shell is the slowest part of a first settings read.
    if (CanWriteSettingsIn(program)) return delivered;
    return SettingsFileLocation(delivered, PerUserSettingsFile(), false);
  }();
  return path;
}

}  // namespace

std::string ProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return FolderPartOf(win::Narrow(std::wstring_view(buffer.data(), n)));
    buffer.resize(buffer.size() * 2);
  }
}

std::string SystemFolder() {
  wchar_t buffer[261];
  const UINT n = GetSystemDirectoryW(buffer, 261);
  return WithTrailingBackslash(win::Narrow(std::wstring_view(buffer, n < 261 ? n : 0)));
}

std::string TempFolder() {
  wchar_t buffer[255];
  const DWORD n = GetTempPathW(255, buffer);
  return WithTrailingBackslash(win::Narrow(std::wstring_view(buffer, n < 255 ? n : 0)));
}

std::string ReadSetting(std::string_view section, std::string_view key) {
  return ReadIniValue(ConfigPath(), section, key);
}

IniDocument ReadAllSettings() { return LoadIniFile(ConfigPath()); }

void WriteSetting(std::string_view section, std::string_view key, std::string_view value) {
  WriteIniValue(ConfigPath(), section, key, value);
}

void WriteSettings(std::string_view section, const IniValues& values) {
  WriteIniValues(ConfigPath(), section, values);
}

bool DeleteFolderTree(std::string_view path) {
  const std::wstring folder = win::Widen(path);
  if (!IsFolder(folder)) return false;
  // The source list ends with an extra terminating zero.
  std::wstring from = folder;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  const int result = SHFileOperationW(&op);
  return result == 0 && !op.fAnyOperationsAborted && !IsFolder(folder);
}

void OpenWithShell(HWND owner, std::string_view target) {
  ShellExecuteW(owner, L"Open", win::Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void ShowMessageBox(int kind, std::string_view text) {
  const wchar_t* caption = nullptr;
  UINT icon = 0;
  switch (static_cast<MessageKind>(kind)) {
    case MessageKind::Error: caption = L"Error", icon = MB_ICONERROR; break;
    case MessageKind::Warning: caption = L"Warning", icon = MB_ICONWARNING; break;
    case MessageKind::Information: caption = L"Information", icon = MB_ICONINFORMATION; break;
    default: return;
  }
  MessageBoxW(GetActiveWindow(), win::Widen(text).c_str(), caption, MB_OK | icon);
}

Colour ResolveColour(Colour colour) {
  if ((colour & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return colour & 0xFFFFFFu;
}

std::string ColorToHexRGB(Colour colour) { return HexRGB(ResolveColour(colour)); }

std::string WindowTextOf(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return win::Narrow(text);
}

void PlayCaptureSound(int number) {
  const std::wstring name = L"Sound" + std::to_wstring(number);
  PlaySoundW(name.c_str(), GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

void FitImageInPanel(ImageView& target, const Bitmap& source, std::int32_t panelWidth,
                     std::int32_t panelHeight) {
  target.Clear();
  const Rect place = FitImageRect(source.Width(), source.Height(), panelWidth, panelHeight);
  Bitmap fitted;
  if (!place.IsEmpty() && !source.IsEmpty()) Resample(source, fitted, place.Width(), place.Height());
  target.SetPosition(place.Left, place.Top);
  target.SetPicture(std::move(fitted));
}

}  // namespace brisko
