#pragma once

#include <windows.h>

#include <optional>

#include "core/Bitmap.h"
#include "widgets/Dib.h"

namespace brisko {

// The screen as the overlay's grab found it: a DIB section in the screen's
// own 32-bit layout, kept from one capture to the next, so that a repeated
// grab writes into memory that is already there and the overlay paints the
// frozen screen straight from it, before anything copies it.
class FrozenScreen {
 public:
  // Grabs the primary screen (no window of ours on it), with the cursor
  // drawn in when asked, as GrabScreen does.
  void Grab(bool withCursor);

  bool IsEmpty() const { return !canvas_; }
  std::int32_t Width() const { return canvas_ ? canvas_->Section().Width() : 0; }
  std::int32_t Height() const { return canvas_ ? canvas_->Section().Height() : 0; }

  // One copy of `area` (screen coordinates) onto the device context.
  void Paint(HDC target, const RECT& area) const;

  // The grab in `bitmap`, which takes its size and keeps its own pixel
  // format, as after GrabScreen.
  void CopyTo(Bitmap& bitmap) const;

 private:
  std::optional<win::DibCanvas> canvas_;
};

}  // namespace brisko
