#include "convlib/Lumeral.h"

#include <filesystem>

#include "convlib/Converters.h"
#include "core/Bmp.h"
#include "core/Files.h"

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

// The save-parameters dialog arrives with the window toolkit; until then it
// writes nothing.
BOOL __stdcall ShowForm(HWND, const char*, BOOLEAN) { return TRUE; }
