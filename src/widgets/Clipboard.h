#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "core/Bitmap.h"

namespace brisko::win {

// Puts the picture on the clipboard as a device-independent bitmap,
// replacing what was there (the system offers it as a plain bitmap too).
void SetClipboardBitmap(HWND owner, const Bitmap& picture);

// Puts UTF-8 text on the clipboard as Unicode text.
void SetClipboardText(HWND owner, std::string_view utf8);

// The clipboard's bitmap, if it holds one.
std::optional<Bitmap> ClipboardBitmap(HWND owner);

}  // namespace brisko::win
