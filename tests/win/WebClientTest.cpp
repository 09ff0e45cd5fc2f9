// The WinHTTP client and the download worker against the test server,
// started as a Unix program beside this Wine process.

#include <windows.h>

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "TestServerProcess.h"
#include "webcapture/HttpClient.h"
#include "webcapture/ThreadUnit.h"

namespace brisko::web {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testweb::TestServerProcess;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A fresh server and an empty download folder for every test.
class WebTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ = fs::temp_directory_path() / ("brisko-downloads-" + std::to_string(random()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // The failure of `call`, which must fail.
  template <typename Call>
  static HttpError FailureOf(Call&& call) {
    try {
      call();
    } catch (const HttpError& error) {
      return error;
    }
    ADD_FAILURE() << "no failure";
    return HttpError(HttpFailure::Connection, "none");
  }

  TestServerProcess server_;
  fs::path folder_;
};

using WebClient = WebTest;

TEST_F(WebClient, SendsOurUserAgentAcceptAndContentType) {
  HttpClient client;
  const std::string body = client.GetText(server_.Url("/headers"), 1 << 20);
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].line, "GET /headers HTTP/1.1");
  EXPECT_EQ(requests[0].Header("User-Agent"), "Brisko Capture/1.0.0.0");
  EXPECT_EQ(requests[0].Header("Accept"), "text/html, */*");
  EXPECT_EQ(requests[0].Header("Content-Type"), "text/html");
  // The body is what the server sent: its echo of those headers.
  EXPECT_NE(body.find("User-Agent: Brisko Capture/1.0.0.0\n"), std::string::npos) << body;
}

TEST_F(WebClient, ErrorStatusesAndUnusableAddressesFail) {
  HttpClient client;
  HttpError notFound = FailureOf([&] { client.GetText(server_.Url("/missing/a.gif"), 1 << 20); });
  EXPECT_EQ(notFound.Kind(), HttpFailure::Status);
  EXPECT_EQ(notFound.Status(), 404);
  EXPECT_EQ(FailureOf([&] { client.GetText(server_.Url("/status/500"), 1 << 20); }).Status(), 500);
  EXPECT_EQ(FailureOf([&] { client.GetText(server_.Url("/status/304"), 1 << 20); }).Kind(), HttpFailure::Status);
  for (const char* address : {"ftp://127.0.0.1/a.gif", "file:///c:/windows/win.ini", "http://", "a.gif"})
    EXPECT_EQ(FailureOf([&] { client.GetText(address, 1 << 20); }).Kind(), HttpFailure::Address) << address;
}

TEST_F(WebClient, AnUnusedPortFailsAtOnce) {
  HttpClient client;
  const auto start = Clock::now();
  EXPECT_EQ(FailureOf([&] { client.GetText("http://127.0.0.1:1/", 1 << 20); }).Kind(), HttpFailure::Connection);
  EXPECT_LT(SecondsSince(start), 5.0);
}

TEST_F(WebClient, RedirectsAreFollowedUpToFive) {
  HttpClient client;
  const std::string picture = client.GetText(server_.Url("/redirect/302"), 1 << 20);
  EXPECT_NE(picture.find("/pics/redirected.gif"), std::string::npos);
  EXPECT_EQ(picture.substr(0, 6), "GIF89a");

  const std::string relative = client.GetText(server_.Url("/redirect/302?to=../pics/up.gif"), 1 << 20);
  EXPECT_NE(relative.find("/pics/up.gif"), std::string::npos);

  EXPECT_NE(client.GetText(server_.Url("/redirect/chain?n=5"), 1 << 20).find("chain?n=0"), std::string::npos);
  EXPECT_EQ(server_.CountRequests("/redirect/chain"), 6u);

  EXPECT_EQ(FailureOf([&] { client.GetText(server_.Url("/redirect/chain?n=6"), 1 << 20); }).Kind(),
            HttpFailure::Redirect);
  // The sixth redirect is refused without being asked for.
  EXPECT_EQ(server_.CountRequests("/redirect/chain?n=0"), 1u);
}

TEST_F(WebClient, ARedirectLoopFailsOnItsFirstRepeat) {
  HttpClient client;
  EXPECT_EQ(FailureOf([&] { client.GetText(server_.Url("/redirect/loop"), 1 << 20); }).Kind(),
            HttpFailure::Redirect);
  EXPECT_EQ(server_.CountRequests("/redirect/loop"), 1u);
}

// Wine's crypt32 ignores trusted roots added at run time (the chain still
// ends in an untrusted root), so no https transfer can succeed here and the
// https-to-http refusal cannot be reached; what can be seen is that a
// certificate nobody trusts is never accepted, directly or after a redirect.
TEST_F(WebClient, HttpsRefusesAnUntrustedCertificate) {
  TestServerProcess secure(true);
  HttpClient client;
  const HttpError direct = FailureOf([&] { client.GetText(secure.TlsUrl("/headers"), 1 << 20); });
  EXPECT_EQ(direct.Kind(), HttpFailure::Security) << direct.what();
  const HttpError redirected =
      FailureOf([&] { client.GetText(secure.Url("/redirect/302?to=" + secure.TlsUrl("/pics/tls.gif")), 1 << 20); });
  EXPECT_EQ(redirected.Kind(), HttpFailure::Security) << redirected.what();
  // The redirect itself was asked for over http; nothing passed over TLS.
  const auto requests = secure.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Path().rfind("/redirect/302", 0), 0u);
}

TEST_F(WebClient, TextOverTheLimitFails) {
  HttpClient client;
  EXPECT_EQ(client.GetText(server_.Url("/slow?seconds=0"), 8000).size(), 8000u);
  EXPECT_EQ(FailureOf([&] { client.GetText(server_.Url("/slow?seconds=0"), 7999); }).Kind(), HttpFailure::TooLarge);
  // Without a length to refuse up front, the body is cut off as it comes.
  EXPECT_EQ(FailureOf([&] { client.GetText(server_.Url("/endless"), 300'000); }).Kind(), HttpFailure::TooLarge);
}

TEST_F(WebClient, ASlowBodyArrivesWholeWithItsProgress) {
  std::vector<std::int64_t> begins, progress;
  int ends = 0;
  // The receive time-out limits each wait for data, not the whole transfer:
  // a body that trickles in over 3 s passes a 1 s time-out.
  HttpClient client({[&](std::int64_t n) { begins.push_back(n); }, [&](std::int64_t n) { progress.push_back(n); },
                     [&] { ++ends; }},
                    HttpTimeouts{10'000, 10'000, 10'000, 1'000});
  const auto start = Clock::now();
  EXPECT_EQ(client.GetText(server_.Url("/slow?seconds=3"), 1 << 20), std::string(8000, 's'));
  EXPECT_GE(SecondsSince(start), 2.5);
  EXPECT_EQ(begins, std::vector<std::int64_t>{8000});
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 8000);
  EXPECT_EQ(ends, 1);
}

TEST_F(WebClient, ABodyCutShortIsAFailureAndLeavesNoFile) {
  HttpClient client;
  EXPECT_EQ(FailureOf([&] { client.GetToFile(server_.Url("/truncated"), folder_ / "cut.bin"); }).Kind(),
            HttpFailure::Connection);
  EXPECT_TRUE(FilesIn(folder_).empty());
}

TEST_F(WebClient, AStalledTransferTimesOut) {
  int ends = 0;
  HttpClient client({{}, {}, [&] { ++ends; }}, HttpTimeouts{10'000, 10'000, 10'000, 1'000});
  const auto start = Clock::now();
  const HttpError error = FailureOf([&] { client.GetToFile(server_.Url("/stall"), folder_ / "stall.bin"); });
  EXPECT_EQ(error.Kind(), HttpFailure::TimedOut) << error.what();
  EXPECT_LT(SecondsSince(start), 5.0);
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(FilesIn(folder_).empty());
}

// Abort from another thread after `delay`; the time the GET took after it.
template <typename Get>
double AbortAfter(HttpClient& client, std::chrono::milliseconds delay, Get&& get) {
  std::atomic<Clock::time_point> aborted{Clock::time_point::max()};
  std::thread aborter([&] {
    std::this_thread::sleep_for(delay);
    aborted = Clock::now();
    client.Abort();
  });
  HttpFailure kind = HttpFailure::Connection;
  try {
    get();
  } catch (const HttpError& error) {
    kind = error.Kind();
  }
  const double afterAbort = SecondsSince(aborted.load());
  aborter.join();
  EXPECT_EQ(kind, HttpFailure::Aborted);
  return afterAbort;
}

TEST_F(WebClient, AbortEndsAnEndlessOrStalledTransferPromptlyWithoutAPartFile) {
  {
    HttpClient client;
    EXPECT_LT(AbortAfter(client, std::chrono::milliseconds(1000),
                         [&] { client.GetToFile(server_.Url("/endless"), folder_ / "endless.bin"); }),
              2.0);
  }
  {
    // A receive blocked inside WinHTTP, with the full 30 s time-out.
    HttpClient client;
    EXPECT_LT(AbortAfter(client, std::chrono::milliseconds(1000),
                         [&] { client.GetToFile(server_.Url("/stall"), folder_ / "stall.bin"); }),
              2.0);
    // An aborted client fails every later GET at once.
    EXPECT_EQ(FailureOf([&] { client.GetText(server_.Url("/headers"), 100); }).Kind(), HttpFailure::Aborted);
  }
  EXPECT_TRUE(FilesIn(folder_).empty());
}

TEST_F(WebClient, GetToFileNeverReplacesAFileAndLeavesNothingOnFailure) {
  HttpClient client;
  std::ofstream(folder_ / "taken.gif", std::ios::binary) << "mine";
  std::ofstream(folder_ / "busy.gif.part", std::ios::binary) << "another download";
  EXPECT_EQ(FailureOf([&] { client.GetToFile(server_.Url("/pics/taken.gif"), folder_ / "taken.gif"); }).Kind(),
            HttpFailure::File);
  EXPECT_EQ(FailureOf([&] { client.GetToFile(server_.Url("/pics/busy.gif"), folder_ / "busy.gif"); }).Kind(),
            HttpFailure::File);
  EXPECT_EQ(ReadAll(folder_ / "taken.gif"), "mine");
  EXPECT_EQ(ReadAll(folder_ / "busy.gif.part"), "another download");
  EXPECT_EQ(server_.CountRequests("/pics/"), 0u);

  EXPECT_EQ(FailureOf([&] { client.GetToFile(server_.Url("/missing/gone.gif"), folder_ / "gone.gif"); }).Status(),
            404);
  client.GetToFile(server_.Url("/pics/new.gif"), folder_ / "new.gif");
  EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"busy.gif.part", "new.gif", "taken.gif"}));
  EXPECT_NE(ReadAll(folder_ / "new.gif").find("/pics/new.gif"), std::string::npos);
}

// The bytes /big sends: offset mod 251, with every 4096-byte block opening
// with its own offset as a little-endian 64-bit number.
bool MatchesPattern(const fs::path& path, std::uint64_t size, std::string& problem) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buffer(1 << 20);
  std::uint64_t offset = 0;
  while (offset < size) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    unsigned filler = static_cast<unsigned>(offset % 251);
    for (std::size_t i = 0; i < got; ++i, ++offset) {
      const std::uint64_t inBlock = offset % 4096;
      const unsigned char expected = inBlock < 8 ? static_cast<unsigned char>((offset - inBlock) >> (8 * inBlock))
                                                 : static_cast<unsigned char>(filler);
      if (static_cast<unsigned char>(buffer[i]) != expected) {
        problem = "byte " + std::to_string(offset) + " differs";
        return false;
      }
      if (++filler == 251) filler = 0;
    }
  }
  in.peek();
  if (offset != size || !in.eof()) {
    problem = "length differs: " + std::to_string(offset) + " bytes checked";
    return false;
  }
  return true;
}

std::uint64_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PeakWorkingSetSize;
}

TEST_F(WebClient, TwoGibibytesArriveByteExactInBoundedMemory) {
  const std::uint64_t size = 2ull << 30;
  std::int64_t last = 0;
  HttpClient client({{}, [&](std::int64_t soFar) { last = soFar; }, {}});
  const auto start = Clock::now();
  client.GetToFile(server_.Url("/big?chunked=1&size=" + std::to_string(size)), folder_ / "big.bin");
  const double seconds = SecondsSince(start);
  std::printf("2 GiB: %.1f s (%.0f MB/s), peak working set %.1f MiB\n", seconds, size / seconds / 1e6,
              PeakWorkingSet() / 1048576.0);
  EXPECT_EQ(last, static_cast<std::int64_t>(size));
  EXPECT_LT(PeakWorkingSet(), 64ull << 20);
  EXPECT_EQ(fs::file_size(folder_ / "big.bin"), size);
  std::string problem;
  EXPECT_TRUE(MatchesPattern(folder_ / "big.bin", size, problem)) << problem;
  EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"big.bin"});
}

// A hidden message-only window that records what the worker posts.
class MessageLog {
 public:
  MessageLog() {
    WNDCLASSW type{};
    type.lpfnWndProc = Procedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"BriskoWorkerMessages";
    RegisterClassW(&type);
    window_ = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance,
                              nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~MessageLog() { DestroyWindow(window_); }

  HWND Window() const { return window_; }
  const std::vector<std::pair<UINT, LPARAM>>& Messages() const { return messages_; }

  std::vector<LPARAM> Values(UINT message) const {
    std::vector<LPARAM> values;
    for (const auto& [m, value] : messages_)
      if (m == message) values.push_back(value);
    return values;
  }

  // Dispatches this thread's messages until `done` holds or time is up.
  template <typename Done>
  bool PumpUntil(Done&& done, int milliseconds = 20'000) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      if (done()) return true;
      if (Clock::now() > end) return false;
      Sleep(5);
    }
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= kMsgFileBegin && message <= kMsgFileDone) {
      auto* self = reinterpret_cast<MessageLog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      if (self && wParam == 0) self->messages_.emplace_back(message, lParam);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  HWND window_ = nullptr;
  std::vector<std::pair<UINT, LPARAM>> messages_;
};

class Worker : public WebTest {
 protected:
  std::string Folder() const { return folder_.string() + "\\"; }
  MessageLog log_;
};

TEST_F(Worker, SavesTheGoodFilesCountsTheFailedOneAndReportsEveryFile) {
  const std::vector<std::string> links{server_.Url("/pics/gallery-1.gif"), server_.Url("/missing/gallery-2.gif"),
                                       server_.Url("/pics/gallery-3.gif")};
  // The caller need not keep the worker: it keeps itself until it ends.
  std::weak_ptr<TMyThread> worker = TMyThread::Start(links, Folder(), log_.Window());
  ASSERT_TRUE(log_.PumpUntil([&] { return log_.Values(kMsgFileDone).size() == 3; }));
  EXPECT_TRUE(log_.PumpUntil([&] { return worker.expired(); }, 2000));

  EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"gallery-1.gif", "gallery-3.gif"}));
  EXPECT_NE(ReadAll(folder_ / "gallery-3.gif").find("/pics/gallery-3.gif"), std::string::npos);
  EXPECT_EQ(log_.Values(kMsgFileFailed), std::vector<LPARAM>{1});
  EXPECT_EQ(log_.Values(kMsgFileDone), (std::vector<LPARAM>{1, 2, 3}));
  // Begin announces each file's length; progress ends at it.
  const LPARAM size = static_cast<LPARAM>(fs::file_size(folder_ / "gallery-1.gif"));
  EXPECT_EQ(log_.Values(kMsgFileBegin).front(), size);
  EXPECT_EQ(log_.Values(kMsgFileProgress).front(), size);
  // The failure is reported before the file's done message, and last comes 3.
  const auto& all = log_.Messages();
  const auto failed = std::find(all.begin(), all.end(), std::pair<UINT, LPARAM>{kMsgFileFailed, 1});
  ASSERT_NE(failed, all.end());
  EXPECT_EQ(*(failed + 1), (std::pair<UINT, LPARAM>{kMsgFileDone, 2}));
  EXPECT_EQ(all.back(), (std::pair<UINT, LPARAM>{kMsgFileDone, 3}));
}

TEST_F(Worker, TwoLinksOfOneNameGiveTwoFiles) {
  auto worker = TMyThread::Start({server_.Url("/pics/x/a.gif"), server_.Url("/pics/y/a.gif")}, Folder(),
                                 log_.Window());
  ASSERT_TRUE(log_.PumpUntil([&] { return worker->Finished() && log_.Values(kMsgFileDone).size() == 2; }));
  EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"a (2).gif", "a.gif"}));
  EXPECT_NE(ReadAll(folder_ / "a.gif").find("/pics/x/a.gif"), std::string::npos);
  EXPECT_NE(ReadAll(folder_ / "a (2).gif").find("/pics/y/a.gif"), std::string::npos);
  EXPECT_EQ(worker->ErrorCount(), 0u);
  worker->Cancel();  // after the end: nothing to stop, nothing posted
  log_.PumpUntil([] { return false; }, 200);
  EXPECT_EQ(log_.Messages().back(), (std::pair<UINT, LPARAM>{kMsgFileDone, 2}));
}

TEST_F(Worker, CancelDuringAnEndlessBodyEndsPromptlyAndFetchesNothingMore) {
  auto worker = TMyThread::Start({server_.Url("/pics/before.gif"), server_.Url("/endless"),
                                  server_.Url("/pics/after-1.gif"), server_.Url("/pics/after-2.gif")},
                                 Folder(), log_.Window());
  // Wait until the endless body is coming in.
  ASSERT_TRUE(log_.PumpUntil([&] {
    const auto progress = log_.Values(kMsgFileProgress);
    return !progress.empty() && progress.back() > 1'000'000;
  }));
  const auto cancelled = Clock::now();
  worker->Cancel();
  EXPECT_TRUE(log_.PumpUntil([&] { return worker->Finished(); }, 2000));
  EXPECT_LT(SecondsSince(cancelled), 2.0);
  log_.PumpUntil([] { return false; }, 300);
  EXPECT_EQ(server_.CountRequests("/pics/after"), 0u);
  EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"before.gif"});
  // Nothing is reported after the cancelled file.
  EXPECT_EQ(log_.Values(kMsgFileDone), std::vector<LPARAM>{1});
  EXPECT_TRUE(log_.Values(kMsgFileFailed).empty());
}

TEST_F(Worker, HostileNamesStayInsideTheFolder) {
  const std::vector<std::string> links{server_.Url("/pics/con.gif"), server_.Url("/pics/nul.png"),
                                       server_.Url("/pics/a?b.gif"),
                                       server_.Url("/pics/" + std::string(296, 'L') + ".gif")};
  auto worker = TMyThread::Start(links, Folder(), log_.Window());
  ASSERT_TRUE(log_.PumpUntil([&] { return log_.Values(kMsgFileDone).size() == links.size(); }));
  EXPECT_EQ(worker->ErrorCount(), 0u);
  const auto names = FilesIn(folder_);
  EXPECT_EQ(names.size(), links.size());
  for (const std::string& name : names) {
    EXPECT_LE(name.size(), 100u) << name;
    EXPECT_GT(fs::file_size(folder_ / name), 0u) << name;
  }
}

}  // namespace
}  // namespace brisko::web
