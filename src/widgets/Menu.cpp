#include "widgets/Menu.h"

#include <unordered_map>

#include "core/Hotkey.h"
#include "widgets/Form.h"
#include "widgets/Text.h"

namespace brisko::win {

namespace {

std::unordered_map<UINT, MenuItem*>& Registry() {
  static std::unordered_map<UINT, MenuItem*> items;
  return items;
}

UINT NextCommandId() {
  // Above the range of control ids and of IDOK/IDCANCEL.
  static UINT id = 40000;
  return ++id;
}

}  // namespace

MenuItem::MenuItem(HMENU menu, UINT id, std::function<void()> onClick)
    : OnClick(std::move(onClick)), menu_(menu), id_(id) {
  Registry()[id_] = this;
}

MenuItem::~MenuItem() { Registry().erase(id_); }

void MenuItem::SetChecked(bool checked) {
  CheckMenuItem(menu_, id_, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool MenuItem::Checked() const { return (GetMenuState(menu_, id_, MF_BYCOMMAND) & MF_CHECKED) != 0; }

void MenuItem::SetEnabled(bool enabled) {
  EnableMenuItem(menu_, id_, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool MenuItem::Enabled() const {
  return (GetMenuState(menu_, id_, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

void MenuItem::Click() {
  if (Enabled() && OnClick) OnClick();
}

bool MenuItem::Dispatch(UINT id) {
  const auto found = Registry().find(id);
  if (found == Registry().end()) return false;
  found->second->Click();
  return true;
}

Menu::Menu(Kind kind) : menu_(kind == Kind::Bar ? CreateMenu() : CreatePopupMenu()), owned_(true) {}

Menu::~Menu() {
  // Submenus are destroyed with their parent menu.
  if (owned_ && menu_) DestroyMenu(menu_);
}

MenuItem& Menu::Add(const std::string& caption, std::function<void()> onClick, const std::string& shortcut) {
  const UINT id = NextCommandId();
  const std::wstring text = Widen(shortcut.empty() ? caption : caption + "\t" + shortcut);
  AppendMenuW(menu_, MF_STRING, id, text.c_str());
  items_.push_back(std::make_unique<MenuItem>(menu_, id, std::move(onClick)));
  if (!shortcut.empty()) shortcuts_.push_back(Shortcut{shortcut, items_.back().get()});
  return *items_.back();
}

void Menu::AddSeparator() { AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr); }

Menu& Menu::AddSubmenu(const std::string& caption) {
  submenus_.push_back(std::make_unique<Menu>(Kind::Popup));
  Menu& sub = *submenus_.back();
  sub.owned_ = false;
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(sub.menu_), Widen(caption).c_str());
  return sub;
}

void Menu::RegisterShortcuts(Form& form) const {
  for (const Shortcut& s : shortcuts_) {
    const Hotkey key = ParseHotkeyText(s.text, 0);
    if (key.keyIndex == 0) continue;
    MenuItem* item = s.item;
    form.AddShortcut(HotkeyVirtualKey(key.keyIndex), key.ctrl, key.shift, key.alt, [item] { item->Click(); });
  }
  for (const auto& sub : submenus_) sub->RegisterShortcuts(form);
}

void Menu::Popup(Form& owner, POINT screen) {
  // The owner must be the foreground window, or the menu would not close
  // when the user clicks elsewhere.
  SetForegroundWindow(owner.Handle());
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
      menu_, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, owner.Handle(),
      nullptr));
  PostMessageW(owner.Handle(), WM_NULL, 0, 0);
  if (chosen) MenuItem::Dispatch(chosen);
}

}  // namespace brisko::win
