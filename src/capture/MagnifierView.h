#pragma once

#include "core/Bitmap.h"
#include "core/Geometry.h"

// The magnifier's picture and where the magnifier sits.
namespace brisko {

inline constexpr int kMagnifierViewSize = 152;
inline constexpr int kMagnifierPickColour = 3;

// The view around (x, y) of the screenshot: a 32 x 32 square (16 x 16 in
// pick-colour mode) stretched onto 152 x 152 pixels. The region and
// free-hand modes cross it with inverted lines two pixels wide; the
// pick-colour mode inverts a small disc on the centre pixel. What lies
// beyond the screenshot shows black.
Bitmap RenderMagnifier(const Bitmap& screenshot, std::int32_t x, std::int32_t y, int mode);

// Where the magnifier goes when the pointer reaches it: to the top left
// corner unless it is there already, then to the bottom right one.
Point MagnifierCornerJump(Point position, std::int32_t width, std::int32_t height, std::int32_t screenWidth,
                          std::int32_t screenHeight);

}  // namespace brisko
