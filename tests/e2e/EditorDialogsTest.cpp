// The editor's image commands as the real BriskoCapture.exe runs them: the
// menu entries, the tool pages' buttons and the adjustment dialogs, driven
// from outside. Every command that changes the picture writes the next
// numbered snapshot beside the base file in the program's temporary folder;
// each snapshot is read back and compared, pixel for pixel, with the same
// operation computed here on the snapshot before it.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "RemoteControls.h"
#include "core/Bmp.h"
#include "core/ImageView.h"
#include "core/Palettes.h"
#include "editor/EditorCommands.h"
#include "imageops/ColourAdjust.h"
#include "imageops/Filters.h"
#include "imageops/Geometric.h"

namespace brisko::e2e {
namespace {

namespace fs = std::filesystem;
using Operation = std::function<void(ImageView&)>;

// Every pixel differs from its neighbours in at least one channel, so a
// flip, a turn or a shift cannot come out equal by chance.
Bitmap NumberedPicture(int width, int height) {
  Bitmap picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      picture.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 5),
                                          static_cast<std::uint8_t>(40 + (x * 7 + y * 3) % 200)));
  return picture;
}

Bitmap Applied(const Bitmap& picture, const Operation& operation) {
  ImageView view;
  view.SetPicture(picture);
  operation(view);
  return view.Picture();
}

::testing::AssertionResult SamePixels(const Bitmap& written, const Bitmap& expected) {
  if (written.Width() != expected.Width() || written.Height() != expected.Height())
    return ::testing::AssertionFailure() << "size " << written.Width() << "x" << written.Height() << ", expected "
                                         << expected.Width() << "x" << expected.Height();
  int wrong = 0;
  std::string first;
  for (int y = 0; y < written.Height(); ++y)
    for (int x = 0; x < written.Width(); ++x)
      if (written.PixelAt(x, y) != expected.PixelAt(x, y) && wrong++ == 0)
        first = "first at " + std::to_string(x) + "," + std::to_string(y) + ": " +
                std::to_string(written.PixelAt(x, y)) + " instead of " + std::to_string(expected.PixelAt(x, y));
  if (wrong > 0) return ::testing::AssertionFailure() << wrong << " pixels differ, " << first;
  return ::testing::AssertionSuccess();
}

std::string At(POINT p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

// A dialog's edits, in the order they were made.
std::vector<HWND> Edits(HWND dialog) { return ChildrenOf(dialog, L"Edit"); }

class EditorCommands : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  void SetUp() override {
    program_ = std::make_unique<RunningProgram>(DeliveredConfig());
    HWND main = program_->MainWindow();
    ASSERT_NE(main, nullptr);
    original_ = NumberedPicture(kWidth, kHeight);
    const fs::path file = program_->Folder() / "numbered.bmp";
    WriteBmpFile(original_, file);

    ASSERT_NE(editor_ = OpenInEditor(*program_, file), nullptr);
    ASSERT_TRUE(WaitFor([&] { return Status() == L"W, H = 64X48"; }));
    // The snapshots live beside the base file, in the program's own
    // temporary folder, which starts empty.
    ASSERT_TRUE(fs::exists(BaseFile())) << BaseFile();
    ASSERT_EQ(SnapshotCount(), 0);
    current_ = ReadBmpFile(BaseFile());
    ASSERT_TRUE(SamePixels(current_, original_));
  }

  fs::path BaseFile() const { return program_->Temp() / "Temp" / "Brisko.bmp"; }
  fs::path Snapshot(int number) const {
    return program_->Temp() / "Temp" / ("Brisko.bmp" + std::to_string(number));
  }
  int SnapshotCount() const {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(program_->Temp() / "Temp")) {
      const std::string name = entry.path().filename().string();
      if (name.size() > 10 && name.rfind("Brisko.bmp", 0) == 0 &&
          name.find_first_not_of("0123456789", 10) == std::string::npos)
        ++count;
    }
    return count;
  }

  std::wstring Status() { return PanelText(program_->ProcessId(), FindChild(editor_, STATUSCLASSNAMEW), 0); }
  std::wstring SizeStatus(const Bitmap& picture) {
    return L"W, H = " + std::to_wstring(picture.Width()) + L"X" + std::to_wstring(picture.Height());
  }

  // Whether Undo is offered. Windows reads another program's menu, and so
  // the state of "&Undo" in "&Edit"; Wine 8 fails every call on another
  // process's menu (GetMenuItemCount gives -1), so there the tool bar's
  // Undo button, which the same command state enables, answers.
  bool UndoEnabled() {
    HMENU bar = GetMenu(editor_);
    if (GetMenuItemCount(bar) > 0) {
      HMENU edit = GetSubMenu(bar, 2);
      const UINT state = GetMenuState(edit, 0, MF_BYPOSITION);
      wchar_t text[32] = {};
      GetMenuStringW(edit, 0, text, 32, MF_BYPOSITION);
      EXPECT_EQ(std::wstring(text).substr(0, 5), L"&Undo");
      return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
    }
    HWND tools = FindChild(editor_, TOOLBARCLASSNAMEW);
    if (const auto undo = FindToolButton(program_->ProcessId(), tools, L"Undo"))
      return SendMessageW(tools, TB_ISBUTTONENABLED, static_cast<WPARAM>(undo->command), 0) != 0;
    ADD_FAILURE() << "no Undo button";
    return false;
  }

  // Shows a tool page by a click on its tab.
  void ShowPage(int page) {
    HWND tabs = FindChild(editor_, WC_TABCONTROLW);
    ASSERT_NE(tabs, nullptr);
    RECT item = RemoteRect(program_->ProcessId(), tabs, TCM_GETITEMRECT, static_cast<WPARAM>(page));
    ASSERT_GT(item.right, item.left);
    ClickAt(CentreOf(item));
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == page; }));
  }

  // Clicks a tool page's button; its page must be showing.
  void ClickPageButton(const std::wstring& caption) {
    HWND button = ChildWithText(editor_, L"Button", caption);
    ASSERT_NE(button, nullptr) << caption;
    ASSERT_TRUE(IsWindowVisible(button)) << caption;
    ClickWindow(button);
  }

  HWND WaitForDialog(const wchar_t* className) {
    HWND found = nullptr;
    WaitFor([&] {
      for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, nullptr)) != nullptr;) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == program_->ProcessId() && IsWindowVisible(w)) found = w;
      }
      return found != nullptr;
    }, 10000);
    return found;
  }

  HWND WarningBox() {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", L"Warning")) != nullptr;) {
      DWORD process = 0;
      GetWindowThreadProcessId(w, &process);
      if (process == program_->ProcessId() && IsWindowVisible(w)) return w;
    }
    return nullptr;
  }

  // Presses a dialog's button with a real click and waits for the dialog
  // to go.
  ::testing::AssertionResult Press(HWND dialog, const wchar_t* caption) {
    HWND button = FindWindowExW(dialog, nullptr, L"Button", caption);
    if (!button) return ::testing::AssertionFailure() << "no button " << std::wstring(caption);
    ClickWindow(button);
    if (!WaitFor([&] { return !IsWindow(dialog); }, 10000))
      return ::testing::AssertionFailure() << std::wstring(caption) << " left the dialog open";
    return ::testing::AssertionSuccess();
  }

  // Presses a key in the window, which must take it, and waits for the
  // window to go.
  ::testing::AssertionResult PressKey(HWND window, WORD key) {
    if (!BringToFront(window)) return ::testing::AssertionFailure() << "the window did not come to the front";
    SendKeys({}, key);
    if (!WaitFor([&] { return !IsWindow(window); }, 10000))
      return ::testing::AssertionFailure() << "the key left the window open";
    return ::testing::AssertionSuccess();
  }

  // Drags a track bar's thumb sideways with the mouse and lets it go.
  void DragThumb(HWND track, int pixels) {
    const POINT from = CentreOf(RemoteRect(program_->ProcessId(), track, TBM_GETTHUMBRECT, 0));
    const POINT to{from.x + pixels, from.y};
    const POINT half{from.x + pixels / 2, from.y};
    Xdotool("mousemove " + At(from) + " mousedown 1 mousemove " + At(half) + " mousemove " + At(to) + " mouseup 1");
  }

  // Presses OK while the dialog holds an entry it refuses: a warning says
  // why, Enter dismisses it, the dialog stays and nothing is written.
  ::testing::AssertionResult RefusedWithWarning(HWND dialog, const std::wstring& message) {
    ClickWindow(FindWindowExW(dialog, nullptr, L"Button", L"&Ok"));
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = WarningBox()) != nullptr; }))
      return ::testing::AssertionFailure() << "no warning";
    const std::wstring text = TextOf(FindChild(box, L"Static", 0xFFFF));
    const bool says = text.rfind(message, 0) == 0;
    if (auto gone = PressKey(box, VK_RETURN); !gone) return gone;
    if (!says) return ::testing::AssertionFailure() << "the warning says " << text;
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return ::testing::AssertionFailure() << "the dialog closed";
    if (SnapshotCount() != written_) return ::testing::AssertionFailure() << "a refused OK wrote a snapshot";
    return ::testing::AssertionSuccess();
  }

  // The command just run wrote exactly the next snapshot, holding
  // `expected`; it becomes the picture the next command starts from.
  ::testing::AssertionResult NextSnapshotIs(const Bitmap& expected) {
    const int next = written_ + 1;
    if (!WaitFor([&] { return fs::exists(Snapshot(next)); }, 10000))
      return ::testing::AssertionFailure() << "no snapshot " << next
                                           << (program_->HasMessageBox() ? " (a message box shows)" : "");
    written_ = next;
    if (const int count = SnapshotCount(); count != next)
      return ::testing::AssertionFailure() << count << " snapshots after command " << next;
    const Bitmap snapshot = ReadBmpFile(Snapshot(next));
    if (auto same = SamePixels(snapshot, expected); !same) return same;
    current_ = snapshot;
    if (program_->WaitForExit(0)) return ::testing::AssertionFailure() << "the program ended";
    return ::testing::AssertionSuccess();
  }

  ::testing::AssertionResult NextSnapshotIs(const Operation& operation) {
    return NextSnapshotIs(Applied(current_, operation));
  }

  std::unique_ptr<RunningProgram> program_;
  HWND editor_ = nullptr;
  Bitmap original_;
  // The picture as the newest snapshot holds it.
  Bitmap current_;
  int written_ = 0;
};

struct MenuStep {
  std::vector<std::string> path;
  Operation operation;
};

struct PageStep {
  int page;
  std::wstring caption;
  Operation operation;
};

void Smooth(ImageView& view) { ScaleImage(view, view.Width(), view.Height(), true); }
void Halve(ImageView& view) { ScaleImage(view, view.Width() / 2, view.Height() / 2, true); }
void Double(ImageView& view) { ScaleImage(view, view.Width() * 2, view.Height() * 2, true); }
void Triple(ImageView& view) { ScaleImage(view, view.Width() * 3, view.Height() * 3, true); }
void Hough(ImageView& view) { EdgeDetect(view, 1); }
void Twisted(ImageView& view) { Twist(view); }
void Waved(ImageView& view) { WaveWarp(view); }

TEST_F(EditorCommands, EachMenuEntryAndPageButtonRunsItsOperationAndWritesOneSnapshot) {
  EXPECT_FALSE(UndoEnabled()) << "a picture just opened has nothing to undo";
  const MenuStep menu[] = {
      {{"&Edit", "Flip", "Horizontal"}, [](ImageView& v) { FlipHorizontal(v); }},
      {{"&Edit", "Flip", "Vertical"}, [](ImageView& v) { FlipVertical(v); }},
      {{"&Edit", "Rotate", "90\xC2\xB0 clockwise"}, [](ImageView& v) { Rotate90(v); }},
      {{"&Edit", "Rotate", "180\xC2\xB0 clockwise"}, [](ImageView& v) { Rotate180(v); }},
      {{"&Edit", "Rotate", "270\xC2\xB0 clockwise"}, [](ImageView& v) { Rotate270(v); }},
      {{"&Edit", "Perspective"}, [](ImageView& v) { PerspectiveShear(v); }},
      {{"&Edit", "Scale", "200%"}, Double},
      {{"&Edit", "Scale", "50%"}, Halve},
      {{"&Edit", "Scale", "300%"}, Triple},
  };
  const MenuStep colours[] = {
      {{"Color", "Invert"}, [](ImageView& v) { InvertColors(v); }},
      {{"Color", "Exposal"}, [](ImageView& v) { Exposal(v); }},
      {{"Effects", "Hough"}, Hough},
      {{"Effects", "Gray"}, [](ImageView& v) { GrayScale(v); }},
      {{"Effects", "Smoothness"}, Smooth},
      {{"Effects", "Sharpen"}, [](ImageView& v) { Sharpen(v); }},
      {{"Effects", "Twist"}, Twisted},
      {{"Effects", "WaveWrap"}, Waved},
      {{"Effects", "GaussianBlur"}, [](ImageView& v) { GaussianBlur(v); }},
  };
  auto run = [&](const MenuStep& step) {
    SCOPED_TRACE(step.path.back());
    ASSERT_TRUE(ChooseFromEditorMenu(editor_, step.path));
    ASSERT_TRUE(NextSnapshotIs(step.operation));
    EXPECT_TRUE(WaitFor([&] { return Status() == SizeStatus(current_); })) << Status();
  };
  for (const MenuStep& step : menu) ASSERT_NO_FATAL_FAILURE(run(step));

  // Undo shows the state before the last command and Repeat the one after
  // it, reading the snapshots and writing none.
  EXPECT_TRUE(UndoEnabled());
  ASSERT_TRUE(ChooseFromEditorMenu(editor_, {"&Edit", "&Undo"}));
  EXPECT_TRUE(WaitFor([&] { return Status() == L"W, H = 64X48"; })) << Status();
  ASSERT_TRUE(ChooseFromEditorMenu(editor_, {"&Edit", "&Repeat..."}));
  EXPECT_TRUE(WaitFor([&] { return Status() == SizeStatus(current_); })) << Status();
  EXPECT_EQ(SnapshotCount(), written_);
  // The next command works on the repeated state.
  for (const MenuStep& step : colours) ASSERT_NO_FATAL_FAILURE(run(step));

  // The page buttons, by real clicks on the page's tab and the button.
  // Restore Image brings back the opened picture without a snapshot, so
  // the larger sizes of the scale buttons do not reach the filters.
  const PageStep pages[] = {
      {0, L"50%", Halve},
      {0, L"200%", Double},
      {0, L"300%", Triple},
      {0, L"Perspective", [](ImageView& v) { PerspectiveShear(v); }},
      {0, L"Flip(Horizontal)", [](ImageView& v) { FlipHorizontal(v); }},
      {0, L"Flip(Vertical)", [](ImageView& v) { FlipVertical(v); }},
      {0, L"90\u00B0", [](ImageView& v) { Rotate90(v); }},
      {0, L"180\u00B0", [](ImageView& v) { Rotate180(v); }},
      {0, L"270\u00B0", [](ImageView& v) { Rotate270(v); }},
      {0, L"Restore Image", nullptr},
      {1, L"Invert", [](ImageView& v) { InvertColors(v); }},
      {1, L"Exposal", [](ImageView& v) { Exposal(v); }},
      {2, L"Hough", Hough},
      {2, L"Gray", [](ImageView& v) { GrayScale(v); }},
      {2, L"Smoothness", Smooth},
      {2, L"Sharpen", [](ImageView& v) { Sharpen(v); }},
      {2, L"Twist", Twisted},
      {2, L"WaveWrap", Waved},
      {2, L"GaussianBlur", [](ImageView& v) { GaussianBlur(v); }},
  };
  int shown = -1;
  for (const PageStep& step : pages) {
    SCOPED_TRACE(step.caption);
    if (step.page != shown) {
      ASSERT_NO_FATAL_FAILURE(ShowPage(step.page));
      shown = step.page;
    }
    ASSERT_NO_FATAL_FAILURE(ClickPageButton(step.caption));
    if (step.operation) {
      ASSERT_TRUE(NextSnapshotIs(step.operation));
    } else {
      // Back to the opened picture; the history stays as it is.
      ASSERT_TRUE(WaitFor([&] { return Status() == L"W, H = 64X48"; })) << Status();
      EXPECT_EQ(SnapshotCount(), written_);
      EXPECT_TRUE(UndoEnabled());
      current_ = original_;
    }
    EXPECT_TRUE(WaitFor([&] { return Status() == SizeStatus(current_); })) << Status();
  }
  EXPECT_FALSE(program_->HasMessageBox());
}

struct CancelStep {
  std::vector<std::string> path;
  const wchar_t* className;
  std::wstring caption;
  std::function<void(HWND)> change;
  bool escape;  // Esc, else a click on "&Cancel"
};

void TypeValue(HWND dialog, const wchar_t* text) { SetText(Edits(dialog).at(0), text); }

TEST_F(EditorCommands, EachDialogsOkDoesItsOperationAndCancelWritesThePictureUnchanged) {
  // Cancel: each dialog from its menu entry, a value entered, then Esc or
  // the Cancel button. The frame still writes the picture as a new state,
  // unchanged, and there is something to undo.
  EXPECT_FALSE(UndoEnabled());
  const CancelStep cancelled[] = {
      {{"&Edit", "Canvas Size"}, L"TFrmCanvasSize", L"Change Canvas Size", [](HWND d) { TypeValue(d, L"10"); }, true},
      {{"&Edit", "Scale", "Custom Scale"}, L"TFrmSales", L"Scale", [](HWND d) { TypeValue(d, L"200"); }, false},
      {{"&Edit", "Rotate", "Any Angle"}, L"TFrmRotate", L"Rotate", [](HWND d) { TypeValue(d, L"30"); }, true},
      {{"Color", "RGB"}, L"TFrmRGB", L"RGB Color", [](HWND d) { TypeValue(d, L"50"); }, false},
      {{"Color", "Colors"}, L"TFrmColors", L"Set Colors",
       [](HWND d) { ChooseEntry(ChildrenOf(d, L"ComboBox").at(0), 5); }, true},
      {{"Color", "Brightness"}, L"TFrmColors", L"Set Bright", [](HWND d) { TypeValue(d, L"40"); }, false},
      {{"Color", "Contrast"}, L"TFrmColors", L"Set Contrast", [](HWND d) { TypeValue(d, L"50"); }, true},
      {{"Color", "Gamma"}, L"TFrmColors", L"Set Gamma", [](HWND d) { TypeValue(d, L"2.00"); }, false},
      {{"Color", "Hue"}, L"TFrmColors", L"Set Hue", [](HWND d) { ChooseEntry(ChildrenOf(d, L"ComboBox").at(0), 9); },
       true},
      {{"Color", "Saturation"}, L"TFrmColors", L"Set Saturation", [](HWND d) { TypeValue(d, L"100"); }, false},
  };
  for (const CancelStep& step : cancelled) {
    SCOPED_TRACE(step.caption);
    ASSERT_TRUE(ChooseFromEditorMenu(editor_, step.path));
    HWND dialog = WaitForDialog(step.className);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog), step.caption);
    step.change(dialog);
    ASSERT_TRUE(step.escape ? PressKey(dialog, VK_ESCAPE) : Press(dialog, L"&Cancel"));
    ASSERT_TRUE(NextSnapshotIs(current_));
    EXPECT_TRUE(UndoEnabled());
  }

  // OK: each dialog from its page button, with entries typed, chosen and
  // dragged, then OK clicked or Enter.
  ASSERT_NO_FATAL_FAILURE(ShowPage(0));
  {
    SCOPED_TRACE("Canvas Size");
    ASSERT_NO_FATAL_FAILURE(ClickPageButton(L"Canvas Size"));
    HWND dialog = WaitForDialog(L"TFrmCanvasSize");
    ASSERT_NE(dialog, nullptr);
    const std::vector<HWND> edits = Edits(dialog);
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(TextOf(edits[0]), L"64");
    EXPECT_EQ(TextOf(edits[1]), L"48");
    SetText(edits[0], L"80");
    SetText(edits[1], L"60");
    // The placement tiles are the owner-drawn buttons, row by row; the
    // fifth is the middle.
    std::vector<HWND> tiles;
    for (HWND b : ChildrenOf(dialog, L"Button"))
      if ((GetWindowLongPtrW(b, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) tiles.push_back(b);
    ASSERT_EQ(tiles.size(), 9u);
    ClickWindow(tiles[4]);
    ASSERT_TRUE(Press(dialog, L"&Ok"));
    ASSERT_TRUE(NextSnapshotIs([](ImageView& v) { ResizeCanvas(v, 80, 60, 5); }));
    EXPECT_TRUE(WaitFor([&] { return Status() == L"W, H = 80X60"; })) << Status();
  }
  {
    SCOPED_TRACE("Custom Scale");
    ASSERT_NO_FATAL_FAILURE(ClickPageButton(L"Custom Scale"));
    HWND dialog = WaitForDialog(L"TFrmSales");
    ASSERT_NE(dialog, nullptr);
    const std::vector<HWND> edits = Edits(dialog);
    ASSERT_EQ(edits.size(), 2u);
    SetText(edits[0], L"120");
    EXPECT_EQ(TextOf(edits[1]), L"90") << "the height keeps the aspect";
    ASSERT_TRUE(PressKey(dialog, VK_RETURN));
    ASSERT_TRUE(NextSnapshotIs([](ImageView& v) { ScaleImage(v, 120, 90, true); }));
    EXPECT_TRUE(WaitFor([&] { return Status() == L"W, H = 120X90"; })) << Status();
  }
  {
    SCOPED_TRACE("Rotate");
    ASSERT_NO_FATAL_FAILURE(ClickPageButton(L"Rotate(Any angle)"));
    HWND dialog = WaitForDialog(L"TFrmRotate");
    ASSERT_NE(dialog, nullptr);
    HWND angle = Edits(dialog).at(0);
    EXPECT_EQ(TextOf(angle), L"0.00");
    DragThumb(FindChild(dialog, TRACKBAR_CLASSW), 8);
    // Let go, the track bar writes its angle in whole degrees.
    ASSERT_TRUE(WaitFor([&] { return TextOf(angle) != L"0.00"; })) << "the drag wrote no angle";
    const int degrees = std::stoi(TextOf(angle));
    EXPECT_GT(degrees, 0);
    ASSERT_TRUE(Press(dialog, L"&Ok"));
    ASSERT_TRUE(NextSnapshotIs([degrees](ImageView& v) {
      Bitmap turned;
      RotateAngle(v.Picture(), turned, kWhite, degrees);
      v.SetPicture(std::move(turned));
    }));
    EXPECT_TRUE(WaitFor([&] { return Status() == SizeStatus(current_); })) << Status();
  }
  ASSERT_NO_FATAL_FAILURE(ShowPage(1));
  {
    SCOPED_TRACE("RGB");
    ASSERT_NO_FATAL_FAILURE(ClickPageButton(L"RGB"));
    HWND dialog = WaitForDialog(L"TFrmRGB");
    ASSERT_NE(dialog, nullptr);
    const std::vector<HWND> edits = Edits(dialog);
    const std::vector<HWND> tracks = ChildrenOf(dialog, TRACKBAR_CLASSW);
    ASSERT_EQ(edits.size(), 3u);
    ASSERT_EQ(tracks.size(), 3u);
    DragThumb(tracks[0], -10);
    ASSERT_TRUE(WaitFor([&] { return TextOf(edits[0]) != L"0"; })) << "the drag wrote no red";
    const int red = std::stoi(TextOf(edits[0]));
    EXPECT_LT(red, 0);
    SetText(edits[1], L"-30");
    SetText(edits[2], L"25");
    EXPECT_EQ(SendMessageW(tracks[1], TBM_GETPOS, 0, 0), -30) << "the track follows the edit";
    ASSERT_TRUE(PressKey(dialog, VK_RETURN));
    ASSERT_TRUE(NextSnapshotIs([red](ImageView& v) {
      AdjustRGB(v, 1, red);
      AdjustRGB(v, 2, -30);
      AdjustRGB(v, 3, 25);
    }));
  }
  struct ColourStep {
    std::wstring button;
    std::wstring caption;
    std::function<void(HWND)> change;
    bool enter;  // Enter, else a click on "&Ok"
    Operation operation;
  };
  const ColourStep colourSteps[] = {
      {L"Brightness", L"Set Bright", [](HWND d) { TypeValue(d, L"40"); }, false,
       [](ImageView& v) { AdjustBrightness(v, 40); }},
      {L"Contrast", L"Set Contrast", [](HWND d) { TypeValue(d, L"50"); }, true,
       [](ImageView& v) { AdjustContrast(v, 50); }},
      {L"Gamma", L"Set Gamma", [](HWND d) { TypeValue(d, L"1.50"); }, false, [](ImageView& v) { AdjustGamma(v, 1.5); }},
      {L"Hue", L"Set Hue", [](HWND d) { ChooseEntry(ChildrenOf(d, L"ComboBox").at(0), 9); }, true,
       [](ImageView& v) { AdjustHue(v, StandardPalette16()[9]); }},
      {L"Saturation", L"Set Saturation", [](HWND d) { TypeValue(d, L"100"); }, false,
       [](ImageView& v) { AdjustSaturation(v, 100); }},
      // Fewer colours last: the picture is indexed from then on.
      {L"Colors", L"Set Colors", [](HWND d) { ChooseEntry(ChildrenOf(d, L"ComboBox").at(0), 3); }, true,
       [](ImageView& v) { ReduceColors(v, 3); }},
  };
  for (const ColourStep& step : colourSteps) {
    SCOPED_TRACE(step.caption);
    ASSERT_NO_FATAL_FAILURE(ClickPageButton(step.button));
    HWND dialog = WaitForDialog(L"TFrmColors");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog), step.caption);
    step.change(dialog);
    ASSERT_TRUE(step.enter ? PressKey(dialog, VK_RETURN) : Press(dialog, L"&Ok"));
    ASSERT_TRUE(NextSnapshotIs(step.operation));
  }
  EXPECT_FALSE(program_->HasMessageBox());
}

TEST_F(EditorCommands, RefusedEntriesWarnAndKeepTheDialogOpenWithoutASnapshot) {
  ASSERT_NO_FATAL_FAILURE(ShowPage(0));
  ASSERT_NO_FATAL_FAILURE(ClickPageButton(L"Canvas Size"));
  HWND canvas = WaitForDialog(L"TFrmCanvasSize");
  ASSERT_NE(canvas, nullptr);
  for (const wchar_t* width : {L"0", L"100000", L""}) {
    SCOPED_TRACE(width);
    TypeValue(canvas, width);
    ASSERT_TRUE(RefusedWithWarning(canvas, L"New width must be a whole number from 1 to 99999."));
  }
  ASSERT_TRUE(Press(canvas, L"&Cancel"));
  ASSERT_TRUE(NextSnapshotIs(current_)) << "only the cancel writes";

  ASSERT_NO_FATAL_FAILURE(ClickPageButton(L"Custom Scale"));
  HWND scale = WaitForDialog(L"TFrmSales");
  ASSERT_NE(scale, nullptr);
  ChooseEntry(ChildrenOf(scale, L"ComboBox").at(0), 1);
  EXPECT_EQ(TextOf(Edits(scale).at(0)), L"100") << "the width in percent";
  TypeValue(scale, L"100000");
  ASSERT_TRUE(RefusedWithWarning(scale, L"A picture of 64000 x 48000 pixels is larger than the editor can hold"));
  ASSERT_TRUE(PressKey(scale, VK_ESCAPE));
  ASSERT_TRUE(NextSnapshotIs(current_)) << "only the cancel writes";
  EXPECT_FALSE(program_->WaitForExit(0));
}

}  // namespace
}  // namespace brisko::e2e
