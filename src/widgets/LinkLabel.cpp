#include "widgets/LinkLabel.h"

namespace brisko::win {

LinkLabel::LinkLabel(Container& parent, std::string_view text, Bounds bounds)
    : Control(parent, ControlArgs{WC_LINK, "<a>" + std::string(text) + "</a>", WS_TABSTOP, 0, bounds}) {}

bool LinkLabel::HandleNotify(NMHDR* header, LRESULT& result) {
  if (header->code != NM_CLICK && header->code != NM_RETURN) return false;
  if (OnClick) OnClick();
  result = 0;
  return true;
}

}  // namespace brisko::win
