#include "core/Files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "TempFolder.h"

namespace brisko {
namespace {

std::string Contents(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::span<const std::uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(AtomicFile, ReplacesTheTargetAndLeavesNoTemporaryBehind) {
  TempFolder dir;
  const auto target = dir.Path() / "config.ini";
  WriteFileAtomically(target, Bytes("old"));
  WriteFileAtomically(target, Bytes("new content"));
  EXPECT_EQ(Contents(target), "new content");
  EXPECT_EQ(dir.FileCount(), 1);
}

TEST(AtomicFile, AScratchFileIsReplacedWholeAsWell) {
  TempFolder dir;
  const auto target = dir.Path() / "temp.bmp";
  WriteFileAtomically(target, Bytes("old"));
  {
    AtomicFileWriter writer(target, Durability::Scratch);
    writer.Write(Bytes("half"));
  }
  EXPECT_EQ(Contents(target), "old");
  AtomicFileWriter writer(target, Durability::Scratch);
  writer.Write(Bytes("scratch content"));
  writer.Commit();
  EXPECT_EQ(Contents(target), "scratch content");
  EXPECT_EQ(dir.FileCount(), 1);
}

TEST(AtomicFile, AnUncommittedWriterChangesNothing) {
  TempFolder dir;
  const auto target = dir.Path() / "keep.txt";
  WriteFileAtomically(target, Bytes("precious"));
  {
    AtomicFileWriter writer(target);
    writer.Write(Bytes("half of the new"));
    // Leaving the scope without Commit stands for a failure mid-write.
  }
  EXPECT_EQ(Contents(target), "precious");
  EXPECT_EQ(dir.FileCount(), 1);
}

TEST(AtomicFile, UnwritableFolderIsAFileError) {
  TempFolder dir;
  EXPECT_THROW(WriteFileAtomically(dir.Path() / "missing" / "x.ini", Bytes("x")), FileError);
}

TEST(ReadFile, MissingAndOversizedFilesAreErrors) {
  TempFolder dir;
  EXPECT_THROW(ReadFileBytes(dir.Path() / "none"), FileError);
  WriteFileAtomically(dir.Path() / "big", Bytes("0123456789"));
  EXPECT_THROW(ReadFileBytes(dir.Path() / "big", 9), FileError);
  EXPECT_EQ(ReadFileBytes(dir.Path() / "big", 10).size(), 10u);
}

TEST(ReadFile, LargeAndEmptyFilesComeBackByteForByte) {
  TempFolder dir;
  std::string large(300001, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 % 251);
  WriteFileAtomically(dir.Path() / "large", Bytes(large));
  EXPECT_EQ(ReadFileBytes(dir.Path() / "large"), std::vector<std::uint8_t>(large.begin(), large.end()));
  EXPECT_THROW(ReadFileBytes(dir.Path() / "large", 300000), FileError);
  WriteFileAtomically(dir.Path() / "empty", Bytes(""));
  EXPECT_TRUE(ReadFileBytes(dir.Path() / "empty").empty());
}

TEST(Utf8Paths, NonAsciiNamesRoundTrip) {
  TempFolder dir;
  const std::string name = "Zo\xC3\xAB \xE6\x9D\x8E.txt";  // "Zoë 李.txt"
  const auto path = dir.Path() / PathFromUtf8(name);
  WriteFileAtomically(path, Bytes("x"));
  EXPECT_EQ(Utf8FromPath(path.filename()), name);
  EXPECT_EQ(ReadFileBytes(path).size(), 1u);
}

}  // namespace
}  // namespace brisko
