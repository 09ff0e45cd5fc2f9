#include "capture/WindowPicking.h"

#include <string>

#include "capture/Grab.h"

namespace brisko {

namespace {

constexpr wchar_t kApplicationTitle[] = L"Brisko Capture";
constexpr UINT kTitleTimeoutMs = 100;

struct Listing {
  WindowRecordList* list;
  std::uint64_t top;
};

// The title through messages that give up on a hung window.
std::wstring TitleOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kTitleTimeoutMs, &length) ||
      length == 0 || length > 4096)
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG | SMTO_BLOCK, kTitleTimeoutMs, &copied))
    return {};
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

Rect ClippedRectOf(HWND window) {
  Rect box = WindowRectOf(window).value_or(Rect{});
  ClipRectToScreen(box);
  return box;
}

BOOL CALLBACK AddChild(HWND child, LPARAM param) {
  auto* listing = reinterpret_cast<Listing*>(param);
  if (IsWindowVisible(child)) listing->list->Add(listing->top, ClippedRectOf(child));
  return TRUE;
}

BOOL CALLBACK AddTopLevel(HWND window, LPARAM param) {
  auto* listing = reinterpret_cast<Listing*>(param);
  if (!IsWindowVisible(window) || IsOfThisProgram(window) || TitleOf(window) == kApplicationTitle) return TRUE;
  listing->top = reinterpret_cast<std::uintptr_t>(window);
  listing->list->Add(listing->top, ClippedRectOf(window));
  EnumChildWindows(window, &AddChild, param);
  return TRUE;
}

std::int64_t AreaOf(const RECT& r) {
  return static_cast<std::int64_t>(r.right - r.left) * (r.bottom - r.top);
}

}  // namespace

bool IsOfThisProgram(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId();
}

std::optional<Rect> WindowRectOf(HWND window) {
  RECT r{};
  if (!IsWindow(window) || !GetWindowRect(window, &r)) return std::nullopt;
  return Rect{r.left, r.top, r.right, r.bottom};
}

void ListWindowRecords(WindowRecordList& list) {
  list.Clear();
  Listing listing{&list, 0};
  EnumWindows(&AddTopLevel, reinterpret_cast<LPARAM>(&listing));
}

HWND WindowUnderPoint(POINT point) {
  HWND found = WindowFromPoint(point);
  if (!found) return nullptr;
  HWND parent = GetParent(found);
  if (!parent) return found;
  RECT best{};
  GetWindowRect(found, &best);
  HWND result = found;
  for (HWND sibling = GetWindow(found, GW_HWNDNEXT); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    RECT r{};
    if (!GetWindowRect(sibling, &r) || !PtInRect(&r, point) || GetParent(sibling) != parent ||
        !IsWindowVisible(sibling) || AreaOf(r) >= AreaOf(best))
      continue;
    result = sibling;
    best = r;
  }
  return result;
}

}  // namespace brisko
