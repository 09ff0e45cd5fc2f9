#include "core/Helpers.h"

#include <gtest/gtest.h>

#include <fstream>

#include "TempFolder.h"
#include "core/Files.h"

namespace brisko {
namespace {

TEST(FolderHelpers, TrailingBackslashIsAddedOnlyWhenMissing) {
  EXPECT_EQ(WithTrailingBackslash("C:\\Temp"), "C:\\Temp\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\Temp\\"), "C:\\Temp\\");
  EXPECT_EQ(WithTrailingBackslash(""), "\\");
}

TEST(FolderHelpers, FolderPartKeepsTheLastSeparator) {
  EXPECT_EQ(FolderPartOf("C:\\Program Files\\Brisko\\BriskoCapture.exe"), "C:\\Program Files\\Brisko\\");
  EXPECT_EQ(FolderPartOf("/opt/brisko/x"), "/opt/brisko/");
  EXPECT_EQ(FolderPartOf("C:x.exe"), "C:");
  EXPECT_EQ(FolderPartOf("plain.exe"), "");
}

TEST(FolderHelpers, EnsureFolderCreatesOneLevelAndToleratesAnExistingOne) {
  TempFolder dir;
  const std::string sub = Utf8FromPath(dir.Path() / "Temp");
  EnsureFolder(sub);
  EnsureFolder(sub);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "Temp"));
  EXPECT_THROW(EnsureFolder(Utf8FromPath(dir.Path() / "a" / "b")), FileError);
}

TEST(FolderHelpers, EnsureFolderTreeCreatesEveryMissingLevel) {
  TempFolder dir;
  const std::string deep = Utf8FromPath(dir.Path() / "a" / "b" / "c") + "/";
  EnsureFolderTree(deep);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "a" / "b" / "c"));
  EnsureFolderTree(deep);  // an existing folder is fine
  std::ofstream(dir.Path() / "taken") << "x";
  EXPECT_THROW(EnsureFolderTree(Utf8FromPath(dir.Path() / "taken")), FileError) << "a file holds the name";
  EXPECT_THROW(EnsureFolderTree(Utf8FromPath(dir.Path() / "taken" / "sub")), FileError);
}

TEST(IntegerHelpers, OrderPairSortsAndMaxMinAgree) {
  int a = 9, b = -3;
  OrderPair(a, b);
  EXPECT_EQ(a, -3);
  EXPECT_EQ(b, 9);
  OrderPair(a, b);
  EXPECT_EQ(a, -3);
  EXPECT_EQ(MaxOf(-1, -2), -1);
  EXPECT_EQ(MinOf(-1, -2), -2);
}

TEST(ColourText, HexRGBPutsRedFirst) {
  EXPECT_EQ(HexRGB(MakeColour(0x12, 0x34, 0x56)), "123456");
  EXPECT_EQ(HexRGB(MakeColour(255, 0, 0)), "FF0000");
  EXPECT_EQ(HexRGB(MakeColour(0, 0, 0xAB)), "0000AB");
}

TEST(FitImage, WideTallAndSmallSourcesInAPanel) {
  EXPECT_EQ(FitImageRect(400, 100, 200, 145), RectOfSize(0, 47, 200, 50));
  EXPECT_EQ(FitImageRect(100, 400, 200, 145), RectOfSize(82, 0, 36, 145));
  EXPECT_EQ(FitImageRect(100, 100, 200, 145), RectOfSize(50, 22, 100, 100));
  // Products beyond 32 bits must not overflow before the division.
  EXPECT_EQ(FitImageRect(100000, 100000, 60000, 50000), RectOfSize(5000, 0, 50000, 50000));
}

TEST(FitImage, EmptySourceDoesNotDivideByZero) {
  EXPECT_EQ(FitImageRect(0, 0, 200, 145), RectOfSize(100, 72, 0, 0));
  EXPECT_EQ(FitImageRect(0, 500, 200, 145).Width(), 0);
}

TEST(Decimal, ParsesWholeTextsOnly) {
  EXPECT_EQ(ParseDecimal("200"), 200);
  EXPECT_EQ(ParseDecimal("-7"), -7);
  EXPECT_EQ(ParseDecimal("+7"), 7);
  EXPECT_FALSE(ParseDecimal(""));
  EXPECT_FALSE(ParseDecimal("12a"));
  EXPECT_FALSE(ParseDecimal(" 12"));
  EXPECT_FALSE(ParseDecimal("99999999999"));
}

}  // namespace
}  // namespace brisko
