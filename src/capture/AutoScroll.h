#pragma once

#include <windows.h>

#include <optional>

#include "capture/ScrollPlan.h"
#include "capture/Stitcher.h"
#include "core/Bitmap.h"

// Auto-scroll capture: the user points at a scrollable window (framed in
// red on the live screen) and clicks; the window is scrolled from its top
// one line at a time, and after each line the band that came into view is
// grabbed and stitched below the rest, until the end of the range or the
// next click.
namespace brisko {

// What the capture asks of the window that runs it.
class AutoScrollHost {
 public:
  virtual ~AutoScrollHost() = default;
  // The next step, one timer tick from now.
  virtual void ArmStep() = 0;
  virtual void HideInfo() = 0;
  // Whether the window is part of the info window; if so it jumps away.
  virtual bool JumpIfInfo(HWND window) = 0;
  // The pointer reports end: called once per capture, on every way out.
  virtual void StopWatchingPointer() = 0;
  // The stitched picture, for the output.
  virtual void Finished(Bitmap picture) = 0;
  // Nothing to output.
  virtual void Cancelled() = 0;
};

class AutoScroll {
 public:
  explicit AutoScroll(AutoScrollHost& host) : host_(host) {}

  // Pointing begins: no target, nothing stitched. The host watches the
  // pointer from now on.
  void Start(bool withCursor);
  // A pointer report: 1 left press, 2 right press, 3 moved.
  void PointerReport(unsigned what);
  // One step of the stepping, on the step timer's tick.
  void Step();
  // Cancels whatever runs (a right press, Esc).
  void Cancel();
  // Ends the capture without a word to the host: the frame goes, the
  // pointer reports end, memory is let go.
  void Abandon();

  bool Active() const { return active_; }
  bool Scrolling() const { return scrolling_; }
  HWND Target() const { return target_; }

  // Starts the stepping on this window at once, as a left click on it
  // would.
  void StartStepping(HWND target);

 private:
  void FrameWindowUnderPointer();
  void DrawFrame(HWND window);
  void RemoveFrame(HWND window);
  bool ScrollTarget(WPARAM code);
  std::optional<ScrollInfo> ReadScroll() const;
  bool FirstStep();
  bool LaterStep();
  void Append(const Rect& band, std::int32_t expected);
  // Grabs the area; while it still shows what `before` holds, waits and
  // grabs again, a few times at most.
  void GrabOnceChanged(Bitmap& into, const Rect& area, const Bitmap& before);
  void WaitForRepaint(DWORD milliseconds);
  // Waits until the target, repainted without the frame, looks steady.
  void WaitUntilFrameIsGone();
  void OutputStitched();
  void ReleaseBands();
  void Leave();

  AutoScrollHost& host_;
  bool active_ = false;
  bool withCursor_ = false;
  HWND target_ = nullptr;
  bool scrolling_ = false;
  std::optional<ScrollPlan> plan_;
  std::optional<ScrollProgress> progress_;
  // The band of each step and the one before it, created at the click and
  // reused by every step.
  Bitmap strip_;
  Bitmap previous_;
  // Waits for a repaint that did not come, so far in this capture.
  int fruitlessWaits_ = 0;
  Stitcher stitcher_;
};

}  // namespace brisko
