#include <algorithm>
#include <string>
#include <vector>

#include "codecs/Limits.h"
#include "codecs/Tiff.h"
#include "codecs/TiffCommon.h"

namespace brisko {

namespace {

using codecs::TiffHandle;
using codecs::TiffMessages;

constexpr const char* kFormat = "TIFF";
// The raster libtiff paints a band of rows into stays below this size.
constexpr std::uint64_t kMaxBandBytes = std::uint64_t{1} << 28;

// The most bytes one byte of compressed data can unpack to, by scheme.
std::uint64_t MaxInflation(std::uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;              // a two-byte run gives 128 bytes
    case COMPRESSION_LZW: return 3641;                 // a 9-bit code gives at most 4096 bytes
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 1032;
    case COMPRESSION_JPEG: return 512 * 3;              // see the JPEG reader
    default: return std::uint64_t{1} << 16;
  }
}

bool IsFax(std::uint16_t compression) {
  return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTFAX3 ||
         compression == COMPRESSION_CCITTFAX4 || compression == COMPRESSION_CCITTRLEW;
}

[[noreturn]] void Fail(const TiffMessages& messages, const char* fallback) {
  codecs::FailToRead(kFormat, messages.error[0] ? messages.error : fallback);
}

void CheckDeclaredSize(TIFF* tiff, std::uint32_t width, std::uint32_t height, std::size_t fileSize) {
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
  // Fax coding spends at least one bit on a row, however wide.
  std::uint64_t maxRows = codecs::MaxPixelsFor(fileSize, 8);
  if (!IsFax(compression)) {
    const std::uint64_t rowBytes = std::max<std::uint64_t>(TIFFScanlineSize64(tiff), 1);
    maxRows = codecs::MaxPixelsFor(fileSize, MaxInflation(compression)) / rowBytes;
  }
  codecs::CheckDeclaredSize(kFormat, width, height, maxRows * std::max<std::uint32_t>(width, 1));
}

struct RgbaImage {
  TIFFRGBAImage image{};
  bool begun = false;
  ~RgbaImage() {
    if (begun) TIFFRGBAImageEnd(&image);
  }
};

// Rows painted per call: whole strips or tiles, so libtiff decodes each of
// them once.
std::uint32_t BandRows(TIFF* tiff, std::uint32_t width, std::uint32_t height) {
  std::uint32_t rows = height;
  if (TIFFIsTiled(tiff))
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &rows);
  else
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rows);
  const std::uint64_t fitting = std::max<std::uint64_t>(1, kMaxBandBytes / (std::uint64_t{width} * 4));
  return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(rows, 1, std::min<std::uint64_t>(height, fitting)));
}

// libtiff's raster holds red, green, blue and alpha with the colour already
// multiplied by alpha, so adding the missing coverage shows it over white.
void RasterRowToBgr(const std::uint32_t* raster, std::uint32_t width, std::uint8_t* bgr) {
  for (std::uint32_t x = 0; x < width; ++x, bgr += 3) {
    const std::uint32_t p = raster[x];
    const unsigned uncovered = 255 - TIFFGetA(p);
    bgr[0] = static_cast<std::uint8_t>(std::min(255u, TIFFGetB(p) + uncovered));
    bgr[1] = static_cast<std::uint8_t>(std::min(255u, TIFFGetG(p) + uncovered));
    bgr[2] = static_cast<std::uint8_t>(std::min(255u, TIFFGetR(p) + uncovered));
  }
}

void PaintBands(TIFF* tiff, RgbaImage& rgba, const TiffMessages& messages, Bitmap& picture,
                const ProgressFn& progress) {
  const auto width = static_cast<std::uint32_t>(picture.Width());
  const auto height = static_cast<std::uint32_t>(picture.Height());
  const std::uint32_t band = BandRows(tiff, width, height);
  std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * band);
  ProgressReporter reporter(progress, height);
  for (std::uint32_t top = 0; top < height; top += band) {
    const std::uint32_t count = std::min(band, height - top);
    rgba.image.row_offset = static_cast<int>(top);
    rgba.image.col_offset = 0;
    if (!TIFFRGBAImageGet(&rgba.image, raster.data(), width, count)) Fail(messages, "the picture data is damaged");
    for (std::uint32_t i = 0; i < count; ++i)
      RasterRowToBgr(raster.data() + std::size_t{width} * i, width, picture.Row(static_cast<std::int32_t>(top + i)));
    reporter.Advance(top + count);
  }
  reporter.Finish();
}

}  // namespace

Bitmap ReadTiff(std::span<const std::uint8_t> file, const ProgressFn& progress) {
  if (file.size() < 8) codecs::FailToRead(kFormat, "it is not a TIFF file");
  codecs::TiffStream stream(file);
  TiffMessages messages;
  const TiffHandle tiff = codecs::OpenTiff(stream, "r", messages);
  if (!tiff) Fail(messages, "it is not a TIFF file");
  std::uint32_t width = 0, height = 0;
  TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
  CheckDeclaredSize(tiff.get(), width, height, file.size());

  char why[1024] = "";
  if (!TIFFRGBAImageOK(tiff.get(), why)) codecs::FailToRead(kFormat, why);
  RgbaImage rgba;
  rgba.begun = TIFFRGBAImageBegin(&rgba.image, tiff.get(), 1, why) != 0;
  if (!rgba.begun) codecs::FailToRead(kFormat, why[0] ? why : "its layout is not supported");
  rgba.image.req_orientation = ORIENTATION_TOPLEFT;
  Bitmap picture = codecs::AllocateDecoded(kFormat, static_cast<std::int32_t>(width),
                                           static_cast<std::int32_t>(height), PixelFormat::Bgr24);
  PaintBands(tiff.get(), rgba, messages, picture, progress);
  return picture;
}

}  // namespace brisko
