#include "capture/Inverting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace brisko {

namespace {

void SortUnique(std::vector<Point>& pixels) {
  std::sort(pixels.begin(), pixels.end(),
            [](const Point& a, const Point& b) { return a.Y != b.Y ? a.Y < b.Y : a.X < b.X; });
  pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
}

// Inverts one pixel in place: every channel becomes 255 minus itself.
void InvertAt(Bitmap& picture, std::int32_t x, std::int32_t y) {
  std::uint8_t* row = picture.Row(y);
  switch (picture.Format()) {
    case PixelFormat::Bgrx32:
      row[4 * x] ^= 0xFF, row[4 * x + 1] ^= 0xFF, row[4 * x + 2] ^= 0xFF;
      break;
    case PixelFormat::Bgr24:
      row[3 * x] ^= 0xFF, row[3 * x + 1] ^= 0xFF, row[3 * x + 2] ^= 0xFF;
      break;
    case PixelFormat::Rgb565:
      row[2 * x] ^= 0xFF, row[2 * x + 1] ^= 0xFF;
      break;
    default:
      // Indexed pictures invert their colour, matched to the palette again.
      picture.SetPixelAt(x, y, picture.PixelAt(x, y) ^ 0xFFFFFF);
  }
}

}  // namespace

std::vector<Point> LinePixels(Point from, Point to) {
  std::vector<Point> pixels;
  const std::int32_t dx = std::abs(to.X - from.X), dy = std::abs(to.Y - from.Y);
  const std::int32_t sx = from.X < to.X ? 1 : -1, sy = from.Y < to.Y ? 1 : -1;
  std::int32_t error = dx - dy;
  Point p = from;
  pixels.reserve(static_cast<std::size_t>(std::max(dx, dy)));
  while (p != to) {
    pixels.push_back(p);
    const std::int32_t twice = 2 * error;
    if (twice > -dy) {
      error -= dy;
      p.X += sx;
    }
    if (twice < dx) {
      error += dx;
      p.Y += sy;
    }
  }
  return pixels;
}

std::vector<Point> RectangleOutlinePixels(Point a, Point b) {
  const std::int32_t left = std::min(a.X, b.X), right = std::max(a.X, b.X) - 1;
  const std::int32_t top = std::min(a.Y, b.Y), bottom = std::max(a.Y, b.Y) - 1;
  std::vector<Point> pixels;
  if (right < left || bottom < top) return pixels;
  for (std::int32_t x = left; x <= right; ++x) {
    pixels.push_back({x, top});
    if (bottom != top) pixels.push_back({x, bottom});
  }
  for (std::int32_t y = top + 1; y < bottom; ++y) {
    pixels.push_back({left, y});
    if (right != left) pixels.push_back({right, y});
  }
  return pixels;
}

std::vector<Point> EllipseOutlinePixels(Point a, Point b) {
  const std::int32_t left = std::min(a.X, b.X), right = std::max(a.X, b.X) - 1;
  const std::int32_t top = std::min(a.Y, b.Y), bottom = std::max(a.Y, b.Y) - 1;
  std::vector<Point> pixels;
  if (right < left || bottom < top) return pixels;
  // Centre and radii in doubled coordinates keep even and odd sizes exact.
  const std::int64_t cx2 = left + right, cy2 = top + bottom;
  const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
  auto addSymmetric = [&](double ox, double oy) {
    const auto x0 = static_cast<std::int32_t>((static_cast<double>(cx2) / 2.0) - ox + 0.5);
    const auto x1 = static_cast<std::int32_t>((static_cast<double>(cx2) / 2.0) + ox + 0.5);
    const auto y0 = static_cast<std::int32_t>((static_cast<double>(cy2) / 2.0) - oy + 0.5);
    const auto y1 = static_cast<std::int32_t>((static_cast<double>(cy2) / 2.0) + oy + 0.5);
    pixels.push_back({std::clamp(x0, left, right), std::clamp(y0, top, bottom)});
    pixels.push_back({std::clamp(x1, left, right), std::clamp(y0, top, bottom)});
    pixels.push_back({std::clamp(x0, left, right), std::clamp(y1, top, bottom)});
    pixels.push_back({std::clamp(x1, left, right), std::clamp(y1, top, bottom)});
  };
  if (rx == 0 || ry == 0) {
    for (std::int32_t y = top; y <= bottom; ++y)
      for (std::int32_t x = left; x <= right; ++x) pixels.push_back({x, y});
    return pixels;
  }
  // Walk the quarter where the curve is flatter in x, then the one where it
  // is flatter in y, so the outline has no gaps.
  for (std::int32_t i = 0; i <= static_cast<std::int32_t>(rx + 0.5); ++i) {
    const double ox = std::min(static_cast<double>(i), rx);
    const double t = 1.0 - (ox * ox) / (rx * rx);
    addSymmetric(ox, ry * std::sqrt(std::max(0.0, t)));
  }
  for (std::int32_t j = 0; j <= static_cast<std::int32_t>(ry + 0.5); ++j) {
    const double oy = std::min(static_cast<double>(j), ry);
    const double t = 1.0 - (oy * oy) / (ry * ry);
    addSymmetric(rx * std::sqrt(std::max(0.0, t)), oy);
  }
  SortUnique(pixels);
  return pixels;
}

void Damage::Add(const Rect& area) {
  if (area.IsEmpty()) return;
  const std::int32_t x0 = std::max(area.Left, 0) / tile_, x1 = (std::max(area.Right, 1) - 1) / tile_;
  const std::int32_t y0 = std::max(area.Top, 0) / tile_, y1 = (std::max(area.Bottom, 1) - 1) / tile_;
  for (std::int32_t ty = y0; ty <= y1; ++ty)
    for (std::int32_t tx = x0; tx <= x1; ++tx)
      tiles_.push_back((static_cast<std::uint64_t>(static_cast<std::uint32_t>(ty)) << 32) |
                       static_cast<std::uint32_t>(tx));
}

std::vector<Rect> Damage::Rects(std::int32_t width, std::int32_t height) const {
  std::vector<std::uint64_t> tiles = tiles_;
  std::sort(tiles.begin(), tiles.end());
  tiles.erase(std::unique(tiles.begin(), tiles.end()), tiles.end());
  // Runs of touched tiles along each tile row; a run that repeats the one
  // right above it extends that one downwards, so the side of a tall
  // outline is one rectangle, not one per tile row. Fewer, larger
  // rectangles cost fewer calls to put them on the screen.
  std::vector<Rect> runs;
  std::size_t rowStart = 0, previousRowStart = 0;
  std::int32_t currentRow = -1;
  for (std::size_t i = 0; i < tiles.size();) {
    const auto ty = static_cast<std::int32_t>(tiles[i] >> 32);
    const auto first = static_cast<std::int32_t>(tiles[i] & 0xFFFFFFFFu);
    std::int32_t last = first;
    std::size_t j = i + 1;
    while (j < tiles.size() && (tiles[j] >> 32) == static_cast<std::uint64_t>(ty) &&
           static_cast<std::int32_t>(tiles[j] & 0xFFFFFFFFu) == last + 1) {
      ++last;
      ++j;
    }
    if (ty != currentRow) {
      previousRowStart = ty == currentRow + 1 ? rowStart : runs.size();
      rowStart = runs.size();
      currentRow = ty;
    }
    const Rect run{first * tile_, ty * tile_, (last + 1) * tile_, (ty + 1) * tile_};
    auto above = std::find_if(runs.begin() + static_cast<std::ptrdiff_t>(previousRowStart),
                              runs.begin() + static_cast<std::ptrdiff_t>(rowStart), [&](const Rect& r) {
                                return r.Left == run.Left && r.Right == run.Right && r.Bottom == run.Top;
                              });
    if (above != runs.begin() + static_cast<std::ptrdiff_t>(rowStart)) {
      // Moved into this row's runs, so the next row can extend it again.
      Rect extended = *above;
      extended.Bottom = run.Bottom;
      runs.erase(above);
      --rowStart;
      runs.push_back(extended);
    } else {
      runs.push_back(run);
    }
    i = j;
  }
  std::vector<Rect> rects;
  for (const Rect& run : runs) {
    const Rect r = Intersection(run, Rect{0, 0, width, height});
    if (!r.IsEmpty()) rects.push_back(r);
  }
  return rects;
}

void InvertPixels(Bitmap& picture, const std::vector<Point>& pixels, Damage& damage) {
  for (const Point& p : pixels) {
    if (p.X < 0 || p.Y < 0 || p.X >= picture.Width() || p.Y >= picture.Height()) continue;
    InvertAt(picture, p.X, p.Y);
    damage.Add(Rect{p.X, p.Y, p.X + 1, p.Y + 1});
  }
}

void InvertCrosshair(Bitmap& picture, Point at, Damage& damage) {
  if (at.X >= 0 && at.X < picture.Width()) {
    for (std::int32_t y = 0; y < picture.Height(); ++y) InvertAt(picture, at.X, y);
    damage.Add(Rect{at.X, 0, at.X + 1, picture.Height()});
  }
  if (at.Y >= 0 && at.Y < picture.Height()) {
    for (std::int32_t x = 0; x < picture.Width(); ++x) InvertAt(picture, x, at.Y);
    damage.Add(Rect{0, at.Y, picture.Width(), at.Y + 1});
  }
}

namespace {

// Xors the row's pixels in [from, to) with the mask, clipped to the row.
void XorSpan(Bitmap& picture, std::int32_t y, std::int32_t from, std::int32_t to, Colour mask) {
  from = std::max(from, 0);
  to = std::min(to, picture.Width());
  if (y < 0 || y >= picture.Height() || from >= to) return;
  const int bytes = BitsPerPixel(picture.Format()) / 8;
  if (picture.Format() == PixelFormat::Bgrx32 || picture.Format() == PixelFormat::Bgr24) {
    std::uint8_t* p = picture.Row(y) + static_cast<std::size_t>(from) * bytes;
    for (std::int32_t x = from; x < to; ++x, p += bytes) {
      p[0] ^= BlueOf(mask);
      p[1] ^= GreenOf(mask);
      p[2] ^= RedOf(mask);
    }
    return;
  }
  for (std::int32_t x = from; x < to; ++x) picture.SetPixelAt(x, y, picture.PixelAt(x, y) ^ mask);
}

}  // namespace

void NotXorFrame(Bitmap& picture, const Rect& box, std::int32_t width, Colour pen, Damage& damage) {
  const Colour mask = ~pen & 0xFFFFFF;
  const std::int32_t before = width / 2, after = width - before;
  const Rect outer{box.Left - before, box.Top - before, box.Right + after, box.Bottom + after};
  const std::int32_t innerTop = box.Top + after, innerBottom = box.Bottom - before;
  const std::int32_t innerLeft = box.Left + after, innerRight = box.Right - before;
  for (std::int32_t y = std::max(outer.Top, 0); y < std::min(outer.Bottom, picture.Height()); ++y) {
    if (y < innerTop || y >= innerBottom || innerLeft >= innerRight) {
      XorSpan(picture, y, outer.Left, outer.Right, mask);
    } else {
      XorSpan(picture, y, outer.Left, innerLeft, mask);
      XorSpan(picture, y, innerRight, outer.Right, mask);
    }
  }
  damage.Add(Rect{outer.Left, outer.Top, outer.Right, innerTop});
  damage.Add(Rect{outer.Left, innerBottom, outer.Right, outer.Bottom});
  damage.Add(Rect{outer.Left, outer.Top, innerLeft, outer.Bottom});
  damage.Add(Rect{innerRight, outer.Top, outer.Right, outer.Bottom});
}

}  // namespace brisko
