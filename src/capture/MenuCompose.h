#pragma once

#include <cstdint>
#include <span>

#include "core/Bitmap.h"
#include "core/Colour.h"
#include "core/Geometry.h"

// Time-lapse menu capture: a countdown of half-second ticks, then the open
// menus cut from one screen grab and laid out as they stood.
namespace brisko {

class MenuCountdown {
 public:
  // `shownDigit` is what the countdown shows before the start; a menu time
  // above a second replaces it with the whole seconds.
  MenuCountdown(std::int32_t menuTimeMs, std::int32_t shownDigit);
  // The whole seconds left, as shown.
  std::int32_t Digit() const { return digit_; }
  std::int32_t Ticks() const { return ticks_; }
  // One tick of 500 ms: the digit goes down every second tick; true when
  // the time is up (the digit reads 0, or the ticks make the menu time).
  bool Tick();

 private:
  std::int32_t seconds_;
  std::int32_t digit_;
  std::int32_t ticks_ = 0;
};

// The box that spans every rectangle, limited to the screen's extent as the
// start values of the search: left and top start at the screen's width and
// height, right and bottom at 0.
Rect MenuUnion(std::span<const Rect> rects, std::int32_t screenWidth, std::int32_t screenHeight);

// A picture of the union box in the screen's format: each rectangle's
// pixels from the screen grab at its place, later ones over earlier ones,
// the background colour wherever none lies or the screen has no pixels.
// Empty when the union has no area.
Bitmap ComposeMenus(const Bitmap& screen, std::span<const Rect> rects, Colour background);

}  // namespace brisko
