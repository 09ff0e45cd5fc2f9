#pragma once

#include <filesystem>

#include "core/Bitmap.h"

// The bodies of the three converters, between reading the source bitmap and
// writing the target. Failures are exceptions here; Exports.cpp turns them
// into results at the library's boundary.
namespace brisko::convlib {

// Records the bitmap as one raster drawing in a metafile of its size, with
// the screen as reference device, and saves it: enhanced as an EMF file,
// otherwise as a placeable WMF. The target is written atomically.
void WriteMetafile(const Bitmap& bitmap, bool enhanced, const std::filesystem::path& target);

// Turns the bitmap into an icon of the system icon size whose pixels of the
// bottom-left pixel's colour (white for a black-and-white bitmap) are
// transparent, and saves it as an icon file with that one image.
void WriteIcon(const Bitmap& bitmap, const std::filesystem::path& target);

}  // namespace brisko::convlib
