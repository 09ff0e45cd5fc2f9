#include "widgets/FolderDialog.h"

#include <shobjidl.h>
#include <wrl/client.h>

#include "widgets/Text.h"
#include "widgets/Win32Error.h"

namespace brisko::win {

namespace {

using Microsoft::WRL::ComPtr;

// The shell's dialogs need COM on the calling thread. An apartment the
// thread already has is used as it is and left alone.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

// Text the shell allocated for the caller.
class ShellText {
 public:
  ShellText() = default;
  ~ShellText() { CoTaskMemFree(text_); }
  ShellText(const ShellText&) = delete;
  ShellText& operator=(const ShellText&) = delete;
  PWSTR* Put() { return &text_; }
  const wchar_t* Get() const { return text_; }

 private:
  PWSTR text_ = nullptr;
};

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) throw Win32Error(what, static_cast<DWORD>(result));
}

// Opens the dialog in the folder when the shell knows it; a folder that
// does not exist (yet) leaves the dialog where it would open anyway.
void StartIn(IFileDialog& dialog, std::string_view folder) {
  if (folder.empty()) return;
  ComPtr<IShellItem> item;
  if (SUCCEEDED(SHCreateItemFromParsingName(Widen(folder).c_str(), nullptr, IID_PPV_ARGS(&item))))
    dialog.SetFolder(item.Get());
}

}  // namespace

std::optional<std::string> ChooseFolder(HWND owner, std::string_view initialFolder, std::string_view title) {
  ComApartment com;
  ComPtr<IFileOpenDialog> dialog;
  Check(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)),
        "The folder browser could not be opened");
  FILEOPENDIALOGOPTIONS options = 0;
  Check(dialog->GetOptions(&options), "The folder browser could not be opened");
  Check(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR),
        "The folder browser could not be opened");
  dialog->SetTitle(Widen(title).c_str());
  StartIn(*dialog.Get(), initialFolder);

  const HRESULT shown = dialog->Show(owner);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return std::nullopt;
  Check(shown, "The folder browser failed");
  ComPtr<IShellItem> chosen;
  Check(dialog->GetResult(&chosen), "The folder browser gave no folder");
  ShellText path;
  Check(chosen->GetDisplayName(SIGDN_FILESYSPATH, path.Put()), "The chosen folder has no path");
  return Narrow(path.Get());
}

}  // namespace brisko::win
