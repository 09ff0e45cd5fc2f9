// The codecs as Lumeral.dll links them: the MinGW builds of the outside
// libraries, whose error paths long-jump over Windows' unwinding, under
// Wine. Each writer's file reads back, and damaged files fail cleanly.
#include <gtest/gtest.h>

#include <random>

#include "codecs/Codecs.h"
#include "core/Files.h"

namespace brisko {
namespace {

Bitmap Picture() {
  Bitmap b(90, 70, PixelFormat::Bgr24);
  for (std::int32_t y = 0; y < 70; ++y)
    for (std::int32_t x = 0; x < 90; ++x)
      b.SetPixelAt(x, y, x > 60 ? MakeColour(20, 200, 90)
                                : MakeColour(static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 3), 77));
  return b;
}

SaveParameters As(ImageFormat format, TiffCompression tiff = TiffCompression::Lzw) {
  SaveParameters p;
  p.format = format;
  p.tiffCompression = tiff;
  return p;
}

std::vector<std::uint8_t> Encode(const Bitmap& picture, const SaveParameters& p) {
  MemorySink sink;
  WriteImage(picture, p, sink);
  return sink.Take();
}

// The mean absolute difference over every channel of every pixel.
double MeanDifference(const Bitmap& a, const Bitmap& b) {
  double sum = 0;
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x) {
      const Colour p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      sum += std::abs(RedOf(p) - RedOf(q)) + std::abs(GreenOf(p) - GreenOf(q)) + std::abs(BlueOf(p) - BlueOf(q));
    }
  return sum / (3.0 * a.Width() * a.Height());
}

TEST(LumeralCodecs, EveryReadableFormatRoundTrips) {
  const Bitmap picture = Picture();
  struct Case {
    SaveParameters parameters;
    double tolerance;
  } cases[] = {{As(ImageFormat::Png), 0},
               {As(ImageFormat::Bmp), 0},
               {As(ImageFormat::Tiff), 0},
               {As(ImageFormat::Tiff, TiffCompression::PackBits), 0},
               {As(ImageFormat::Jpeg), 6}};
  for (const Case& c : cases) {
    const Bitmap back = ReadImage(Encode(picture, c.parameters), c.parameters.format);
    ASSERT_EQ(back.Width(), 90);
    EXPECT_LE(MeanDifference(back, picture), c.tolerance) << static_cast<int>(c.parameters.format);
  }
  // GIF reduces the colours; the flat area keeps its exact colour.
  const Bitmap gif = ReadImage(Encode(picture, As(ImageFormat::Gif)), ImageFormat::Gif);
  EXPECT_EQ(gif.PixelAt(80, 10), MakeColour(20, 200, 90));
}

TEST(LumeralCodecs, DamagedFilesGiveImageErrorNotACrash) {
  const Bitmap picture = Picture();
  std::mt19937 random(3);
  for (ImageFormat format : {ImageFormat::Jpeg, ImageFormat::Png, ImageFormat::Tiff, ImageFormat::Gif}) {
    const std::vector<std::uint8_t> file = Encode(picture, As(format));
    const std::vector<std::uint8_t> half(file.begin(), file.begin() + file.size() / 2);
    EXPECT_THROW(ReadImage(half, format), ImageError) << static_cast<int>(format);
    for (int round = 0; round < 40; ++round) {
      std::vector<std::uint8_t> damaged = file;
      damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
      try {
        ReadImage(damaged, format);
      } catch (const ImageError&) {
      }
    }
  }
}

// A sink failing inside libjpeg's and libpng's callbacks comes out as its
// own exception, through the long jump and back.
TEST(LumeralCodecs, SinkFailuresPassThroughTheLibraries) {
  class FullDisk final : public ByteSink {
   public:
    using ByteSink::Write;
    void Write(const void*, std::size_t) override { throw FileError("disk full"); }
  };
  for (ImageFormat format : {ImageFormat::Jpeg, ImageFormat::Png, ImageFormat::Gif, ImageFormat::Tiff}) {
    FullDisk sink;
    EXPECT_THROW(WriteImage(Picture(), As(format), sink), FileError) << static_cast<int>(format);
  }
}

}  // namespace
}  // namespace brisko
