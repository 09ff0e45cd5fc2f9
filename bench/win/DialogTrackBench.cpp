// A track-bar move in the editor's adjustment dialogs under the real window
// system, on a 3840 x 2160 picture: from the moment the mouse lets go of
// the slider until the new preview is painted. Each dialog is shown as the
// editor shows it; the release reaches the slider as a button-up message,
// which is what the dialog listens for. Reports the median and the 95th
// percentile of the moves. Run it with
//   cmake/wine-run <build>/wine <build>/bench/win/bench_dialog_track.exe
#include <windows.h>

#include <benchmark/benchmark.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include "editor/UnitColors.h"
#include "editor/UnitRGB.h"
#include "editor/UnitRotate.h"
#include "widgets/Application.h"

namespace {

using namespace brisko;

win::Application& App() {
  static win::Application app(GetModuleHandleW(nullptr));
  return app;
}

const Bitmap& Picture() {
  static const Bitmap picture = [] {
    Bitmap p = Bitmap::ForOverwrite(3840, 2160, PixelFormat::Bgr24);
    std::minstd_rand random(5);
    for (std::int32_t y = 0; y < p.Height(); ++y)
      for (std::int32_t x = 0; x < 3 * p.Width(); ++x)
        p.Row(y)[x] = static_cast<std::uint8_t>(x / 7 + y / 3 + (random() & 15));
    return p;
  }();
  return picture;
}

HWND FirstTrackBar(HWND dialog) {
  HWND found = nullptr;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM out) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (lstrcmpiW(name, TRACKBAR_CLASSW) != 0) return TRUE;
        *reinterpret_cast<HWND*>(out) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Moves the slider to each position in turn and lets go, timing each move
// until the preview is on the screen.
void TimeMoves(benchmark::State& state, win::Form& dialog, const std::vector<int>& positions) {
  dialog.Show();
  App().ProcessMessages();
  HWND track = FirstTrackBar(dialog.Handle());
  std::vector<double> times;
  std::size_t next = 0;
  for (auto _ : state) {
    const int position = positions[next++ % positions.size()];
    const auto start = std::chrono::steady_clock::now();
    SendMessageW(track, TBM_SETPOS, TRUE, position);
    SendMessageW(track, WM_LBUTTONUP, 0, 0);
    GdiFlush();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(took.count());
    times.push_back(took.count() * 1e3);
  }
  std::sort(times.begin(), times.end());
  if (!times.empty()) {
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["p95_ms"] = times[std::min(times.size() - 1, times.size() * 95 / 100)];
  }
  dialog.Hide();
}

// Positions across the slider's range, so that every move changes the value.
std::vector<int> Spread(int minimum, int maximum, int count) {
  std::vector<int> positions;
  for (int i = 0; i < count; ++i) positions.push_back(minimum + (maximum - minimum) * ((i * 7) % count) / count);
  return positions;
}

void BM_RotateTrackMove(benchmark::State& state) {
  TFrmRotate dialog(nullptr, nullptr, Picture());
  // Whole degrees from -180 to 180 in hundredths, as releases give them.
  TimeMoves(state, dialog, Spread(18000, 54000, 61));
}
BENCHMARK(BM_RotateTrackMove)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

void BM_RgbTrackMove(benchmark::State& state) {
  TFrmRGB dialog(nullptr, Picture());
  TimeMoves(state, dialog, Spread(-255, 255, 61));
}
BENCHMARK(BM_RgbTrackMove)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

void BM_GammaTrackMove(benchmark::State& state) {
  TFrmColors dialog(nullptr, "Gamma", Picture());
  TimeMoves(state, dialog, Spread(1, 500, 61));
}
BENCHMARK(BM_GammaTrackMove)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  App();
  Picture();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
