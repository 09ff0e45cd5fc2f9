// Captures from the Capture button to their output, with real X input on
// the frozen screen.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ProgramDriver.h"
#include "TestWindow.h"
#include "codecs/Codecs.h"
#include "widgets/Clipboard.h"

namespace brisko::e2e {
namespace {

using test::PatternAt;
using test::PatternWindow;

class Capture : public ::testing::Test {
 protected:
  void Start(const std::string& config) {
    program_ = std::make_unique<RunningProgram>(config);
    main_ = program_->MainWindow();
    ASSERT_NE(main_, nullptr);
  }
  void PressCapture() {
    PostMessageW(program_->Child(L"&Capture", L"Button"), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsVisible(main_); }, 3000)) << "the main window steps aside";
  }
  bool WaitForOverlay() {
    return WaitFor([&] { return program_->TopLevel(L"SelectCapture") != nullptr; }, 5000);
  }
  bool WaitForMainWindow(int milliseconds = 8000) {
    return WaitFor([&] { return IsVisible(main_); }, milliseconds);
  }
  // A drag with the left button from one point to another, by way of a
  // third, on the frozen screen.
  void Drag(const char* from, const char* via, const char* to) {
    Xdotool(std::string("mousemove ") + from);
    Xdotool("mousedown 1");
    Xdotool(std::string("mousemove ") + via);
    Xdotool(std::string("mousemove ") + to);
    Xdotool("mouseup 1");
  }
  // Confirms the save dialog of file output with the name it proposes.
  void AcceptSaveDialog() {
    HWND save = nullptr;
    ASSERT_TRUE(WaitFor([&] {
      save = FindWindowW(L"#32770", nullptr);
      return save != nullptr && IsWindowVisible(save);
    }, 8000)) << "the save dialog opens";
    Sleep(500);
    PostMessageW(save, WM_COMMAND, IDOK, 0);
  }
  std::unique_ptr<RunningProgram> program_;
  HWND main_ = nullptr;
};

TEST_F(Capture, ARectangleToTheClipboardHoldsExactlyThePixelsUnderIt) {
  Start(ConfigWithApp({{"OutputTo", "1"}}));
  PatternWindow window(300, 200, 240, 180);
  PressCapture();
  ASSERT_TRUE(WaitForOverlay());
  Drag("330 230", "400 280", "430 290");
  ASSERT_TRUE(WaitForMainWindow()) << "clipboard output brings the main window back";
  const auto picture = win::ClipboardBitmap(nullptr);
  ASSERT_TRUE(picture.has_value());
  ASSERT_EQ(picture->Width(), 100);
  ASSERT_EQ(picture->Height(), 60);
  int wrong = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x)
      if (picture->PixelAt(x, y) != PatternAt(x + 30, y + 30)) ++wrong;
  EXPECT_EQ(wrong, 0);
}

TEST_F(Capture, AnEllipseToAFileWithADateTimeNameIsAPngWithBackgroundCorners) {
  const std::filesystem::path folder = TempFolder() / "brisko-e2e-files";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  Start(ConfigWithApp({{"OutputTo", "2"}, {"BackgroundColor", "clRed"}, {"TyleIndex", "3"}, {"NameIndex", "1"},
                       {"NameOutput", folder.string()}, {"ShowOption", "0"}}));
  SendMessageW(program_->Child(L"Elliptic"), BM_CLICK, 0, 0);
  PatternWindow window(300, 200, 240, 180);
  PressCapture();
  ASSERT_TRUE(WaitForOverlay());
  Drag("320 220", "400 300", "420 300");
  // The save dialog proposes the date and time in the configured folder.
  AcceptSaveDialog();
  ASSERT_TRUE(WaitForMainWindow(15000));
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  const std::string name = files[0].filename().string();
  ASSERT_EQ(name.size(), 18u) << name;
  EXPECT_EQ(name.substr(14), ".PNG");
  EXPECT_EQ(name.find_first_not_of("0123456789"), 14u) << "fourteen digits of date and time";
  const Bitmap png = ReadImageFile(files[0]);
  ASSERT_EQ(png.Width(), 100);
  ASSERT_EQ(png.Height(), 80);
  for (auto [x, y] : {std::pair{0, 0}, {99, 0}, {0, 79}, {99, 79}})
    EXPECT_EQ(png.PixelAt(x, y), MakeColour(255, 0, 0)) << "corner " << x << "," << y;
  EXPECT_EQ(png.PixelAt(50, 40), PatternAt(70, 60)) << "the middle is the picture";
  std::filesystem::remove_all(folder);
}

// A capture tool never puts a window of its own into the user's picture:
// at rest only the main window shows, and a rectangle over the top left
// corner, where the magnifier lives, holds nothing but the desktop beneath,
// also after the magnifier and the colour picker have been used.
TEST_F(Capture, AtRestOnlyTheMainWindowShowsAndNoPictureHoldsAWindowOfOurs) {
  const std::filesystem::path folder = TempFolder() / "brisko-e2e-own-windows";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  // A desktop of one colour below every other window. Wine's own tray
  // window takes the top 45 pixels of the corner: the rectangle keeps
  // below them.
  const Colour desktop = MakeColour(40, 90, 160);
  PatternWindow backdrop(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), WS_POPUP, desktop, 0);
  SetWindowPos(backdrop.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Start(ConfigWithApp({{"OutputTo", "2"}, {"TyleIndex", "3"}, {"NameIndex", "1"}, {"NameOutput", folder.string()},
                       {"ShowOption", "0"}, {"CursorFlag", "0"}}));
  // The colour picker is the last of the long-lived windows the start
  // makes: once it exists, the start has shown all it will show. After a
  // capture, windows may take a moment to go.
  ASSERT_TRUE(WaitFor([&] { return FindWindowW(L"TFrmPickColor", nullptr) != nullptr; }));
  auto visibleClasses = [&] {
    std::string classes;
    for (HWND w : program_->VisibleTopLevels()) {
      wchar_t name[64] = {};
      GetClassNameW(w, name, 64);
      classes += " " + std::string(name, name + lstrlenW(name));
    }
    return classes;
  };
  auto onlyTheMainWindow = [&]() -> ::testing::AssertionResult {
    if (WaitFor([&] {
          const std::vector<HWND> visible = program_->VisibleTopLevels();
          return visible.size() == 1 && visible[0] == main_;
        }, 3000))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "visible:" << visibleClasses();
  };
  ASSERT_TRUE(onlyTheMainWindow()) << "at rest";

  auto captureTheCorner = [&](const char* when) {
    PressCapture();
    ASSERT_TRUE(WaitForOverlay()) << when;
    Drag("20 60", "100 200", "160 320");
    AcceptSaveDialog();
    ASSERT_TRUE(WaitForMainWindow(15000)) << when;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u) << when;
    const Bitmap picture = ReadImageFile(files[0]);
    std::filesystem::remove(files[0]);
    ASSERT_EQ(picture.Width(), 140) << when;
    ASSERT_EQ(picture.Height(), 260) << when;
    int foreign = 0;
    for (std::int32_t y = 0; y < picture.Height(); ++y)
      for (std::int32_t x = 0; x < picture.Width(); ++x) foreign += picture.PixelAt(x, y) != desktop;
    EXPECT_EQ(foreign, 0) << when << ": pixels that are not the desktop's";
    EXPECT_TRUE(onlyTheMainWindow()) << when << ": only the main window shows afterwards";
  };
  captureTheCorner("first capture");

  // The magnifier shows while a region is chosen, and goes with the overlay.
  PressCapture();
  ASSERT_TRUE(WaitForOverlay());
  Xdotool("mousemove 300 300");
  Xdotool("mousemove 310 310");
  Xdotool("key Escape");
  ASSERT_TRUE(WaitForMainWindow());
  EXPECT_TRUE(onlyTheMainWindow()) << "after the magnifier";

  // The colour picker shows the picked colour and hides when closed.
  SelectProfile(*program_, 5);
  PressCapture();
  ASSERT_TRUE(WaitForOverlay());
  Xdotool("mousemove 250 250");
  Xdotool("mousemove 260 260");
  Xdotool("click 1");
  HWND picker = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (picker = program_->TopLevel(L"Color Picker")) != nullptr; }));
  PostMessageW(picker, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitForMainWindow());
  EXPECT_TRUE(onlyTheMainWindow()) << "after the colour picker";

  SelectProfile(*program_, 0);
  captureTheCorner("after the magnifier and the colour picker");
  std::filesystem::remove_all(folder);
}

TEST_F(Capture, EscAndAPlainRightPressCancelButARightPressWithShiftDoesNot) {
  Start(DeliveredConfig());
  PressCapture();
  ASSERT_TRUE(WaitForOverlay());
  Xdotool("mousemove 500 500");
  Xdotool("key Escape");
  ASSERT_TRUE(WaitForMainWindow()) << "Esc cancels";

  PressCapture();
  ASSERT_TRUE(WaitForOverlay());
  Xdotool("mousemove 500 500");
  Xdotool("keydown shift click 3 keyup shift");
  Sleep(500);
  EXPECT_FALSE(IsVisible(main_)) << "with Shift the right press is a selection press";
  Xdotool("click 3");
  EXPECT_TRUE(WaitForMainWindow()) << "a plain right press cancels";
}

TEST_F(Capture, AnEmptySelectionBringsTheMainWindowBackWithoutOutput) {
  Start(ConfigWithApp({{"OutputTo", "1"}}));
  win::SetClipboardText(nullptr, "left alone");
  PressCapture();
  ASSERT_TRUE(WaitForOverlay());
  Xdotool("mousemove 300 300");
  Xdotool("click 1");
  Xdotool("mousemove 300 380");
  Xdotool("click 1");
  ASSERT_TRUE(WaitForMainWindow());
  EXPECT_FALSE(win::ClipboardBitmap(nullptr).has_value());
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT)) << "the clipboard keeps what it had";
}

TEST_F(Capture, TheColourPickerShowsThePickedPixelInFourNotations) {
  Start(DeliveredConfig());
  SelectProfile(*program_, 5);
  // One colour all over, so the exact pixel under the pointer does not matter.
  PatternWindow window(300, 200, 200, 150, WS_POPUP, MakeColour(171, 1, 0));
  PressCapture();
  ASSERT_TRUE(WaitForOverlay());
  Xdotool("mousemove 380 260");
  Xdotool("mousemove 390 270");
  Xdotool("click 1");
  HWND picker = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (picker = program_->TopLevel(L"Color Picker")) != nullptr; }));
  std::vector<std::wstring> texts;
  for (HWND w = GetWindow(picker, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    if (lstrcmpiW(name, L"Edit") == 0) texts.push_back(TextOf(w));
  }
  // Three spin boxes, then the four notations.
  ASSERT_GE(texts.size(), 7u);
  EXPECT_EQ(texts[0], L"171");
  EXPECT_EQ(texts[1], L"1");
  EXPECT_EQ(texts[2], L"0");
  EXPECT_EQ(texts[3], L"427");
  EXPECT_EQ(texts[4], L"1AB");
  EXPECT_EQ(texts[5], L"$1AB");
  EXPECT_EQ(texts[6], L"#AB0100");
  PostMessageW(picker, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForMainWindow()) << "closing the picker brings the main window back";
}

TEST_F(Capture, AFullScreenCaptureToTheImageViewOpensTheEditorWithTheScreensSize) {
  Start(DeliveredConfig());
  SelectProfile(*program_, 3);
  PressCapture();
  HWND editor = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (editor = program_->TopLevel(L"Brisko Capture Preview")) != nullptr; }, 8000));
  HWND status = FindChild(editor, STATUSCLASSNAMEW);
  ASSERT_NE(status, nullptr);
  const std::wstring expected = L"W, H = " + std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"X" +
                                std::to_wstring(GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(WaitFor([&] { return PanelText(program_->ProcessId(), status, 0) == expected; }))
      << "status: " << std::string(PanelText(program_->ProcessId(), status, 0).size(), '?');
  EXPECT_FALSE(IsVisible(main_)) << "the main window stays hidden while the editor is open";
  PostMessageW(editor, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForMainWindow()) << "closing the editor brings it back";
}

TEST_F(Capture, TheFullScreenAndTheForegroundWindowNeverShowTheOverlay) {
  Start(ConfigWithApp({{"OutputTo", "1"}}));
  SelectProfile(*program_, 3);
  PressCapture();
  bool overlaySeen = false;
  ASSERT_TRUE(WaitFor([&] {
    overlaySeen = overlaySeen || program_->TopLevel(L"SelectCapture") != nullptr;
    return IsVisible(main_);
  }, 8000));
  EXPECT_FALSE(overlaySeen);
  const auto picture = win::ClipboardBitmap(nullptr);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->Width(), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(picture->Height(), GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace
}  // namespace brisko::e2e
