// Cold start of BriskoCapture.exe until its main window is visible, beside
// a minimal Win32 program doing the same, timed in one run.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path Here() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

struct Target {
  fs::path program;
  const wchar_t* windowClass;
};

HWND VisibleWindowOf(DWORD process, const wchar_t* windowClass) {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, windowClass, nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == process && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// Start to visible main window, in seconds; the program is ended after.
double StartOnce(const Target& target) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + target.program.wstring() + L"\"";
  const auto begin = std::chrono::steady_clock::now();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      target.program.parent_path().c_str(), &startup, &info))
    return -1;
  HWND window = nullptr;
  while (!(window = VisibleWindowOf(info.dwProcessId, target.windowClass)) &&
         WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
    Sleep(1);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(info.hProcess, 5000) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return window ? seconds : -1;
}

void BM_ColdStart(benchmark::State& state, Target target) {
  for (auto _ : state) {
    const double seconds = StartOnce(target);
    if (seconds < 0) {
      state.SkipWithError("the program did not show its window");
      break;
    }
    state.SetIterationTime(seconds);
  }
}

// --program=<folder> times the program in that folder (an installed,
// stripped one, as users get it); otherwise the build tree's program folder.
fs::path ProgramFolder(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--program=", 0) != 0) continue;
    const fs::path folder = arg.substr(10);
    for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
    --argc;
    return folder;
  }
  return Here().parent_path().parent_path() / "program";
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path program = ProgramFolder(argc, argv);
  benchmark::RegisterBenchmark("ColdStart/MinimalWindow", BM_ColdStart,
                               Target{Here() / "minimal_window.exe", L"MinimalWindow"})
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1)
      ->Repetitions(15)
      ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark("ColdStart/BriskoCapture", BM_ColdStart,
                               Target{program / "BriskoCapture.exe", L"TFrmMain"})
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1)
      ->Repetitions(15)
      ->ReportAggregatesOnly(true);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
