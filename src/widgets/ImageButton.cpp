#include "widgets/ImageButton.h"

#include "widgets/Text.h"

namespace brisko::win {

void BlendRoundRect(HDC dc, const RECT& area, Colour colour, int alpha, int radius) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0 || alpha <= 0) return;
  // A one-pixel source stretched over the area, clipped to the rounded
  // shape, blended at constant alpha.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 1;
  info.bmiHeader.biHeight = 1;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  ScopedBitmap pixel(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!pixel) return;
  *static_cast<std::uint32_t*>(bits) = (BlueOf(colour)) | (GreenOf(colour) << 8) | (RedOf(colour) << 16);
  MemoryDC source(CreateCompatibleDC(dc));
  SelectedObject selected(source.Get(), pixel.Get());
  ScopedRegion shape(CreateRoundRectRgn(area.left, area.top, area.right + 1, area.bottom + 1, 2 * radius, 2 * radius));
  const int saved = SaveDC(dc);
  ExtSelectClipRgn(dc, shape.Get(), RGN_AND);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
  GdiAlphaBlend(dc, area.left, area.top, width, height, source.Get(), 0, 0, 1, 1, blend);
  RestoreDC(dc, saved);
}

ImageButton::ImageButton(Container& parent, Bounds bounds, std::string_view caption, HICON icon, Look look)
    : Button(parent, caption, bounds, BS_OWNERDRAW), icon_(icon), look_(look), caption_(Widen(caption)) {
  SetWindowSubclass(Handle(), &ImageButton::TrackHover, 1, reinterpret_cast<DWORD_PTR>(this));
}

ImageButton::~ImageButton() { RemoveWindowSubclass(Handle(), &ImageButton::TrackHover, 1); }

void ImageButton::SetIcon(HICON icon) {
  icon_ = icon;
  Invalidate();
}

LRESULT CALLBACK ImageButton::TrackHover(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self) {
  auto* button = reinterpret_cast<ImageButton*>(self);
  if (message == WM_MOUSEMOVE && !button->hot_) {
    button->hot_ = true;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
    InvalidateRect(window, nullptr, FALSE);
  } else if (message == WM_MOUSELEAVE) {
    button->hot_ = false;
    InvalidateRect(window, nullptr, FALSE);
  } else if (message == WM_ERASEBKGND) {
    return 1;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

bool ImageButton::HandleDrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT r = item.rcItem;
  // Paint what lies behind the button in the parent, so it sits on the
  // banner's gradient without a box of its own.
  RECT inParent = r;
  MapWindowPoints(Handle(), parent_.Handle(), reinterpret_cast<POINT*>(&inParent), 2);
  POINT oldOrigin;
  SetViewportOrgEx(dc, -inParent.left, -inParent.top, &oldOrigin);
  parent_.PaintBackground(dc, inParent);
  SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);

  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const int radius = parent_.Scale(look_.cornerRadius);
  if (latched_) {
    BlendRoundRect(dc, r, look_.downFace, 255, radius);
  } else if (look_.face != kNone) {
    const Colour face = disabled && look_.disabledFace != kNone ? look_.disabledFace : look_.face;
    if (look_.frame != kNone && !(disabled && look_.disabledFace != kNone))
      BlendRoundRect(dc, r, look_.frame, 255, radius);
    RECT inner = r;
    InflateRect(&inner, -1, -1);
    BlendRoundRect(dc, inner, face, 255, radius > 0 ? radius - 1 : 0);
  }
  if (!disabled && (pressed || hot_))
    BlendRoundRect(dc, r, look_.hot, pressed ? look_.pressedAlpha : look_.hotAlpha, radius);

  const int iconSize = parent_.Scale(look_.iconSize);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const bool hasCaption = !caption_.empty();
  RECT iconArea{};
  RECT textArea = r;
  if (look_.captionBelow || !hasCaption) {
    const int textHeight = hasCaption ? parent_.Scale(16) : 0;
    const int top = r.top + (height - iconSize - textHeight) / 2;
    iconArea = RECT{r.left + (width - iconSize) / 2, top, r.left + (width + iconSize) / 2, top + iconSize};
    textArea = RECT{r.left, iconArea.bottom, r.right, iconArea.bottom + textHeight};
  } else {
    const int left = r.left + parent_.Scale(8);
    iconArea = RECT{left, r.top + (height - iconSize) / 2, left + iconSize, r.top + (height + iconSize) / 2};
    textArea = RECT{iconArea.right + parent_.Scale(8), r.top, r.right - parent_.Scale(4), r.bottom};
  }
  if (pressed) OffsetRect(&iconArea, 0, 1);
  if (DrawGlyph) {
    DrawGlyph(dc, iconArea, look_.text);
  } else if (icon_) {
    DrawIconEx(dc, iconArea.left, iconArea.top, icon_, iconSize, iconSize, 0, nullptr, DI_NORMAL);
  }
  if (hasCaption) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : latched_ ? look_.downText : look_.text);
    SelectedObject font(dc, parent_.Font());
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (look_.captionBelow ? DT_CENTER : DT_LEFT);
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &textArea, format);
  }
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = r;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(dc, &focus);
  }
  return true;
}

OptionButton::OptionButton(Container& parent, Bounds bounds, std::string_view caption, HICON icon, const Look& look,
                           OptionButton* leader)
    : ImageButton(parent, bounds, caption, icon, look),
      group_(leader ? leader->group_ : std::make_shared<std::vector<OptionButton*>>()) {
  group_->push_back(this);
}

void OptionButton::SetDown() {
  for (OptionButton* b : *group_) {
    if (b->latched_ != (b == this)) {
      b->latched_ = b == this;
      b->Invalidate();
    }
  }
}

void OptionButton::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return;
  SetDown();
  Click();
}

}  // namespace brisko::win
