#include "codecs/Limits.h"

#include <limits>
#include <new>
#include <stdexcept>

namespace brisko::codecs {

namespace {

std::string SizeText(std::int64_t width, std::int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

void FailToRead(std::string_view format, std::string_view why) {
  throw ImageError("Cannot read the " + std::string(format) + " file: " + std::string(why) + ".");
}

void FailToWrite(std::string_view format, std::string_view why) {
  throw ImageError("Cannot save the picture as " + std::string(format) + ": " + std::string(why) + ".");
}

void CheckDeclaredSize(std::string_view format, std::int64_t width, std::int64_t height,
                       std::uint64_t maxPixels) {
  if (width <= 0 || height <= 0)
    FailToRead(format, "the picture size " + SizeText(width, height) + " is not valid");
  // Checked in 64 bits, so that no product below wraps around.
  if (width > kMaxBitmapSide || height > kMaxBitmapSide ||
      StrideFor(static_cast<std::int32_t>(width), PixelFormat::Bgr24) * static_cast<std::uint64_t>(height) >
          kMaxBitmapBytes)
    FailToRead(format, "the picture size " + SizeText(width, height) + " is too large");
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > maxPixels)
    FailToRead(format, "it declares " + SizeText(width, height) + " pixels, more than its data can hold");
}

std::uint64_t MaxPixelsFor(std::size_t fileSize, std::uint64_t pixelsPerByte) {
  const std::uint64_t bytes = fileSize;
  if (pixelsPerByte != 0 && bytes > std::numeric_limits<std::uint64_t>::max() / pixelsPerByte)
    return std::numeric_limits<std::uint64_t>::max();
  return bytes * pixelsPerByte;
}

Bitmap AllocateDecoded(std::string_view format, std::int32_t width, std::int32_t height, PixelFormat pixels) {
  try {
    return Bitmap::ForOverwrite(width, height, pixels);
  } catch (const std::length_error&) {
  } catch (const std::bad_alloc&) {
  }
  FailToRead(format, "there is not enough memory for a picture of " + SizeText(width, height) + " pixels");
}

}  // namespace brisko::codecs
