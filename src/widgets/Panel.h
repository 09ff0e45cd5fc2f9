#pragma once

#include <functional>

#include "widgets/Control.h"

namespace brisko::win {

struct MouseEvent {
  enum class Button { None, Left, Right, Middle };
  Button button = Button::None;
  int x = 0;
  int y = 0;
  // MK_SHIFT, MK_CONTROL, MK_LBUTTON... as the message carried them.
  WPARAM keys = 0;
  bool Shift() const { return (keys & MK_SHIFT) != 0; }
  bool Ctrl() const { return (keys & MK_CONTROL) != 0; }
};

// A plain child window that holds controls and may paint itself: option
// pages, banners, tool panels. Mouse events reach its handlers.
class Panel : public Control, public Container {
 public:
  // Without a background of its own the panel takes its parent's.
  Panel(Container& parent, Bounds bounds, Colour background = 0xFFFFFFFF);

  HWND Handle() const override { return Control::Handle(); }
  UINT Dpi() const override { return parent_.Dpi(); }
  HFONT Font() const override { return parent_.Font(); }
  Colour Background() const override;
  HBRUSH BackgroundBrush() const override;
  Form& OwnerForm() override { return parent_.OwnerForm(); }
  void PaintBackground(HDC dc, const RECT& area) override;

  // Paints the whole panel; the panel then erases nothing itself.
  std::function<void(HDC, const RECT&)> OnPaint;
  std::function<void(const MouseEvent&)> OnMouseDown;
  std::function<void(const MouseEvent&)> OnMouseMove;
  std::function<void(const MouseEvent&)> OnMouseUp;
  std::function<void(const MouseEvent&)> OnDoubleClick;

  void HandleDpiChanged() override { ApplyDpiToControls(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  bool ownBackground_;
  Colour background_;
  ScopedBrush brush_;
};

}  // namespace brisko::win
