#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <tiffio.h>

// libtiff reports errors by return values and through handler functions;
// the handlers here keep the first message of each file instead of printing
// it, and the files live in memory.
namespace brisko::codecs {

struct TiffMessages {
  char error[256];
};

struct TiffCloser {
  void operator()(TIFF* tiff) const noexcept { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// A file in memory as libtiff sees it: read from a span, or written into a
// growing buffer that libtiff may seek around in (it goes back to link its
// directories).
class TiffStream {
 public:
  explicit TiffStream(std::span<const std::uint8_t> file) : input_(file) {}
  TiffStream() = default;

  const std::vector<std::uint8_t>& Output() const { return output_; }
  // Room for a file of about this size, so that writing it copies nothing;
  // without the room, writing only copies more.
  void Reserve(std::size_t size) noexcept {
    try {
      output_.reserve(size);
    } catch (...) {
    }
  }

  // The callbacks libtiff calls; `handle` is the stream.
  static tmsize_t Read(thandle_t handle, void* data, tmsize_t size);
  static tmsize_t Write(thandle_t handle, void* data, tmsize_t size);
  static toff_t Seek(thandle_t handle, toff_t offset, int whence);
  static int Close(thandle_t handle);
  static toff_t Size(thandle_t handle);
  static int Map(thandle_t handle, void** base, toff_t* size);
  static void Unmap(thandle_t handle, void* base, toff_t size);

 private:
  // What is read: the file given, or what has been written so far.
  std::span<const std::uint8_t> Bytes() const { return input_.empty() ? std::span<const std::uint8_t>(output_) : input_; }

  std::span<const std::uint8_t> input_;
  std::vector<std::uint8_t> output_;
  std::uint64_t position_ = 0;
};

// Opens the stream with mode "r" or "wl" (little-endian); errors land in
// `messages`. Null when libtiff refused the file.
TiffHandle OpenTiff(TiffStream& stream, const char* mode, TiffMessages& messages);

}  // namespace brisko::codecs
