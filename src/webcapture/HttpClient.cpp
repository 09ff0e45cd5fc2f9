#include "webcapture/HttpClient.h"

#include <windows.h>
#include <winhttp.h>

#include <array>
#include <cctype>
#include <cwchar>
#include <set>
#include <utility>

#include "Version.h"
#include "webcapture/LinkScan.h"
#include "widgets/Handles.h"
#include "widgets/Text.h"

// The client runs WinHTTP in asynchronous mode and waits for each step on
// an event, beside the client's abort event. Closing a request handle does
// not end a receive that is blocked inside WinHTTP (Wine finishes it only
// when the receive time-out runs out, 30 s later), so Abort never closes
// anything: it signals the waiting thread, which gives the request up at
// once and closes its handles itself. WinHTTP may go on writing into the
// request's buffer until it reports the handle closed; the buffer lives in a
// RequestState that the status callback keeps alive until then.

namespace brisko::web {

namespace fs = std::filesystem;

std::string HttpUserAgent() { return BRISKO_PRODUCT_NAME "/" BRISKO_VERSION_TEXT; }

namespace {

struct InternetTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { WinHttpCloseHandle(h); }
};
using ScopedInternet = win::UniqueHandle<InternetTraits>;

struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
using ScopedFile = win::UniqueHandle<FileTraits>;

// Time given to WinHTTP beyond its own time-out before the wait gives up
// by itself.
constexpr int kWaitMargin = 2'000;

constexpr wchar_t kRequestHeaders[] = L"Accept: text/html, */*\r\nContent-Type: text/html\r\n";

// One request's side of the status callback. Owned jointly by the client
// while it uses the request and by the request handle until WinHTTP reports
// it closed.
struct RequestState {
  win::ScopedHandle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  DWORD completion = 0;  // the callback status that set `done`
  DWORD error = 0;       // with WINHTTP_CALLBACK_STATUS_REQUEST_ERROR
  DWORD bytesRead = 0;   // with WINHTTP_CALLBACK_STATUS_READ_COMPLETE
  std::array<char, kHttpChunk> buffer;
};
using StateHolder = std::shared_ptr<RequestState>;

void CALLBACK StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  if (!context) return;  // the session and connection handles carry none
  auto* holder = reinterpret_cast<StateHolder*>(context);
  if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
    delete holder;
    return;
  }
  RequestState& state = **holder;
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
      break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      state.bytesRead = length;
      break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      state.error = static_cast<const WINHTTP_ASYNC_RESULT*>(info)->dwError;
      break;
    default:
      return;
  }
  state.completion = status;
  SetEvent(state.done.Get());
}

HttpFailure FailureOf(DWORD code) {
  switch (code) {
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT:  // what Wine reports for a receive that timed out
      return HttpFailure::TimedOut;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
      return HttpFailure::Security;
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
      return HttpFailure::Address;
    case ERROR_WINHTTP_REDIRECT_FAILED:
      return HttpFailure::Redirect;
    default:
      return HttpFailure::Connection;
  }
}

const char* Reason(DWORD code) {
  switch (code) {
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT:
      return "the server did not answer in time";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return "the server name was not found";
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return "no connection to the server";
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return "the connection was reset";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return "the server's answer is not HTTP";
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
      return "not an http or https address";
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
      return "the server's certificate has expired or is not yet valid";
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
      return "the server's certificate names another host";
    case ERROR_WINHTTP_SECURE_INVALID_CA:
      return "the server's certificate is not from a trusted authority";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
      return "the secure connection failed: the server's certificate was refused";
    default:
      return "the transfer failed";
  }
}

[[noreturn]] void Fail(const std::string& url, DWORD code) {
  throw HttpError(FailureOf(code), url + ": " + Reason(code) + " (error " + std::to_string(code) + ")");
}

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

// The parts of an address that WinHTTP wants separately.
struct Target {
  bool secure = false;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring object;  // path and query, without the fragment
};

Target Crack(const std::string& url) {
  if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://"))
    throw HttpError(HttpFailure::Address, url + ": not an http or https address");
  std::wstring wide = win::Widen(url.substr(0, url.find('#')));
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts) || parts.dwHostNameLength == 0)
    throw HttpError(HttpFailure::Address, url + ": not a valid address");
  Target target;
  target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  target.port = parts.nPort;
  target.object.assign(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
  if (target.object.empty()) target.object = L"/";
  if (parts.lpszExtraInfo) target.object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  return target;
}

std::wstring QueryText(HINTERNET request, DWORD what) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size, WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size, WINHTTP_NO_HEADER_INDEX))
    return {};
  text.resize(size / sizeof(wchar_t));
  return text;
}

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// An answer whose headers have arrived and whose status is 2xx.
struct Response {
  std::string url;
  ScopedInternet connection;
  ScopedInternet request;  // closed before the connection
  StateHolder state;
  std::int64_t length = -1;  // Content-Length, -1 when the answer has none
};

// The part file beside the target, removed unless committed.
class PartFile {
 public:
  explicit PartFile(const fs::path& target) : target_(target), part_(target.native() + L".part") {
    if (GetFileAttributesW(target_.c_str()) != INVALID_FILE_ATTRIBUTES)
      throw HttpError(HttpFailure::File, win::Narrow(target_.native()) + ": the file exists already");
    file_.Reset(CreateFileW(part_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) Fail("cannot be created");
  }
  ~PartFile() {
    if (committed_) return;
    file_.Reset();
    DeleteFileW(part_.c_str());
  }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  void Write(const char* data, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(file_.Get(), data, size, &written, nullptr) || written != size) Fail("cannot be written");
  }

  // Closes the part file and gives it the target's name; a target that
  // appeared meanwhile is not replaced.
  void Commit() {
    file_.Reset();
    if (!MoveFileExW(part_.c_str(), target_.c_str(), 0)) Fail("cannot be renamed");
    committed_ = true;
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    const DWORD code = GetLastError();
    throw HttpError(HttpFailure::File,
                    win::Narrow(part_.native()) + ": " + what + " (error " + std::to_string(code) + ")");
  }

  fs::path target_;
  fs::path part_;
  ScopedFile file_;
  bool committed_ = false;
};

}  // namespace

struct HttpClient::Session {
  ScopedInternet handle;
  win::ScopedHandle abort{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  HttpTimeouts timeouts;

  bool Aborted() const { return WaitForSingleObject(abort.Get(), 0) == WAIT_OBJECT_0; }

  void ThrowIfAborted(const std::string& url) const {
    if (Aborted()) throw HttpError(HttpFailure::Aborted, url + ": the transfer was cancelled");
  }

  // Waits for the step just started on `state` to complete.
  void Wait(const std::string& url, RequestState& state, int limit) const {
    const HANDLE handles[] = {state.done.Get(), abort.Get()};
    const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(limit + kWaitMargin));
    if (woken == WAIT_OBJECT_0 + 1) ThrowIfAborted(url);
    if (woken == WAIT_TIMEOUT) Fail(url, ERROR_WINHTTP_TIMEOUT);
    if (woken != WAIT_OBJECT_0) Fail(url, GetLastError());
    if (state.completion == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) {
      ThrowIfAborted(url);
      Fail(url, state.error);
    }
  }

  // Sends the GET for `url` and waits for the answer's headers.
  void Request(Response& response, const std::string& url) const {
    const Target target = Crack(url);
    response.url = url;
    response.connection.Reset(WinHttpConnect(handle.Get(), target.host.c_str(), target.port, 0));
    if (!response.connection) Fail(url, GetLastError());
    response.request.Reset(WinHttpOpenRequest(response.connection.Get(), L"GET", target.object.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              target.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!response.request) Fail(url, GetLastError());
    HINTERNET request = response.request.Get();

    // From here the request handle owns a holder of the state, which the
    // callback frees when the handle is closed.
    response.state = std::make_shared<RequestState>();
    if (!response.state->done) Fail(url, GetLastError());
    auto* holder = new StateHolder(response.state);
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(holder);
    if (!WinHttpSetOption(request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context)) {
      const DWORD code = GetLastError();
      delete holder;
      Fail(url, code);
    }
    // Get follows redirects itself, checking each one.
    DWORD disable = WINHTTP_DISABLE_REDIRECTS;
    if (!WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &disable, sizeof disable))
      Fail(url, GetLastError());

    RequestState& state = *response.state;
    if (!WinHttpSendRequest(request, kRequestHeaders, static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0,
                            context))
      Fail(url, GetLastError());
    Wait(url, state, timeouts.resolve + timeouts.connect + timeouts.send);
    if (!WinHttpReceiveResponse(request, nullptr)) Fail(url, GetLastError());
    Wait(url, state, timeouts.receive);
  }

  Response Get(const std::string& startUrl) const {
    ThrowIfAborted(startUrl);
    std::set<std::string> visited{startUrl};
    std::string url = startUrl;
    for (int redirects = 0;; ++redirects) {
      Response response;
      Request(response, url);
      DWORD status = 0;
      DWORD size = sizeof status;
      if (!WinHttpQueryHeaders(response.request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        Fail(url, GetLastError());

      const std::string location = win::Narrow(QueryText(response.request.Get(), WINHTTP_QUERY_LOCATION));
      if (IsRedirect(status) && !location.empty()) {
        const std::string next = ResolveLink(location, url);
        if (next.empty())
          throw HttpError(HttpFailure::Redirect, url + ": redirected to an address that is not http(s)");
        if (StartsWithNoCase(url, "https:") && !StartsWithNoCase(next, "https:"))
          throw HttpError(HttpFailure::Redirect, url + ": redirected from https to http, refused");
        if (redirects == kMaxRedirects)
          throw HttpError(HttpFailure::Redirect, startUrl + ": more than " + std::to_string(kMaxRedirects) +
                                                     " redirects");
        if (!visited.insert(next).second)
          throw HttpError(HttpFailure::Redirect, startUrl + ": the redirects go round in a loop");
        url = next;
        continue;
      }
      if (status < 200 || status > 299)
        throw HttpError(HttpFailure::Status, url + ": the server answered " + std::to_string(status),
                        static_cast<int>(status));

      const std::wstring length = QueryText(response.request.Get(), WINHTTP_QUERY_CONTENT_LENGTH);
      if (!length.empty()) {
        wchar_t* end = nullptr;
        const long long value = std::wcstoll(length.c_str(), &end, 10);
        if (end != length.c_str() && value >= 0) response.length = value;
      }
      return response;
    }
  }

  // Receives the body piece by piece into `sink`, with the transfer events.
  template <typename Sink>
  void ReadBody(Response& response, const HttpEvents& events, Sink&& sink) const {
    RequestState& state = *response.state;
    std::int64_t soFar = 0;
    // With the announced length in, no read is left to wait for the end.
    while (response.length < 0 || soFar < response.length) {
      ThrowIfAborted(response.url);
      if (!WinHttpReadData(response.request.Get(), state.buffer.data(), static_cast<DWORD>(state.buffer.size()),
                           nullptr))
        Fail(response.url, GetLastError());
      Wait(response.url, state, timeouts.receive);
      if (state.bytesRead == 0) break;
      sink(state.buffer.data(), state.bytesRead);
      soFar += state.bytesRead;
      if (events.work) events.work(soFar);
    }
    if (response.length >= 0 && soFar != response.length)
      throw HttpError(HttpFailure::Connection, response.url + ": the connection closed after " +
                                                   std::to_string(soFar) + " of " +
                                                   std::to_string(response.length) + " bytes");
  }
};

HttpClient::HttpClient(HttpEvents events, HttpTimeouts timeouts)
    : session_(std::make_unique<Session>()), events_(std::move(events)) {
  session_->timeouts = timeouts;
  if (!session_->abort) Fail("WinHTTP", GetLastError());
  const std::wstring agent = win::Widen(HttpUserAgent());
  session_->handle.Reset(WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                     WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
  HINTERNET session = session_->handle.Get();
  if (!session) Fail("WinHTTP", GetLastError());
  DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  if (!WinHttpSetOption(session, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never) ||
      !WinHttpSetTimeouts(session, timeouts.resolve, timeouts.connect, timeouts.send, timeouts.receive))
    Fail("WinHTTP", GetLastError());
  const DWORD notifications = WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES;
  if (WinHttpSetStatusCallback(session, StatusCallback, notifications, 0) == WINHTTP_INVALID_STATUS_CALLBACK)
    Fail("WinHTTP", GetLastError());
}

HttpClient::~HttpClient() = default;

void HttpClient::Abort() { SetEvent(session_->abort.Get()); }

namespace {

// Calls WorkEnd when the transfer ends, however it ends.
class WorkScope {
 public:
  WorkScope(const HttpEvents& events, std::int64_t expected) : events_(events) {
    if (events_.workBegin) events_.workBegin(expected);
  }
  ~WorkScope() {
    if (events_.workEnd) events_.workEnd();
  }
  WorkScope(const WorkScope&) = delete;
  WorkScope& operator=(const WorkScope&) = delete;

 private:
  const HttpEvents& events_;
};

}  // namespace

std::string HttpClient::GetText(const std::string& url, std::size_t limit) {
  Response response = session_->Get(url);
  if (response.length > 0 && static_cast<std::uint64_t>(response.length) > limit)
    throw HttpError(HttpFailure::TooLarge, url + ": the page is larger than " + std::to_string(limit) + " bytes");
  WorkScope work(events_, response.length > 0 ? response.length : 0);
  std::string text;
  if (response.length > 0) text.reserve(static_cast<std::size_t>(response.length));
  session_->ReadBody(response, events_, [&](const char* data, DWORD size) {
    if (size > limit - text.size())
      throw HttpError(HttpFailure::TooLarge, url + ": the page is larger than " + std::to_string(limit) + " bytes");
    text.append(data, size);
  });
  return text;
}

void HttpClient::GetToFile(const std::string& url, const fs::path& target) {
  session_->ThrowIfAborted(url);
  PartFile part(target);
  Response response = session_->Get(url);
  WorkScope work(events_, response.length > 0 ? response.length : 0);
  session_->ReadBody(response, events_, [&](const char* data, DWORD size) { part.Write(data, size); });
  part.Commit();
}

}  // namespace brisko::web
