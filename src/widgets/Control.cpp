#include "widgets/Control.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/Helpers.h"
#include "widgets/Application.h"
#include "widgets/Text.h"
#include "widgets/Win32Error.h"

namespace brisko::win {

namespace {

constexpr wchar_t kControlProperty[] = L"BriskoControl";

int NextControlId() {
  static int id = 1000;
  return ++id;
}

}  // namespace

// ------------------------------------------------------------------ Control

Control::Control(Container& parent, const ControlArgs& args) : parent_(parent), bounds_(args.bounds) {
  const RECT r = parent.ScaleBounds(args.bounds);
  window_ = CreateWindowExW(args.exStyle, args.windowClass, Widen(args.text).c_str(),
                            WS_CHILD | WS_VISIBLE | args.style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                            parent.Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())),
                            Application::Current().Instance(), nullptr);
  if (!window_) ThrowLastError("CreateWindowEx for a control");
  SetPropW(window_, kControlProperty, this);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(parent.Font()), FALSE);
  parent.KeepGroupBoxesBelow(window_);
  parent.AddControl(this);
}

Control::~Control() {
  parent_.RemoveControl(this);
  if (IsWindow(window_)) {
    RemovePropW(window_, kControlProperty);
    DestroyWindow(window_);
  }
}

void Control::ReportEscapedException() noexcept { Application::Current().ShowCurrentException(); }

Control* Control::FromHandle(HWND window) {
  return window ? static_cast<Control*>(GetPropW(window, kControlProperty)) : nullptr;
}

void Control::SetBounds(const Bounds& b) {
  bounds_ = b;
  const RECT r = parent_.ScaleBounds(b);
  SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  HandleDpiChanged();
}

void Control::SetVisible(bool visible) { ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE); }

void SpinEdit::SetVisible(bool visible) {
  Control::SetVisible(visible);
  ShowWindow(upDown_, visible ? SW_SHOWNA : SW_HIDE);
}

void SpinEdit::SetEnabled(bool enabled) {
  Control::SetEnabled(enabled);
  EnableWindow(upDown_, enabled ? TRUE : FALSE);
}

bool Control::Visible() const { return IsWindowVisible(window_) != FALSE; }

void Control::SetEnabled(bool enabled) { EnableWindow(window_, enabled ? TRUE : FALSE); }

bool Control::Enabled() const { return IsWindowEnabled(window_) != FALSE; }

void Control::SetText(std::string_view utf8) { SetWindowTextW(window_, Widen(utf8).c_str()); }

std::string Control::Text() const {
  const int n = GetWindowTextLengthW(window_);
  if (n <= 0) return {};
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  const int copied = GetWindowTextW(window_, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return Narrow(text);
}

void Control::SetFocus() { ::SetFocus(window_); }

void Control::Invalidate() { InvalidateRect(window_, nullptr, TRUE); }

void Control::SetHint(std::string_view utf8) {
  hint_ = Widen(utf8);
  Form& form = parent_.OwnerForm();
  if (HWND tips = form.TooltipsIfMade())
    AddHintToTooltips(tips);
  else if (form.Shown())
    form.MakeTooltips();
}

void Control::AddHintToTooltips(HWND tooltips) {
  if (hint_.empty() && !hintAdded_) return;
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = parent_.Handle();
  info.uId = reinterpret_cast<UINT_PTR>(window_);
  info.lpszText = hint_.data();
  SendMessageW(tooltips, hintAdded_ ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  hintAdded_ = true;
}

// ---------------------------------------------------------- standard controls

Button::Button(Container& parent, std::string_view caption, Bounds bounds, DWORD style)
    : Control(parent, ControlArgs{L"BUTTON", std::string(caption), style | WS_TABSTOP, 0, bounds}) {}

void Button::Click() {
  if (OnClick) OnClick();
}

void Button::HandleCommand(WORD code) {
  if (code == BN_CLICKED) Click();
}

CheckBox::CheckBox(Container& parent, std::string_view caption, Bounds bounds)
    : Control(parent, ControlArgs{L"BUTTON", std::string(caption), BS_AUTOCHECKBOX | WS_TABSTOP, 0, bounds}) {}

bool CheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::HandleCommand(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

RadioButton::RadioButton(Container& parent, std::string_view caption, Bounds bounds, bool startsGroup)
    : Control(parent, ControlArgs{L"BUTTON", std::string(caption),
                                  static_cast<DWORD>(BS_AUTORADIOBUTTON | (startsGroup ? WS_GROUP | WS_TABSTOP : 0)),
                                  0, bounds}) {}

bool RadioButton::Down() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void RadioButton::SetDown() {
  // The buttons of a group are the siblings from the one with WS_GROUP up
  // to the next one that has it.
  HWND first = Handle();
  while ((GetWindowLongPtrW(first, GWL_STYLE) & WS_GROUP) == 0) {
    HWND previous = GetWindow(first, GW_HWNDPREV);
    if (!previous) break;
    first = previous;
  }
  for (HWND w = first; w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w != first && (GetWindowLongPtrW(w, GWL_STYLE) & WS_GROUP)) break;
    if (dynamic_cast<RadioButton*>(Control::FromHandle(w)))
      SendMessageW(w, BM_SETCHECK, w == Handle() ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void RadioButton::HandleCommand(WORD code) {
  if (code == BN_CLICKED && OnClick) OnClick();
}

Label::Label(Container& parent, std::string_view caption, Bounds bounds, DWORD style)
    : Control(parent, ControlArgs{L"STATIC", std::string(caption), style | SS_NOPREFIX, 0, bounds}) {}

void Label::SetTextColour(Colour c) {
  textColour_ = c;
  Invalidate();
}

void Label::SetFont(HFONT font) { SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

HBRUSH Label::HandleColour(HDC dc) {
  if (textColour_ == 0xFFFFFFFF) return nullptr;
  SetTextColor(dc, textColour_);
  SetBkColor(dc, parent_.Background());
  return parent_.BackgroundBrush();
}

namespace {

// A group box paints only its frame and caption. Below its siblings and
// filling its own inside, it never hides the controls placed on it, and
// nothing of the parent's clipped-out area shows through.
LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  if (message == WM_ERASEBKGND) {
    auto* parent = reinterpret_cast<Container*>(data);
    RECT r;
    GetClientRect(window, &r);
    FillRect(reinterpret_cast<HDC>(wParam), &r, parent->BackgroundBrush());
    return 1;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &GroupBoxProc, 1);
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

GroupBox::GroupBox(Container& parent, std::string_view caption, Bounds bounds)
    : Control(parent, ControlArgs{L"BUTTON", std::string(caption), BS_GROUPBOX | WS_CLIPSIBLINGS, 0, bounds}) {
  SetWindowSubclass(Handle(), &GroupBoxProc, 1, reinterpret_cast<DWORD_PTR>(&parent));
}

Edit::Edit(Container& parent, std::string_view text, Bounds bounds, DWORD style)
    : Control(parent, ControlArgs{L"EDIT", std::string(text), style | WS_TABSTOP, WS_EX_CLIENTEDGE, bounds}) {}

void FieldColours::Set(Colour text, Colour background) {
  text_ = text;
  // Fields switch colours on every enabling change; the brush is made anew
  // only when the background really changes.
  if (!brush_ || background != background_) brush_.Reset(CreateSolidBrush(background));
  background_ = background;
}

HBRUSH FieldColours::Apply(HDC dc) const {
  if (!brush_) return nullptr;
  SetTextColor(dc, text_);
  SetBkColor(dc, background_);
  return brush_.Get();
}

void Edit::SetColours(Colour text, Colour background) {
  colours_.Set(text, background);
  Invalidate();
}

void Edit::SetReadOnly(bool readOnly) { SendMessageW(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0); }

void Edit::HandleCommand(WORD code) {
  if (code == EN_CHANGE && OnChange) OnChange();
}

SpinEdit::SpinEdit(Container& parent, Bounds bounds, int minimum, int maximum, int value, int decimals)
    : Control(parent, ControlArgs{L"EDIT", std::to_string(value),
                                  static_cast<DWORD>(ES_AUTOHSCROLL | WS_TABSTOP | (minimum >= 0 && decimals == 0 ? ES_NUMBER : 0)),
                                  WS_EX_CLIENTEDGE, bounds}),
      minimum_(minimum),
      maximum_(maximum),
      decimals_(decimals) {
  // Whole numbers let the arrows write the edit; decimals are stepped here.
  const DWORD buddyInt = decimals == 0 ? UDS_SETBUDDYINT : 0;
  upDown_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                            WS_CHILD | WS_VISIBLE | buddyInt | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                                UDS_HOTTRACK,
                            0, 0, 0, 0, parent.Handle(), nullptr, Application::Current().Instance(), nullptr);
  // The arrows' notifications reach the container naming the up-down.
  SetPropW(upDown_, kControlProperty, this);
  parent.KeepGroupBoxesBelow(upDown_);
  SendMessageW(upDown_, UDM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
  PlaceUpDown();
  SetValue(value);
}

SpinEdit::~SpinEdit() {
  if (IsWindow(upDown_)) {
    RemovePropW(upDown_, kControlProperty);
    DestroyWindow(upDown_);
  }
}

void SpinEdit::PlaceUpDown() {
  // Setting the buddy again aligns the arrows to the edit's new size.
  const RECT r = parent_.ScaleBounds(GetBounds());
  SetWindowPos(Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
}

void SpinEdit::HandleDpiChanged() { PlaceUpDown(); }

int SpinEdit::Value() const {
  const auto parsed = ParseDecimal(Text());
  if (!parsed) return minimum_;
  return std::clamp(*parsed, minimum_, maximum_);
}

std::string SpinEdit::TextOf(int value) const {
  if (decimals_ == 0) return std::to_string(value);
  return NumberText(value / std::pow(10.0, decimals_), decimals_);
}

void SpinEdit::SetValue(int value) {
  value = std::clamp(value, minimum_, maximum_);
  SendMessageW(upDown_, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
  SetText(TextOf(value));
}

bool SpinEdit::HandleNotify(NMHDR* header, LRESULT& result) {
  if (decimals_ == 0 || header->hwndFrom != upDown_ || header->code != UDN_DELTAPOS) return false;
  // Steps from what the edit says now, which the user may have typed.
  const double shown = std::strtod(Text().c_str(), nullptr);
  const auto* change = reinterpret_cast<const NMUPDOWN*>(header);
  SetValue(static_cast<int>(std::lround(shown * std::pow(10.0, decimals_))) + change->iDelta);
  result = 0;
  return true;
}

void SpinEdit::HandleCommand(WORD code) {
  if (code == EN_CHANGE && OnChange) OnChange();
}

namespace {

Bounds WithDropHeight(Bounds b) {
  // A combo box's window height includes its dropped-down list.
  b.height = std::max(b.height, 220);
  return b;
}

void FillStrings(HWND window, UINT reset, UINT add, const std::vector<std::string>& items) {
  SendMessageW(window, reset, 0, 0);
  for (const std::string& item : items) {
    const std::wstring text = Widen(item);
    SendMessageW(window, add, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

std::string StringAt(HWND window, UINT lengthMessage, UINT textMessage, int index) {
  const auto n = SendMessageW(window, lengthMessage, static_cast<WPARAM>(index), 0);
  if (n <= 0) return {};
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  SendMessageW(window, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return Narrow(text);
}

}  // namespace

ComboBox::ComboBox(Container& parent, Bounds bounds, const std::vector<std::string>& items, DWORD extraStyle,
                   Kind kind)
    : Control(parent, ControlArgs{L"COMBOBOX", "",
                                  static_cast<DWORD>(kind == Kind::Editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL
                                                                            : CBS_DROPDOWNLIST) |
                                      WS_VSCROLL | WS_TABSTOP | extraStyle,
                                  0, WithDropHeight(bounds)}) {
  SetItems(items);
}

void ComboBox::SetItems(const std::vector<std::string>& items) {
  FillStrings(Handle(), CB_RESETCONTENT, CB_ADDSTRING, items);
}

int ComboBox::Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }

int ComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

void ComboBox::SetItemIndex(int index) { SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::string ComboBox::ItemText(int index) const {
  return StringAt(Handle(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

void ComboBox::SetColours(Colour text, Colour background) {
  colours_.Set(text, background);
  Invalidate();
}

void ComboBox::HandleCommand(WORD code) {
  if (code == CBN_SELCHANGE && OnChange) OnChange();
}

ListBox::ListBox(Container& parent, Bounds bounds, DWORD extraStyle)
    : Control(parent, ControlArgs{L"LISTBOX", "",
                                  LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | extraStyle,
                                  WS_EX_CLIENTEDGE, bounds}) {}

void ListBox::SetItems(const std::vector<std::string>& items) {
  FillStrings(Handle(), LB_RESETCONTENT, LB_ADDSTRING, items);
}

int ListBox::Count() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }

int ListBox::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0)); }

void ListBox::SetItemIndex(int index) { SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::string ListBox::ItemText(int index) const { return StringAt(Handle(), LB_GETTEXTLEN, LB_GETTEXT, index); }

void ListBox::HandleCommand(WORD code) {
  if (code == LBN_SELCHANGE && OnChange) OnChange();
  if (code == LBN_DBLCLK && OnDoubleClick) OnDoubleClick();
}

}  // namespace brisko::win
