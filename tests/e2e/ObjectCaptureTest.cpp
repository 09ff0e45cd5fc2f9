// The object captures from the Capture button to the clipboard, with real X
// input over windows of CaptureTargets.exe: picking a control or a window,
// auto-scroll stitched from many bands, time-lapse menus.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "core/Bitmap.h"
#include "widgets/Clipboard.h"

namespace brisko::e2e {
namespace {

std::filesystem::path OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path();
}

// One CaptureTargets.exe window, closed with the test.
class Target {
 public:
  Target(const std::string& arguments, const std::wstring& caption) {
    std::wstring command = L"\"" + (OwnFolder() / "CaptureTargets.exe").wstring() + L"\" " +
                           std::wstring(arguments.begin(), arguments.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
      throw std::runtime_error("CaptureTargets.exe could not be started");
    WaitFor([&] {
      window_ = FindWindowW(nullptr, caption.c_str());
      return window_ && IsWindowVisible(window_);
    }, 10000);
    WaitFor([] { return false; }, 300);
  }
  ~Target() {
    TerminateProcess(info_.hProcess, 0);
    WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  HWND Window() const { return window_; }
  RECT Rect() const {
    RECT r{};
    GetWindowRect(window_, &r);
    return r;
  }
  bool Exited(int milliseconds) const { return WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0; }

 private:
  PROCESS_INFORMATION info_{};
  HWND window_ = nullptr;
};

std::string Centre(const RECT& r) {
  return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
}

// The screen's pixels in the rectangle, as the test sees them.
Bitmap ScreenPixels(const RECT& r) {
  Bitmap picture(r.right - r.left, r.bottom - r.top, PixelFormat::Bgrx32);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP device = CreateCompatibleBitmap(screen, picture.Width(), picture.Height());
  HGDIOBJ old = SelectObject(memory, device);
  BitBlt(memory, 0, 0, picture.Width(), picture.Height(), screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = picture.Width();
  info.bmiHeader.biHeight = -picture.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  GetDIBits(memory, device, 0, static_cast<UINT>(picture.Height()), picture.Data(), &info, DIB_RGB_COLORS);
  DeleteObject(device);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

int DifferentPixels(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  int wrong = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.PixelAt(x, y) != b.PixelAt(x, y)) ++wrong;
  return wrong;
}

class ObjectCapture : public ::testing::Test {
 protected:
  void Start(int objectMode) {
    program_ = std::make_unique<RunningProgram>(ConfigWithApp({{"OutputTo", "1"}}));
    main_ = program_->MainWindow();
    ASSERT_NE(main_, nullptr);
    SelectProfile(*program_, 1);
    const wchar_t* option = objectMode == 0 ? L"Windows" : objectMode == 1 ? L"Auto Scroll" : L"Menu Time";
    SendMessageW(program_->Child(option), BM_CLICK, 0, 0);
    // A marker on the clipboard, so that a capture that outputs nothing
    // shows as the marker left in place.
    win::SetClipboardBitmap(nullptr, Bitmap(3, 3, PixelFormat::Bgrx32));
  }
  void PressCapture() {
    PostMessageW(program_->Child(L"&Capture", L"Button"), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsVisible(main_); }, 3000)) << "the main window steps aside";
    ASSERT_TRUE(WaitFor([&] { return IsVisible(program_->TopLevel(L"ShowInfo")); }, 5000)) << "the info window";
  }
  // The hook reports moves only over windows, so the pointer arrives in
  // two small steps.
  void PointAt(const RECT& r) {
    Xdotool("mousemove " + Centre(r));
    Xdotool("mousemove_relative 1 1");
  }
  bool MainWindowBack(int milliseconds = 10000) { return WaitFor([&] { return IsVisible(main_); }, milliseconds); }
  std::optional<Bitmap> Clipboard() {
    auto picture = win::ClipboardBitmap(nullptr);
    if (picture && picture->Width() == 3 && picture->Height() == 3) return std::nullopt;
    return picture;
  }

  std::unique_ptr<RunningProgram> program_;
  HWND main_ = nullptr;
};

TEST_F(ObjectCapture, PickingAButtonCapturesExactlyItsRectangle) {
  Target dialog("dialog --x 20 --y 640 --w 400 --h 300", L"Targets Dialog");
  Start(0);
  const RECT button = [&] {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog.Window(), 101), &r);
    return r;
  }();
  const Bitmap buttonBefore = ScreenPixels(button);
  PressCapture();
  PointAt(button);
  Xdotool("click 1");
  ASSERT_TRUE(MainWindowBack());
  auto picture = Clipboard();
  ASSERT_TRUE(picture.has_value()) << "the button went to the clipboard";
  EXPECT_EQ(DifferentPixels(*picture, buttonBefore), 0) << "the button alone, without the red frame";

}

TEST_F(ObjectCapture, EscEndsWindowPickingWithoutOutput) {
  Target dialog("dialog --x 20 --y 640 --w 400 --h 300", L"Targets Dialog");
  Start(0);
  for (const char* way : {"key Escape"}) {
    PressCapture();
    PointAt(dialog.Rect());
    Xdotool(way);
    ASSERT_TRUE(MainWindowBack()) << way;
    EXPECT_FALSE(Clipboard().has_value()) << way;
    EXPECT_FALSE(IsVisible(program_->TopLevel(L"ShowInfo"))) << way;
  }
}

TEST_F(ObjectCapture, EscOrARightClickWhilePointingCancelsAnAutoScrollCapture) {
  Target scroll("scroll --rows 400 --x 20 --y 60 --w 330 --h 500", L"Targets Scroll");
  Start(1);
  for (const char* way : {"key Escape", "click 3"}) {
    PressCapture();
    PointAt(scroll.Rect());
    Xdotool(way);
    ASSERT_TRUE(MainWindowBack()) << way;
    EXPECT_FALSE(Clipboard().has_value()) << way;
  }
}

}  // namespace
}  // namespace brisko::e2e
