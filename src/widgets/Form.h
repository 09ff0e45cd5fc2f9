#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Colour.h"
#include "widgets/Handles.h"

namespace brisko::win {

class Application;
class Control;

// Position and size in pixels at 96 DPI; the toolkit scales them.
struct Bounds {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A window that holds controls: a form or a panel. It turns the
// notifications that Windows sends to a parent (WM_COMMAND, WM_NOTIFY,
// scrolling, owner drawing, colours) into calls on the child control they
// concern, so every control owns its events.
class Container {
 public:
  virtual ~Container() = default;
  virtual HWND Handle() const = 0;
  virtual UINT Dpi() const = 0;
  virtual HFONT Font() const = 0;
  virtual Colour Background() const = 0;
  virtual HBRUSH BackgroundBrush() const = 0;
  // The form the container belongs to (itself for a form).
  virtual class Form& OwnerForm() = 0;
  // Paints what lies behind a child at `area` (container coordinates), for
  // controls that draw themselves over their parent's picture.
  virtual void PaintBackground(HDC dc, const RECT& area) { FillRect(dc, &area, BackgroundBrush()); }

  int Scale(int logical) const { return MulDiv(logical, static_cast<int>(Dpi()), 96); }
  RECT ScaleBounds(const Bounds& b) const {
    return RECT{Scale(b.x), Scale(b.y), Scale(b.x) + Scale(b.width), Scale(b.y) + Scale(b.height)};
  }

  void AddControl(Control* control) { controls_.push_back(control); }
  // Group boxes stay below their sibling controls, so the controls drawn
  // on a group are never clipped by it; `added` is a new child window.
  void KeepGroupBoxesBelow(HWND added);
  // Before the form first shows, group boxes are lowered in one pass
  // instead of moving each new control.
  void LowerGroupBoxes();
  // The controls with a hint, at any depth.
  void CollectHinted(std::vector<Control*>& hinted) const;
  void RemoveControl(Control* control);
  const std::vector<Control*>& Controls() const { return controls_; }

 protected:
  // Returns true with `result` set when the message was a child's.
  bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Repositions and re-fonts every control after a DPI change.
  void ApplyDpiToControls();

 private:
  std::vector<Control*> controls_;
  // The group boxes among the children, the highest first.
  std::vector<HWND> groupBoxes_;
  void ForgetGoneGroupBoxes();
};

struct FormArgs {
  std::wstring className = L"BriskoForm";
  std::wstring caption;
  DWORD style = WS_POPUP | WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_CONTROLPARENT;
  // Client size at 96 DPI.
  int width = 0;
  int height = 0;
  HWND owner = nullptr;
  bool centred = true;
  // Tab and arrow keys move between controls, Enter and Esc press the
  // default and cancel buttons.
  bool dialogKeys = true;
  Colour background = 0xFFFFFFFF;  // the system's window-face colour
  HICON icon = nullptr;
};

// A top-level window. Windows of the program derive from it and set its
// event handlers; the base does the message plumbing, DPI scaling, the
// modal loop and turns an exception escaping a handler into the
// application's error box.
class Form : public Container {
 public:
  explicit Form(const FormArgs& args);
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND Handle() const override { return window_; }
  UINT Dpi() const override { return dpi_; }
  HFONT Font() const override { return font_.Get(); }
  Colour Background() const override { return background_; }
  HBRUSH BackgroundBrush() const override;
  Form& OwnerForm() override { return *this; }

  void SetBackground(Colour c);
  void SetCaption(const std::string& utf8);
  std::string Caption() const;

  void Show();
  void Hide();
  bool Visible() const;
  // The form has been on the screen at least once.
  bool Shown() const { return shownOnce_; }
  void BringToFront();
  // Closes as the user would: OnCloseQuery may refuse, then OnClose runs
  // and the form hides (a modal form ends its loop).
  void Close();

  // Shows the form modally over its owner and returns the result given to
  // EndModal (0 when closed otherwise).
  int ShowModal();
  void EndModal(int result);
  bool InModalLoop() const { return modal_; }

  // Client size in pixels at the current DPI.
  SIZE ClientSize() const;
  void SetClientSize(int logicalWidth, int logicalHeight);
  // Centred on the screen of the owner (or of the form itself).
  void Centre();
  // Centred on another window, but never off the screen that window is on.
  void CentreOn(HWND window);

  bool DialogKeys() const { return dialogKeys_; }
  // Buttons that Enter and Esc press.
  void SetDefaultButton(Control* button) { defaultButton_ = button; }
  void SetCancelButton(Control* button) { cancelButton_ = button; }

  // Shortcut keys such as Ctrl+O, checked while this form is active.
  void AddShortcut(UINT virtualKey, bool ctrl, bool shift, bool alt, std::function<void()> action);
  bool HandleShortcut(const MSG& msg);

  // The tool-tip window that shows the hints of this form's controls, made
  // just after the form first shows (nobody rests the pointer on a control
  // before that) if any control has a hint; null until then.
  HWND TooltipsIfMade() const { return tooltips_; }
  void MakeTooltips();

  // Event handlers. Any of them may throw: the error box appears and the
  // program goes on.
  std::function<void()> OnShow;
  std::function<void()> OnHide;
  std::function<bool()> OnCloseQuery;
  std::function<void()> OnClose;
  std::function<void(HDC, const RECT&)> OnPaint;
  // A key pressed while the form (not a control) has the focus. Set
  // `handled` to keep the key from its default processing.
  std::function<void(WPARAM key, bool& handled)> OnKeyDown;
  std::function<void()> OnDpiChanged;

  // A handler for any other message; its result is returned to Windows.
  using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
  void OnMessage(UINT message, MessageHandler handler);

  // Message timers of this form: the id picks the timer.
  void StartTimer(UINT_PTR id, UINT milliseconds);
  void StopTimer(UINT_PTR id);
  std::function<void(UINT_PTR id)> OnTimer;

  static Form* FromHandle(HWND window);
  // True for a top-level window that a Form of this module made, whatever
  // else the process shows.
  static bool IsForm(HWND window);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void RegisterClassOnce(const FormArgs& args);
  // The first show: the group boxes go below the other controls, and the
  // tool tips are made once the form is on the screen.
  void PrepareFirstShow();
  void CreateFontForDpi();
  void Paint();
  bool PressButton(Control* button);

  HWND window_ = nullptr;
  HWND owner_ = nullptr;
  UINT dpi_ = 96;
  ScopedFont font_;
  Colour background_;
  ScopedBrush backgroundBrush_;
  bool dialogKeys_;
  bool modal_ = false;
  bool modalDone_ = false;
  int modalResult_ = 0;
  int logicalWidth_;
  int logicalHeight_;
  Control* defaultButton_ = nullptr;
  Control* cancelButton_ = nullptr;
  HWND tooltips_ = nullptr;
  bool shownOnce_ = false;
  struct Shortcut {
    UINT key;
    bool ctrl, shift, alt;
    std::function<void()> action;
  };
  std::vector<Shortcut> shortcuts_;
  std::unordered_map<UINT, MessageHandler> handlers_;
};

// Runs `action`, showing the application's error box for anything it throws.
void RunGuarded(const std::function<void()>& action) noexcept;

}  // namespace brisko::win
