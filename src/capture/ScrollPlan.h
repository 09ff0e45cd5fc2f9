#pragma once

#include <cstdint>
#include <optional>

#include "core/Geometry.h"

// The arithmetic of an auto-scroll capture: which part of the window is
// captured, how many pixel rows one line-down moves, which screen band each
// step grabs, and when the stepping ends.
namespace brisko {

// The vertical scroll bar's state, as the window reports it.
struct ScrollInfo {
  std::int32_t Min = 0;
  std::int32_t Max = 0;
  std::int32_t Page = 0;
  std::int32_t Pos = 0;
};

// Width left out on the right for the vertical scroll bar.
inline constexpr std::int32_t kScrollBarAllowance = 20;

// The captured frame F: the window's rectangle, less the scroll bar's
// allowance when the page is smaller than the maximum.
Rect ScrollFrame(const Rect& window, const ScrollInfo& info);

struct ScrollPlan {
  Rect Frame;            // F
  std::int32_t Height;   // H = F's height
  std::int32_t Step;     // s: pixel rows one line-down moves
  std::int32_t Middle;   // the screen row where the strip starts
  Rect Strip;            // S = (F.left, middle, F.right, middle + s)
  std::int32_t Guard;    // rows grabbed above S to find where a band joins
  // The head: from F's top to S's bottom.
  Rect Head() const { return Rect{Frame.Left, Frame.Top, Frame.Right, Strip.Bottom}; }
  // What a step grabs: S with the guard rows above it.
  Rect Band() const { return Rect{Strip.Left, Strip.Top - Guard, Strip.Right, Strip.Bottom}; }
};

// The plan from the scroll state after a single line-down from the top;
// nothing when the content needs no scrolling or the state cannot give a
// step: no scroll information, a maximum below the page, a page of 0, a
// frame without height, a step of no rows.
std::optional<ScrollPlan> PlanScroll(const Rect& frame, const std::optional<ScrollInfo>& afterLineDown);

// Rows to reserve for the whole result: the head, one step per line of the
// scroll range and the rows below S.
std::int32_t ReservedRows(const ScrollPlan& plan, const ScrollInfo& info);

enum class StepOutcome {
  Band,        // the content moved: grab the band and append it
  Stalled,     // the position did not advance: nothing appended
  EndOfRange,  // the last band: grab EndBand() and append it, then output
};

// The later steps, one line-down each.
class ScrollProgress {
 public:
  // So many steps in a row without progress end the capture as at the end
  // of the range.
  static constexpr int kMaxStalledSteps = 50;

  explicit ScrollProgress(const ScrollPlan& plan) : plan_(plan) {}

  // The scroll state read after this step's line-down (nothing when it
  // could not be read: a stalled step).
  StepOutcome After(const std::optional<ScrollInfo>& info);

  // The end band, valid after EndOfRange: from the old end of the content,
  // which lies n rows higher now, to F's bottom, with guard rows above.
  Rect EndBand() const;
  // The rows moved by the last scroll (n).
  std::int32_t EndRows() const { return endRows_; }
  // Where in EndBand() the new rows start when the arithmetic holds.
  std::int32_t EndGuard() const { return endGuard_; }

 private:
  ScrollPlan plan_;
  std::int32_t lastPos_ = 0;
  int stalled_ = 0;
  std::int32_t endRows_ = 0;
  std::int32_t endGuard_ = 0;
};

}  // namespace brisko
