#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace brisko::win {

class Form;

// One entry of a menu. Its command id is unique in the process, so a
// WM_COMMAND from a menu bar or the choice of a popup finds it again.
class MenuItem {
 public:
  MenuItem(HMENU menu, UINT id, std::function<void()> onClick);
  ~MenuItem();
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  UINT Id() const { return id_; }
  void SetChecked(bool checked);
  bool Checked() const;
  void SetEnabled(bool enabled);
  bool Enabled() const;
  void Click();

  std::function<void()> OnClick;

  // Runs the item with this command id; false when there is none.
  static bool Dispatch(UINT id);

 private:
  HMENU menu_;
  UINT id_;
};

// A popup menu or a menu bar built entry by entry. Shortcut texts such as
// "Ctrl+O" show beside the caption and, once registered with a form, work
// as keys while that form is active.
class Menu {
 public:
  enum class Kind { Popup, Bar };
  explicit Menu(Kind kind = Kind::Popup);
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  HMENU Handle() const { return menu_; }

  MenuItem& Add(const std::string& caption, std::function<void()> onClick = {},
                const std::string& shortcut = {});
  void AddSeparator();
  Menu& AddSubmenu(const std::string& caption);

  // Makes every shortcut of this menu and its submenus a key of the form.
  void RegisterShortcuts(Form& form) const;

  // Shows the popup at a screen point and runs the chosen entry.
  void Popup(Form& owner, POINT screen);

 private:
  HMENU menu_;
  bool owned_;
  std::deque<std::unique_ptr<MenuItem>> items_;
  std::deque<std::unique_ptr<Menu>> submenus_;
  struct Shortcut {
    std::string text;
    MenuItem* item;
  };
  std::deque<Shortcut> shortcuts_;
};

}  // namespace brisko::win
