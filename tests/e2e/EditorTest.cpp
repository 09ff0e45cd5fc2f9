// The editor as the real BriskoCapture.exe shows it: opened from the main
// window's "Open a File" through the open dialog, and from "Paste from
// clipboard", driven from outside with window messages and system input.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "ProgramDriver.h"
#include "codecs/Codecs.h"
#include "core/Files.h"
#include "widgets/Clipboard.h"

namespace brisko::e2e {
namespace {

namespace fs = std::filesystem;

// Picks the only entry of an open pop-up menu that the Up key reaches
// first: its last one.
void ChooseLastEntryOfPopup() {
  ASSERT_TRUE(WaitFor([] { return FindWindowW(L"#32768", nullptr) != nullptr; }));
  Sleep(200);
  SendKeys({}, VK_UP);
  Sleep(100);
  SendKeys({}, VK_RETURN);
}

class EditorProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = std::make_unique<RunningProgram>(DeliveredConfig());
    main_ = program_->MainWindow();
    ASSERT_NE(main_, nullptr);
  }
  HWND Editor() { return program_->TopLevel(L"Brisko Capture Preview"); }
  std::wstring Status(int panel) {
    return PanelText(program_->ProcessId(), FindChild(Editor(), STATUSCLASSNAMEW), panel);
  }

  std::unique_ptr<RunningProgram> program_;
  HWND main_ = nullptr;
};

TEST_F(EditorProgram, OpenAFileShowsTheJpegInTheEditorAndLeavesItOnTheClipboard) {
  const fs::path jpeg = program_->Folder() / "holiday photo.jpg";
  SaveParameters jpg;
  jpg.format = ImageFormat::Jpeg;
  Bitmap picture(120, 80);
  picture.FillRect(Rect{10, 10, 60, 40}, MakeColour(200, 30, 60));
  WriteImageFile(picture, jpg, jpeg);

  ASSERT_TRUE(BringToFront(main_));
  SendKeys({VK_CONTROL}, 'O');
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = program_->TopLevel(L"Open")) != nullptr; }, 10000));
  EXPECT_FALSE(IsVisible(main_)) << "the main window steps aside";
  // The file name box of the dialog, the only place that takes typing.
  HWND name = FindChild(dialog, L"Edit");
  ASSERT_NE(name, nullptr);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(jpeg.wstring().c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);

  ASSERT_TRUE(WaitFor([&] { return Editor() != nullptr; }, 10000));
  EXPECT_TRUE(WaitFor([&] { return Status(0) == L"W, H = 120X80"; }));
  EXPECT_EQ(Status(1), L"100%");
  EXPECT_EQ(Status(2), jpeg.wstring());
  const std::optional<Bitmap> clipboard = win::ClipboardBitmap(nullptr);
  ASSERT_TRUE(clipboard);
  EXPECT_EQ(clipboard->Width(), 120);
  EXPECT_EQ(clipboard->Height(), 80);

  // With the editor open, a second start brings the editor forward and the
  // main window stays where it is.
  HANDLE second = program_->StartAgain();
  ASSERT_NE(second, nullptr);
  WaitForSingleObject(second, 5000);
  CloseHandle(second);
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == Editor(); }));
  EXPECT_FALSE(IsVisible(main_));

  // Closing the editor brings the main window back.
  PostMessageW(Editor(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return IsVisible(main_); }));
  EXPECT_EQ(Editor(), nullptr);
}

TEST_F(EditorProgram, CancellingOpenAFileBringsTheMainWindowBack) {
  ASSERT_TRUE(BringToFront(main_));
  SendKeys({VK_CONTROL}, 'O');
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = program_->TopLevel(L"Open")) != nullptr; }, 10000));
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitFor([&] { return IsVisible(main_); }));
  EXPECT_EQ(Editor(), nullptr);
}

TEST_F(EditorProgram, PasteFromClipboardShowsTheClipboardsBitmap) {
  Bitmap picture(64, 36);
  picture.Fill(MakeColour(20, 160, 90));
  win::SetClipboardBitmap(nullptr, picture);
  ASSERT_TRUE(BringToFront(main_));
  PostMessageW(program_->Child(L"Open"), BM_CLICK, 0, 0);
  ChooseLastEntryOfPopup();
  ASSERT_TRUE(WaitFor([&] { return Editor() != nullptr; }, 10000));
  EXPECT_TRUE(WaitFor([&] { return Status(0) == L"W, H = 64X36"; }));
  EXPECT_EQ(Status(2), L"") << "a pasted image has no file name";
  EXPECT_FALSE(IsVisible(main_));
}

}  // namespace
}  // namespace brisko::e2e
