#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "widgets/Panel.h"

namespace brisko::win {

// Tabs over a stack of pages (the common controls' tab control). Each tab
// has a page, a panel inside the tab control's display area; the page of
// the selected tab is the one shown.
class TabControl : public Control, public Container {
 public:
  TabControl(Container& parent, Bounds bounds, const std::vector<std::string>& tabs,
             Colour pageBackground = 0xFFFFFFFF);

  HWND Handle() const override { return Control::Handle(); }
  UINT Dpi() const override { return parent_.Dpi(); }
  HFONT Font() const override { return parent_.Font(); }
  Colour Background() const override { return parent_.Background(); }
  HBRUSH BackgroundBrush() const override { return parent_.BackgroundBrush(); }
  Form& OwnerForm() override { return parent_.OwnerForm(); }

  int Count() const { return static_cast<int>(pages_.size()); }
  int ItemIndex() const;
  // Selects the tab and shows its page, without OnChange.
  void SetItemIndex(int index);
  Panel& Page(int index) { return *pages_.at(static_cast<std::size_t>(index)); }

  // The user chose another tab.
  std::function<void()> OnChange;

  bool HandleNotify(NMHDR* header, LRESULT& result) override;
  // Also runs after SetBounds: the pages follow the display area.
  void HandleDpiChanged() override;

 private:
  void ShowSelectedPage();
  std::vector<std::unique_ptr<Panel>> pages_;
};

}  // namespace brisko::win
