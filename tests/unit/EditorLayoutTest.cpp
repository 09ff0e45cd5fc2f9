#include <gtest/gtest.h>

#include <set>
#include <string>

#include "editor/CropMath.h"
#include "editor/EditorCommands.h"
#include "editor/EditorLayout.h"

namespace brisko {
namespace {

ZoomState At(int tenths) {
  ZoomState zoom;
  while (zoom.Tenths() < tenths) zoom.Step(ZoomStep::StepIn);
  while (zoom.Tenths() > tenths) zoom.Step(ZoomStep::StepOut);
  return zoom;
}

constexpr PanelSize kBox{560, 420};

TEST(MainPanel, FillsTheBoxWhenTheViewFits) {
  EXPECT_EQ(MainPanelSize({100, 50}, kBox), kBox);
  EXPECT_EQ(MainPanelSize({kBox.width - 16, kBox.height - 16}, kBox), kBox) << "16 pixels narrower still fits";
}

TEST(MainPanel, FifteenPixelsNarrowerThanTheBoxNeedsAWiderPanel) {
  const PanelSize main = MainPanelSize({kBox.width - 15, 100}, kBox);
  EXPECT_EQ(main.width, kBox.width + 1);
  EXPECT_EQ(main.height, kBox.height - 20) << "room for the horizontal scroll bar";
  const PanelSize tall = MainPanelSize({100, kBox.height - 15}, kBox);
  EXPECT_EQ(tall.height, kBox.height + 1);
  EXPECT_EQ(tall.width, kBox.width - 20);
}

TEST(MainPanel, ABigViewGetsItsMarginOnBothAxes) {
  EXPECT_EQ(MainPanelSize({2000, 1500}, kBox), (PanelSize{2016, 1516}));
}

TEST(MainPanel, TheScrollBarAllowanceNeverCutsTheViewsMargin) {
  // Wider than the box and only 10 pixels shorter: box height - 20 would
  // leave the view's bottom under PnlMain's edge.
  const PanelSize main = MainPanelSize({1000, kBox.height - 26}, kBox);
  EXPECT_EQ(main.height, kBox.height - 10);
}

TEST(Status, ShowsTheViewSizeTheZoomAndTheFile) {
  const StatusTexts texts = StatusFor({200, 100}, At(20), "C:\\pictures\\a.jpg");
  EXPECT_EQ(texts.size, "W, H = 200X100");
  EXPECT_EQ(texts.zoom, "200%");
  EXPECT_EQ(texts.file, "C:\\pictures\\a.jpg");
  EXPECT_EQ(StatusFor({10, 5}, At(1), "").zoom, "10%");
}

constexpr Point kView{8, 8};

TEST(Crop, BandCornersAreOrderedWhicheverWayItWasDragged) {
  const Rect forward = SelectionFromBand({10, 20}, {50, 70}, kView);
  EXPECT_EQ(SelectionFromBand({50, 70}, {10, 20}, kView), forward);
  EXPECT_EQ(SelectionFromBand({50, 20}, {10, 70}, kView), forward);
  EXPECT_EQ(forward, (Rect{18, 28, 58, 78}));
}

TEST(Crop, AtTwoHundredPercentTheSelectionHalves) {
  // 100 x 60 view pixels whose top-left lies 40 right and 20 down of the
  // image's corner.
  const Rect selection = RectOfSize(kView.X + 40, kView.Y + 20, 100, 60);
  const auto area = CropRectFor(selection, kView, At(20), 100, 50);
  ASSERT_TRUE(area);
  EXPECT_EQ(*area, (Rect{20, 10, 70, 40}));
}

TEST(Crop, AtThirtyPercentCoordinatesAreTruncated) {
  const Rect selection = RectOfSize(kView.X + 10, kView.Y + 10, 10, 20);
  const auto area = CropRectFor(selection, kView, At(3), 500, 500);
  ASSERT_TRUE(area);
  EXPECT_EQ(area->Left, 33);
  EXPECT_EQ(area->Top, 33);
  EXPECT_EQ(area->Right, 66);
  EXPECT_EQ(area->Bottom, 100);
}

TEST(Crop, ASelectionReachingOutsideIsClippedToTheImage) {
  const auto area = CropRectFor(Rect{0, 0, 58, 200}, kView, At(10), 40, 30);
  ASSERT_TRUE(area);
  EXPECT_EQ(*area, (Rect{0, 0, 40, 30}));
}

TEST(Crop, ASelectionWithoutImagePixelsCutsNothing) {
  EXPECT_FALSE(CropRectFor(RectOfSize(20, 20, 0, 0), kView, At(10), 40, 30)) << "a click without a drag";
  EXPECT_FALSE(CropRectFor(RectOfSize(100, 10, 30, 30), kView, At(10), 40, 30)) << "beside the image";
  EXPECT_FALSE(CropRectFor(RectOfSize(9, 9, 2, 2), kView, At(90), 40, 30)) << "less than one image pixel";
}

TEST(Commands, MenusAreWellFormedAndShortcutsUnique) {
  int depth = 0;
  std::set<std::string> shortcuts;
  std::set<EditorCommand> inMenus;
  for (const MenuRow& row : EditorMenuRows()) {
    if (row.kind == MenuRow::Kind::Menu) {
      EXPECT_EQ(depth, 0) << row.caption;
    }
    if (row.kind == MenuRow::Kind::Submenu) ++depth;
    if (row.kind == MenuRow::Kind::EndSubmenu) --depth;
    EXPECT_GE(depth, 0);
    if (!row.shortcut.empty()) {
      EXPECT_TRUE(shortcuts.insert(std::string(row.shortcut)).second) << row.shortcut;
    }
    if (row.kind == MenuRow::Kind::Item || row.kind == MenuRow::Kind::CheckItem) inMenus.insert(row.command);
  }
  EXPECT_EQ(depth, 0);
  // Everything but the two tool-bar-only file commands is in a menu.
  EXPECT_EQ(inMenus.size(), kEditorCommandCount - 2);
  for (const ToolRow& tool : EditorToolRows()) {
    if (tool.command != EditorCommand::Finish && tool.command != EditorCommand::Close) {
      EXPECT_TRUE(inMenus.count(tool.command)) << tool.caption;
    }
  }
  for (const PageButtonRow& button : EditorPageRows()) EXPECT_TRUE(inMenus.count(button.command)) << button.caption;
}

}  // namespace
}  // namespace brisko
