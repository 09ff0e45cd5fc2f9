#include "core/Bmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

#include "TempFolder.h"

namespace brisko {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
std::uint32_t Get32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

// A file put together field by field, so the reader meets layouts our own
// writer never produces.
struct HandMade {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t headerSize = 40;
  std::uint32_t coloursUsed = 0;
  std::vector<std::uint32_t> masks{};  // in the header from 52 bytes on, else after it
  std::vector<Colour> palette{};
  Bytes pixels{};
  std::optional<std::uint32_t> dataOffset{};

  Bytes Build() const {
    Bytes info;
    Put32(info, headerSize);
    if (headerSize == 12) {
      Put16(info, static_cast<std::uint32_t>(width));
      Put16(info, static_cast<std::uint32_t>(height));
      Put16(info, 1);
      Put16(info, bits);
    } else {
      for (std::uint32_t v : {std::uint32_t(width), std::uint32_t(height)}) Put32(info, v);
      Put16(info, 1);
      Put16(info, bits);
      for (std::uint32_t v : {compression, 0u, 2835u, 2835u, coloursUsed, 0u}) Put32(info, v);
      for (std::size_t i = 0; headerSize >= 52 && i < 4; ++i) Put32(info, i < masks.size() ? masks[i] : 0);
      info.resize(headerSize, 0);
      if (headerSize == 40)
        for (std::uint32_t m : masks) Put32(info, m);
    }
    for (Colour c : palette) {
      info.insert(info.end(), {BlueOf(c), GreenOf(c), RedOf(c)});
      if (headerSize != 12) info.push_back(0);
    }
    Bytes file = {'B', 'M'};
    Put32(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
    Put32(file, 0);
    Put32(file, dataOffset.value_or(static_cast<std::uint32_t>(14 + info.size())));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
  }
};

Bytes Encode(const Bitmap& b) {
  MemorySink sink;
  WriteBmp(b, sink);
  return sink.Take();
}

std::vector<std::uint8_t> Indices(const Bitmap& b, std::int32_t y) {
  std::vector<std::uint8_t> row;
  for (std::int32_t x = 0; x < b.Width(); ++x) row.push_back(b.IndexAt(x, y));
  return row;
}

Bitmap RandomPicture(std::int32_t width, std::int32_t height, PixelFormat format, std::mt19937& random) {
  Bitmap b(width, height, format);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::size_t i = 0; i < b.Stride(); ++i) b.Row(y)[i] = static_cast<std::uint8_t>(random());
  std::vector<Colour> palette(PaletteSizeOf(format));
  for (Colour& c : palette) c = random() & 0xFFFFFF;
  if (IsIndexed(format)) b.SetPalette(palette);
  return b;
}

TEST(BmpRoundTrip, EveryFormatAndRowPaddingSurvives) {
  std::mt19937 random(7);
  for (PixelFormat format : {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                             PixelFormat::Rgb565, PixelFormat::Bgr24, PixelFormat::Bgrx32}) {
    for (std::int32_t width : {1, 3, 7, 32, 33}) {  // 32 fills every stride exactly
      SCOPED_TRACE(testing::Message() << BitsPerPixel(format) << " bits, width " << width);
      const Bitmap original = RandomPicture(width, 5, format, random);
      const Bytes file = Encode(original);
      EXPECT_EQ(BmpFileSize(original), file.size());
      const Bitmap copy = ReadBmp(file);
      ASSERT_EQ(copy.Format(), format);
      ASSERT_EQ(copy.Width(), width);
      ASSERT_EQ(copy.Height(), 5);
      EXPECT_TRUE(std::ranges::equal(copy.Palette(), original.Palette()));
      const std::size_t bytes = static_cast<std::size_t>(width) * BitsPerPixel(format) / 8;
      for (std::int32_t y = 0; y < 5; ++y) {
        if (IsIndexed(format))
          EXPECT_EQ(Indices(copy, y), Indices(original, y)) << "row " << y;
        else
          EXPECT_EQ(std::memcmp(copy.Row(y), original.Row(y), bytes), 0) << "row " << y;
      }
    }
  }
}

TEST(BmpRoundTrip, FilesAreWrittenAtomicallyAndReadBack) {
  TempFolder dir;
  std::mt19937 random(3);
  const Bitmap original = RandomPicture(9, 4, PixelFormat::Bgr24, random);
  WriteBmpFile(original, dir.Path() / "a.bmp");
  EXPECT_EQ(dir.FileCount(), 1);
  const Bitmap copy = ReadBmpFile(dir.Path() / "a.bmp");
  EXPECT_EQ(std::memcmp(copy.Row(3), original.Row(3), 27), 0);
  EXPECT_THROW(ReadBmpFile(dir.Path() / "missing.bmp"), FileError);
}

// The file reader takes the rows of plain files straight into the picture
// and hands everything else to ReadBmp; either way it must give what ReadBmp
// gives for the same bytes, picture or error.
TEST(BmpFileReader, AgreesWithTheByteReaderOnEveryLayoutAndEveryTruncation) {
  TempFolder dir;
  std::mt19937 random(11);
  std::vector<Bytes> files;
  for (PixelFormat format : {PixelFormat::Indexed1, PixelFormat::Indexed4, PixelFormat::Indexed8,
                             PixelFormat::Rgb565, PixelFormat::Bgr24, PixelFormat::Bgrx32})
    for (std::int32_t width : {1, 3, 33}) files.push_back(Encode(RandomPicture(width, 4, format, random)));
  files.push_back(HandMade{.width = 1, .height = -2, .pixels = {4, 5, 6, 0, 1, 2, 3, 0}}.Build());
  files.push_back(HandMade{.width = 2, .height = 2, .bits = 32, .compression = 3,
                           .masks = {0xFF, 0xFF00, 0xFF0000}, .pixels = Bytes(16, 0x55)}.Build());
  files.push_back(HandMade{.width = 5, .height = 3, .bits = 8, .compression = 1, .coloursUsed = 4,
                           .palette = {kBlack, kWhite, kBlack, kWhite},
                           .pixels = {2, 1, 0, 3, 1, 2, 3, 0, 0, 2, 1, 1, 0, 1}}.Build());
  auto outcome = [](auto&& read) -> std::string {
    try {
      const Bitmap b = read();
      std::string text = std::to_string(b.Width()) + "x" + std::to_string(b.Height()) + "/" +
                         std::to_string(static_cast<int>(b.Format())) + ":";
      for (std::int32_t y = 0; y < b.Height(); ++y) text.append(reinterpret_cast<const char*>(b.Row(y)), b.Stride());
      for (Colour c : b.Palette()) text += std::to_string(c) + ",";
      return text;
    } catch (const ImageError& error) {
      return std::string("error: ") + error.what();
    }
  };
  const auto path = dir.Path() / "file.bmp";
  for (std::size_t i = 0; i < files.size(); ++i) {
    const Bytes& file = files[i];
    for (const std::size_t size : {file.size(), file.size() - 1, file.size() - 4, file.size() / 2, std::size_t{30}}) {
      const auto bytes = std::span(file).first(std::min(size, file.size()));
      WriteFileAtomically(path, bytes);
      EXPECT_EQ(outcome([&] { return ReadBmpFile(path); }), outcome([&] { return ReadBmp(bytes); }))
          << "file " << i << " cut to " << size;
    }
  }
}

TEST(BmpRoundTrip, EmptyPicturesAreRefusedWithoutOutput) {
  TempFolder dir;
  for (const Bitmap& empty : {Bitmap(), Bitmap(5, 0)}) {
    MemorySink sink;
    EXPECT_THROW(WriteBmp(empty, sink), ImageError);
    EXPECT_TRUE(sink.Bytes().empty());
    EXPECT_THROW(WriteBmpFile(empty, dir.Path() / "empty.bmp"), ImageError);
  }
  EXPECT_EQ(dir.FileCount(), 0);
}

TEST(BmpWriter, HeaderAndRowsFollowThePublishedLayout) {
  Bitmap b(3, 2, PixelFormat::Bgr24);
  for (std::int32_t i = 0; i < 6; ++i) b.SetPixelAt(i % 3, i / 3, MakeColour(10 * i, 1, 2));
  b.Row(0)[9] = b.Row(1)[10] = 0xAA;  // stale padding must not reach the file
  const Bytes expected = {
      'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,              // file header
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,            // size, width, height, planes, bits
      0, 0, 0, 0, 24, 0, 0, 0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0,  // BI_RGB, image size, 96 DPI
      0, 0, 0, 0, 0, 0, 0, 0,                                      // colours used, important
      2, 1, 30, 2, 1, 40, 2, 1, 50, 0, 0, 0,                       // bottom row first
      2, 1, 0, 2, 1, 10, 2, 1, 20, 0, 0, 0};
  EXPECT_EQ(Encode(b), expected);
}

TEST(BmpWriter, BitFieldMasksAndPalettesPrecedeThePixels) {
  const Bytes rgb565 = Encode(Bitmap(2, 2, PixelFormat::Rgb565));
  EXPECT_EQ(Get32(rgb565, 10), 66u);
  EXPECT_EQ(Get32(rgb565, 30), 3u);
  EXPECT_EQ(Get32(rgb565, 54), 0xF800u);
  EXPECT_EQ(Get32(rgb565, 58), 0x07E0u);
  EXPECT_EQ(Get32(rgb565, 62), 0x001Fu);
  EXPECT_EQ(rgb565.size(), 66u + 8);

  Bitmap indexed(3, 1, PixelFormat::Indexed1);
  indexed.SetPalette(std::vector<Colour>{MakeColour(1, 2, 3), MakeColour(4, 5, 6)});
  std::memset(indexed.Row(0), 0xFF, indexed.Stride());
  const Bytes file = Encode(indexed);
  EXPECT_EQ(Get32(file, 10), 62u);
  EXPECT_EQ(Get32(file, 46), 2u);
  EXPECT_EQ(Bytes(file.begin() + 54, file.end()), (Bytes{3, 2, 1, 0, 6, 5, 4, 0, 0xE0, 0, 0, 0}));
}

TEST(BmpReader, TopDownAndBottomUpRowsGiveTheSamePicture) {
  HandMade bottomUp{.width = 1, .height = 2, .pixels = {1, 2, 3, 0, 4, 5, 6, 0}};
  HandMade topDown = bottomUp;
  topDown.height = -2;
  topDown.pixels = {4, 5, 6, 0, 1, 2, 3, 0};
  for (const HandMade& file : {bottomUp, topDown}) {
    const Bitmap b = ReadBmp(file.Build());
    EXPECT_EQ(b.PixelAt(0, 0), MakeColour(6, 5, 4));
    EXPECT_EQ(b.PixelAt(0, 1), MakeColour(3, 2, 1));
  }
}

TEST(BmpReader, CoreHeaderHasThreeBytePaletteEntries) {
  HandMade file{.width = 3, .height = 1, .bits = 4, .headerSize = 12};
  file.palette.assign(16, kBlack);
  file.palette[1] = MakeColour(200, 100, 50);
  file.palette[15] = kWhite;
  file.pixels = {0x1F, 0x10, 0, 0};
  const Bitmap b = ReadBmp(file.Build());
  ASSERT_EQ(b.Format(), PixelFormat::Indexed4);
  EXPECT_EQ(b.PixelAt(0, 0), MakeColour(200, 100, 50));
  EXPECT_EQ(b.PixelAt(1, 0), kWhite);
  EXPECT_EQ(b.PixelAt(2, 0), MakeColour(200, 100, 50));
}

TEST(BmpReader, FiveBitFieldsScaleToTheFullRange) {
  const Bytes pixels = {0xFF, 0x7F, 0x21, 0x04, 0x00, 0x7C, 0, 0};
  const HandMade plain{.width = 3, .height = 1, .bits = 16, .pixels = pixels};
  HandMade fields = plain;
  fields.compression = 3;
  fields.masks = {0x7C00, 0x03E0, 0x001F};
  for (const HandMade& file : {plain, fields}) {
    const Bitmap b = ReadBmp(file.Build());
    ASSERT_EQ(b.Format(), PixelFormat::Bgr24);
    EXPECT_EQ(b.PixelAt(0, 0), kWhite);
    EXPECT_EQ(b.PixelAt(1, 0), MakeColour(8, 8, 8));
    EXPECT_EQ(b.PixelAt(2, 0), MakeColour(255, 0, 0));
  }
}

TEST(BmpReader, StandardMasksKeepTheirFormatAndBytes) {
  HandMade rgb565{.width = 2, .height = 1, .bits = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
                  .pixels = {0x12, 0x34, 0x56, 0x78}};
  Bitmap b = ReadBmp(rgb565.Build());
  ASSERT_EQ(b.Format(), PixelFormat::Rgb565);
  EXPECT_EQ(Bytes(b.Row(0), b.Row(0) + 4), rgb565.pixels);

  HandMade v4{.width = 1, .height = 1, .bits = 32, .compression = 3, .headerSize = 108,
              .masks = {0xFF0000, 0xFF00, 0xFF}, .pixels = {9, 8, 7, 0}};
  b = ReadBmp(v4.Build());
  ASSERT_EQ(b.Format(), PixelFormat::Bgrx32);
  EXPECT_EQ(b.PixelAt(0, 0), MakeColour(7, 8, 9));
}

TEST(BmpReader, CustomMasksOfAnyWidthScaleProperly) {
  // 10-bit red, 10-bit green, 1-bit blue: a V5 header with the masks inside.
  HandMade file{.width = 3, .height = 1, .bits = 32, .compression = 3, .headerSize = 124,
                .masks = {0x3FF00000, 0x000FFC00, 0x00000001}};
  for (std::uint32_t pixel : {0x3FF00000u, 0x20000001u, 0x000FFC00u}) Put32(file.pixels, pixel);
  const Bitmap b = ReadBmp(file.Build());
  ASSERT_EQ(b.Format(), PixelFormat::Bgr24);
  EXPECT_EQ(b.PixelAt(0, 0), MakeColour(255, 0, 0));
  EXPECT_EQ(b.PixelAt(1, 0), MakeColour(128, 0, 255));
  EXPECT_EQ(b.PixelAt(2, 0), MakeColour(0, 255, 0));
}

TEST(BmpReader, Rle8HandlesEveryEscape) {
  HandMade file{.width = 6, .height = 4, .bits = 8, .compression = 1, .coloursUsed = 16};
  file.palette.assign(16, kBlack);
  file.pixels = {3, 5, 0, 3, 7, 8, 9, 0, 0, 0,  // run, padded literal, end of line
                 0, 2, 2, 1, 2, 10, 0, 0,       // delta to (2, line 2), run
                 1, 11, 0, 1, 6, 12};           // end of picture, then ignored bytes
  const Bitmap b = ReadBmp(file.Build());
  ASSERT_EQ(b.Format(), PixelFormat::Indexed8);
  EXPECT_EQ(Indices(b, 3), (Bytes{5, 5, 5, 7, 8, 9}));
  EXPECT_EQ(Indices(b, 2), (Bytes{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Indices(b, 1), (Bytes{0, 0, 10, 10, 0, 0}));
  EXPECT_EQ(Indices(b, 0), (Bytes{11, 0, 0, 0, 0, 0}));
}

TEST(BmpReader, Rle4HandlesEveryEscape) {
  HandMade file{.width = 8, .height = 3, .bits = 4, .compression = 2};
  file.palette.assign(16, kBlack);
  file.pixels = {5, 0x12, 0, 3, 0x34, 0x50, 0, 0,  // alternating run, odd literal
                 0, 5, 0x67, 0x89, 0xA0, 0,        // literal padded to a word
                 0, 2, 1, 1, 2, 0xFF, 0, 1};       // delta, run, end of picture
  const Bitmap b = ReadBmp(file.Build());
  ASSERT_EQ(b.Format(), PixelFormat::Indexed4);
  EXPECT_EQ(Indices(b, 2), (Bytes{1, 2, 1, 2, 1, 3, 4, 5}));
  EXPECT_EQ(Indices(b, 1), (Bytes{6, 7, 8, 9, 10, 0, 0, 0}));
  EXPECT_EQ(Indices(b, 0), (Bytes{0, 0, 0, 0, 0, 0, 15, 15}));
}

TEST(BmpReader, ShortPalettesAndStrayOffsets) {
  const Colour red = MakeColour(255, 0, 0), green = MakeColour(0, 255, 0);
  HandMade file{.width = 3, .height = 1, .bits = 8, .coloursUsed = 2, .palette = {red, green},
                .pixels = {0, 1, 200, 0}};
  for (std::uint32_t offset : {0u, 54u, 62u}) {  // zero, palette forgotten, correct
    file.dataOffset = offset;
    const Bitmap b = ReadBmp(file.Build());
    ASSERT_EQ(b.Palette().size(), 256u);
    EXPECT_EQ(b.PixelAt(0, 0), red);
    EXPECT_EQ(b.PixelAt(1, 0), green);
    EXPECT_EQ(b.PixelAt(2, 0), kBlack);
  }
  // A full palette declared, but the pixels start after its second entry.
  file.coloursUsed = 0;
  file.dataOffset = 62;
  EXPECT_EQ(ReadBmp(file.Build()).PixelAt(1, 0), green);
}

// Every failure must be an ImageError: the callers catch nothing else.
bool ReadsOrFailsCleanly(std::span<const std::uint8_t> bytes) {
  try {
    ReadBmp(bytes);
    return true;
  } catch (const ImageError&) {
    return false;
  }
}

TEST(BmpMalformed, EveryTruncationFailsCleanly) {
  std::mt19937 random(5);
  HandMade rle{.width = 5, .height = 3, .bits = 8, .compression = 1, .coloursUsed = 4,
               .palette = {kBlack, kWhite, kBlack, kWhite},
               .pixels = {2, 1, 0, 3, 1, 2, 3, 0, 0, 2, 1, 1, 0, 1}};
  HandMade fields{.width = 2, .height = 2, .bits = 32, .compression = 3, .masks = {0xFF, 0xFF00, 0xFF0000}};
  fields.pixels.assign(16, 0x55);
  HandMade core{.width = 2, .height = 2, .bits = 1, .headerSize = 12, .palette = {kBlack, kWhite},
                .pixels = {0x80, 0, 0, 0, 0x40, 0, 0, 0}};
  const Bytes files[] = {Encode(RandomPicture(3, 2, PixelFormat::Bgr24, random)),
                         Encode(RandomPicture(5, 3, PixelFormat::Indexed8, random)), rle.Build(),
                         fields.Build(), core.Build()};
  for (const Bytes& file : files)
    for (std::size_t size = 0; size < file.size(); ++size) ReadsOrFailsCleanly(std::span(file).first(size));
  // Uncompressed pixels must all be there; only the last row's padding may go.
  for (std::size_t size = 0; size < files[0].size() - 3; ++size)
    EXPECT_FALSE(ReadsOrFailsCleanly(std::span(files[0]).first(size))) << "cut at " << size;
}

TEST(BmpMalformed, UnsupportedLayoutsAreRefused) {
  const HandMade good{.width = 2, .height = 2, .pixels = Bytes(16, 0)};
  ASSERT_TRUE(ReadsOrFailsCleanly(good.Build()));
  Bytes magic = good.Build();
  magic[1] = 'A';
  EXPECT_THROW(ReadBmp(magic), ImageError);
  const auto refused = [&](auto change) {
    HandMade file = good;
    change(file);
    return !ReadsOrFailsCleanly(file.Build());
  };
  EXPECT_TRUE(refused([](HandMade& f) { f.headerSize = 41; }));
  EXPECT_TRUE(refused([](HandMade& f) { f.bits = 2; }));
  EXPECT_TRUE(refused([](HandMade& f) { f.bits = 64; }));
  EXPECT_TRUE(refused([](HandMade& f) { f.bits = 0; }));
  EXPECT_TRUE(refused([](HandMade& f) { f.compression = 4; }));
  EXPECT_TRUE(refused([](HandMade& f) { f.compression = 1; }));                  // RLE8 at 24 bits
  EXPECT_TRUE(refused([](HandMade& f) { f.compression = 3; f.masks = {1, 2, 4}; }));  // fields at 24
  EXPECT_TRUE(refused([](HandMade& f) { f.bits = 8; f.compression = 1; f.height = -2; }));  // top-down RLE
  EXPECT_TRUE(refused([](HandMade& f) { f.width = 0; }));
  EXPECT_TRUE(refused([](HandMade& f) { f.width = -2; }));
  EXPECT_TRUE(refused([](HandMade& f) { f.height = 0; }));
  EXPECT_TRUE(refused([](HandMade& f) { f.height = INT32_MIN; }));
  EXPECT_TRUE(refused([](HandMade& f) { f.dataOffset = 200; }));
}

TEST(BmpMalformed, HugeOrOverflowingSizesAreRefused) {
  const auto refused = [](HandMade file) { return !ReadsOrFailsCleanly(file.Build()); };
  // A 32-bit stride times the height overflows 32-bit arithmetic.
  EXPECT_TRUE(refused({.width = 1 << 20, .height = 1 << 20, .bits = 32, .pixels = Bytes(64, 0)}));
  EXPECT_TRUE(refused({.width = 0x7FFFFFFF, .height = 0x7FFFFFFF, .bits = 32, .pixels = Bytes(64, 0)}));
  EXPECT_TRUE(refused({.width = 16385, .height = 16384, .bits = 8, .compression = 1, .coloursUsed = 1,
                       .palette = {kBlack}, .pixels = {0, 1}}));
  // Palette sizes whose byte count wraps to zero in 32 bits.
  EXPECT_TRUE(refused({.width = 1, .height = 1, .bits = 8, .coloursUsed = 0x40000000,
                       .pixels = Bytes(4, 0), .dataOffset = 0}));
  EXPECT_TRUE(refused({.width = 1, .height = 1, .coloursUsed = 0xFFFFFFFF, .pixels = Bytes(4, 0),
                       .dataOffset = 0}));
  Bytes header = HandMade{}.Build();
  header[14] = header[15] = header[16] = header[17] = 0xFF;
  EXPECT_THROW(ReadBmp(header), ImageError);
}

TEST(BmpMalformed, RunsAndDeltasOutsideThePictureAreClipped) {
  HandMade file{.width = 4, .height = 3, .bits = 8, .compression = 1, .coloursUsed = 1, .palette = {kBlack}};
  file.pixels = {10, 7, 0, 0,                                       // run past the right edge
                 0, 6, 1, 2, 3, 4, 5, 6, 0, 2, 255, 0, 3, 9, 0, 0,  // literal past it, delta far right
                 1, 4, 0, 2, 0, 200, 3, 3};                         // delta above the top ends it
  const Bitmap b = ReadBmp(file.Build());
  EXPECT_EQ(Indices(b, 2), (Bytes{7, 7, 7, 7}));
  EXPECT_EQ(Indices(b, 1), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(Indices(b, 0), (Bytes{4, 0, 0, 0}));
}

TEST(BmpMalformed, MasksWithoutBitsInThePixelAreRefused) {
  HandMade file{.width = 1, .height = 1, .bits = 16, .compression = 3, .masks = {0, 0, 0},
                .pixels = {1, 2, 0, 0}};
  EXPECT_THROW(ReadBmp(file.Build()), ImageError);
  file.masks = {0xFF0000, 0xFF000000, 0x10000};  // all beyond a 16-bit pixel
  EXPECT_THROW(ReadBmp(file.Build()), ImageError);
  file.masks = {0, 0xFF00, 0};  // a single channel still decodes
  EXPECT_EQ(ReadBmp(file.Build()).PixelAt(0, 0), MakeColour(0, 2, 0));
}

}  // namespace
}  // namespace brisko
