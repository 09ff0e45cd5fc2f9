#include "capture/RegionSelect.h"

#include <cstdlib>
#include <utility>

namespace brisko {

namespace {

constexpr int kShapeFreeHand = 2;

constexpr int kHandCursor = 1;
constexpr int kFreeHandCursor = 3;

}  // namespace

void RegionSelection::Start(int shape) {
  shape_ = shape;
  crosshairOn_ = true;
  selecting_ = false;
  crosshair_ = Point{-1, -1};
  crosshairErased_ = false;
  vertexCount_ = 0;
  finished_ = false;
}

Point RegionSelection::Square(Point anchor, Point at) {
  const std::int32_t dx = at.X - anchor.X, dy = at.Y - anchor.Y;
  const std::int32_t d = dx < dy ? dx : dy;
  return Point{anchor.X + d, anchor.Y + d};
}

void RegionSelection::MouseDown(PointerButton button, unsigned shift, Point at, RegionCanvas& canvas) {
  if (finished_) return;
  // Only a plain right press cancels; with a key or another button held it
  // is a selection press like any other.
  if (button == PointerButton::Right && shift == kRightButton) {
    canvas.Cancel();
    return;
  }
  SelectionPress(shift, at, canvas);
}

void RegionSelection::SelectionPress(unsigned shift, Point at, RegionCanvas& canvas) {
  if (shape_ == kShapeFreeHand)
    FreeHandPress(at, canvas);
  else
    CornerPress(shift, at, canvas);
}

void RegionSelection::CornerPress(unsigned shift, Point at, RegionCanvas& canvas) {
  if (!selecting_) {
    crosshairOn_ = false;
    anchor_ = last_ = at;
    selecting_ = true;
    return;
  }
  if (shift == (kShiftKey | kLeftButton)) at = Square(anchor_, at);
  second_ = at;
  selecting_ = false;
  Rect box{anchor_.X, anchor_.Y, second_.X, second_.Y};
  if (box.Right < box.Left) std::swap(box.Left, box.Right);
  if (box.Bottom < box.Top) std::swap(box.Top, box.Bottom);
  Finish(RegionResult{shape_, box, {}}, canvas);
}

void RegionSelection::FreeHandPress(Point at, RegionCanvas& canvas) {
  if (!selecting_) {
    anchor_ = last_ = at;
    selecting_ = true;
    vertices_[0] = at;
    vertexCount_ = 1;
    closeZone_ = Rect{at.X - kCloseZone, at.Y - kCloseZone, at.X + kCloseZone, at.Y + kCloseZone};
    return;
  }
  if (vertexCount_ >= kMaxVertices || PointInRect(at.X, at.Y, closeZone_)) {
    ClosePath(canvas);
    return;
  }
  // The edge that led here stays drawn: the path's placed edges remain.
  anchor_ = last_ = at;
  vertices_[static_cast<std::size_t>(vertexCount_++)] = at;
}

void RegionSelection::ClosePath(RegionCanvas& canvas) {
  selecting_ = false;
  RegionResult result;
  result.shape = shape_;
  result.vertices.assign(vertices_.begin(), vertices_.begin() + vertexCount_);
  Finish(result, canvas);
}

void RegionSelection::Finish(const RegionResult& result, RegionCanvas& canvas) {
  finished_ = true;
  canvas.Complete(result);
}

void RegionSelection::MouseMove(unsigned shift, Point at, RegionCanvas& canvas) {
  if (finished_) return;
  if (shape_ == kShapeFreeHand)
    FreeHandMove(at, canvas);
  else
    CornerMove(shift, at, canvas);
}

void RegionSelection::CornerMove(unsigned shift, Point at, RegionCanvas& canvas) {
  canvas.SetCursorSlot(kHandCursor);
  canvas.RefreshMagnifier(at, kMagnifyRegion);
  if (!selecting_) {
    if (!crosshairOn_) return;
    canvas.SetSizeText("0,0");
    if (crosshair_ != Point{-1, -1}) canvas.InvertCrosshair(crosshair_);
    canvas.InvertCrosshair(at);
    crosshair_ = at;
    return;
  }
  if (!crosshairErased_) {
    if (crosshair_ != Point{-1, -1}) canvas.InvertCrosshair(crosshair_);
    crosshairErased_ = true;
  }
  if (shift == kShiftKey || shift == (kShiftKey | kLeftButton)) at = Square(anchor_, at);
  canvas.InvertFigure(shape_, anchor_, last_);
  canvas.InvertFigure(shape_, anchor_, at);
  canvas.SetSizeText(std::to_string(std::abs(at.X - anchor_.X)) + " X " + std::to_string(std::abs(at.Y - anchor_.Y)));
  last_ = at;
}

void RegionSelection::FreeHandMove(Point at, RegionCanvas& canvas) {
  canvas.RefreshMagnifier(at, kMagnifyFreeHand);
  canvas.SetCursorSlot(kFreeHandCursor);
  if (!selecting_) return;
  if (PointInRect(at.X, at.Y, closeZone_)) canvas.SetCursorSlot(kHandCursor);
  canvas.InvertFigure(shape_, anchor_, last_);
  canvas.InvertFigure(shape_, anchor_, at);
  last_ = at;
}

void RegionSelection::MouseUp(PointerButton button, Point at, RegionCanvas& canvas) {
  if (finished_ || shape_ == kShapeFreeHand || !selecting_ || button != PointerButton::Left) return;
  // A release away from the anchor completes the drag with exactly the
  // rubber band on the screen; at the anchor it waits for a second press.
  if (at != anchor_) SelectionPress(kLeftButton, last_, canvas);
}

void RegionSelection::DoubleClick(RegionCanvas& canvas) {
  if (finished_ || shape_ != kShapeFreeHand || vertexCount_ == 0) return;
  SelectionPress(kLeftButton, vertices_[0], canvas);
}

void RegionSelection::KeyDown(SelectionKey key, RegionCanvas& canvas) {
  if (finished_) return;
  switch (key) {
    case SelectionKey::Enter:
    case SelectionKey::Space: canvas.InjectLeftPress(); break;
    case SelectionKey::Escape: canvas.Cancel(); break;
    case SelectionKey::Left: canvas.MovePointerBy(-1, 0); break;
    case SelectionKey::Up: canvas.MovePointerBy(0, -1); break;
    case SelectionKey::Right: canvas.MovePointerBy(1, 0); break;
    case SelectionKey::Down: canvas.MovePointerBy(0, 1); break;
    case SelectionKey::Other: break;
  }
}

}  // namespace brisko
