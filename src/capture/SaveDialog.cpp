#include "capture/SaveDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "core/Ini.h"
#include "widgets/Share.h"
#include "widgets/Text.h"

namespace brisko {

std::optional<SaveChoice> AskForFileName(HWND owner, int typeIndex, const std::string& folder,
                                         const std::string& proposal) {
  std::wstring filter = win::Widen(CaptureFileFilter());
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.push_back(L'\0');
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring proposed = win::Widen(proposal);
  proposed.copy(file.data(), std::min(proposed.size(), file.size() - 1));
  const std::wstring initialFolder = win::Widen(folder);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(typeIndex + 1);
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  if (!initialFolder.empty()) dialog.lpstrInitialDir = initialFolder.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return SaveChoice{file.data(), static_cast<int>(dialog.nFilterIndex)};
}

bool ConfirmReplace(HWND owner, const std::wstring& path) {
  const std::wstring text = path + L" already exists.\r\nDo you want to replace it?";
  return MessageBoxW(owner, text.c_str(), L"Brisko Capture", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

SaveFileSettings ReadSaveFileSettings() {
  const IniDocument settings = ReadAllSettings();
  return SaveFileSettingsFrom([&](std::string_view key) { return settings.Read("SaveFile", key); });
}

}  // namespace brisko
