// The codec interface the save dialog and the Open command use: formats by
// file name, progress and giving up, and files written whole or not at all.
#include <gtest/gtest.h>

#include <vector>

#include "CodecTestSupport.h"
#include "TempFolder.h"
#include "codecs/Codecs.h"

namespace brisko {
namespace {

using test::Bytes;

TEST(Formats, SavingKnowsTheSevenFormatsByEveryNameAndFallsBackToTiff) {
  const std::pair<const char*, ImageFormat> names[] = {
      {"a.BMP", ImageFormat::Bmp},  {"a.JPG", ImageFormat::Jpeg},  {"C:\\shots\\photo.jpeg", ImageFormat::Jpeg},
      {"photo.JPE", ImageFormat::Jpeg}, {"a.pcx", ImageFormat::Pcx},  {"a.Png", ImageFormat::Png},
      {"a.TIF", ImageFormat::Tiff}, {"scan.TIFF", ImageFormat::Tiff}, {"a.GIF", ImageFormat::Gif},
      {"a.TGA", ImageFormat::Tga},  {"a.WMF", ImageFormat::Tiff},  {"a.JPGX", ImageFormat::Tiff},
      {"a", ImageFormat::Tiff},     {"png", ImageFormat::Tiff},    {"dir.png/file", ImageFormat::Tiff}};
  for (const auto& [name, format] : names) EXPECT_EQ(FormatForSaving(name), format) << name;
}

TEST(Formats, OpeningKnowsTheReadableFormatsOnly) {
  const std::pair<const char*, std::optional<ImageFormat>> names[] = {
      {"x.gif", ImageFormat::Gif}, {"x.JPE", ImageFormat::Jpeg}, {"x.bmp", ImageFormat::Bmp},
      {"x.tiff", ImageFormat::Tiff}, {"x.PNG", ImageFormat::Png}, {"x.pcx", std::nullopt},
      {"x.tga", std::nullopt},     {"x.wmf", std::nullopt},      {"x", std::nullopt}};
  for (const auto& [name, format] : names) EXPECT_EQ(FormatForOpening(name), format) << name;
}

SaveParameters As(ImageFormat format) {
  SaveParameters p;
  p.format = format;
  p.tiffCompression = TiffCompression::PackBits;
  return p;
}

constexpr ImageFormat kWritable[] = {ImageFormat::Bmp, ImageFormat::Jpeg, ImageFormat::Pcx, ImageFormat::Png,
                                     ImageFormat::Tiff, ImageFormat::Gif, ImageFormat::Tga};
constexpr ImageFormat kReadable[] = {ImageFormat::Bmp, ImageFormat::Jpeg, ImageFormat::Png, ImageFormat::Tiff,
                                     ImageFormat::Gif};

// Reports start at 0, rise without repeating and end at 100.
void ExpectWellFormed(const std::vector<int>& reports) {
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.front(), 0);
  EXPECT_EQ(reports.back(), 100);
  for (std::size_t i = 1; i < reports.size(); ++i) EXPECT_GT(reports[i], reports[i - 1]);
}

TEST(Progress, EveryWriterAndReaderReportsFromZeroToOneHundred) {
  const Bitmap picture = test::TestPicture(200, 150);
  for (ImageFormat format : kWritable) {
    SCOPED_TRACE(static_cast<int>(format));
    std::vector<int> reports;
    MemorySink sink;
    WriteImage(picture, As(format), sink, [&](int p) {
      reports.push_back(p);
      return true;
    });
    ExpectWellFormed(reports);
    if (format != ImageFormat::Bmp) {
      EXPECT_GT(reports.size(), 4u) << "a long write reports as it goes";
    }

    if (std::find(std::begin(kReadable), std::end(kReadable), format) == std::end(kReadable)) continue;
    reports.clear();
    ReadImage(sink.Bytes(), format, [&](int p) {
      reports.push_back(p);
      return true;
    });
    ExpectWellFormed(reports);
  }
}

TEST(Progress, GivingUpStopsWritersAndReaders) {
  const Bitmap picture = test::TestPicture(200, 150);
  for (ImageFormat format : kWritable) {
    SCOPED_TRACE(static_cast<int>(format));
    int last = -1;
    MemorySink sink;
    const auto stopAtHalf = [&](int p) {
      last = p;
      return p < 50;
    };
    EXPECT_THROW(WriteImage(picture, As(format), sink, stopAtHalf), Cancelled);
    // BMP reports only its start and end; the others stop soon after half.
    if (format != ImageFormat::Bmp) {
      EXPECT_LT(last, 70);
    }

    if (std::find(std::begin(kReadable), std::end(kReadable), format) == std::end(kReadable)) continue;
    MemorySink whole;
    WriteImage(picture, As(format), whole);
    EXPECT_THROW(ReadImage(whole.Bytes(), format, [](int) { return false; }), Cancelled);
  }
}

TEST(Files, AWriteThatFailsOrGivesUpLeavesTheTargetAsItWas) {
  TempFolder folder;
  const std::filesystem::path target = folder.Path() / "shot.png";
  WriteFileAtomically(target, Bytes{1, 2, 3});
  const Bitmap picture = test::TestPicture(100, 80);
  EXPECT_THROW(WriteImageFile(picture, As(ImageFormat::Png), target, [](int p) { return p < 40; }), Cancelled);
  EXPECT_THROW(WriteImageFile(Bitmap(), As(ImageFormat::Png), target), ImageError);
  EXPECT_EQ(ReadFileBytes(target), (Bytes{1, 2, 3}));
  EXPECT_EQ(folder.FileCount(), 1) << "no half-written file beside the target";

  WriteImageFile(picture, As(ImageFormat::Png), target);
  EXPECT_EQ(ReadImageFile(target).Width(), 100);
  EXPECT_EQ(folder.FileCount(), 1);
}

TEST(Files, ATargetInAMissingFolderIsAFileError) {
  TempFolder folder;
  EXPECT_THROW(WriteImageFile(test::TestPicture(4, 4), As(ImageFormat::Gif), folder.Path() / "no" / "x.gif"),
               FileError);
}

}  // namespace
}  // namespace brisko
