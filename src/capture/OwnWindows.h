#pragma once

#include <windows.h>

#include <vector>

// A screen-capture tool must never put a window of its own into the user's
// picture. Every grab goes through KeepOwnWindowsOutOfGrab, so whatever a
// capture profile shows or forgets to hide, the picture holds none of ours.
namespace brisko {

// What a window of ours is to a capture.
enum class OwnWindowRole {
  // The main window: the Capture command hides it and the end of a capture
  // brings it back, unless it was sent to the notification area.
  MainWindow,
  // The overlay, the magnifier and the info window: shown only while a
  // capture runs, hidden whenever one ends.
  CaptureWindow,
  // What the user has open (the editor, the colour picker, a dialog): put
  // away while the screen is grabbed and shown again when the capture ends.
  // Forms without a role of their own count as this.
  UserWindow,
};

void SetOwnWindowRole(HWND window, OwnWindowRole role);

// The visible top-level windows of this process (of its user-interface
// thread, where they all live), whoever made them.
std::vector<HWND> VisibleOwnWindows();

// Hides every visible window of ours (the forms and dialogs of this
// program) before the screen is read, and waits until the screen shows
// what was beneath them. The user's windows are remembered so that
// BringBackUserWindows shows them again.
void KeepOwnWindowsOutOfGrab();

// The end of a capture: the capture windows go, the user's windows that a
// grab put away come back without taking the focus.
void PutCaptureWindowsAway();
void BringBackUserWindows();

// Keeps the window out of every screen capture, other programs' too, where
// the system offers it (Windows 10 2004 and later); elsewhere it does
// nothing.
void ExcludeFromScreenCaptures(HWND window);

}  // namespace brisko
