#pragma once

// A scrolling document for auto-scroll capture to work on, running on a
// thread of its own like another program's window: its 16-pixel lines are
// painted in the row colours of RowColours.h, one line per line-down, and
// it repaints before a scroll request returns. Options make it misbehave
// the ways real windows do.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "RowColours.h"

namespace brisko::test {

struct ScrollOptions {
  int lines = 125;
  RECT bounds{20, 60, 350, 560};
  // Added to the page the window reports, and to its maximum, so that the
  // range still ends at the last line while a page no longer matches the
  // window's height.
  int pageDelta = 0;
  int stopAt = -1;            // the position never passes this line
  bool ignoreScrolling = false;
  int destroyAfter = -1;      // closes itself after so many line-downs
  bool noRange = false;       // content that fits: no scroll range
};

class ScrollDocument {
 public:
  explicit ScrollDocument(const ScrollOptions& options) : options_(options) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] { Run(ready); });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
  }
  ~ScrollDocument() {
    if (IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  ScrollDocument(const ScrollDocument&) = delete;
  ScrollDocument& operator=(const ScrollDocument&) = delete;

  HWND Window() const { return window_; }
  int LineDowns() const { return lineDowns_; }

 private:
  static constexpr wchar_t kClass[] = L"BriskoScrollDocument";

  int Page() const {
    RECT r{};
    GetClientRect(window_, &r);
    return r.bottom / e2e::kItemHeight;
  }
  void Publish() const {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    if (!options_.noRange) {
      si.nMax = options_.lines - 1 + options_.pageDelta;
      si.nPage = static_cast<UINT>(std::max(0, Page() + options_.pageDelta));
      si.nPos = position_;
    }
    SetScrollInfo(window_, SB_VERT, &si, TRUE);
  }
  void Scroll(int code) {
    if (options_.ignoreScrolling) return;
    const int last = std::max(0, options_.lines - Page());
    if (code == SB_TOP) position_ = 0;
    if (code == SB_LINEDOWN) {
      position_ = std::min(position_ + 1, last);
      if (options_.stopAt >= 0) position_ = std::min(position_, options_.stopAt);
      if (++lineDowns_ == options_.destroyAfter) {
        DestroyWindow(window_);
        return;
      }
    }
    Publish();
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
  }
  void Paint(HDC dc) const {
    RECT r{};
    GetClientRect(window_, &r);
    for (int y = 0; y < r.bottom; ++y) {
      const int row = position_ * e2e::kItemHeight + y;
      const bool content = row < options_.lines * e2e::kItemHeight;
      const e2e::RowColour c = content ? e2e::RowColourOf(row) : e2e::RowColour{255, 255, 255};
      HBRUSH brush = CreateSolidBrush(RGB(c.r, c.g, c.b));
      RECT line{0, y, r.right, y + 1};
      FillRect(dc, &line, brush);
      DeleteObject(brush);
    }
  }
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ScrollDocument*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
      switch (message) {
        case WM_VSCROLL: self->Scroll(LOWORD(wParam)); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
          PAINTSTRUCT ps;
          HDC dc = BeginPaint(window, &ps);
          self->Paint(dc);
          EndPaint(window, &ps);
          return 0;
        }
        default: break;
      }
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  void Run(HANDLE ready) {
    threadId_ = GetCurrentThreadId();
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    const RECT& b = options_.bounds;
    window_ = CreateWindowExW(0, kClass, L"Scroll document", WS_OVERLAPPEDWINDOW | WS_VSCROLL, b.left, b.top,
                              b.right - b.left, b.bottom - b.top, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Publish();
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  ScrollOptions options_;
  HWND window_ = nullptr;
  DWORD threadId_ = 0;
  int position_ = 0;
  std::atomic<int> lineDowns_{0};
  std::thread thread_;
};

}  // namespace brisko::test
