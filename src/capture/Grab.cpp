#include "capture/Grab.h"

#include <algorithm>
#include <optional>

#include "capture/OwnWindows.h"
#include "widgets/Dib.h"
#include "widgets/Handles.h"
#include "widgets/Win32Error.h"

namespace brisko {

namespace {

Rect ScreenRect() { return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// Copies width x height pixels from (x, y) of `source` into the bitmap,
// which is resized and keeps its pixel format and palette.
void CopyFromDC(HDC source, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                Bitmap& bitmap) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (IsIndexed(bitmap.Format())) {
    // Through a DIB section with the bitmap's own palette, which the
    // device's colours are matched to.
    const std::vector<Colour> palette(bitmap.Palette().begin(), bitmap.Palette().end());
    bitmap.ReshapeForOverwrite(width, height, bitmap.Format());
    bitmap.SetPalette(palette);
    if (bitmap.IsEmpty()) return;
    win::DibCanvas canvas(width, height, bitmap.Format(), bitmap.Palette());
    if (!BitBlt(canvas.Dc(), 0, 0, width, height, source, x, y, SRCCOPY)) win::ThrowLastError("BitBlt");
    canvas.Section().CopyTo(bitmap);
    return;
  }
  // Straight into the bitmap's own rows, whose memory is kept from one grab
  // to the next.
  bitmap.ReshapeForOverwrite(width, height, bitmap.Format());
  if (bitmap.IsEmpty()) return;
  win::MemoryDC memory(CreateCompatibleDC(source));
  win::ScopedBitmap device(CreateCompatibleBitmap(source, width, height));
  if (!memory || !device) win::ThrowLastError("CreateCompatibleBitmap");
  {
    win::SelectedObject selected(memory.Get(), device.Get());
    if (!BitBlt(memory.Get(), 0, 0, width, height, source, x, y, SRCCOPY)) win::ThrowLastError("BitBlt");
  }
  win::DibInfo info = win::DibInfoFor(bitmap);
  if (!GetDIBits(memory.Get(), device.Get(), 0, static_cast<UINT>(height), bitmap.Data(), info.Get(), DIB_RGB_COLORS))
    win::ThrowLastError("GetDIBits");
}

struct CursorSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

CursorSize SizeOfCursor(HCURSOR cursor) {
  ICONINFO info{};
  if (!GetIconInfo(cursor, &info)) return {GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR)};
  win::ScopedBitmap mask(info.hbmMask), colour(info.hbmColor);
  BITMAP bm{};
  GetObjectW(mask.Get(), sizeof bm, &bm);
  // A monochrome cursor stacks its AND and XOR masks in one bitmap.
  return {bm.bmWidth, colour ? bm.bmHeight : bm.bmHeight / 2};
}

HCURSOR ForegroundCursor() {
  const DWORD self = GetCurrentThreadId();
  const DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const bool attached = foreground != 0 && foreground != self && AttachThreadInput(self, foreground, TRUE);
  HCURSOR cursor = GetCursor();
  if (attached) AttachThreadInput(self, foreground, FALSE);
  return cursor;
}

// Where the pointer is and the shape the foreground application gives it,
// read once for one drawing.
struct PointerCursor {
  POINT position;
  HCURSOR shape;
};

std::optional<PointerCursor> CursorNow() {
  POINT position{};
  if (!GetCursorPos(&position)) return std::nullopt;
  HCURSOR shape = ForegroundCursor();
  if (!shape) return std::nullopt;
  return PointerCursor{position, shape};
}

// The cursor's top-left corner on a picture whose (0, 0) is the screen's
// (originX, originY).
Point CursorCorner(const PointerCursor& cursor, std::int32_t originX, std::int32_t originY) {
  return Point{cursor.position.x - originX - 10, cursor.position.y - originY - 10};
}

// The cursor belongs to the system: it is drawn, never destroyed.
void DrawCursorAt(HDC dc, const PointerCursor& cursor, std::int32_t originX, std::int32_t originY) {
  const Point corner = CursorCorner(cursor, originX, originY);
  DrawIconEx(dc, corner.X, corner.Y, cursor.shape, 0, 0, 0, nullptr, DI_NORMAL);
}

}  // namespace

void ClipRectToScreen(Rect& r) {
  const Rect screen = ScreenRect();
  ClipRectToSize(r, screen.Right, screen.Bottom);
}

void GrabScreen(Bitmap& bitmap, bool withCursor) {
  KeepOwnWindowsOutOfGrab();
  const Rect screen = ScreenRect();
  {
    win::WindowDC dc;
    if (!dc) win::ThrowLastError("GetDC");
    CopyFromDC(dc.Get(), 0, 0, screen.Width(), screen.Height(), bitmap);
  }
  if (withCursor) DrawCursor(bitmap, 0, 0);
}

void GrabWindow(HWND window, Bitmap& bitmap, bool withCursor) {
  KeepOwnWindowsOutOfGrab();
  RECT wr{};
  if (!GetWindowRect(window, &wr)) win::ThrowLastError("GetWindowRect");
  Rect r{wr.left, wr.top, wr.right, wr.bottom};
  ClipRectToScreen(r);
  win::WindowDC dc(window, win::WindowDC::Area::WholeWindow);
  if (!dc) win::ThrowLastError("GetWindowDC");
  CopyFromDC(dc.Get(), 0, 0, r.Width(), r.Height(), bitmap);
  if (withCursor) DrawCursor(bitmap, r.Left, r.Top);
}

void GrabRect(Bitmap& bitmap, const Rect& area, bool withCursor) {
  KeepOwnWindowsOutOfGrab();
  {
    win::WindowDC dc;
    if (!dc) win::ThrowLastError("GetDC");
    CopyFromDC(dc.Get(), area.Left, area.Top, area.Width(), area.Height(), bitmap);
  }
  if (withCursor) DrawCursor(bitmap, area.Left, area.Top);
}

void DrawCursor(HDC dc, std::int32_t originX, std::int32_t originY) {
  if (const auto cursor = CursorNow()) DrawCursorAt(dc, *cursor, originX, originY);
}

void DrawCursor(Bitmap& bitmap, std::int32_t originX, std::int32_t originY) {
  const auto cursor = CursorNow();
  if (!cursor) return;
  const Point corner = CursorCorner(*cursor, originX, originY);
  const CursorSize size = SizeOfCursor(cursor->shape);
  // Draw on a copy of just the area the cursor covers, not the whole picture.
  const Rect patch = Intersection(RectOfSize(corner.X, corner.Y, size.width, size.height),
                                  Rect{0, 0, bitmap.Width(), bitmap.Height()});
  if (patch.IsEmpty()) return;
  Bitmap piece(patch.Width(), patch.Height(), bitmap.Format());
  if (IsIndexed(piece.Format())) piece.SetPalette(bitmap.Palette());
  piece.CopyFrom(bitmap, patch, 0, 0);
  win::DibCanvas canvas(piece);
  DrawCursorAt(canvas.Dc(), *cursor, originX + patch.Left, originY + patch.Top);
  canvas.Section().CopyTo(piece);
  bitmap.CopyFrom(piece, Rect{0, 0, piece.Width(), piece.Height()}, patch.Left, patch.Top);
}

}  // namespace brisko
