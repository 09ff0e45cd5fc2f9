#include "widgets/Panel.h"

#include <windowsx.h>

#include "widgets/Application.h"

namespace brisko::win {

namespace {

const wchar_t* PanelClass() {
  WNDCLASSEXW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"BriskoPanel";
  Application::Current().RegisterWindowClass(wc);
  return wc.lpszClassName;
}

MouseEvent EventOf(MouseEvent::Button button, WPARAM wParam, LPARAM lParam) {
  return MouseEvent{button, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam};
}

}  // namespace

Panel::Panel(Container& parent, Bounds bounds, Colour background)
    : Control(parent, ControlArgs{PanelClass(), "", WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, bounds}),
      ownBackground_(background != 0xFFFFFFFF),
      background_(background) {
  if (ownBackground_) brush_.Reset(CreateSolidBrush(background_));
  // Messages reach the panel object once it exists; until now the default
  // procedure handled creation.
  SetWindowLongPtrW(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Panel::WindowProc));
}

Colour Panel::Background() const { return ownBackground_ ? background_ : parent_.Background(); }

HBRUSH Panel::BackgroundBrush() const { return ownBackground_ ? brush_.Get() : parent_.BackgroundBrush(); }

void Panel::PaintBackground(HDC dc, const RECT& area) {
  if (OnPaint) {
    OnPaint(dc, area);
    return;
  }
  FillRect(dc, &area, BackgroundBrush());
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ReflectToChild(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_ERASEBKGND:
      if (!OnPaint) {
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, BackgroundBrush());
      }
      return 1;
    case WM_PAINT:
      if (OnPaint) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT all;
        GetClientRect(Handle(), &all);
        try {
          OnPaint(dc, all);
        } catch (...) {
          EndPaint(Handle(), &ps);
          throw;
        }
        EndPaint(Handle(), &ps);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (OnMouseDown) {
        const auto button = message == WM_LBUTTONDOWN   ? MouseEvent::Button::Left
                            : message == WM_RBUTTONDOWN ? MouseEvent::Button::Right
                                                        : MouseEvent::Button::Middle;
        OnMouseDown(EventOf(button, wParam, lParam));
        return 0;
      }
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (OnMouseUp) {
        const auto button = message == WM_LBUTTONUP   ? MouseEvent::Button::Left
                            : message == WM_RBUTTONUP ? MouseEvent::Button::Right
                                                      : MouseEvent::Button::Middle;
        OnMouseUp(EventOf(button, wParam, lParam));
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      if (OnMouseMove) {
        OnMouseMove(EventOf(MouseEvent::Button::None, wParam, lParam));
        return 0;
      }
      break;
    case WM_LBUTTONDBLCLK:
      if (OnDoubleClick) {
        OnDoubleClick(EventOf(MouseEvent::Button::Left, wParam, lParam));
        return 0;
      }
      break;
    default: break;
  }
  return DefWindowProcW(Handle(), message, wParam, lParam);
}

LRESULT CALLBACK Panel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Route(window, message, wParam, lParam, &Panel::HandleMessage);
}

}  // namespace brisko::win
