#include <algorithm>
#include <exception>
#include <vector>

#include "codecs/Limits.h"
#include "codecs/Png.h"
#include "codecs/PngCommon.h"
#include "codecs/Quantise.h"

namespace brisko {

namespace {

constexpr const char* kFormat = "PNG";
constexpr std::int32_t kBandRows = 32;
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch, the screen's

// libpng's output, passed on to a ByteSink. A failing sink must not throw
// through libpng: the exception is kept and libpng told to give up.
struct SinkOutput {
  ByteSink* sink;
  std::exception_ptr failure;
};

bool Deliver(SinkOutput& output, png_bytep data, std::size_t size) noexcept {
  try {
    output.sink->Write(data, size);
    return true;
  } catch (...) {
    output.failure = std::current_exception();
    return false;
  }
}

void WriteData(png_structp png, png_bytep data, std::size_t size) {
  if (!Deliver(*static_cast<SinkOutput*>(png_get_io_ptr(png)), data, size)) png_error(png, "the sink failed");
}

void FlushData(png_structp) {}

// Owns libpng's write structures; every call into the library goes through Run.
class Writer {
 public:
  explicit Writer(ByteSink& sink) : output_{&sink, nullptr} {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, &trap_, &codecs::PngRaise, &codecs::PngIgnoreWarning);
    if (png_) info_ = png_create_info_struct(png_);
    if (!png_ || !info_) codecs::FailToWrite(kFormat, "there is not enough memory");
    png_set_write_fn(png_, &output_, &WriteData, &FlushData);
  }
  ~Writer() { png_destroy_write_struct(&png_, &info_); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

  void Run(codecs::PngStep step, void* context) {
    if (codecs::PngProtect(png_, step, context)) return;
    if (output_.failure) std::rethrow_exception(output_.failure);
    codecs::FailToWrite(kFormat, trap_.message);
  }

 private:
  codecs::PngErrorTrap trap_{};
  SinkOutput output_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

struct HeaderStep {
  png_structp png;
  png_infop info;
  const Bitmap* picture;
  const png_color* palette;
  int paletteSize;
};

// Screenshots are mostly flat areas and text. The Sub filter turns both
// into runs of zeros and repeated strings that deflate's fastest level packs
// about as tightly as the default level with adaptive filtering does, in a
// quarter of the time; choosing a filter for each row costs more than it
// saves on such pictures. (Large photos come out some 20% bigger than at
// the default level; the slow levels would cost four times as long.)
void WriteHeader(void* context) {
  auto& step = *static_cast<HeaderStep*>(context);
  const Bitmap& picture = *step.picture;
  const bool indexed = IsIndexed(picture.Format());
  png_set_IHDR(step.png, step.info, static_cast<png_uint_32>(picture.Width()),
               static_cast<png_uint_32>(picture.Height()), indexed ? BitsPerPixel(picture.Format()) : 8,
               indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (indexed) png_set_PLTE(step.png, step.info, step.palette, step.paletteSize);
  png_set_pHYs(step.png, step.info, kPixelsPerMetre, kPixelsPerMetre, PNG_RESOLUTION_METER);
  png_set_filter(step.png, PNG_FILTER_TYPE_BASE, indexed ? PNG_FILTER_NONE : PNG_FILTER_SUB);
  png_set_compression_level(step.png, 1);
  // Large IDAT chunks, from a buffer small enough to come from the heap
  // rather than fresh pages of its own.
  png_set_compression_buffer_size(step.png, 1 << 16);
  png_write_info(step.png, step.info);
  if (!indexed) png_set_bgr(step.png);
}

struct RowsStep {
  png_structp png;
  png_bytepp rows;
  png_uint_32 count;
};

void WriteRows(void* context) {
  auto& step = *static_cast<RowsStep*>(context);
  png_write_rows(step.png, step.rows, step.count);
}

void WriteEnd(void* context) {
  auto& step = *static_cast<HeaderStep*>(context);
  png_write_end(step.png, step.info);
}

std::vector<png_color> PaletteOf(const Bitmap& picture) {
  std::vector<png_color> colours;
  for (Colour c : picture.Palette()) colours.push_back(png_color{RedOf(c), GreenOf(c), BlueOf(c)});
  return colours;
}

void CompressRows(Writer& writer, const Bitmap& picture, ProgressReporter& reporter) {
  const std::int32_t width = picture.Width(), height = picture.Height();
  // Indexed and 24-bit rows go as they are; the others pass through a band
  // of 24-bit rows.
  const bool direct = IsIndexed(picture.Format()) || picture.Format() == PixelFormat::Bgr24;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> band(direct ? 0 : rowBytes * kBandRows);
  std::vector<png_bytep> rows(kBandRows);
  for (std::int32_t top = 0; top < height; top += kBandRows) {
    const std::int32_t count = std::min(kBandRows, height - top);
    for (std::int32_t i = 0; i < count; ++i) {
      if (direct) {
        // libpng only reads the rows it is given.
        rows[i] = const_cast<png_bytep>(picture.Row(top + i));
      } else {
        rows[i] = band.data() + rowBytes * static_cast<std::size_t>(i);
        RowToBgr24(picture.Row(top + i), picture.Format(), picture.Palette(), width, rows[i]);
      }
    }
    RowsStep step{writer.Png(), rows.data(), static_cast<png_uint_32>(count)};
    writer.Run(&WriteRows, &step);
    reporter.Advance(static_cast<std::uint64_t>(top + count));
  }
}

void Compress(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress) {
  Writer writer(sink);
  const std::vector<png_color> palette = PaletteOf(picture);
  HeaderStep header{writer.Png(), writer.Info(), &picture, palette.data(), static_cast<int>(palette.size())};
  writer.Run(&WriteHeader, &header);
  ProgressReporter reporter(progress, static_cast<std::uint64_t>(picture.Height()));
  CompressRows(writer, picture, reporter);
  writer.Run(&WriteEnd, &header);
  reporter.Finish();
}

}  // namespace

void WritePng(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress) {
  if (picture.IsEmpty()) codecs::FailToWrite(kFormat, "it has no pixels");
  // Most screenshots have few colours: with a palette the same pixels take
  // a third of the bytes, which deflate then packs faster and tighter.
  const std::optional<Bitmap> indexed = IsIndexed(picture.Format()) ? std::nullopt : IndexExactly(picture, 256);
  Compress(indexed ? *indexed : picture, sink, progress);
}

}  // namespace brisko
