#include "core/Ini.h"

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "core/Files.h"

namespace brisko {
namespace {

TEST(IniRead, SectionsAndKeysIgnoreCaseAndBlanks) {
  const IniDocument doc("[App]\r\n  SoundFlag = 1 \r\n[ SaveFile ]\nNameText=\"Vardel_\"\n");
  EXPECT_EQ(doc.Read("app", "soundflag"), "1");
  EXPECT_EQ(doc.Read("SAVEFILE", "NameText"), "Vardel_");
  EXPECT_EQ(doc.Read("App", "NameText"), "") << "keys belong to their own section";
}

TEST(IniRead, MissingPiecesReadAsEmptyText) {
  const IniDocument doc("[App]\nDelayTime=200\n");
  EXPECT_EQ(doc.Read("Web", "Folder"), "");
  EXPECT_EQ(doc.Read("App", "HotKey"), "");
  EXPECT_EQ(IniDocument("").Read("App", "x"), "");
}

TEST(IniRead, FirstSectionAndFirstKeyWinAndCommentsNeverMatch) {
  const IniDocument doc("[A]\n;k=comment\nk=first\nk=second\n[a]\nk=third\n");
  EXPECT_EQ(doc.Read("A", "k"), "first");
  EXPECT_EQ(doc.Read("A", ";k"), "");
}

TEST(IniRead, ValueMayContainEqualsSignsAndKeepsInnerQuotes) {
  const IniDocument doc("[W]\nurl=http://x.example/?a=b\nq='it\"s'\nh=\"only one\n");
  EXPECT_EQ(doc.Read("W", "url"), "http://x.example/?a=b");
  EXPECT_EQ(doc.Read("W", "q"), "it\"s");
  EXPECT_EQ(doc.Read("W", "h"), "\"only one");
}

TEST(IniWrite, ReplacesOnlyTheLineConcerned) {
  IniDocument doc("; delivered settings\r\n[App]\r\nSoundFlag=0\r\nDelayTime=200\r\n\r\n[SaveFile]\r\nTyleIndex=0\r\n");
  doc.Write("app", "DELAYTIME", "450");
  EXPECT_EQ(doc.Text(),
            "; delivered settings\r\n[App]\r\nSoundFlag=0\r\nDelayTime=450\r\n\r\n[SaveFile]\r\nTyleIndex=0\r\n");
}

TEST(IniWrite, NewKeyJoinsTheEndOfItsSectionBeforeTheBlankLines) {
  IniDocument doc("[App]\nSoundFlag=0\n\n[SaveFile]\nTyleIndex=0\n");
  doc.Write("App", "HotKey", "Ctrl+Alt+F12");
  EXPECT_EQ(doc.Text(), "[App]\r\nSoundFlag=0\r\nHotKey=Ctrl+Alt+F12\r\n\r\n[SaveFile]\r\nTyleIndex=0\r\n");
}

TEST(IniWrite, NewSectionIsAppended) {
  IniDocument doc("[App]\nSoundFlag=0");
  doc.Write("WebPath", "Folder", "c:\\");
  EXPECT_EQ(doc.Read("WebPath", "Folder"), "c:\\");
  EXPECT_EQ(doc.Text(), "[App]\r\nSoundFlag=0\r\n[WebPath]\r\nFolder=c:\\\r\n");
}

TEST(IniWrite, ByteOrderMarkSurvives) {
  IniDocument doc("\xEF\xBB\xBF[App]\nx=1\n");
  EXPECT_EQ(doc.Read("App", "x"), "1");
  doc.Write("App", "x", "2");
  EXPECT_EQ(doc.Text(), "\xEF\xBB\xBF[App]\r\nx=2\r\n");
}

TEST(IniFile, MissingFileReadsEmptyAndFirstWriteCreatesIt) {
  TempFolder dir;
  const auto file = dir.Path() / "config.ini";
  EXPECT_EQ(ReadIniValue(file, "App", "SoundFlag"), "");
  WriteIniValue(file, "App", "SoundFlag", "1");
  WriteIniValue(file, "SaveFile", "NameText", "Vardel_");
  WriteIniValue(file, "App", "SoundFlag", "0");
  EXPECT_EQ(ReadIniValue(file, "App", "SoundFlag"), "0");
  EXPECT_EQ(ReadIniValue(file, "SaveFile", "NameText"), "Vardel_");
  EXPECT_EQ(dir.FileCount(), 1) << "no temporary file may be left beside config.ini";
}

TEST(IniFile, SeveralValuesGoInOneWriteAndTheRestStaysAsItWas) {
  TempFolder dir;
  const auto file = dir.Path() / "config.ini";
  const std::string_view before = "[App]\r\nx=1\r\n";
  WriteFileAtomically(file, std::span(reinterpret_cast<const std::uint8_t*>(before.data()), before.size()));
  WriteIniValues(file, "SaveFile", {{"TyleIndex", "9"}, {"NameOutput", "D:\\Shots\\"}, {"TyleIndex", "3"}});
  const std::vector<std::uint8_t> bytes = ReadFileBytes(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "[App]\r\nx=1\r\n[SaveFile]\r\nTyleIndex=3\r\nNameOutput=D:\\Shots\\\r\n")
      << "a key given twice ends with its last value";
  EXPECT_EQ(dir.FileCount(), 1) << "no temporary file may be left beside config.ini";
}

TEST(SettingsLocation, AWritableProgramFolderKeepsTheDeliveredFile) {
  TempFolder dir;
  const auto delivered = dir.Path() / "program" / "config.ini";
  const auto perUser = dir.Path() / "user" / "Brisko Capture" / "config.ini";
  EXPECT_EQ(SettingsFileLocation(delivered, perUser, true), delivered);
  EXPECT_FALSE(std::filesystem::exists(perUser));
}

TEST(SettingsLocation, AReadOnlyProgramFolderUsesAPerUserCopySeededOnce) {
  TempFolder dir;
  std::filesystem::create_directories(dir.Path() / "program");
  const auto delivered = dir.Path() / "program" / "config.ini";
  const auto perUser = dir.Path() / "user" / "Brisko Capture" / "config.ini";
  WriteIniValue(delivered, "App", "DelayTime", "200");
  ASSERT_EQ(SettingsFileLocation(delivered, perUser, false), perUser);
  EXPECT_EQ(ReadIniValue(perUser, "App", "DelayTime"), "200") << "seeded from the delivered file";
  WriteIniValue(perUser, "App", "DelayTime", "900");
  // A later start keeps the user's copy and its changes.
  ASSERT_EQ(SettingsFileLocation(delivered, perUser, false), perUser);
  EXPECT_EQ(ReadIniValue(perUser, "App", "DelayTime"), "900");
  EXPECT_EQ(ReadIniValue(delivered, "App", "DelayTime"), "200");
}

}  // namespace
}  // namespace brisko
