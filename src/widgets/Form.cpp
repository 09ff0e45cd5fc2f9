#include "widgets/Form.h"

#include <algorithm>

#include "widgets/Application.h"
#include "widgets/Control.h"
#include "widgets/Menu.h"
#include "widgets/Text.h"
#include "widgets/Win32Error.h"

namespace brisko::win {

namespace {

UINT DpiOf(HWND window) {
  const UINT dpi = window ? GetDpiForWindow(window) : 0;
  if (dpi) return dpi;
  HDC screen = GetDC(nullptr);
  const int logical = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return logical > 0 ? static_cast<UINT>(logical) : 96;
}

Colour ResolveBackground(Colour c) { return c == 0xFFFFFFFF ? GetSysColor(COLOR_BTNFACE) : c; }

// Posted to a form that has just shown for the first time. Registered, so
// that no form's own message number can take it.
UINT MakeTooltipsMessage() {
  static const UINT message = RegisterWindowMessageW(L"BriskoMakeTooltips");
  return message;
}

}  // namespace

void RunGuarded(const std::function<void()>& action) noexcept {
  try {
    if (action) action();
  } catch (...) {
    Application::Current().ShowCurrentException();
  }
}

// ---------------------------------------------------------------- Container

void Container::RemoveControl(Control* control) { std::erase(controls_, control); }

namespace {

bool IsGroupBox(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return lstrcmpiW(name, L"Button") == 0 &&
         (GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

}  // namespace

void Container::ForgetGoneGroupBoxes() {
  std::erase_if(groupBoxes_, [this](HWND box) { return GetParent(box) != Handle(); });
}

void Container::KeepGroupBoxesBelow(HWND added) {
  // New children arrive at the bottom of the z-order; a group box belongs
  // there, anything else goes just above the topmost group box. Until the
  // form shows, the order is mended once, when it first does.
  ForgetGoneGroupBoxes();
  if (IsGroupBox(added)) {
    groupBoxes_.push_back(added);
    return;
  }
  if (groupBoxes_.empty() || !OwnerForm().Shown()) return;
  HWND above = GetWindow(groupBoxes_.front(), GW_HWNDPREV);
  SetWindowPos(added, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Container::LowerGroupBoxes() {
  ForgetGoneGroupBoxes();
  for (HWND box : groupBoxes_)
    SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  for (Control* control : controls_)
    if (auto* container = dynamic_cast<Container*>(control)) container->LowerGroupBoxes();
}

bool Container::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (lParam) {
        if (Control* c = Control::FromHandle(reinterpret_cast<HWND>(lParam))) {
          c->HandleCommandId(LOWORD(wParam), HIWORD(wParam));
          result = 0;
          return true;
        }
      }
      return false;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<NMHDR*>(lParam);
      Control* c = header ? Control::FromHandle(header->hwndFrom) : nullptr;
      return c && c->HandleNotify(const_cast<NMHDR*>(header), result);
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lParam) {
        if (Control* c = Control::FromHandle(reinterpret_cast<HWND>(lParam))) {
          c->HandleScroll(LOWORD(wParam));
          result = 0;
          return true;
        }
      }
      return false;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      Control* c = item && item->CtlType != ODT_MENU ? Control::FromHandle(item->hwndItem) : nullptr;
      if (c && c->HandleDrawItem(*item)) {
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      Control* c = item && item->CtlType != ODT_MENU
                       ? Control::FromHandle(GetDlgItem(Handle(), static_cast<int>(item->CtlID)))
                       : nullptr;
      if (c && c->HandleMeasureItem(*item)) {
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      Control* c = Control::FromHandle(reinterpret_cast<HWND>(lParam));
      HBRUSH brush = c ? c->HandleColour(dc) : nullptr;
      if (!brush) {
        SetBkColor(dc, Background());
        brush = BackgroundBrush();
      }
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      Control* c = Control::FromHandle(reinterpret_cast<HWND>(lParam));
      HBRUSH brush = c ? c->HandleColour(reinterpret_cast<HDC>(wParam)) : nullptr;
      if (!brush) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    default: return false;
  }
}

void Container::ApplyDpiToControls() {
  for (Control* c : controls_) {
    const RECT r = ScaleBounds(c->GetBounds());
    SetWindowPos(c->Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(c->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
    c->HandleDpiChanged();
  }
}

// --------------------------------------------------------------------- Form

void Form::RegisterClassOnce(const FormArgs& args) {
  Application& app = Application::Current();
  WNDCLASSEXW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Form::WindowProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = args.icon ? args.icon : LoadIconW(app.Instance(), L"MAINICON");
  wc.lpszClassName = args.className.c_str();
  app.RegisterWindowClass(wc);
}

Form::Form(const FormArgs& args)
    : owner_(args.owner),
      background_(ResolveBackground(args.background)),
      backgroundBrush_(CreateSolidBrush(background_)),
      dialogKeys_(args.dialogKeys),
      logicalWidth_(args.width),
      logicalHeight_(args.height) {
  RegisterClassOnce(args);
  Application& app = Application::Current();
  window_ = CreateWindowExW(args.exStyle, args.className.c_str(), args.caption.c_str(), args.style, 0, 0,
                            args.width, args.height, args.owner, nullptr, app.Instance(), this);
  if (!window_) ThrowLastError("CreateWindowEx for a form");
  dpi_ = DpiOf(window_);
  CreateFontForDpi();
  SetClientSize(args.width, args.height);
  if (args.centred) Centre();
  app.RegisterForm(this);
}

Form::~Form() {
  Application::Current().UnregisterForm(this);
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (tooltips_) DestroyWindow(tooltips_);
}

bool Form::IsForm(HWND window) {
  return GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Form::WindowProc);
}

Form* Form::FromHandle(HWND window) {
  return reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Form::CreateFontForDpi() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi_)) {
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi_), 96);
  }
  font_.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
}

void Form::SetBackground(Colour c) {
  background_ = ResolveBackground(c);
  backgroundBrush_.Reset(CreateSolidBrush(background_));
  InvalidateRect(window_, nullptr, TRUE);
}

HBRUSH Form::BackgroundBrush() const { return backgroundBrush_.Get(); }

void Form::SetCaption(const std::string& utf8) { SetWindowTextW(window_, Widen(utf8).c_str()); }

std::string Form::Caption() const {
  const int n = GetWindowTextLengthW(window_);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  GetWindowTextW(window_, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n));
  return Narrow(text);
}

void Form::Show() {
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

void Form::Hide() { ShowWindow(window_, SW_HIDE); }

bool Form::Visible() const { return IsWindowVisible(window_) != FALSE; }

void Form::BringToFront() {
  if (!Visible()) Show();
  SetForegroundWindow(window_);
}

void Form::Close() {
  if (OnCloseQuery && !OnCloseQuery()) return;
  if (OnClose) OnClose();
  if (modal_) modalDone_ = true;
  Hide();
}

int Form::ShowModal() {
  HWND owner = GetWindow(window_, GW_OWNER);
  const bool reEnable = owner && IsWindowEnabled(owner);
  if (owner) EnableWindow(owner, FALSE);
  modal_ = true;
  modalDone_ = false;
  modalResult_ = 0;
  Show();
  SetForegroundWindow(window_);
  Application& app = Application::Current();
  while (!modalDone_ && app.HandleOneMessage()) {
  }
  // The owner is enabled before this form hides, so activation returns to it.
  if (reEnable) EnableWindow(owner, TRUE);
  Hide();
  modal_ = false;
  return modalResult_;
}

void Form::EndModal(int result) {
  modalResult_ = result;
  modalDone_ = true;
}

SIZE Form::ClientSize() const {
  RECT r{};
  GetClientRect(window_, &r);
  return SIZE{r.right, r.bottom};
}

void Form::SetClientSize(int logicalWidth, int logicalHeight) {
  logicalWidth_ = logicalWidth;
  logicalHeight_ = logicalHeight;
  RECT r{0, 0, Scale(logicalWidth), Scale(logicalHeight)};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
  AdjustWindowRectExForDpi(&r, style, FALSE, exStyle, dpi_);
  SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Centre() {
  RECT window{};
  GetWindowRect(window_, &window);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromWindow(owner_ ? owner_ : window_, MONITOR_DEFAULTTOPRIMARY);
  GetMonitorInfoW(monitor, &info);
  const RECT& work = info.rcWork;
  const int width = window.right - window.left, height = window.bottom - window.top;
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::CentreOn(HWND window) {
  RECT over{}, own{};
  GetWindowRect(window, &over);
  GetWindowRect(window_, &own);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& work = info.rcWork;
  const int width = own.right - own.left, height = own.bottom - own.top;
  const int x = std::clamp<int>((over.left + over.right - width) / 2, work.left,
                                std::max<int>(work.left, work.right - width));
  const int y = std::clamp<int>((over.top + over.bottom - height) / 2, work.top,
                                std::max<int>(work.top, work.bottom - height));
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::AddShortcut(UINT virtualKey, bool ctrl, bool shift, bool alt, std::function<void()> action) {
  shortcuts_.push_back(Shortcut{virtualKey, ctrl, shift, alt, std::move(action)});
}

bool Form::HandleShortcut(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0,
             alt = GetKeyState(VK_MENU) < 0;
  for (const Shortcut& s : shortcuts_) {
    if (s.key == msg.wParam && s.ctrl == ctrl && s.shift == shift && s.alt == alt) {
      RunGuarded(s.action);
      return true;
    }
  }
  return false;
}

void Form::PrepareFirstShow() {
  if (shownOnce_) return;
  shownOnce_ = true;
  LowerGroupBoxes();
  PostMessageW(window_, MakeTooltipsMessage(), 0, 0);
}

void Container::CollectHinted(std::vector<Control*>& hinted) const {
  for (Control* control : controls_) {
    if (control->HasHint()) hinted.push_back(control);
    if (auto* inner = dynamic_cast<Container*>(control)) inner->CollectHinted(hinted);
  }
}

void Form::MakeTooltips() {
  if (tooltips_) return;
  std::vector<Control*> hinted;
  CollectHinted(hinted);
  // A form without hints needs no tool-tip window; one that gets its first
  // hint later makes it then.
  if (hinted.empty()) return;
  tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                              Application::Current().Instance(), nullptr);
  if (!tooltips_) return;
  for (Control* control : hinted) control->AddHintToTooltips(tooltips_);
}

void Form::OnMessage(UINT message, MessageHandler handler) { handlers_[message] = std::move(handler); }

void Form::StartTimer(UINT_PTR id, UINT milliseconds) { SetTimer(window_, id, milliseconds, nullptr); }

void Form::StopTimer(UINT_PTR id) { KillTimer(window_, id); }

bool Form::PressButton(Control* button) {
  if (auto* b = dynamic_cast<Button*>(button); b && b->Enabled() && b->Visible()) {
    b->Click();
    return true;
  }
  return false;
}

void Form::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  try {
    OnPaint(dc, ps.rcPaint);
  } catch (...) {
    EndPaint(window_, &ps);
    throw;
  }
  EndPaint(window_, &ps);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Every way of showing a window passes here, SetWindowPos included.
  if (message == WM_WINDOWPOSCHANGING && (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
    PrepareFirstShow();
  if (message == MakeTooltipsMessage()) {
    MakeTooltips();
    return 0;
  }
  LRESULT result = 0;
  if (ReflectToChild(message, wParam, lParam, result)) return result;
  if (auto found = handlers_.find(message); found != handlers_.end()) return found->second(wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      if (lParam == 0 && HIWORD(wParam) == 0 && MenuItem::Dispatch(LOWORD(wParam))) return 0;
      // Enter and Esc arrive as IDOK and IDCANCEL from the dialog keys.
      if (lParam == 0 && LOWORD(wParam) == IDOK) {
        if (!PressButton(defaultButton_)) break;
        return 0;
      }
      if (lParam == 0 && LOWORD(wParam) == IDCANCEL) {
        if (!PressButton(cancelButton_)) Close();
        return 0;
      }
      break;
    case WM_CLOSE: Close(); return 0;
    case WM_SHOWWINDOW:
      if (wParam && OnShow) OnShow();
      if (!wParam && OnHide) OnHide();
      break;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window_, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, backgroundBrush_.Get());
      return 1;
    }
    case WM_PAINT:
      if (OnPaint) {
        Paint();
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (OnKeyDown) {
        bool handled = false;
        OnKeyDown(wParam, handled);
        if (handled) return 0;
      }
      break;
    case WM_TIMER:
      if (OnTimer) {
        OnTimer(wParam);
        return 0;
      }
      break;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      CreateFontForDpi();
      ApplyDpiToControls();
      if (OnDpiChanged) OnDpiChanged();
      return 0;
    }
    default: break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  Form* form = FromHandle(window);
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    Application::Current().ShowCurrentException();
    return 0;
  }
}

}  // namespace brisko::win
