#pragma once

#include <windows.h>

namespace brisko::win {

// A font of `points` at the given DPI (negative height: the character
// height without the internal leading, as point sizes mean).
HFONT CreatePointFont(const wchar_t* face, int points, UINT dpi, int weight = FW_NORMAL, bool italic = false);

// A font whose cell is `pixels` high at 96 DPI, scaled to the given DPI.
HFONT CreatePixelFont(const wchar_t* face, int pixels, UINT dpi, int weight = FW_NORMAL, bool italic = false);

// Whether the system gave the font the face asked for, not a substitute.
bool FontHasFace(HFONT font, const wchar_t* face);

// The small dialog font of the platform; where it is missing, a substitute
// of other metrics would not fit the small windows laid out for it, so
// Tahoma, of the same metrics, stands in.
HFONT CreateSmallDialogFont(int points, UINT dpi);

// The height, in pixels of 96 DPI, that the text takes in the font when it
// is word-wrapped to `width` pixels of 96 DPI on a window of the given DPI.
int WrappedTextHeight(HWND window, HFONT font, const wchar_t* text, int width, UINT dpi);

}  // namespace brisko::win
