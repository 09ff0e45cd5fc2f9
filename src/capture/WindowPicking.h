#pragma once

#include <windows.h>

#include <optional>

#include "capture/WindowRecords.h"

// The platform side of window picking: the list of window rectangles taken
// before the screen is frozen, and the window under a point on the live
// screen.
namespace brisko {

// Fills the list with the visible top-level windows, top of the stack
// first, each followed by its visible descendants. Windows of this program
// and windows titled as it is are left out. A window that does not answer
// for its title within a moment counts as untitled, so a hung program
// cannot freeze the capture.
void ListWindowRecords(WindowRecordList& list);

// Whether the window belongs to this program (whichever of its threads).
bool IsOfThisProgram(HWND window);

// The window's whole rectangle on the screen; nothing once it is gone.
std::optional<Rect> WindowRectOf(HWND window);

// The window under the point: the one the platform finds there, or a
// smaller visible sibling below it in the stacking order that also holds
// the point (a control inside a group frame that lies above it).
HWND WindowUnderPoint(POINT point);

}  // namespace brisko
