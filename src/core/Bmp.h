#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "core/Bitmap.h"
#include "core/Files.h"
#include "core/ImageError.h"

namespace brisko {

// Windows bitmap files. The reader takes 1, 4, 8, 16, 24 and 32 bits per
// pixel, uncompressed, with bit fields, or run-length encoded (RLE4, RLE8),
// stored bottom-up or top-down; it checks every size, offset and count
// before use and throws ImageError for anything it cannot decode.
Bitmap ReadBmp(std::span<const std::uint8_t> file);
Bitmap ReadBmpFile(const std::filesystem::path& path);

// Writes the bitmap in its own pixel format: the indexed formats with their
// palette, 16 bits as 5-6-5 bit fields, 24 and 32 bits uncompressed; rows
// bottom-up as most readers expect.
void WriteBmp(const Bitmap& bitmap, ByteSink& sink);
// Atomically: the target holds either its old content or the whole new file.
// The size in bytes of the file WriteBmp writes for the bitmap.
std::uint64_t BmpFileSize(const Bitmap& bitmap);

void WriteBmpFile(const Bitmap& bitmap, const std::filesystem::path& path,
                  Durability durability = Durability::Flushed);

}  // namespace brisko
