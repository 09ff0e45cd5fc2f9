#pragma once

#include <functional>

#include "widgets/Control.h"

namespace brisko::win {

// A text with one clickable link (the common controls' link window).
class LinkLabel : public Control {
 public:
  LinkLabel(Container& parent, std::string_view text, Bounds bounds);
  std::function<void()> OnClick;
  bool HandleNotify(NMHDR* header, LRESULT& result) override;
};

}  // namespace brisko::win
