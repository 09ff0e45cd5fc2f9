#pragma once

#include <cstdint>
#include <optional>

#include "core/Geometry.h"
#include "editor/Zoom.h"

// The crop tool's arithmetic: the rubber band's corners, the selection it
// leaves on PnlMain, and the image rectangle a confirmed selection cuts.
namespace brisko {

// The band from `start` to `end` (view pixels) with its corners ordered:
// afterwards `start` is the top-left corner and `end` the bottom-right.
void OrderCorners(Point& start, Point& end);

// The selection the band leaves on PnlMain, the view lying at `viewOrigin`.
Rect SelectionFromBand(Point start, Point end, Point viewOrigin);

// The part of the image that a selection on PnlMain cuts: its corners
// relative to the view, each divided by the zoom and truncated toward zero,
// then clipped to the image. Nothing when no pixel of the image is left.
std::optional<Rect> CropRectFor(const Rect& selection, Point viewOrigin, const ZoomState& zoom, std::int32_t imageWidth,
                                std::int32_t imageHeight);

}  // namespace brisko
