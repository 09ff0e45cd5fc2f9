#include "capture/BitmapCut.h"

#include <algorithm>
#include <utility>

namespace brisko {

namespace {

Bitmap CutOut(const Bitmap& source, const Rect& area, Colour fill) {
  Bitmap piece;
  piece.SetFillColour(fill);
  piece.Recreate(std::max(0, area.Width()), std::max(0, area.Height()), source.Format());
  if (IsIndexed(source.Format())) {
    piece.SetPalette(source.Palette());
    piece.Fill(fill);
  }
  piece.CopyFrom(source, area, 0, 0);
  return piece;
}

}  // namespace

void CropBitmap(Bitmap& bitmap, const Rect& area) {
  bitmap = CutOut(bitmap, area, bitmap.FillColour());
}

void CopyRectFromBitmap(Bitmap& target, const Bitmap& source, const Rect& area) {
  const PixelFormat format = target.Format();
  const std::vector<Colour> palette(target.Palette().begin(), target.Palette().end());
  Bitmap piece = CutOut(source, area, target.FillColour());
  if (piece.Format() != format) {
    if (IsIndexed(format))
      piece.SetFormat(format, palette);
    else
      piece.SetFormat(format);
  }
  target = std::move(piece);
}

}  // namespace brisko
