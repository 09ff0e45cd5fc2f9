#include "widgets/ColourPicker.h"

#include <commdlg.h>

#include <algorithm>

#include "core/Palettes.h"
#include "widgets/Text.h"

namespace brisko::win {

namespace {

constexpr const char* kStandardNames[16] = {"Black", "Maroon", "Green",  "Olive",   "Navy", "Purple",
                                            "Teal",  "Silver", "Gray",   "Red",     "Lime", "Yellow",
                                            "Blue",  "Fuchsia", "Aqua", "White"};
constexpr char kCustomCaption[] = "Custom...";

}  // namespace

ColourPicker::ColourPicker(Container& parent, Bounds bounds)
    : ComboBox(parent, bounds, {}, CBS_OWNERDRAWFIXED | CBS_HASSTRINGS) {
  customColours_.fill(0xFFFFFF);
  Rebuild();
  HandleDpiChanged();
  Select(kWhite);
}

void ColourPicker::HandleDpiChanged() {
  const int height = parent_.Scale(18);
  SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
  SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, height);
}

void ColourPicker::Rebuild() {
  const auto standard = StandardPalette16();
  colours_.assign(standard.begin(), standard.end());
  std::vector<std::string> names(std::begin(kStandardNames), std::end(kStandardNames));
  if (hasCustom_) {
    colours_.push_back(custom_);
    names.push_back("Custom");
  }
  names.push_back(kCustomCaption);
  SetItems(names);
}

int ColourPicker::CustomEntry() const { return static_cast<int>(colours_.size()); }

Colour ColourPicker::Selected() const {
  const int index = ItemIndex();
  if (index >= 0 && index < static_cast<int>(colours_.size())) return colours_[static_cast<std::size_t>(index)];
  return kWhite;
}

void ColourPicker::Select(Colour colour) {
  colour &= 0xFFFFFF;
  const auto standard = StandardPalette16();
  const auto found = std::find(standard.begin(), standard.end(), colour);
  if (found != standard.end()) {
    lastIndex_ = static_cast<int>(found - standard.begin());
  } else {
    hasCustom_ = true;
    custom_ = colour;
    Rebuild();
    lastIndex_ = 16;
  }
  SetItemIndex(lastIndex_);
}

void ColourPicker::SelectNone() {
  lastIndex_ = -1;
  SetItemIndex(-1);
}

bool ColourPicker::ChooseCustom() {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = parent_.OwnerForm().Handle();
  choose.rgbResult = Selected();
  choose.lpCustColors = customColours_.data();
  choose.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorW(&choose)) return false;
  Select(choose.rgbResult);
  return true;
}

void ColourPicker::HandleCommand(WORD code) {
  if (code != CBN_SELCHANGE) return;
  if (ItemIndex() == CustomEntry()) {
    // The dialog may be cancelled: then the previous choice, or none,
    // stays.
    const int before = lastIndex_;
    if (!ChooseCustom()) {
      lastIndex_ = std::min(before, CustomEntry() - 1);
      SetItemIndex(lastIndex_);
      return;
    }
  }
  lastIndex_ = ItemIndex();
  if (OnChange) OnChange();
}

bool ColourPicker::HandleDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return true;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const int pad = parent_.Scale(3);
  const auto index = static_cast<std::size_t>(item.itemID);
  RECT textArea{r.left + pad, r.top, r.right - pad, r.bottom};
  if (index < colours_.size()) {
    RECT swatch{r.left + pad, r.top + pad, r.left + pad + parent_.Scale(22), r.bottom - pad};
    ScopedBrush fill(CreateSolidBrush(colours_[index]));
    FillRect(dc, &swatch, fill.Get());
    FrameRect(dc, &swatch, GetSysColorBrush(COLOR_WINDOWTEXT));
    textArea.left = swatch.right + parent_.Scale(6);
  }
  const std::wstring text = Widen(ItemText(static_cast<int>(item.itemID)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
  return true;
}

}  // namespace brisko::win
