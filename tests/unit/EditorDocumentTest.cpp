#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "TempFolder.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "editor/EditorDocument.h"

namespace brisko {
namespace {

// A picture whose every pixel is different, so a misplaced pixel shows.
Bitmap Numbered(std::int32_t width, std::int32_t height) {
  Bitmap b(width, height, PixelFormat::Bgr24);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      b.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 6),
                                    static_cast<std::uint8_t>((x * 7 + y * 3) & 0xFF)));
  return b;
}

bool SamePixels(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x)
      if (a.PixelAt(x, y) != b.PixelAt(x, y)) return false;
  return true;
}

class Document : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_.BaseFile = Utf8FromPath(folder_.Path() / "Brisko.bmp");
    doc_.History.Reset();
    doc_.WorkingBitmap = Numbered(61, 37);
    WriteBmpFile(doc_.WorkingBitmap, PathFromUtf8(doc_.BaseFile));
    doc_.Zoom.Step(ZoomStep::StepIn);
    doc_.Zoom.Step(ZoomStep::StepIn);
    doc_.RebuildView();
  }
  TempFolder folder_;
  EditorDocument doc_;
};

TEST_F(Document, EveryViewOperationOfTheTableRunsInTheFrame) {
  const Bitmap before = doc_.WorkingBitmap;
  for (const CommandSpec& spec : EditorCommandSpecs()) {
    if (spec.kind != CommandKind::ViewOperation) continue;
    SetUp();
    const std::int32_t top = doc_.History.Top();
    ImageView expected;
    expected.SetPicture(before);
    ApplyViewOperation(spec, expected, doc_.SmoothScaling);
    doc_.RunViewOperation(spec);
    EXPECT_TRUE(doc_.Zoom.IsActual()) << static_cast<int>(spec.command) << ": back to 100 %";
    EXPECT_EQ(doc_.History.Top(), top + 1) << static_cast<int>(spec.command) << ": one new snapshot";
    EXPECT_TRUE(SamePixels(doc_.WorkingBitmap, expected.Picture())) << static_cast<int>(spec.command);
    EXPECT_TRUE(SamePixels(doc_.ImageShow.Picture(), doc_.WorkingBitmap));
    EXPECT_TRUE(SamePixels(doc_.History.Undo(doc_.BaseFile), before)) << "Undo gives the picture back";
  }
}

TEST_F(Document, AFailingOperationChangesNothing) {
  const Bitmap before = doc_.WorkingBitmap;
  EXPECT_THROW(doc_.RunImageCommand([](ImageView& view) {
    view.SetPicture(Bitmap(3, 3, PixelFormat::Bgr24));
    throw std::runtime_error("no");
  }),
               std::runtime_error);
  EXPECT_EQ(doc_.History.Top(), 0);
  EXPECT_TRUE(SamePixels(doc_.WorkingBitmap, before));
  EXPECT_TRUE(SamePixels(doc_.ImageShow.Picture(), before)) << "the half-done result is not left in view";
}

TEST_F(Document, ScaleEntriesFollowTheirTagAndHalvingNothingIsRefused) {
  doc_.RunViewOperation(SpecOf(EditorCommand::Scale50));
  EXPECT_EQ(doc_.WorkingBitmap.Width(), 30);
  EXPECT_EQ(doc_.WorkingBitmap.Height(), 18);
  doc_.RunViewOperation(SpecOf(EditorCommand::Scale300));
  EXPECT_EQ(doc_.WorkingBitmap.Width(), 90);
  doc_.WorkingBitmap = Numbered(1, 5);
  doc_.RebuildView();
  EXPECT_THROW(doc_.RunViewOperation(SpecOf(EditorCommand::Scale50)), std::invalid_argument);
  EXPECT_EQ(doc_.WorkingBitmap.Width(), 1);
}

TEST(CommandTable, EveryCommandIsOfferedSomewhere) {
  for (const CommandSpec& spec : EditorCommandSpecs()) {
    const auto menu = EditorMenuRows();
    const auto tools = EditorToolRows();
    const auto pages = EditorPageRows();
    const bool offered =
        std::any_of(menu.begin(), menu.end(),
                    [&](const MenuRow& r) {
                      return r.command == spec.command &&
                             (r.kind == MenuRow::Kind::Item || r.kind == MenuRow::Kind::CheckItem);
                    }) ||
        std::any_of(tools.begin(), tools.end(), [&](const ToolRow& r) { return r.command == spec.command; }) ||
        std::any_of(pages.begin(), pages.end(), [&](const PageButtonRow& r) { return r.command == spec.command; });
    EXPECT_TRUE(offered) << static_cast<int>(spec.command);
    EXPECT_EQ(spec.scaleTag != 0, spec.operation == ViewOperation::ScaleByFactor);
  }
  EXPECT_EQ(SpecOf(EditorCommand::Scale50).scaleTag, 5);
  EXPECT_EQ(SpecOf(EditorCommand::Gamma).colorsKind, "Gamma");
  EXPECT_EQ(SpecOf(EditorCommand::Brightness).colorsKind, "Bright");
}

}  // namespace
}  // namespace brisko
