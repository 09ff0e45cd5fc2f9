#pragma once

#include <span>

#include "core/Bitmap.h"
#include "core/Geometry.h"

// The non-rectangular region captures: the picture is cut to the shape's
// bounding box and every pixel outside the shape takes the background
// colour. A pixel belongs to the shape when its centre lies inside it.
namespace brisko {

// The ellipse inscribed in `box` (picture coordinates, right and bottom
// edges excluded). The result has the box's size, in the picture's format.
Bitmap CutEllipse(const Bitmap& picture, const Rect& box, Colour background);

// The bounding box of a free-hand path as the capture takes it: left and
// top start from the screen's width and height, right and bottom from 0.
Rect PathBounds(std::span<const Point> vertices, std::int32_t screenWidth, std::int32_t screenHeight);

// The polygon through `vertices` (picture coordinates), filled by the
// winding rule, cut to `box`.
Bitmap CutPolygon(const Bitmap& picture, std::span<const Point> vertices, const Rect& box, Colour background);

}  // namespace brisko
