#pragma once

#include <windows.h>

#include <array>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace brisko::win {

class Form;

// The program's application object: its title, the hidden top-level
// window that owns the main window (so the program has no task-bar button),
// the message loop with its filters, the cursor slots and the standard error
// box that every escaping exception ends in.
class Application {
 public:
  explicit Application(HINSTANCE instance);
  // For a library shown by a program: the program's application window is
  // adopted (and left alone at the end) instead of a window of our own.
  Application(HINSTANCE instance, HWND applicationWindow);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  HINSTANCE Instance() const { return instance_; }
  HWND Window() const { return window_; }

  const std::wstring& Title() const { return title_; }
  void SetTitle(std::wstring title);

  // A filter sees every message taken from the queue before it is
  // dispatched; returning true marks it handled.
  using MessageFilter = std::function<bool(MSG&)>;
  void AddMessageFilter(MessageFilter filter);

  // Runs until PostQuitMessage; returns its exit code.
  int Run();
  // Takes and handles one message, waiting for it. False once WM_QUIT came
  // (which is posted again, so every loop on the stack ends).
  bool HandleOneMessage();
  // Handles whatever is queued without waiting.
  void ProcessMessages();
  void Terminate(int exitCode = 0);
  bool Terminated() const { return terminated_; }

  // The error box: caption the application title, error icon, OK.
  void ShowError(const std::string& message) const;
  // Shows the error box for the exception being handled; for use in a catch.
  void ShowCurrentException() const noexcept;

  // Cursor slots 1 to 5 that capture windows use; empty slots are null.
  void SetCursorSlot(int slot, HCURSOR cursor);
  HCURSOR CursorSlot(int slot) const;

  // Registers a window class of this module, once. The classes go when the
  // application object does: a library that is unloaded must not leave a
  // class behind whose window procedure is gone.
  void RegisterWindowClass(const WNDCLASSEXW& windowClass);

  // The forms register so that keyboard navigation and shortcuts reach the
  // active one.
  void RegisterForm(Form* form);
  void UnregisterForm(Form* form);

  // The one application object of the process, for the window procedures
  // that have no other way to reach it.
  static Application& Current();

 private:
  bool PreTranslate(MSG& msg);

  HINSTANCE instance_;
  HWND window_ = nullptr;
  bool ownsWindow_ = true;
  std::vector<std::wstring> classes_;
  std::wstring title_;
  std::vector<MessageFilter> filters_;
  std::vector<Form*> forms_;
  std::array<HCURSOR, 6> cursorSlots_{};
  bool terminated_ = false;
  int exitCode_ = 0;
};

}  // namespace brisko::win
