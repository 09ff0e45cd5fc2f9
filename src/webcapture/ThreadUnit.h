#pragma once

// TMyThread: the download worker of the web capture. It downloads its own
// copy of the links, one after another, into the download folder, and
// reports to the wizard's window only by posted messages.

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "webcapture/HttpClient.h"

namespace brisko::web {

// Posted to the target window with wParam 0.
inline constexpr UINT kMsgFileBegin = 0x2B1B;     // lParam: announced size of the file (0: unknown)
inline constexpr UINT kMsgFileProgress = 0x2B1C;  // lParam: bytes received so far
inline constexpr UINT kMsgFileFailed = 0x2B1D;    // lParam: error count after the increase
inline constexpr UINT kMsgFileDone = 0x2B1E;      // lParam: index + 1, links dealt with

class TMyThread {
 public:
  // Starts the worker at once on a detached thread of its own; it ends by
  // itself after the last link. The thread holds the worker until it ends,
  // so the caller may keep the returned pointer, a weak one, or none.
  // `downloadFolder` is UTF-8 and ends in a backslash.
  static std::shared_ptr<TMyThread> Start(std::vector<std::string> links, std::string downloadFolder, HWND target,
                                          HttpTimeouts timeouts = {});

  // From any thread: no further download starts and the one in progress is
  // aborted (its part file removed), so the worker ends promptly. Does
  // nothing once the worker has ended.
  void Cancel();

  bool Finished() const { return finished_.load(); }
  std::size_t ErrorCount() const { return errors_.load(); }

  TMyThread(const TMyThread&) = delete;
  TMyThread& operator=(const TMyThread&) = delete;

 private:
  TMyThread(std::vector<std::string> links, std::string downloadFolder, HWND target, HttpTimeouts timeouts);
  void Run();
  void Download(std::size_t index);
  void Post(UINT message, LPARAM value) const;

  const std::vector<std::string> links_;
  const std::string folder_;
  const HWND target_;
  const HttpTimeouts timeouts_;
  // The number of the next link; Cancel moves it past the end.
  std::atomic<std::size_t> index_{0};
  std::atomic<std::size_t> errors_{0};
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
  // The client of the download in progress, for Cancel to abort.
  std::atomic<std::shared_ptr<HttpClient>> current_;
};

}  // namespace brisko::web
