#include "widgets/Application.h"

#include <algorithm>
#include <stdexcept>

#include "widgets/Form.h"
#include "widgets/Text.h"
#include "widgets/Win32Error.h"

namespace brisko::win {

namespace {

Application* current = nullptr;

constexpr wchar_t kApplicationClass[] = L"BriskoApplication";

LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

Application::Application(HINSTANCE instance) : instance_(instance) {
  if (current) throw std::logic_error("one application object per process");
  current = this;
  WNDCLASSEXW wc{};
  wc.lpfnWndProc = &ApplicationWindowProc;
  wc.lpszClassName = kApplicationClass;
  RegisterWindowClass(wc);
  // Hidden and a tool window: the main window it owns gets no task-bar
  // button of its own, and neither does this one.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kApplicationClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            instance_, nullptr);
  if (!window_) ThrowLastError("CreateWindowEx for the application window");
}

Application::Application(HINSTANCE instance, HWND applicationWindow)
    : instance_(instance), window_(applicationWindow), ownsWindow_(false) {
  if (current) throw std::logic_error("one application object per module");
  current = this;
}

Application::~Application() {
  if (window_ && ownsWindow_) DestroyWindow(window_);
  for (const std::wstring& name : classes_) UnregisterClassW(name.c_str(), instance_);
  current = nullptr;
}

void Application::RegisterWindowClass(const WNDCLASSEXW& windowClass) {
  const std::wstring name = windowClass.lpszClassName;
  if (std::find(classes_.begin(), classes_.end(), name) != classes_.end()) return;
  // A class left by an earlier load of this library would carry a window
  // procedure at a stale address.
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance_, name.c_str(), &existing)) UnregisterClassW(name.c_str(), instance_);
  WNDCLASSEXW wc = windowClass;
  wc.cbSize = sizeof wc;
  wc.hInstance = instance_;
  if (!RegisterClassExW(&wc)) ThrowLastError("RegisterClassEx");
  classes_.push_back(name);
}

Application& Application::Current() {
  if (!current) throw std::logic_error("no application object");
  return *current;
}

void Application::SetTitle(std::wstring title) {
  title_ = std::move(title);
  SetWindowTextW(window_, title_.c_str());
}

void Application::AddMessageFilter(MessageFilter filter) { filters_.push_back(std::move(filter)); }

void Application::RegisterForm(Form* form) { forms_.push_back(form); }

void Application::UnregisterForm(Form* form) { std::erase(forms_, form); }

bool Application::PreTranslate(MSG& msg) {
  for (const MessageFilter& filter : filters_)
    if (filter(msg)) return true;
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    HWND active = GetActiveWindow();
    for (Form* form : forms_)
      if (form->Handle() == active && form->HandleShortcut(msg)) return true;
  }
  HWND active = GetActiveWindow();
  for (Form* form : forms_)
    if (form->Handle() == active && form->DialogKeys() && IsDialogMessageW(active, &msg)) return true;
  return false;
}

bool Application::HandleOneMessage() {
  MSG msg;
  const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
  if (got == 0) {
    terminated_ = true;
    exitCode_ = static_cast<int>(msg.wParam);
    // Loops further down the stack must see the end too.
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  if (got < 0) return false;
  try {
    if (PreTranslate(msg)) return true;
  } catch (...) {
    ShowCurrentException();
    return true;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void Application::ProcessMessages() {
  MSG msg;
  while (!terminated_ && PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!HandleOneMessage()) break;
  }
}

int Application::Run() {
  while (HandleOneMessage()) {
  }
  return exitCode_;
}

void Application::Terminate(int exitCode) {
  terminated_ = true;
  PostQuitMessage(exitCode);
}

void Application::ShowError(const std::string& message) const {
  const std::wstring text = Widen(message);
  MessageBoxW(GetActiveWindow(), text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

void Application::ShowCurrentException() const noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    try {
      ShowError(e.what());
    } catch (...) {
    }
  } catch (...) {
    try {
      ShowError("An unexpected error occurred.");
    } catch (...) {
    }
  }
}

void Application::SetCursorSlot(int slot, HCURSOR cursor) {
  if (slot >= 1 && slot < static_cast<int>(cursorSlots_.size())) cursorSlots_[static_cast<std::size_t>(slot)] = cursor;
}

HCURSOR Application::CursorSlot(int slot) const {
  if (slot >= 1 && slot < static_cast<int>(cursorSlots_.size())) return cursorSlots_[static_cast<std::size_t>(slot)];
  return nullptr;
}

}  // namespace brisko::win
