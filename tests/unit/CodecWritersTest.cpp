// Every writer's output, read back by our readers and by outside ones
// (Pillow, tiffinfo), and the layouts of the formats we write ourselves,
// byte by byte against their published descriptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "CodecTestSupport.h"
#include "TempFolder.h"
#include "codecs/Codecs.h"
#include "codecs/Gif.h"
#include "codecs/Ico.h"
#include "codecs/Jpeg.h"
#include "codecs/Pcx.h"
#include "codecs/Png.h"
#include "codecs/Tga.h"
#include "codecs/Tiff.h"
#include "codecs/Wmf.h"
#include "core/Bmp.h"
#include "core/Palettes.h"

namespace brisko {
namespace {

using test::Bytes;
using test::MaxDifference;
using test::TestPicture;

Bytes Encode(const Bitmap& picture, const SaveParameters& parameters) {
  MemorySink sink;
  WriteImage(picture, parameters, sink);
  return sink.Take();
}

SaveParameters As(ImageFormat format) {
  SaveParameters p;
  p.format = format;
  return p;
}

// The picture in another pixel format, as the dialog's colour choices make it.
Bitmap Converted(const Bitmap& picture, PixelFormat format) {
  Bitmap b = picture;
  b.SetFormat(format);
  return b;
}

class Written : public ::testing::Test {
 protected:
  std::filesystem::path Save(const Bytes& bytes, const std::string& name) {
    const std::filesystem::path path = folder_.Path() / name;
    WriteFileAtomically(path, bytes);
    return path;
  }
  test::PillowPicture Pillow(const Bytes& bytes, const std::string& name) {
    const auto picture = test::ReadWithPillow(Save(bytes, name));
    EXPECT_TRUE(picture.has_value()) << "Pillow could not read " << name;
    return picture.value_or(test::PillowPicture{});
  }

  TempFolder folder_;
};

// --- PNG -------------------------------------------------------------------

TEST_F(Written, PngKeepsEveryPixelOfEveryFormat) {
  BRISKO_REQUIRE_PILLOW();
  const Bitmap picture = TestPicture(67, 41);
  for (PixelFormat format : {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                             PixelFormat::Rgb565, PixelFormat::Bgr24, PixelFormat::Bgrx32}) {
    SCOPED_TRACE(BitsPerPixel(format));
    const Bitmap source = Converted(picture, format);
    const Bytes png = Encode(source, As(ImageFormat::Png));
    EXPECT_EQ(png[28], 0) << "not interlaced";
    EXPECT_EQ(MaxDifference(ReadPng(png), source), 0);
    const test::PillowPicture pillow = Pillow(png, "p.png");
    EXPECT_EQ(pillow.format, "PNG");
    EXPECT_EQ(pillow.mode, IsIndexed(format) ? "P" : "RGB");  // palettes stay palettes
    EXPECT_EQ(MaxDifference(source, pillow), 0);
  }
}

// --- JPEG ------------------------------------------------------------------

TEST_F(Written, JpegIsCloseToTheOriginalAndDecodesAlikeElsewhere) {
  BRISKO_REQUIRE_PILLOW();
  const Bitmap picture = TestPicture(64, 48);
  SaveParameters p = As(ImageFormat::Jpeg);
  p.jpegQuality = 95;
  for (PixelFormat format : {PixelFormat::Bgr24, PixelFormat::Indexed8, PixelFormat::Bgrx32}) {
    const Bitmap source = Converted(picture, format);
    const Bytes jpeg = Encode(source, p);
    const Bitmap ours = ReadJpeg(jpeg);
    // Chroma subsampling blurs colour edges; a channel mix-up would be ~40.
    EXPECT_LT(test::MeanDifference(ours, source), 6);
    const test::PillowPicture pillow = Pillow(jpeg, "p.jpg");
    EXPECT_EQ(pillow.format, "JPEG");
    EXPECT_LE(MaxDifference(ours, pillow), 2);  // the same decoder, within rounding
  }
}

TEST_F(Written, JpegQualityAndSmoothingDoWhatTheySay) {
  const Bitmap picture = TestPicture(96, 64);
  SaveParameters p = As(ImageFormat::Jpeg);
  p.jpegSmoothing = 0;
  p.jpegQuality = 30;
  const Bytes low = Encode(picture, p);
  p.jpegQuality = 95;
  const Bytes high = Encode(picture, p);
  EXPECT_LT(low.size(), high.size());
  EXPECT_LT(test::MeanDifference(ReadJpeg(high), picture), test::MeanDifference(ReadJpeg(low), picture));

  // A checkerboard loses contrast when smoothed.
  Bitmap checks(64, 64, PixelFormat::Bgr24);
  for (std::int32_t y = 0; y < 64; ++y)
    for (std::int32_t x = 0; x < 64; ++x) checks.SetPixelAt(x, y, (x + y) % 2 ? kWhite : kBlack);
  p.jpegSmoothing = 0;
  const double sharp = test::MeanDifference(ReadJpeg(Encode(checks, p)), checks);
  p.jpegSmoothing = 100;
  const double smooth = test::MeanDifference(ReadJpeg(Encode(checks, p)), checks);
  EXPECT_GT(smooth, sharp + 10);

  // The dialog's spin edit has no bounds: values past the ends still write.
  for (int quality : {-5, 0, 101, 1000}) {
    p.jpegQuality = quality;
    EXPECT_NO_THROW(ReadJpeg(Encode(picture, p))) << quality;
  }
}

// --- TIFF ------------------------------------------------------------------

struct TiffCase {
  TiffCompression compression;
  const char* scheme;  // as tiffinfo names it
  bool bilevel;
};

constexpr TiffCase kTiffCases[] = {
    {TiffCompression::None, "None", false},         {TiffCompression::CcittRle, "CCITT RLE", true},
    {TiffCompression::CcittFax3, "CCITT Group 3", true}, {TiffCompression::CcittFax4, "CCITT Group 4", true},
    {TiffCompression::Lzw, "LZW", false},           {TiffCompression::PackBits, "PackBits", false},
};

// Black below half brightness, white elsewhere.
Bitmap Thresholded(const Bitmap& picture) {
  Bitmap b = picture;
  for (std::int32_t y = 0; y < b.Height(); ++y)
    for (std::int32_t x = 0; x < b.Width(); ++x) {
      const Colour c = b.PixelAt(x, y);
      const int brightness = (RedOf(c) * 77 + GreenOf(c) * 150 + BlueOf(c) * 29) >> 8;
      b.SetPixelAt(x, y, brightness < 128 ? kBlack : kWhite);
    }
  return b;
}

TEST_F(Written, TiffStoresEachCompressionCodeAndEveryReaderAgrees) {
  BRISKO_REQUIRE_PILLOW();
  BRISKO_REQUIRE_TIFF_TOOLS();
  const Bitmap picture = TestPicture(77, 50);
  for (const TiffCase& c : kTiffCases) {
    SCOPED_TRACE(c.scheme);
    SaveParameters p = As(ImageFormat::Tiff);
    p.tiffCompression = c.compression;
    const Bytes tiff = Encode(picture, p);
    const std::filesystem::path file = Save(tiff, "p.tif");
    EXPECT_EQ(test::TiffinfoCompression(file), c.scheme);
    const Bitmap expected = c.bilevel ? Thresholded(picture) : picture;
    EXPECT_EQ(MaxDifference(ReadTiff(tiff), expected), 0);
    const test::PillowPicture pillow = Pillow(tiff, "p.tif");
    EXPECT_EQ(pillow.mode, c.bilevel ? "1" : "RGB");
    EXPECT_EQ(MaxDifference(expected, pillow), 0);
  }
}

// --- GIF -------------------------------------------------------------------

TEST_F(Written, GifKeepsAPictureOfFewColoursExactly) {
  BRISKO_REQUIRE_PILLOW();
  for (PixelFormat format : {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                             PixelFormat::Bgr24}) {
    SCOPED_TRACE(BitsPerPixel(format));
    // Through the halftone palette first: at most 256 colours in any format.
    const Bitmap source = Converted(Converted(TestPicture(50, 30), PixelFormat::Indexed8), format);
    const Bytes gif = Encode(source, As(ImageFormat::Gif));
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF87a");
    const Bitmap ours = ReadGif(gif);
    EXPECT_EQ(ours.Format(), PixelFormat::Indexed8);
    EXPECT_EQ(MaxDifference(ours, source), 0);
    EXPECT_EQ(MaxDifference(source, Pillow(gif, "p.gif")), 0);
  }
}

TEST_F(Written, GifColourTableIsAsSmallAsTheColoursAllow) {
  Bitmap two(10, 10, PixelFormat::Bgr24);
  two.FillRect(Rect{0, 0, 5, 10}, MakeColour(200, 10, 10));
  const Bytes gif = Encode(two, As(ImageFormat::Gif));
  EXPECT_EQ(gif[10] & 0x80, 0x80);  // a global colour table
  EXPECT_EQ(gif[10] & 7, 0);        // of 2 entries
  EXPECT_EQ(MaxDifference(ReadGif(gif), two), 0);
}

// --- BMP through the dialog's depths ------------------------------------------

TEST_F(Written, BmpIsWrittenAtTheChosenDepth) {
  BRISKO_REQUIRE_PILLOW();
  const Bitmap picture = TestPicture(33, 20);
  for (PixelFormat depth : {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                            PixelFormat::Bgr24, PixelFormat::Bgrx32}) {
    SCOPED_TRACE(BitsPerPixel(depth));
    SaveParameters p = As(ImageFormat::Bmp);
    p.depth = depth;
    const Bytes bmp = Encode(picture, p);
    const Bitmap ours = ReadBmp(bmp);
    EXPECT_EQ(ours.Format(), depth);
    // Reduced to the standard palette of the depth, nearest colour first.
    EXPECT_EQ(MaxDifference(ours, Converted(picture, depth)), 0);
    EXPECT_EQ(MaxDifference(ours, Pillow(bmp, "p.bmp")), 0);
  }
}

// --- PCX -------------------------------------------------------------------

Bytes PcxHeader(std::uint8_t bits, std::uint8_t planes, std::uint16_t bytesPerLine, std::uint16_t xMax,
                std::uint16_t yMax) {
  Bytes h = {0x0A, 5, 1, bits, 0, 0, 0, 0, static_cast<std::uint8_t>(xMax), static_cast<std::uint8_t>(xMax >> 8),
             static_cast<std::uint8_t>(yMax), static_cast<std::uint8_t>(yMax >> 8), 96, 0, 96, 0};
  h.resize(64, 0);  // the 16-colour palette, empty here
  h.insert(h.end(), {0, planes, static_cast<std::uint8_t>(bytesPerLine), static_cast<std::uint8_t>(bytesPerLine >> 8),
                     1, 0, 0, 0, 0, 0});
  h.resize(128, 0);
  return h;
}

TEST_F(Written, Pcx24BitFollowsThePublishedLayout) {
  Bitmap b(3, 2, PixelFormat::Bgr24);
  b.SetPixelAt(0, 0, MakeColour(0xC5, 0x10, 0x20));
  b.SetPixelAt(1, 0, MakeColour(0xC5, 0x10, 0x21));
  b.SetPixelAt(2, 0, MakeColour(0x01, 0x10, 0x22));
  b.FillRect(Rect{0, 1, 3, 2}, kBlack);
  Bytes expected = PcxHeader(8, 3, 4, 2, 1);  // 3 pixels, rounded up to an even 4 bytes per plane
  expected.insert(expected.end(), {
      0xC2, 0xC5, 0x01, 0x00,  // red: a run of two 0xC5, one 0x01, the padding
      0xC3, 0x10, 0x00,        // green: a run of three
      0x20, 0x21, 0x22, 0x00,  // blue: literals
      0xC4, 0x00, 0xC4, 0x00, 0xC4, 0x00});  // the black row
  MemorySink sink;
  WritePcx(b, sink);
  EXPECT_EQ(sink.Bytes(), expected);
}

TEST_F(Written, Pcx16ColoursUseFourBitPlanesAndTheHeaderPalette) {
  Bitmap b(2, 1, PixelFormat::Indexed4);
  b.SetPixelAt(0, 0, StandardPalette16()[9]);   // index 9: planes 0 and 3
  b.SetPixelAt(1, 0, StandardPalette16()[6]);   // index 6: planes 1 and 2
  MemorySink sink;
  WritePcx(b, sink);
  const Bytes& file = sink.Bytes();
  ASSERT_EQ(file.size(), 128u + 8u);
  EXPECT_EQ(file[3], 1);   // bits per plane
  EXPECT_EQ(file[65], 4);  // planes
  EXPECT_EQ(file[66], 2);  // bytes per plane line
  for (int i = 0; i < 16; ++i) {
    const Colour c = StandardPalette16()[i];
    EXPECT_EQ(file[16 + 3 * i], RedOf(c));
    EXPECT_EQ(file[16 + 3 * i + 2], BlueOf(c));
  }
  // Plane by plane, each padded to two bytes: pixel 0 is the top bit, pixel
  // 1 the next. Lone bytes below 0xC0 stand for themselves.
  EXPECT_EQ(Bytes(file.begin() + 128, file.end()), (Bytes{0x80, 0x00, 0x40, 0x00, 0x40, 0x00, 0x80, 0x00}));
}

TEST_F(Written, PcxOfEachDepthReadsBackElsewhere) {
  BRISKO_REQUIRE_PILLOW();
  const Bitmap picture = TestPicture(45, 21);
  for (PixelFormat depth : {PixelFormat::Indexed4, PixelFormat::Indexed8, PixelFormat::Bgr24}) {
    SCOPED_TRACE(BitsPerPixel(depth));
    SaveParameters p = As(ImageFormat::Pcx);
    p.depth = depth;
    const test::PillowPicture pillow = Pillow(Encode(picture, p), "p.pcx");
    EXPECT_EQ(pillow.format, "PCX");
    EXPECT_EQ(MaxDifference(Converted(picture, depth), pillow), 0);
  }
}

// --- TGA -------------------------------------------------------------------

TEST_F(Written, TgaFollowsThePublishedLayout) {
  Bitmap b(2, 2, PixelFormat::Bgr24);
  b.SetPixelAt(0, 0, MakeColour(1, 2, 3));
  b.SetPixelAt(1, 0, MakeColour(4, 5, 6));
  b.SetPixelAt(0, 1, MakeColour(7, 8, 9));
  b.SetPixelAt(1, 1, MakeColour(10, 11, 12));
  Bytes expected = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0,  // uncompressed true colour
                    9, 8, 7, 12, 11, 10,                                   // bottom row first, blue first
                    3, 2, 1, 6, 5, 4,
                    0, 0, 0, 0, 0, 0, 0, 0};  // no extension or developer area
  const std::string signature = "TRUEVISION-XFILE.";
  expected.insert(expected.end(), signature.begin(), signature.end());
  expected.push_back(0);
  MemorySink sink;
  WriteTga(b, sink);
  EXPECT_EQ(sink.Bytes(), expected);
}

TEST_F(Written, TgaReadsBackElsewhere) {
  BRISKO_REQUIRE_PILLOW();
  const Bitmap picture = Converted(TestPicture(31, 17), PixelFormat::Indexed8);
  const test::PillowPicture pillow = Pillow(Encode(picture, As(ImageFormat::Tga)), "p.tga");
  EXPECT_EQ(pillow.format, "TGA");
  EXPECT_EQ(pillow.mode, "RGB");
  EXPECT_EQ(MaxDifference(picture, pillow), 0);
}

// --- ICO and the placeable metafile header --------------------------------------

TEST_F(Written, IconHoldsOneImageWithItsMask) {
  BRISKO_REQUIRE_PILLOW();
  const Bitmap colour = TestPicture(32, 32);
  Bitmap mask(32, 32, PixelFormat::Indexed1);
  mask.Fill(kBlack);
  mask.FillRect(Rect{0, 0, 10, 5}, kWhite);  // transparent
  MemorySink sink;
  WriteIco(colour, mask, sink);
  const Bytes& ico = sink.Bytes();
  ASSERT_EQ(ico.size(), 6u + 16u + 40u + 32u * 96u + 32u * 4u);
  EXPECT_EQ(Bytes(ico.begin(), ico.begin() + 8), (Bytes{0, 0, 1, 0, 1, 0, 32, 32}));
  EXPECT_EQ(ico[10], 1);       // planes
  EXPECT_EQ(ico[12], 24);      // bits per pixel
  EXPECT_EQ(ico[18], 22);      // the image follows the directory
  EXPECT_EQ(ico[22 + 8], 64);  // the bitmap counts colour and mask rows

  const test::PillowPicture pillow = Pillow(ico, "p.ico");
  EXPECT_EQ(pillow.format, "ICO");
  ASSERT_EQ(pillow.alpha.size(), 32u * 32u);
  for (std::int32_t y = 0; y < 32; ++y)
    for (std::int32_t x = 0; x < 32; ++x) {
      const bool transparent = x < 10 && y < 5;
      EXPECT_EQ(pillow.alpha[y * 32 + x], transparent ? 0 : 255) << x << ", " << y;
      if (!transparent) {
        EXPECT_EQ(pillow.pixels.PixelAt(x, y), colour.PixelAt(x, y));
      }
    }
}

TEST(Wmf, PlaceableHeaderHasTheKeyTheBoxAndTheChecksum) {
  const auto header = PlaceableMetafileHeader(40, 25, 96);
  // Key, handle, box (0, 0, 40, 25), 96 per inch, reserved, then the
  // checksum: 0xCDD7 ^ 0x9AC6 ^ 40 ^ 25 ^ 96 = 0x5740.
  const Bytes expected = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 40, 0, 25, 0, 96, 0, 0, 0, 0, 0, 0x40, 0x57};
  EXPECT_EQ(Bytes(header.begin(), header.end()), expected);
  EXPECT_THROW(PlaceableMetafileHeader(40000, 25, 96), ImageError);
}

// --- Sinks ---------------------------------------------------------------------

// A sink that fails after a number of bytes, as a full disk would.
class FailingSink final : public ByteSink {
 public:
  explicit FailingSink(std::size_t budget) : budget_(budget) {}
  using ByteSink::Write;
  void Write(const void*, std::size_t size) override {
    if (size > budget_) throw FileError("disk full");
    budget_ -= size;
  }

 private:
  std::size_t budget_;
};

// The libraries call the sink from their own C code; its exception must
// come out as itself, neither lost nor turned into a decoding error.
TEST(Sinks, AFailingSinkFailsEveryWriterWithItsOwnError) {
  const Bitmap picture = TestPicture(300, 200);
  for (ImageFormat format : {ImageFormat::Bmp, ImageFormat::Jpeg, ImageFormat::Pcx, ImageFormat::Png,
                             ImageFormat::Tiff, ImageFormat::Gif, ImageFormat::Tga}) {
    for (std::size_t budget : {std::size_t{0}, std::size_t{1000}}) {
      FailingSink sink(budget);
      EXPECT_THROW(WriteImage(picture, As(format), sink), FileError) << static_cast<int>(format) << " " << budget;
    }
  }
}

TEST(Sinks, EmptyPicturesAreRefusedByEveryWriter) {
  for (ImageFormat format : {ImageFormat::Bmp, ImageFormat::Jpeg, ImageFormat::Pcx, ImageFormat::Png,
                             ImageFormat::Tiff, ImageFormat::Gif, ImageFormat::Tga}) {
    MemorySink sink;
    EXPECT_THROW(WriteImage(Bitmap(), As(format), sink), ImageError) << static_cast<int>(format);
    EXPECT_TRUE(sink.Bytes().empty());
  }
}

}  // namespace
}  // namespace brisko
