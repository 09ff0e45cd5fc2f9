// The save-file settings dialog as the real program opens it: "To a File"
// picked with the mouse in the main window's "Output to:" list.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ProgramDriver.h"

namespace brisko::e2e {
namespace {

namespace fs = std::filesystem;

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

HWND OutputList(RunningProgram& program) {
  for (HWND combo : program.ChildrenOfClass(L"ComboBox"))
    if (SendMessageW(combo, CB_GETCOUNT, 0, 0) == 3) return combo;
  return nullptr;
}

// The open drop-down list of a combo box of the program.
HWND DroppedList(DWORD process) {
  for (HWND w = FindWindowExW(nullptr, nullptr, L"ComboLBox", nullptr); w;
       w = FindWindowExW(nullptr, w, L"ComboLBox", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == process && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

void ClickAt(int x, int y) { Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1"); }

// Drops the list down with a click and clicks entry `index`, as a user does.
void ChooseByMouse(RunningProgram& program, HWND combo, int index) {
  RECT r{};
  GetWindowRect(combo, &r);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  HWND list = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (list = DroppedList(program.ProcessId())) != nullptr; }));
  GetWindowRect(list, &r);
  const int itemHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  ClickAt(r.left + 10, r.top + 1 + itemHeight * index + itemHeight / 2);
}

// The dialog's controls, found by caption or class as anyone can see them.
struct Dialog {
  HWND window;
  HWND Child(const std::wstring& text) const {
    for (HWND w = GetWindow(window, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
      if (TextOf(w) == text) return w;
    return nullptr;
  }
  HWND OfClass(const wchar_t* className, int nth = 0) const {
    HWND w = nullptr;
    for (int i = 0; i <= nth; ++i) w = FindWindowExW(window, w, className, nullptr);
    return w;
  }
  // The prefix edit is the upper of the two edits.
  std::pair<HWND, HWND> PrefixAndFolder() const {
    HWND a = OfClass(L"Edit", 0), b = OfClass(L"Edit", 1);
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top ? std::pair{a, b} : std::pair{b, a};
  }
  void Select(HWND control, UINT setMessage, WORD notification, int index) const {
    SendMessageW(control, setMessage, static_cast<WPARAM>(index), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), notification),
                 reinterpret_cast<LPARAM>(control));
  }
  void ChangeEverything(int format, int digits, const std::wstring& prefix, const std::wstring& folder) const {
    Select(OfClass(L"ListBox"), LB_SETCURSEL, LBN_SELCHANGE, format);
    SendMessageW(Child(L"Automatic File Name"), BM_CLICK, 0, 0);
    Select(OfClass(L"ComboBox"), CB_SETCURSEL, CBN_SELCHANGE, digits);
    const auto [prefixEdit, folderEdit] = PrefixAndFolder();
    SendMessageW(prefixEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(prefix.c_str()));
    SendMessageW(folderEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    SendMessageW(Child(L"Save File then Show Options"), BM_CLICK, 0, 0);
  }
  // Pressed without waiting for what the press does.
  void Press(const std::wstring& button) const { PostMessageW(Child(button), BM_CLICK, 0, 0); }
};

TEST(SaveFileSettings, ToAFileOpensTheDialogWhoseOkWritesEveryKeyAndWhoseCancelWritesNothing) {
  RunningProgram program(DeliveredConfig());
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  HWND output = OutputList(program);
  ASSERT_NE(output, nullptr);

  ChooseByMouse(program, output, 2);
  Dialog dialog{nullptr};
  ASSERT_TRUE(WaitFor([&] { return (dialog.window = program.TopLevel(L"Image File")) != nullptr; }));
  EXPECT_EQ(program.Setting("App", "OutputTo"), "2");
  EXPECT_EQ(DroppedList(program.ProcessId()), nullptr) << "the list has closed";
  EXPECT_FALSE(IsWindowEnabled(main)) << "modal";
  RECT d{}, m{};
  GetWindowRect(dialog.window, &d);
  GetWindowRect(main, &m);
  EXPECT_NEAR((d.left + d.right) / 2, (m.left + m.right) / 2, 2) << "centred on the main window";
  EXPECT_EQ(TextOf(dialog.Child(L"####.BMP")), L"####.BMP");

  const fs::path folder = program.Temp() / "shots";
  dialog.ChangeEverything(9, 2, L"Cap_", folder.wstring());
  EXPECT_NE(dialog.Child(L"###.ICO"), nullptr) << "the preview follows format and digits";
  dialog.Press(L"&Ok");
  ASSERT_TRUE(WaitFor([&] { return program.TopLevel(L"Image File") == nullptr; }));
  EXPECT_EQ(program.Setting("SaveFile", "TyleIndex"), "9");
  EXPECT_EQ(program.Setting("SaveFile", "NameIndex"), "2");
  EXPECT_EQ(program.Setting("SaveFile", "NameText"), "Cap_");
  EXPECT_EQ(program.Setting("SaveFile", "NameNumIndex"), "2");
  EXPECT_EQ(program.Setting("SaveFile", "NameOutput"), (folder / "").string());
  EXPECT_EQ(program.Setting("SaveFile", "ShowOption"), "1");
  EXPECT_EQ(program.Setting("SaveFile", "FileIndexNum"), "0");
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(IsWindowEnabled(main));

  // Away and back to "To a File": the dialog shows what was stored, and
  // Cancel after changing everything leaves config.ini as it was.
  ChooseByMouse(program, output, 1);
  ASSERT_TRUE(WaitFor([&] { return program.Setting("App", "OutputTo") == "1"; }));
  ChooseByMouse(program, output, 2);
  ASSERT_TRUE(WaitFor([&] { return (dialog.window = program.TopLevel(L"Image File")) != nullptr; }));
  EXPECT_NE(dialog.Child(L"###.ICO"), nullptr);
  EXPECT_EQ(TextOf(dialog.PrefixAndFolder().first), L"Cap_");
  const std::string before = FileText(program.Folder() / "config.ini");
  dialog.ChangeEverything(3, 0, L"Other_", (program.Temp() / "never").wstring());
  EXPECT_NE(dialog.Child(L"#.PNG"), nullptr);
  dialog.Press(L"&Cancel");
  ASSERT_TRUE(WaitFor([&] { return program.TopLevel(L"Image File") == nullptr; }));
  EXPECT_EQ(FileText(program.Folder() / "config.ini"), before);
  EXPECT_FALSE(fs::exists(program.Temp() / "never"));
}

}  // namespace
}  // namespace brisko::e2e
