#pragma once

#include <vector>

#include "widgets/Control.h"

namespace brisko::win {

// A list whose entries show an icon before their text.
class IconListBox : public ListBox {
 public:
  IconListBox(Container& parent, Bounds bounds, int itemHeight = 28, int iconSize = 24);
  // Entries with their icons (which the caller keeps alive).
  void SetEntries(const std::vector<std::string>& texts, const std::vector<HICON>& icons);
  bool HandleDrawItem(const DRAWITEMSTRUCT& item) override;
  void HandleDpiChanged() override;

 private:
  std::vector<HICON> icons_;
  int itemHeight_;
  int iconSize_;
};

}  // namespace brisko::win
