#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "core/Bitmap.h"
#include "widgets/Dib.h"

namespace brisko::test {

// The pattern a test window paints: every pixel's colour follows from its
// position inside the window, so a grab can be checked pixel by pixel.
inline Colour PatternAt(std::int32_t x, std::int32_t y) {
  return MakeColour(static_cast<std::uint8_t>(x * 7 + 3), static_cast<std::uint8_t>(y * 13 + 5),
                    static_cast<std::uint8_t>((x + y) * 3));
}

// A borderless top-level window that paints PatternAt over its whole area.
class PatternWindow {
 public:
  // With `solid` other than kNoSolid the window is one colour all over.
  static constexpr Colour kNoSolid = 0xFFFFFFFF;
  PatternWindow(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                DWORD style = WS_POPUP, Colour solid = kNoSolid, DWORD exStyle = WS_EX_TOPMOST) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"BriskoPatternWindow";
    RegisterClassW(&wc);
    pattern_ = Bitmap(width, height, PixelFormat::Bgr24);
    for (std::int32_t py = 0; py < height; ++py)
      for (std::int32_t px = 0; px < width; ++px)
        pattern_.SetPixelAt(px, py, solid == kNoSolid ? PatternAt(px, py) : solid);
    window_ = CreateWindowExW(exStyle, wc.lpszClassName, L"Pattern", style, x, y, width, height, nullptr,
                              nullptr, wc.hInstance, this);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    UpdateWindow(window_);
    Settle();
  }
  ~PatternWindow() { DestroyWindow(window_); }
  PatternWindow(const PatternWindow&) = delete;
  PatternWindow& operator=(const PatternWindow&) = delete;

  HWND Handle() const { return window_; }

  // Lets the window system finish drawing before the screen is read.
  static void Settle(DWORD milliseconds = 300) {
    const DWORD end = GetTickCount() + milliseconds;
    while (GetTickCount() < end) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(10);
    }
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<PatternWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PatternWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && self) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      const win::DibInfo info = win::DibInfoFor(self->pattern_);
      SetDIBitsToDevice(dc, 0, 0, self->pattern_.Width(), self->pattern_.Height(), 0, 0, 0,
                        self->pattern_.Height(), self->pattern_.Data(), info.Get(), DIB_RGB_COLORS);
      EndPaint(window, &ps);
      return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  Bitmap pattern_;
  HWND window_ = nullptr;
};

// Presses OK on the next message box with this caption, from a thread of
// its own while the box runs its loop; gives up after five seconds.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(const wchar_t* caption)
      : thread_([this, caption] {
          for (int i = 0; i < 500 && !found_; ++i) {
            if (HWND box = FindWindowW(L"#32770", caption)) {
              text_ = MessageOf(box);
              found_ = true;
              PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
            Sleep(10);
          }
        }) {}
  ~MessageBoxWatcher() {
    if (thread_.joinable()) thread_.join();
  }
  bool Found() {
    if (thread_.joinable()) thread_.join();
    return found_;
  }
  // The box's message, once Found.
  const std::wstring& Text() {
    Found();
    return text_;
  }

 private:
  // The longest text among the box's labels (the icon's label has none).
  static std::wstring MessageOf(HWND box) {
    std::wstring longest;
    for (HWND w = FindWindowExW(box, nullptr, L"Static", nullptr); w; w = FindWindowExW(box, w, L"Static", nullptr)) {
      wchar_t text[1024] = {};
      GetWindowTextW(w, text, 1024);
      if (std::wstring(text).size() > longest.size()) longest = text;
    }
    return longest;
  }

  std::atomic<bool> found_{false};
  std::wstring text_;
  std::thread thread_;
};

}  // namespace brisko::test
