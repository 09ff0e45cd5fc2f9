#include "editor/Zoom.h"

#include <numeric>
#include <stdexcept>
#include <vector>

#include "imageops/Resample.h"

namespace brisko {

bool ZoomState::Step(ZoomStep kind) {
  commands_ = ZoomCommands{true, true, true};
  switch (kind) {
    case ZoomStep::StepIn:
      if (tenths_ > 80) {
        commands_.zoomIn = false;
        return false;
      }
      tenths_ += tenths_ >= kActual ? 10 : 1;
      return true;
    case ZoomStep::StepActual:
      commands_.actual = false;
      tenths_ = kActual;
      return true;
    case ZoomStep::StepOut:
      if (tenths_ <= 1) {
        commands_.zoomOut = false;
        return false;
      }
      tenths_ -= tenths_ > kActual ? 10 : 1;
      return true;
  }
  return false;
}

std::int32_t ZoomState::ToView(std::int32_t imageLength) const {
  return static_cast<std::int32_t>(std::int64_t{imageLength} * tenths_ / 10);
}

std::int32_t ZoomState::ToImage(std::int32_t viewCoordinate) const {
  // Integer division truncates toward zero, as the conversion asks.
  return static_cast<std::int32_t>(std::int64_t{viewCoordinate} * 10 / tenths_);
}

std::string ZoomState::PercentText() const { return std::to_string(tenths_ * 10) + "%"; }

namespace {

// One run of whole tiles along an axis: view pixels [viewBegin, viewEnd)
// stretch source pixels [sourceBegin, sourceEnd).
struct Span {
  std::int32_t viewBegin, viewEnd, sourceBegin, sourceEnd;
};

// The tile-aligned runs that cover view pixels [begin, end) of an axis
// whose source is `source` pixels long. Tiles are `viewTile` view pixels
// over `sourceTile` source pixels; the view's last pixels, after the whole
// tiles, stretch the source's last pixels as one short tile.
struct AxisRuns {
  std::vector<Span> spans;
  std::int32_t blockBegin = 0;  // first view pixel of the first run
};

AxisRuns PlanAxis(std::int32_t begin, std::int32_t end, std::int32_t source, std::int32_t view, std::int32_t viewTile,
                  std::int32_t sourceTile) {
  AxisRuns runs;
  const std::int32_t wholeTiles = view / viewTile;
  const std::int32_t wholeEnd = wholeTiles * viewTile;
  const std::int32_t first = begin / viewTile;
  runs.blockBegin = first * viewTile;
  if (first < wholeTiles) {
    const std::int32_t last = std::min(wholeTiles, (end + viewTile - 1) / viewTile);
    runs.spans.push_back(Span{first * viewTile, last * viewTile, first * sourceTile, last * sourceTile});
  }
  if (end > wholeEnd && view > wholeEnd) runs.spans.push_back(Span{wholeEnd, view, wholeTiles * sourceTile, source});
  return runs;
}

}  // namespace

Point RenderZoomedArea(const Bitmap& source, int tenths, const Rect& area, Bitmap& out) {
  if (tenths < 1 || tenths > 90 || (tenths > 10 && tenths % 10 != 0)) throw std::invalid_argument("not a zoom step");
  auto toView = [tenths](std::int32_t length) { return static_cast<std::int32_t>(std::int64_t{length} * tenths / 10); };
  const std::int32_t viewWidth = toView(source.Width()), viewHeight = toView(source.Height());
  const Rect inside = Intersection(area, Rect{0, 0, viewWidth, viewHeight});
  if (inside.IsEmpty()) {
    out = Bitmap();
    return Point{};
  }
  const int g = std::gcd(tenths, 10);
  const std::int32_t viewTile = tenths / g, sourceTile = 10 / g;
  const AxisRuns across = PlanAxis(inside.Left, inside.Right, source.Width(), viewWidth, viewTile, sourceTile);
  const AxisRuns down = PlanAxis(inside.Top, inside.Bottom, source.Height(), viewHeight, viewTile, sourceTile);
  const std::int32_t width = across.spans.back().viewEnd - across.blockBegin;
  const std::int32_t height = down.spans.back().viewEnd - down.blockBegin;
  // Scrolling paints strips of one size after another: keep the block.
  if (out.Width() != width || out.Height() != height || out.Format() != PixelFormat::Bgr24)
    out.Recreate(width, height, PixelFormat::Bgr24);
  for (const Span& row : down.spans)
    for (const Span& column : across.spans)
      ResampleRect(source, Rect{column.sourceBegin, row.sourceBegin, column.sourceEnd, row.sourceEnd}, out,
                   Rect{column.viewBegin - across.blockBegin, row.viewBegin - down.blockBegin,
                        column.viewEnd - across.blockBegin, row.viewEnd - down.blockBegin});
  return Point{inside.Left - across.blockBegin, inside.Top - down.blockBegin};
}

}  // namespace brisko
