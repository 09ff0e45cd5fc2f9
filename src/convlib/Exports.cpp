#include "convlib/Lumeral.h"

// The converters and the dialog arrive with the codecs; until then every
// conversion reports that it is not available.

int __stdcall BitmapToEmf(const char*, const char*) { return lumeral::kNotAvailable; }
int __stdcall BitmapToWmf(const char*, const char*) { return lumeral::kNotAvailable; }
int __stdcall BitmapToIcon(const char*, const char*) { return lumeral::kNotAvailable; }
BOOL __stdcall ShowForm(HWND, const char*, BOOLEAN) { return TRUE; }
