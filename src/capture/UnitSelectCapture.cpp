#include "capture/UnitSelectCapture.h"

#include <windowsx.h>

#include "capture/BitmapCut.h"
#include "capture/Grab.h"
#include "capture/MagnifierView.h"
#include "capture/OwnWindows.h"
#include "capture/ShapeCut.h"
#include "capture/UnitMagnifier.h"
#include "capture/UnitPickColor.h"
#include "capture/UnitShowInfo.h"
#include "capture/WindowPicking.h"
#include "hook/MouseHook.h"
#include "widgets/Application.h"
#include "widgets/Dib.h"
#include "widgets/Share.h"

namespace brisko {

namespace {

win::FormArgs OverlayArgs() {
  win::FormArgs args;
  args.className = L"TFrmSelectCapture";
  args.caption = L"SelectCapture";
  args.style = WS_POPUP;
  // No owner: the overlay belongs neither to the main window nor to the
  // application window.
  args.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  args.width = 0;
  args.height = 0;
  args.centred = false;
  args.dialogKeys = false;
  args.background = kBlack;
  return args;
}

Point PointOf(LPARAM position) { return Point{GET_X_LPARAM(position), GET_Y_LPARAM(position)}; }

// The shift state of a pointer event: keys and buttons held.
unsigned ShiftOf(WPARAM keys) {
  unsigned shift = 0;
  if (keys & MK_SHIFT) shift |= kShiftKey;
  if (keys & MK_CONTROL) shift |= kCtrlKey;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltKey;
  if (keys & MK_LBUTTON) shift |= kLeftButton;
  if (keys & MK_RBUTTON) shift |= kRightButton;
  if (keys & MK_MBUTTON) shift |= kMiddleButton;
  return shift;
}

SelectionKey KeyOf(WPARAM key) {
  switch (key) {
    case VK_RETURN: return SelectionKey::Enter;
    case VK_SPACE: return SelectionKey::Space;
    case VK_ESCAPE: return SelectionKey::Escape;
    case VK_LEFT: return SelectionKey::Left;
    case VK_UP: return SelectionKey::Up;
    case VK_RIGHT: return SelectionKey::Right;
    case VK_DOWN: return SelectionKey::Down;
    default: return SelectionKey::Other;
  }
}

}  // namespace

TFrmSelectCapture::TFrmSelectCapture(CaptureProfile& profile, CaptureHost& host)
    : win::Form(OverlayArgs()), profile_(profile), host_(host) {
  SetOwnWindowRole(Handle(), OwnWindowRole::CaptureWindow);
  ExcludeFromScreenCaptures(Handle());
  cursor_ = LoadCursorW(nullptr, IDC_HAND);
  OnTimer = [this](UINT_PTR id) {
    if (id == kTimer1) Timer1Timer();
    if (id == kTimer2) {
      StopTimer(kTimer2);
      autoScroll_.Step();
    }
    if (id == kTimerMenu) TimerMenuTimer();
  };
  // The hook's reports arrive posted, so each is handled between two
  // steps, never inside one.
  OnMessage(hook::kHookMessage, [this](WPARAM what, LPARAM) -> LRESULT {
    autoScroll_.PointerReport(static_cast<unsigned>(what));
    return 0;
  });
  OnMessage(WM_HOTKEY, [this](WPARAM id, LPARAM) -> LRESULT {
    if (static_cast<int>(id) == kEscapeHotKey) autoScroll_.Cancel();
    return 0;
  });
  OnPaint = [this](HDC dc, const RECT& area) { PaintPicture(dc, area); };
  OnKeyDown = [this](WPARAM key, bool& handled) { FormKeyDown(key, handled); };
  OnMessage(WM_ERASEBKGND, [](WPARAM, LPARAM) -> LRESULT { return 1; });
  OnMessage(kFinishFreezing, [this](WPARAM, LPARAM) -> LRESULT {
    FinishFreezing();
    return 0;
  });
  OnMessage(WM_SETCURSOR, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (LOWORD(lParam) != HTCLIENT) return DefWindowProcW(Handle(), WM_SETCURSOR, wParam, lParam);
    SetCursor(cursor_);
    return TRUE;
  });
  auto down = [this](PointerButton button) {
    return [this, button](WPARAM keys, LPARAM position) -> LRESULT {
      Image1MouseDown(button, keys, position);
      return 0;
    };
  };
  auto up = [this](PointerButton button) {
    return [this, button](WPARAM, LPARAM position) -> LRESULT {
      Image1MouseUp(button, position);
      return 0;
    };
  };
  OnMessage(WM_LBUTTONDOWN, down(PointerButton::Left));
  OnMessage(WM_RBUTTONDOWN, down(PointerButton::Right));
  OnMessage(WM_MBUTTONDOWN, down(PointerButton::Middle));
  OnMessage(WM_LBUTTONUP, up(PointerButton::Left));
  OnMessage(WM_RBUTTONUP, up(PointerButton::Right));
  OnMessage(WM_MBUTTONUP, up(PointerButton::Middle));
  OnMessage(WM_MOUSEMOVE, [this](WPARAM keys, LPARAM position) -> LRESULT {
    Image1MouseMove(keys, position);
    return 0;
  });
  OnMessage(WM_LBUTTONDBLCLK, [this](WPARAM keys, LPARAM position) -> LRESULT {
    Image1DblClick(keys, position);
    return 0;
  });
}

void TFrmSelectCapture::ConnectWindows(TFrmShowInfo* info, TFrmMagnifier* magnifier, TFrmPickColor* picker) {
  info_ = info;
  magnifier_ = magnifier;
  picker_ = picker;
}

void TFrmSelectCapture::OutputCapture() {
  interactive_ = false;
  StopObjectCapture();
  brisko::OutputCapture(profile_, host_);
}

void TFrmSelectCapture::EndCapture() {
  interactive_ = false;
  StopObjectCapture();
  brisko::EndCapture(host_);
}

void TFrmSelectCapture::ArmStartTimer(UINT delay) { StartTimer(kTimer1, delay); }

void TFrmSelectCapture::Timer1Timer() {
  // One tick per capture: the timer is disabled before anything else runs.
  StopTimer(kTimer1);
  interactive_ = false;
  Bitmap& captured = profile_.CapturedBitmap;
  switch (profile_.CaptureKind) {
    case kCaptureRegion:
      frozen_.Grab(profile_.CursorFlag);
      selection_.Start(profile_.RegionShape);
      cursor_ = LoadCursorW(nullptr, IDC_HAND);
      magnifierPage_ = profile_.RegionShape == kShapeFreeHand ? MagnifierPage::HandFree : MagnifierPage::Default;
      ShowOverlay();
      break;
    case kCaptureWindowObject:
      // These work on the live screen: it holds none of our windows from
      // the start, as every grab makes sure the screen it reads does.
      KeepOwnWindowsOutOfGrab();
      if (profile_.ObjectMode == kObjectAutoScroll)
        StartAutoScroll();
      else if (profile_.ObjectMode == kObjectMenuTime)
        StartMenuCapture();
      else
        StartWindowPicking();
      break;
    case kCaptureForegroundWindow:
      GrabWindow(GetForegroundWindow(), captured, profile_.CursorFlag);
      OutputCapture();
      break;
    case kCaptureFullScreen:
      GrabScreen(captured, profile_.CursorFlag);
      OutputCapture();
      break;
    case kCapturePickColor:
      frozen_.Grab(profile_.CursorFlag);
      cursor_ = win::Application::Current().CursorSlot(4);
      magnifierPage_ = MagnifierPage::PickColor;
      ShowOverlay();
      break;
    default: EndCapture(); break;
  }
}

void TFrmSelectCapture::StartWindowPicking() {
  // The windows are listed once, before the screen is frozen; pointer
  // moves look the pointer up in the list instead of asking them again.
  ListWindowRecords(records_);
  frozen_.Grab(profile_.CursorFlag);
  highlight_.reset();
  cursor_ = LoadCursorW(nullptr, IDC_HAND);
  magnifierPage_.reset();
  ShowOverlay();
  if (info_) info_->ShowPage(InfoPage::Windows);
}

void TFrmSelectCapture::StartAutoScroll() {
  if (info_) info_->ShowPage(InfoPage::Scroll);
  autoScroll_.Start(profile_.CursorFlag);
  watchingPointer_ = true;
  EnableMouseHook();
  RegisterHotKey(Handle(), kEscapeHotKey, 0, VK_ESCAPE);
}

void TFrmSelectCapture::StartMenuCapture() {
  if (info_) info_->ShowPage(InfoPage::Menu);
  const int shown = info_ ? std::atoi(info_->LblNum1().c_str()) : 0;
  menus_.Start(profile_.MenuTime, shown);
  if (info_) info_->SetCountdown(std::to_string(menus_.Digit()));
  StartTimer(kTimerMenu, kTimerMenuInterval);
}

void TFrmSelectCapture::TimerMenuTimer() {
  StopTimer(kTimerMenu);
  const bool timeUp = menus_.Tick();
  if (info_) info_->SetCountdown(std::to_string(menus_.Digit()));
  if (!timeUp) {
    StartTimer(kTimerMenu, kTimerMenuInterval);
    return;
  }
  // The grab puts the info window away first (without an activation
  // change, so the menus stay open).
  Bitmap picture;
  try {
    picture = menus_.Compose(profile_.CursorFlag, ResolveColour(profile_.BackgroundColor));
  } catch (const std::exception&) {
    picture = Bitmap();
  }
  if (picture.IsEmpty()) {
    EndCapture();
    return;
  }
  profile_.CapturedBitmap = std::move(picture);
  OutputCapture();
}

void TFrmSelectCapture::StopObjectCapture() {
  StopTimer(kTimerMenu);
  StopTimer(kTimer2);
  if (autoScroll_.Active()) autoScroll_.Abandon();
  scrollHost_.StopWatchingPointer();
}

void TFrmSelectCapture::ScrollHost::HideInfo() {
  if (overlay_.info_) overlay_.info_->Hide();
}

bool TFrmSelectCapture::ScrollHost::JumpIfInfo(HWND window) {
  if (!overlay_.info_ || !overlay_.info_->IsJumpArea(window)) return false;
  overlay_.info_->PnlWindowsMouseMove();
  return true;
}

void TFrmSelectCapture::ScrollHost::StopWatchingPointer() {
  if (!overlay_.watchingPointer_) return;
  overlay_.watchingPointer_ = false;
  DisableMouseHook();
  UnregisterHotKey(overlay_.Handle(), kEscapeHotKey);
}

void TFrmSelectCapture::ScrollHost::Finished(Bitmap picture) {
  if (picture.IsEmpty()) {
    overlay_.EndCapture();
    return;
  }
  // The stitched rows become the captured picture as they are.
  overlay_.profile_.CapturedBitmap = std::move(picture);
  overlay_.OutputCapture();
}

void TFrmSelectCapture::PickAt(Point at) {
  SetCursor(cursor_);
  const Rect found = RecordUnderPoint(at.X, at.Y, records_.Records(), GetSystemMetrics(SM_CXSCREEN),
                                      GetSystemMetrics(SM_CYSCREEN));
  if (highlight_ && *highlight_ == found) return;
  constexpr int kPenWidth = 4;
  constexpr Colour kFramePen = MakeColour(255, 0, 0);
  if (highlight_ && *highlight_ != kNothingFramed) NotXorFrame(picture_, *highlight_, kPenWidth, kFramePen, damage_);
  if (found != kNothingFramed) NotXorFrame(picture_, found, kPenWidth, kFramePen, damage_);
  highlight_ = found;
  RepaintDamage();
}

void TFrmSelectCapture::ShowOverlay() {
  pictureReady_ = false;
  damage_.Clear();
  interactive_ = true;
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
               SWP_SHOWWINDOW);
  InvalidateRect(Handle(), nullptr, FALSE);
  UpdateWindow(Handle());
  SetForegroundWindow(Handle());
  SetFocus(Handle());
  PostMessageW(Handle(), kFinishFreezing, 0, 0);
}

void TFrmSelectCapture::FinishFreezing() {
  if (!interactive_ || pictureReady_) return;
  // Pixels are always cut from the CapturedBitmap, never from the picture
  // with the rubber bands on it. Both keep their memory from one capture
  // to the next.
  frozen_.CopyTo(profile_.CapturedBitmap);
  picture_.ReshapeForOverwrite(0, 0, PixelFormat::Bgrx32);
  frozen_.CopyTo(picture_);
  pictureReady_ = true;
  if (magnifier_ && magnifierPage_) magnifier_->ShowOverOverlay(*magnifierPage_);
  magnifierPage_.reset();
  // Activating the overlay may have raised it over the info window.
  if (info_ && profile_.CaptureKind == kCaptureWindowObject && IsWindowVisible(info_->Handle()))
    info_->ShowPage(info_->Page());
}

void TFrmSelectCapture::PaintPicture(HDC dc, const RECT& area) {
  if (!pictureReady_) {
    frozen_.Paint(dc, area);
    return;
  }
  if (picture_.IsEmpty()) {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return;
  }
  // Only the asked-for rows go to the device.
  const win::DibInfo info = win::DibInfoFor(picture_);
  const int top = std::max<LONG>(area.top, 0), bottom = std::min<LONG>(area.bottom, picture_.Height());
  if (bottom <= top) return;
  win::DibInfo band = info;
  band.header.biHeight = -(bottom - top);
  SetDIBitsToDevice(dc, area.left, top, static_cast<DWORD>(area.right - area.left), static_cast<DWORD>(bottom - top),
                    area.left, 0, 0, static_cast<UINT>(bottom - top), picture_.Row(top), band.Get(), DIB_RGB_COLORS);
}

void TFrmSelectCapture::RepaintDamage() {
  if (damage_.Empty()) return;
  win::WindowDC dc(Handle());
  for (const Rect& r : damage_.Rects(picture_.Width(), picture_.Height()))
    PaintPicture(dc.Get(), RECT{r.Left, r.Top, r.Right, r.Bottom});
  damage_.Clear();
}

void TFrmSelectCapture::Image1MouseDown(PointerButton button, WPARAM keys, LPARAM position) {
  if (!interactive_) return;
  FinishFreezing();
  const Point at = PointOf(position);
  const unsigned shift = ShiftOf(keys);
  if (profile_.CaptureKind == kCapturePickColor) {
    if (button == PointerButton::Right && shift == kRightButton)
      EndCapture();
    else
      PickColorPress();
    return;
  }
  if (profile_.CaptureKind == kCaptureWindowObject) {
    if (button == PointerButton::Right && shift == kRightButton) {
      EndCapture();
      return;
    }
    // The press takes what lies under it, moved to or not; with nothing
    // framed there is nothing to take.
    PickAt(at);
    if (!highlight_ || *highlight_ == kNothingFramed || highlight_->IsEmpty()) return;
    // The frame is on the picture only; the captured bitmap has none.
    CropBitmap(profile_.CapturedBitmap, *highlight_);
    OutputCapture();
    return;
  }
  selection_.MouseDown(button, shift, at, canvas_);
  RepaintDamage();
}

void TFrmSelectCapture::Image1MouseMove(WPARAM keys, LPARAM position) {
  if (!interactive_) return;
  FinishFreezing();
  const Point at = PointOf(position);
  if (profile_.CaptureKind == kCapturePickColor) {
    UseCursorSlot(4);
    Magnify(at, kMagnifierPickColour);
    if (at.X >= 0 && at.Y >= 0 && at.X < picture_.Width() && at.Y < picture_.Height()) {
      const Colour c = profile_.CapturedBitmap.PixelAt(at.X, at.Y);
      if (magnifier_) magnifier_->ShowColour(c);
      if (picker_) picker_->ShowPicked(c);
    }
    return;
  }
  if (profile_.CaptureKind == kCaptureWindowObject) {
    PickAt(at);
    return;
  }
  selection_.MouseMove(ShiftOf(keys), at, canvas_);
  RepaintDamage();
}

void TFrmSelectCapture::Image1MouseUp(PointerButton button, LPARAM position) {
  if (!interactive_ || profile_.CaptureKind != kCaptureRegion) return;
  FinishFreezing();
  selection_.MouseUp(button, PointOf(position), canvas_);
  RepaintDamage();
}

void TFrmSelectCapture::Image1DblClick(WPARAM keys, LPARAM position) {
  if (!interactive_) return;
  if (profile_.CaptureKind == kCaptureRegion) {
    selection_.DoubleClick(canvas_);
    RepaintDamage();
  }
  // The second press of a double click is a press like any other.
  if (interactive_) Image1MouseDown(PointerButton::Left, keys, position);
}

void TFrmSelectCapture::FormKeyDown(WPARAM key, bool& handled) {
  if (!interactive_ && profile_.CaptureKind != kCaptureWindowObject) return;
  FinishFreezing();
  handled = true;
  if (profile_.CaptureKind == kCaptureRegion) {
    selection_.KeyDown(KeyOf(key), canvas_);
    RepaintDamage();
  } else if (profile_.CaptureKind == kCaptureWindowObject && key == VK_ESCAPE) {
    EndCapture();
  }
}

void TFrmSelectCapture::PickColorPress() {
  interactive_ = false;
  PutCaptureWindowsAway();
  BringBackUserWindows();
  if (picker_) {
    picker_->Show();
    SetForegroundWindow(picker_->Handle());
  }
  if (profile_.SoundFlag) PlayCaptureSound(profile_.SoundFile);
}

void TFrmSelectCapture::DrawCrosshair(Point at) { InvertCrosshair(picture_, at, damage_); }

void TFrmSelectCapture::DrawFigure(int shape, Point from, Point to) {
  switch (shape) {
    case kShapeRectangle: InvertPixels(picture_, RectangleOutlinePixels(from, to), damage_); break;
    case kShapeElliptic: InvertPixels(picture_, EllipseOutlinePixels(from, to), damage_); break;
    default: InvertPixels(picture_, LinePixels(from, to), damage_); break;
  }
}

void TFrmSelectCapture::UseCursorSlot(int slot) {
  HCURSOR cursor = win::Application::Current().CursorSlot(slot);
  if (!cursor || cursor == cursor_) return;
  cursor_ = cursor;
  SetCursor(cursor_);
}

void TFrmSelectCapture::ShowSize(const std::string& text) {
  if (magnifier_) magnifier_->SetSizeText(text);
}

void TFrmSelectCapture::Magnify(Point at, int mode) {
  if (!magnifier_) return;
  magnifier_->KeepAbove(Handle());
  magnifier_->MagnifierRefresh(profile_.CapturedBitmap, at.X, at.Y, mode);
}

void TFrmSelectCapture::CutRegion(const RegionResult& result) {
  Bitmap& captured = profile_.CapturedBitmap;
  const Colour background = ResolveColour(profile_.BackgroundColor);
  switch (result.shape) {
    case kShapeRectangle: CropBitmap(captured, result.box); break;
    case kShapeElliptic: captured = CutEllipse(captured, result.box, background); break;
    default: {
      const Rect box = PathBounds(result.vertices, captured.Width(), captured.Height());
      captured = CutPolygon(captured, result.vertices, box, background);
      break;
    }
  }
  OutputCapture();
}

void TFrmSelectCapture::PressAtPointer() {
  // Only the press: the release is left to the user, as the key is.
  INPUT press{};
  press.type = INPUT_MOUSE;
  press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &press, sizeof press);
}

void TFrmSelectCapture::MovePointer(int dx, int dy) {
  POINT p{};
  GetCursorPos(&p);
  SetCursorPos(p.x + dx, p.y + dy);
}

}  // namespace brisko
