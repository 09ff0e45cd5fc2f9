#include "editor/UnitFullScreen.h"

#include <windowsx.h>

#include "core/Bmp.h"
#include "core/Files.h"
#include "widgets/Dib.h"

namespace brisko {

namespace {

win::FormArgs FullScreenArgs(HWND owner) {
  win::FormArgs args;
  args.className = L"TFrmFullScreen";
  args.caption = L"Full Screen";
  args.style = WS_POPUP | WS_CLIPCHILDREN;
  args.exStyle = 0;
  args.owner = owner;
  args.centred = false;
  args.dialogKeys = false;
  return args;
}

// The 31 x 38 tile behind the picture: a dark weave whose threads cross a
// little off the tile's middle, so the repeat does not read as a grid.
Bitmap TextureTile() {
  Bitmap tile(31, 38, PixelFormat::Bgr24);
  for (std::int32_t y = 0; y < tile.Height(); ++y)
    for (std::int32_t x = 0; x < tile.Width(); ++x) {
      const bool thread = (x + 2 * y) % 13 < 3 || (3 * x - y + 38) % 17 < 2;
      const auto shade = static_cast<std::uint8_t>(thread ? 58 + (x * 3 + y) % 9 : 38 + (x + y) % 5);
      tile.SetPixelAt(x, y, MakeColour(shade, shade, static_cast<std::uint8_t>(shade + 8)));
    }
  return tile;
}

}  // namespace

TFrmFullScreen::TFrmFullScreen(HWND owner, std::string fullScreenFile)
    : win::Form(FullScreenArgs(owner)), FullScreenFile(std::move(fullScreenFile)) {
  const win::DibSection tile(TextureTile());
  texture_ = win::ScopedBrush(CreatePatternBrush(tile.Handle()));
  popup_.Add("Close", [this] { Close(); });
  OnShow = [this] { FormShow(); };
  OnPaint = [this](HDC dc, const RECT& area) { Paint(dc, area); };
  OnMessage(WM_ERASEBKGND, [](WPARAM, LPARAM) -> LRESULT { return 1; });
  OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM) -> LRESULT {
    Close();
    return 0;
  });
  OnMessage(WM_RBUTTONUP, [this](WPARAM, LPARAM lParam) -> LRESULT {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(Handle(), &at);
    popup_.Popup(*this, at);
    return 0;
  });
  OnKeyDown = [this](WPARAM key, bool& handled) {
    if (key != VK_ESCAPE) return;
    handled = true;
    Close();
  };
}

void TFrmFullScreen::FormShow() {
  // The whole monitor the editor is on.
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(GetWindow(Handle(), GW_OWNER), MONITOR_DEFAULTTOPRIMARY), &info);
  const RECT& screen = info.rcMonitor;
  SetWindowPos(Handle(), HWND_TOP, screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
               SWP_NOACTIVATE);
  try {
    picture_ = ReadBmpFile(PathFromUtf8(FullScreenFile));
  } catch (...) {
    // Without a readable base file the background alone shows.
    picture_ = Bitmap();
  }
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TFrmFullScreen::Paint(HDC dc, const RECT&) {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int left = (client.right - picture_.Width()) / 2, top = (client.bottom - picture_.Height()) / 2;
  const int saved = SaveDC(dc);
  if (!picture_.IsEmpty()) ExcludeClipRect(dc, left, top, left + picture_.Width(), top + picture_.Height());
  FillRect(dc, &client, texture_.Get());
  RestoreDC(dc, saved);
  if (picture_.IsEmpty()) return;
  const win::DibInfo info = win::DibInfoFor(picture_);
  SetDIBitsToDevice(dc, left, top, static_cast<DWORD>(picture_.Width()), static_cast<DWORD>(picture_.Height()), 0, 0,
                    0, static_cast<UINT>(picture_.Height()), picture_.Data(), info.Get(), DIB_RGB_COLORS);
}

}  // namespace brisko
