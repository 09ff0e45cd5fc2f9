#pragma once

#include <cstdint>
#include <string_view>

#include "core/Bitmap.h"
#include "core/Colour.h"
#include "core/ImageView.h"

// Geometric transforms of the editor's picture: zoom, flips, quarter turns,
// rotation by any angle, canvas size, scaling and the perspective squeeze.
//
// Each operation comes twice. The bitmap form reads `source` (any pixel
// format, left unchanged) and writes the 24-bit result into `target`; a
// target that already has the result's size and format keeps its pixel
// block, so a caller that repeats an operation (a live preview) allocates
// nothing. `target` may be `source` itself. The view form replaces the
// view's picture with the result.
namespace brisko {

// trunc(w * factor) x trunc(h * factor), the source smoothly stretched into
// it; the factor is taken in extended precision.
void ZoomStretch(const Bitmap& source, Bitmap& target, long double factor);
void ZoomStretch(ImageView& view, const Bitmap& source, long double factor);

// Mirrored left to right: result (x, y) = source (w - 1 - x, y).
void FlipHorizontal(const Bitmap& source, Bitmap& target);
void FlipHorizontal(ImageView& view);

// Mirrored top to bottom: result row y = source row h - 1 - y.
void FlipVertical(const Bitmap& source, Bitmap& target);
void FlipVertical(ImageView& view);

// A quarter turn clockwise: result (h - 1 - y, x) = source (x, y).
void Rotate90(const Bitmap& source, Bitmap& target);
void Rotate90(ImageView& view);

// Half a turn: result (x, y) = source (w - 1 - x, h - 1 - y).
void Rotate180(const Bitmap& source, Bitmap& target);
void Rotate180(ImageView& view);

// A quarter turn counter-clockwise: result (y, w - 1 - x) = source (x, y).
// The one-argument form turns the bitmap where it is, leaving it 24-bit.
void Rotate270(const Bitmap& source, Bitmap& target);
void Rotate270(Bitmap& picture);
void Rotate270(ImageView& view);

// The source turned clockwise by `degrees` with bilinear sampling onto a
// canvas of the background colour that holds the turned corners. The canvas
// size comes from the corner offsets (w div 2, h div 2) turned and rounded,
// so at 0 degrees an odd side loses its last column or row. Positions and
// interpolation are computed in extended precision; the result's fill
// colour is the background.
void RotateAngle(const Bitmap& source, Bitmap& target, Colour background, long double degrees);
// The Rotate dialog's form: the angle as the text of its number field, read
// with `decimalSeparator` (the user's locale); throws std::invalid_argument
// when the text is not a number.
void RotateAngle(const ImageView& source, ImageView& target, Colour background, std::string_view angle,
                 char decimalSeparator = '.');
// The angle text read as a number: blanks around it are ignored, and either
// the locale's separator or a point may separate the fraction.
long double ParseAngle(std::string_view text, char decimalSeparator = '.');

// A width x height white canvas with the picture copied one to one at the
// offset that `placement` selects: 1 top left (also any value outside 1 to
// 9), 2 top centre, 3 top right, 4 middle left, 5 centre, 6 middle right,
// 7 bottom left, 8 bottom centre, 9 bottom right. A canvas smaller than the
// picture cuts it.
void ResizeCanvas(const Bitmap& source, Bitmap& target, std::int32_t width, std::int32_t height, int placement);
void ResizeCanvas(ImageView& view, std::int32_t width, std::int32_t height, int placement);

// The picture stretched to width x height: smoothly (area averaging) when
// `smooth` is set, else as the platform's BLACKONWHITE stretch does it
// (pixels repeated when growing, AND-combined when shrinking). Scaling to
// the picture's own size with `smooth` set is the editor's "Smoothness".
void ScaleImage(const Bitmap& source, Bitmap& target, std::int32_t width, std::int32_t height, bool smooth);
void ScaleImage(ImageView& view, std::int32_t width, std::int32_t height, bool smooth);

// Same size and pixel format; row y is squeezed smoothly into a centred span
// of trunc(y * step + w div 2) columns, step = (w - w div 2) / h, on white.
// An empty picture stays as it is.
void PerspectiveShear(const Bitmap& source, Bitmap& target);
void PerspectiveShear(ImageView& view);

}  // namespace brisko
