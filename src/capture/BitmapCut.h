#pragma once

#include "core/Bitmap.h"
#include "core/Geometry.h"

namespace brisko {

// Cuts `area` (bitmap coordinates) out of the bitmap: afterwards the bitmap
// has the area's size and content, in its old pixel format. Parts of the
// area outside the bitmap become the fill colour; an area without width or
// height leaves an empty bitmap.
void CropBitmap(Bitmap& bitmap, const Rect& area);

// Sizes `target` to `area` and copies that part of `source` onto it,
// converting to the target's pixel format where the two differ.
void CopyRectFromBitmap(Bitmap& target, const Bitmap& source, const Rect& area);

}  // namespace brisko
