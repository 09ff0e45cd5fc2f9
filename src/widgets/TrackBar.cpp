#include "widgets/TrackBar.h"

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

ProgressBar::ProgressBar(Container& parent, Bounds bounds)
    : Control(parent, ControlArgs{PROGRESS_CLASSW, "", PBS_SMOOTH, 0, bounds}) {
  SendMessageW(Handle(), PBM_SETRANGE32, 0, 100);
}

int ProgressBar::Position() const { return static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)); }

void ProgressBar::SetPosition(int percent) { SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(percent), 0); }

}  // namespace brisko::win
