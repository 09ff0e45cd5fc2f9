#include "capture/MenuCompose.h"

#include <algorithm>
#include <stdexcept>

namespace brisko {

MenuCountdown::MenuCountdown(std::int32_t menuTimeMs, std::int32_t shownDigit)
    : seconds_(menuTimeMs / 1000), digit_(menuTimeMs > 1000 ? seconds_ : shownDigit) {}

bool MenuCountdown::Tick() {
  ++ticks_;
  if (ticks_ % 2 == 0 && digit_ != 0) --digit_;
  return ticks_ == 2 * seconds_ || digit_ == 0;
}

Rect MenuUnion(std::span<const Rect> rects, std::int32_t screenWidth, std::int32_t screenHeight) {
  Rect u{screenWidth, screenHeight, 0, 0};
  for (const Rect& r : rects) {
    u.Left = std::min(u.Left, r.Left);
    u.Top = std::min(u.Top, r.Top);
    u.Right = std::max(u.Right, r.Right);
    u.Bottom = std::max(u.Bottom, r.Bottom);
  }
  return u;
}

Bitmap ComposeMenus(const Bitmap& screen, std::span<const Rect> rects, Colour background) {
  const Rect box = MenuUnion(rects, screen.Width(), screen.Height());
  if (box.IsEmpty()) return Bitmap();
  // Edges far apart would overflow the 32-bit width before the bitmap could
  // refuse the size.
  if (std::int64_t{box.Right} - box.Left > kMaxBitmapSide || std::int64_t{box.Bottom} - box.Top > kMaxBitmapSide)
    throw std::length_error("the menus span more than a picture can hold");
  Bitmap picture;
  picture.SetFillColour(background);
  picture.ReshapeForOverwrite(box.Width(), box.Height(), screen.Format());
  // Indexed pixels are copied as indices: they need the screen's palette,
  // and the background its nearest colour in it.
  if (IsIndexed(screen.Format())) picture.SetPalette(screen.Palette());
  picture.Fill(background);
  const Rect onScreen{0, 0, screen.Width(), screen.Height()};
  for (const Rect& r : rects) {
    // Only the part the grab holds is copied; the rest keeps the background.
    const Rect part = Intersection(r, onScreen);
    if (!part.IsEmpty()) picture.CopyFrom(screen, part, part.Left - box.Left, part.Top - box.Top);
  }
  return picture;
}

}  // namespace brisko
