#include "codecs/Ico.h"

#include <algorithm>
#include <vector>

#include "codecs/HeaderBytes.h"
#include "codecs/Limits.h"

namespace brisko {

namespace {

constexpr const char* kFormat = "ICO";
constexpr std::uint32_t kDirectorySize = 6 + 16;
constexpr std::uint32_t kInfoHeaderSize = 40;

// The bitmap part of the image: an info header whose height counts the
// colour rows and the mask rows together, then both, bottom row first,
// each row padded to four bytes.
std::uint32_t ImageSize(const Bitmap& colour) {
  const auto height = static_cast<std::size_t>(colour.Height());
  return static_cast<std::uint32_t>(kInfoHeaderSize + StrideFor(colour.Width(), PixelFormat::Bgr24) * height +
                                    StrideFor(colour.Width(), PixelFormat::Indexed1) * height);
}

codecs::HeaderBytes Headers(const Bitmap& colour) {
  const auto width = static_cast<std::uint32_t>(colour.Width());
  const auto height = static_cast<std::uint32_t>(colour.Height());
  codecs::HeaderBytes h;
  h.Put16(0);  // reserved
  h.Put16(1);  // icon, not cursor
  h.Put16(1);  // one image
  h.Put8(width & 0xFF);  // 256 is written as 0
  h.Put8(height & 0xFF);
  h.Put8(0);  // more than 256 colours
  h.Put8(0);
  h.Put16(1);   // planes
  h.Put16(24);  // bits per pixel
  h.Put32(ImageSize(colour));
  h.Put32(kDirectorySize);

  h.Put32(kInfoHeaderSize);
  h.Put32(width);
  h.Put32(height * 2);
  h.Put16(1);
  h.Put16(24);
  h.Put32(0);  // uncompressed
  h.Put32(ImageSize(colour) - kInfoHeaderSize);
  h.PutZeros(16);  // resolution and palette counts
  return h;
}

}  // namespace

void WriteIco(const Bitmap& colour, const Bitmap& mask, ByteSink& sink) {
  if (colour.IsEmpty() || colour.Width() > 256 || colour.Height() > 256)
    codecs::FailToWrite(kFormat, "an icon is 1 to 256 pixels on a side");
  if (mask.Width() != colour.Width() || mask.Height() != colour.Height() || mask.Format() != PixelFormat::Indexed1)
    codecs::FailToWrite(kFormat, "the mask must be a 1-bit bitmap of the icon's size");
  Bitmap pixels = colour;
  pixels.SetFormat(PixelFormat::Bgr24);
  codecs::HeaderBytes file = Headers(pixels);
  // Rows are padded to four bytes with zeros, whatever the bitmap's padding holds.
  std::vector<std::uint8_t> row(pixels.Stride(), 0);
  const std::size_t rowBytes = static_cast<std::size_t>(pixels.Width()) * 3;
  for (std::int32_t y = pixels.Height() - 1; y >= 0; --y) {
    std::copy_n(pixels.Row(y), rowBytes, row.data());
    file.PutBytes(row);
  }
  std::vector<std::uint8_t> bits(mask.Stride());
  const std::size_t usedBits = static_cast<std::size_t>(mask.Width());
  for (std::int32_t y = mask.Height() - 1; y >= 0; --y) {
    std::copy_n(mask.Row(y), bits.size(), bits.data());
    // Bits past the last pixel stay clear.
    if (usedBits % 8 != 0) bits[usedBits / 8] &= static_cast<std::uint8_t>(0xFF00 >> (usedBits % 8));
    for (std::size_t i = (usedBits + 7) / 8; i < bits.size(); ++i) bits[i] = 0;
    file.PutBytes(bits);
  }
  sink.Write(file.Bytes());
}

}  // namespace brisko
