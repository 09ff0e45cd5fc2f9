// The editor window zooming a 3840 x 2160 capture to 900 % and scrolling
// across it, under the real window system: the time of one repaint of the
// visible area and of one scroll step, and the process's memory at 100 %
// and at 900 %. Run it with
//   cmake/wine-run <build>/wine <build>/bench/win/bench_editor_zoom.exe
#include <windows.h>

#include <benchmark/benchmark.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <memory>
#include <random>

#include "core/Bmp.h"
#include "core/Files.h"
#include "core/Helpers.h"
#include "editor/UnitEditPic.h"
#include "widgets/Application.h"
#include "widgets/ScrollBox.h"
#include "widgets/Share.h"

namespace {

using namespace brisko;

struct Memory {
  double workingSetMB;
  double peakWorkingSetMB;
  double privateMB;
  double peakPrivateMB;
};

Memory MemoryNow() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return Memory{counters.WorkingSetSize / 1e6, counters.PeakWorkingSetSize / 1e6, counters.PagefileUsage / 1e6,
                counters.PeakPagefileUsage / 1e6};
}

void Pump() { win::Application::Current().ProcessMessages(); }

// The program's editor with a 4K capture delivered, maximised.
struct Session {
  Session() : app(GetModuleHandleW(nullptr)) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    const std::string base = TempFolder() + "Temp\\Brisko.bmp";
    EnsureFolder(TempFolder() + "Temp");
    {
      Bitmap capture = Bitmap::ForOverwrite(3840, 2160, PixelFormat::Bgr24);
      std::minstd_rand random(5);
      for (std::int32_t y = 0; y < capture.Height(); ++y)
        for (std::int32_t x = 0; x < 3 * capture.Width(); ++x)
          capture.Row(y)[x] = static_cast<std::uint8_t>(x / 7 + y / 3 + (random() & 15));
      WriteBmpFile(capture, PathFromUtf8(base));
    }
    editor = std::make_unique<TFrmEditPic>(host);
    editor->ShowCapture(base);
    ShowWindow(editor->Handle(), SW_MAXIMIZE);
    Pump();
    box = dynamic_cast<win::ScrollBox*>(
        win::Control::FromHandle(FindWindowExW(editor->Handle(), nullptr, L"BriskoScrollBox", nullptr)));
  }
  void Repaint() const {
    RedrawWindow(box->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
  }
  // Across the whole content and back, in steps of `step` pixels.
  void ScrollAcross(int step) const {
    const SIZE extent = box->Extent();
    for (int y = 0; y < extent.cy; y += step)
      for (int x = 0; x < extent.cx; x += step) box->ScrollTo(x, y);
    box->ScrollTo(0, 0);
  }

  win::Application app;
  struct : EditorHost {
    void EditorClosed() override {}
    HWND MainWindowHandle() const override { return nullptr; }
  } host;
  std::unique_ptr<TFrmEditPic> editor;
  win::ScrollBox* box = nullptr;
};

Session& Editor() {
  static Session session;
  return session;
}

void ZoomTo(int tenths) {
  Session& s = Editor();
  while (s.editor->Zoom().Tenths() < tenths) s.editor->RunCommand(EditorCommand::ZoomIn);
  while (s.editor->Zoom().Tenths() > tenths) s.editor->RunCommand(EditorCommand::ZoomOut);
  Pump();
}

void BM_RepaintVisibleArea(benchmark::State& state) {
  Session& s = Editor();
  ZoomTo(static_cast<int>(state.range(0)));
  s.box->ScrollTo(s.box->Extent().cx / 2, s.box->Extent().cy / 2);
  const RECT visible = s.box->VisibleContent();
  for (auto _ : state) s.Repaint();
  state.counters["area_px"] = static_cast<double>((visible.right - visible.left) * (visible.bottom - visible.top));
}
BENCHMARK(BM_RepaintVisibleArea)
    ->Arg(10)
    ->Arg(90)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One scroll step as a user scans the picture: 48 pixels along a row, and
// at the row's end 48 pixels down.
void BM_ScrollStep(benchmark::State& state) {
  Session& s = Editor();
  ZoomTo(static_cast<int>(state.range(0)));
  const SIZE extent = s.box->Extent();
  const RECT visible = s.box->VisibleContent();
  const int lastX = extent.cx - (visible.right - visible.left), lastY = extent.cy - (visible.bottom - visible.top);
  int x = 0, y = 0;
  s.box->ScrollTo(0, 0);
  for (auto _ : state) {
    if (x + 48 <= lastX) {
      x += 48;
    } else {
      x = 0;
      y = y + 48 <= lastY ? y + 48 : 0;
    }
    s.box->ScrollTo(x, y);  // moves the pixels in view and paints what came in
    GdiFlush();
  }
}
BENCHMARK(BM_ScrollStep)
    ->Arg(10)
    ->Arg(90)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  // Memory first, on a process that has done nothing else: 100 % shown,
  // painted and scrolled across, then 900 % painted and scrolled across.
  Session& s = Editor();
  s.Repaint();
  s.ScrollAcross(97);
  const Memory actual = MemoryNow();
  ZoomTo(90);
  s.Repaint();
  s.ScrollAcross(997);
  const Memory zoomed = MemoryNow();
  std::printf("memory at 100 %%: working set %.1f MB (peak %.1f), private %.1f MB (peak %.1f)\n", actual.workingSetMB,
              actual.peakWorkingSetMB, actual.privateMB, actual.peakPrivateMB);
  std::printf("memory at 900 %%: working set %.1f MB (peak %.1f), private %.1f MB (peak %.1f)\n", zoomed.workingSetMB,
              zoomed.peakWorkingSetMB, zoomed.privateMB, zoomed.peakPrivateMB);
  std::printf("peak growth from 100 %% to 900 %%: working set %+.1f %%, private %+.1f %%\n",
              100.0 * (zoomed.peakWorkingSetMB / actual.peakWorkingSetMB - 1),
              100.0 * (zoomed.peakPrivateMB / actual.peakPrivateMB - 1));
  std::fflush(stdout);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
