// The auto-scroll engine on a real window of another thread: real scroll
// requests, real screen grabs, stitched into one picture whose middle
// column tells which content row each picture row shows.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "ContentRows.h"
#include "RowColours.h"
#include "ScrollDocument.h"
#include "capture/AutoScroll.h"

namespace brisko {
namespace {

using test::ScrollDocument;
using test::ScrollOptions;

// Runs the steps on a timer, as the overlay does, and keeps what the
// capture hands over.
struct Host final : AutoScrollHost {
  HWND timer = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::optional<Bitmap> picture;
  bool cancelled = false;
  int stops = 0;
  int steps = 0;

  ~Host() override { DestroyWindow(timer); }
  void ArmStep() override { SetTimer(timer, 1, 10, nullptr); }
  void HideInfo() override {}
  bool JumpIfInfo(HWND) override { return false; }
  void StopWatchingPointer() override { ++stops; }
  void Finished(Bitmap result) override { picture = std::move(result); }
  void Cancelled() override { cancelled = true; }
  bool Done() const { return picture.has_value() || cancelled; }
};

// Pumps messages and steps until the capture is over, `afterSteps` says
// stop, or the time runs out.
void RunSteps(Host& host, AutoScroll& scroll, const std::function<bool()>& stop = [] { return false; },
         DWORD milliseconds = 60000) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (!host.Done() && !stop() && GetTickCount() - start < milliseconds) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      continue;
    }
    if (msg.message == WM_TIMER && msg.hwnd == host.timer) {
      KillTimer(host.timer, 1);
      ++host.steps;
      scroll.Step();
      continue;
    }
    DispatchMessageW(&msg);
  }
}


struct Capture {
  ScrollDocument document;
  Host host;
  AutoScroll scroll{host};
  explicit Capture(const ScrollOptions& options) : document(options) {
    scroll.Start(false);
    scroll.StartStepping(document.Window());
  }
};

TEST(AutoScroll, EveryContentRowOnceInOrderWithoutTheScrollBar) {
  for (int pageDelta : {0, 3, -2}) {
    ScrollOptions options;
    options.lines = 125;
    options.pageDelta = pageDelta;
    Capture c(options);
    RunSteps(c.host, c.scroll);
    ASSERT_TRUE(c.host.picture.has_value()) << "page delta " << pageDelta;
    RECT r{};
    GetWindowRect(c.document.Window(), &r);
    EXPECT_EQ(c.host.picture->Width(), r.right - r.left - 20);
    const std::vector<int> rows = test::ContentRows(*c.host.picture);
    EXPECT_EQ(rows.size(), 125u * e2e::kItemHeight) << "page delta " << pageDelta;
    EXPECT_EQ(test::RowsInOrder(rows), rows.size()) << "page delta " << pageDelta;
    EXPECT_EQ(c.host.stops, 1) << "the pointer reports end once";
  }
}

TEST(AutoScroll, AClickDuringTheStepsOutputsAPrefixAndARightClickCancels) {
  ScrollOptions options;
  options.lines = 4000;
  {
    Capture c(options);
    RunSteps(c.host, c.scroll, [&] { return c.host.steps >= 15; });
    c.scroll.PointerReport(1);
    ASSERT_TRUE(c.host.picture.has_value());
    const std::vector<int> rows = test::ContentRows(*c.host.picture);
    EXPECT_EQ(test::RowsInOrder(rows), rows.size());
    EXPECT_LT(rows.size(), 4000u * e2e::kItemHeight);
    EXPECT_EQ(c.host.stops, 1);
  }
  {
    Capture c(options);
    RunSteps(c.host, c.scroll, [&] { return c.host.steps >= 5; });
    c.scroll.PointerReport(2);
    EXPECT_TRUE(c.host.cancelled);
    EXPECT_FALSE(c.host.picture.has_value());
    EXPECT_EQ(c.host.stops, 1);
  }
}

TEST(AutoScroll, APageThatStopsScrollingEarlyEndsAfterFiftyStepsWithTheWindowsBottom) {
  ScrollOptions options;
  options.lines = 400;
  options.stopAt = 40;
  Capture c(options);
  RunSteps(c.host, c.scroll);
  ASSERT_TRUE(c.host.picture.has_value()) << "the stepping does not go on for ever";
  const std::vector<int> rows = test::ContentRows(*c.host.picture);
  EXPECT_EQ(test::RowsInOrder(rows), rows.size());
  EXPECT_GE(rows.size(), 40u * e2e::kItemHeight);
}

TEST(AutoScroll, ContentWithoutScrollingOrAWindowThatIgnoresItIsOneGrabOfTheWindow) {
  for (bool ignore : {false, true}) {
    ScrollOptions options;
    options.noRange = !ignore;
    options.ignoreScrolling = ignore;
    Capture c(options);
    RunSteps(c.host, c.scroll);
    ASSERT_TRUE(c.host.picture.has_value()) << ignore;
    RECT r{};
    GetWindowRect(c.document.Window(), &r);
    EXPECT_EQ(c.host.picture->Height(), r.bottom - r.top) << ignore;
    EXPECT_EQ(c.host.stops, 1);
  }
}

TEST(AutoScroll, AWindowClosedMidCaptureStopsTheStepsAndTheNextClickOutputsWhatWasStitched) {
  ScrollOptions options;
  options.lines = 4000;
  options.destroyAfter = 20;
  Capture c(options);
  RunSteps(c.host, c.scroll, [] { return false; }, 3000);
  EXPECT_FALSE(c.host.Done()) << "a failed step outputs nothing by itself";
  EXPECT_GE(c.document.LineDowns(), 20);
  const int steps = c.host.steps;
  RunSteps(c.host, c.scroll, [] { return false; }, 300);
  EXPECT_EQ(c.host.steps, steps) << "no step after the failed one";
  c.scroll.PointerReport(1);
  ASSERT_TRUE(c.host.picture.has_value());
  const std::vector<int> rows = test::ContentRows(*c.host.picture);
  EXPECT_EQ(test::RowsInOrder(rows), rows.size());
  EXPECT_EQ(c.host.stops, 1);
}

}  // namespace
}  // namespace brisko
