#pragma once

#include <array>
#include <cstdint>

#include "core/Bitmap.h"
#include "core/ImageView.h"

// The editor's filters and distortions: the 3 x 3 filters (edges, sharpen,
// Gaussian blur), the twist and the wave. (Its "Smoothness" command is
// ScaleImage to the picture's own size with smoothing.)
//
// As with the other operations, the bitmap form reads `source` (any pixel
// format) and writes the 24-bit result into `target` (reused when it has the
// right shape; it may be `source` itself); the view form replaces the view's
// picture.
namespace brisko {

// Nine weights in row order: the row above (left, centre, right), the
// pixel's own row, the row below.
using Kernel3x3 = std::array<int, 9>;

// Each pixel that has all eight neighbours becomes, per channel, the
// weighted sum of its neighbourhood divided by `divisor` (truncated toward
// zero) and clamped to 0..255; every output pixel is computed from the
// input. The outermost rows and columns keep their values; a picture less
// than three pixels wide or high is copied unchanged. A divisor of 0 is
// taken as 1.
void Convolve3x3(const Bitmap& source, Bitmap& target, const Kernel3x3& kernel, std::uint16_t divisor);
// Filters a 24-bit bitmap where it is.
void Convolve3x3(Bitmap& bitmap, const Kernel3x3& kernel, std::uint16_t divisor);

// Kinds 1 and 2 (the "Hough" command passes 1) take the columns' difference
// (-1 0 1 on all three rows): brightness rising to the right shows bright,
// flat areas black. Any other kind takes the rows' difference (-1 -1 -1
// above, 1 1 1 below).
void EdgeDetect(const Bitmap& source, Bitmap& target, int kind);
void EdgeDetect(ImageView& view, int kind);

// 5 x centre minus the four direct neighbours, clamped.
void Sharpen(const Bitmap& source, Bitmap& target);
void Sharpen(ImageView& view);

// (1 2 1, 2 4 2, 1 2 1) / 16, the fraction dropped.
void GaussianBlur(const Bitmap& source, Bitmap& target);
void GaussianBlur(ImageView& view);

// Turns the picture around its centre, by a quarter counter-clockwise at the
// centre and one radian less for every `amount` pixels of distance, with
// bilinear sampling; positions outside wrap around. Single-precision
// arithmetic throughout. An empty picture, or an amount of 0, is left as it
// is.
void Twist(const Bitmap& source, Bitmap& target, float amount = 150);
void Twist(ImageView& view, float amount = 150);

// Output (x, y) = input (round(amplitude * sin(y / yPeriod) + x),
// round(amplitude * sin(x / xPeriod) + y)), in extended precision, whole
// pixels, positions outside wrapped into the picture. A period of 0, or an
// empty picture, leaves the picture as it is.
void WaveWarp(const Bitmap& source, Bitmap& target, int xPeriod = 2, int yPeriod = 6, int amplitude = 2);
void WaveWarp(ImageView& view, int xPeriod = 2, int yPeriod = 6, int amplitude = 2);

}  // namespace brisko
