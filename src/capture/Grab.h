#pragma once

#include <windows.h>

#include "core/Bitmap.h"
#include "core/Geometry.h"

// Every capture ends in one of these: they copy device pixels from the
// screen or a window into a bitmap, as they are, in the bitmap's own pixel
// format, optionally with the mouse cursor drawn in. None of the program's
// own windows is on the screen while they read it (KeepOwnWindowsOutOfGrab).
namespace brisko {

// Limits the rectangle to the primary screen.
void ClipRectToScreen(Rect& r);

// The bitmap takes the screen's size and content.
void GrabScreen(Bitmap& bitmap, bool withCursor);

// The window's whole rectangle (frame included), clipped to the screen and
// copied from the window's own device context starting at its top-left
// corner, so a window reaching beyond the left or top screen edge is copied
// from its own corner and cut at the size of its visible part.
void GrabWindow(HWND window, Bitmap& bitmap, bool withCursor);

// The bitmap takes the rectangle's size and the screen pixels at its
// top-left corner.
void GrabRect(Bitmap& bitmap, const Rect& area, bool withCursor);

// Draws the cursor that the foreground application shows, with its top-left
// corner at (cursor x - originX - 10, cursor y - originY - 10).
void DrawCursor(Bitmap& bitmap, std::int32_t originX, std::int32_t originY);
// The same onto a device context whose (0, 0) shows the screen's
// (originX, originY).
void DrawCursor(HDC dc, std::int32_t originX, std::int32_t originY);

}  // namespace brisko
