#pragma once

// Starts tests/web/TestServer.py from a Windows test under Wine, as a Unix
// program, and ends it by its process id. Wine starts a Unix program from
// CreateProcess but hands back neither a process handle nor its id, so the
// server writes "PORT PID" into a ready file that the test waits for; the
// log of requests lands beside it in a folder of its own.
//
// Needs BRISKO_TEST_SERVER_SCRIPT, the server's Unix path, as a wide string.

#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace brisko::testweb {

// One request as the server logged it: the request line and its headers.
struct LoggedRequest {
  std::string line;  // "GET /path HTTP/1.1"
  std::vector<std::pair<std::string, std::string>> headers;

  // The value of the header `name` (compared without case), empty if none.
  std::string Header(std::string_view name) const {
    for (const auto& [key, value] : headers)
      if (key.size() == name.size() && _strnicmp(key.c_str(), name.data(), name.size()) == 0) return value;
    return {};
  }
  // The path of the request line, query included.
  std::string Path() const {
    const auto start = line.find(' ');
    const auto end = line.rfind(' ');
    return start == std::string::npos || end <= start ? std::string() : line.substr(start + 1, end - start - 1);
  }
};

class TestServerProcess {
 public:
  // With `tls`, the same routes are served over TLS on a second port too,
  // with a self-signed certificate for 127.0.0.1 that nobody trusts.
  explicit TestServerProcess(bool tls = false, int lifetimeSeconds = 900) {
    std::random_device random;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::filesystem::path(temp) / ("brisko-web-" + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    const std::string unixFolder = UnixPath(folder_);

    std::wstring command = L"/usr/bin/python3 \"" + std::wstring(BRISKO_TEST_SERVER_SCRIPT) + L"\" \"" +
                           Wide(unixFolder + "/requests.log") + L"\" --ready \"" + Wide(unixFolder + "/ready") +
                           L"\" --output \"" + Wide(unixFolder + "/output.txt") +
                           L"\" --lifetime " + std::to_wstring(lifetimeSeconds) + (tls ? L" --tls" : L"");
    RunUnix(command);

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
      std::ifstream ready(folder_ / "ready");
      if (ready >> port_ >> pid_ >> tlsPort_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    throw std::runtime_error("the test server did not report its port: " + ReadFile(folder_ / "output.txt"));
  }

  ~TestServerProcess() {
    try {
      if (pid_ > 0) RunUnix(L"/bin/kill " + std::to_wstring(pid_));
    } catch (const std::exception&) {
      // The server ends by itself when its lifetime is over.
    }
    // The log is still open in the server until it ends; Linux lets it go.
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  TestServerProcess(const TestServerProcess&) = delete;
  TestServerProcess& operator=(const TestServerProcess&) = delete;

  int Port() const { return port_; }
  int ProcessId() const { return pid_; }

  // "http://127.0.0.1:PORT" + path.
  std::string Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
  }

  // "https://127.0.0.1:TLSPORT" + path, and the server's certificate (PEM).
  std::string TlsUrl(std::string_view path) const {
    return "https://127.0.0.1:" + std::to_string(tlsPort_) + std::string(path);
  }
  std::string CertificatePem() const { return ReadFile(folder_ / "tls-cert.pem"); }

  std::filesystem::path LogPath() const { return folder_ / "requests.log"; }
  std::string LogText() const { return ReadFile(LogPath()); }

  // Every complete request logged so far, in the order received.
  std::vector<LoggedRequest> Requests() const {
    std::vector<LoggedRequest> requests;
    std::istringstream log(LogText());
    std::string row;
    LoggedRequest current;
    while (std::getline(log, row)) {
      if (!row.empty() && row.back() == '\r') row.pop_back();
      if (row.empty()) {
        if (!current.line.empty()) requests.push_back(std::move(current));
        current = {};
      } else if (current.line.empty()) {
        current.line = row;
      } else if (const auto colon = row.find(": "); colon != std::string::npos) {
        current.headers.emplace_back(row.substr(0, colon), row.substr(colon + 2));
      }
    }
    return requests;
  }

  // How many requests asked for a path that starts with `prefix`.
  std::size_t CountRequests(std::string_view prefix) const {
    std::size_t count = 0;
    for (const LoggedRequest& request : Requests())
      if (request.Path().rfind(prefix, 0) == 0) ++count;
    return count;
  }

  // Starts a Unix program (absolute path first). Wine gives back no handle
  // for it, so there is nothing to wait on: the program runs on its own.
  static void RunUnix(std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      throw std::runtime_error("could not start a Unix program");
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
  }

  // The Unix path of a Windows path, as Wine maps it.
  static std::string UnixPath(const std::filesystem::path& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) throw std::runtime_error("not running under Wine");
    char* unix = toUnix(path.c_str());
    if (!unix) throw std::runtime_error("no Unix path for " + path.string());
    std::string text(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
  }

 private:
  static std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
  }

  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path folder_;
  int port_ = 0;
  int pid_ = 0;
  int tlsPort_ = 0;
};

}  // namespace brisko::testweb
