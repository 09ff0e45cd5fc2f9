#include "capture/AutoScroll.h"

#include <climits>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "capture/Grab.h"
#include "capture/WindowPicking.h"
#include "widgets/Handles.h"

namespace brisko {

namespace {

constexpr DWORD kSettleMs = 10;
// A target that does not handle a scroll request within this time counts
// as gone: the capture must not hang on a hung window.
constexpr UINT kScrollTimeoutMs = 2000;
constexpr int kFrameWidth = 8;
// A window's repaint may reach the screen some time after the scroll
// request returns (Wine puts every window's drawing on the screen in
// batches, about every 50 ms). A band that still shows the content before
// the scroll is grabbed again, up to this many waits of kSettleMs.
constexpr int kMaxRepaintWaits = 20;
// Content that repeats itself looks unchanged after a scroll as well; when
// waiting has found no repaint this often, the screen is taken as it is.
constexpr int kMaxFruitlessWaits = 3;
// Removing the frame is waited for once per capture, across more than one
// of Wine's drawing batches.
constexpr DWORD kFrameSettleMs = 60;
constexpr int kMaxFrameWaits = 5;

bool SamePixels(const Bitmap& a, const Bitmap& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.Format() == b.Format() &&
         std::memcmp(a.Data(), b.Data(), a.ByteSize()) == 0;
}

}  // namespace

void AutoScroll::Start(bool withCursor) {
  active_ = true;
  withCursor_ = withCursor;
  target_ = nullptr;
  scrolling_ = false;
  plan_.reset();
  progress_.reset();
}

void AutoScroll::PointerReport(unsigned what) {
  if (!active_) return;
  switch (what) {
    case 1:
      if (scrolling_)
        OutputStitched();
      else if (target_ && IsWindow(target_))
        StartStepping(target_);
      // A click with nothing framed is not a choice of window: ignored.
      break;
    case 2: Cancel(); break;
    case 3:
      if (!scrolling_) FrameWindowUnderPointer();
      break;
    default: break;
  }
}

void AutoScroll::Cancel() {
  if (!active_) return;
  Abandon();
  host_.Cancelled();
}

void AutoScroll::Abandon() {
  if (!active_) return;
  if (target_) RemoveFrame(target_);
  Leave();
  stitcher_.Take();
  ReleaseBands();
}

void AutoScroll::ReleaseBands() {
  strip_ = Bitmap();
  previous_ = Bitmap();
}

void AutoScroll::FrameWindowUnderPointer() {
  POINT at{};
  if (!GetCursorPos(&at)) return;
  HWND window = WindowUnderPoint(at);
  // The info window gets out of the way; what lies under the pointer then
  // is what the user points at.
  if (host_.JumpIfInfo(window)) window = WindowUnderPoint(at);
  if (!window || IsOfThisProgram(window) || window == target_) return;
  if (target_) RemoveFrame(target_);
  target_ = window;
  DrawFrame(target_);
}

void AutoScroll::DrawFrame(HWND window) {
  const auto box = WindowRectOf(window);
  if (!box) return;
  win::WindowDC dc(window, win::WindowDC::Area::WholeWindow);
  if (!dc) return;
  win::ScopedPen pen(CreatePen(PS_SOLID, kFrameWidth, RGB(255, 0, 0)));
  win::SelectedObject usePen(dc.Get(), pen.Get());
  win::SelectedObject useBrush(dc.Get(), GetStockObject(NULL_BRUSH));
  Rectangle(dc.Get(), 0, 0, box->Width(), box->Height());
}

void AutoScroll::RemoveFrame(HWND window) {
  if (!IsWindow(window)) return;
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

bool AutoScroll::ScrollTarget(WPARAM code) {
  DWORD_PTR ignored = 0;
  const bool handled = IsWindow(target_) && SendMessageTimeoutW(target_, WM_VSCROLL, code, 0, SMTO_ABORTIFHUNG,
                                                                 kScrollTimeoutMs, &ignored);
  Sleep(kSettleMs);
  return handled;
}

std::optional<ScrollInfo> AutoScroll::ReadScroll() const {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(target_, SB_VERT, &info)) return std::nullopt;
  return ScrollInfo{info.nMin, info.nMax, static_cast<std::int32_t>(std::min<UINT>(info.nPage, INT_MAX)), info.nPos};
}

void AutoScroll::StartStepping(HWND target) {
  target_ = target;
  RemoveFrame(target_);
  WaitUntilFrameIsGone();
  SetForegroundWindow(target_);
  ScrollTarget(SB_TOP);
  strip_ = Bitmap(0, 0, PixelFormat::Bgrx32);
  previous_ = Bitmap(0, 0, PixelFormat::Bgrx32);
  fruitlessWaits_ = 0;
  plan_.reset();
  progress_.reset();
  scrolling_ = true;
  host_.ArmStep();
  host_.HideInfo();
}

void AutoScroll::Step() {
  if (!active_ || !scrolling_) return;
  // A step that fails (the target closed, a grab refused) ends the
  // stepping: nothing more is appended; the next left click outputs what
  // is stitched and a right click cancels.
  bool goOn = false;
  try {
    goOn = plan_ ? LaterStep() : FirstStep();
  } catch (const std::exception&) {
    goOn = false;
  }
  if (goOn && active_) host_.ArmStep();
}

bool AutoScroll::FirstStep() {
  if (!ScrollTarget(SB_LINEDOWN)) return false;
  const auto window = WindowRectOf(target_);
  if (!window) return false;
  const auto info = ReadScroll();
  const Rect frame = ScrollFrame(*window, info.value_or(ScrollInfo{}));
  plan_ = PlanScroll(frame, info);
  if (!plan_) {
    // Content that needs no scrolling, or a window that cannot say how far
    // it scrolls: the frame in one grab.
    Rect visible = frame;
    ClipRectToScreen(visible);
    Bitmap whole(0, 0, PixelFormat::Bgrx32);
    GrabRect(whole, visible, withCursor_);
    Leave();
    host_.Finished(std::move(whole));
    return false;
  }
  // The head as it stands one line down, to tell when the top shows.
  Bitmap head(0, 0, PixelFormat::Bgrx32);
  GrabRect(previous_, plan_->Head(), false);
  if (!ScrollTarget(SB_TOP)) return false;
  GrabOnceChanged(head, plan_->Head(), previous_);
  GrabRect(previous_, plan_->Band(), false);
  // The frame leaves a fixed allowance for the scroll bar, which with the
  // window's border may be wider: the columns where its thumb could show
  // are left out of matching the bands.
  const std::int32_t matchColumns =
      frame.Right < window->Right ? std::max(1, frame.Width() - GetSystemMetrics(SM_CXVSCROLL)) : frame.Width();
  stitcher_.Start(std::move(head), ReservedRows(*plan_, *info), matchColumns);
  progress_.emplace(*plan_);
  return true;
}

bool AutoScroll::LaterStep() {
  if (!ScrollTarget(SB_LINEDOWN)) return false;
  switch (progress_->After(ReadScroll())) {
    case StepOutcome::Band:
      Append(plan_->Band(), plan_->Guard);
      return true;
    case StepOutcome::Stalled: return true;
    case StepOutcome::EndOfRange:
      // The usual band first, only to know the last scroll is on the
      // screen.
      GrabOnceChanged(strip_, plan_->Band(), previous_);
      Append(progress_->EndBand(), progress_->EndGuard());
      OutputStitched();
      return false;
  }
  return false;
}

void AutoScroll::Append(const Rect& band, std::int32_t expected) {
  // The target may have closed since the line-down: its pixels are gone.
  if (!IsWindow(target_)) throw std::runtime_error("the scrolled window has closed");
  if (band == plan_->Band()) {
    GrabOnceChanged(strip_, band, previous_);
    stitcher_.Append(strip_, expected);
    std::swap(strip_, previous_);
  } else {
    GrabRect(strip_, band, false);
    stitcher_.Append(strip_, expected);
  }
}

void AutoScroll::GrabOnceChanged(Bitmap& into, const Rect& area, const Bitmap& before) {
  GrabRect(into, area, false);
  if (fruitlessWaits_ >= kMaxFruitlessWaits) return;
  for (int wait = 0; SamePixels(into, before); ++wait) {
    if (wait == kMaxRepaintWaits) {
      ++fruitlessWaits_;
      return;
    }
    WaitForRepaint(kSettleMs);
    GrabRect(into, area, false);
  }
}

void AutoScroll::WaitUntilFrameIsGone() {
  // Where the window's repaint reaches the screen later, the frame first
  // gives way to the bare background and only then to the window's own
  // border: the window counts as repainted when it looks the same across
  // more than one of Wine's drawing batches.
  const auto box = WindowRectOf(target_);
  if (!box) return;
  Rect visible = *box;
  ClipRectToScreen(visible);
  Bitmap before(0, 0, PixelFormat::Bgrx32), now(0, 0, PixelFormat::Bgrx32);
  GrabRect(before, visible, false);
  for (int wait = 0; wait < kMaxFrameWaits; ++wait) {
    WaitForRepaint(kFrameSettleMs);
    GrabRect(now, visible, false);
    if (SamePixels(before, now)) return;
    std::swap(before, now);
  }
}

void AutoScroll::WaitForRepaint(DWORD milliseconds) {
  // A message through the target's queue: a program that puts its drawing
  // on the screen only between messages (Wine does so for every window)
  // gets the chance to.
  DWORD_PTR ignored = 0;
  if (IsWindow(target_)) SendMessageTimeoutW(target_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kScrollTimeoutMs, &ignored);
  Sleep(milliseconds);
}

void AutoScroll::OutputStitched() {
  if (target_) RemoveFrame(target_);
  Leave();
  Bitmap picture = stitcher_.Take();
  ReleaseBands();
  if (picture.IsEmpty())
    host_.Cancelled();
  else
    host_.Finished(std::move(picture));
}

void AutoScroll::Leave() {
  if (!active_) return;
  active_ = false;
  scrolling_ = false;
  host_.StopWatchingPointer();
}

}  // namespace brisko
