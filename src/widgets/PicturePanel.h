#pragma once

#include "core/Bitmap.h"
#include "core/Geometry.h"
#include "widgets/Panel.h"

namespace brisko::win {

// A panel that shows a picture it does not own at a place inside it, on its
// own background, optionally inside a lowered bevel: the dialogs' previews.
class PicturePanel : public Panel {
 public:
  PicturePanel(Container& parent, Bounds bounds, Colour background, bool lowered);

  // The size in device pixels a picture may take: the client area less the
  // bevel.
  SIZE PictureArea() const;
  // Shows `picture` (which must outlive the panel or the next call) with
  // its top left at `place` inside the picture area, and paints at once, so
  // that the change is on the screen when this returns.
  void ShowPicture(const Bitmap& picture, const Rect& place);

 private:
  void PaintPicture(HDC dc);
  int Inset() const;

  const Bitmap* picture_ = nullptr;
  Rect place_;
  bool lowered_;
};

}  // namespace brisko::win
