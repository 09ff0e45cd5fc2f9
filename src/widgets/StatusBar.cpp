#include "widgets/StatusBar.h"

#include "widgets/Text.h"

namespace brisko::win {

StatusBar::StatusBar(Container& parent, std::vector<int> panelWidths)
    : Control(parent, ControlArgs{STATUSCLASSNAMEW, "", SBARS_SIZEGRIP, 0, Bounds{}}), widths_(std::move(panelWidths)) {
  Reposition();
}

int StatusBar::Reposition() {
  // The bar places itself along its parent's bottom edge on WM_SIZE.
  SendMessageW(Handle(), WM_SIZE, 0, 0);
  std::vector<int> edges;
  int right = 0;
  for (std::size_t i = 0; i < widths_.size(); ++i) {
    right += parent_.Scale(widths_[i]);
    edges.push_back(i + 1 == widths_.size() ? -1 : right);
  }
  SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  RECT r{};
  GetWindowRect(Handle(), &r);
  return r.bottom - r.top;
}

void StatusBar::SetPanelText(int panel, std::string_view utf8) {
  const std::wstring text = Widen(utf8);
  SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.c_str()));
}

std::string StatusBar::PanelText(int panel) const {
  const auto length = LOWORD(SendMessageW(Handle(), SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(Handle(), SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return Narrow(text);
}

}  // namespace brisko::win
