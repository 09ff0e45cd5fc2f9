// The capture overlay on this screen: from the start timer's tick to the
// frozen screen fully painted, with the grab that the tick begins with
// timed apart, and one pointer move of a rectangle drag (rubber band, size
// text and magnifier repainted).
#include <windows.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "capture/FrozenScreen.h"
#include "capture/Grab.h"
#include "capture/UnitMagnifier.h"
#include "capture/UnitSelectCapture.h"
#include "widgets/Application.h"

namespace {

using namespace brisko;
using Clock = std::chrono::steady_clock;

// Captures that end go nowhere: the benchmark has no main window.
struct NoMainWindow final : CaptureHost {
  HWND MainWindow() const override { return nullptr; }
  HWND DialogOwner() const override { return nullptr; }
  void ReturnAfterCapture() override {}
  void ShowInEditor(const std::string&) override {}
};

struct Capture {
  win::Application app{GetModuleHandleW(nullptr)};
  CaptureProfile profile;
  NoMainWindow host;
  TFrmSelectCapture overlay{profile, host};
  TFrmMagnifier magnifier{overlay.Handle()};

  Capture() {
    profile.CapturedBitmap = Bitmap(0, 0, PixelFormat::Bgrx32);
    profile.CaptureKind = kCaptureRegion;
    profile.RegionShape = kShapeRectangle;
    overlay.ConnectWindows(nullptr, &magnifier, nullptr);
    for (int slot = 1; slot <= 5; ++slot) app.SetCursorSlot(slot, LoadCursorW(nullptr, IDC_CROSS));
  }
};

Capture& Shared() {
  static Capture capture;
  return capture;
}

void Settle() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// The tick as the program runs it, and beside it the same grab into a
// frozen screen of its own, so that each run reports what the tick adds to
// the grab: showing the overlay and painting the frozen screen.
void BM_TickToPaintedOverlay(benchmark::State& state) {
  Capture& c = Shared();
  FrozenScreen grabOnly;
  std::vector<double> ticks, grabs;
  for (auto _ : state) {
    const auto begin = Clock::now();
    c.overlay.Timer1Timer();
    GdiFlush();
    const double tick = Milliseconds(begin);
    state.SetIterationTime(tick / 1000);
    state.PauseTiming();
    ticks.push_back(tick);
    // The whole capture, as the user sees it, before the overlay goes.
    Settle();
    c.overlay.EndCapture();
    Settle();
    const auto grabBegin = Clock::now();
    grabOnly.Grab(false);
    grabs.push_back(Milliseconds(grabBegin));
    state.ResumeTiming();
  }
  const double tick = Median(ticks), grab = Median(grabs);
  state.counters["grab_ms"] = grab;
  state.counters["after_grab_ms"] = tick - grab;
  state.counters["width"] = GetSystemMetrics(SM_CXSCREEN);
  state.counters["height"] = GetSystemMetrics(SM_CYSCREEN);
}
BENCHMARK(BM_TickToPaintedOverlay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The grab primitive into a bitmap, as the full-screen profile uses it.
void BM_GrabScreen(benchmark::State& state) {
  Bitmap screen(0, 0, PixelFormat::Bgrx32);
  for (auto _ : state) {
    GrabScreen(screen, false);
    benchmark::DoNotOptimize(screen.Data());
  }
}
BENCHMARK(BM_GrabScreen)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_PointerMoveDuringDrag(benchmark::State& state) {
  Capture& c = Shared();
  c.overlay.Timer1Timer();
  Settle();
  HWND overlay = c.overlay.Handle();
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  SendMessageW(overlay, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(w / 4, h / 4));
  int step = 0;
  for (auto _ : state) {
    // A drag across most of the screen, so the rubber band is large.
    const int x = w / 2 + (step % 200), y = h / 2 + (step % 150);
    ++step;
    const auto begin = Clock::now();
    SendMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    GdiFlush();
    state.SetIterationTime(Milliseconds(begin) / 1000);
  }
  c.overlay.EndCapture();
  Settle();
}
BENCHMARK(BM_PointerMoveDuringDrag)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

}  // namespace

BENCHMARK_MAIN();
