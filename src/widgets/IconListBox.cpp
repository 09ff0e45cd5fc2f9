#include "widgets/IconListBox.h"

#include "widgets/ImageButton.h"
#include "widgets/Text.h"

namespace brisko::win {

IconListBox::IconListBox(Container& parent, Bounds bounds, int itemHeight, int iconSize)
    : ListBox(parent, bounds, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS), itemHeight_(itemHeight), iconSize_(iconSize) {
  HandleDpiChanged();
}

void IconListBox::HandleDpiChanged() {
  SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, parent_.Scale(itemHeight_));
  Invalidate();
}

void IconListBox::SetEntries(const std::vector<std::string>& texts, const std::vector<HICON>& icons) {
  icons_ = icons;
  SetItems(texts);
}

bool IconListBox::HandleDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return true;
  HDC dc = item.hDC;
  const RECT r = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = GetFocus() == Handle();
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
  if (selected) {
    RECT band = r;
    InflateRect(&band, -parent_.Scale(2), -parent_.Scale(1));
    BlendRoundRect(dc, band, GetSysColor(COLOR_HIGHLIGHT), focused ? 255 : 170, parent_.Scale(4));
  }
  const int iconSize = parent_.Scale(iconSize_);
  const int pad = parent_.Scale(6);
  const auto index = static_cast<std::size_t>(item.itemID);
  if (index < icons_.size() && icons_[index])
    DrawIconEx(dc, r.left + pad, r.top + (r.bottom - r.top - iconSize) / 2, icons_[index], iconSize, iconSize, 0,
               nullptr, DI_NORMAL);
  const std::wstring text = Widen(ItemText(static_cast<int>(item.itemID)));
  RECT textArea{r.left + pad * 2 + iconSize, r.top, r.right - pad, r.bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  SelectedObject font(dc, parent_.Font());
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  return true;
}

}  // namespace brisko::win
