#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/Limits.h"
#include "codecs/Png.h"
#include "codecs/PngCommon.h"

namespace brisko {

namespace {

constexpr const char* kFormat = "PNG";
// Deflate, PNG's compression, makes at most 1032 bytes of one.
constexpr std::uint64_t kMaxInflation = 1032;
constexpr std::int32_t kBandRows = 32;

struct MemoryInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
};

void ReadData(png_structp png, png_bytep out, std::size_t size) {
  auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (size > input->size - input->at) png_error(png, "the file is cut off");
  std::memcpy(out, input->data + input->at, size);
  input->at += size;
}

// Owns libpng's read structures; every call into the library goes through Run.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> file) : input_{file.data(), file.size(), 0} {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &trap_, &codecs::PngRaise, &codecs::PngIgnoreWarning);
    if (png_) info_ = png_create_info_struct(png_);
    if (!png_ || !info_) codecs::FailToRead(kFormat, "there is not enough memory");
    png_set_read_fn(png_, &input_, &ReadData);
    // Bitmaps refuse more anyway; telling libpng lets it refuse early.
    png_set_user_limits(png_, kMaxBitmapSide, kMaxBitmapSide);
  }
  ~Reader() { png_destroy_read_struct(&png_, &info_, nullptr); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

  void Run(codecs::PngStep step, void* context) {
    if (!codecs::PngProtect(png_, step, context)) codecs::FailToRead(kFormat, trap_.message);
  }

 private:
  codecs::PngErrorTrap trap_{};
  MemoryInput input_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

struct Layout {
  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0, interlace = 0;
  std::size_t rawRowBytes = 0;
};

struct InfoStep {
  png_structp png;
  png_infop info;
  Layout* layout;
};

void ReadInfo(void* context) {
  auto& step = *static_cast<InfoStep*>(context);
  png_read_info(step.png, step.info);
  Layout& l = *step.layout;
  png_get_IHDR(step.png, step.info, &l.width, &l.height, &l.depth, &l.colourType, &l.interlace, nullptr, nullptr);
  l.rawRowBytes = png_get_rowbytes(step.png, step.info);
}

struct TransformStep {
  png_structp png;
  png_infop info;
  const Layout* layout;
  int passes;
  int channels;
};

// Whatever the file holds becomes 8-bit blue, green, red and, when the file
// has transparency, alpha.
void SetTransforms(void* context) {
  auto& step = *static_cast<TransformStep*>(context);
  png_structp png = step.png;
  const Layout& l = *step.layout;
  if (l.colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if ((l.colourType & PNG_COLOR_MASK_COLOR) == 0) {
    if (l.depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  if (png_get_valid(png, step.info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (l.depth == 16) png_set_scale_16(png);
  png_set_bgr(png);
  step.passes = png_set_interlace_handling(png);
  png_read_update_info(png, step.info);
  step.channels = png_get_channels(png, step.info);
}

struct RowsStep {
  png_structp png;
  png_bytepp rows;
  png_uint_32 count;
};

void ReadRows(void* context) {
  auto& step = *static_cast<RowsStep*>(context);
  png_read_rows(step.png, step.rows, nullptr, step.count);
}

void CheckLayout(const Layout& layout, std::size_t fileSize) {
  // The most rows the compressed data can fill, each with its filter byte.
  const std::uint64_t maxRows = codecs::MaxPixelsFor(fileSize, kMaxInflation) / (layout.rawRowBytes + 1);
  codecs::CheckDeclaredSize(kFormat, layout.width, layout.height, maxRows * layout.width);
}

// Reads every pass of the picture into `rows`; interlaced files fill the
// rows in seven passes, plain ones in one.
void ReadPasses(Reader& reader, std::vector<png_bytep>& rows, int passes, const ProgressFn& progress) {
  const auto height = static_cast<std::int32_t>(rows.size());
  ProgressReporter reporter(progress, static_cast<std::uint64_t>(height) * passes);
  for (int pass = 0; pass < passes; ++pass) {
    for (std::int32_t top = 0; top < height; top += kBandRows) {
      const std::int32_t count = std::min(kBandRows, height - top);
      RowsStep step{reader.Png(), rows.data() + top, static_cast<png_uint_32>(count)};
      reader.Run(&ReadRows, &step);
      reporter.Advance(static_cast<std::uint64_t>(pass) * height + top + count);
    }
  }
  reporter.Finish();
}

// Transparent pixels over a white page.
void CompositeOverWhite(const std::uint8_t* bgra, std::int32_t width, std::uint8_t* bgr) {
  for (std::int32_t x = 0; x < width; ++x, bgra += 4, bgr += 3) {
    const unsigned alpha = bgra[3], rest = 255 - alpha;
    for (int c = 0; c < 3; ++c) bgr[c] = static_cast<std::uint8_t>((bgra[c] * alpha + 255 * rest + 127) / 255);
  }
}

}  // namespace

Bitmap ReadPng(std::span<const std::uint8_t> file, const ProgressFn& progress) {
  if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0) codecs::FailToRead(kFormat, "it is not a PNG file");
  Reader reader(file);
  Layout layout;
  InfoStep info{reader.Png(), reader.Info(), &layout};
  reader.Run(&ReadInfo, &info);
  CheckLayout(layout, file.size());
  TransformStep transforms{reader.Png(), reader.Info(), &layout, 1, 3};
  reader.Run(&SetTransforms, &transforms);

  const auto width = static_cast<std::int32_t>(layout.width), height = static_cast<std::int32_t>(layout.height);
  Bitmap picture = codecs::AllocateDecoded(kFormat, width, height, PixelFormat::Bgr24);
  const bool alpha = transforms.channels == 4;
  std::vector<std::uint8_t> withAlpha;
  if (alpha) withAlpha.resize(static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height));
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (std::int32_t y = 0; y < height; ++y)
    rows[y] = alpha ? withAlpha.data() + static_cast<std::size_t>(width) * 4 * y : picture.Row(y);
  ReadPasses(reader, rows, transforms.passes, progress);
  if (alpha)
    for (std::int32_t y = 0; y < height; ++y) CompositeOverWhite(rows[y], width, picture.Row(y));
  return picture;
}

}  // namespace brisko
