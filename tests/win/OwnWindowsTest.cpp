#include "capture/OwnWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "TestWindow.h"
#include "capture/Grab.h"
#include "widgets/Application.h"
#include "widgets/Form.h"

namespace brisko {
namespace {

using test::PatternWindow;

constexpr Colour kFormColour = MakeColour(10, 200, 30);

// A borderless form of one colour at a place of its own.
std::unique_ptr<win::Form> SolidForm(int x, int y) {
  win::FormArgs args;
  args.className = L"OwnWindowsTestForm";
  args.width = 120;
  args.height = 90;
  args.centred = false;
  args.background = kFormColour;
  auto form = std::make_unique<win::Form>(args);
  SetWindowPos(form->Handle(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  return form;
}

bool Listed(const std::vector<HWND>& windows, HWND window) {
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

int PixelsOf(const Bitmap& b, Colour c) {
  int n = 0;
  for (std::int32_t y = 0; y < b.Height(); ++y)
    for (std::int32_t x = 0; x < b.Width(); ++x) n += b.PixelAt(x, y) == c;
  return n;
}

class OwnWindows : public ::testing::Test {
 protected:
  win::Application app_{GetModuleHandleW(nullptr)};
};

TEST_F(OwnWindows, AGrabHidesEveryFormOfOursAndLeavesOtherWindowsAlone) {
  auto user = SolidForm(600, 400);
  auto capture = SolidForm(760, 400);
  auto main = SolidForm(920, 400);
  SetOwnWindowRole(capture->Handle(), OwnWindowRole::CaptureWindow);
  // As the program marks its capture windows; refused under Wine.
  ExcludeFromScreenCaptures(capture->Handle());
  SetOwnWindowRole(main->Handle(), OwnWindowRole::MainWindow);
  PatternWindow stranger(100, 100, 200, 150);
  for (auto* form : {user.get(), capture.get(), main.get()}) form->Show();
  PatternWindow::Settle();
  const std::vector<HWND> before = VisibleOwnWindows();
  for (auto* form : {user.get(), capture.get(), main.get()}) ASSERT_TRUE(Listed(before, form->Handle()));

  Bitmap b;
  GrabRect(b, Rect{600, 400, 1040, 490}, false);
  EXPECT_EQ(PixelsOf(b, kFormColour), 0) << "no form of ours in the picture";
  for (auto* form : {user.get(), capture.get(), main.get()}) EXPECT_FALSE(form->Visible());
  EXPECT_TRUE(IsWindowVisible(stranger.Handle())) << "a window the program did not make is left as it is";
}

TEST_F(OwnWindows, TheEndOfACaptureBringsBackOnlyWhatTheUserHadOpen) {
  auto user = SolidForm(600, 400);
  auto capture = SolidForm(760, 400);
  auto main = SolidForm(920, 400);
  auto closed = SolidForm(600, 520);
  SetOwnWindowRole(capture->Handle(), OwnWindowRole::CaptureWindow);
  SetOwnWindowRole(main->Handle(), OwnWindowRole::MainWindow);
  for (auto* form : {user.get(), capture.get(), main.get()}) form->Show();
  PatternWindow::Settle(100);
  KeepOwnWindowsOutOfGrab();
  // A capture window shown after the grab, as the overlay is.
  capture->Show();
  PutCaptureWindowsAway();
  BringBackUserWindows();
  EXPECT_TRUE(user->Visible()) << "the user's window comes back";
  EXPECT_FALSE(capture->Visible()) << "capture windows go";
  EXPECT_FALSE(main->Visible()) << "the main window comes back through its own rule";
  EXPECT_FALSE(closed->Visible()) << "a window that was hidden before stays hidden";
  EXPECT_NE(GetForegroundWindow(), user->Handle()) << "the user's window does not take the focus";

  // Only once: a later capture's end does not show it again after the user closed it.
  user->Hide();
  BringBackUserWindows();
  EXPECT_FALSE(user->Visible());
}

}  // namespace
}  // namespace brisko
