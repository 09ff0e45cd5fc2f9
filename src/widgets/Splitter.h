#pragma once

#include <functional>

#include "widgets/Control.h"

namespace brisko::win {

// A grooved bar between two parts of a window that the user drags to share
// the room between them. A collapsible bar also carries a grip in its
// middle: a click there folds the part before it away or brings it back.
class Splitter : public Control {
 public:
  enum class Orientation {
    Vertical,    // a standing bar between a left and a right part
    Horizontal,  // a lying bar between an upper and a lower part
  };
  Splitter(Container& parent, Bounds bounds, Orientation orientation, bool collapsible);
  ~Splitter() override;

  Orientation GetOrientation() const { return orientation_; }
  // Shows the grip's arrow pointing the way a click would move the bar.
  void SetCollapsed(bool collapsed);
  bool Collapsed() const { return collapsed_; }

  // A press on the bar, before any drag.
  std::function<void()> OnDragStart;
  // While dragging: how far (pixels, along the bar's axis of movement) the
  // pointer has moved since the press.
  std::function<void(int offset)> OnDrag;
  std::function<void()> OnDragEnd;
  // A click on the grip.
  std::function<void()> OnToggle;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  RECT GripRect() const;
  void Paint(HDC dc);
  int Along(LPARAM lParam) const;

  Orientation orientation_;
  bool collapsible_;
  bool collapsed_ = false;
  bool dragging_ = false;
  bool moved_ = false;
  int pressAt_ = 0;
};

}  // namespace brisko::win
