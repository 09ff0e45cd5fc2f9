#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "codecs/Gif.h"
#include "codecs/Limits.h"
#include "codecs/Quantise.h"

namespace brisko {

namespace {

constexpr const char* kFormat = "GIF";
constexpr std::int32_t kMaxSide = 65535;

// giflib's output, passed on to a ByteSink. An exception must not pass
// through giflib: it is kept, and giflib sees a failed write.
struct SinkOutput {
  ByteSink* sink;
  std::exception_ptr failure;
};

int WriteData(GifFileType* gif, const GifByteType* data, int size) {
  auto* output = static_cast<SinkOutput*>(gif->UserData);
  try {
    output->sink->Write(data, static_cast<std::size_t>(size));
    return size;
  } catch (...) {
    output->failure = std::current_exception();
    return 0;
  }
}

struct ColourMapDeleter {
  void operator()(ColorMapObject* map) const noexcept { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, ColourMapDeleter>;

// Closes (and frees) a file that was not finished normally.
struct GifDeleter {
  void operator()(GifFileType* gif) const noexcept {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifDeleter>;

class Encoder {
 public:
  explicit Encoder(ByteSink& sink) : output_{&sink, nullptr} {
    int error = 0;
    gif_.reset(EGifOpen(&output_, &WriteData, &error));
    if (!gif_) Fail(error);
  }

  GifFileType* Get() const { return gif_.get(); }

  // Checks a giflib result; a failure becomes the sink's exception or ImageError.
  void Check(int result) {
    if (result != GIF_ERROR) return;
    Fail(gif_->Error);
  }

  // Writes the trailer and frees the file.
  void Close() {
    int error = 0;
    const int result = EGifCloseFile(gif_.release(), &error);
    // giflib does not check the write of the trailer; the sink does.
    if (result == GIF_ERROR || output_.failure) Fail(error);
  }

 private:
  [[noreturn]] void Fail(int error) {
    if (output_.failure) std::rethrow_exception(output_.failure);
    const char* why = GifErrorString(error);
    codecs::FailToWrite(kFormat, why ? why : "giflib failed");
  }

  SinkOutput output_;
  GifHandle gif_;
};

// The smallest colour table, a power of two, that holds every index used.
int TableBits(const Bitmap& indexed) {
  std::uint8_t highest = 0;
  for (std::int32_t y = 0; y < indexed.Height(); ++y) {
    const std::uint8_t* row = indexed.Row(y);
    highest = std::max(highest, *std::max_element(row, row + indexed.Width()));
  }
  int bits = 1;
  while ((1 << bits) <= highest) ++bits;
  return bits;
}

ColourMap MakeColourMap(const Bitmap& indexed, int bits) {
  const int size = 1 << bits;
  std::vector<GifColorType> colours(static_cast<std::size_t>(size));
  const auto palette = indexed.Palette();
  for (int i = 0; i < size; ++i) {
    const Colour c = i < static_cast<int>(palette.size()) ? palette[i] : kBlack;
    colours[i] = GifColorType{RedOf(c), GreenOf(c), BlueOf(c)};
  }
  ColourMap map(GifMakeMapObject(size, colours.data()));
  if (!map) codecs::FailToWrite(kFormat, "there is not enough memory");
  return map;
}

Bitmap EightBitIndices(const Bitmap& picture) {
  if (picture.Format() == PixelFormat::Indexed8) return picture;
  if (!IsIndexed(picture.Format())) return ReduceColours(picture, 256);
  // 1 and 4-bit indices, one byte each; the palette stays as it is.
  Bitmap wide = Bitmap::ForOverwrite(picture.Width(), picture.Height(), PixelFormat::Indexed8);
  wide.SetPalette(picture.Palette());
  for (std::int32_t y = 0; y < picture.Height(); ++y)
    for (std::int32_t x = 0; x < picture.Width(); ++x) wide.Row(y)[x] = picture.IndexAt(x, y);
  return wide;
}

}  // namespace

void WriteGif(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress) {
  if (picture.IsEmpty()) codecs::FailToWrite(kFormat, "it has no pixels");
  if (picture.Width() > kMaxSide || picture.Height() > kMaxSide)
    codecs::FailToWrite(kFormat, "it is larger than 65535 pixels on a side");
  const Bitmap indexed = EightBitIndices(picture);
  const int bits = TableBits(indexed);
  const ColourMap map = MakeColourMap(indexed, bits);

  Encoder encoder(sink);
  const std::int32_t width = indexed.Width(), height = indexed.Height();
  encoder.Check(EGifPutScreenDesc(encoder.Get(), width, height, 8, 0, map.get()));
  encoder.Check(EGifPutImageDesc(encoder.Get(), 0, 0, width, height, false, nullptr));
  // giflib masks the indices of a row in place, so it gets a copy.
  std::vector<GifPixelType> row(static_cast<std::size_t>(width));
  ProgressReporter reporter(progress, static_cast<std::uint64_t>(height));
  for (std::int32_t y = 0; y < height; ++y) {
    std::copy_n(indexed.Row(y), width, row.data());
    encoder.Check(EGifPutLine(encoder.Get(), row.data(), width));
    reporter.Advance(static_cast<std::uint64_t>(y + 1));
  }
  encoder.Close();
  reporter.Finish();
}

}  // namespace brisko
