#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "ImageOpsPictures.h"
#include "core/Helpers.h"
#include "editor/DialogModels.h"
#include "imageops/ColourAdjust.h"
#include "imageops/Geometric.h"
#include "imageops/Resample.h"

namespace brisko {
namespace {

constexpr Colour kRed = MakeColour(255, 0, 0);

using testpictures::Numbered;
using testpictures::SamePixels;

// Gradients with a few flat shapes: what a screenshot's downscaled proxy
// can stand for without losing detail that matters.
Bitmap Smooth(std::int32_t width, std::int32_t height) {
  Bitmap b(width, height, PixelFormat::Bgr24);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      b.SetPixelAt(x, y,
                   MakeColour(static_cast<std::uint8_t>(x * 255 / width), static_cast<std::uint8_t>(y * 255 / height),
                              static_cast<std::uint8_t>(128 + (x - y) / 8)));
  b.FillRect(RectOfSize(60, 50, 200, 120), MakeColour(20, 40, 200));
  b.FillRect(RectOfSize(380, 220, 180, 140), MakeColour(240, 200, 30));
  b.FillRect(RectOfSize(300, 30, 40, 300), MakeColour(10, 10, 10));
  return b;
}


std::vector<std::uint8_t> Bytes(const Bitmap& b) { return {b.Data(), b.Data() + b.ByteSize()}; }

ImageView ViewOf(Bitmap picture) {
  ImageView view;
  view.SetPicture(std::move(picture));
  return view;
}

// The picture an accepted dialog leaves in a view that held `picture`.
Bitmap Applied(const DialogResult& result, const Bitmap& picture) {
  EXPECT_EQ(result.kind, DialogResult::Kind::Apply);
  ImageView view = ViewOf(picture);
  if (result.edit) result.edit(view);
  return view.Picture();
}

// --------------------------------------------------------------- Scale

TEST(ScaleModel, TypedPixelsKeepTheAspectThroughAWholePercentage) {
  ScaleModel model(640, 480);
  EXPECT_EQ(model.ShownLabel(), "640 X 480");
  EXPECT_EQ(model.WidthTyped("100"), "72") << "100 of 640 is 15 %, and 15 % of 480 is 72";
  EXPECT_EQ(model.NewWidth, 100);
  EXPECT_EQ(model.NewHeight, 72);
  EXPECT_EQ(model.FinalLabel(), "100X72");
  const Bitmap scaled = Applied(model.Accept("100", "72", true), Bitmap(640, 480));
  EXPECT_EQ(scaled.Width(), 100);
  EXPECT_EQ(scaled.Height(), 72);

  const auto texts = model.Defaults();
  EXPECT_EQ(texts[0], "640");
  EXPECT_EQ(texts[1], "480");
  EXPECT_EQ(model.FinalLabel(), "640X480");
}

TEST(ScaleModel, PercentagesFollowEachSidesUnit) {
  ScaleModel model(640, 480);
  EXPECT_EQ(model.WidthUnitChosen(SizeUnit::Percentage), "100");
  EXPECT_EQ(model.WidthTyped("50"), "240");
  EXPECT_EQ(model.FinalLabel(), "320X240");
  EXPECT_EQ(model.HeightUnitChosen(SizeUnit::Percentage), "50");
  EXPECT_EQ(model.WidthTyped("50"), "50") << "a height in percent takes the percentage";
  EXPECT_EQ(model.FinalLabel(), "320X240");

  const Bitmap scaled = Applied(model.Accept("50", "50", false), Bitmap(640, 480));
  EXPECT_EQ(scaled.Width(), 320);
  EXPECT_EQ(scaled.Height(), 240);
}

TEST(ScaleModel, AcceptKeepsTheDialogOpenForSizesItCannotMake) {
  ScaleModel model(640, 480);
  for (const char* width : {"0", "", "  ", "-5"}) {
    const DialogResult r = model.Accept(width, "480", true);
    EXPECT_EQ(r.kind, DialogResult::Kind::StayOpen) << "'" << width << "'";
    EXPECT_TRUE(r.message.empty()) << "'" << width << "' is refused without a message";
  }
  const DialogResult word = model.Accept("abc", "480", true);
  EXPECT_EQ(word.kind, DialogResult::Kind::StayOpen);
  EXPECT_FALSE(word.message.empty());

  ScaleModel narrow(60, 60);
  narrow.WidthUnitChosen(SizeUnit::Percentage);
  EXPECT_EQ(narrow.Accept("1", "60", true).kind, DialogResult::Kind::StayOpen) << "1 % of 60 pixels is none";

  // Refused from the numbers alone: accepting allocates nothing.
  ScaleModel screen(3840, 2160);
  screen.WidthUnitChosen(SizeUnit::Percentage);
  screen.HeightUnitChosen(SizeUnit::Percentage);
  const DialogResult huge = screen.Accept("100000", "100000", true);
  EXPECT_EQ(huge.kind, DialogResult::Kind::StayOpen);
  EXPECT_FALSE(huge.message.empty());
}

TEST(ScaleModel, LargeAndEmptySidesComputeWithoutOverflowOrDivision) {
  ScaleModel model(640, 480);
  // 2e9 * 100 does not fit 32 bits: percent 312500000, height 1.5e9.
  EXPECT_EQ(model.WidthTyped("2000000000"), "1500000000");
  EXPECT_EQ(model.NewWidth, 2000000000);
  EXPECT_EQ(model.NewHeight, std::int64_t{480} * (std::int64_t{2000000000} * 100 / 640) / 100);
  EXPECT_EQ(model.Accept("2000000000", "1500000000", true).kind, DialogResult::Kind::StayOpen);

  ScaleModel empty(0, 0);
  EXPECT_EQ(empty.WidthTyped("50"), "0");
  EXPECT_EQ(empty.HeightTyped("50"), "0");
  EXPECT_EQ(empty.WidthUnitChosen(SizeUnit::Percentage), "0");
  EXPECT_EQ(empty.WidthTyped("50"), "0");
  EXPECT_EQ(empty.Accept("50", "50", true).kind, DialogResult::Kind::StayOpen);
}

// ---------------------------------------------------------- Canvas size

TEST(CanvasSizeModel, AcceptResizesAtTheChosenAnchor) {
  const Bitmap picture = Numbered(40, 30);
  CanvasSizeModel model(40, 30);
  EXPECT_EQ(model.CanvasAnchor(), 1);
  ImageView expected = ViewOf(picture);
  ResizeCanvas(expected, 40, 30, 1);
  EXPECT_TRUE(SamePixels(Applied(model.Accept(model.WidthText(), model.HeightText()), picture), expected.Picture()));

  model.SetAnchor(5);
  ImageView centred = ViewOf(picture);
  ResizeCanvas(centred, 60, 50, 5);
  EXPECT_TRUE(SamePixels(Applied(model.Accept("60", " 50 "), picture), centred.Picture()));

  model.SetAnchor(0);
  model.SetAnchor(10);
  EXPECT_EQ(model.CanvasAnchor(), 5) << "tags outside 1 to 9 are ignored";
}

TEST(CanvasSizeModel, TextsOutsideTheRangeKeepTheDialogOpen) {
  CanvasSizeModel model(40, 30);
  for (const char* text : {"0", "100000", "", "  ", "abc", "12.5", "-3"}) {
    const DialogResult w = model.Accept(text, "30");
    EXPECT_EQ(w.kind, DialogResult::Kind::StayOpen) << "'" << text << "'";
    EXPECT_NE(w.message.find("1 to 99999"), std::string::npos) << w.message;
    const DialogResult h = model.Accept("40", text);
    EXPECT_EQ(h.kind, DialogResult::Kind::StayOpen) << "'" << text << "'";
    EXPECT_NE(h.message.find("1 to 99999"), std::string::npos) << h.message;
  }
  const DialogResult huge = model.Accept("99999", "99999");
  EXPECT_EQ(huge.kind, DialogResult::Kind::StayOpen);
  EXPECT_EQ(huge.message, OversizeMessage(99999, 99999));
  EXPECT_FALSE(huge.message.empty());
}

// ------------------------------------------------------------------ RGB

class RgbDialog : public ::testing::Test {
 protected:
  void SetUp() override { model_.Prepare(picture_, 200, 169); }
  const Bitmap picture_ = Numbered(320, 240);
  RgbModel model_;
};

TEST_F(RgbDialog, PreviewShowsEveryTypedOffset) {
  const Bitmap& before = model_.Previews().Before();
  ASSERT_FALSE(before.IsEmpty());
  EXPECT_EQ(model_.ChannelTyped(1, "50"), 50);
  EXPECT_EQ(model_.ChannelTyped(3, "-30"), -30);
  Bitmap expected;
  AdjustRGB(before, expected, 1, 50);
  AdjustRGB(expected, expected, 3, -30);
  EXPECT_TRUE(SamePixels(model_.Previews().After(), expected));

  for (const char* text : {"-", "", "300", "abc"}) {
    EXPECT_EQ(model_.ChannelTyped(2, text), std::nullopt) << "'" << text << "'";
    EXPECT_TRUE(SamePixels(model_.Previews().After(), expected)) << "'" << text << "' changes nothing";
  }

  model_.Defaults();
  EXPECT_TRUE(SamePixels(model_.Previews().After(), before));
  EXPECT_EQ(model_.ChannelTyped(2, "10"), 10);
  AdjustRGB(before, expected, 2, 10);
  EXPECT_TRUE(SamePixels(model_.Previews().After(), expected)) << "the defaults forgot the earlier offsets";
}

TEST_F(RgbDialog, AcceptAppliesTheThreeOffsets) {
  const std::array<std::string, 3> texts{"50", "0", "-30"};
  ImageView expected = ViewOf(picture_);
  AdjustRGB(expected, 1, 50);
  AdjustRGB(expected, 3, -30);
  EXPECT_TRUE(SamePixels(Applied(model_.Accept(texts), picture_), expected.Picture()));

  const std::array<std::string, 3> tooMuch{"0", "256", "0"};
  const DialogResult refused = model_.Accept(tooMuch);
  EXPECT_EQ(refused.kind, DialogResult::Kind::StayOpen);
  EXPECT_NE(refused.message.find("-255 to 255"), std::string::npos) << refused.message;

  const std::array<std::string, 3> zeros{"0", "0", "0"};
  EXPECT_EQ(model_.Accept(zeros).kind, DialogResult::Kind::Nothing);
}

// --------------------------------------------------------------- Colors

class ColorsDialog : public ::testing::Test {
 protected:
  ColorsModel Open(std::string_view kind) {
    ColorsModel model(kind);
    model.Prepare(picture_, 200, 169);
    return model;
  }
  const Bitmap picture_ = Numbered(320, 240);
};

TEST_F(ColorsDialog, GammaReadsHundredthsFromTheEditAndTheTrackBar) {
  ColorsModel model = Open("Gamma");
  EXPECT_EQ(model.Caption(), "Set Gamma");
  EXPECT_EQ(model.Page().defaultText, "0.01");
  EXPECT_EQ(model.ValueTyped("0.01"), 1);
  EXPECT_EQ(model.TrackReleased(37), "0.37");
  EXPECT_EQ(model.ValueTyped("0.29"), 29) << "0.29 * 100 is just below 29 in binary";
  Bitmap expected;
  AdjustGamma(model.Previews().Before(), expected, 0.29);
  EXPECT_TRUE(SamePixels(model.Previews().After(), expected));
  for (const char* text : {"5.01", "0", "", "x"}) {
    EXPECT_EQ(model.ValueTyped(text), std::nullopt) << "'" << text << "'";
    EXPECT_TRUE(SamePixels(model.Previews().After(), expected)) << "'" << text << "' changes nothing";
  }
  model.Defaults();
  EXPECT_TRUE(SamePixels(model.Previews().After(), model.Previews().Before()));

  ImageView gamma5 = ViewOf(picture_);
  AdjustGamma(gamma5, 5.0);
  EXPECT_TRUE(SamePixels(Applied(model.Accept("5.00", 0, std::nullopt), picture_), gamma5.Picture()));
  const DialogResult refused = model.Accept("0", 0, std::nullopt);
  EXPECT_EQ(refused.kind, DialogResult::Kind::StayOpen);
  EXPECT_NE(refused.message.find("0.01 to 5.00"), std::string::npos) << refused.message;
}

TEST_F(ColorsDialog, WholeNumberPagesTakeTheirRangesOnly) {
  ColorsModel bright = Open("Bright");
  EXPECT_EQ(bright.ValueTyped("40"), 40);
  const Bitmap shown = bright.Previews().After();
  EXPECT_EQ(bright.ValueTyped("-"), std::nullopt) << "a minus on its way to a number";
  EXPECT_TRUE(SamePixels(bright.Previews().After(), shown));
  EXPECT_EQ(bright.ValueTyped("-255"), -255);
  EXPECT_EQ(bright.ValueTyped("255"), 255);
  EXPECT_EQ(bright.ValueTyped("256"), std::nullopt);
  EXPECT_EQ(bright.Accept("-256", 0, std::nullopt).kind, DialogResult::Kind::StayOpen);
  ImageView darker = ViewOf(picture_);
  AdjustBrightness(darker, -20);
  EXPECT_TRUE(SamePixels(Applied(bright.Accept("-20", 0, std::nullopt), picture_), darker.Picture()));

  ColorsModel contrast = Open("Contrast");
  EXPECT_EQ(contrast.ValueTyped("0"), 0);
  EXPECT_EQ(contrast.ValueTyped("200"), 200);
  EXPECT_EQ(contrast.ValueTyped("-1"), std::nullopt);
  EXPECT_EQ(contrast.ValueTyped("201"), std::nullopt);

  ColorsModel saturation = Open("Saturation");
  EXPECT_EQ(saturation.Page().defaultText, "255");
  EXPECT_EQ(saturation.ValueTyped("510"), 510);
  EXPECT_EQ(saturation.ValueTyped("511"), std::nullopt);
  Bitmap expected;
  AdjustSaturation(saturation.Previews().Before(), expected, 510);
  EXPECT_TRUE(SamePixels(saturation.Previews().After(), expected));
  EXPECT_EQ(saturation.TrackReleased(300), "300");
}

TEST_F(ColorsDialog, HueFollowsTheChosenColour) {
  ColorsModel model = Open("Hue");
  model.HueChosen(kRed);
  Bitmap expected;
  AdjustHue(model.Previews().Before(), expected, kRed);
  EXPECT_TRUE(SamePixels(model.Previews().After(), expected));
  model.HueChosen(std::nullopt);
  EXPECT_TRUE(SamePixels(model.Previews().After(), model.Previews().Before()));

  EXPECT_EQ(model.Accept("", 0, std::nullopt).kind, DialogResult::Kind::Nothing);
  ImageView reddened = ViewOf(picture_);
  AdjustHue(reddened, kRed);
  EXPECT_TRUE(SamePixels(Applied(model.Accept("", 0, kRed), picture_), reddened.Picture()));
}

TEST_F(ColorsDialog, ColorsPageReducesToTheChosenFormat) {
  ColorsModel model = Open("Colors");
  model.FormatChosen(3);
  Bitmap expected;
  ReduceColors(model.Previews().Before(), expected, 3);
  EXPECT_EQ(model.Previews().After().Format(), expected.Format());
  EXPECT_TRUE(SamePixels(model.Previews().After(), expected));
  model.FormatChosen(kDefaultColorFormat);
  EXPECT_TRUE(SamePixels(model.Previews().After(), model.Previews().Before())) << "24-bit keeps every colour";

  ImageView reduced = ViewOf(picture_);
  ReduceColors(reduced, 3);
  const Bitmap accepted = Applied(model.Accept("", 3, std::nullopt), picture_);
  EXPECT_EQ(accepted.Format(), reduced.Picture().Format());
  EXPECT_TRUE(SamePixels(accepted, reduced.Picture()));
  EXPECT_EQ(model.Accept("", -1, std::nullopt).kind, DialogResult::Kind::StayOpen);
  EXPECT_EQ(model.Accept("", static_cast<int>(ColorFormatChoices().size()), std::nullopt).kind,
            DialogResult::Kind::StayOpen);
}

TEST(ColorsModel, AKindThatNamesNoPageIsRefused) {
  EXPECT_THROW(ColorsModel("Brightness"), std::invalid_argument);
  EXPECT_THROW(ColorsModel(""), std::invalid_argument);
}

// --------------------------------------------------------------- Rotate

TEST(RotateModel, TrackBarHoldsHundredthsOfWholeDegrees) {
  EXPECT_EQ(RotateModel::TrackReleased(40050), "40");
  EXPECT_EQ(RotateModel::TrackReleased(RotateModel::kTrackZero - 4050), "-40");
  EXPECT_EQ(RotateModel::TrackPositionFor(40.5L), 40000);
  EXPECT_EQ(RotateModel::TrackPositionFor(40), 40000);

  RotateModel model;
  model.Prepare(Numbered(40, 30), 180, 184);
  EXPECT_EQ(model.AngleTyped("1e12").position, RotateModel::kTrackMaximum);
  EXPECT_EQ(model.AngleTyped("-1e12").position, RotateModel::kTrackMinimum);
  EXPECT_EQ(model.AngleTyped("").kind, RotateModel::AngleChange::Kind::BlankToZero);

  const auto typed = model.AngleTyped("25");
  EXPECT_EQ(typed.kind, RotateModel::AngleChange::Kind::Previewed);
  EXPECT_EQ(typed.position, 38500);
  const std::vector<std::uint8_t> shown = Bytes(model.Preview());
  const auto minus = model.AngleTyped("-");
  EXPECT_EQ(minus.kind, RotateModel::AngleChange::Kind::NotANumber);
  EXPECT_FALSE(minus.message.empty());
  EXPECT_EQ(minus.position, 38500) << "the track bar stays at the last angle";
  EXPECT_EQ(Bytes(model.Preview()), shown);
}

TEST(RotateModel, BackgroundTakesEffectWithTheNextAngle) {
  const Bitmap picture = Numbered(60, 40);
  RotateModel model;
  model.Prepare(picture, 180, 184);
  EXPECT_EQ(model.Accept().kind, DialogResult::Kind::Nothing);

  model.AngleTyped("30");
  const std::vector<std::uint8_t> shown = Bytes(model.Preview());
  ASSERT_EQ(model.Preview().PixelAt(0, 0), kWhite);
  model.SetBackground(kRed);
  EXPECT_EQ(Bytes(model.Preview()), shown);

  // OK turns onto the colour the preview shows, not the one chosen since.
  Bitmap white;
  RotateAngle(picture, white, kWhite, 30);
  EXPECT_TRUE(SamePixels(Applied(model.Accept(), picture), white));

  model.AngleTyped("30");
  EXPECT_EQ(model.Preview().PixelAt(0, 0), kRed);
  const Bitmap& p = model.Preview();
  EXPECT_EQ(p.PixelAt(p.Width() - 1, p.Height() - 1), kRed);

  model.AngleTyped("0");
  EXPECT_EQ(model.Accept().kind, DialogResult::Kind::Nothing);
}

TEST(RotateModel, ProxyPreviewLooksLikeTheFullRotationScaledDown) {
  const Bitmap picture = Smooth(640, 400);
  RotateModel model;
  model.Prepare(picture, 180, 184);
  ASSERT_EQ(model.AngleTyped("37.5").kind, RotateModel::AngleChange::Kind::Previewed);

  Bitmap turned;
  RotateAngle(picture, turned, kWhite, 37.5L);
  const Rect place = FitImageRect(turned.Width(), turned.Height(), 180, 184);
  const Bitmap full = Resample(turned, place.Width(), place.Height());
  const Bitmap& preview = model.Preview();
  EXPECT_LE(std::abs(preview.Width() - full.Width()), 1);
  EXPECT_LE(std::abs(preview.Height() - full.Height()), 1);
  EXPECT_LE(std::abs(model.PreviewPlace().Left - place.Left), 1);
  EXPECT_LE(std::abs(model.PreviewPlace().Top - place.Top), 1);

  const std::int32_t w = std::min(preview.Width(), full.Width()), h = std::min(preview.Height(), full.Height());
  double difference = 0;
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x) {
      const Colour a = preview.PixelAt(x, y), b = full.PixelAt(x, y);
      difference += std::abs(RedOf(a) - RedOf(b)) + std::abs(GreenOf(a) - GreenOf(b)) +
                    std::abs(BlueOf(a) - BlueOf(b));
    }
  EXPECT_LE(difference / (3.0 * w * h), 3.0);
}

}  // namespace
}  // namespace brisko
