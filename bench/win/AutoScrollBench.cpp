// Auto-scroll capture and window picking on this screen (run it at
// 1920 x 1080): the time of one stitched band against an empty step (the
// same scroll request, wait and timer, no grab), the memory the capture
// takes beside the picture it makes, and one pointer move of window
// picking over 500 top-level windows of 10 children each (lookup and
// frame), with the lookup alone timed beside it.
#include <windows.h>
#include <psapi.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "ContentRows.h"
#include "ScrollDocument.h"
#include "capture/AutoScroll.h"
#include "capture/UnitSelectCapture.h"
#include "capture/WindowPicking.h"
#include "widgets/Application.h"

namespace {

using namespace brisko;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// A document of 20 screens on a thread of its own, as another program's
// window would be, filling the screen but for the task bar's height.
test::ScrollOptions TwentyScreens() {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  test::ScrollOptions options;
  options.lines = 20 * h / e2e::kItemHeight;
  options.bounds = RECT{0, 0, w, h - 40};
  return options;
}


// Steps on a timer of its own, as the overlay runs them.
struct BenchHost final : AutoScrollHost {
  HWND timerWindow = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  AutoScroll* scroll = nullptr;
  bool done = false;
  std::size_t bytes = 0;
  int rowsInOrder = 0;
  int steps = 0;

  void ArmStep() override { SetTimer(timerWindow, 1, 10, nullptr); }
  void HideInfo() override {}
  bool JumpIfInfo(HWND) override { return false; }
  void StopWatchingPointer() override {}
  void Finished(Bitmap picture) override {
    bytes = picture.ByteSize();
    rowsInOrder = static_cast<int>(test::RowsInOrder(test::ContentRows(picture)));
    done = true;
  }
  void Cancelled() override { done = true; }
};

// Resident memory, now or at its peak: what the capture's pages cost once
// written. (Wine reports committed-but-unwritten memory unreliably.)
std::size_t ResidentBytes(bool peak) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

void RunTimerLoop(BenchHost& host, const std::function<void()>& tick) {
  MSG msg;
  while (!host.done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == host.timerWindow) {
      KillTimer(host.timerWindow, 1);
      ++host.steps;
      tick();
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void BM_AutoScrollBand(benchmark::State& state) {
  const test::ScrollOptions options = TwentyScreens();
  test::ScrollDocument document(options);
  HWND target = document.Window();
  for (auto _ : state) {
    // The empty step: scroll request, wait, scroll state, timer; no grab.
    SendMessageW(target, WM_VSCROLL, SB_TOP, 0);
    BenchHost empty;
    int emptySteps = 0;
    const auto emptyBegin = Clock::now();
    empty.ArmStep();
    RunTimerLoop(empty, [&] {
      SendMessageW(target, WM_VSCROLL, SB_LINEDOWN, 0);
      Sleep(10);
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_ALL;
      GetScrollInfo(target, SB_VERT, &si);
      if (si.nPos + static_cast<int>(si.nPage) > si.nMax)
        empty.done = true;
      else
        empty.ArmStep();
      ++emptySteps;
    });
    const double emptyMs = Milliseconds(emptyBegin) / std::max(emptySteps, 1);

    BenchHost host;
    AutoScroll scroll(host);
    const std::size_t before = ResidentBytes(false);
    const auto begin = Clock::now();
    scroll.Start(false);
    scroll.StartStepping(target);
    RunTimerLoop(host, [&] { scroll.Step(); });
    const double total = Milliseconds(begin);
    const double bandMs = total / std::max(host.steps, 1);
    const std::size_t peak = ResidentBytes(true);
    state.SetIterationTime(total / 1000);
    state.counters["band_ms"] = bandMs;
    state.counters["empty_step_ms"] = emptyMs;
    state.counters["band_over_empty"] = bandMs / emptyMs;
    state.counters["bands"] = host.steps;
    state.counters["image_MB"] = static_cast<double>(host.bytes) / (1 << 20);
    state.counters["rows_in_order"] = host.rowsInOrder;
    state.counters["content_rows"] = options.lines * e2e::kItemHeight;
    state.counters["peak_growth_over_image"] =
        host.bytes ? static_cast<double>(peak > before ? peak - before : 0) / static_cast<double>(host.bytes) : 0;
  }
}
BENCHMARK(BM_AutoScrollBand)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// 500 top-level windows of 10 children each, in a process of their own so
// that window picking lists them as it lists other programs' windows.
PROCESS_INFORMATION StartWindowHolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(path) + L"\" --hold-windows";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  return pi;
}

int HoldWindows() {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  for (int i = 0; i < 500; ++i) {
    const int x = (i * 37) % (w - 300), y = (i * 53) % (h - 200);
    HWND top = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"holder", WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, 300,
                               200, nullptr, nullptr, nullptr, nullptr);
    for (int c = 0; c < 10; ++c)
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10 + (c % 5) * 55, 10 + (c / 5) * 90, 50, 80, top,
                      nullptr, nullptr, nullptr);
  }
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"BriskoBenchWindowsReady");
  if (ready) SetEvent(ready);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

struct NoMainWindow final : CaptureHost {
  HWND MainWindow() const override { return nullptr; }
  HWND DialogOwner() const override { return nullptr; }
  void ReturnAfterCapture() override {}
  void ShowInEditor(const std::string&) override {}
};

void Settle() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void BM_PickingPointerMove(benchmark::State& state) {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"BriskoBenchWindowsReady");
  PROCESS_INFORMATION holder = StartWindowHolder();
  WaitForSingleObject(ready, 120000);
  Sleep(500);
  win::Application app{GetModuleHandleW(nullptr)};
  CaptureProfile profile;
  profile.CapturedBitmap = Bitmap(0, 0, PixelFormat::Bgrx32);
  profile.CaptureKind = kCaptureWindowObject;
  profile.ObjectMode = kObjectWindows;
  NoMainWindow host;
  TFrmSelectCapture overlay{profile, host};
  overlay.Timer1Timer();
  Settle();
  // The lookup alone, over the same list the overlay took.
  WindowRecordList records;
  ListWindowRecords(records);
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  int step = 0;
  double lookupTotal = 0;
  for (auto _ : state) {
    const int x = (step * 97) % w, y = (step * 61) % h;
    ++step;
    const auto begin = Clock::now();
    SendMessageW(overlay.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    GdiFlush();
    state.SetIterationTime(Milliseconds(begin) / 1000);
    const auto lookupBegin = Clock::now();
    benchmark::DoNotOptimize(RecordUnderPoint(x, y, records.Records(), w, h));
    lookupTotal += Milliseconds(lookupBegin);
  }
  state.counters["records"] = static_cast<double>(records.Records().size());
  state.counters["lookup_only_us"] = 1000 * lookupTotal / std::max(step, 1);
  overlay.EndCapture();
  Settle();
  TerminateProcess(holder.hProcess, 0);
  CloseHandle(holder.hProcess);
  CloseHandle(holder.hThread);
  CloseHandle(ready);
}
BENCHMARK(BM_PickingPointerMove)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--hold-windows") return HoldWindows();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
