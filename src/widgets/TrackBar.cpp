#include "widgets/TrackBar.h"

#include <algorithm>

namespace brisko::win {

namespace {

DWORD TickStyle(TrackBar::Ticks ticks) {
  switch (ticks) {
    case TrackBar::Ticks::Above: return TBS_AUTOTICKS | TBS_TOP;
    case TrackBar::Ticks::None: return TBS_NOTICKS;
    case TrackBar::Ticks::Below: break;
  }
  return TBS_AUTOTICKS | TBS_BOTTOM;
}

}  // namespace

TrackBar::TrackBar(Container& parent, Bounds bounds, int minimum, int maximum, int tickStep, Ticks ticks)
    : Control(parent, ControlArgs{TRACKBAR_CLASSW, "", TBS_HORZ | TickStyle(ticks) | WS_TABSTOP, 0, bounds}) {
  SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, minimum);
  SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, maximum);
  SendMessageW(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(tickStep), 0);
  SendMessageW(Handle(), TBM_SETPAGESIZE, 0, tickStep);
  SetWindowSubclass(Handle(), &TrackBar::WatchRelease, 1, reinterpret_cast<DWORD_PTR>(this));
}

TrackBar::~TrackBar() { RemoveWindowSubclass(Handle(), &TrackBar::WatchRelease, 1); }

int TrackBar::Position() const { return static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0)); }

void TrackBar::SetPosition(int position) { SendMessageW(Handle(), TBM_SETPOS, TRUE, position); }

void TrackBar::HandleScroll(WORD code) {
  if (code != TB_ENDTRACK && OnChange) OnChange();
}

LRESULT CALLBACK TrackBar::WatchRelease(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  auto* bar = reinterpret_cast<TrackBar*>(self);
  // No exception may cross the window procedure.
  if (message == WM_LBUTTONUP && bar->OnRelease) RunGuarded(bar->OnRelease);
  return result;
}

namespace {
// The control's own range: fine enough for a smooth bar on any screen.
constexpr int kProgressSteps = 10000;
}  // namespace

ProgressBar::ProgressBar(Container& parent, Bounds bounds)
    : Control(parent, ControlArgs{PROGRESS_CLASSW, "", PBS_SMOOTH, 0, bounds}) {
  SendMessageW(Handle(), PBM_SETRANGE32, 0, kProgressSteps);
}

void ProgressBar::SetMaximum(std::int64_t maximum) {
  maximum_ = maximum;
  position_ = std::clamp<std::int64_t>(position_, 0, std::max<std::int64_t>(maximum_, 0));
  Redraw();
}

void ProgressBar::SetPosition(std::int64_t position) {
  position_ = std::clamp<std::int64_t>(position, 0, std::max<std::int64_t>(maximum_, 0));
  Redraw();
}

void ProgressBar::Redraw() {
  const double share = maximum_ > 0 ? static_cast<double>(position_) / static_cast<double>(maximum_) : 0.0;
  SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(share * kProgressSteps + 0.5), 0);
}

}  // namespace brisko::win
