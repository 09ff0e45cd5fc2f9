#include "RemoteControls.h"

#include <commctrl.h>

#include "ProgramDriver.h"
#include "editor/EditorCommands.h"

namespace brisko::e2e {

LRESULT AskRemote(DWORD process, HWND control, UINT message, WPARAM wParam, void* answer, std::size_t bytes) {
  DWORD_PTR result = 0;
  HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
  if (!target) return 0;
  if (void* remote = VirtualAllocEx(target, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE)) {
    SendMessageTimeoutW(control, message, wParam, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000, &result);
    ReadProcessMemory(target, remote, answer, bytes, nullptr);
    VirtualFreeEx(target, remote, 0, MEM_RELEASE);
  }
  CloseHandle(target);
  return static_cast<LRESULT>(result);
}

RECT RemoteRect(DWORD process, HWND control, UINT message, WPARAM wParam) {
  RECT rect{};
  AskRemote(process, control, message, wParam, &rect, sizeof rect);
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

POINT CentreOf(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void ClickAt(POINT screen, int button) {
  Xdotool("mousemove " + std::to_string(screen.x) + " " + std::to_string(screen.y) + " click " +
          std::to_string(button));
}

void ClickWindow(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  ClickAt(CentreOf(r));
}

std::vector<HWND> ChildrenOf(HWND parent, const wchar_t* className) {
  struct Collect {
    const wchar_t* className;
    std::vector<HWND> found;
  } collect{className, {}};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Collect*>(p);
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        if (lstrcmpiW(name, c->className) == 0) c->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&collect));
  return collect.found;
}

HWND ChildWithText(HWND parent, const wchar_t* className, const std::wstring& text) {
  for (HWND w : ChildrenOf(parent, className))
    if (TextOf(w) == text) return w;
  return nullptr;
}

void SetText(HWND edit, const std::wstring& text) {
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ChooseEntry(HWND list, int index) {
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  for (const WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), code), reinterpret_cast<LPARAM>(list));
}

namespace {

// The menu bar's index and, below it, the entry's place among those the
// arrow keys stop at (separators are passed over).
std::vector<int> MenuPlaces(const std::vector<std::string>& path) {
  std::vector<std::string> captions;
  std::vector<int> places, next;
  int bar = -1;
  for (const MenuRow& row : EditorMenuRows()) {
    switch (row.kind) {
      case MenuRow::Kind::Menu:
        captions.assign(1, std::string(row.caption));
        places.assign(1, ++bar);
        next.assign(1, 0);
        break;
      case MenuRow::Kind::Submenu:
        captions.emplace_back(row.caption);
        places.push_back(next.back()++);
        next.push_back(0);
        break;
      case MenuRow::Kind::EndSubmenu:
        captions.pop_back();
        places.pop_back();
        next.pop_back();
        break;
      case MenuRow::Kind::Separator: break;
      case MenuRow::Kind::Item:
      case MenuRow::Kind::CheckItem: {
        std::vector<std::string> entry = captions;
        entry.emplace_back(row.caption);
        std::vector<int> at = places;
        at.push_back(next.back()++);
        if (entry == path) return at;
        break;
      }
    }
  }
  return {};
}

}  // namespace

bool ChooseFromEditorMenu(HWND editor, const std::vector<std::string>& path) {
  const std::vector<int> keys = MenuPlaces(path);
  if (keys.size() != path.size() || !BringToFront(editor)) return false;
  std::vector<WORD> presses{VK_F10};
  presses.insert(presses.end(), static_cast<std::size_t>(keys[0]), VK_RIGHT);
  for (std::size_t level = 1; level < keys.size(); ++level) {
    presses.push_back(level == 1 ? VK_DOWN : VK_RIGHT);
    presses.insert(presses.end(), static_cast<std::size_t>(keys[level]), VK_DOWN);
  }
  presses.push_back(VK_RETURN);
  for (WORD key : presses) {
    SendKeys({}, key);
    Sleep(30);
  }
  return true;
}

std::optional<RemoteToolButton> FindToolButton(DWORD process, HWND toolBar, const std::wstring& caption) {
  const auto count = static_cast<int>(SendMessageW(toolBar, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    AskRemote(process, toolBar, TB_GETBUTTON, static_cast<WPARAM>(i), &button, sizeof button);
    if (button.fsStyle & BTNS_SEP) continue;
    wchar_t text[64] = {};
    AskRemote(process, toolBar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand), text, sizeof text);
    if (std::wstring(text) == caption) return RemoteToolButton{i, button.idCommand};
  }
  return std::nullopt;
}

HWND OpenInEditor(RunningProgram& program, const std::filesystem::path& file) {
  if (!BringToFront(program.MainWindow())) return nullptr;
  SendKeys({VK_CONTROL}, 'O');
  HWND open = nullptr;
  if (!WaitFor([&] { return (open = program.TopLevel(L"Open")) != nullptr; }, 10000)) return nullptr;
  HWND name = FindChild(open, L"Edit");
  if (!name) return nullptr;
  SetText(name, file.wstring());
  PostMessageW(open, WM_COMMAND, IDOK, 0);
  HWND editor = nullptr;
  WaitFor([&] { return (editor = program.TopLevel(L"Brisko Capture Preview")) != nullptr; }, 10000);
  return editor;
}

}  // namespace brisko::e2e
