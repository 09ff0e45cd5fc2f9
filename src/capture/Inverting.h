#pragma once

#include <vector>

#include "core/Bitmap.h"
#include "core/Colour.h"
#include "core/Geometry.h"

// Figures drawn by inverting the pixels they cover, as an inverting pen
// does: drawing the same figure twice gives back the picture exactly. Each
// figure covers every pixel at most once, so the promise holds for any
// figure, and the functions record the area they changed so the caller can
// repaint just that.
namespace brisko {

// The parts of a picture that changed, kept as touched tiles so that a thin
// outline across a large picture repaints a thin band, not its bounding box.
class Damage {
 public:
  explicit Damage(std::int32_t tileSize = 32) : tile_(tileSize) {}
  void Add(const Rect& area);
  bool Empty() const { return tiles_.empty(); }
  void Clear() { tiles_.clear(); }
  // Touched tiles merged into runs along each tile row, clipped to the
  // picture's size.
  std::vector<Rect> Rects(std::int32_t width, std::int32_t height) const;

 private:
  std::int32_t tile_;
  std::vector<std::uint64_t> tiles_;
};

// The pixels of a line from (x0, y0) to (x1, y1), the end point left out,
// as the platform's line drawing sets them.
std::vector<Point> LinePixels(Point from, Point to);

// The outline of the rectangle between two corners (in any order), right
// and bottom edges excluded, each pixel once.
std::vector<Point> RectangleOutlinePixels(Point a, Point b);

// The outline of the ellipse inscribed in the rectangle between two
// corners, right and bottom edges excluded, each pixel once.
std::vector<Point> EllipseOutlinePixels(Point a, Point b);

// Inverts the given pixels (those inside the bitmap).
void InvertPixels(Bitmap& picture, const std::vector<Point>& pixels, Damage& damage);

// The two full-screen lines of a crosshair: a vertical line at x from the
// top to the bottom and a horizontal line at y across the whole width,
// inverted one after the other (so the pixel where they cross is inverted
// twice).
void InvertCrosshair(Bitmap& picture, Point at, Damage& damage);

// The frame a pen of `width` pixels and colour `pen` in not-xor mode draws
// around the box: each covered pixel becomes the inverse of pen xor pixel,
// so the pen's channels at full strength stay and the others invert. The
// pen is centred on the box's edges; each pixel is covered once.
void NotXorFrame(Bitmap& picture, const Rect& box, std::int32_t width, Colour pen, Damage& damage);

}  // namespace brisko
