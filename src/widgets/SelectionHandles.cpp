#include "widgets/SelectionHandles.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "widgets/Application.h"

namespace brisko::win {

namespace {

const wchar_t* HandlesClass() {
  WNDCLASSEXW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"BriskoSelectionHandles";
  Application::Current().RegisterWindowClass(wc);
  return wc.lpszClassName;
}

bool HasLeft(SelectionHandles::Zone z) {
  using Z = SelectionHandles::Zone;
  return z == Z::Left || z == Z::TopLeft || z == Z::BottomLeft;
}
bool HasRight(SelectionHandles::Zone z) {
  using Z = SelectionHandles::Zone;
  return z == Z::Right || z == Z::TopRight || z == Z::BottomRight;
}
bool HasTop(SelectionHandles::Zone z) {
  using Z = SelectionHandles::Zone;
  return z == Z::Top || z == Z::TopLeft || z == Z::TopRight;
}
bool HasBottom(SelectionHandles::Zone z) {
  using Z = SelectionHandles::Zone;
  return z == Z::Bottom || z == Z::BottomLeft || z == Z::BottomRight;
}

LPCWSTR CursorFor(SelectionHandles::Zone z) {
  using Z = SelectionHandles::Zone;
  switch (z) {
    case Z::TopLeft:
    case Z::BottomRight: return IDC_SIZENWSE;
    case Z::TopRight:
    case Z::BottomLeft: return IDC_SIZENESW;
    case Z::Top:
    case Z::Bottom: return IDC_SIZENS;
    case Z::Left:
    case Z::Right: return IDC_SIZEWE;
    case Z::Inside: break;
  }
  return IDC_ARROW;
}

}  // namespace

SelectionHandles::SelectionHandles(Container& parent)
    : Control(parent, ControlArgs{HandlesClass(), "", WS_CLIPSIBLINGS, 0, Bounds{0, 0, 24, 24}}) {
  SetWindowLongPtrW(Control::Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SelectionHandles::WindowProc));
  Detach();
}

SelectionHandles::~SelectionHandles() = default;

RECT SelectionHandles::Frame() const {
  RECT r{};
  GetWindowRect(Control::Handle(), &r);
  MapWindowPoints(nullptr, parent_.Handle(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT SelectionHandles::Selection() const {
  RECT r = Frame();
  return RECT{r.left + MarginBefore(), r.top + MarginBefore(), r.right - MarginAfter(), r.bottom - MarginAfter()};
}

void SelectionHandles::PlaceFrame(const RECT& frame) {
  SetWindowPos(Control::Handle(), HWND_TOP, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOACTIVATE);
  InvalidateRect(Control::Handle(), nullptr, FALSE);
}

void SelectionHandles::Attach(const RECT& selection) {
  attached_ = true;
  PlaceFrame(RECT{selection.left - MarginBefore(), selection.top - MarginBefore(),
                  std::max(selection.right, selection.left) + MarginAfter(),
                  std::max(selection.bottom, selection.top) + MarginAfter()});
  EnableWindow(Control::Handle(), TRUE);
  ShowWindow(Control::Handle(), SW_SHOWNA);
  SetFocus();
}

void SelectionHandles::Detach() {
  if (dragging_) {
    if (outlineShown_) DrawOutline(outline_);
    dragging_ = false;
    ReleaseCapture();
  }
  attached_ = false;
  ShowWindow(Control::Handle(), SW_HIDE);
  EnableWindow(Control::Handle(), FALSE);
  SetWindowPos(Control::Handle(), nullptr, 0, 0, parent_.Scale(24), parent_.Scale(24),
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

SelectionHandles::Zone SelectionHandles::ZoneAt(POINT p) const {
  RECT r{};
  GetClientRect(Control::Handle(), &r);
  const int reach = HandleSize(), along = parent_.Scale(3);
  const bool left = p.x <= reach, right = p.x >= r.right - 1 - reach;
  const bool top = p.y <= reach, bottom = p.y >= r.bottom - 1 - reach;
  if (left && top) return Zone::TopLeft;
  if (right && top) return Zone::TopRight;
  if (left && bottom) return Zone::BottomLeft;
  if (right && bottom) return Zone::BottomRight;
  const bool middleAcross = std::abs(p.x - r.right / 2) <= along;
  const bool middleDown = std::abs(p.y - r.bottom / 2) <= along;
  if (middleAcross && top) return Zone::Top;
  if (middleAcross && bottom) return Zone::Bottom;
  if (middleDown && left) return Zone::Left;
  if (middleDown && right) return Zone::Right;
  return Zone::Inside;
}

RECT SelectionHandles::Dragged(POINT screen) const {
  const int dx = screen.x - pressAt_.x, dy = screen.y - pressAt_.y;
  const int least = HandleSize();  // the frame never gets smaller than a handle
  RECT f = pressFrame_;
  const RECT limits = Limits ? Limits() : RECT{LONG_MIN / 2, LONG_MIN / 2, LONG_MAX / 2, LONG_MAX / 2};
  if (dragZone_ == Zone::Inside) {
    const int w = f.right - f.left, h = f.bottom - f.top;
    const int x = std::clamp<int>(f.left + dx, limits.left, std::max<int>(limits.left, limits.right - w));
    const int y = std::clamp<int>(f.top + dy, limits.top, std::max<int>(limits.top, limits.bottom - h));
    return RECT{x, y, x + w, y + h};
  }
  if (HasLeft(dragZone_)) f.left = std::clamp<int>(f.left + dx, limits.left, f.right - least);
  if (HasRight(dragZone_))
    f.right = std::clamp<int>(f.right + dx, f.left + least, std::max<int>(f.left + least, limits.right));
  if (HasTop(dragZone_)) f.top = std::clamp<int>(f.top + dy, limits.top, f.bottom - least);
  if (HasBottom(dragZone_))
    f.bottom = std::clamp<int>(f.bottom + dy, f.top + least, std::max<int>(f.top + least, limits.bottom));
  return f;
}

void SelectionHandles::DrawOutline(const RECT& frame) {
  // Drawn over everything in the parent, children included, and taken
  // away by drawing it once more.
  HDC dc = GetDCEx(parent_.Handle(), nullptr, DCX_CACHE);
  if (!dc) return;
  if (Limits) {
    const RECT limits = Limits();
    IntersectClipRect(dc, limits.left, limits.top, limits.right, limits.bottom);
  }
  DrawFocusRect(dc, &frame);
  ReleaseDC(parent_.Handle(), dc);
}

void SelectionHandles::Changed() {
  InvalidateRect(Control::Handle(), nullptr, FALSE);
  if (OnChange) OnChange(Selection());
}

void SelectionHandles::Paint(HDC dc) {
  RECT client{};
  GetClientRect(Control::Handle(), &client);
  // What lies behind, from the parent, so the selection shows through.
  RECT inParent = client;
  MapWindowPoints(Control::Handle(), parent_.Handle(), reinterpret_cast<POINT*>(&inParent), 2);
  POINT oldOrigin;
  SetViewportOrgEx(dc, -inParent.left, -inParent.top, &oldOrigin);
  parent_.PaintBackground(dc, inParent);
  SetViewportOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);

  // The selection's edge, dotted so it shows on light and dark pictures.
  const int before = MarginBefore(), after = MarginAfter();
  RECT edge{before, before, client.right - after, client.bottom - after};
  if (edge.right > edge.left && edge.bottom > edge.top) {
    ScopedPen dots(CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
    SelectedObject pen(dc, dots.Get());
    SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(255, 255, 255));
    Rectangle(dc, edge.left, edge.top, edge.right, edge.bottom);
  }
  const int s = HandleSize();
  const int w = client.right, h = client.bottom;
  const POINT corners[8] = {{0, 0},     {(w - s) / 2, 0},     {w - s, 0},    {0, (h - s) / 2}, {w - s, (h - s) / 2},
                            {0, h - s}, {(w - s) / 2, h - s}, {w - s, h - s}};
  for (const POINT& c : corners) {
    const RECT square{c.x, c.y, c.x + s, c.y + s};
    FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
}

LRESULT SelectionHandles::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = Control::Handle();
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      try {
        Paint(dc);
      } catch (...) {
        EndPaint(window, &ps);
        throw;
      }
      EndPaint(window, &ps);
      return 0;
    }
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(window, &p);
      SetCursor(LoadCursorW(nullptr, dragging_ && dragZone_ == Zone::Inside ? IDC_SIZEALL : CursorFor(ZoneAt(p))));
      return TRUE;
    }
    case WM_LBUTTONDOWN: {
      SetFocus();
      dragZone_ = ZoneAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      GetCursorPos(&pressAt_);
      pressFrame_ = Frame();
      dragging_ = true;
      outlineShown_ = false;
      SetCapture(window);
      if (dragZone_ == Zone::Inside) SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
      return 0;
    }
    case WM_MOUSEMOVE:
      if (dragging_) {
        POINT p;
        GetCursorPos(&p);
        const RECT next = Dragged(p);
        if (!outlineShown_ || !EqualRect(&next, &outline_)) {
          if (outlineShown_) DrawOutline(outline_);
          outline_ = next;
          DrawOutline(outline_);
          outlineShown_ = true;
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (dragging_) {
        dragging_ = false;
        ReleaseCapture();
        if (outlineShown_) {
          DrawOutline(outline_);
          outlineShown_ = false;
          if (!EqualRect(&outline_, &pressFrame_)) {
            PlaceFrame(outline_);
            Changed();
          }
        }
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (dragging_ && reinterpret_cast<HWND>(lParam) != window) {
        if (outlineShown_) DrawOutline(outline_);
        outlineShown_ = false;
        dragging_ = false;
      }
      return 0;
    case WM_LBUTTONDBLCLK:
      if (OnConfirm) OnConfirm();
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: {
      int dx = 0, dy = 0;
      switch (wParam) {
        case VK_LEFT: dx = -1; break;
        case VK_RIGHT: dx = 1; break;
        case VK_UP: dy = -1; break;
        case VK_DOWN: dy = 1; break;
        default: return 0;
      }
      RECT f = Frame();
      OffsetRect(&f, dx, dy);
      PlaceFrame(f);
      Changed();
      return 0;
    }
    case WM_CHAR:
      if (wParam == VK_RETURN && OnConfirm) OnConfirm();
      return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SelectionHandles::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Route(window, message, wParam, lParam, &SelectionHandles::HandleMessage);
}

}  // namespace brisko::win
