#include "core/Files.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace brisko {

namespace fs = std::filesystem;

namespace {

std::FILE* OpenFile(const fs::path& path, bool forWriting) {
#ifdef _WIN32
  return _wfopen(path.c_str(), forWriting ? L"wb" : L"rb");
#else
  return std::fopen(path.c_str(), forWriting ? "wb" : "rb");
#endif
}

}  // namespace

std::FILE* OpenFileForReading(const fs::path& path) { return OpenFile(path, false); }

namespace {

bool FlushToDisk(std::FILE* f) {
  if (std::fflush(f) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return fsync(fileno(f)) == 0;
#endif
}

[[noreturn]] void ThrowFileError(const std::string& what, const fs::path& path, int error) {
  throw FileError(what + " " + Utf8FromPath(path) + ": " + std::strerror(error));
}

fs::path TemporarySibling(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const unsigned tag = random() ^ (counter++ * 2654435761u);
  fs::path name = target.filename();
  name += ".~" + std::to_string(tag) + ".tmp";
  return target.parent_path() / name;
}

}  // namespace

fs::path PathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8FromPath(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

void MemorySink::Reserve(std::size_t size) { bytes_.reserve(size); }

void MemorySink::Write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  bytes_.insert(bytes_.end(), bytes, bytes + size);
}

std::vector<std::uint8_t> ReadFileBytes(const fs::path& path, std::size_t maxSize) {
  std::FILE* f = OpenFile(path, false);
  if (!f) ThrowFileError("cannot open", path, errno);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(f, &std::fclose);
  // Sized once from the file's length, so a large picture is read straight
  // into its buffer instead of through a chunk and repeated regrowth. The
  // length is only a hint: a file that grows meanwhile is still read to its
  // end, within the limit.
  std::error_code ignored;
  const std::uintmax_t expected = fs::file_size(path, ignored);
  // One byte past the limit shows that a file is larger than allowed.
  const std::size_t cap = maxSize < SIZE_MAX ? maxSize + 1 : maxSize;
  std::vector<std::uint8_t> bytes;
  if (expected != static_cast<std::uintmax_t>(-1) && expected <= maxSize)
    bytes.resize(static_cast<std::size_t>(expected) + 1);
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() >= cap) throw FileError("file " + Utf8FromPath(path) + " is too large");
      bytes.resize(std::min(cap, std::max<std::size_t>(bytes.size() * 2, 65536)));
    }
    const std::size_t n = std::fread(bytes.data() + filled, 1, bytes.size() - filled, f);
    filled += n;
    if (n == 0) break;
  }
  if (std::ferror(f)) ThrowFileError("cannot read", path, errno);
  if (filled > maxSize) throw FileError("file " + Utf8FromPath(path) + " is too large");
  bytes.resize(filled);
  return bytes;
}

AtomicFileWriter::AtomicFileWriter(fs::path target, Durability durability)
    : target_(std::move(target)), temporary_(TemporarySibling(target_)), durability_(durability) {
  file_ = OpenFile(temporary_, true);
  if (!file_) ThrowFileError("cannot write", temporary_, errno);
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

void AtomicFileWriter::Write(const void* data, std::size_t size) {
  if (!file_) throw FileError("write to " + Utf8FromPath(target_) + " after it was finished");
  if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
    const int error = errno;
    Discard();
    ThrowFileError("cannot write", target_, error);
  }
}

void AtomicFileWriter::Commit() {
  if (!file_) throw FileError("write to " + Utf8FromPath(target_) + " after it was finished");
  const bool flushed = durability_ == Durability::Scratch ? std::fflush(file_) == 0 : FlushToDisk(file_);
  int error = flushed ? 0 : errno;
  const bool closed = std::fclose(file_) == 0;
  if (!closed && error == 0) error = errno;
  file_ = nullptr;
  if (!flushed || !closed) {
    std::error_code ignored;
    fs::remove(temporary_, ignored);
    ThrowFileError("cannot write", target_, error ? error : EIO);
  }
  std::error_code renamed;
  fs::rename(temporary_, target_, renamed);
  if (renamed) {
    std::error_code ignored;
    fs::remove(temporary_, ignored);
    throw FileError("cannot replace " + Utf8FromPath(target_) + ": " + renamed.message());
  }
}

void AtomicFileWriter::Discard() noexcept {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  std::error_code ignored;
  fs::remove(temporary_, ignored);
}

void WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
  AtomicFileWriter writer(path);
  writer.Write(bytes);
  writer.Commit();
}

}  // namespace brisko
