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

#include "capture/AutoScroll.h"
#include "capture/UnitSelectCapture.h"
#include "capture/WindowPicking.h"
#include "widgets/Application.h"

namespace {

using namespace brisko;
using Clock = std::chrono::steady_clock;

constexpr int kRowHeight = 16;
constexpr wchar_t kDocumentClass[] = L"BenchDocument";

double Milliseconds(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// A document of unique rows that scrolls one 16-pixel line per line-down
// and repaints before the request returns, as a list or text window does.
struct Document {
  HWND window = nullptr;
  int lines = 0;
  int position = 0;

  int Page() const {
    RECT r{};
    GetClientRect(window, &r);
    return r.bottom / kRowHeight;
  }
  void Publish() const {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, lines - 1, static_cast<UINT>(Page()), position, 0};
    SetScrollInfo(window, SB_VERT, &si, TRUE);
  }
  void Scroll(int code) {
    const int last = std::max(0, lines - Page());
    if (code == SB_TOP) position = 0;
    if (code == SB_LINEDOWN) position = std::min(position + 1, last);
    Publish();
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }
  void Paint(HDC dc) const {
    RECT r{};
    GetClientRect(window, &r);
    for (int y = 0; y < r.bottom; ++y) {
      const int row = position * kRowHeight + y;
      HBRUSH brush = CreateSolidBrush(RGB(row & 0xFF, (row >> 8) & 0xFF, 0x40 + (row & 15) * 8));
      RECT line{0, y, r.right, y + 1};
      FillRect(dc, &line, brush);
      DeleteObject(brush);
    }
  }
};

Document* document = nullptr;

LRESULT CALLBACK DocumentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (document && window == document->window) {
    if (message == WM_VSCROLL) {
      document->Scroll(LOWORD(wParam));
      return 0;
    }
    if (message == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      document->Paint(dc);
      EndPaint(window, &ps);
      return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeDocumentWindow(int screens) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DocumentProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kDocumentClass;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassW(&wc);
  static Document doc;
  document = &doc;
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  doc.window = CreateWindowExW(0, kDocumentClass, L"Bench document", WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0, 0, w,
                               h - 40, nullptr, nullptr, wc.hInstance, nullptr);
  doc.lines = screens * h / kRowHeight;
  doc.Publish();
  ShowWindow(doc.window, SW_SHOW);
  UpdateWindow(doc.window);
  return doc.window;
}

// Steps on a timer of its own, as the overlay runs them.
struct BenchHost final : AutoScrollHost {
  HWND timerWindow = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  AutoScroll* scroll = nullptr;
  bool done = false;
  std::size_t bytes = 0;
  int steps = 0;

  void ArmStep() override { SetTimer(timerWindow, 1, 10, nullptr); }
  void HideInfo() override {}
  bool JumpIfInfo(HWND) override { return false; }
  void StopWatchingPointer() override {}
  void Finished(Bitmap picture) override {
    bytes = picture.ByteSize();
    done = true;
  }
  void Cancelled() override { done = true; }
};

std::size_t PrivateBytes(bool peak) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return peak ? counters.PeakPagefileUsage : counters.PrivateUsage;
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
  HWND target = MakeDocumentWindow(20);
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
    const std::size_t before = PrivateBytes(false);
    const auto begin = Clock::now();
    scroll.Start(false);
    scroll.StartStepping(target);
    RunTimerLoop(host, [&] { scroll.Step(); });
    const double total = Milliseconds(begin);
    const double bandMs = total / std::max(host.steps, 1);
    const std::size_t peak = PrivateBytes(true);
    state.SetIterationTime(total / 1000);
    state.counters["band_ms"] = bandMs;
    state.counters["empty_step_ms"] = emptyMs;
    state.counters["band_over_empty"] = bandMs / emptyMs;
    state.counters["bands"] = host.steps;
    state.counters["image_MB"] = static_cast<double>(host.bytes) / (1 << 20);
    state.counters["peak_growth_over_image"] =
        host.bytes ? static_cast<double>(peak > before ? peak - before : 0) / static_cast<double>(host.bytes) : 0;
  }
  DestroyWindow(target);
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
