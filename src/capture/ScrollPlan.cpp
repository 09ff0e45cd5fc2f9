#include "capture/ScrollPlan.h"

#include <algorithm>

#include "core/Bitmap.h"

namespace brisko {

namespace {

// Pixel rows that `lines` scroll lines move: the page of `page` lines fills
// the frame's `height` rows. Truncated toward zero, in 64 bits so a large
// position times a tall frame cannot overflow.
std::int64_t RowsForLines(std::int32_t height, std::int64_t lines, std::int32_t page) {
  return std::int64_t{height} * lines / page;
}

// Guard rows above the end band's new rows: a step's worth, as far as the
// frame reaches above the old end of the content.
std::int32_t EndGuardFor(const ScrollPlan& plan, std::int32_t endRows) {
  return std::max(0, std::min(plan.Step, plan.Strip.Bottom - endRows - plan.Frame.Top));
}

}  // namespace

Rect ScrollFrame(const Rect& window, const ScrollInfo& info) {
  Rect frame = window;
  // A page smaller than the range means the scroll bar is shown.
  if (info.Page < info.Max) frame.Right -= kScrollBarAllowance;
  return frame;
}

std::optional<ScrollPlan> PlanScroll(const Rect& frame, const std::optional<ScrollInfo>& afterLineDown) {
  if (!afterLineDown) return std::nullopt;
  const ScrollInfo& info = *afterLineDown;
  if (info.Max < info.Page || info.Page <= 0) return std::nullopt;
  const std::int32_t height = frame.Bottom - frame.Top;
  if (height <= 0) return std::nullopt;
  const std::int32_t middle = frame.Bottom - height / 2;
  // The strip starts at the middle, so a line that moves more than half the
  // frame could only be grabbed below the frame: the step is capped at the
  // rows from the middle to the frame's bottom.
  const auto step = static_cast<std::int32_t>(
      std::min<std::int64_t>(RowsForLines(height, info.Pos, info.Page), frame.Bottom - middle));
  if (step <= 0) return std::nullopt;
  ScrollPlan plan{};
  plan.Frame = frame;
  plan.Height = height;
  plan.Step = step;
  plan.Middle = middle;
  plan.Strip = Rect{frame.Left, middle, frame.Right, middle + step};
  plan.Guard = std::max(0, std::min(step, plan.Strip.Top - frame.Top));
  return plan;
}

std::int32_t ReservedRows(const ScrollPlan& plan, const ScrollInfo& info) {
  const std::int64_t head = plan.Strip.Bottom - plan.Frame.Top;
  const std::int64_t steps = std::int64_t{info.Max} - info.Page + 1;
  // The end band closes the picture with the rows below S.
  const std::int64_t tail = plan.Frame.Bottom - plan.Strip.Bottom;
  const std::int64_t rows = head + steps * plan.Step + tail;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(rows, 0, kMaxBitmapSide));
}

StepOutcome ScrollProgress::After(const std::optional<ScrollInfo>& read) {
  // A state without a page cannot turn lines into rows: as good as unread.
  const std::optional<ScrollInfo> info = read && read->Page > 0 ? read : std::nullopt;
  if (info && std::int64_t{info->Pos} + info->Page > info->Max) {
    const std::int64_t lines = std::max<std::int64_t>(0, std::int64_t{info->Pos} - lastPos_);
    const std::int64_t moved = RowsForLines(plan_.Height, lines, info->Page);
    endRows_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(moved, 0, plan_.Strip.Bottom - plan_.Frame.Top));
    endGuard_ = EndGuardFor(plan_, endRows_);
    return StepOutcome::EndOfRange;
  }
  if (!info || info->Pos <= lastPos_) {
    // A window that stops moving without reaching the end of its range
    // would keep the capture stepping forever.
    if (++stalled_ < kMaxStalledSteps) return StepOutcome::Stalled;
    endRows_ = 0;
    endGuard_ = EndGuardFor(plan_, endRows_);
    return StepOutcome::EndOfRange;
  }
  stalled_ = 0;
  lastPos_ = info->Pos;
  return StepOutcome::Band;
}

Rect ScrollProgress::EndBand() const {
  return Rect{plan_.Strip.Left, plan_.Strip.Bottom - endRows_ - endGuard_, plan_.Frame.Right, plan_.Frame.Bottom};
}

}  // namespace brisko
