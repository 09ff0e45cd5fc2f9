#include "convlib/LumeralBinding.h"

#include "convlib/Lumeral.h"
#include "widgets/Handles.h"
#include "widgets/Share.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

void Check(int result, const char* what, const std::string& target) {
  switch (result) {
    case lumeral::kOk: return;
    case lumeral::kCannotReadSource: throw ConversionError(std::string(what) + ": the picture could not be read");
    case lumeral::kCannotWriteTarget: throw ConversionError(std::string(what) + ": cannot write " + target);
    default: throw ConversionError(std::string(what) + " failed for " + target);
  }
}

}  // namespace

void ConvertToEmf(const std::string& source, const std::string& target) {
  Check(BitmapToEmf(source.c_str(), target.c_str()), "Enhanced metafile", target);
}

void ConvertToWmf(const std::string& source, const std::string& target) {
  Check(BitmapToWmf(source.c_str(), target.c_str()), "Windows metafile", target);
}

void ConvertToIcon(const std::string& source, const std::string& target) {
  Check(BitmapToIcon(source.c_str(), target.c_str()), "Icon", target);
}

namespace {

// "shot.png" -> "shot.png.saving.png": beside the target, and with its
// extension, which is what the dialog picks the format by.
std::wstring PartialNameFor(const std::wstring& target) {
  const auto dot = target.rfind(L'.');
  const auto slash = target.find_last_of(L"\\/:");
  const std::wstring extension =
      dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash) ? target.substr(dot) : L"";
  return target + L".saving" + extension;
}

bool HasContent(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
         (data.nFileSizeHigh != 0 || data.nFileSizeLow != 0);
}

}  // namespace

ShowFormOutcome CallShowForm(HWND application, const std::string& target, bool autoClose) {
  const std::wstring inFolder = win::Widen(ProgramFolder() + "Lumeral.dll");
  if (GetFileAttributesW(inFolder.c_str()) == INVALID_FILE_ATTRIBUTES) return ShowFormOutcome::LibraryUnavailable;
  // By its bare name: the search begins with the program's folder.
  win::ScopedModule library(LoadLibraryW(L"Lumeral.dll"));
  if (!library) return ShowFormOutcome::LibraryUnavailable;
  using ShowFormFunction = BOOL(__stdcall*)(HWND, const char*, BOOLEAN);
  const auto showForm = win::ExportOf<ShowFormFunction>(library.Get(), "ShowForm");
  if (!showForm) return ShowFormOutcome::LibraryUnavailable;
  const std::wstring finalName = win::Widen(target), partial = PartialNameFor(finalName);
  DeleteFileW(partial.c_str());
  showForm(application, win::Narrow(partial).c_str(), autoClose ? TRUE : FALSE);
  if (!HasContent(partial)) {
    DeleteFileW(partial.c_str());
    return ShowFormOutcome::NotWritten;
  }
  if (!MoveFileExW(partial.c_str(), finalName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(partial.c_str());
    return ShowFormOutcome::NotWritten;
  }
  return ShowFormOutcome::Written;
}

}  // namespace brisko
