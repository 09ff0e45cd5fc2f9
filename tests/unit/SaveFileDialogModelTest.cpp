#include "app/SaveFileDialogModel.h"

#include <gtest/gtest.h>

#include <map>

#include "TempFolder.h"
#include "core/Files.h"

namespace brisko {
namespace {

SaveFileSettings Read(const std::map<std::string, std::string, std::less<>>& keys) {
  return SaveFileSettingsFrom([&](std::string_view key) {
    const auto found = keys.find(key);
    return found == keys.end() ? std::string() : found->second;
  });
}

std::vector<std::string> KeyNames(const IniValues& keys) {
  std::vector<std::string> names;
  for (const auto& [key, value] : keys) names.push_back(key);
  return names;
}

std::string ValueOf(const IniValues& keys, std::string_view name) {
  for (const auto& [key, value] : keys)
    if (key == name) return value;
  return "(not written)";
}

TEST(SaveFileDialogOpening, PreviewShowsTheStoredFormatAndDigitsOrTheDefaults) {
  EXPECT_EQ(OpeningPreview(Read({})), "####.BMP");
  EXPECT_EQ(OpeningPreview(Read({{"TyleIndex", "9"}, {"NameNumIndex", "0"}})), "#.ICO");
  // Out of range or not a number: the defaults, never ten "#".
  EXPECT_EQ(OpeningPreview(Read({{"TyleIndex", "-1"}, {"NameNumIndex", "9"}})), "####.BMP");
  EXPECT_EQ(OpeningPreview(Read({{"TyleIndex", "4x"}, {"NameNumIndex", "two"}})), "####.BMP");
}

TEST(SaveFileDialogPreview, FormatAndDigitsEachReplaceTheirOwnPart) {
  const auto entries = SaveFormatEntries();
  ASSERT_EQ(entries.size(), 10u);
  const char* extensions[] = {"BMP", "JPG", "PCX", "PNG", "TIF", "GIF", "TGA", "WMF", "EMF", "ICO"};
  for (std::size_t i = 0; i < entries.size(); ++i)
    EXPECT_EQ(PreviewAfterFormat(kPreviewAtStart, entries[i]), std::string("####.") + extensions[i]) << entries[i];

  // ICO, then three digits: "###.ICO".
  EXPECT_EQ(PreviewAfterDigits(PreviewAfterFormat(kPreviewAtStart, entries[9]), 2), "###.ICO");
  // The other order gives the same, and a later change keeps the other part.
  const std::string fiveDigits = PreviewAfterDigits(kPreviewAtStart, 4);
  EXPECT_EQ(fiveDigits, "#####.BMP");
  EXPECT_EQ(PreviewAfterFormat(fiveDigits, entries[3]), "#####.PNG");
  EXPECT_EQ(PreviewAfterDigits("#####.PNG", 0), "#.PNG");
}

SaveFileSettings Chosen(int nameIndex) {
  SaveFileSettings s;
  s.typeIndex = 3;
  s.nameIndex = nameIndex;
  s.nameText = "Shot_";
  s.digitsIndex = 1;
  s.nameOutput = "D:\\Shots";
  s.showOptions = true;
  s.fileIndex = 77;
  return s;
}

TEST(SaveFileDialogOk, NumberedNamesWriteEveryKeyInOrderWithTheFolderEndingInABackslash) {
  const SaveFileOk ok = CheckSaveFileChoice(Chosen(kNumberedName));
  ASSERT_EQ(ok.problem, "");
  const std::vector<std::string> order = {"TyleIndex",    "NameIndex",  "NameText",
                                          "NameNumIndex", "NameOutput", "ShowOption"};
  EXPECT_EQ(KeyNames(ok.keys), order);
  EXPECT_EQ(ValueOf(ok.keys, "TyleIndex"), "3");
  EXPECT_EQ(ValueOf(ok.keys, "NameIndex"), "2");
  EXPECT_EQ(ValueOf(ok.keys, "NameText"), "Shot_");
  EXPECT_EQ(ValueOf(ok.keys, "NameNumIndex"), "1");
  EXPECT_EQ(ValueOf(ok.keys, "NameOutput"), "D:\\Shots\\");
  EXPECT_EQ(ok.folder, "D:\\Shots\\");
  EXPECT_EQ(ValueOf(ok.keys, "ShowOption"), "1");
}

TEST(SaveFileDialogOk, OtherNamingsLeaveThePrefixAndDigitsAndNoneTouchesTheRunningNumber) {
  for (int naming : {kAskForName, kDateTimeName}) {
    SaveFileSettings s = Chosen(naming);
    s.nameText = "bad:prefix";  // not written, so not judged
    const SaveFileOk ok = CheckSaveFileChoice(s);
    ASSERT_EQ(ok.problem, "") << naming;
    EXPECT_EQ(KeyNames(ok.keys), (std::vector<std::string>{"TyleIndex", "NameIndex", "NameOutput", "ShowOption"}));
    EXPECT_EQ(ValueOf(ok.keys, "NameIndex"), std::to_string(naming));
  }
  EXPECT_EQ(ValueOf(CheckSaveFileChoice(Chosen(kNumberedName)).keys, "FileIndexNum"), "(not written)");
  SaveFileSettings off = Chosen(kAskForName);
  off.showOptions = false;
  EXPECT_EQ(ValueOf(CheckSaveFileChoice(off).keys, "ShowOption"), "0");
}

TEST(SaveFileDialogOk, APrefixNoFileNameMayHoldKeepsTheDialogOpen) {
  for (char c : std::string("\\/:*?\"<>|\t")) {
    SaveFileSettings s = Chosen(kNumberedName);
    s.nameText = std::string("Shot") + c;
    const SaveFileOk ok = CheckSaveFileChoice(s);
    EXPECT_NE(ok.problem.find("prefix"), std::string::npos) << "character " << int(c);
    EXPECT_TRUE(ok.keys.empty());
  }
  SaveFileSettings empty = Chosen(kNumberedName);
  empty.nameText.clear();
  EXPECT_NE(CheckSaveFileChoice(empty).problem, "") << "an empty prefix would read back as Vardel_";
}

TEST(SaveFileDialogOk, OnlyAFullFolderPathIsAccepted) {
  const std::map<std::string, bool> folders = {
      {"C:\\", true},          {"c:", true},           {"D:\\Shots\\2024", true}, {"\\\\server\\share\\x", true},
      {"E:/Shots/", true},     {"", false},            {"Shots", false},          {"\\Shots", false},
      {"C:Shots", false},      {"C:\\Sh*ts\\", false}, {"C:\\a\\b:c", false},     {"C:\\what?\\", false},
      {"C:\\a|b", false},      {"C:\\\"x\"", false},   {"C:\\<x>", false},
  };
  for (const auto& [folder, good] : folders) {
    SaveFileSettings s = Chosen(kDateTimeName);
    s.nameOutput = folder;
    const SaveFileOk ok = CheckSaveFileChoice(s);
    EXPECT_EQ(ok.problem.empty(), good) << folder << ": " << ok.problem;
    EXPECT_EQ(ok.keys.empty(), !good) << folder;
  }
}

TEST(SaveFileDialogOk, WrittenOverADeliveredFileOnlyTheDialogsKeysChange) {
  TempFolder dir;
  const auto file = dir.Path() / "config.ini";
  const std::string delivered =
      "[App]\r\nOutputTo=2\r\n\r\n[SaveFile]\r\nTyleIndex=0\r\nNameIndex=2\r\nNameText=Vardel_\r\nNameNumIndex=9\r\n"
      "NameOutput=c:\\\r\nShowOption=0\r\nFileIndexNum=41\r\n";
  WriteFileAtomically(file, std::span(reinterpret_cast<const std::uint8_t*>(delivered.data()), delivered.size()));
  SaveFileSettings s = Chosen(kDateTimeName);
  s.nameText = "Other_";
  s.digitsIndex = 0;
  WriteIniValues(file, "SaveFile", CheckSaveFileChoice(s).keys);
  const std::vector<std::uint8_t> bytes = ReadFileBytes(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "[App]\r\nOutputTo=2\r\n\r\n[SaveFile]\r\nTyleIndex=3\r\nNameIndex=1\r\nNameText=Vardel_\r\n"
            "NameNumIndex=9\r\nNameOutput=D:\\Shots\\\r\nShowOption=1\r\nFileIndexNum=41\r\n");
}

}  // namespace
}  // namespace brisko
