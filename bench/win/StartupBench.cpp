// Cold start of BriskoCapture.exe until its main window is visible, beside
// a minimal Win32 program doing the same, in turn, in one run; prints the
// ratio of the two.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

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

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// The program and the yardstick started in turn, so that both see the
// machine in the same state; the time is the program's, the counters give
// the yardstick's median and the ratio of the medians.
void BM_ColdStart(benchmark::State& state, Target program, Target yardstick) {
  std::vector<double> ours, theirs;
  for (auto _ : state) {
    const double minimal = StartOnce(yardstick);
    const double seconds = StartOnce(program);
    if (seconds < 0 || minimal < 0) {
      state.SkipWithError("a program did not show its window");
      break;
    }
    ours.push_back(seconds);
    theirs.push_back(minimal);
    state.SetIterationTime(seconds);
  }
  state.counters["minimal_ms"] = Median(theirs) * 1000;
  state.counters["ratio"] = Median(theirs) > 0 ? Median(ours) / Median(theirs) : 0;
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
  benchmark::RegisterBenchmark("ColdStart/BriskoCaptureBesideMinimalWindow", BM_ColdStart,
                               Target{program / "BriskoCapture.exe", L"TFrmMain"},
                               Target{Here() / "minimal_window.exe", L"MinimalWindow"})
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(21);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
