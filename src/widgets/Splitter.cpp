#include "widgets/Splitter.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

namespace brisko::win {

namespace {

// Drags shorter than this are clicks.
constexpr int kClickSlop = 3;

}  // namespace

Splitter::Splitter(Container& parent, Bounds bounds, Orientation orientation, bool collapsible)
    : Control(parent, ControlArgs{L"STATIC", "", SS_NOTIFY, 0, bounds}),
      orientation_(orientation),
      collapsible_(collapsible) {
  SetWindowSubclass(Control::Handle(), &Splitter::Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

Splitter::~Splitter() { RemoveWindowSubclass(Control::Handle(), &Splitter::Proc, 1); }

void Splitter::SetCollapsed(bool collapsed) {
  collapsed_ = collapsed;
  Invalidate();
}

RECT Splitter::GripRect() const {
  RECT r{};
  GetClientRect(Control::Handle(), &r);
  if (!collapsible_) return RECT{};
  const int length = parent_.Scale(40);
  if (orientation_ == Orientation::Vertical) {
    const int mid = (r.top + r.bottom) / 2;
    return RECT{r.left, mid - length / 2, r.right, mid + length / 2};
  }
  const int mid = (r.left + r.right) / 2;
  return RECT{mid - length / 2, r.top, mid + length / 2, r.bottom};
}

int Splitter::Along(LPARAM lParam) const {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(Control::Handle(), &p);
  return orientation_ == Orientation::Vertical ? p.x : p.y;
}

void Splitter::Paint(HDC dc) {
  RECT r{};
  GetClientRect(Control::Handle(), &r);
  FillRect(dc, &r, parent_.BackgroundBrush());
  // Two etched grooves along the bar.
  RECT groove = r;
  if (orientation_ == Orientation::Vertical) {
    const int mid = (r.left + r.right) / 2;
    groove = RECT{mid - 1, r.top + 2, mid + 1, r.bottom - 2};
  } else {
    const int mid = (r.top + r.bottom) / 2;
    groove = RECT{r.left + 2, mid - 1, r.right - 2, mid + 1};
  }
  DrawEdge(dc, &groove, EDGE_ETCHED, orientation_ == Orientation::Vertical ? BF_LEFT : BF_TOP);
  if (!collapsible_) return;
  RECT grip = GripRect();
  FillRect(dc, &grip, GetSysColorBrush(COLOR_3DSHADOW));
  InflateRect(&grip, -1, -1);
  FillRect(dc, &grip, GetSysColorBrush(COLOR_3DFACE));
  // The arrow points where a click sends the part before the bar.
  const bool towardStart = !collapsed_;
  const int cx = (grip.left + grip.right) / 2, cy = (grip.top + grip.bottom) / 2;
  const int size = std::max(2, parent_.Scale(3));
  POINT arrow[3];
  if (orientation_ == Orientation::Vertical) {
    const int tip = towardStart ? cx - size / 2 - 1 : cx + size / 2 + 1;
    const int base = towardStart ? tip + size : tip - size;
    arrow[0] = POINT{tip, cy};
    arrow[1] = POINT{base, cy - size};
    arrow[2] = POINT{base, cy + size};
  } else {
    const int tip = towardStart ? cy - size / 2 - 1 : cy + size / 2 + 1;
    const int base = towardStart ? tip + size : tip - size;
    arrow[0] = POINT{cx, tip};
    arrow[1] = POINT{cx - size, base};
    arrow[2] = POINT{cx + size, base};
  }
  SelectedObject brush(dc, GetSysColorBrush(COLOR_BTNTEXT));
  SelectedObject pen(dc, GetStockObject(NULL_PEN));
  Polygon(dc, arrow, 3);
}

LRESULT Splitter::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = Control::Handle();
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      Paint(dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(window, &p);
      const RECT grip = GripRect();
      const bool onGrip = PtInRect(&grip, p) != FALSE;
      const bool canDrag = !collapsed_;
      SetCursor(LoadCursorW(nullptr, onGrip                                  ? IDC_HAND
                                     : !canDrag                              ? IDC_ARROW
                                     : orientation_ == Orientation::Vertical ? IDC_SIZEWE
                                                                             : IDC_SIZENS));
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      dragging_ = true;
      moved_ = false;
      pressAt_ = Along(lParam);
      SetCapture(window);
      RunGuarded(OnDragStart);
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_) {
        const int offset = Along(lParam) - pressAt_;
        if (std::abs(offset) > kClickSlop) moved_ = true;
        if (moved_ && !collapsed_ && OnDrag) RunGuarded([&] { OnDrag(offset); });
      }
      return 0;
    case WM_LBUTTONUP: {
      if (!dragging_) return 0;
      dragging_ = false;
      ReleaseCapture();
      const RECT grip = GripRect();
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (!moved_ && collapsible_ && PtInRect(&grip, p)) {
        RunGuarded(OnToggle);
      } else if (moved_ && !collapsed_) {
        RunGuarded(OnDragEnd);
      }
      return 0;
    }
    case WM_CAPTURECHANGED: dragging_ = false; break;
    default: break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK Splitter::Proc(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<Splitter*>(self)->HandleMessage(message, wParam, lParam);
}

}  // namespace brisko::win
