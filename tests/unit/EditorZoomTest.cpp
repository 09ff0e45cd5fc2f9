#include <gtest/gtest.h>

#include <vector>

#include "ImageOpsPictures.h"
#include "editor/Zoom.h"
#include "imageops/Geometric.h"

namespace brisko {
namespace {

using testpictures::Random;

std::vector<std::string> Walk(ZoomState& zoom, ZoomStep step, int clicks) {
  std::vector<std::string> seen;
  for (int i = 0; i < clicks; ++i) {
    zoom.Step(step);
    seen.push_back(zoom.PercentText());
  }
  return seen;
}

TEST(ZoomSteps, NineZoomOutsReachTenPercentAndTheTenthDisablesZoomOut) {
  ZoomState zoom;
  zoom.Reset();
  EXPECT_EQ(Walk(zoom, ZoomStep::StepOut, 9),
            (std::vector<std::string>{"90%", "80%", "70%", "60%", "50%", "40%", "30%", "20%", "10%"}));
  EXPECT_TRUE(zoom.Commands().zoomOut);
  EXPECT_FALSE(zoom.Step(ZoomStep::StepOut));
  EXPECT_EQ(zoom.PercentText(), "10%");
  EXPECT_EQ(zoom.Commands(), (ZoomCommands{true, true, false}));
}

TEST(ZoomSteps, EightZoomInsReachNineHundredAndTheNinthDisablesZoomIn) {
  ZoomState zoom;
  zoom.Reset();
  EXPECT_EQ(Walk(zoom, ZoomStep::StepIn, 8),
            (std::vector<std::string>{"200%", "300%", "400%", "500%", "600%", "700%", "800%", "900%"}));
  EXPECT_FALSE(zoom.Step(ZoomStep::StepIn));
  EXPECT_EQ(zoom.Tenths(), 90);
  EXPECT_EQ(zoom.Commands(), (ZoomCommands{false, true, true}));
  EXPECT_TRUE(zoom.Step(ZoomStep::StepOut)) << "the other direction still moves";
  EXPECT_EQ(zoom.Commands(), (ZoomCommands{true, true, true}));
}

TEST(ZoomSteps, BackThroughTheSameValuesExactlyToOneHundred) {
  ZoomState zoom;
  zoom.Reset();
  Walk(zoom, ZoomStep::StepOut, 9);
  EXPECT_EQ(Walk(zoom, ZoomStep::StepIn, 9),
            (std::vector<std::string>{"20%", "30%", "40%", "50%", "60%", "70%", "80%", "90%", "100%"}));
  EXPECT_TRUE(zoom.IsActual());
  EXPECT_EQ(zoom.Factor(), 1.0L);
  EXPECT_TRUE(zoom.Commands().actual) << "zooming back to 100 % leaves Actual enabled";
  Walk(zoom, ZoomStep::StepIn, 8);
  Walk(zoom, ZoomStep::StepOut, 8);
  EXPECT_TRUE(zoom.IsActual());
}

TEST(ZoomSteps, ActualSizeFromAnyFactorDisablesOnlyItself) {
  ZoomState zoom;
  Walk(zoom, ZoomStep::StepIn, 2);
  EXPECT_TRUE(zoom.Step(ZoomStep::StepActual));
  EXPECT_EQ(zoom.PercentText(), "100%");
  EXPECT_EQ(zoom.Commands(), (ZoomCommands{true, false, true}));
}

TEST(ZoomConversions, TruncateBothWays) {
  ZoomState zoom;
  zoom.Step(ZoomStep::StepIn);  // 200 %
  EXPECT_EQ(zoom.ToView(101), 202);
  EXPECT_EQ(zoom.ToImage(41), 20);
  zoom.Reset();
  for (int i = 0; i < 7; ++i) zoom.Step(ZoomStep::StepOut);  // 30 %
  EXPECT_EQ(zoom.ToView(101), 30);
  EXPECT_EQ(zoom.ToImage(10), 33);
  EXPECT_EQ(zoom.ToImage(-10), -33) << "toward zero";
  zoom.Step(ZoomStep::StepOut);  // 20 %
  EXPECT_EQ(zoom.ToImage(20), 100) << "20 / 0.2 is 100 exactly";
  EXPECT_EQ(zoom.ToView(5), 1);
}

// The part of the full ZoomStretch result that an area covers.
Bitmap PartOf(const Bitmap& whole, const Rect& area) {
  Bitmap part(area.Width(), area.Height());
  part.CopyFrom(whole, area, 0, 0);
  return part;
}

Bitmap Drawn(const Bitmap& block, Point at, const Rect& area) {
  Bitmap part(area.Width(), area.Height());
  part.CopyFrom(block, RectOfSize(at.X, at.Y, area.Width(), area.Height()), 0, 0);
  return part;
}

TEST(RenderZoomedArea, AnyAreaEqualsThatPartOfTheWholeZoomedPicture) {
  // Sides that are multiples of ten: every step's tiles fit exactly.
  const Bitmap picture = Random(40, 30, 3);
  const Rect areas[] = {{0, 0, 5, 5}, {3, 7, 29, 13}, {11, 1, 12, 2}};
  for (int tenths : {1, 3, 5, 7, 9, 10, 20, 30, 90}) {
    Bitmap whole;
    ZoomStretch(picture, whole, tenths / 10.0L);
    for (Rect area : areas) {
      area = Intersection(area, Rect{0, 0, whole.Width(), whole.Height()});
      if (area.IsEmpty()) continue;
      Bitmap block;
      const Point at = RenderZoomedArea(picture, tenths, area, block);
      EXPECT_TRUE(testpictures::SamePixels(Drawn(block, at, area), PartOf(whole, area)))
          << tenths << "0 % at " << area.Left << "," << area.Top;
    }
  }
}

TEST(RenderZoomedArea, APixelComesOutTheSameInEveryAreaThatHoldsIt) {
  // 37 is a multiple of no tile: the short last tiles are drawn too.
  const Bitmap picture = Random(37, 23, 5);
  for (int tenths : {3, 7, 9}) {
    const std::int32_t w = picture.Width() * tenths / 10, h = picture.Height() * tenths / 10;
    Bitmap all;
    const Point origin = RenderZoomedArea(picture, tenths, Rect{0, 0, w, h}, all);
    ASSERT_EQ(origin, (Point{0, 0}));
    ASSERT_EQ(all.Width(), w);
    for (const Rect area : {Rect{w - 4, h - 3, w, h}, Rect{1, 2, 6, 5}, Rect{w / 2, 0, w, h}}) {
      Bitmap block;
      const Point at = RenderZoomedArea(picture, tenths, area, block);
      EXPECT_TRUE(testpictures::SamePixels(Drawn(block, at, area), PartOf(all, area))) << tenths;
    }
  }
}

TEST(RenderZoomedArea, ReadsOnlyTheSourceUnderTheAreaAtNineHundredPercent) {
  // A picture of 4000 x 3000 would be 36000 x 27000 at 900 %; an area of
  // 90 x 45 needs a block of about that and no more.
  Bitmap picture(4000, 3000);
  picture.FillRect(Rect{1000, 1000, 1001, 1001}, MakeColour(255, 0, 0));
  Bitmap block;
  const Rect area = RectOfSize(9000, 9000, 90, 45);
  const Point at = RenderZoomedArea(picture, 90, area, block);
  EXPECT_EQ(block.Width(), 90);
  EXPECT_EQ(block.Height(), 45);
  EXPECT_EQ(at, (Point{0, 0}));
  EXPECT_EQ(block.PixelAt(0, 0), MakeColour(255, 0, 0));
  EXPECT_EQ(block.PixelAt(8, 8), MakeColour(255, 0, 0));
  EXPECT_EQ(block.PixelAt(9, 0), kWhite);
}

TEST(RenderZoomedArea, AnAreaOutsideTheViewDrawsNothing) {
  const Bitmap picture = Random(10, 10, 1);
  Bitmap block(3, 3);
  RenderZoomedArea(picture, 20, Rect{20, 0, 30, 5}, block);
  EXPECT_TRUE(block.IsEmpty());
  EXPECT_THROW(RenderZoomedArea(picture, 15, Rect{0, 0, 1, 1}, block), std::invalid_argument);
}

}  // namespace
}  // namespace brisko
