#pragma once

#include <functional>

#include "widgets/Control.h"

namespace brisko::win {

// Eight sizing handles around a selection. Attached to a selection (a
// rectangle of its parent) the control covers it with a margin of 2 pixels
// on the left and top and 3 on the right and bottom: that is its frame,
// the selection grown by 2 pixels on every side. It shows what lies behind
// it in the parent with the selection's outline and eight black 5 x 5
// squares on the frame's corners and edge middles.
//
// The handles resize the selection (a corner its two edges, an edge middle
// its edge), a drag from elsewhere inside moves it whole, an inverted
// outline following the pointer within the limits; the arrow keys move it
// by a pixel. A double click or Enter confirms it. Presses outside the
// frame go, as ever, to what lies under the pointer. Detached it is hidden,
// disabled and 24 x 24 pixels.
class SelectionHandles : public Control {
 public:
  explicit SelectionHandles(Container& parent);
  ~SelectionHandles() override;

  // `selection` in parent client pixels; the control takes the focus.
  void Attach(const RECT& selection);
  void Detach();
  bool Attached() const { return attached_; }
  // The selection as the control now covers it (parent client pixels).
  RECT Selection() const;

  // Where a drag may take the frame, in parent client pixels.
  std::function<RECT()> Limits;
  // The selection changed by a drag or a key.
  std::function<void(const RECT& selection)> OnChange;
  std::function<void()> OnConfirm;

  // Where a point of the frame (control pixels) grabs it.
  enum class Zone { Inside, Left, Top, Right, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };
  Zone ZoneAt(POINT p) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  RECT Frame() const;
  void PlaceFrame(const RECT& frame);
  void Paint(HDC dc);
  RECT Dragged(POINT screen) const;
  void DrawOutline(const RECT& frame);
  void Changed();

  int HandleSize() const { return parent_.Scale(5); }
  int MarginBefore() const { return parent_.Scale(2); }
  int MarginAfter() const { return parent_.Scale(3); }

  bool attached_ = false;
  bool dragging_ = false;
  Zone dragZone_ = Zone::Inside;
  POINT pressAt_{};
  RECT pressFrame_{};
  RECT outline_{};
  bool outlineShown_ = false;
};

}  // namespace brisko::win
