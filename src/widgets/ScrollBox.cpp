#include "widgets/ScrollBox.h"

#include <windowsx.h>

#include <algorithm>

#include "widgets/Application.h"

namespace brisko::win {

namespace {

const wchar_t* ScrollBoxClass() {
  WNDCLASSEXW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"BriskoScrollBox";
  Application::Current().RegisterWindowClass(wc);
  return wc.lpszClassName;
}

constexpr int kLine = 16;  // pixels per scroll step at 96 DPI

}  // namespace

ScrollBox::ScrollBox(Container& parent, Bounds bounds, Colour background)
    : Control(parent, ControlArgs{ScrollBoxClass(), "", WS_CLIPCHILDREN | WS_TABSTOP, WS_EX_CONTROLPARENT, bounds}),
      ownBackground_(background != 0xFFFFFFFF),
      background_(background) {
  if (ownBackground_) brush_.Reset(CreateSolidBrush(background_));
  SetWindowLongPtrW(Control::Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ScrollBox::WindowProc));
  UpdateBars();
}

Colour ScrollBox::Background() const { return ownBackground_ ? background_ : parent_.Background(); }

HBRUSH ScrollBox::BackgroundBrush() const { return ownBackground_ ? brush_.Get() : parent_.BackgroundBrush(); }

void ScrollBox::PaintBackground(HDC dc, const RECT& area) {
  if (OnPaint)
    OnPaint(dc, area);
  else
    FillRect(dc, &area, BackgroundBrush());
}

SIZE ScrollBox::OuterSize() const {
  RECT r{};
  GetWindowRect(Control::Handle(), &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT ScrollBox::VisibleContent() const {
  RECT client{};
  GetClientRect(Control::Handle(), &client);
  OffsetRect(&client, position_.x, position_.y);
  return client;
}

void ScrollBox::SetExtent(int width, int height) {
  extent_ = SIZE{std::max(width, 0), std::max(height, 0)};
  UpdateBars();
}

void ScrollBox::UpdateBars() {
  if (updating_) return;
  updating_ = true;
  const SIZE outer = OuterSize();
  const int cx = GetSystemMetricsForDpi(SM_CXVSCROLL, Dpi()), cy = GetSystemMetricsForDpi(SM_CYHSCROLL, Dpi());
  // A bar along one axis takes room from the other, which may then need
  // its bar too.
  bool horizontal = extent_.cx > outer.cx, vertical = extent_.cy > outer.cy;
  if (horizontal && !vertical) vertical = extent_.cy > outer.cy - cy;
  if (vertical && !horizontal) horizontal = extent_.cx > outer.cx - cx;
  const int clientWidth = outer.cx - (vertical ? cx : 0), clientHeight = outer.cy - (horizontal ? cy : 0);
  ShowScrollBar(Control::Handle(), SB_HORZ, horizontal);
  ShowScrollBar(Control::Handle(), SB_VERT, vertical);
  auto setBar = [this](int bar, bool shown, int extent, int page, int position) {
    if (!shown) return;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, extent - 1, static_cast<UINT>(page), position, 0};
    SetScrollInfo(Control::Handle(), bar, &info, TRUE);
  };
  const POINT old = position_;
  const POINT clamped{std::clamp<int>(position_.x, 0, std::max<int>(0, extent_.cx - clientWidth)),
                      std::clamp<int>(position_.y, 0, std::max<int>(0, extent_.cy - clientHeight))};
  setBar(SB_HORZ, horizontal, extent_.cx, clientWidth, clamped.x);
  setBar(SB_VERT, vertical, extent_.cy, clientHeight, clamped.y);
  updating_ = false;
  if (clamped.x != old.x || clamped.y != old.y) {
    position_ = clamped;
    ScrollWindowEx(Control::Handle(), old.x - clamped.x, old.y - clamped.y, nullptr, nullptr, nullptr, nullptr,
                   SW_INVALIDATE | SW_SCROLLCHILDREN);
    if (OnScroll) OnScroll();
  }
}

void ScrollBox::ScrollTo(int x, int y) {
  RECT client{};
  GetClientRect(Control::Handle(), &client);
  const POINT target{std::clamp<int>(x, 0, std::max<int>(0, extent_.cx - client.right)),
                     std::clamp<int>(y, 0, std::max<int>(0, extent_.cy - client.bottom))};
  if (target.x == position_.x && target.y == position_.y) return;
  const POINT old = position_;
  position_ = target;
  // Only the bars that move are drawn again: a bar costs as much to draw
  // as the strip that scrolls into view.
  if (target.x != old.x) SetScrollPos(Control::Handle(), SB_HORZ, target.x, TRUE);
  if (target.y != old.y) SetScrollPos(Control::Handle(), SB_VERT, target.y, TRUE);
  // The pixels in view move along; only the uncovered strips are painted.
  ScrollWindowEx(Control::Handle(), old.x - target.x, old.y - target.y, nullptr, nullptr, nullptr, nullptr,
                 SW_INVALIDATE | SW_SCROLLCHILDREN);
  UpdateWindow(Control::Handle());
  if (OnScroll) OnScroll();
}

void ScrollBox::Scroll(int bar, WORD code) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(Control::Handle(), bar, &info);
  int position = bar == SB_HORZ ? position_.x : position_.y;
  const int line = parent_.Scale(kLine), page = static_cast<int>(info.nPage);
  switch (code) {
    case SB_LINEUP: position -= line; break;
    case SB_LINEDOWN: position += line; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = info.nMax; break;
    default: return;
  }
  if (bar == SB_HORZ)
    ScrollTo(position, position_.y);
  else
    ScrollTo(position_.x, position);
}

void ScrollBox::InvalidateContent() {
  RedrawWindow(Control::Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void ScrollBox::InvalidateContent(const RECT& content) {
  RECT client = content;
  OffsetRect(&client, -position_.x, -position_.y);
  RedrawWindow(Control::Handle(), &client, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

MouseEvent ScrollBox::ContentEvent(MouseEvent::Button button, WPARAM wParam, LPARAM lParam) const {
  return MouseEvent{button, GET_X_LPARAM(lParam) + position_.x, GET_Y_LPARAM(lParam) + position_.y, wParam};
}

LRESULT ScrollBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectToChild(message, wParam, lParam, result)) return result;
  HWND window = Control::Handle();
  auto buttonOf = [](UINT m) {
    switch (m) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_LBUTTONDBLCLK: return MouseEvent::Button::Left;
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_RBUTTONDBLCLK: return MouseEvent::Button::Right;
      default: return MouseEvent::Button::Middle;
    }
  };
  switch (message) {
    case WM_SIZE: UpdateBars(); break;
    case WM_HSCROLL: Scroll(SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: Scroll(SB_VERT, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam);
      const int step = MulDiv(notches, 3 * parent_.Scale(kLine), WHEEL_DELTA);
      const bool across = message == WM_MOUSEHWHEEL || (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT);
      if (message == WM_MOUSEHWHEEL)
        ScrollTo(position_.x + step, position_.y);
      else if (across)
        ScrollTo(position_.x - step, position_.y);
      else
        ScrollTo(position_.x, position_.y - step);
      return 0;
    }
    case WM_KEYDOWN: {
      const int line = parent_.Scale(kLine);
      RECT client{};
      GetClientRect(window, &client);
      switch (wParam) {
        case VK_LEFT: ScrollTo(position_.x - line, position_.y); return 0;
        case VK_RIGHT: ScrollTo(position_.x + line, position_.y); return 0;
        case VK_UP: ScrollTo(position_.x, position_.y - line); return 0;
        case VK_DOWN: ScrollTo(position_.x, position_.y + line); return 0;
        case VK_PRIOR: ScrollTo(position_.x, position_.y - client.bottom); return 0;
        case VK_NEXT: ScrollTo(position_.x, position_.y + client.bottom); return 0;
        case VK_HOME: ScrollTo(0, 0); return 0;
        case VK_END: ScrollTo(position_.x, extent_.cy); return 0;
        default: break;
      }
      break;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == window) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(window, &p);
        HCURSOR cursor = OnCursor ? OnCursor(ToContent(p)) : nullptr;
        SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      try {
        PaintBackground(dc, ps.rcPaint);
      } catch (...) {
        EndPaint(window, &ps);
        throw;
      }
      EndPaint(window, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (buttonsDown_++ == 0) SetCapture(window);
      if (OnMouseDown) OnMouseDown(ContentEvent(buttonOf(message), wParam, lParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (buttonsDown_ > 0 && --buttonsDown_ == 0) ReleaseCapture();
      if (OnMouseUp) OnMouseUp(ContentEvent(buttonOf(message), wParam, lParam));
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      // The second press of a double click is a press as well.
      if (buttonsDown_++ == 0) SetCapture(window);
      if (OnDoubleClick)
        OnDoubleClick(ContentEvent(buttonOf(message), wParam, lParam));
      else if (OnMouseDown)
        OnMouseDown(ContentEvent(buttonOf(message), wParam, lParam));
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window) buttonsDown_ = 0;
      break;
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove(ContentEvent(MouseEvent::Button::None, wParam, lParam));
      return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ScrollBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Route(window, message, wParam, lParam, &ScrollBox::HandleMessage);
}

}  // namespace brisko::win
