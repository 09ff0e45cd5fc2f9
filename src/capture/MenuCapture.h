#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "capture/MenuCompose.h"
#include "core/Bitmap.h"

// Time-lapse menu capture on the live screen: while a countdown runs the
// user opens menus; every tick notes the menu under the pointer, and when
// the time is up the noted menus that are still open, and the topmost
// one, are cut from one grab of the screen and laid out as they stood.
namespace brisko {

class MenuCapture {
 public:
  // `shownDigit`: what the countdown shows now.
  void Start(int menuTimeMs, int shownDigit);
  // One tick of 500 ms; true when the time is up.
  bool Tick();
  int Digit() const { return countdown_ ? countdown_->Digit() : 0; }
  // The picture of the menus, or of the window under the pointer at the
  // last tick when no menu is open; empty when there is neither.
  Bitmap Compose(bool withCursor, Colour background);

 private:
  void AddMenuWindow(HWND window);

  std::optional<MenuCountdown> countdown_;
  std::vector<HWND> menus_;
  HWND lastUnderPointer_ = nullptr;
};

}  // namespace brisko
