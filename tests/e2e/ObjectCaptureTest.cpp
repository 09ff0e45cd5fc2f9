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
#include "ContentRows.h"
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


// Whether this process can read another program's scroll bar. Windows
// lets it; Wine 8 answers only for windows of the asking process, so there
// the program cannot measure another program's window and takes it whole.
// Stitching itself is tested in-process by tests/win/AutoScrollTest.cpp.
bool ScrollStateReadableFrom(HWND window) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  return GetScrollInfo(window, SB_VERT, &info) && info.nMax > 0;
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
  // A real click, as the user's: keys then go to the program, and to the
  // overlay once it shows.
  void PressCapture() {
    RECT button{};
    GetWindowRect(program_->Child(L"&Capture", L"Button"), &button);
    Xdotool("mousemove " + Centre(button) + " click 1");
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

TEST_F(ObjectCapture, PickingAControlThenACaptionCapturesExactlyTheirRectangles) {
  Target dialog("dialog --x 20 --y 700 --w 400 --h 300", L"Targets Dialog");
  Start(0);
  auto rectOf = [](HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
  };
  // "Inner" lies inside the group box "Frame": the nested control wins.
  for (int id : {101, 105}) {
    const RECT control = rectOf(GetDlgItem(dialog.Window(), id));
    const Bitmap before = ScreenPixels(control);
    PressCapture();
    PointAt(control);
    Xdotool("click 1");
    ASSERT_TRUE(MainWindowBack()) << id;
    const auto picture = Clipboard();
    ASSERT_TRUE(picture.has_value()) << id;
    EXPECT_EQ(DifferentPixels(*picture, before), 0) << "control " << id << " alone, without the red frame";
  }
  // The caption frames the whole dialog. It shows inactive while the
  // overlay is up, as it does now that the main window is back.
  const RECT whole = rectOf(dialog.Window());
  PressCapture();
  Xdotool("mousemove " + std::to_string((whole.left + whole.right) / 2) + " " + std::to_string(whole.top + 8));
  Xdotool("mousemove_relative 1 0");
  Xdotool("click 1");
  ASSERT_TRUE(MainWindowBack());
  const auto picture = Clipboard();
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(DifferentPixels(*picture, ScreenPixels(whole)), 0);
}

TEST_F(ObjectCapture, AHungWindowDoesNotHoldUpWindowPicking) {
  // The target stops handling messages a second after it shows and stays
  // hung for longer than the capture may wait.
  Target dialog("dialog --x 20 --y 700 --w 400 --h 300 --hang-after 1000 --exit-after 30000", L"Targets Dialog");
  WaitFor([] { return false; }, 1500);
  Start(0);
  const ULONGLONG start = GetTickCount64();
  PressCapture();
  EXPECT_LT(GetTickCount64() - start, 4000u) << "the windows are listed without waiting for the hung one";
  const RECT whole = dialog.Rect();
  Xdotool("mousemove " + std::to_string((whole.left + whole.right) / 2) + " " + std::to_string(whole.top + 8));
  Xdotool("mousemove_relative 1 0");
  Xdotool("click 1");
  ASSERT_TRUE(MainWindowBack());
  const auto picture = Clipboard();
  ASSERT_TRUE(picture.has_value()) << "the hung window is framed and captured like any other";
  EXPECT_EQ(picture->Width(), whole.right - whole.left);
  EXPECT_EQ(picture->Height(), whole.bottom - whole.top);
}

TEST_F(ObjectCapture, EscOrAPlainRightPressEndsWindowPickingWithoutOutput) {
  Target dialog("dialog --x 20 --y 700 --w 400 --h 300", L"Targets Dialog");
  Start(0);
  for (const char* way : {"key Escape", "click 3"}) {
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

TEST_F(ObjectCapture, AutoScrollStitchesEveryContentRowOnceAndLeavesTheScrollBarOut) {
  Target scroll("scroll --rows 125 --page-delta 1 --x 20 --y 60 --w 330 --h 500", L"Targets Scroll");
  if (!ScrollStateReadableFrom(scroll.Window())) GTEST_SKIP() << "this system hides other programs' scroll bars";
  Start(1);
  PressCapture();
  PointAt(scroll.Rect());
  Xdotool("click 1");
  ASSERT_TRUE(MainWindowBack(90000)) << "the end of the range outputs the picture";
  const auto picture = Clipboard();
  ASSERT_TRUE(picture.has_value());
  const RECT r = scroll.Rect();
  EXPECT_EQ(picture->Width(), r.right - r.left - 20);
  const std::vector<int> rows = test::ContentRows(*picture);
  EXPECT_EQ(rows.size(), 125u * kItemHeight);
  EXPECT_EQ(test::RowsInOrder(rows), rows.size());
}

TEST_F(ObjectCapture, ASecondClickOutputsWhatIsStitchedAndAClosedWindowStopsTheSteps) {
  Target scroll("scroll --rows 4000 --x 20 --y 60 --w 330 --h 500", L"Targets Scroll");
  if (!ScrollStateReadableFrom(scroll.Window())) GTEST_SKIP() << "this system hides other programs' scroll bars";
  Start(1);
  PressCapture();
  PointAt(scroll.Rect());
  Xdotool("click 1");
  WaitFor([] { return false; }, 1500);
  Xdotool("click 1");
  ASSERT_TRUE(MainWindowBack());
  auto picture = Clipboard();
  ASSERT_TRUE(picture.has_value());
  const std::vector<int> prefix = test::ContentRows(*picture);
  EXPECT_EQ(test::RowsInOrder(prefix), prefix.size());
  EXPECT_LT(prefix.size(), 4000u * kItemHeight) << "a prefix";

  Target closing("scroll --rows 4000 --destroy-after 20 --x 400 --y 60 --w 330 --h 500", L"Targets Scroll");
  win::SetClipboardBitmap(nullptr, Bitmap(3, 3, PixelFormat::Bgrx32));
  PressCapture();
  PointAt(closing.Rect());
  Xdotool("click 1");
  ASSERT_TRUE(closing.Exited(30000)) << "the target closes itself";
  WaitFor([] { return false; }, 1000);
  EXPECT_FALSE(IsVisible(main_)) << "the capture waits for the user";
  Xdotool("mousemove " + Centre(scroll.Rect()) + " click 1");
  ASSERT_TRUE(MainWindowBack());
  picture = Clipboard();
  ASSERT_TRUE(picture.has_value());
  const std::vector<int> stitched = test::ContentRows(*picture);
  EXPECT_EQ(test::RowsInOrder(stitched), stitched.size()) << "nothing of what lay behind the window";
}

TEST_F(ObjectCapture, AWindowWithoutAScrollRangeIsOneGrabOfTheWholeWindow) {
  Target scroll("scroll --no-range --x 20 --y 60 --w 330 --h 300", L"Targets Scroll");
  Start(1);
  PressCapture();
  PointAt(scroll.Rect());
  Xdotool("click 1");
  ASSERT_TRUE(MainWindowBack());
  const auto picture = Clipboard();
  ASSERT_TRUE(picture.has_value());
  // The capture brings the window to the front, which changes its border:
  // the window's size and its client area are what must match.
  const RECT r = scroll.Rect();
  ASSERT_EQ(picture->Width(), r.right - r.left);
  ASSERT_EQ(picture->Height(), r.bottom - r.top);
  RECT client{};
  GetClientRect(scroll.Window(), &client);
  MapWindowPoints(scroll.Window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  Bitmap inside(client.right - client.left, client.bottom - client.top, picture->Format());
  inside.CopyFrom(*picture, Rect{client.left - r.left, client.top - r.top, client.right - r.left, client.bottom - r.top},
                  0, 0);
  EXPECT_EQ(DifferentPixels(inside, ScreenPixels(client)), 0);
}

std::vector<RECT> OpenMenus() {
  std::vector<RECT> menus;
  EnumWindows([](HWND w, LPARAM param) -> BOOL {
    wchar_t name[64] = {};
    if (IsWindowVisible(w) && GetClassNameW(w, name, 64) && lstrcmpW(name, L"#32768") == 0) {
      RECT r{};
      GetWindowRect(w, &r);
      reinterpret_cast<std::vector<RECT>*>(param)->push_back(r);
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&menus));
  return menus;
}

TEST_F(ObjectCapture, AMenuAndItsSubmenuComposeIntoTheirUnionBoxOnTheBackground) {
  Target menu("menu --x 20 --y 60 --w 400 --h 300", L"Targets Menu");
  Start(2);
  PressCapture();
  // The menu bar lies just above the client area; "File" is its first item.
  POINT client{0, 0};
  ClientToScreen(menu.Window(), &client);
  Xdotool("mousemove " + std::to_string(client.x + 14) + " " + std::to_string(client.y - 9) + " click 1");
  ASSERT_TRUE(WaitFor([] { return OpenMenus().size() == 1; }, 3000)) << "the File menu opens";
  // Down to "More" (the third item) and into its submenu.
  for (const char* key : {"Down", "Down", "Down", "Right"}) Xdotool(std::string("key ") + key);
  ASSERT_TRUE(WaitFor([] { return OpenMenus().size() == 2; }, 3000)) << "the submenu opens";
  // The pointer rests on "More", so the ticks note the File menu; the
  // submenu is the topmost menu at the end.
  std::vector<RECT> menus = OpenMenus();
  const RECT file = menus[0].top <= menus[1].top && menus[0].left <= menus[1].left ? menus[0] : menus[1];
  const int itemHeight = (file.bottom - file.top - 6) / 3;
  Xdotool("mousemove " + std::to_string((file.left + file.right) / 2) + " " +
          std::to_string(file.top + 3 + itemHeight * 5 / 2));
  menus = OpenMenus();
  ASSERT_EQ(menus.size(), 2u);
  RECT box{};
  UnionRect(&box, &menus[0], &menus[1]);
  const Bitmap screen = ScreenPixels(box);
  ASSERT_TRUE(MainWindowBack(15000)) << "the countdown ends and the menus are output";
  const auto picture = Clipboard();
  ASSERT_TRUE(picture.has_value());
  ASSERT_EQ(picture->Width(), box.right - box.left);
  ASSERT_EQ(picture->Height(), box.bottom - box.top);
  int wrong = 0, background = 0;
  for (int y = 0; y < picture->Height(); ++y)
    for (int x = 0; x < picture->Width(); ++x) {
      const POINT at{box.left + x, box.top + y};
      if (PtInRect(&menus[0], at) || PtInRect(&menus[1], at)) {
        wrong += picture->PixelAt(x, y) != screen.PixelAt(x, y);
      } else {
        background += picture->PixelAt(x, y) == kWhite;
        wrong += picture->PixelAt(x, y) != kWhite;
      }
    }
  EXPECT_EQ(wrong, 0) << "the menus as they stood, the background elsewhere";
  EXPECT_GT(background, 0) << "a corner neither menu covers";
  Xdotool("key Escape");
  Xdotool("key Escape");
}

TEST_F(ObjectCapture, EscDuringTheMenuCountdownLeavesTheCaptureToRunOut) {
  Target menu("menu --x 20 --y 60 --w 400 --h 300", L"Targets Menu");
  Start(2);
  PressCapture();
  Xdotool("mousemove " + Centre(menu.Rect()));
  Xdotool("key Escape");
  // No window of ours takes keys during the countdown: Esc belongs to the
  // user's menus. The capture ends when the time is up.
  EXPECT_FALSE(MainWindowBack(2000));
  ASSERT_TRUE(MainWindowBack(10000));
  const auto picture = Clipboard();
  ASSERT_TRUE(picture.has_value()) << "the window under the pointer, with no menu open";
  const RECT r = menu.Rect();
  EXPECT_EQ(picture->Width(), r.right - r.left);
}

}  // namespace
}  // namespace brisko::e2e
