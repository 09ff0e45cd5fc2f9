#include "hook/MouseHook.h"

#include <windows.h>

namespace {

constexpr wchar_t kOverlayCaption[] = L"SelectCapture";

HINSTANCE module = nullptr;
HHOOK hook = nullptr;
HWND overlay = nullptr;
// The presses swallowed, so that their releases are swallowed as well.
bool leftHeld = false;
bool rightHeld = false;

struct OverlaySearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindOverlayOfProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OverlaySearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t caption[32] = {};
  if (process == search->process && GetWindowTextW(window, caption, 32) &&
      lstrcmpW(caption, kOverlayCaption) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindOverlay() {
  OverlaySearch search{GetCurrentProcessId(), nullptr};
  EnumWindows(&FindOverlayOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Posting, not sending: each report is handled from the overlay's queue,
// between two steps of a running capture, never inside one.
void Report(WPARAM what) {
  if (!IsWindow(overlay)) overlay = FindOverlay();
  if (overlay) PostMessageW(overlay, brisko::hook::kHookMessage, what, 0);
}

LRESULT CALLBACK LowLevelMouse(int code, WPARAM message, LPARAM info) {
  if (code == HC_ACTION) {
    switch (message) {
      case WM_MOUSEMOVE: Report(brisko::hook::kPointerMoved); break;
      case WM_LBUTTONDOWN:
        Report(brisko::hook::kLeftButton);
        leftHeld = true;
        return 1;
      case WM_RBUTTONDOWN:
        Report(brisko::hook::kRightButton);
        rightHeld = true;
        return 1;
      case WM_LBUTTONUP:
        if (leftHeld) {
          leftHeld = false;
          return 1;
        }
        break;
      case WM_RBUTTONUP:
        if (rightHeld) {
          rightHeld = false;
          return 1;
        }
        break;
      default: break;
    }
  }
  return CallNextHookEx(hook, code, message, info);
}

}  // namespace

void __stdcall EnableMouseHook() {
  if (hook) return;
  overlay = FindOverlay();
  leftHeld = rightHeld = false;
  // A low-level hook runs in the installing thread, which is the program's
  // user-interface thread with its message loop.
  hook = SetWindowsHookExW(WH_MOUSE_LL, &LowLevelMouse, module, 0);
}

void __stdcall DisableMouseHook() {
  if (!hook) return;
  UnhookWindowsHookEx(hook);
  hook = nullptr;
  overlay = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    module = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    DisableMouseHook();
  }
  return TRUE;
}
