#include "convlib/Lumeral.h"

#include <filesystem>

#include "convlib/Converters.h"
#include "convlib/ImgUnit.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "widgets/Application.h"

// No exception leaves the library: the program that calls it has a C++
// runtime of its own. Each converter reads the source, converts, and says
// by its result which of the two went wrong.

namespace {

using brisko::Bitmap;
using ConvertFn = void (*)(const Bitmap& bitmap, const std::filesystem::path& target);

int Convert(const char* source, const char* target, ConvertFn convert) noexcept {
  Bitmap bitmap;
  try {
    if (!source) return lumeral::kCannotReadSource;
    bitmap = brisko::ReadBmpFile(brisko::PathFromUtf8(source));
  } catch (...) {
    return lumeral::kCannotReadSource;
  }
  std::filesystem::path path;
  try {
    if (!target) return lumeral::kCannotWriteTarget;
    path = brisko::PathFromUtf8(target);
  } catch (...) {
    return lumeral::kCannotWriteTarget;
  }
  try {
    convert(bitmap, path);
    return lumeral::kOk;
  } catch (const brisko::FileError&) {
    return lumeral::kCannotWriteTarget;
  } catch (...) {
    return lumeral::kConversionFailed;
  }
}

void ToEnhancedMetafile(const Bitmap& bitmap, const std::filesystem::path& target) {
  brisko::convlib::WriteMetafile(bitmap, true, target);
}

void ToPlaceableMetafile(const Bitmap& bitmap, const std::filesystem::path& target) {
  brisko::convlib::WriteMetafile(bitmap, false, target);
}

}  // namespace

int __stdcall BitmapToEmf(const char* source, const char* target) {
  return Convert(source, target, &ToEnhancedMetafile);
}

int __stdcall BitmapToWmf(const char* source, const char* target) {
  return Convert(source, target, &ToPlaceableMetafile);
}

int __stdcall BitmapToIcon(const char* source, const char* target) {
  return Convert(source, target, &brisko::convlib::WriteIcon);
}

BOOL __stdcall ShowForm(HWND application, const char* target, BOOLEAN autoClose) {
  try {
    // The library's own application object, with the caller's application
    // window, so that the dialog belongs to the caller's application.
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ShowForm), &module);
    brisko::win::Application app(module, application);
    app.SetTitle(L"Brisko Capture");
    brisko::TFrmImg dialog(application, target ? target : "", autoClose != 0);
    dialog.ShowModal();
  } catch (...) {
    // The dialog handles its own errors; nothing crosses the boundary.
  }
  return TRUE;
}
