#include "ProgramDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "core/Files.h"
#include "core/Ini.h"

namespace brisko::e2e {

namespace fs = std::filesystem;

namespace {

fs::path TestProgramFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  // The test runs from <build>/tests/e2e; the program folder is <build>/program.
  return fs::path(path).parent_path().parent_path().parent_path() / "program";
}

struct Search {
  DWORD process;
  std::wstring text;
  const wchar_t* className;
  HWND found;
};

bool ClassIs(HWND w, const wchar_t* className) {
  if (!className) return true;
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  return lstrcmpiW(name, className) == 0;
}

// This process's environment with TMP and TEMP naming `temp`, as a block
// for CreateProcess: NUL-separated entries, sorted by name as Windows
// wants them, ending in an empty one.
std::wstring EnvironmentWithTemp(const std::wstring& temp) {
  std::vector<std::wstring> entries{L"TEMP=" + temp, L"TMP=" + temp};
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1)
      if (_wcsnicmp(entry, L"TMP=", 4) != 0 && _wcsnicmp(entry, L"TEMP=", 5) != 0) entries.emplace_back(entry);
    FreeEnvironmentStringsW(strings);
  }
  std::sort(entries.begin(), entries.end(),
            [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
  std::wstring block;
  for (const std::wstring& entry : entries) block.append(entry).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

}  // namespace

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
  }
}

std::string DeliveredConfig() {
  std::ifstream in(TestProgramFolder() / "config.ini", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

fs::path TempFolder() {
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, path);
  return fs::path(path);
}

RunningProgram::RunningProgram(const std::string& configText) {
  std::random_device random;
  folder_ = TempFolder() / ("brisko-e2e-" + std::to_string(random()));
  fs::create_directories(folder_ / "help");
  const fs::path source = TestProgramFolder();
  for (const char* file : {"BriskoCapture.exe", "Lumeral.dll", "BriskoCapture.dll"})
    fs::copy_file(source / file, folder_ / file);
  fs::copy_file(source / "help" / "index.htm", folder_ / "help" / "index.htm");
  std::ofstream(folder_ / "config.ini", std::ios::binary) << configText;
  temp_ = folder_ / "temp" / "";
  fs::create_directories(temp_);
  info_.hProcess = StartAgain();
  if (!info_.hProcess) throw std::runtime_error("BriskoCapture.exe did not start");
  info_.dwProcessId = GetProcessId(info_.hProcess);
}

HANDLE RunningProgram::StartAgain() const {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + (folder_ / "BriskoCapture.exe").wstring() + L"\"";
  std::wstring environment = EnvironmentWithTemp(temp_.wstring());
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      environment.data(), folder_.c_str(), &startup, &info))
    return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}

RunningProgram::~RunningProgram() {
  if (info_.hProcess) {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
  }
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

HWND RunningProgram::MainWindow() {
  if (main_ && IsWindow(main_)) return main_;
  WaitFor([this] {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"TFrmMain", nullptr)) != nullptr) {
      DWORD process = 0;
      GetWindowThreadProcessId(w, &process);
      if (process == info_.dwProcessId && IsWindowVisible(w)) {
        main_ = w;
        return true;
      }
    }
    return false;
  }, 15000);
  return main_;
}

bool BringToFront(HWND window) {
  return WaitFor([&] {
    SetForegroundWindow(window);
    return GetForegroundWindow() == window;
  });
}

bool RunningProgram::WaitForExit(int milliseconds) {
  return WaitForSingleObject(info_.hProcess, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
}

std::string RunningProgram::Setting(const std::string& section, const std::string& key) const {
  return ReadIniValue(folder_ / "config.ini", section, key);
}

HWND RunningProgram::Child(const std::wstring& text, const wchar_t* className) {
  Search search{info_.dwProcessId, text, className, nullptr};
  EnumChildWindows(
      MainWindow(),
      [](HWND w, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (TextOf(w) == s->text && ClassIs(w, s->className)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> RunningProgram::ChildrenOfClass(const wchar_t* className) {
  struct Collect {
    const wchar_t* className;
    std::vector<HWND> found;
  } collect{className, {}};
  EnumChildWindows(
      MainWindow(),
      [](HWND w, LPARAM param) -> BOOL {
        auto* c = reinterpret_cast<Collect*>(param);
        if (ClassIs(w, c->className)) c->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&collect));
  return collect.found;
}

std::vector<HWND> RunningProgram::VisibleTopLevels() const {
  struct Visible {
    DWORD process;
    std::vector<HWND> windows;
  } visible{info_.dwProcessId, {}};
  EnumWindows(
      [](HWND w, LPARAM param) -> BOOL {
        auto* v = reinterpret_cast<Visible*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == v->process && IsWindowVisible(w)) v->windows.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&visible));
  return visible.windows;
}

HWND RunningProgram::TopLevel(const std::wstring& caption) const {
  Search search{info_.dwProcessId, caption, nullptr, nullptr};
  EnumWindows(
      [](HWND w, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == s->process && TextOf(w) == s->text && IsWindowVisible(w)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool RunningProgram::HasMessageBox() const {
  Search search{info_.dwProcessId, L"", L"#32770", nullptr};
  EnumWindows(
      [](HWND w, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == s->process && ClassIs(w, s->className) && IsWindowVisible(w)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr;
}

std::string ConfigWithApp(std::initializer_list<std::pair<std::string, std::string>> values) {
  std::string config = DeliveredConfig();
  for (const auto& [key, value] : values) {
    const std::string line = "\n" + key + "=";
    const auto at = config.find(line) + 1;
    const auto end = config.find('\r', at);
    config.replace(at, end - at, key + "=" + value);
  }
  return config;
}

void Xdotool(const std::string& arguments) {
  std::wstring command = L"/usr/bin/xdotool " + std::wstring(arguments.begin(), arguments.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    throw std::runtime_error("xdotool could not be started");
  WaitForSingleObject(info.hProcess, 10000);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  // Let the X events reach the program before the next step.
  WaitFor([] { return false; }, 150);
}

void SelectProfile(RunningProgram& program, int index) {
  HWND list = program.ChildrenOfClass(L"ListBox").at(0);
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

void SendKeys(const std::vector<WORD>& modifiers, WORD key) {
  std::vector<INPUT> inputs;
  auto add = [&](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  for (WORD m : modifiers) add(m, false);
  add(key, false);
  add(key, true);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) add(*m, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool IsVisible(HWND window) { return window && IsWindowVisible(window); }

std::wstring TextOf(HWND window) {
  // WM_GETTEXT, not GetWindowText: the controls belong to another process.
  wchar_t text[256] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
  return text;
}

HWND FindChild(HWND parent, const wchar_t* className, int id) {
  struct Search {
    const wchar_t* className;
    int id;
    HWND found;
  } search{className, id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        if (lstrcmpiW(name, s->className) == 0 && (s->id < 0 || GetDlgCtrlID(w) == s->id)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A status bar panel's text. The bar lives in the program's process, so
// the text is fetched through memory there.
std::wstring PanelText(DWORD process, HWND statusBar, int panel) {
  HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
  if (!target) return L"?";
  constexpr SIZE_T kBytes = 1024;
  void* remote = VirtualAllocEx(target, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
  wchar_t text[kBytes / sizeof(wchar_t)] = {};
  if (remote) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(statusBar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(remote),
                        SMTO_ABORTIFHUNG, 2000, &ignored);
    ReadProcessMemory(target, remote, text, kBytes - sizeof(wchar_t), nullptr);
    VirtualFreeEx(target, remote, 0, MEM_RELEASE);
  }
  CloseHandle(target);
  return text;
}

}  // namespace brisko::e2e
