#include <algorithm>
#include <vector>

#include "codecs/Limits.h"
#include "codecs/Tiff.h"
#include "codecs/TiffCommon.h"

namespace brisko {

namespace {

using codecs::TiffMessages;

constexpr const char* kFormat = "TIFF";

bool IsBilevel(TiffCompression c) {
  return c == TiffCompression::CcittRle || c == TiffCompression::CcittFax3 || c == TiffCompression::CcittFax4;
}

[[noreturn]] void Fail(const TiffMessages& messages, const char* fallback) {
  codecs::FailToWrite(kFormat, messages.error[0] ? messages.error : fallback);
}

// LZW and PackBits start afresh in each strip, and libtiff's default of
// 8 KB is a single row of a wide picture; strips of about 256 KB compress a
// fifth better at about the same speed.
std::uint32_t RowsPerStrip(const Bitmap& picture, bool bilevel) {
  const std::size_t rowBytes =
      bilevel ? (static_cast<std::size_t>(picture.Width()) + 7) / 8 : static_cast<std::size_t>(picture.Width()) * 3;
  const std::size_t rows = std::max<std::size_t>(1, (std::size_t{1} << 18) / rowBytes);
  return static_cast<std::uint32_t>(std::min<std::size_t>(rows, static_cast<std::size_t>(picture.Height())));
}

void SetTags(TIFF* tiff, const Bitmap& picture, TiffCompression compression, const TiffMessages& messages) {
  const bool bilevel = IsBilevel(compression);
  bool ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(picture.Width())) &&
            TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(picture.Height())) &&
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(compression)) &&
            TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bilevel ? 1 : 8) &&
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, bilevel ? 1 : 3) &&
            // Fax pictures are conventionally 0 for white.
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, bilevel ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_RGB) &&
            // 96 dots per inch, what the screen reports, so a capture prints
            // at its on-screen size.
            TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 96.0) && TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 96.0) &&
            TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  if (ok && compression == TiffCompression::CcittFax3) ok = TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, 0u);
  // Differences from the pixel to the left turn gradients and flat areas
  // into repeated strings: a sixth smaller for screenshots, for a few
  // percent more time.
  if (ok && compression == TiffCompression::Lzw) ok = TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  if (ok) ok = TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, RowsPerStrip(picture, bilevel));
  if (!ok) Fail(messages, "the file header cannot be written");
}

// Black where a pixel is darker than half, white elsewhere; 1 is black, as
// the header says.
void BgrToBilevel(const std::uint8_t* bgr, std::int32_t width, std::uint8_t* bits) {
  std::fill(bits, bits + (width + 7) / 8, std::uint8_t{0});
  for (std::int32_t x = 0; x < width; ++x, bgr += 3) {
    const unsigned brightness = (bgr[0] * 29u + bgr[1] * 150u + bgr[2] * 77u) >> 8;
    if (brightness < 128) bits[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
  }
}

void BgrToRgb(std::uint8_t* row, std::int32_t width) {
  for (std::int32_t x = 0; x < width; ++x, row += 3) std::swap(row[0], row[2]);
}

// libtiff may change a row it is given (the predictors work in place), so
// each row goes through a buffer of our own.
void WriteRows(TIFF* tiff, const Bitmap& picture, bool bilevel, const TiffMessages& messages,
               ProgressReporter& reporter) {
  const std::int32_t width = picture.Width(), height = picture.Height();
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * 3);
  std::vector<std::uint8_t> bits(bilevel ? static_cast<std::size_t>(width + 7) / 8 : 0);
  for (std::int32_t y = 0; y < height; ++y) {
    RowToBgr24(picture.Row(y), picture.Format(), picture.Palette(), width, bgr.data());
    if (bilevel)
      BgrToBilevel(bgr.data(), width, bits.data());
    else
      BgrToRgb(bgr.data(), width);
    if (TIFFWriteScanline(tiff, bilevel ? bits.data() : bgr.data(), static_cast<std::uint32_t>(y), 0) < 0)
      Fail(messages, "the picture data cannot be written");
    reporter.Advance(static_cast<std::uint64_t>(y + 1));
  }
  if (!TIFFFlush(tiff)) Fail(messages, "the file cannot be completed");
}

}  // namespace

void WriteTiff(const Bitmap& picture, TiffCompression compression, ByteSink& sink, const ProgressFn& progress) {
  if (picture.IsEmpty()) codecs::FailToWrite(kFormat, "it has no pixels");
  codecs::TiffStream stream;
  // Memory that is reserved but never written costs nothing, so room for
  // the uncompressed picture is cheap and spares every copy on the way.
  stream.Reserve(static_cast<std::size_t>(picture.Width()) * 3 * static_cast<std::size_t>(picture.Height()) + 4096);
  TiffMessages messages;
  ProgressReporter reporter(progress, static_cast<std::uint64_t>(picture.Height()));
  {
    const codecs::TiffHandle tiff = codecs::OpenTiff(stream, "wl", messages);
    if (!tiff) Fail(messages, "the file cannot be started");
    SetTags(tiff.get(), picture, compression, messages);
    WriteRows(tiff.get(), picture, IsBilevel(compression), messages, reporter);
  }
  sink.Write(stream.Output().data(), stream.Output().size());
  reporter.Finish();
}

}  // namespace brisko
