#include <algorithm>
#include <climits>
#include <vector>

#include "codecs/Jpeg.h"
#include "codecs/JpegCommon.h"
#include "codecs/Limits.h"

namespace brisko {

namespace {

using codecs::JpegErrorTrap;

constexpr const char* kFormat = "JPEG";

// Huffman-coded scans spend at least one bit on every 8 x 8 block of the
// component with the finest sampling, so no byte of such a file describes
// more than 8 blocks, 512 pixels. Arithmetic coding has no such floor; those
// files are held to the Bitmap limits only.
constexpr std::uint64_t kPixelsPerByte = 512;

constexpr int kBandRows = 16;

// Owns libjpeg's decompressor; every call into the library goes through Run.
class Decompressor {
 public:
  Decompressor() {
    info_.err = codecs::InstallTrap(trap_);
    Run(&Create, &info_);
  }
  ~Decompressor() { jpeg_destroy_decompress(&info_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct& Info() { return info_; }

  void Run(codecs::JpegStep step, void* context) {
    if (!codecs::JpegProtect(trap_, step, context)) codecs::FailToRead(kFormat, trap_.message);
  }

 private:
  static void Create(void* info) { jpeg_create_decompress(static_cast<jpeg_decompress_struct*>(info)); }

  JpegErrorTrap trap_{};
  jpeg_decompress_struct info_{};
};

struct HeaderStep {
  jpeg_decompress_struct* info;
  const std::uint8_t* data;
  unsigned long size;
};

void ReadHeader(void* context) {
  auto& step = *static_cast<HeaderStep*>(context);
  jpeg_mem_src(step.info, step.data, step.size);
  jpeg_read_header(step.info, TRUE);
}

void StartDecompress(void* info) { jpeg_start_decompress(static_cast<jpeg_decompress_struct*>(info)); }

struct RowsStep {
  jpeg_decompress_struct* info;
  JSAMPROW* rows;
  JDIMENSION count;
};

void ReadRows(void* context) {
  auto& step = *static_cast<RowsStep*>(context);
  JDIMENSION read = 0;
  while (read < step.count) {
    const JDIMENSION n = jpeg_read_scanlines(step.info, step.rows + read, step.count - read);
    if (n == 0) break;
    read += n;
  }
}

bool IsCmyk(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

// Adobe's programs store CMYK inverted (0 is full ink) and mark the file so.
void CmykRowToBgr(const std::uint8_t* cmyk, std::int32_t width, bool inverted, std::uint8_t* bgr) {
  const int flip = inverted ? 0 : 255;
  for (std::int32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const int k = cmyk[3] ^ flip;
    bgr[0] = static_cast<std::uint8_t>(((cmyk[2] ^ flip) * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>(((cmyk[1] ^ flip) * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>(((cmyk[0] ^ flip) * k + 127) / 255);
  }
}

void CheckHeader(const jpeg_decompress_struct& info, std::size_t fileSize) {
  const std::uint64_t limit =
      info.arith_code ? ~std::uint64_t{0} : codecs::MaxPixelsFor(fileSize, kPixelsPerByte);
  codecs::CheckDeclaredSize(kFormat, info.image_width, info.image_height, limit);
}

void DecodeRows(Decompressor& decoder, Bitmap& picture, bool cmyk, const ProgressFn& progress) {
  jpeg_decompress_struct& info = decoder.Info();
  const std::int32_t width = picture.Width(), height = picture.Height();
  std::vector<std::uint8_t> scratch(cmyk ? static_cast<std::size_t>(width) * 4 * kBandRows : 0);
  std::vector<JSAMPROW> rows(kBandRows);
  ProgressReporter reporter(progress, static_cast<std::uint64_t>(height));
  for (std::int32_t top = 0; top < height; top += kBandRows) {
    const std::int32_t count = std::min(kBandRows, height - top);
    for (std::int32_t i = 0; i < count; ++i)
      rows[i] = cmyk ? scratch.data() + static_cast<std::size_t>(width) * 4 * i : picture.Row(top + i);
    RowsStep step{&info, rows.data(), static_cast<JDIMENSION>(count)};
    decoder.Run(&ReadRows, &step);
    if (info.output_scanline < static_cast<JDIMENSION>(top + count))
      codecs::FailToRead(kFormat, "the picture data ends too soon");
    if (cmyk)
      for (std::int32_t i = 0; i < count; ++i)
        CmykRowToBgr(rows[i], width, info.saw_Adobe_marker, picture.Row(top + i));
    reporter.Advance(static_cast<std::uint64_t>(top + count));
  }
  reporter.Finish();
}

}  // namespace

Bitmap ReadJpeg(std::span<const std::uint8_t> file, const ProgressFn& progress) {
  if (file.empty()) codecs::FailToRead(kFormat, "the file is empty");
  if (file.size() > ULONG_MAX) codecs::FailToRead(kFormat, "the file is too large");
  Decompressor decoder;
  jpeg_decompress_struct& info = decoder.Info();
  HeaderStep header{&info, file.data(), static_cast<unsigned long>(file.size())};
  decoder.Run(&ReadHeader, &header);
  CheckHeader(info, file.size());
  const bool cmyk = IsCmyk(info.jpeg_color_space);
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  decoder.Run(&StartDecompress, &info);
  Bitmap picture = codecs::AllocateDecoded(kFormat, static_cast<std::int32_t>(info.output_width),
                                           static_cast<std::int32_t>(info.output_height), PixelFormat::Bgr24);
  DecodeRows(decoder, picture, cmyk, progress);
  return picture;
}

}  // namespace brisko
