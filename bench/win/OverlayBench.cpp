// The capture overlay on this screen: from the start timer's tick to the
// frozen screen fully painted, and one pointer move of a rectangle drag
// (rubber band, size text and magnifier repainted).
#include <windows.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "capture/Grab.h"
#include "capture/UnitMagnifier.h"
#include "capture/UnitSelectCapture.h"
#include "widgets/Application.h"

namespace {

using namespace brisko;

// Captures that end go nowhere: the benchmark has no main window.
struct NoMainWindow final : CaptureHost {
  HWND MainWindow() const override { return nullptr; }
  HWND DialogOwner() const override { return nullptr; }
  void ReturnAfterCapture() override {}
  void ShowInEditor(const std::string&) override {}
};

struct Capture {
  win::Application app{GetModuleHandleW(nullptr)};
  CaptureProfile main;
  NoMainWindow host;
  TFrmSelectCapture overlay{main, host};
  TFrmMagnifier magnifier{overlay.Handle()};

  Capture() {
    main.CapturedBitmap = Bitmap(0, 0, PixelFormat::Bgrx32);
    main.CaptureKind = kCaptureRegion;
    main.RegionShape = kShapeRectangle;
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

void BM_TickToPaintedOverlay(benchmark::State& state) {
  Capture& c = Shared();
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    c.overlay.Timer1Timer();
    GdiFlush();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    state.PauseTiming();
    c.overlay.EndCapture();
    Settle();
    state.ResumeTiming();
  }
  state.counters["width"] = GetSystemMetrics(SM_CXSCREEN);
  state.counters["height"] = GetSystemMetrics(SM_CYSCREEN);
}
BENCHMARK(BM_TickToPaintedOverlay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The grab alone, the largest part of the tick.
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
    const auto begin = std::chrono::steady_clock::now();
    SendMessageW(overlay, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    GdiFlush();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
  }
  c.overlay.EndCapture();
  Settle();
}
BENCHMARK(BM_PointerMoveDuringDrag)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

}  // namespace

BENCHMARK_MAIN();
