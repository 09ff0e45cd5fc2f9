#pragma once

#include <cstdint>

namespace brisko {

struct Point {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Screen or bitmap rectangle; Right and Bottom lie just outside the area.
struct Rect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;

  constexpr std::int32_t Width() const { return Right - Left; }
  constexpr std::int32_t Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

constexpr Rect RectOfSize(std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height) {
  return Rect{left, top, left + width, top + height};
}

// All four sides count as inside, unlike the half-open pixel area of a Rect:
// hit tests on frames and close zones want the edge pixels to hit.
constexpr bool PointInRect(std::int32_t x, std::int32_t y, const Rect& r) {
  return r.Left <= x && x <= r.Right && r.Top <= y && y <= r.Bottom;
}

// Limits the rectangle to (0, 0, width, height) in place.
constexpr void ClipRectToSize(Rect& r, std::int32_t width, std::int32_t height) {
  if (r.Left < 0) r.Left = 0;
  if (r.Top < 0) r.Top = 0;
  if (r.Right > width) r.Right = width;
  if (r.Bottom > height) r.Bottom = height;
}

constexpr Rect Intersection(const Rect& a, const Rect& b) {
  Rect r{a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
         a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom};
  if (r.IsEmpty()) return Rect{};
  return r;
}

}  // namespace brisko
