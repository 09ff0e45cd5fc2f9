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

void CallShowForm(HWND application, const std::string& target, bool autoClose) {
  const std::wstring inFolder = win::Widen(ProgramFolder() + "Lumeral.dll");
  if (GetFileAttributesW(inFolder.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  // By its bare name: the search begins with the program's folder.
  win::ScopedModule library(LoadLibraryW(L"Lumeral.dll"));
  if (!library) return;
  using ShowFormFunction = BOOL(__stdcall*)(HWND, const char*, BOOLEAN);
  const auto showForm = win::ExportOf<ShowFormFunction>(library.Get(), "ShowForm");
  if (!showForm) return;
  showForm(application, target.c_str(), autoClose ? TRUE : FALSE);
}

}  // namespace brisko
