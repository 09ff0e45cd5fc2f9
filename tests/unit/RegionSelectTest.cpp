#include "capture/RegionSelect.h"

#include <gtest/gtest.h>

#include <optional>

#include "capture/Inverting.h"
#include "core/Bitmap.h"

namespace brisko {
namespace {

// Does what the overlay does with the frozen picture: inverts the figures
// on a real bitmap, and records everything else.
class RecordingCanvas : public RegionCanvas {
 public:
  RecordingCanvas() : picture(64, 48, PixelFormat::Bgrx32) {
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x)
        picture.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x * 3), static_cast<std::uint8_t>(y * 5), 77));
    original = picture;
  }
  void InvertCrosshair(Point at) override { brisko::InvertCrosshair(picture, at, damage); }
  void InvertFigure(int shape, Point from, Point to) override {
    InvertPixels(picture,
                 shape == 0   ? RectangleOutlinePixels(from, to)
                 : shape == 1 ? EllipseOutlinePixels(from, to)
                              : LinePixels(from, to),
                 damage);
  }
  void SetCursorSlot(int slot) override { cursor = slot; }
  void SetSizeText(const std::string& text) override { sizeText = text; }
  void RefreshMagnifier(Point at, int mode) override {
    magnifiedAt = at;
    magnifierMode = mode;
  }
  void Cancel() override { cancelled = true; }
  void Complete(const RegionResult& r) override { result = r; }
  void InjectLeftPress() override { ++injectedPresses; }
  void MovePointerBy(int dx, int dy) override { moved = Point{moved.X + dx, moved.Y + dy}; }

  bool PictureUnchanged() const {
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x)
        if (picture.PixelAt(x, y) != original.PixelAt(x, y)) return false;
    return true;
  }

  Bitmap picture;
  Bitmap original;
  Damage damage;
  int cursor = 0;
  std::string sizeText;
  Point magnifiedAt{};
  int magnifierMode = 0;
  bool cancelled = false;
  std::optional<RegionResult> result;
  int injectedPresses = 0;
  Point moved{};
};

constexpr unsigned kHeldLeft = kLeftButton;

RegionResult Drag(int shape, Point from, Point to, unsigned shiftDuringDrag = kHeldLeft) {
  RegionSelection s;
  s.Start(shape);
  RecordingCanvas c;
  s.MouseMove(0, from, c);
  s.MouseDown(PointerButton::Left, kLeftButton, from, c);
  s.MouseMove(shiftDuringDrag, Point{(from.X + to.X) / 2, (from.Y + to.Y) / 2}, c);
  s.MouseMove(shiftDuringDrag, to, c);
  s.MouseUp(PointerButton::Left, to, c);
  EXPECT_TRUE(c.result.has_value());
  return c.result.value_or(RegionResult{});
}

TEST(RectangleSelection, DragUpLeftEqualsDragDownRight) {
  const RegionResult a = Drag(0, {10, 12}, {40, 30});
  const RegionResult b = Drag(0, {40, 30}, {10, 12});
  EXPECT_EQ(a.box, (Rect{10, 12, 40, 30}));
  EXPECT_EQ(b.box, a.box);
}

TEST(RectangleSelection, PressReleaseThenMoveAndSecondPressCapturesBetweenThePresses) {
  RegionSelection s;
  s.Start(0);
  RecordingCanvas c;
  s.MouseDown(PointerButton::Left, kLeftButton, {5, 6}, c);
  s.MouseUp(PointerButton::Left, {5, 6}, c);
  EXPECT_FALSE(c.result) << "a release at the anchor waits for the other corner";
  s.MouseMove(0, {20, 25}, c);
  s.MouseDown(PointerButton::Left, kLeftButton, {20, 25}, c);
  ASSERT_TRUE(c.result);
  EXPECT_EQ(c.result->box, (Rect{5, 6, 20, 25}));
}

TEST(RectangleSelection, ShiftSquaresTowardsTheSmallerSignedOffset) {
  EXPECT_EQ(RegionSelection::Square({100, 100}, {150, 20}), (Point{20, 20}));
  // A drag with Shift, right by 50 and up by 80: a square up and to the left.
  const RegionResult r = Drag(0, {100, 100}, {150, 20}, kShiftKey | kLeftButton);
  EXPECT_EQ(r.box, (Rect{20, 20, 100, 100}));
}

TEST(RectangleSelection, ShiftOnTheSecondPressSquaresThatCorner) {
  RegionSelection s;
  s.Start(1);
  RecordingCanvas c;
  s.MouseDown(PointerButton::Left, kLeftButton, {10, 10}, c);
  s.MouseUp(PointerButton::Left, {10, 10}, c);
  s.MouseDown(PointerButton::Left, kShiftKey | kLeftButton, {30, 50}, c);
  ASSERT_TRUE(c.result);
  EXPECT_EQ(c.result->box, (Rect{10, 10, 30, 30}));
  EXPECT_EQ(c.result->shape, 1);
}

TEST(RectangleSelection, SizeTextShowsTheAbsoluteOffsets) {
  RegionSelection s;
  s.Start(0);
  RecordingCanvas c;
  s.MouseMove(0, {40, 40}, c);
  EXPECT_EQ(c.sizeText, "0,0");
  EXPECT_EQ(c.magnifierMode, kMagnifyRegion);
  EXPECT_EQ(c.cursor, 1);
  s.MouseDown(PointerButton::Left, kLeftButton, {40, 40}, c);
  s.MouseMove(kLeftButton, {8, 45}, c);
  EXPECT_EQ(c.sizeText, "32 X 5");
}

TEST(RectangleSelection, CrosshairAndRubberBandsLeaveThePictureAsItWas) {
  RegionSelection s;
  s.Start(0);
  RecordingCanvas c;
  s.MouseMove(0, {3, 4}, c);
  s.MouseMove(0, {30, 20}, c);
  EXPECT_FALSE(c.PictureUnchanged()) << "the crosshair is on the picture";
  s.MouseDown(PointerButton::Left, kLeftButton, {30, 20}, c);
  s.MouseMove(kLeftButton, {50, 40}, c);
  s.MouseMove(kLeftButton, {10, 5}, c);
  // Erasing the last rubber band by drawing it again restores every pixel.
  c.InvertFigure(0, {30, 20}, {10, 5});
  EXPECT_TRUE(c.PictureUnchanged());
}

TEST(RegionSelectionButtons, OnlyAPlainRightPressCancels) {
  for (unsigned shift : {kRightButton | kShiftKey, kRightButton | kCtrlKey}) {
    RegionSelection s;
    s.Start(0);
    RecordingCanvas c;
    s.MouseDown(PointerButton::Right, shift, {10, 10}, c);
    EXPECT_FALSE(c.cancelled);
    EXPECT_TRUE(s.Selecting()) << "taken as a selection press";
  }
  RegionSelection s;
  s.Start(2);
  RecordingCanvas c;
  s.MouseDown(PointerButton::Right, kRightButton, {10, 10}, c);
  EXPECT_TRUE(c.cancelled);
}

TEST(RegionSelectionKeys, EnterPressesEscCancelsArrowsMoveOnePixel) {
  RegionSelection s;
  s.Start(0);
  RecordingCanvas c;
  s.KeyDown(SelectionKey::Enter, c);
  s.KeyDown(SelectionKey::Space, c);
  EXPECT_EQ(c.injectedPresses, 2);
  s.KeyDown(SelectionKey::Left, c);
  s.KeyDown(SelectionKey::Down, c);
  s.KeyDown(SelectionKey::Down, c);
  EXPECT_EQ(c.moved, (Point{-1, 2}));
  s.KeyDown(SelectionKey::Other, c);
  EXPECT_FALSE(c.cancelled);
  s.KeyDown(SelectionKey::Escape, c);
  EXPECT_TRUE(c.cancelled);
}

class FreeHand : public ::testing::Test {
 protected:
  void SetUp() override { s.Start(2); }
  void Press(Point p) { s.MouseDown(PointerButton::Left, kLeftButton, p, c); }
  RegionSelection s;
  RecordingCanvas c;
};

TEST_F(FreeHand, CloseZoneIsFivePixelsInclusive) {
  Press({20, 20});
  Press({40, 20});
  Press({26, 20});  // 6 to the right: a vertex
  EXPECT_EQ(s.VertexCount(), 3);
  EXPECT_FALSE(c.result);
  Press({25, 15});  // 5 right and 5 up: inside, closes
  ASSERT_TRUE(c.result);
  EXPECT_EQ(c.result->vertices.size(), 3u) << "the closing press is no vertex";
}

TEST_F(FreeHand, AHundredVerticesThenAnyPressCloses) {
  for (int i = 0; i < 100; ++i) Press({10 + (i % 10) * 20, 10 + (i / 10) * 20});
  EXPECT_EQ(s.VertexCount(), 100);
  EXPECT_FALSE(c.result);
  Press({500, 500});
  ASSERT_TRUE(c.result);
  EXPECT_EQ(c.result->vertices.size(), 100u);
}

TEST_F(FreeHand, DoubleClickClosesAtTheFirstVertex) {
  Press({10, 10});
  Press({40, 10});
  Press({40, 40});  // the press that opens the double click adds its vertex
  s.DoubleClick(c);
  ASSERT_TRUE(c.result);
  EXPECT_EQ(c.result->vertices, (std::vector<Point>{{10, 10}, {40, 10}, {40, 40}}));
}

TEST_F(FreeHand, MovesDrawTheRubberLineAndShowTheHandInTheCloseZone) {
  s.MouseMove(0, {5, 5}, c);
  EXPECT_EQ(c.cursor, 3);
  EXPECT_EQ(c.magnifierMode, kMagnifyFreeHand);
  EXPECT_TRUE(c.PictureUnchanged()) << "no rubber line before the first press";
  Press({20, 20});
  s.MouseMove(kLeftButton, {40, 30}, c);
  EXPECT_EQ(c.cursor, 3);
  EXPECT_FALSE(c.PictureUnchanged());
  s.MouseMove(kLeftButton, {23, 18}, c);
  EXPECT_EQ(c.cursor, 1);
  c.InvertFigure(2, {20, 20}, {23, 18});
  EXPECT_TRUE(c.PictureUnchanged()) << "each move erased the line before";
  EXPECT_TRUE(c.sizeText.empty()) << "free-hand shows no size";
}

TEST(RegionSelectionResult, ASelectionWithoutAreaGivesAnEmptyBox) {
  const RegionResult r = Drag(0, {10, 10}, {10, 40});
  EXPECT_EQ(r.box.Width(), 0);
  EXPECT_TRUE(r.box.IsEmpty());
}

TEST(RegionSelectionResult, EventsAfterTheEndAreIgnored) {
  RegionSelection s;
  s.Start(0);
  RecordingCanvas c;
  s.MouseDown(PointerButton::Left, kLeftButton, {1, 1}, c);
  s.MouseDown(PointerButton::Left, kLeftButton, {9, 9}, c);
  ASSERT_TRUE(s.Finished());
  c.result.reset();
  s.MouseDown(PointerButton::Left, kLeftButton, {20, 20}, c);
  s.MouseDown(PointerButton::Right, kRightButton, {20, 20}, c);
  EXPECT_FALSE(c.result);
  EXPECT_FALSE(c.cancelled);
}

}  // namespace
}  // namespace brisko
