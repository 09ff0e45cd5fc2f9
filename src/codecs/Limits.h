#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Bitmap.h"
#include "core/ImageError.h"

// What the readers share: the wording of their errors and the checks that
// keep a file from making us allocate more than its data can fill.
namespace brisko::codecs {

// Throws ImageError "Cannot read the <format> file: <why>."
[[noreturn]] void FailToRead(std::string_view format, std::string_view why);
// Throws ImageError "Cannot save the picture as <format>: <why>."
[[noreturn]] void FailToWrite(std::string_view format, std::string_view why);

// Refuses a declared picture size before anything is allocated for it: a
// size that is not positive, one beyond what a Bitmap can hold, and one that
// decodes to more than `maxPixels`, the most that the file's bytes can
// describe with its compression (see MaxPixelsFor).
void CheckDeclaredSize(std::string_view format, std::int64_t width, std::int64_t height,
                       std::uint64_t maxPixels);

// The most pixels `fileSize` bytes can describe when every byte of the
// data yields at most `pixelsPerByte` pixels; saturates instead of
// overflowing.
std::uint64_t MaxPixelsFor(std::size_t fileSize, std::uint64_t pixelsPerByte);

// A bitmap for a decoder to fill; a failed allocation becomes ImageError.
Bitmap AllocateDecoded(std::string_view format, std::int32_t width, std::int32_t height, PixelFormat pixels);

}  // namespace brisko::codecs
