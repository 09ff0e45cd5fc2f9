#pragma once

#include "core/Bitmap.h"
#include "core/Colour.h"
#include "core/ImageView.h"

// Point operations of the colour dialogs and the editor's Invert, Exposal
// and Gray commands: each output pixel depends on its input pixel only
// (GrayScale also on the picture's luminance range).
//
// Each operation comes twice. The bitmap form reads `source` (any pixel
// format) and writes the 24-bit result into `target`, which keeps its pixel
// block when it already has the source's size and is 24-bit; `target` may
// be `source` itself, which then changes in place without any allocation.
// The view form replaces the view's picture with the result.
namespace brisko {

// Adds `amount` to one channel (1 red, 2 green, 3 blue), clamped to 0..255;
// any other channel number leaves the colours as they are.
void AdjustRGB(const Bitmap& source, Bitmap& target, int channel, int amount);
void AdjustRGB(ImageView& view, int channel, int amount);

// Converts to the pixel format of the "Colors" list: 0 32-bit, 1 24-bit,
// 2 16-bit 5-6-5, 3 8-bit halftone palette, 4 the 16 standard colours,
// 5 black and white; each pixel maps to the nearest colour the format holds,
// without dithering. Any other index copies the picture in its own format.
// The result keeps the selected format (it is not 24-bit).
void ReduceColors(const Bitmap& source, Bitmap& target, int formatIndex);
void ReduceColors(ImageView& view, int formatIndex);

// Adds `amount` to every channel, clamped to 0..255.
void AdjustBrightness(const Bitmap& source, Bitmap& target, int amount);
void AdjustBrightness(ImageView& view, int amount);

// The contrast page's operation: it adds `amount` to every channel exactly
// as AdjustBrightness does.
void AdjustContrast(const Bitmap& source, Bitmap& target, int amount);
void AdjustContrast(ImageView& view, int amount);

// min(round((c / 256) ^ gamma * 255), 255) per channel, the power in
// extended precision. Dividing by 256 makes 255 come out as 254 at gamma 1.
void AdjustGamma(const Bitmap& source, Bitmap& target, double gamma);
void AdjustGamma(ImageView& view, double gamma);

// Moves colours toward (amount < 256) or away from (amount > 256) the grey
// of their channel mean: each channel becomes
// mean - (mean * amount >> 8) + (c * amount >> 8), modulo 256, so strong
// colours wrap instead of clipping. 256 leaves the picture unchanged.
void AdjustSaturation(const Bitmap& source, Bitmap& target, int amount);
void AdjustSaturation(ImageView& view, int amount);

// c * k div 255 per channel, k being the colour's component of the same
// channel: white leaves the picture unchanged, black makes it black. The
// colour must be a red-green-blue value (system-colour codes resolved).
void AdjustHue(const Bitmap& source, Bitmap& target, Colour colour);
void AdjustHue(ImageView& view, Colour colour);

// 255 - c per channel.
void InvertColors(const Bitmap& source, Bitmap& target);
void InvertColors(ImageView& view);

// 255 - c for channels below 128, the others unchanged.
void Exposal(const Bitmap& source, Bitmap& target);
void Exposal(ImageView& view);

// Grey of luminance L = round(0.3 R + 0.59 G + 0.11 B) (extended
// precision), stretched so that the picture's darkest luminance becomes 0
// and its brightest 255. A picture of one luminance only becomes plain grey
// of that luminance.
void GrayScale(const Bitmap& source, Bitmap& target);
void GrayScale(ImageView& view);

}  // namespace brisko
