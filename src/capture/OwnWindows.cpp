#include "capture/OwnWindows.h"

#include <string>

#include "widgets/Form.h"
#include "widgets/Handles.h"

namespace brisko {

namespace {

constexpr wchar_t kRoleProperty[] = L"BriskoOwnWindowRole";
constexpr wchar_t kHiddenForGrabProperty[] = L"BriskoHiddenForGrab";

// Not every system's headers know it: Windows 10 2004 and later.
constexpr DWORD kExcludeFromCapture = 0x00000011;

// Where the desktop is not composed (older systems, Wine), the windows
// beneath repaint themselves after ours went; this is their time.
constexpr DWORD kRepaintMilliseconds = 100;

OwnWindowRole RoleOf(HWND window) {
  const auto stored = reinterpret_cast<INT_PTR>(GetPropW(window, kRoleProperty));
  return stored == 0 ? OwnWindowRole::UserWindow : static_cast<OwnWindowRole>(stored - 1);
}

bool IsDialog(HWND window) {
  wchar_t name[8] = {};
  return GetClassNameW(window, name, 8) && lstrcmpW(name, L"#32770") == 0;
}

// Ours to hide: the program's forms, and the message boxes and common
// dialogs it opened.
bool IsOurs(HWND window) { return win::Form::IsForm(window) || IsDialog(window); }

// Every window of the program lives on its user-interface thread, the one
// that grabs; asking for that thread's windows alone spares a question per
// window of every other program.
std::vector<HWND> OurTopLevelWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// A grab that had to hide something means a capture left a window on the
// screen: worth a line in the debugger's output, where the fault shows.
void Report(HWND window, const wchar_t* what) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  const std::wstring line = std::wstring(L"Brisko Capture: ") + what + L" before a grab: " + name + L"\n";
  OutputDebugStringW(line.c_str());
}

bool ComposedDesktopCaughtUp() {
  const win::ScopedModule dwm(LoadLibraryW(L"dwmapi.dll"));
  using IsEnabled = HRESULT(WINAPI*)(BOOL*);
  using Flush = HRESULT(WINAPI*)();
  const auto isEnabled = win::ExportOf<IsEnabled>(dwm.Get(), "DwmIsCompositionEnabled");
  const auto flush = win::ExportOf<Flush>(dwm.Get(), "DwmFlush");
  BOOL enabled = FALSE;
  return isEnabled && flush && SUCCEEDED(isEnabled(&enabled)) && enabled && SUCCEEDED(flush());
}

void WaitUntilTheScreenShowsWhatWasBeneath() {
  GdiFlush();
  if (!ComposedDesktopCaughtUp()) Sleep(kRepaintMilliseconds);
}

}  // namespace

void SetOwnWindowRole(HWND window, OwnWindowRole role) {
  SetPropW(window, kRoleProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(role) + 1));
}

std::vector<HWND> VisibleOwnWindows() {
  std::vector<HWND> visible;
  for (HWND window : OurTopLevelWindows())
    if (IsWindowVisible(window)) visible.push_back(window);
  return visible;
}

void KeepOwnWindowsOutOfGrab() {
  bool hidden = false;
  for (HWND window : VisibleOwnWindows()) {
    if (!IsOurs(window)) {
      Report(window, L"a window this program did not make shows");
      continue;
    }
    const OwnWindowRole role = RoleOf(window);
    if (role == OwnWindowRole::UserWindow)
      SetPropW(window, kHiddenForGrabProperty, reinterpret_cast<HANDLE>(1));
    else
      Report(window, L"a capture window or the main window was still visible");
    ShowWindow(window, SW_HIDE);
    hidden = true;
  }
  if (hidden) WaitUntilTheScreenShowsWhatWasBeneath();
}

void PutCaptureWindowsAway() {
  for (HWND window : VisibleOwnWindows())
    if (IsOurs(window) && RoleOf(window) == OwnWindowRole::CaptureWindow) ShowWindow(window, SW_HIDE);
}

void BringBackUserWindows() {
  for (HWND window : OurTopLevelWindows()) {
    if (!GetPropW(window, kHiddenForGrabProperty)) continue;
    RemovePropW(window, kHiddenForGrabProperty);
    ShowWindow(window, SW_SHOWNA);
  }
}

void ExcludeFromScreenCaptures(HWND window) {
  using SetAffinity = BOOL(WINAPI*)(HWND, DWORD);
  static const auto setAffinity =
      win::ExportOf<SetAffinity>(GetModuleHandleW(L"user32.dll"), "SetWindowDisplayAffinity");
  // Refused on older systems and under Wine: the window then simply takes
  // part in captures, as every window does there.
  if (setAffinity) setAffinity(window, kExcludeFromCapture);
}

}  // namespace brisko
