#include "capture/FrozenScreen.h"

#include <cstring>

#include "capture/Grab.h"
#include "capture/OwnWindows.h"
#include "widgets/Handles.h"
#include "widgets/Win32Error.h"

namespace brisko {

void FrozenScreen::Grab(bool withCursor) {
  KeepOwnWindowsOutOfGrab();
  const std::int32_t width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  if (!canvas_ || Width() != width || Height() != height) {
    canvas_.reset();
    canvas_.emplace(width, height, PixelFormat::Bgrx32);
  }
  {
    win::WindowDC screen;
    if (!screen) win::ThrowLastError("GetDC");
    if (!BitBlt(canvas_->Dc(), 0, 0, width, height, screen.Get(), 0, 0, SRCCOPY)) win::ThrowLastError("BitBlt");
  }
  if (withCursor) DrawCursor(canvas_->Dc(), 0, 0);
  GdiFlush();
}

void FrozenScreen::Paint(HDC target, const RECT& area) const {
  if (!canvas_) return;
  BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, canvas_->Dc(), area.left,
         area.top, SRCCOPY);
}

void FrozenScreen::CopyTo(Bitmap& bitmap) const {
  const PixelFormat format = bitmap.Format();
  const std::vector<Colour> palette(bitmap.Palette().begin(), bitmap.Palette().end());
  bitmap.ReshapeForOverwrite(Width(), Height(), format);
  if (bitmap.IsEmpty()) return;
  const win::DibSection& grab = canvas_->Section();
  if (format == PixelFormat::Bgrx32) {
    std::memcpy(bitmap.Data(), grab.Row(0), bitmap.ByteSize());
  } else if (format == PixelFormat::Bgr24) {
    // After a delivery the captured bitmap is in 24 bits, and it stays so.
    for (std::int32_t y = 0; y < Height(); ++y)
      RowToBgr24(grab.Row(y), PixelFormat::Bgrx32, {}, Width(), bitmap.Row(y));
  } else {
    Bitmap screen = Bitmap::ForOverwrite(Width(), Height(), PixelFormat::Bgrx32);
    std::memcpy(screen.Data(), grab.Row(0), screen.ByteSize());
    if (palette.empty())
      screen.ConvertInto(bitmap, format);
    else
      screen.ConvertInto(bitmap, format, palette);
  }
}

}  // namespace brisko
