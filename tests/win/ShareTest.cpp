#include "widgets/Share.h"

#include <gtest/gtest.h>

#include <fstream>

#include "TestWindow.h"
#include "core/Files.h"
#include "widgets/Text.h"

namespace brisko {
namespace {

bool FolderExists(const std::string& path) {
  const DWORD a = GetFileAttributesW(win::Widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Folders, EndWithABackslashAndExist) {
  for (const std::string& folder : {ProgramFolder(), SystemFolder(), TempFolder()}) {
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\') << folder;
    EXPECT_TRUE(FolderExists(folder)) << folder;
  }
  EXPECT_TRUE(std::filesystem::exists(PathFromUtf8(ProgramFolder() + "share_tests.exe")));
}

// config.ini beside the test program, as the program keeps it beside itself.
class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = PathFromUtf8(ProgramFolder() + "config.ini");
    std::filesystem::remove(path_);
  }
  void TearDown() override { std::filesystem::remove(path_); }
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::filesystem::path path_;
};

TEST_F(Settings, MissingFileReadsEmptyAndAWriteCreatesIt) {
  EXPECT_EQ(ReadSetting("App", "SoundFlag"), "");
  WriteSetting("App", "SoundFlag", "1");
  EXPECT_EQ(ReadSetting("app", "soundflag"), "1");
  EXPECT_EQ(Contents(), "[App]\r\nSoundFlag=1\r\n");
}

TEST_F(Settings, WritesKeepEveryOtherLineOfTheDeliveredFile) {
  {
    std::ofstream out(path_, std::ios::binary);
    out << "[App]\r\nSoundFlag=0\r\nDelayTime=200\r\n\r\n[SaveFile]\r\nNameText=Vardel_\r\n";
  }
  WriteSetting("App", "DelayTime", "1500");
  WriteSetting("SaveFile", "FileIndexNum", "42");
  EXPECT_EQ(Contents(),
            "[App]\r\nSoundFlag=0\r\nDelayTime=1500\r\n\r\n[SaveFile]\r\nNameText=Vardel_\r\nFileIndexNum=42\r\n");
  EXPECT_EQ(ReadSetting("SaveFile", "NameText"), "Vardel_");
  EXPECT_EQ(ReadSetting("WebPath", "Folder"), "");
}

TEST_F(Settings, NonAsciiValuesRoundTrip) {
  const std::string folder = "C:\\Users\\Zo\xC3\xAB\\Bilder\\";
  WriteSetting("WebPath", "Folder", folder);
  EXPECT_EQ(ReadSetting("WebPath", "Folder"), folder);
}

TEST(DeleteFolderTree, MissingFolderGivesFalse) {
  EXPECT_FALSE(DeleteFolderTree(TempFolder() + "brisko-no-such-folder"));
}

TEST(DeleteFolderTree, RemovesAFolderWithEverythingInIt) {
  const std::string root = TempFolder() + "brisko-tree-\xE6\x9D\x8E";
  std::filesystem::create_directories(PathFromUtf8(root + "\\a\\b"));
  std::ofstream(PathFromUtf8(root + "\\a\\b\\snapshot1.bmp")) << "x";
  std::ofstream(PathFromUtf8(root + "\\top.txt")) << "y";
  EXPECT_TRUE(DeleteFolderTree(root));
  EXPECT_FALSE(FolderExists(root));
  EXPECT_FALSE(DeleteFolderTree(root));
}


TEST(ShowMessageBox, KindsOneToThreeShowTheirCaptions) {
  const wchar_t* captions[] = {L"Error", L"Warning", L"Information"};
  for (int kind = 1; kind <= 3; ++kind) {
    test::MessageBoxWatcher watcher(captions[kind - 1]);
    ShowMessageBox(kind, "Brisko says hello");
    EXPECT_TRUE(watcher.Found()) << "kind " << kind;
  }
}

TEST(ShowMessageBox, OtherKindsShowNothing) {
  const DWORD start = GetTickCount();
  ShowMessageBox(0, "nothing");
  ShowMessageBox(4, "nothing");
  EXPECT_LT(GetTickCount() - start, 1000u) << "no box waited for an answer";
}

TEST(ColorToHexRGB, ResolvesSystemColours) {
  EXPECT_EQ(ColorToHexRGB(MakeColour(0x12, 0x34, 0x56)), "123456");
  const Colour face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(ColorToHexRGB(0xFF000000u | COLOR_BTNFACE), HexRGB(face));
}

TEST(WindowTextOf, ReadsTheWholeTextOrNothing) {
  HWND titled = CreateWindowExW(0, L"STATIC", L"Zo\u00EB \u674E captured", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
  HWND untitled = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(WindowTextOf(titled), "Zo\xC3\xAB \xE6\x9D\x8E captured");
  EXPECT_EQ(WindowTextOf(untitled), "");
  DestroyWindow(titled);
  DestroyWindow(untitled);
}

TEST(FitImageInPanel, PlacesAndScalesTheViewAndKeepsFlatColours) {
  Bitmap wide(400, 100, PixelFormat::Bgr24);
  wide.Fill(MakeColour(10, 200, 30));
  ImageView view;
  int changes = 0;
  view.SetChangeHandler([&] { ++changes; });
  FitImageInPanel(view, wide, 200, 145);
  EXPECT_EQ(view.Left(), 0);
  EXPECT_EQ(view.Top(), 47);
  EXPECT_EQ(view.Width(), 200);
  EXPECT_EQ(view.Height(), 50);
  EXPECT_EQ(view.Picture().PixelAt(100, 25), MakeColour(10, 200, 30));
  EXPECT_GT(changes, 0);

  FitImageInPanel(view, Bitmap(100, 100), 200, 145);
  EXPECT_EQ(view.Left(), 50);
  EXPECT_EQ(view.Top(), 22);
  EXPECT_EQ(view.Width(), 100);
}

}  // namespace
}  // namespace brisko
