// The real BriskoCapture.exe, started from a copy of its program folder and
// driven from outside with window messages and system input.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>

#include "ProgramDriver.h"

namespace brisko::e2e {
namespace {

namespace fs = std::filesystem;

std::string ConfigWith(const std::string& section, const std::string& key, const std::string& value) {
  std::string config = DeliveredConfig();
  const std::string line = key + "=";
  const auto at = config.find("\n" + line);
  if (at != std::string::npos) {
    const auto end = config.find('\n', at + 1);
    config.replace(at + 1, end - at - 1, line + value + "\r");
  } else {
    config += "[" + section + "]\r\n" + line + value + "\r\n";
  }
  return config;
}

// Presses a control the way a click does, without waiting for what the
// click opens.
void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

TEST(MainWindow, IsTheBorderlessApplicationWindowWithoutATaskBarButton) {
  RunningProgram program(DeliveredConfig());
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(TextOf(main), L"Brisko Capture");
  RECT client{};
  GetClientRect(main, &client);
  const int dpi = static_cast<int>(GetDpiForWindow(main));
  EXPECT_EQ(client.right, MulDiv(549, dpi, 96));
  EXPECT_EQ(client.bottom, MulDiv(360, dpi, 96));
  EXPECT_EQ(GetWindowLongPtrW(main, GWL_STYLE) & WS_CAPTION, 0);
  HWND owner = GetWindow(main, GW_OWNER);
  ASSERT_NE(owner, nullptr) << "the application window owns the main window";
  EXPECT_TRUE(GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(IsWindowVisible(owner));
  // Aware of each monitor's DPI, so grabs are in physical pixels and never
  // come out scaled or cut.
  EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(main)),
            DPI_AWARENESS_PER_MONITOR_AWARE);
}

TEST(MainWindow, ItsControlsCarryTheirHintsOnceItShows) {
  RunningProgram program(DeliveredConfig());
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  // The tool tips are made just after the window shows.
  HWND tips = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
      if (GetWindow(w, GW_OWNER) == main) tips = w;
    return tips != nullptr;
  }));
  // Capture, Settings, Open, minimise, close, the logo, the three shapes and
  // the hotkey button.
  EXPECT_GE(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 10);
}

TEST(SecondStart, EndsAtOnceAndBringsTheHiddenFirstInstanceBack) {
  RunningProgram program(DeliveredConfig());
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  Click(program.Child(L"Minimize"));
  ASSERT_TRUE(WaitFor([&] { return !IsVisible(main); }));
  Sleep(300);
  ASSERT_FALSE(IsVisible(main)) << "hidden to the notification area it stays hidden";

  HANDLE second = program.StartAgain();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(WaitForSingleObject(second, 5000), WAIT_OBJECT_0) << "a second start ends at once";
  DWORD code = 1;
  GetExitCodeProcess(second, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(second);
  EXPECT_TRUE(WaitFor([&] { return IsVisible(main); })) << "the first instance came forward";
}

TEST(SecondStart, ALeftPressOnTheTrayIconShowsTheProgram) {
  RunningProgram program(DeliveredConfig());
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  Click(program.Child(L"Minimize"));
  ASSERT_TRUE(WaitFor([&] { return !IsVisible(main); }));
  // The notification area reports a press by the icon's callback message.
  PostMessageW(main, WM_APP + 0x100, 1, WM_LBUTTONDOWN);
  EXPECT_TRUE(WaitFor([&] { return IsVisible(main); }));
}

TEST(Settings, AreWrittenTheMomentTheyChange) {
  RunningProgram program(DeliveredConfig());
  ASSERT_NE(program.MainWindow(), nullptr);
  HWND sound = program.Child(L"Play Sound ");
  HWND cursor = program.Child(L"Include Cursor");
  ASSERT_NE(sound, nullptr);
  ASSERT_NE(cursor, nullptr);

  SendMessageW(sound, BM_CLICK, 0, 0);
  EXPECT_EQ(program.Setting("App", "SoundFlag"), "1");
  SendMessageW(sound, BM_CLICK, 0, 0);
  EXPECT_EQ(program.Setting("App", "SoundFlag"), "0");
  SendMessageW(cursor, BM_CLICK, 0, 0);
  EXPECT_EQ(program.Setting("App", "CursorFlag"), "1");

  HWND delay = program.Child(L"200", L"Edit");
  ASSERT_NE(delay, nullptr);
  SendMessageW(delay, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1500"));
  EXPECT_EQ(program.Setting("App", "DelayTime"), "1500");

  const auto combos = program.ChildrenOfClass(L"ComboBox");
  HWND output = nullptr;
  for (HWND c : combos)
    if (SendMessageW(c, CB_GETCOUNT, 0, 0) == 3) output = c;
  ASSERT_NE(output, nullptr);
  SendMessageW(output, CB_SETCURSEL, 1, 0);
  SendMessageW(GetParent(output), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(output), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(output));
  EXPECT_EQ(program.Setting("App", "OutputTo"), "1");
  EXPECT_EQ(program.Setting("App", "DelayTime"), "1500") << "other keys are kept";
}

TEST(Settings, GarbageValuesStartWithoutAnErrorBoxAndTheRestStillLoads) {
  std::string garbage = DeliveredConfig();
  for (auto [key, value] : {std::pair{"SoundFile", "loud"}, {"DelayTime", "soon"}, {"BackgroundColor", "clPink"},
                            {"CursorFlag", "1"}, {"MenuTime", "7000"}}) {
    const std::string line = std::string(key) + "=";
    const auto at = garbage.find(line);
    const auto end = garbage.find('\r', at);
    garbage.replace(at, end - at, line + value);
  }
  RunningProgram program(garbage);
  ASSERT_NE(program.MainWindow(), nullptr);
  Sleep(1000);
  EXPECT_FALSE(program.HasMessageBox());
  HWND cursor = program.Child(L"Include Cursor");
  EXPECT_EQ(SendMessageW(cursor, BM_GETCHECK, 0, 0), BST_CHECKED) << "settings after the bad one are read";
  EXPECT_NE(program.Child(L"200", L"Edit"), nullptr) << "a bad delay reads as its initial value";
  EXPECT_NE(program.Child(L"7000", L"Edit"), nullptr);
}

TEST(Settings, ShowingTheMainWindowWritesNothingBack) {
  // Out of the edit's range: the edit shows its minimum, the file keeps
  // what it had until the user changes the delay.
  RunningProgram program(ConfigWith("App", "DelayTime", "50"));
  ASSERT_NE(program.MainWindow(), nullptr);
  EXPECT_TRUE(WaitFor([&] { return program.Child(L"200", L"Edit") != nullptr; }));
  Sleep(300);
  EXPECT_EQ(program.Setting("App", "DelayTime"), "50");
  EXPECT_EQ(program.Setting("App", "MenuTime"), "4000");
}

TEST(Profiles, MenuTimeEditCoversTheDelayEditOnlyForWindowObjectWithMenuTime) {
  RunningProgram program(DeliveredConfig());
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  HWND delay = program.Child(L"200", L"Edit");
  HWND menuTime = program.Child(L"4000", L"Edit");
  ASSERT_NE(delay, nullptr);
  ASSERT_NE(menuTime, nullptr);
  RECT a{}, b{};
  GetWindowRect(delay, &a);
  GetWindowRect(menuTime, &b);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.top, b.top);
  EXPECT_TRUE(IsVisible(delay));
  EXPECT_FALSE(IsVisible(menuTime));

  auto selectProfile = [&](int index) { SelectProfile(program, index); };
  selectProfile(1);
  SendMessageW(program.Child(L"Menu Time"), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsVisible(menuTime));
  EXPECT_FALSE(IsVisible(delay));
  selectProfile(0);
  EXPECT_TRUE(IsVisible(delay)) << "another profile shows the delay edit";
  EXPECT_FALSE(IsVisible(menuTime));
  selectProfile(1);
  EXPECT_TRUE(IsVisible(menuTime)) << "the mode is remembered";
  SendMessageW(program.Child(L"Windows"), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsVisible(delay));
}

TEST(Hotkey, FiresOnItsCombinationAndAfterTheDialogOnlyOnTheNewOne) {
  // Full-screen captures to the clipboard end by themselves.
  std::string config = ConfigWith("App", "HotKey", "Ctrl+Alt+F12");
  config.replace(config.find("OutputTo=0"), 10, "OutputTo=1");
  RunningProgram program(config);
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  SelectProfile(program, 3);
  EXPECT_NE(program.Child(L"Ctrl+Alt+F12", L"Edit"), nullptr) << "the stored text is shown";
  Sleep(300);
  SendKeys({VK_CONTROL, VK_MENU}, VK_F12);
  ASSERT_TRUE(WaitFor([&] { return !IsVisible(main); }, 3000)) << "the hotkey starts a capture";
  ASSERT_TRUE(WaitFor([&] { return IsVisible(main); }, 5000));

  // Change it in the dialog to Ctrl+Shift+P.
  Click(program.Child(L"...", L"Button"));
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = program.TopLevel(L"Hotkey Setting")) != nullptr; }));
  auto child = [&](const wchar_t* text) {
    HWND found = nullptr;
    for (HWND w = GetWindow(dialog, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
      if (TextOf(w) == text) found = w;
    return found;
  };
  EXPECT_EQ(SendMessageW(child(L"CTRL"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(child(L"ALT"), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageW(child(L"ALT"), BM_CLICK, 0, 0);
  SendMessageW(child(L"SHIFT"), BM_CLICK, 0, 0);
  HWND keys = FindWindowExW(dialog, nullptr, L"ComboBox", nullptr);
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(SendMessageW(keys, CB_GETCURSEL, 0, 0), 47) << "F12 is chosen when the dialog opens";
  SendMessageW(keys, CB_SETCURSEL, 15, 0);  // "P"
  Click(child(L"&Ok"));
  ASSERT_TRUE(WaitFor([&] { return program.TopLevel(L"Hotkey Setting") == nullptr; }));
  EXPECT_EQ(program.Setting("App", "HotKey"), "Ctrl+Shift+P");
  EXPECT_TRUE(WaitFor([&] { return program.Child(L"Ctrl+Shift+P", L"Edit") != nullptr; }));

  SetForegroundWindow(main);
  SendKeys({VK_CONTROL, VK_MENU}, VK_F12);
  Sleep(1500);
  EXPECT_TRUE(IsVisible(main)) << "the old combination no longer captures";
  SendKeys({VK_CONTROL, VK_SHIFT}, 'P');
  EXPECT_TRUE(WaitFor([&] { return !IsVisible(main); }, 3000)) << "the new one does";
}

TEST(Exit, RemovesTheTempFolderAndTheWorkingBitmaps) {
  RunningProgram program(DeliveredConfig());
  ASSERT_NE(program.MainWindow(), nullptr);
  const fs::path temp = program.Temp();
  ASSERT_TRUE(fs::is_directory(temp / "Temp")) << "made at start";
  std::ofstream(temp / "Temp" / "Brisko.bmp") << "x";
  std::ofstream(temp / "temp.bmp") << "x";
  std::ofstream(temp / "tempNew.bmp") << "x";
  Click(program.Child(L"Close"));
  ASSERT_TRUE(program.WaitForExit(10000));
  EXPECT_FALSE(fs::exists(temp / "Temp"));
  EXPECT_FALSE(fs::exists(temp / "temp.bmp"));
  EXPECT_FALSE(fs::exists(temp / "tempNew.bmp"));
}

TEST(Exit, EndingAnotherWayKeepsTheTempFolderButNotTheWorkingBitmaps) {
  RunningProgram program(DeliveredConfig());
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  const fs::path temp = program.Temp();
  std::ofstream(temp / "temp.bmp") << "x";
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitForExit(10000));
  EXPECT_TRUE(fs::is_directory(temp / "Temp"));
  EXPECT_FALSE(fs::exists(temp / "temp.bmp"));
}

}  // namespace
}  // namespace brisko::e2e
