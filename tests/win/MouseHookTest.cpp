#include "hook/MouseHook.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A window captioned like the capture overlay that records the reports.
class Overlay {
 public:
  Overlay() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BriskoHookOverlay";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"SelectCapture", WS_POPUP | WS_VISIBLE, 100,
                              100, 300, 300, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~Overlay() { DestroyWindow(window_); }
  std::vector<WPARAM> reports;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == brisko::hook::kHookMessage) {
      auto* self = reinterpret_cast<Overlay*>(GetWindowLongPtrW(w, GWLP_USERDATA));
      if (self) self->reports.push_back(wp);
      return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
  }
  HWND window_;
};

void Pump(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  while (GetTickCount() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
}

void SendMouse(DWORD flags, LONG x = 0, LONG y = 0) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  in.mi.dx = x;
  in.mi.dy = y;
  SendInput(1, &in, sizeof in);
}

LONG Absolute(LONG v, int metric) { return static_cast<LONG>((v * 65535LL) / (GetSystemMetrics(metric) - 1)); }

TEST(MouseHook, ReportsPressesAndMovesOnlyWhileEnabled) {
  Overlay overlay;
  Pump(100);
  EnableMouseHook();
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, Absolute(200, SM_CXSCREEN), Absolute(200, SM_CYSCREEN));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  SendMouse(MOUSEEVENTF_RIGHTDOWN);
  SendMouse(MOUSEEVENTF_RIGHTUP);
  Pump(300);
  DisableMouseHook();
  const std::vector<WPARAM> expected = {brisko::hook::kPointerMoved, brisko::hook::kLeftButton,
                                        brisko::hook::kRightButton};
  EXPECT_EQ(overlay.reports, expected);

  overlay.reports.clear();
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, Absolute(250, SM_CXSCREEN), Absolute(250, SM_CYSCREEN));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Pump(300);
  EXPECT_TRUE(overlay.reports.empty());
}

}  // namespace
