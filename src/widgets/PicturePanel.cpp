#include "widgets/PicturePanel.h"

#include <algorithm>

#include "widgets/Dib.h"

namespace brisko::win {

PicturePanel::PicturePanel(Container& parent, Bounds bounds, Colour background, bool lowered)
    : Panel(parent, bounds, background), lowered_(lowered) {
  OnPaint = [this](HDC dc, const RECT&) { PaintPicture(dc); };
}

int PicturePanel::Inset() const { return lowered_ ? 2 : 0; }

SIZE PicturePanel::PictureArea() const {
  RECT r{};
  GetClientRect(Handle(), &r);
  return SIZE{std::max<LONG>(r.right - 2 * Inset(), 0), std::max<LONG>(r.bottom - 2 * Inset(), 0)};
}

void PicturePanel::ShowPicture(const Bitmap& picture, const Rect& place) {
  picture_ = &picture;
  place_ = place;
  InvalidateRect(Handle(), nullptr, FALSE);
  UpdateWindow(Handle());
}

void PicturePanel::PaintPicture(HDC dc) {
  RECT client{};
  GetClientRect(Handle(), &client);
  const int inset = Inset();
  // The background around the picture only, so that it does not flicker.
  const int saved = SaveDC(dc);
  const bool hasPicture = picture_ && !picture_->IsEmpty();
  if (hasPicture)
    ExcludeClipRect(dc, inset + place_.Left, inset + place_.Top, inset + place_.Left + picture_->Width(),
                    inset + place_.Top + picture_->Height());
  FillRect(dc, &client, BackgroundBrush());
  RestoreDC(dc, saved);
  if (lowered_) DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
  if (!hasPicture) return;
  const DibInfo info = DibInfoFor(*picture_);
  SetDIBitsToDevice(dc, inset + place_.Left, inset + place_.Top, static_cast<DWORD>(picture_->Width()),
                    static_cast<DWORD>(picture_->Height()), 0, 0, 0, static_cast<UINT>(picture_->Height()),
                    picture_->Data(), info.Get(), DIB_RGB_COLORS);
}

}  // namespace brisko::win
