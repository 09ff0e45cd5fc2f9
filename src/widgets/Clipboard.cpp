#include "widgets/Clipboard.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/Bmp.h"
#include "widgets/Dib.h"
#include "widgets/Text.h"
#include "widgets/Win32Error.h"

namespace brisko::win {

namespace {

// Opens the clipboard for the scope; another program may hold it for a
// moment, so opening is retried briefly.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(10);
    }
    if (!open_) ThrowLastError("OpenClipboard");
  }
  ~OpenClipboardScope() { CloseClipboard(); }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

 private:
  bool open_ = false;
};

// Global memory handed to the clipboard, freed unless the clipboard took it.
class ClipboardMemory {
 public:
  explicit ClipboardMemory(std::size_t size) : memory_(GlobalAlloc(GMEM_MOVEABLE, size)) {
    if (!memory_) ThrowLastError("GlobalAlloc");
  }
  ~ClipboardMemory() {
    if (memory_) GlobalFree(memory_);
  }
  ClipboardMemory(const ClipboardMemory&) = delete;
  ClipboardMemory& operator=(const ClipboardMemory&) = delete;
  void* Lock() { return GlobalLock(memory_); }
  void Unlock() { GlobalUnlock(memory_); }
  void HandTo(UINT format) {
    if (!SetClipboardData(format, memory_)) ThrowLastError("SetClipboardData");
    memory_ = nullptr;
  }

 private:
  HGLOBAL memory_;
};

// Writes into memory of a known size, leaving out the first `skip` bytes.
class PlacedSink final : public ByteSink {
 public:
  PlacedSink(std::uint8_t* at, std::size_t skip) : at_(at), skip_(skip) {}
  using ByteSink::Write;
  void Write(const void* data, std::size_t size) override {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::size_t skipped = std::min(skip_, size);
    skip_ -= skipped;
    std::memcpy(at_, bytes + skipped, size - skipped);
    at_ += size - skipped;
  }

 private:
  std::uint8_t* at_;
  std::size_t skip_;
};

}  // namespace

void SetClipboardBitmap(HWND owner, const Bitmap& picture) {
  // A packed DIB is a bitmap file without its 14-byte file header. The
  // picture is written straight into the clipboard's memory: a screenshot
  // is tens of megabytes, and each extra copy shows.
  constexpr std::size_t kFileHeader = 14;
  ClipboardMemory memory(static_cast<std::size_t>(BmpFileSize(picture)) - kFileHeader);
  auto* at = static_cast<std::uint8_t*>(memory.Lock());
  if (!at) ThrowLastError("GlobalLock");
  PlacedSink placed(at, kFileHeader);
  WriteBmp(picture, placed);
  memory.Unlock();
  OpenClipboardScope open(owner);
  EmptyClipboard();
  memory.HandTo(CF_DIB);
}

void SetClipboardText(HWND owner, std::string_view utf8) {
  const std::wstring text = Widen(utf8);
  ClipboardMemory memory((text.size() + 1) * sizeof(wchar_t));
  std::memcpy(memory.Lock(), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  memory.Unlock();
  OpenClipboardScope open(owner);
  EmptyClipboard();
  memory.HandTo(CF_UNICODETEXT);
}

std::optional<Bitmap> ClipboardBitmap(HWND owner) {
  if (!IsClipboardFormatAvailable(CF_DIB)) return std::nullopt;
  OpenClipboardScope open(owner);
  HANDLE data = GetClipboardData(CF_DIB);
  if (!data) return std::nullopt;
  const auto size = GlobalSize(data);
  const auto* dib = static_cast<const std::uint8_t*>(GlobalLock(data));
  if (!dib || size < sizeof(BITMAPINFOHEADER)) {
    if (dib) GlobalUnlock(data);
    return std::nullopt;
  }
  // Read through the file reader, which checks every field, by putting the
  // file header back in front.
  std::vector<std::uint8_t> file(14 + size);
  std::memcpy(file.data() + 14, dib, size);
  GlobalUnlock(data);
  file[0] = 'B';
  file[1] = 'M';
  const auto total = static_cast<std::uint32_t>(file.size());
  std::memcpy(file.data() + 2, &total, 4);
  try {
    return ReadBmp(file);
  } catch (const ImageError&) {
    return std::nullopt;
  }
}

}  // namespace brisko::win
