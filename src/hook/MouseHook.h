#pragma once

// The mouse-hook library BriskoCapture.dll. While enabled, a system-wide
// low-level mouse hook posts the capture overlay (the window captioned
// "SelectCapture" of the calling process) message kHookMessage with first
// parameter 1 for a left press, 2 for a right press, 3 for a pointer move.
// The presses it reports are kept from the window under the pointer, so the
// click that starts or stops an auto-scroll capture does not also act on the
// window being captured.

#ifdef BRISKO_HOOK_BUILDING
#define BRISKO_HOOK_API extern "C" __declspec(dllexport)
#else
#define BRISKO_HOOK_API extern "C" __declspec(dllimport)
#endif

namespace brisko::hook {
// WM_USER + 1000.
constexpr unsigned kHookMessage = 0x7E8;
constexpr unsigned kLeftButton = 1;
constexpr unsigned kRightButton = 2;
constexpr unsigned kPointerMoved = 3;
}  // namespace brisko::hook

BRISKO_HOOK_API void __stdcall EnableMouseHook();
BRISKO_HOOK_API void __stdcall DisableMouseHook();
