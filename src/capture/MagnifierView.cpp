#include "capture/MagnifierView.h"

#include <array>

namespace brisko {

namespace {

void InvertBgrx(Bitmap& b, std::int32_t x, std::int32_t y) {
  std::uint8_t* p = b.Row(y) + 4 * static_cast<std::size_t>(x);
  p[0] ^= 0xFF, p[1] ^= 0xFF, p[2] ^= 0xFF;
}

}  // namespace

Bitmap RenderMagnifier(const Bitmap& screenshot, std::int32_t x, std::int32_t y, int mode) {
  const std::int32_t size = kMagnifierViewSize;
  const std::int32_t half = mode == kMagnifierPickColour ? 8 : 16;
  const std::int32_t span = 2 * half;
  Bitmap view(size, size, PixelFormat::Bgrx32);
  view.Fill(kBlack);
  // A plain enlarging copy: each view pixel takes the source pixel it falls
  // on. One converted source row serves a whole band of view rows.
  std::array<Colour, 32> sourceRow{};
  for (std::int32_t vy = 0; vy < size; ++vy) {
    const std::int32_t sy = y - half + vy * span / size;
    if (sy < 0 || sy >= screenshot.Height()) continue;
    if (vy == 0 || (vy - 1) * span / size != vy * span / size) {
      for (std::int32_t i = 0; i < span; ++i) {
        const std::int32_t sx = x - half + i;
        sourceRow[static_cast<std::size_t>(i)] =
            sx >= 0 && sx < screenshot.Width() ? screenshot.PixelAt(sx, sy) : kBlack;
      }
    }
    std::uint8_t* out = view.Row(vy);
    for (std::int32_t vx = 0; vx < size; ++vx) {
      const Colour c = sourceRow[static_cast<std::size_t>(vx * span / size)];
      out[4 * vx] = BlueOf(c);
      out[4 * vx + 1] = GreenOf(c);
      out[4 * vx + 2] = RedOf(c);
    }
  }
  const std::int32_t mid = size / 2;
  if (mode == kMagnifierPickColour) {
    for (std::int32_t py = mid - 2; py < mid + 2; ++py)
      for (std::int32_t px = mid - 2; px < mid + 2; ++px) {
        const bool corner = (py == mid - 2 || py == mid + 1) && (px == mid - 2 || px == mid + 1);
        if (!corner) InvertBgrx(view, px, py);
      }
    return view;
  }
  // Two lines, each two pixels wide; where they cross the pixels are
  // inverted twice, as two strokes of an inverting pen leave them.
  for (std::int32_t line = mid - 1; line <= mid; ++line)
    for (std::int32_t i = 0; i < size; ++i) InvertBgrx(view, i, line);
  for (std::int32_t line = mid - 1; line <= mid; ++line)
    for (std::int32_t i = 0; i < size; ++i) InvertBgrx(view, line, i);
  return view;
}

Point MagnifierCornerJump(Point position, std::int32_t width, std::int32_t height, std::int32_t screenWidth,
                          std::int32_t screenHeight) {
  if (position.X != 0 && position.Y != 0) return Point{0, 0};
  return Point{screenWidth - width, screenHeight - height};
}

}  // namespace brisko
