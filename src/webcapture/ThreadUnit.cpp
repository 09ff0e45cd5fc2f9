#include "webcapture/ThreadUnit.h"

#include <filesystem>
#include <thread>
#include <utility>

#include "core/Files.h"
#include "webcapture/LinkScan.h"

namespace brisko::web {

namespace fs = std::filesystem;

namespace {

// One call to the file system per name: this runs twice for every file.
bool Exists(const fs::path& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TMyThread::TMyThread(std::vector<std::string> links, std::string downloadFolder, HWND target, HttpTimeouts timeouts)
    : links_(std::move(links)), folder_(std::move(downloadFolder)), target_(target), timeouts_(timeouts) {}

std::shared_ptr<TMyThread> TMyThread::Start(std::vector<std::string> links, std::string downloadFolder, HWND target,
                                            HttpTimeouts timeouts) {
  std::shared_ptr<TMyThread> worker(new TMyThread(std::move(links), std::move(downloadFolder), target, timeouts));
  std::thread([worker] { worker->Run(); }).detach();
  return worker;
}

void TMyThread::Cancel() {
  // The order matters: Download publishes its client before it looks at
  // the stop flag, so either it sees the flag or this sees the client.
  stop_.store(true);
  index_.store(links_.size());
  if (const std::shared_ptr<HttpClient> client = current_.load()) client->Abort();
}

void TMyThread::Run() {
  for (;;) {
    // A fetch-add, so a Cancel that moved the index to the end in the
    // meantime is never overwritten.
    const std::size_t index = index_.fetch_add(1);
    if (index >= links_.size() || stop_.load()) break;
    Download(index);
  }
  finished_.store(true);
}

void TMyThread::Post(UINT message, LPARAM value) const {
  if (target_) PostMessageW(target_, message, 0, value);
}

void TMyThread::Download(std::size_t index) {
  const std::string& link = links_[index];
  bool saved = false;
  bool cancelled = false;
  try {
    const fs::path folder = PathFromUtf8(folder_);
    // A name is taken while its file or the part file of a download exists.
    const std::string name = DownloadFileName(link, [&folder](const std::string& candidate) {
      const fs::path file = folder / PathFromUtf8(candidate);
      return Exists(file) || Exists(fs::path(file.native() + L".part"));
    });
    HttpEvents events;
    events.workBegin = [this](std::int64_t expected) { Post(kMsgFileBegin, static_cast<LPARAM>(expected)); };
    events.work = [this](std::int64_t soFar) { Post(kMsgFileProgress, static_cast<LPARAM>(soFar)); };
    auto client = std::make_shared<HttpClient>(std::move(events), timeouts_);
    current_.store(client);
    if (stop_.load()) {
      cancelled = true;
    } else {
      client->GetToFile(link, folder / PathFromUtf8(name));
      saved = true;
    }
  } catch (const HttpError& error) {
    cancelled = error.Kind() == HttpFailure::Aborted;
  } catch (...) {
    // Any other failure (no memory, a name the file system refuses) only
    // counts as a failed file; the next link follows.
  }
  current_.store(nullptr);
  // After Cancel the wizard is gone: nothing more to report.
  if (cancelled) return;
  if (!saved) Post(kMsgFileFailed, static_cast<LPARAM>(errors_.fetch_add(1) + 1));
  Post(kMsgFileDone, static_cast<LPARAM>(index + 1));
}

}  // namespace brisko::web
