#include "editor/CropMath.h"

#include "core/Helpers.h"

namespace brisko {

void OrderCorners(Point& start, Point& end) {
  OrderPair(start.X, end.X);
  OrderPair(start.Y, end.Y);
}

Rect SelectionFromBand(Point start, Point end, Point viewOrigin) {
  OrderCorners(start, end);
  return Rect{viewOrigin.X + start.X, viewOrigin.Y + start.Y, viewOrigin.X + end.X, viewOrigin.Y + end.Y};
}

std::optional<Rect> CropRectFor(const Rect& selection, Point viewOrigin, const ZoomState& zoom, std::int32_t imageWidth,
                                std::int32_t imageHeight) {
  const std::int32_t x1 = selection.Left - viewOrigin.X, y1 = selection.Top - viewOrigin.Y;
  const std::int32_t x2 = x1 + selection.Width(), y2 = y1 + selection.Height();
  Rect area{zoom.ToImage(x1), zoom.ToImage(y1), zoom.ToImage(x2), zoom.ToImage(y2)};
  ClipRectToSize(area, imageWidth, imageHeight);
  if (area.IsEmpty()) return std::nullopt;
  return area;
}

}  // namespace brisko
