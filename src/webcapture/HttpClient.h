#pragma once

// A blocking HTTP(S) GET over WinHTTP for the web capture: the page text on
// the user-interface thread, each file streamed to disk on the worker.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace brisko::web {

// The user agent every request names: "Brisko Capture/" and the version.
std::string HttpUserAgent();

// Bodies are received and written in pieces of at most this size.
inline constexpr std::size_t kHttpChunk = 64 * 1024;

// Redirect answers followed for one GET; one more is a failure.
inline constexpr int kMaxRedirects = 5;

enum class HttpFailure {
  Address,      // not an http(s) address the client can fetch
  Connection,   // name not resolved, connection refused or dropped
  TimedOut,     // no answer or no data within the time-outs
  Security,     // TLS failed: certificate not trusted, expired, wrong name...
  Status,       // an answer other than 2xx (Status() holds it)
  Redirect,     // redirect loop, too many, https to http, or to another scheme
  TooLarge,     // the body exceeds the caller's limit
  File,         // the target exists or the part file could not be written
  Aborted,      // Abort() was called
};

class HttpError : public std::runtime_error {
 public:
  HttpError(HttpFailure kind, const std::string& what, int status = 0)
      : std::runtime_error(what), kind_(kind), status_(status) {}
  HttpFailure Kind() const { return kind_; }
  int Status() const { return status_; }

 private:
  HttpFailure kind_;
  int status_;
};

// Transfer events, called on the thread that runs the GET. WorkBegin gets the
// announced length (0 when the answer carries none), Work the bytes received
// so far after each piece; WorkEnd follows every WorkBegin, on failure too,
// so none of them may throw.
struct HttpEvents {
  std::function<void(std::int64_t expected)> workBegin;
  std::function<void(std::int64_t soFar)> work;
  std::function<void()> workEnd;
};

// In milliseconds. Receive is the longest wait for the answer's headers and
// for each piece of the body, so a stalled transfer fails after it.
struct HttpTimeouts {
  int resolve = 10'000;
  int connect = 10'000;
  int send = 30'000;
  int receive = 30'000;
};

class HttpClient {
 public:
  explicit HttpClient(HttpEvents events = {}, HttpTimeouts timeouts = {});
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // The body of `url` (http or https), at most `limit` bytes; more is a
  // failure. Throws HttpError on any failure: bad address, connection,
  // time-out, TLS certificate, status other than 2xx, redirects.
  std::string GetText(const std::string& url, std::size_t limit);

  // Streams the body of `url` to `target` + ".part" and renames it to
  // `target` on success; on any failure the part file is removed and
  // HttpError thrown. Never replaces an existing `target` or part file.
  void GetToFile(const std::string& url, const std::filesystem::path& target);

  // From any thread: the GET in progress fails promptly with
  // HttpFailure::Aborted, and so does every later one of this client.
  void Abort();

 private:
  struct Session;
  std::unique_ptr<Session> session_;
  HttpEvents events_;
};

}  // namespace brisko::web
