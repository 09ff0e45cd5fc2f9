#include "widgets/TabControl.h"

#include "widgets/Text.h"

namespace brisko::win {

TabControl::TabControl(Container& parent, Bounds bounds, const std::vector<std::string>& tabs,
                       Colour pageBackground)
    : Control(parent, ControlArgs{WC_TABCONTROLW, "", WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, 0, bounds}) {
  for (std::size_t i = 0; i < tabs.size(); ++i) {
    std::wstring text = Widen(tabs[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(Control::Handle(), TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  for (std::size_t i = 0; i < tabs.size(); ++i) pages_.push_back(std::make_unique<Panel>(*this, Bounds{}, pageBackground));
  HandleDpiChanged();
  SetItemIndex(0);
}

int TabControl::ItemIndex() const {
  return static_cast<int>(SendMessageW(Control::Handle(), TCM_GETCURSEL, 0, 0));
}

void TabControl::SetItemIndex(int index) {
  SendMessageW(Control::Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowSelectedPage();
}

void TabControl::ShowSelectedPage() {
  const int selected = ItemIndex();
  for (int i = 0; i < Count(); ++i) pages_[static_cast<std::size_t>(i)]->SetVisible(i == selected);
}

bool TabControl::HandleNotify(NMHDR* header, LRESULT& result) {
  if (header->code != TCN_SELCHANGE) return false;
  ShowSelectedPage();
  if (OnChange) OnChange();
  result = 0;
  return true;
}

void TabControl::HandleDpiChanged() {
  RECT area{};
  GetClientRect(Control::Handle(), &area);
  SendMessageW(Control::Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  // Page bounds are kept at 96 DPI like every control's.
  const int dpi = static_cast<int>(Dpi());
  const Bounds page{MulDiv(area.left, 96, dpi), MulDiv(area.top, 96, dpi), MulDiv(area.right - area.left, 96, dpi),
                    MulDiv(area.bottom - area.top, 96, dpi)};
  for (const auto& p : pages_) p->SetBounds(page);
}

}  // namespace brisko::win
