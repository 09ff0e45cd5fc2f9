#include "convlib/SaveOptions.h"

#include <array>

namespace brisko {

namespace {

constexpr std::array<std::string_view, 5> kBmpColours = {"B/W", "16", "256", "16M", "16M(32bit)"};
constexpr std::array<PixelFormat, 5> kBmpDepths = {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                                                   PixelFormat::Bgr24, PixelFormat::Bgrx32};
constexpr std::array<std::string_view, 3> kPcxColours = {"16", "256", "16M"};
constexpr std::array<PixelFormat, 3> kPcxDepths = {PixelFormat::Indexed4, PixelFormat::Indexed8, PixelFormat::Bgr24};
constexpr std::array<std::string_view, 6> kTifCompress = {"CCITT", "FAXCCITT3", "FAXCCITT4", "LZW", "NONE", "PACKBITS"};
constexpr std::array<TiffCompression, 6> kTifCodes = {TiffCompression::CcittRle, TiffCompression::CcittFax3,
                                                     TiffCompression::CcittFax4, TiffCompression::Lzw,
                                                     TiffCompression::None, TiffCompression::PackBits};

// n / d rounded to the nearest integer, halves to the even one (d > 0).
std::int32_t RoundHalfEven(std::int64_t n, std::int64_t d) {
  std::int64_t q = n / d, r = n % d;
  if (r < 0) r += d, --q;
  if (2 * r > d || (2 * r == d && (q & 1))) ++q;
  return static_cast<std::int32_t>(q);
}

template <typename T, std::size_t N>
T Pick(const std::array<T, N>& values, int index, int fallback) {
  return values[static_cast<std::size_t>(index >= 0 && index < static_cast<int>(N) ? index : fallback)];
}

}  // namespace

ImageSize ResizedSize(std::int32_t width, std::int32_t height, ResizeMode mode, std::int32_t value) {
  const std::int64_t w = width, h = height, v = value;
  if (mode == ResizeMode::Percent) return ImageSize{RoundHalfEven(w * v, 100), RoundHalfEven(h * v, 100)};
  if (w > h) return ImageSize{value, RoundHalfEven(h * v, w)};
  if (w < h) return ImageSize{RoundHalfEven(w * v, h), value};
  return ImageSize{value, value};
}

std::span<const std::string_view> BmpColourChoices() { return kBmpColours; }
std::span<const std::string_view> PcxColourChoices() { return kPcxColours; }
std::span<const std::string_view> TifCompressChoices() { return kTifCompress; }

SaveParameters ParametersFor(ImageFormat page, const PageChoices& choices) {
  SaveParameters p;
  p.format = page;
  switch (page) {
    case ImageFormat::Bmp: p.depth = Pick(kBmpDepths, choices.bmpColours, kInitialBmpColours); break;
    case ImageFormat::Pcx: p.depth = Pick(kPcxDepths, choices.pcxColours, kInitialPcxColours); break;
    case ImageFormat::Tiff: p.tiffCompression = Pick(kTifCodes, choices.tifCompress, kInitialTifCompress); break;
    case ImageFormat::Jpeg:
      p.jpegQuality = choices.quality;
      p.jpegSmoothing = 3;
      break;
    default: break;
  }
  return p;
}

int NextProgressPosition(int current, int report) {
  if (report == 0) return current == 0 ? -1 : 0;
  if (report >= 100) return current == 100 ? -1 : 100;
  if (report > current + 5) return report;
  return -1;
}

}  // namespace brisko
