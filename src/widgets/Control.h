#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/Form.h"

namespace brisko::win {

// Text and background colours that a field (edit, drop-down list) shows
// instead of the system's.
class FieldColours {
 public:
  void Set(Colour text, Colour background);
  // Answers the control's colour message: sets the colours on `dc` and
  // gives the background brush; null while no colours were set.
  HBRUSH Apply(HDC dc) const;

 private:
  Colour text_ = 0;
  Colour background_ = 0;
  ScopedBrush brush_;
};

struct ControlArgs {
  const wchar_t* windowClass = L"STATIC";
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  Bounds bounds;
};

// A child window of one Win32 class, owned by its container. The container
// forwards the notifications that concern it to the hooks below.
class Control {
 public:
  Control(Container& parent, const ControlArgs& args);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND Handle() const { return window_; }
  Container& Parent() const { return parent_; }

  void SetBounds(const Bounds& b);
  const Bounds& GetBounds() const { return bounds_; }
  virtual void SetVisible(bool visible);
  bool Visible() const;
  virtual void SetEnabled(bool enabled);
  bool Enabled() const;
  void SetText(std::string_view utf8);
  std::string Text() const;
  void SetFocus();
  void Invalidate();
  // The hint that shows when the pointer rests on the control. It reaches
  // the form's tool tips once the form has shown (AddHintToTooltips).
  void SetHint(std::string_view utf8);
  void AddHintToTooltips(HWND tooltips);
  bool HasHint() const { return !hint_.empty(); }

  // Notification hooks, called by the container.
  virtual void HandleCommand(WORD /*code*/) {}
  // The same with the id the command carries, for controls whose items
  // have ids of their own (tool-bar buttons); by default the code alone.
  virtual void HandleCommandId(WORD /*id*/, WORD code) { HandleCommand(code); }
  virtual bool HandleNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
  virtual void HandleScroll(WORD /*code*/) {}
  virtual bool HandleDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  virtual bool HandleMeasureItem(MEASUREITEMSTRUCT& /*item*/) { return false; }
  // A brush for the control's background, or null for the container's.
  virtual HBRUSH HandleColour(HDC /*dc*/) { return nullptr; }
  // Called after the container's DPI changed and the control was resized.
  virtual void HandleDpiChanged() {}

  static Control* FromHandle(HWND window);

 protected:
  // The body of a subclassed control's window procedure: the message goes
  // to `handle` of the control behind the window, and an exception that
  // escapes it becomes the application's error box.
  template <class T>
  static LRESULT Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT (T::*handle)(UINT, WPARAM, LPARAM)) {
    auto* control = dynamic_cast<T*>(FromHandle(window));
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    try {
      return (control->*handle)(message, wParam, lParam);
    } catch (...) {
      ReportEscapedException();
      return 0;
    }
  }
  static void ReportEscapedException() noexcept;

  Container& parent_;

 private:
  HWND window_ = nullptr;
  Bounds bounds_;
  std::wstring hint_;
  bool hintAdded_ = false;
};

// Push button.
class Button : public Control {
 public:
  Button(Container& parent, std::string_view caption, Bounds bounds, DWORD style = BS_PUSHBUTTON);
  void Click();
  std::function<void()> OnClick;
  void HandleCommand(WORD code) override;
};

class CheckBox : public Control {
 public:
  CheckBox(Container& parent, std::string_view caption, Bounds bounds);
  bool Checked() const;
  // Changes the state without running OnClick.
  void SetChecked(bool checked);
  std::function<void()> OnClick;
  void HandleCommand(WORD code) override;
};

// A button of a radio group. Buttons made one after another in one
// container form a group when the first has startsGroup set.
class RadioButton : public Control {
 public:
  RadioButton(Container& parent, std::string_view caption, Bounds bounds, bool startsGroup);
  bool Down() const;
  // Makes this the chosen button of its group without running OnClick.
  void SetDown();
  std::function<void()> OnClick;
  void HandleCommand(WORD code) override;
};

class Label : public Control {
 public:
  Label(Container& parent, std::string_view caption, Bounds bounds, DWORD style = SS_LEFT);
  void SetTextColour(Colour c);
  void SetFont(HFONT font);
  HBRUSH HandleColour(HDC dc) override;

 private:
  Colour textColour_ = 0xFFFFFFFF;
};

class GroupBox : public Control {
 public:
  GroupBox(Container& parent, std::string_view caption, Bounds bounds);
};

class Edit : public Control {
 public:
  Edit(Container& parent, std::string_view text, Bounds bounds, DWORD style = ES_AUTOHSCROLL);
  void SetReadOnly(bool readOnly);
  void SetColours(Colour text, Colour background);
  std::function<void()> OnChange;
  void HandleCommand(WORD code) override;
  HBRUSH HandleColour(HDC dc) override { return colours_.Apply(dc); }

 private:
  FieldColours colours_;
};

// An edit with an up-down control beside it for a number in a range. With
// `decimals` the edit shows value / 10^decimals with that many digits after
// the point (the arrows step by one last digit); minimum, maximum and value
// are counted in those steps. Typing is free where the range or decimals
// need a sign or a point: the caller reads the text and judges it.
class SpinEdit : public Control {
 public:
  SpinEdit(Container& parent, Bounds bounds, int minimum, int maximum, int value, int decimals = 0);
  ~SpinEdit() override;
  // The edit's text as an integer (clamped to the range), or the minimum
  // when the text is not a number. Whole-number edits only.
  int Value() const;
  void SetValue(int value);
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  // Runs when the text changes, typed or stepped.
  std::function<void()> OnChange;
  void HandleCommand(WORD code) override;
  bool HandleNotify(NMHDR* header, LRESULT& result) override;
  void HandleDpiChanged() override;

 private:
  void PlaceUpDown();
  std::string TextOf(int value) const;
  HWND upDown_ = nullptr;
  int minimum_;
  int maximum_;
  int decimals_;
};

// A drop-down list (no typing).
class ComboBox : public Control {
 public:
  // A drop-down list offers its items only; an editable box takes any text
  // and offers the items below it.
  enum class Kind { DropDownList, Editable };
  ComboBox(Container& parent, Bounds bounds, const std::vector<std::string>& items, DWORD extraStyle = 0,
           Kind kind = Kind::DropDownList);
  void SetItems(const std::vector<std::string>& items);
  int Count() const;
  int ItemIndex() const;
  // Selects without running OnChange; -1 selects nothing.
  void SetItemIndex(int index);
  std::string ItemText(int index) const;
  void SetColours(Colour text, Colour background);
  std::function<void()> OnChange;
  void HandleCommand(WORD code) override;
  HBRUSH HandleColour(HDC dc) override { return colours_.Apply(dc); }

 private:
  FieldColours colours_;
};

class ListBox : public Control {
 public:
  ListBox(Container& parent, Bounds bounds, DWORD extraStyle = 0);
  void SetItems(const std::vector<std::string>& items);
  int Count() const;
  int ItemIndex() const;
  void SetItemIndex(int index);
  std::string ItemText(int index) const;
  std::function<void()> OnChange;
  std::function<void()> OnDoubleClick;
  void HandleCommand(WORD code) override;
};

}  // namespace brisko::win
