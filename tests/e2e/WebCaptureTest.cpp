// The web capture as the real program runs it: the profile, Capture, the
// wizard filled in and "&Next >" clicked, against the test server started
// here as a Unix program. Each download lands in a fresh time-stamped folder
// under a folder of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "RemoteControls.h"
#include "TestServerProcess.h"

namespace brisko::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kWebProfile = 4;

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

class WebCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<testweb::TestServerProcess>();
    program_ = std::make_unique<RunningProgram>(DeliveredConfig());
    ASSERT_NE(program_->MainWindow(), nullptr);
    out_ = program_->Folder() / "downloads";
    fs::create_directories(out_);
  }

  void TearDown() override {
    // The shell's folder window belongs to another program; it goes too.
    for (const fs::path& folder : DownloadFolders())
      if (HWND shown = FindWindowW(nullptr, folder.filename().wstring().c_str())) PostMessageW(shown, WM_CLOSE, 0, 0);
    program_.reset();
    server_.reset();
  }

  // Picks the web profile (and "Flash" when asked) and clicks Capture.
  HWND OpenWizard(bool flash = false) {
    SelectProfile(*program_, kWebProfile);
    if (flash) ClickWindow(program_->Child(L"Flash"));
    PostMessageW(program_->Child(L"&Capture", L"Button"), BM_CLICK, 0, 0);
    HWND wizard = nullptr;
    WaitFor([&] { return (wizard = program_->TopLevel(L"Web Capture")) != nullptr && IsVisible(wizard); }, 10000);
    return wizard;
  }

  HWND AddressEdit(HWND wizard) { return FindChild(FindChild(wizard, L"ComboBox"), L"Edit"); }

  HWND FolderEdit(HWND wizard) {
    for (HWND edit : ChildrenOf(wizard, L"Edit"))
      if (GetParent(edit) != FindChild(wizard, L"ComboBox")) return edit;
    return nullptr;
  }

  HWND Button(HWND wizard, const wchar_t* caption) { return ChildWithText(wizard, L"Button", caption); }

  // Types the page and the output folder and clicks "&Next >".
  void Start(HWND wizard, const std::string& page) {
    SetText(AddressEdit(wizard), std::wstring(page.begin(), page.end()));
    SetText(FolderEdit(wizard), out_.wstring());
    ClickWindow(Button(wizard, L"&Next >"));
  }

  std::vector<fs::path> DownloadFolders() const {
    std::vector<fs::path> folders;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(out_, missing))
      if (entry.is_directory()) folders.push_back(entry.path());
    return folders;
  }

  bool WizardGone(HWND wizard, int milliseconds) {
    return WaitFor([&] { return !IsWindow(wizard) || !IsWindowVisible(wizard); }, milliseconds);
  }

  std::unique_ptr<testweb::TestServerProcess> server_;
  std::unique_ptr<RunningProgram> program_;
  fs::path out_;
};

TEST_F(WebCapture, ThePicturesOfAPageLandInATimeStampedFolderAndAMissingOneCountsAsAnError) {
  HWND wizard = OpenWizard();
  ASSERT_NE(wizard, nullptr);
  Start(wizard, "127.0.0.1:" + std::to_string(server_->Port()) + "/gallery?count=3&missing=2&slowlast=2");
  // The last picture trickles in, so the count can be read before the end.
  HWND errors = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    errors = ChildWithText(wizard, L"Static", L"1");
    return errors != nullptr;
  }, 10000)) << "\"Error Count:\" never showed 1";
  EXPECT_TRUE(WaitFor([&] { return ChildWithText(wizard, L"Static", L"2/3") != nullptr; }, 10000));
  ASSERT_TRUE(WizardGone(wizard, 15000)) << "the wizard stayed after the last file";

  const std::vector<fs::path> folders = DownloadFolders();
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(std::regex_match(folders[0].filename().string(), std::regex("[0-9]{14}")));
  const std::vector<std::string> links = Lines(FileText(folders[0] / "http.txt"));
  ASSERT_EQ(links.size(), 3u);
  EXPECT_EQ(links[1], server_->Url("/missing/gallery-2.gif"));
  for (const char* name : {"gallery-1.gif", "gallery-3.gif"}) {
    const std::string bytes = FileText(folders[0] / name);
    EXPECT_EQ(bytes.substr(0, 6), "GIF89a") << name;
    EXPECT_NE(bytes.find(name), std::string::npos) << name << " is not the file the server sent";
  }
  EXPECT_FALSE(fs::exists(folders[0] / "gallery-2.gif"));
  EXPECT_EQ(program_->Setting("WebPath", "Folder"), out_.string() + "\\");
  // The main window comes back.
  EXPECT_TRUE(WaitFor([&] { return IsVisible(program_->MainWindow()); }));
}

TEST_F(WebCapture, AnAddressNothingAnswersShowsTheErrorAndNextStaysUsable) {
  HWND wizard = OpenWizard();
  ASSERT_NE(wizard, nullptr);
  Start(wizard, "127.0.0.1:1/nothing.htm");
  EXPECT_TRUE(WaitFor([&] { return ChildWithText(wizard, L"Static", L"Please check your web page address!"); },
                      20000));
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(Button(wizard, L"&Next >")) != FALSE; }));
  EXPECT_TRUE(IsVisible(wizard));

  // A second Capture while the wizard is open opens no second one.
  PostMessageW(program_->Child(L"&Capture", L"Button"), BM_CLICK, 0, 0);
  Sleep(1000);
  int wizards = 0;
  for (HWND w : program_->VisibleTopLevels()) wizards += TextOf(w) == L"Web Capture";
  EXPECT_EQ(wizards, 1);
  ClickWindow(Button(wizard, L"&Cancel"));
  EXPECT_TRUE(WizardGone(wizard, 5000));
}

TEST_F(WebCapture, AnOutputFolderThatCannotBeMadeReportsTheListAndLeavesNextUsable) {
  HWND wizard = OpenWizard();
  ASSERT_NE(wizard, nullptr);
  // Two missing levels: only the time-stamped one is ever made.
  SetText(AddressEdit(wizard), L"127.0.0.1:" + std::to_wstring(server_->Port()) + L"/gallery?count=2");
  SetText(FolderEdit(wizard), (out_ / "not" / "there").wstring());
  ClickWindow(Button(wizard, L"&Next >"));
  ASSERT_TRUE(WaitFor([&] { return program_->HasMessageBox(); }, 20000)) << "no word about http.txt";
  EXPECT_TRUE(IsWindowEnabled(Button(wizard, L"&Next >")));
  EXPECT_TRUE(IsVisible(Button(wizard, L"&Next >"))) << "the wizard went on to its second page";
  EXPECT_EQ(server_->CountRequests("/pics/"), 0u) << "downloads started";
  EXPECT_FALSE(fs::exists(out_ / "not"));
}

TEST_F(WebCapture, CancelDuringTenThousandLinksClosesAndTheRequestsStopWithinTwoSeconds) {
  HWND wizard = OpenWizard();
  ASSERT_NE(wizard, nullptr);
  Start(wizard, "127.0.0.1:" + std::to_string(server_->Port()) + "/page/many?count=10000");
  HWND stop = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (stop = Button(wizard, L"Cancel")) != nullptr && IsVisible(stop); }, 20000));
  ASSERT_TRUE(WaitFor([&] { return server_->CountRequests("/pics/many/") >= 3; }, 20000));
  ClickWindow(stop);
  ASSERT_TRUE(WizardGone(wizard, 2000));
  Sleep(2000);
  const std::size_t settled = server_->CountRequests("/pics/many/");
  Sleep(1500);
  EXPECT_EQ(server_->CountRequests("/pics/many/"), settled) << "downloads went on after Cancel";
  EXPECT_LT(settled, 10000u);
  for (const fs::path& folder : DownloadFolders())
    for (const auto& entry : fs::directory_iterator(folder))
      EXPECT_NE(entry.path().extension(), ".part") << entry.path().string();
}

TEST_F(WebCapture, FlashModeDownloadsTheMoviesOfThePage) {
  HWND wizard = OpenWizard(true);
  ASSERT_NE(wizard, nullptr);
  Start(wizard, server_->Url("/page/flash?count=2"));
  ASSERT_TRUE(WizardGone(wizard, 20000));
  const std::vector<fs::path> folders = DownloadFolders();
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(fs::exists(folders[0] / "movie-1.swf"));
  EXPECT_TRUE(fs::exists(folders[0] / "movie-2.swf"));
}

}  // namespace
}  // namespace brisko::e2e
