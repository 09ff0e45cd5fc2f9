#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "ImageOpsPictures.h"
#include "TempFolder.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "editor/EditorDocument.h"
#include "imageops/Geometric.h"

namespace brisko {
namespace {

using testpictures::Numbered;
using testpictures::SamePixels;


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

TEST_F(Document, ScaleEntriesFollowTheirTagAndHalvingKeepsASideOfOne) {
  doc_.RunViewOperation(SpecOf(EditorCommand::Scale50));
  EXPECT_EQ(doc_.WorkingBitmap.Width(), 30);
  EXPECT_EQ(doc_.WorkingBitmap.Height(), 18);
  doc_.RunViewOperation(SpecOf(EditorCommand::Scale300));
  EXPECT_EQ(doc_.WorkingBitmap.Width(), 90);
  doc_.WorkingBitmap = Numbered(1, 5);
  doc_.RebuildView();
  doc_.RunViewOperation(SpecOf(EditorCommand::Scale50));
  EXPECT_EQ(doc_.WorkingBitmap.Width(), 1);
  EXPECT_EQ(doc_.WorkingBitmap.Height(), 2);
}

// ------------------------------------------------------------- dialogs

TEST_F(Document, ACancelledDialogStillWritesTheUnchangedPictureAsAState) {
  doc_.RunViewOperation(SpecOf(EditorCommand::FlipHorizontal));
  doc_.Zoom.Step(ZoomStep::StepIn);
  doc_.Zoom.Step(ZoomStep::StepIn);
  doc_.RebuildView();
  const Bitmap before = doc_.WorkingBitmap;
  const std::int32_t top = doc_.History.Top();
  const auto earlier = ReadFileBytes(PathFromUtf8(doc_.History.FileOf(doc_.BaseFile, top)));
  const auto base = ReadFileBytes(PathFromUtf8(doc_.BaseFile));

  bool shown = false;
  doc_.RunDialogCommand([&](const ImageView& view) {
    shown = true;
    EXPECT_TRUE(doc_.Zoom.IsActual()) << "the dialog sees the picture at 100 %";
    EXPECT_TRUE(SamePixels(view.Picture(), before));
    return DialogResult::Nothing();
  });
  EXPECT_TRUE(shown);
  EXPECT_TRUE(doc_.Zoom.IsActual());
  EXPECT_EQ(doc_.History.Top(), top + 1);
  EXPECT_EQ(doc_.History.Position(), top + 1);
  EXPECT_TRUE(SamePixels(doc_.WorkingBitmap, before));
  EXPECT_TRUE(SamePixels(doc_.ImageShow.Picture(), before));
  EXPECT_EQ(ReadFileBytes(PathFromUtf8(doc_.History.FileOf(doc_.BaseFile, top))), earlier);
  EXPECT_EQ(ReadFileBytes(PathFromUtf8(doc_.BaseFile)), base);
  EXPECT_TRUE(SamePixels(doc_.History.Undo(doc_.BaseFile), before));
}

TEST_F(Document, AnAcceptedDialogEditsTheViewAndWritesOneSnapshot) {
  const Bitmap before = doc_.WorkingBitmap;
  const int files = folder_.FileCount();
  CanvasSizeModel canvas(before.Width(), before.Height());
  canvas.SetAnchor(5);
  doc_.RunDialogCommand([&](const ImageView&) { return canvas.Accept("80", "50"); });
  ImageView expected;
  expected.SetPicture(before);
  ResizeCanvas(expected, 80, 50, 5);
  EXPECT_TRUE(SamePixels(doc_.WorkingBitmap, expected.Picture()));
  EXPECT_TRUE(SamePixels(doc_.ImageShow.Picture(), expected.Picture()));
  EXPECT_EQ(doc_.History.Top(), 1);
  EXPECT_EQ(folder_.FileCount(), files + 1);
  EXPECT_TRUE(SamePixels(doc_.History.Undo(doc_.BaseFile), before));
}

TEST_F(Document, ADialogEditThatThrowsChangesNothing) {
  const Bitmap before = doc_.WorkingBitmap;
  const int files = folder_.FileCount();
  const auto failing = [](auto error) {
    return [error](const ImageView&) {
      return DialogResult::Apply([error](ImageView& view) {
        view.SetPicture(Bitmap(3, 3, PixelFormat::Bgr24));
        throw error;
      });
    };
  };
  EXPECT_THROW(doc_.RunDialogCommand(failing(std::length_error("too large"))), std::length_error);
  EXPECT_THROW(doc_.RunDialogCommand(failing(std::bad_alloc())), std::bad_alloc);
  EXPECT_EQ(doc_.History.Top(), 0);
  EXPECT_EQ(folder_.FileCount(), files) << "no snapshot file";
  EXPECT_TRUE(SamePixels(doc_.WorkingBitmap, before));
  EXPECT_TRUE(SamePixels(doc_.ImageShow.Picture(), before));
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

const MenuRow* MenuItemOf(EditorCommand command) {
  for (const MenuRow& row : EditorMenuRows())
    if (row.command == command && (row.kind == MenuRow::Kind::Item || row.kind == MenuRow::Kind::CheckItem))
      return &row;
  return nullptr;
}

TEST(CommandTable, MenuItemsCarryTheirCaptionsAndShortcuts) {
  struct Expected {
    EditorCommand command;
    std::string_view caption;
    std::string_view shortcut;
  };
  using C = EditorCommand;
  const Expected items[] = {
      {C::Open, "Open", "Ctrl+O"},
      {C::SaveAs, "Save &As...", "Ctrl+S"},
      {C::Print, "&Print...", "Ctrl+P"},
      {C::Exit, "E&xit", "Ctrl+X"},
      {C::ZoomIn, "Zoom In", "Ctrl+I"},
      {C::ZoomOut, "Zoom Out", "Ctrl+U"},
      {C::ActualSize, "Actual Size", "Ctrl+R"},
      {C::Undo, "&Undo", "Ctrl+Z"},
      {C::Redo, "&Repeat...", "Ctrl+Y"},
      {C::Restore, "Restore", "Ctrl+L"},
      {C::Rgb, "RGB", "Ctrl+B"},
      {C::HelpContents, "&Contents", "Ctrl+H"},
      {C::Rotate90, "90\xC2\xB0 clockwise", ""},
      {C::Rotate180, "180\xC2\xB0 clockwise", ""},
      {C::Rotate270, "270\xC2\xB0 clockwise", ""},
      {C::RotateAnyAngle, "Any Angle", ""},
      {C::CanvasSize, "Canvas Size", ""},
      {C::CustomScale, "Custom Scale", ""},
      {C::Gamma, "Gamma", ""},
  };
  for (const Expected& e : items) {
    const MenuRow* row = MenuItemOf(e.command);
    ASSERT_NE(row, nullptr) << e.caption;
    EXPECT_EQ(row->caption, e.caption);
    EXPECT_EQ(row->shortcut, e.shortcut) << e.caption;
  }
  // No two items share a shortcut.
  std::vector<std::string_view> shortcuts;
  for (const MenuRow& row : EditorMenuRows())
    if (!row.shortcut.empty()) shortcuts.push_back(row.shortcut);
  std::sort(shortcuts.begin(), shortcuts.end());
  EXPECT_EQ(std::adjacent_find(shortcuts.begin(), shortcuts.end()), shortcuts.end());
}

TEST(CommandTable, ScaleEntriesShareCaptionsAndTagsInMenuAndPage) {
  struct Expected {
    EditorCommand command;
    std::string_view caption;
    int tag;
  };
  for (const Expected& e : {Expected{EditorCommand::Scale50, "50%", 5}, Expected{EditorCommand::Scale200, "200%", 2},
                            Expected{EditorCommand::Scale300, "300%", 3}}) {
    const MenuRow* row = MenuItemOf(e.command);
    ASSERT_NE(row, nullptr) << e.caption;
    EXPECT_EQ(row->caption, e.caption);
    const auto pages = EditorPageRows();
    const auto button =
        std::find_if(pages.begin(), pages.end(), [&](const PageButtonRow& r) { return r.command == e.command; });
    ASSERT_NE(button, pages.end()) << e.caption;
    EXPECT_EQ(button->caption, e.caption);
    EXPECT_EQ(button->page, 0);
    EXPECT_EQ(SpecOf(e.command).scaleTag, e.tag);
    EXPECT_EQ(SpecOf(e.command).operation, ViewOperation::ScaleByFactor);
  }
}

TEST(CommandTable, EachPageOffersItsButtonsInOrder) {
  const auto names = EditorPageNames();
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], "Image Edit");
  EXPECT_EQ(names[1], "Set Colors");
  using Button = std::pair<std::string_view, EditorCommand>;
  using C = EditorCommand;
  const std::vector<std::vector<Button>> expected = {
      {{"Canvas Size", C::CanvasSize},
       {"Custom Scale", C::CustomScale},
       {"50%", C::Scale50},
       {"200%", C::Scale200},
       {"300%", C::Scale300},
       {"Perspective", C::Perspective},
       {"Flip(Horizontal)", C::FlipHorizontal},
       {"Flip(Vertical)", C::FlipVertical},
       {"Rotate(Any angle)", C::RotateAnyAngle},
       {"90\xC2\xB0", C::Rotate90},
       {"180\xC2\xB0", C::Rotate180},
       {"270\xC2\xB0", C::Rotate270},
       {"Restore Image", C::Restore}},
      {{"RGB", C::Rgb},
       {"Colors", C::Colors},
       {"Invert", C::Invert},
       {"Exposal", C::Exposal},
       {"Brightness", C::Brightness},
       {"Contrast", C::Contrast},
       {"Gamma", C::Gamma},
       {"Hue", C::Hue},
       {"Saturation", C::Saturation}},
      {{"Hough", C::Hough},
       {"Gray", C::Gray},
       {"Smoothness", C::Smoothness},
       {"Sharpen", C::Sharpen},
       {"Twist", C::Twist},
       {"WaveWrap", C::WaveWrap},
       {"GaussianBlur", C::GaussianBlur}},
  };
  std::vector<std::vector<Button>> offered(3);
  int lastPage = 0, lastLine = -1;
  for (const PageButtonRow& row : EditorPageRows()) {
    ASSERT_GE(row.page, 0);
    ASSERT_LT(row.page, 3);
    EXPECT_GE(row.page, lastPage) << row.caption << ": pages follow one another";
    if (row.page != lastPage) lastLine = -1;
    EXPECT_GE(row.line, lastLine) << row.caption << ": lines run top to bottom";
    lastPage = row.page;
    lastLine = row.line;
    offered[static_cast<std::size_t>(row.page)].emplace_back(row.caption, row.command);
  }
  for (std::size_t page = 0; page < expected.size(); ++page) {
    ASSERT_EQ(offered[page].size(), expected[page].size()) << "page " << page;
    for (std::size_t i = 0; i < expected[page].size(); ++i) {
      EXPECT_EQ(offered[page][i].first, expected[page][i].first) << "page " << page << " button " << i;
      EXPECT_TRUE(offered[page][i].second == expected[page][i].second) << expected[page][i].first;
    }
  }
}

TEST(CommandTable, EveryKindNamesWhatItRuns) {
  for (const CommandSpec& spec : EditorCommandSpecs()) {
    const int id = static_cast<int>(spec.command);
    EXPECT_EQ(spec.kind == CommandKind::Dialog, spec.dialog != DialogKind::None) << id;
    EXPECT_EQ(spec.kind == CommandKind::ViewOperation, spec.operation != ViewOperation::None) << id;
    EXPECT_EQ(spec.kind == CommandKind::Window, spec.action != WindowAction::None) << id;
    EXPECT_EQ(spec.dialog == DialogKind::Colors, !spec.colorsKind.empty()) << id;
    if (spec.dialog == DialogKind::Colors) {
      EXPECT_NO_THROW(ColorsModel{spec.colorsKind}) << spec.colorsKind;
    }
  }
  EXPECT_EQ(SpecOf(EditorCommand::RotateAnyAngle).dialog, DialogKind::Rotate);
  EXPECT_EQ(SpecOf(EditorCommand::CanvasSize).dialog, DialogKind::CanvasSize);
  EXPECT_EQ(SpecOf(EditorCommand::CustomScale).dialog, DialogKind::Scale);
  EXPECT_EQ(SpecOf(EditorCommand::Rgb).dialog, DialogKind::Rgb);
}

}  // namespace
}  // namespace brisko
