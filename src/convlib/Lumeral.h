#pragma once

// The interface of Lumeral.dll, the conversion library, shared by the
// library and the program that imports it. Paths are zero-terminated UTF-8.
//
// The converters report failure by their result, never by an exception: the
// library and the program each have their own C++ runtime.

#include <windows.h>

#ifdef LUMERAL_BUILDING
#define LUMERAL_API extern "C" __declspec(dllexport)
#else
#define LUMERAL_API extern "C" __declspec(dllimport)
#endif

namespace lumeral {
enum Result : int {
  kOk = 0,
  kCannotReadSource = 1,
  kCannotWriteTarget = 2,
  kNotAvailable = 3,
  // The source was read, but the picture cannot be converted: it is too
  // large for the target format, or the system refused a drawing step.
  kConversionFailed = 4,
};
}  // namespace lumeral

LUMERAL_API int __stdcall BitmapToEmf(const char* source, const char* target);
LUMERAL_API int __stdcall BitmapToWmf(const char* source, const char* target);
LUMERAL_API int __stdcall BitmapToIcon(const char* source, const char* target);
// Shows the save-parameters dialog for `target`, owned by the caller's
// application window; with autoClose it writes the file with the default
// parameters at once. Always true.
LUMERAL_API BOOL __stdcall ShowForm(HWND application, const char* target, BOOLEAN autoClose);
