#pragma once

#include <functional>

#include "widgets/Panel.h"

namespace brisko::win {

// A scrolled view onto content of any size: a window with scroll bars that
// shows the part of its content (content pixels, from the content's
// top-left) at the current scroll position. The owner paints the content
// and places child controls; children move with the content as it
// scrolls. Scroll bars appear only along an axis the content does not fit.
//
// Content coordinates are 32-bit, so the content can be far larger than a
// window may be; mouse events come in content coordinates too.
class ScrollBox : public Control, public Container {
 public:
  ScrollBox(Container& parent, Bounds bounds, Colour background = 0xFFFFFFFF);

  HWND Handle() const override { return Control::Handle(); }
  UINT Dpi() const override { return parent_.Dpi(); }
  HFONT Font() const override { return parent_.Font(); }
  Colour Background() const override;
  HBRUSH BackgroundBrush() const override;
  Form& OwnerForm() override { return parent_.OwnerForm(); }
  // Children that draw over the content ask for it here.
  void PaintBackground(HDC dc, const RECT& area) override;

  // The content's size in pixels; the scroll position is kept inside it.
  void SetExtent(int width, int height);
  SIZE Extent() const { return extent_; }
  // The whole window, scroll bars included.
  SIZE OuterSize() const;
  // The part of the content in view (client area) at the moment.
  RECT VisibleContent() const;
  POINT Position() const { return position_; }
  void ScrollTo(int x, int y);
  // Content point <-> client point.
  POINT ToClient(POINT content) const { return POINT{content.x - position_.x, content.y - position_.y}; }
  POINT ToContent(POINT client) const { return POINT{client.x + position_.x, client.y + position_.y}; }
  // Repaints the content, the children that draw over it included.
  void InvalidateContent();
  void InvalidateContent(const RECT& content);

  // Paints `area` of the client area (client coordinates): the content
  // there, the position taken into account.
  std::function<void(HDC, const RECT& area)> OnPaint;
  // Mouse events in content coordinates; between a press and its release
  // the box keeps the mouse, so moves and the release arrive also outside.
  std::function<void(const MouseEvent&)> OnMouseDown;
  std::function<void(const MouseEvent&)> OnMouseMove;
  std::function<void(const MouseEvent&)> OnMouseUp;
  std::function<void(const MouseEvent&)> OnDoubleClick;
  // The cursor over a content point; null keeps the arrow.
  std::function<HCURSOR(POINT content)> OnCursor;
  std::function<void()> OnScroll;

  // The children place themselves in content pixels; only the bars follow.
  void HandleDpiChanged() override { UpdateBars(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateBars();
  void Scroll(int bar, WORD code);
  MouseEvent ContentEvent(MouseEvent::Button button, WPARAM wParam, LPARAM lParam) const;

  bool ownBackground_;
  Colour background_;
  ScopedBrush brush_;
  SIZE extent_{0, 0};
  POINT position_{0, 0};
  bool updating_ = false;
  int buttonsDown_ = 0;
};

}  // namespace brisko::win
