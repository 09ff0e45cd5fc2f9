#pragma once

// Driving the controls of the program's windows from this process: asking
// them across the process boundary, clicking them with real X input, and
// choosing editor menu entries with the keyboard.

#include <windows.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brisko::e2e {

// Sends a control in another process a message whose lParam points at
// `bytes` of memory for the answer: the memory lives in that process and
// is read back into `answer`.
LRESULT AskRemote(DWORD process, HWND control, UINT message, WPARAM wParam, void* answer, std::size_t bytes);

// A rectangle that a control fills in, in screen coordinates.
RECT RemoteRect(DWORD process, HWND control, UINT message, WPARAM wParam);

POINT CentreOf(const RECT& r);
// A real click (button 1 left, 3 right) at a point of the screen.
void ClickAt(POINT screen, int button = 1);
void ClickWindow(HWND window);

// The window's children of a class, in the order they were made.
std::vector<HWND> ChildrenOf(HWND parent, const wchar_t* className);
HWND ChildWithText(HWND parent, const wchar_t* className, const std::wstring& text);

void SetText(HWND edit, const std::wstring& text);

// Chooses a drop-down list's entry as the user's choice does: the list
// tells its parent that the selection changed and that the choice is made
// (the file dialogs take the type at the second).
void ChooseEntry(HWND list, int index);

// Chooses an editor menu entry with the keyboard: F10 to the menu bar,
// Right along it, Down into the menu, Down to the entry (Right into a
// submenu) and Enter. Wine 8 cannot read another process's menu, so the
// entry's place comes from the table the menu bar is built from. False when
// the table has no such entry or the editor cannot be brought to the front.
bool ChooseFromEditorMenu(HWND editor, const std::vector<std::string>& path);

// A tool-bar button of another process, found by its text: its place on
// the bar and its command id.
struct RemoteToolButton {
  int index = 0;
  int command = 0;
};
std::optional<RemoteToolButton> FindToolButton(DWORD process, HWND toolBar, const std::wstring& caption);

class RunningProgram;

// Opens a picture in the editor as a user does: Ctrl+O on the main window
// and the file's name in the Open dialog. The editor's window, or null when
// it did not show.
HWND OpenInEditor(RunningProgram& program, const std::filesystem::path& file);

}  // namespace brisko::e2e
