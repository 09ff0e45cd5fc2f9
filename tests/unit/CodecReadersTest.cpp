// The readers on files other programs wrote, in layouts our writers never
// produce, and on files that are cut off, damaged or that claim sizes their
// data cannot fill.
#include <gtest/gtest.h>

#include <png.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "CodecTestSupport.h"
#include "TempFolder.h"
#include "codecs/Codecs.h"
#include "codecs/Gif.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"
#include "codecs/Tiff.h"
#include "core/Bmp.h"

namespace brisko {
namespace {

using test::Bytes;
using test::MaxDifference;
using test::TestPicture;

using Reader = std::function<Bitmap(std::span<const std::uint8_t>)>;

Bytes Encode(const Bitmap& picture, ImageFormat format, TiffCompression tiff = TiffCompression::Lzw) {
  SaveParameters p;
  p.format = format;
  p.tiffCompression = tiff;
  MemorySink sink;
  WriteImage(picture, p, sink);
  return sink.Take();
}

class OtherPrograms : public ::testing::Test {
 protected:
  void SetUp() override { BRISKO_REQUIRE_PILLOW(); }

  // Pillow's file for the Python that makes `im`, and Pillow's own reading of it.
  std::pair<Bytes, test::PillowPicture> Make(const std::string& make, const std::string& name,
                                             const std::string& save = "") {
    const std::filesystem::path file = folder_.Path() / name;
    EXPECT_TRUE(test::MakeWithPillow(make, file, save)) << make;
    const auto pillow = test::ReadWithPillow(file);
    EXPECT_TRUE(pillow.has_value());
    return {ReadFileBytes(file), pillow.value_or(test::PillowPicture{})};
  }

  TempFolder folder_;
};

// Python for a 40 x 30 picture with a gradient, flat areas and a line.
constexpr const char* kGradient =
    "im = Image.new('RGB', (40, 30))\n"
    "im.putdata([(x * 6, y * 8, 255 - x * 3) for y in range(30) for x in range(40)])\n"
    "ImageDraw.Draw(im).rectangle((5, 5, 15, 12), fill=(250, 20, 60))\n";

TEST_F(OtherPrograms, PngOfEveryColourTypeReadsAsPillowShowsIt) {
  const std::string base = kGradient;
  const struct {
    const char* name;
    std::string make;
  } cases[] = {
      {"palette", base + "im = im.quantize(200)"},
      {"grey", base + "im = im.convert('L')"},
      {"bilevel", base + "im = im.convert('1')"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto [png, pillow] = Make(c.make, "p.png");
    EXPECT_EQ(MaxDifference(ReadPng(png), pillow), 0);
  }
  // Sixteen bits scale to eight: v * 257 becomes v again. Pillow shows 16-bit
  // grey unscaled, so the 8-bit file is the reference.
  const auto [grey, pillow] = Make(base + "im = im.convert('L')", "g.png");
  const auto [deep, unused] = Make(base + "im = im.convert('L').convert('I').point(lambda v: v * 257).convert('I;16')",
                                   "d.png");
  EXPECT_EQ(deep[24], 16) << "bit depth";
  EXPECT_EQ(MaxDifference(ReadPng(deep), pillow), 0);
}

TEST_F(OtherPrograms, PngTransparencyShowsOverWhite) {
  const std::string make =
      "im = Image.new('RGBA', (4, 1))\n"
      "im.putdata([(255, 0, 0, 255), (255, 0, 0, 0), (0, 0, 255, 128), (0, 0, 0, 64)])";
  const auto [png, pillow] = Make(make, "p.png");
  const Bitmap b = ReadPng(png);
  EXPECT_EQ(b.PixelAt(0, 0), MakeColour(255, 0, 0));
  EXPECT_EQ(b.PixelAt(1, 0), kWhite);
  EXPECT_EQ(b.PixelAt(2, 0), MakeColour(127, 127, 255));
  EXPECT_EQ(b.PixelAt(3, 0), MakeColour(191, 191, 191));

  const auto [palette, unused] = Make("im = Image.new('P', (2, 1)); im.putpalette([9, 9, 9, 200, 100, 0]); "
                                      "im.putdata([0, 1])",
                                      "t.png", "transparency=0");
  const Bitmap keyed = ReadPng(palette);
  EXPECT_EQ(keyed.PixelAt(0, 0), kWhite);
  EXPECT_EQ(keyed.PixelAt(1, 0), MakeColour(200, 100, 0));
}

// libpng writes the interlaced file; Pillow cannot.
Bytes InterlacedPng(const Bitmap& picture) {
  Bytes file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &file,
      [](png_structp p, png_bytep data, std::size_t n) {
        auto* out = static_cast<Bytes*>(png_get_io_ptr(p));
        out->insert(out->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.Width()), static_cast<png_uint_32>(picture.Height()), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  std::vector<png_bytep> rows;
  for (std::int32_t y = 0; y < picture.Height(); ++y) rows.push_back(const_cast<png_bytep>(picture.Row(y)));
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}

TEST(PngReader, InterlacedFilesComeOutWhole) {
  const Bitmap picture = TestPicture(37, 23);
  const Bytes png = InterlacedPng(picture);
  EXPECT_EQ(png[28], 1);  // Adam7
  std::vector<int> reports;
  const Bitmap b = ReadPng(png, [&](int percent) {
    reports.push_back(percent);
    return true;
  });
  EXPECT_EQ(MaxDifference(b, picture), 0);
  EXPECT_EQ(reports.back(), 100);
}

TEST_F(OtherPrograms, JpegGreyProgressiveAndCmykReadAsPillowShowsThem) {
  const std::string base = kGradient;
  const struct {
    const char* name;
    std::string make, save;
    int tolerance;
  } cases[] = {
      {"grey", base + "im = im.convert('L')", "quality=90", 1},
      {"progressive", base, "quality=90, progressive=True", 1},
      // Without black ink both ways of turning CMYK into RGB agree.
      {"cmyk", base + "im = Image.merge('CMYK', [*im.split(), Image.new('L', im.size, 0)])", "quality=95", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto [jpeg, pillow] = Make(c.make, "p.jpg", c.save);
    EXPECT_LE(MaxDifference(ReadJpeg(jpeg), pillow), c.tolerance);
  }
}

TEST_F(OtherPrograms, TiffOfOtherLayoutsReadsAsPillowShowsIt) {
  const std::string base = kGradient;
  const struct {
    const char* name;
    std::string make;
  } cases[] = {
      {"palette", base + "im = im.quantize(100)"},
      {"grey", base + "im = im.convert('L')"},
      {"bilevel", base + "im = im.convert('1')"},
      {"deflate rgb", base},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto [tiff, pillow] = Make(c.make, "p.tif", "compression='tiff_adobe_deflate'");
    EXPECT_EQ(MaxDifference(ReadTiff(tiff), pillow), 0);
  }
}

TEST_F(OtherPrograms, GifInterlacedReadsAsPillowShowsIt) {
  const auto [gif, pillow] = Make(std::string(kGradient) + "im = im.quantize(64)", "p.gif", "interlace=True");
  EXPECT_EQ(MaxDifference(ReadGif(gif), pillow), 0);
}

// giflib writes a file whose picture covers only part of its screen, with
// its own colour table.
Bytes GifWithPlacedPicture() {
  Bytes file;
  int error = 0;
  GifFileType* gif = EGifOpen(&file,
                              [](GifFileType* g, const GifByteType* data, int n) {
                                auto* out = static_cast<Bytes*>(g->UserData);
                                out->insert(out->end(), data, data + n);
                                return n;
                              },
                              &error);
  GifColorType screenColours[2] = {{0, 0, 0}, {10, 200, 30}};
  GifColorType pictureColours[2] = {{255, 0, 0}, {0, 0, 255}};
  ColorMapObject* screenMap = GifMakeMapObject(2, screenColours);
  ColorMapObject* pictureMap = GifMakeMapObject(2, pictureColours);
  EGifPutScreenDesc(gif, 6, 4, 8, 1, screenMap);
  EGifPutImageDesc(gif, 2, 1, 3, 2, false, pictureMap);
  GifPixelType rows[2][3] = {{0, 1, 0}, {1, 1, 0}};
  for (auto& row : rows) EGifPutLine(gif, row, 3);
  EGifCloseFile(gif, &error);
  GifFreeMapObject(screenMap);
  GifFreeMapObject(pictureMap);
  return file;
}

TEST(GifReader, APlacedPictureSitsOnTheScreenSize) {
  const Bitmap b = ReadGif(GifWithPlacedPicture());
  ASSERT_EQ(b.Width(), 6);
  ASSERT_EQ(b.Height(), 4);
  EXPECT_EQ(b.PixelAt(2, 1), MakeColour(255, 0, 0));
  EXPECT_EQ(b.PixelAt(3, 1), MakeColour(0, 0, 255));
  EXPECT_EQ(b.PixelAt(4, 2), MakeColour(255, 0, 0));
  // Outside the picture the screen's background index, here in the
  // picture's own table.
  EXPECT_EQ(b.IndexAt(0, 0), 0);
  EXPECT_EQ(b.IndexAt(5, 3), 0);
}

// --- Damaged files ---------------------------------------------------------------

struct Sample {
  const char* name;
  Reader read;
  Bytes file;
};

std::vector<Sample> Samples() {
  const Bitmap picture = TestPicture(120, 90);
  return {
      {"JPEG", [](auto f) { return ReadJpeg(f); }, Encode(picture, ImageFormat::Jpeg)},
      {"PNG", [](auto f) { return ReadPng(f); }, Encode(picture, ImageFormat::Png)},
      {"TIFF LZW", [](auto f) { return ReadTiff(f); }, Encode(picture, ImageFormat::Tiff)},
      {"TIFF fax", [](auto f) { return ReadTiff(f); },
       Encode(picture, ImageFormat::Tiff, TiffCompression::CcittFax4)},
      {"GIF", [](auto f) { return ReadGif(f); }, Encode(picture, ImageFormat::Gif)},
      {"BMP", [](auto f) { return ReadBmp(f); }, Encode(picture, ImageFormat::Bmp)},
  };
}

// A damaged file either reads (a picture of some valid size) or gives
// ImageError; any other exception fails the test.
bool Refused(const Reader& read, std::span<const std::uint8_t> file) {
  try {
    const Bitmap b = read(file);
    EXPECT_FALSE(b.IsEmpty());
    return false;
  } catch (const ImageError&) {
    return true;
  }
}

TEST(DamagedFiles, CutOffFilesAreRefused) {
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.name);
    for (std::size_t size = 0; size < s.file.size(); size += 1 + s.file.size() / 150) {
      const bool refused = Refused(s.read, std::span(s.file.data(), size));
      // Up to the end of the pixel data every cut is noticed.
      if (size < s.file.size() * 3 / 4) {
        EXPECT_TRUE(refused) << "cut at " << size << " of " << s.file.size();
      }
    }
  }
}

TEST(DamagedFiles, ChangedBytesNeverCrashAReader) {
  std::mt19937 random(11);
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.name);
    for (int round = 0; round < 150; ++round) {
      Bytes file = s.file;
      for (int i = 0; i < 1 + round % 4; ++i) file[random() % file.size()] = static_cast<std::uint8_t>(random());
      Refused(s.read, file);
    }
  }
}

TEST(DamagedFiles, OtherFormatsAreRefused) {
  const std::vector<Sample> samples = Samples();
  for (const Sample& reader : samples)
    for (const Sample& file : samples) {
      if (std::string(reader.name).substr(0, 3) == std::string(file.name).substr(0, 3)) continue;
      EXPECT_TRUE(Refused(reader.read, file.file)) << file.name << " read as " << reader.name;
    }
}

std::uint32_t Crc(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void PutBig32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// The header's size fields changed to claim a bigger picture; each format
// keeps its checksums valid, so only the claim itself is wrong.
Bytes PngClaiming(Bytes png, std::uint32_t width, std::uint32_t height) {
  PutBig32(png, 16, width);
  PutBig32(png, 20, height);
  PutBig32(png, 29, Crc(png.data() + 12, 17));
  return png;
}

Bytes JpegClaiming(Bytes jpeg, std::uint16_t width, std::uint16_t height) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      return jpeg;
    }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

Bytes GifClaiming(Bytes gif, std::uint16_t width, std::uint16_t height) {
  const std::size_t table = (gif[10] & 0x80) ? 3u << ((gif[10] & 7) + 1) : 0;
  const std::size_t descriptor = 13 + table;
  EXPECT_EQ(gif[descriptor], ',');
  for (std::size_t at : {std::size_t{6}, descriptor + 5}) {
    gif[at] = static_cast<std::uint8_t>(width);
    gif[at + 1] = static_cast<std::uint8_t>(width >> 8);
    gif[at + 2] = static_cast<std::uint8_t>(height);
    gif[at + 3] = static_cast<std::uint8_t>(height >> 8);
  }
  return gif;
}

// Our TIFF files are little-endian with the directory's offset at byte 4.
Bytes TiffClaiming(Bytes tiff, std::uint32_t width, std::uint32_t height) {
  auto get16 = [&](std::size_t at) { return static_cast<std::uint16_t>(tiff[at] | (tiff[at + 1] << 8)); };
  const std::size_t directory = tiff[4] | (tiff[5] << 8) | (tiff[6] << 16) | (std::size_t{tiff[7]} << 24);
  for (std::size_t i = 0; i < get16(directory); ++i) {
    const std::size_t entry = directory + 2 + 12 * i;
    if (get16(entry) != 256 && get16(entry) != 257) continue;
    tiff[entry + 2] = 4;  // LONG, whatever it was; one value fits in the entry
    tiff[entry + 3] = 0;
    const std::uint32_t v = get16(entry) == 256 ? width : height;
    for (int k = 0; k < 4; ++k) tiff[entry + 8 + k] = static_cast<std::uint8_t>(v >> (8 * k));
  }
  return tiff;
}

void ExpectRefusedWith(const Reader& read, const Bytes& file, const std::string& words) {
  try {
    read(file);
    ADD_FAILURE() << "read a file claiming a huge picture";
  } catch (const ImageError& e) {
    EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
  }
}

TEST(DamagedFiles, ClaimsBeyondTheDataAreRefusedBeforeAllocating) {
  const Bitmap picture = TestPicture(64, 64);
  const Bytes png = Encode(picture, ImageFormat::Png), jpeg = Encode(picture, ImageFormat::Jpeg);
  const Bytes gif = Encode(picture, ImageFormat::Gif), tiff = Encode(picture, ImageFormat::Tiff);
  const Reader readPng = [](auto f) { return ReadPng(f); }, readJpeg = [](auto f) { return ReadJpeg(f); };
  const Reader readGif = [](auto f) { return ReadGif(f); }, readTiff = [](auto f) { return ReadTiff(f); };
  // Beyond what any Bitmap may hold.
  ExpectRefusedWith(readPng, PngClaiming(png, 100000, 100000), "too large");
  ExpectRefusedWith(readJpeg, JpegClaiming(jpeg, 65000, 65000), "too large");
  ExpectRefusedWith(readTiff, TiffClaiming(tiff, 100000, 100000), "too large");
  // Within it (1.2 GB at 24 bits), but far beyond what the few kilobytes
  // of each file can describe.
  ExpectRefusedWith(readPng, PngClaiming(png, 20000, 20000), "more than its data can hold");
  ExpectRefusedWith(readJpeg, JpegClaiming(jpeg, 20000, 20000), "more than its data can hold");
  ExpectRefusedWith(readGif, GifClaiming(gif, 20000, 20000), "more than its data can hold");
  ExpectRefusedWith(readTiff, TiffClaiming(tiff, 20000, 20000), "more than its data can hold");
}

// --- Reading by name -----------------------------------------------------------

TEST(ReadImageFile, ChoosesTheReaderByExtension) {
  TempFolder folder;
  const Bitmap picture = TestPicture(20, 10);
  WriteFileAtomically(folder.Path() / "photo.JPEG", Encode(picture, ImageFormat::Jpeg));
  WriteFileAtomically(folder.Path() / "scan.tiff", Encode(picture, ImageFormat::Tiff));
  WriteFileAtomically(folder.Path() / "a.pcx", Encode(picture, ImageFormat::Pcx));
  EXPECT_LT(test::MeanDifference(ReadImageFile(folder.Path() / "photo.JPEG"), picture), 15);
  EXPECT_EQ(MaxDifference(ReadImageFile(folder.Path() / "scan.tiff"), picture), 0);
  EXPECT_THROW(ReadImageFile(folder.Path() / "a.pcx"), ImageError);
  EXPECT_THROW(ReadImageFile(folder.Path() / "missing.png"), FileError);
  // A name the saver does not know is written as TIFF and read back so.
  WriteFileAtomically(folder.Path() / "b.WMF", Encode(picture, ImageFormat::Tiff));
  EXPECT_EQ(MaxDifference(ReadImageFile(folder.Path() / "b.WMF", FormatForSaving("b.WMF")), picture), 0);
}

}  // namespace
}  // namespace brisko
