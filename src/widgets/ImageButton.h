#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "widgets/Control.h"

namespace brisko::win {

// A flat button that draws an icon (or a glyph of its owner's) and an
// optional caption over its parent's picture, lighting up under the
// pointer. For banners, tool panels and the logo.
class ImageButton : public Button {
 public:
  struct Look {
    Colour text = 0xFFFFFF;
    Colour hot = 0xFFFFFF;      // overlay under the pointer
    int hotAlpha = 48;          // 0..255
    int pressedAlpha = 90;
    int cornerRadius = 6;       // at 96 DPI
    int iconSize = 24;          // at 96 DPI
    bool captionBelow = true;   // else beside the icon, left aligned
    // A tile's own face and frame; kNone leaves the parent's picture.
    Colour face = kNone;
    Colour frame = kNone;
    // The face while disabled; kNone keeps the face.
    Colour disabledFace = kNone;
    // Face and text while latched down (option buttons).
    Colour downFace = 0xD96B2E;
    Colour downText = 0xFFFFFF;
  };
  static constexpr Colour kNone = 0xFFFFFFFF;

  ImageButton(Container& parent, Bounds bounds, std::string_view caption, HICON icon, Look look);
  ImageButton(Container& parent, Bounds bounds, std::string_view caption, HICON icon)
      : ImageButton(parent, bounds, caption, icon, Look{}) {}
  ~ImageButton() override;

  void SetIcon(HICON icon);
  // Draws instead of the icon: dc, the button's rectangle, its colour.
  std::function<void(HDC, const RECT&, Colour)> DrawGlyph;

  bool HandleDrawItem(const DRAWITEMSTRUCT& item) override;

 protected:
  bool latched_ = false;

 private:
  static LRESULT CALLBACK TrackHover(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
  HICON icon_;
  Look look_;
  std::wstring caption_;
  bool hot_ = false;
};

// One of a group of flat tiles of which exactly one is down: the choices of
// an options page. A click puts it down (the others up) and runs OnClick.
class OptionButton : public ImageButton {
 public:
  // The first button of a group passes no leader; the others pass it.
  OptionButton(Container& parent, Bounds bounds, std::string_view caption, HICON icon, const Look& look,
               OptionButton* leader = nullptr);
  bool Down() const { return latched_; }
  // Puts this button down and the rest of its group up, without OnClick.
  void SetDown();
  void HandleCommand(WORD code) override;

 private:
  std::shared_ptr<std::vector<OptionButton*>> group_;
};

// Fills `area` with `colour` at `alpha` (0..255) over what the DC holds,
// with rounded corners of `radius` pixels.
void BlendRoundRect(HDC dc, const RECT& area, Colour colour, int alpha, int radius);

}  // namespace brisko::win
