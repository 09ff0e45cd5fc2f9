// The save-file settings dialog in this process, with config.ini beside the
// test program as the program keeps it beside itself. The dialog is driven
// through the messages a user's clicks and typing produce and read back
// through its controls and the file.
#include "app/UnitImgTyle.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ProgramEnvironment.h"
#include "TestWindow.h"
#include "core/Files.h"
#include "widgets/Application.h"
#include "widgets/Share.h"
#include "widgets/Text.h"

namespace brisko {
namespace {

namespace fs = std::filesystem;

const auto* const environment = ::testing::AddGlobalTestEnvironment(new testwin::ProgramEnvironment);

using testwin::Pump;

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(parent, nullptr, className, nullptr); w; w = FindWindowExW(parent, w, className, nullptr))
    found.push_back(w);
  // Top to bottom on the screen, whatever the stacking order.
  std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  return found;
}

// Colour of a screen pixel at a point of a window's client area.
Colour ScreenColourAt(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  win::WindowDC screen;
  return GetPixel(screen.Get(), p.x, p.y);
}

// The dialog seen from outside: its controls found by class, caption and
// place, changed by the messages a click or typing sends.
class DialogUnderTest {
 public:
  DialogUnderTest() : form_(std::make_unique<TFrmImgTyle>(nullptr)) {
    form_->Show();
    Pump();
    const HWND h = form_->Handle();
    list_ = FindWindowExW(h, nullptr, L"ListBox", nullptr);
    combo_ = FindWindowExW(h, nullptr, L"ComboBox", nullptr);
    const std::vector<HWND> edits = ChildrenOfClass(h, L"Edit");
    if (edits.size() == 2) prefix_ = edits[0], folder_ = edits[1];
  }

  HWND Window() const { return form_->Handle(); }
  bool Open() const { return IsWindowVisible(Window()) != FALSE; }
  HWND Prefix() const { return prefix_; }
  HWND Folder() const { return folder_; }
  HWND Digits() const { return combo_; }

  HWND Child(const std::wstring& text) const {
    for (HWND w = GetWindow(Window(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
      if (TextOf(w) == text) return w;
    return nullptr;
  }
  bool Checked(const std::wstring& text) const { return SendMessageW(Child(text), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Click(const std::wstring& text) const { SendMessageW(Child(text), BM_CLICK, 0, 0); }
  int Format() const { return static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0)); }
  int DigitsIndex() const { return static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0)); }
  std::wstring Preview() const {
    // The label right of the prefix edit.
    RECT edit{};
    GetWindowRect(prefix_, &edit);
    for (HWND label : ChildrenOfClass(Window(), L"Static")) {
      RECT r{};
      GetWindowRect(label, &r);
      if (r.left >= edit.right && r.top < edit.bottom && r.bottom > edit.top) return TextOf(label);
    }
    return L"(no preview)";
  }

  static void Type(HWND edit, const std::wstring& text) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }

 private:
  std::unique_ptr<TFrmImgTyle> form_;
  HWND list_ = nullptr;
  HWND combo_ = nullptr;
  HWND prefix_ = nullptr;
  HWND folder_ = nullptr;
};

// config.ini beside the test program, written before each case and
// removed after it.
class ImgTyle : public ::testing::Test {
 protected:
  void SetUp() override {
    config_ = PathFromUtf8(ProgramFolder() + "config.ini");
    scratch_ = PathFromUtf8(TempFolder() + "brisko-imgtyle-test");
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
  }
  void TearDown() override {
    fs::remove(config_);
    fs::remove_all(scratch_);
  }
  void WriteConfig(const std::string& text) const { std::ofstream(config_, std::ios::binary) << text; }
  std::string Config() const {
    std::ifstream in(config_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string Scratch(const std::string& name) const { return Utf8FromPath(scratch_) + "\\" + name; }

  fs::path config_;
  fs::path scratch_;
};

const std::string kDelivered =
    "[App]\r\nSoundFlag=0\r\nOutputTo=2\r\n\r\n[SaveFile]\r\nTyleIndex=0\r\nNameIndex=0\r\nNameText=Vardel_\r\n"
    "NameNumIndex=3\r\nNameOutput=c:\\\r\nShowOption=0\r\nFileIndexNum=41\r\n";

TEST_F(ImgTyle, MissingAndOutOfRangeKeysOpenWithTheDefaultsAndTheNumberedFieldsOff) {
  WriteConfig("[SaveFile]\r\nTyleIndex=-1\r\nNameIndex=7\r\nNameNumIndex=9\r\n");
  DialogUnderTest dialog;
  EXPECT_EQ(TextOf(dialog.Window()), L"Image File");
  EXPECT_EQ(dialog.Format(), 0);
  EXPECT_TRUE(dialog.Checked(L"Ask for File Name"));
  EXPECT_EQ(TextOf(dialog.Prefix()), L"Vardel_");
  EXPECT_EQ(dialog.DigitsIndex(), 3);
  EXPECT_EQ(dialog.Preview(), L"####.BMP");
  EXPECT_EQ(TextOf(dialog.Folder()), L"c:\\");
  EXPECT_FALSE(dialog.Checked(L"Save File then Show Options"));
  for (const wchar_t* control : {L"Prefill", L"Number of digits in ", L"####.BMP"})
    EXPECT_FALSE(IsWindowEnabled(dialog.Child(control))) << win::Narrow(control);
  EXPECT_FALSE(IsWindowEnabled(dialog.Prefix()));
  EXPECT_FALSE(IsWindowEnabled(dialog.Digits()));
}

TEST_F(ImgTyle, StoredValuesOpenAndTheNumberedFieldsFollowTheRadioButtons) {
  WriteConfig("[SaveFile]\r\nTyleIndex=9\r\nNameIndex=1\r\nNameText=Pre_\r\nNameNumIndex=2\r\nNameOutput=d:\\x\\\r\n"
              "ShowOption=1\r\n");
  DialogUnderTest dialog;
  EXPECT_EQ(dialog.Format(), 9);
  EXPECT_TRUE(dialog.Checked(L"Automatic File Name of DateTime"));
  EXPECT_EQ(dialog.Preview(), L"###.ICO");
  EXPECT_EQ(TextOf(dialog.Prefix()), L"Pre_");
  EXPECT_EQ(TextOf(dialog.Folder()), L"d:\\x\\");
  EXPECT_TRUE(dialog.Checked(L"Save File then Show Options"));

  // Disabled fields are silver; with numbered names they turn white. The
  // right end of each field holds no text.
  RECT r{};
  GetClientRect(dialog.Prefix(), &r);
  const auto prefixColour = [&] { return ScreenColourAt(dialog.Prefix(), r.right - 4, r.bottom / 2); };
  EXPECT_EQ(prefixColour(), MakeColour(192, 192, 192));
  dialog.Click(L"Automatic File Name");
  Pump();
  EXPECT_TRUE(IsWindowEnabled(dialog.Prefix()));
  EXPECT_TRUE(IsWindowEnabled(dialog.Digits()));
  EXPECT_TRUE(IsWindowEnabled(dialog.Child(L"###.ICO")));
  EXPECT_EQ(prefixColour(), MakeColour(255, 255, 255));
  dialog.Click(L"Ask for File Name");
  Pump();
  EXPECT_FALSE(IsWindowEnabled(dialog.Prefix()));
  EXPECT_EQ(prefixColour(), MakeColour(192, 192, 192));
}

TEST_F(ImgTyle, ABadPrefixOrAFolderThatCannotBeMadeKeepsTheDialogOpenAndWritesNothing) {
  WriteConfig(kDelivered);
  DialogUnderTest dialog;
  dialog.Click(L"Automatic File Name");
  DialogUnderTest::Type(dialog.Prefix(), L"Shot:1");
  const std::string later = Scratch("later");
  DialogUnderTest::Type(dialog.Folder(), win::Widen(later));
  {
    test::MessageBoxWatcher box(L"Warning");
    dialog.Click(L"&Ok");
    ASSERT_TRUE(box.Found());
    EXPECT_NE(box.Text().find(L"prefix"), std::wstring::npos) << win::Narrow(box.Text());
  }
  EXPECT_TRUE(dialog.Open());
  EXPECT_EQ(Config(), kDelivered);
  EXPECT_FALSE(fs::exists(PathFromUtf8(later))) << "no folder is made for a choice that is refused";

  // A folder below a file can be made on no system.
  std::ofstream(PathFromUtf8(Scratch("file.txt"))) << "x";
  DialogUnderTest::Type(dialog.Prefix(), L"Shot_");
  DialogUnderTest::Type(dialog.Folder(), win::Widen(Scratch("file.txt\\sub\\")));
  {
    test::MessageBoxWatcher box(L"Warning");
    dialog.Click(L"&Ok");
    ASSERT_TRUE(box.Found());
    EXPECT_NE(box.Text().find(L"cannot be created"), std::wstring::npos) << win::Narrow(box.Text());
  }
  EXPECT_TRUE(dialog.Open());
  EXPECT_EQ(Config(), kDelivered);

  DialogUnderTest::Type(dialog.Folder(), win::Widen(later));
  dialog.Click(L"&Ok");
  EXPECT_FALSE(dialog.Open());
  EXPECT_EQ(ReadSetting("SaveFile", "NameText"), "Shot_");
  EXPECT_EQ(ReadSetting("SaveFile", "NameOutput"), later + "\\");
}

// Answers the folder browser from a thread of its own while the browser
// runs its loop: with a folder name typed into it and "Open", or, given no
// name, with Cancel.
class FolderBrowserAnswer {
 public:
  explicit FolderBrowserAnswer(std::wstring name)
      : thread_([this, name] {
          for (int i = 0; i < 1000 && !found_; ++i) {
            if (HWND browser = FindWindowW(L"#32770", L"Please select a folder")) {
              found_ = true;
              if (name.empty()) {
                PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
              } else {
                SetDlgItemTextW(browser, kFileNameEdit, name.c_str());
                PostMessageW(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
              }
            }
            Sleep(10);
          }
        }) {}
  ~FolderBrowserAnswer() {
    if (thread_.joinable()) thread_.join();
  }
  bool Found() {
    if (thread_.joinable()) thread_.join();
    return found_;
  }

 private:
  static constexpr int kFileNameEdit = 1152;  // edt1 of the common dialogs
  std::atomic<bool> found_{false};
  std::thread thread_;
};

TEST_F(ImgTyle, TheFolderButtonBrowsesFromTheTypedFolderAndOnlyAChoiceReplacesIt) {
  WriteConfig(kDelivered);
  fs::create_directories(PathFromUtf8(Scratch("picked")));
  DialogUnderTest dialog;
  const std::wstring start = win::Widen(Utf8FromPath(scratch_));
  DialogUnderTest::Type(dialog.Folder(), start);
  {
    FolderBrowserAnswer cancel(L"");
    dialog.Click(L"...");
    ASSERT_TRUE(cancel.Found());
  }
  EXPECT_EQ(TextOf(dialog.Folder()), start) << "cancelling changes nothing";
  {
    // A name relative to the folder the browser opened in.
    FolderBrowserAnswer choose(L"picked");
    dialog.Click(L"...");
    ASSERT_TRUE(choose.Found());
  }
  EXPECT_EQ(TextOf(dialog.Folder()), start + L"\\picked\\");
  EXPECT_TRUE(dialog.Open());
  EXPECT_EQ(Config(), kDelivered) << "nothing is written before Ok";
}

}  // namespace
}  // namespace brisko
