#include "codecs/TiffCommon.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <algorithm>

namespace brisko::codecs {

namespace {

// No single buffer of libtiff's grows beyond this; a picture that would need
// one (a gigantic strip) is refused.
constexpr tmsize_t kMaxSingleAllocation = tmsize_t{1} << 30;

TiffStream& StreamOf(thandle_t handle) { return *static_cast<TiffStream*>(handle); }

// The module is a function name of libtiff's, no help to a user; the text
// says what was wrong.
int KeepFirstError(TIFF*, void* user, const char*, const char* format, va_list arguments) {
  auto& messages = *static_cast<TiffMessages*>(user);
  if (messages.error[0] == '\0') std::vsnprintf(messages.error, sizeof messages.error, format, arguments);
  return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const noexcept { TIFFOpenOptionsFree(options); }
};

}  // namespace

tmsize_t TiffStream::Read(thandle_t handle, void* data, tmsize_t size) {
  TiffStream& s = StreamOf(handle);
  const std::span<const std::uint8_t> bytes = s.Bytes();
  if (size <= 0 || s.position_ >= bytes.size()) return 0;
  const std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), bytes.size() - s.position_);
  std::memcpy(data, bytes.data() + s.position_, n);
  s.position_ += n;
  return static_cast<tmsize_t>(n);
}

// Runs inside libtiff: a failed allocation is reported as a short write,
// never thrown. libtiff mostly appends; it goes back only to link its
// directories.
tmsize_t TiffStream::Write(thandle_t handle, void* data, tmsize_t size) {
  TiffStream& s = StreamOf(handle);
  if (size <= 0 || !s.input_.empty()) return 0;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  const auto n = static_cast<std::size_t>(size);
  try {
    if (s.position_ > s.output_.size()) s.output_.resize(s.position_);
    const std::size_t overwrite = std::min(n, s.output_.size() - s.position_);
    std::memcpy(s.output_.data() + s.position_, bytes, overwrite);
    s.output_.insert(s.output_.end(), bytes + overwrite, bytes + n);
  } catch (...) {
    return 0;
  }
  s.position_ += n;
  return size;
}

toff_t TiffStream::Seek(thandle_t handle, toff_t offset, int whence) {
  TiffStream& s = StreamOf(handle);
  std::uint64_t base = 0;
  if (whence == SEEK_CUR) base = s.position_;
  if (whence == SEEK_END) base = s.Bytes().size();
  // libtiff passes negative offsets as their two's complement.
  s.position_ = base + offset;
  return s.position_;
}

int TiffStream::Close(thandle_t) { return 0; }

toff_t TiffStream::Size(thandle_t handle) { return StreamOf(handle).Bytes().size(); }

// A file being read is in memory already: libtiff reads its strips in
// place instead of copying them. It never writes to a mapped file.
int TiffStream::Map(thandle_t handle, void** base, toff_t* size) {
  TiffStream& s = StreamOf(handle);
  if (s.input_.empty()) return 0;
  *base = const_cast<std::uint8_t*>(s.input_.data());
  *size = s.input_.size();
  return 1;
}

void TiffStream::Unmap(thandle_t, void*, toff_t) {}

TiffHandle OpenTiff(TiffStream& stream, const char* mode, TiffMessages& messages) {
  messages.error[0] = '\0';
  std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
  if (!options) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &KeepFirstError, &messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &IgnoreWarning, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxSingleAllocation);
  return TiffHandle(TIFFClientOpenExt("memory", mode, &stream, &TiffStream::Read, &TiffStream::Write,
                                      &TiffStream::Seek, &TiffStream::Close, &TiffStream::Size, &TiffStream::Map,
                                      &TiffStream::Unmap, options.get()));
}

}  // namespace brisko::codecs
