// The download worker fetching 1,000 files of 4 KiB over loopback from the
// test server, beside one sequential curl process (a Unix program) that
// fetches the same list from the same server into a folder of its own.
// Both counts include starting up: the worker's thread, curl's process.
// Run it with
//   cmake/wine-run <build>/wine <build>/bench/win/bench_web_download.exe
#include <windows.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestServerProcess.h"
#include "webcapture/ThreadUnit.h"

namespace {

namespace fs = std::filesystem;
using brisko::testweb::TestServerProcess;

constexpr int kFiles = 1000;

struct Session {
  Session() {
    for (int i = 0; i < kFiles; ++i) {
      char path[32];
      std::snprintf(path, sizeof path, "/files/%04d.bin", i);
      links.push_back(server.Url(path));
    }
    folder = fs::temp_directory_path() / "brisko-web-bench";
  }
  ~Session() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  // An empty folder for one run.
  fs::path FreshFolder(const char* name) {
    const fs::path path = folder / name;
    std::error_code ignored;
    fs::remove_all(path, ignored);
    fs::create_directories(path);
    return path;
  }

  TestServerProcess server;
  std::vector<std::string> links;
  fs::path folder;
  double workerBest = 0;
  double curlBest = 0;
};

Session& Bench() {
  static Session session;
  return session;
}

bool AllArrived(const fs::path& folder) {
  std::size_t count = 0;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".bin" && entry.file_size() == 4096) ++count;
  return count == kFiles;
}

// Receives the worker's messages; the last file's done message ends a run.
struct DoneWindow {
  DoneWindow() {
    WNDCLASSW type{};
    type.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      if (m == brisko::web::kMsgFileDone && lp == kFiles) PostQuitMessage(0);
      return m >= brisko::web::kMsgFileBegin && m <= brisko::web::kMsgFileDone ? 0 : DefWindowProcW(w, m, wp, lp);
    };
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"BriskoBenchDone";
    RegisterClassW(&type);
    window = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance,
                             nullptr);
  }
  ~DoneWindow() { DestroyWindow(window); }
  HWND window;
};

void BM_WorkerThousandFiles(benchmark::State& state) {
  Session& s = Bench();
  DoneWindow done;
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path folder = s.FreshFolder("worker");
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    auto worker = brisko::web::TMyThread::Start(s.links, folder.string() + "\\", done.window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    s.workerBest = std::max(s.workerBest, kFiles / seconds);
    state.PauseTiming();
    if (worker->ErrorCount() != 0 || !AllArrived(folder)) state.SkipWithError("files missing");
    state.ResumeTiming();
  }
  state.counters["files/s"] = benchmark::Counter(kFiles, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WorkerThousandFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_CurlThousandFiles(benchmark::State& state) {
  Session& s = Bench();
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path folder = s.FreshFolder("curl");
    const std::string unixFolder = TestServerProcess::UnixPath(folder);
    {
      std::ofstream config(folder / "list.cfg", std::ios::binary);
      for (int i = 0; i < kFiles; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.bin", i);
        config << "url = \"" << s.links[i] << "\"\noutput = \"" << unixFolder << "/" << name << "\"\n";
      }
    }
    const fs::path finished = folder / "finished";
    // Wine gives no handle to wait on for a Unix program: the shell leaves
    // a mark when curl has ended.
    const std::wstring command = L"/bin/sh -c \"/usr/bin/curl -s -K '" +
                                 fs::path(unixFolder + "/list.cfg").wstring() + L"' && : > '" +
                                 fs::path(unixFolder + "/finished").wstring() + L"'\"";
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    TestServerProcess::RunUnix(command);
    while (!fs::exists(finished)) {
      if (std::chrono::steady_clock::now() - start > std::chrono::seconds(120)) break;
      Sleep(1);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    s.curlBest = std::max(s.curlBest, kFiles / seconds);
    state.PauseTiming();
    if (!fs::exists(finished) || !AllArrived(folder)) state.SkipWithError("curl did not fetch every file");
    state.ResumeTiming();
  }
  state.counters["files/s"] = benchmark::Counter(kFiles, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_CurlThousandFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  Bench();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const Session& s = Bench();
  if (s.workerBest > 0 && s.curlBest > 0)
    std::printf("best of each: worker %.0f files/s, curl %.0f files/s, worker/curl %.2f (target 0.80)\n",
                s.workerBest, s.curlBest, s.workerBest / s.curlBest);
  return 0;
}
