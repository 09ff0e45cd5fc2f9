#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace brisko::e2e {

// Waits until `condition` holds, pumping this thread's messages; false on
// timeout.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000);

// A copy of the built program folder in a fresh temporary folder, with a
// config.ini of the test's choosing, and BriskoCapture.exe running from it.
// The program gets a temporary folder of its own (TMP and TEMP), so the
// working files it keeps there are its alone and go with it.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& configText);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // Starts another BriskoCapture.exe from the same folder; returns its
  // process handle (the caller closes it).
  HANDLE StartAgain() const;

  // The main window, once it is visible.
  HWND MainWindow();
  DWORD ProcessId() const { return info_.dwProcessId; }
  bool WaitForExit(int milliseconds);
  const std::filesystem::path& Folder() const { return folder_; }
  // The program's temporary folder, as GetTempPath gives it there.
  const std::filesystem::path& Temp() const { return temp_; }
  std::string Setting(const std::string& section, const std::string& key) const;

  // The first child window of the main window with this text (and class,
  // when given).
  HWND Child(const std::wstring& text, const wchar_t* className = nullptr);
  std::vector<HWND> ChildrenOfClass(const wchar_t* className);
  // A top-level window of the program with this caption.
  HWND TopLevel(const std::wstring& caption) const;
  // Every top-level window of the program that is visible now.
  std::vector<HWND> VisibleTopLevels() const;
  bool HasMessageBox() const;

 private:
  std::filesystem::path folder_;
  std::filesystem::path temp_;
  PROCESS_INFORMATION info_{};
  HWND main_ = nullptr;
};

// The delivered config.ini.
std::string DeliveredConfig();
// The delivered config.ini with some values changed (keys are unique
// across its sections).
std::string ConfigWithApp(std::initializer_list<std::pair<std::string, std::string>> values);

// Real X input, through xdotool run from inside Wine (Wine starts Unix
// programs given by their Unix path). Waits for it to finish.
void Xdotool(const std::string& arguments);

// Selects the profile list's entry as a click would.
void SelectProfile(RunningProgram& program, int index);

// Presses and releases a key combination through the system's input queue.
void SendKeys(const std::vector<WORD>& modifiers, WORD key);

bool IsVisible(HWND window);

// Makes the window the foreground one and waits until it is, so that keys
// sent next reach it; false on timeout.
bool BringToFront(HWND window);

// The first child window, at any depth, of the class (and control id when
// one is given).
HWND FindChild(HWND parent, const wchar_t* className, int id = -1);

// A status bar panel's text. The bar lives in the program's process, so
// the text is fetched through memory there.
std::wstring PanelText(DWORD process, HWND statusBar, int panel);
std::wstring TextOf(HWND window);
// The platform's temporary folder, with its trailing backslash.
std::filesystem::path TempFolder();

}  // namespace brisko::e2e
