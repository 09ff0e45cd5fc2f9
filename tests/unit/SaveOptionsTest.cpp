#include "convlib/SaveOptions.h"

#include <gtest/gtest.h>

namespace brisko {
namespace {

TEST(ResizeArithmetic, PixelModeSetsTheLongerSide) {
  EXPECT_EQ(ResizedSize(1024, 768, ResizeMode::Pixel, 768), (ImageSize{768, 576}));
  EXPECT_EQ(ResizedSize(768, 1024, ResizeMode::Pixel, 768), (ImageSize{576, 768}));
  EXPECT_EQ(ResizedSize(500, 500, ResizeMode::Pixel, 768), (ImageSize{768, 768}));
}

TEST(ResizeArithmetic, PercentModeRoundsHalvesToEven) {
  // 50.5 rounds to 50, 25.5 to 26.
  EXPECT_EQ(ResizedSize(101, 51, ResizeMode::Percent, 50), (ImageSize{50, 26}));
  EXPECT_EQ(ResizedSize(1920, 1080, ResizeMode::Percent, 100), (ImageSize{1920, 1080}));
  EXPECT_EQ(ResizedSize(3, 5, ResizeMode::Percent, 50), (ImageSize{2, 2})) << "1.5 to 2, 2.5 to 2";
  // Exact products: no overflow and no floating error at the limits.
  EXPECT_EQ(ResizedSize(1 << 20, 1 << 20, ResizeMode::Percent, 2048), (ImageSize{21474836, 21474836}));
}

TEST(ResizeArithmetic, ModesStartFromTheirInitialValues) {
  EXPECT_EQ(InitialSizeValue(ResizeMode::Percent), 100);
  EXPECT_EQ(InitialSizeValue(ResizeMode::Pixel), 768);
}

TEST(PageChoices, EachChoiceGivesItsWriterParameter) {
  PageChoices choices;
  EXPECT_EQ(ParametersFor(ImageFormat::Bmp, choices).depth, PixelFormat::Bgr24) << "16M at first";
  choices.bmpColours = 0;
  EXPECT_EQ(ParametersFor(ImageFormat::Bmp, choices).depth, PixelFormat::Indexed1);
  choices.bmpColours = 4;
  EXPECT_EQ(ParametersFor(ImageFormat::Bmp, choices).depth, PixelFormat::Bgrx32);
  choices.pcxColours = 0;
  EXPECT_EQ(ParametersFor(ImageFormat::Pcx, choices).depth, PixelFormat::Indexed4);
  EXPECT_EQ(ParametersFor(ImageFormat::Tiff, PageChoices{}).tiffCompression, TiffCompression::None);
  const auto codes = {TiffCompression::CcittRle, TiffCompression::CcittFax3, TiffCompression::CcittFax4,
                      TiffCompression::Lzw, TiffCompression::None, TiffCompression::PackBits};
  int i = 0;
  for (TiffCompression code : codes) {
    choices.tifCompress = i++;
    EXPECT_EQ(ParametersFor(ImageFormat::Tiff, choices).tiffCompression, code);
  }
  choices.quality = 33;
  const SaveParameters jpeg = ParametersFor(ImageFormat::Jpeg, choices);
  EXPECT_EQ(jpeg.jpegQuality, 33);
  EXPECT_EQ(jpeg.jpegSmoothing, 3);
  choices.bmpColours = 9;
  EXPECT_EQ(ParametersFor(ImageFormat::Bmp, choices).depth, PixelFormat::Bgr24) << "no choice reads as the initial";
}

TEST(PageChoices, ListsHoldTheCaptionsInOrder) {
  EXPECT_EQ(BmpColourChoices().size(), 5u);
  EXPECT_EQ(BmpColourChoices()[4], "16M(32bit)");
  EXPECT_EQ(PcxColourChoices()[kInitialPcxColours], "16M");
  EXPECT_EQ(TifCompressChoices()[kInitialTifCompress], "NONE");
}

TEST(ProgressRule, ZeroResetsAHundredEndsAndSmallStepsWait) {
  EXPECT_EQ(NextProgressPosition(40, 0), 0);
  EXPECT_EQ(NextProgressPosition(0, 0), -1);
  EXPECT_EQ(NextProgressPosition(10, 15), -1) << "five above is not more than five";
  EXPECT_EQ(NextProgressPosition(10, 16), 16);
  EXPECT_EQ(NextProgressPosition(97, 99), -1);
  EXPECT_EQ(NextProgressPosition(97, 100), 100);
  EXPECT_EQ(NextProgressPosition(97, 130), 100);
  EXPECT_EQ(NextProgressPosition(60, 40), -1) << "never backwards but through 0";
}

TEST(FormatPages, TheTargetsExtensionPicksThePage) {
  EXPECT_EQ(FormatForSaving("shot.PNG"), ImageFormat::Png);
  EXPECT_EQ(FormatForSaving("photo.jpeg"), ImageFormat::Jpeg) << "never TIF data under a JPEG name";
  EXPECT_EQ(FormatForSaving("photo.JPE"), ImageFormat::Jpeg);
  EXPECT_EQ(FormatForSaving("scan.tiff"), ImageFormat::Tiff);
  EXPECT_EQ(FormatForSaving("odd.xyz"), ImageFormat::Tiff);
}

}  // namespace
}  // namespace brisko
