#include "capture/MenuCapture.h"

#include <algorithm>

#include "capture/Grab.h"
#include "capture/WindowPicking.h"

namespace brisko {

namespace {

constexpr wchar_t kMenuClass[] = L"#32768";

bool IsMenuWindow(HWND window) {
  wchar_t name[257] = {};
  return GetClassNameW(window, name, 257) > 0 && lstrcmpW(name, kMenuClass) == 0;
}

}  // namespace

void MenuCapture::Start(int menuTimeMs, int shownDigit) {
  countdown_.emplace(menuTimeMs, shownDigit);
  menus_.clear();
  lastUnderPointer_ = nullptr;
}

void MenuCapture::AddMenuWindow(HWND window) {
  if (!window || std::find(menus_.begin(), menus_.end(), window) != menus_.end()) return;
  if (IsMenuWindow(window)) menus_.push_back(window);
}

bool MenuCapture::Tick() {
  POINT at{};
  GetCursorPos(&at);
  lastUnderPointer_ = WindowFromPoint(at);
  AddMenuWindow(lastUnderPointer_);
  return !countdown_ || countdown_->Tick();
}

Bitmap MenuCapture::Compose(bool withCursor, Colour background) {
  // A context menu that never was under the pointer is open all the same.
  AddMenuWindow(FindWindowW(kMenuClass, nullptr));
  Bitmap screen(0, 0, PixelFormat::Bgrx32);
  GrabScreen(screen, withCursor);
  std::erase_if(menus_, [](HWND w) { return !IsWindowVisible(w); });
  if (menus_.empty() && lastUnderPointer_ && IsWindow(lastUnderPointer_)) menus_.push_back(lastUnderPointer_);
  std::vector<Rect> rects;
  rects.reserve(menus_.size());
  for (HWND w : menus_) rects.push_back(WindowRectOf(w).value_or(Rect{}));
  return ComposeMenus(screen, rects, background);
}

}  // namespace brisko
