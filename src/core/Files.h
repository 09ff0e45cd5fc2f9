#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brisko {

// Failure to read or write a file; the message names the file and the cause.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Paths are UTF-8 text throughout the program; these turn them into
// filesystem paths without going through the system's 8-bit code page.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// Where encoders write their bytes, so one encoder serves files and memory.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void Write(const void* data, std::size_t size) = 0;
  void Write(std::span<const std::uint8_t> bytes) { Write(bytes.data(), bytes.size()); }
};

class MemorySink final : public ByteSink {
 public:
  using ByteSink::Write;
  void Write(const void* data, std::size_t size) override;
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }
  // Keeps the capacity, so a sink reused for many pictures allocates once.
  void Clear() { bytes_.clear(); }
  void Reserve(std::size_t size);

 private:
  std::vector<std::uint8_t> bytes_;
};

// Opens a file for reading in binary mode, by its Unicode path on Windows;
// null when it cannot be opened.
std::FILE* OpenFileForReading(const std::filesystem::path& path);

// Reads a whole file; refuses files larger than `maxSize` bytes.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path,
                                        std::size_t maxSize = std::size_t{1} << 31);

// Whether a written file must outlast a power cut. Working files that the
// program writes anew whenever it needs them (the bitmaps handed to the
// conversion library) skip the flush to disk, which for a screenshot is a
// noticeable wait; they are still replaced whole, never seen half-written.
enum class Durability { Flushed, Scratch };

// Writes a file so that readers see either the old content or the complete
// new one: the bytes go to a sibling temporary file, are flushed to disk
// (unless they are scratch) and then replace the target by a rename. On
// failure the temporary file is removed and the target is untouched.
class AtomicFileWriter final : public ByteSink {
 public:
  explicit AtomicFileWriter(std::filesystem::path target, Durability durability = Durability::Flushed);
  ~AtomicFileWriter() override;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  using ByteSink::Write;
  void Write(const void* data, std::size_t size) override;
  // Makes the new content the target's. Without Commit, nothing changes.
  void Commit();

 private:
  void Discard() noexcept;

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  Durability durability_;
};

void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace brisko
