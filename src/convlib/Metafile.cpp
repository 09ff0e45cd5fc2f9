#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "Version.h"
#include "codecs/Wmf.h"
#include "convlib/Converters.h"
#include "core/Files.h"
#include "widgets/Dib.h"
#include "widgets/Handles.h"
#include "widgets/Text.h"
#include "widgets/Win32Error.h"

namespace brisko::convlib {

namespace {

struct EnhMetafileTraits {
  using Handle = HENHMETAFILE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DeleteEnhMetaFile(h); }
};
using ScopedEnhMetafile = win::UniqueHandle<EnhMetafileTraits>;

// The metafile's description: creator, then title, each ending in a zero,
// and a second zero after the last (c_str adds it).
std::wstring Description() {
  std::wstring text = win::Widen(BRISKO_HOME_PAGE);
  text.push_back(L'\0');
  text += L"V1.0";
  text.push_back(L'\0');
  return text;
}

// A recording device context. Finish ends the recording and hands out the
// metafile; one never finished is closed and thrown away.
class MetafileRecorder {
 public:
  MetafileRecorder(HDC reference, const RECT& frame) {
    const std::wstring description = Description();
    dc_ = CreateEnhMetaFileW(reference, nullptr, &frame, description.c_str());
    if (!dc_) win::ThrowLastError("CreateEnhMetaFile");
  }
  ~MetafileRecorder() {
    if (dc_) DeleteEnhMetaFile(CloseEnhMetaFile(dc_));
  }
  MetafileRecorder(const MetafileRecorder&) = delete;
  MetafileRecorder& operator=(const MetafileRecorder&) = delete;

  HDC Dc() const { return dc_; }

  ScopedEnhMetafile Finish() {
    ScopedEnhMetafile metafile(CloseEnhMetaFile(dc_));
    dc_ = nullptr;
    if (!metafile) win::ThrowLastError("CloseEnhMetaFile");
    return metafile;
  }

 private:
  HDC dc_ = nullptr;
};

// The screen's logical resolution, in pixels per inch.
SIZE ScreenDpi(HDC screen) { return SIZE{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)}; }

std::vector<std::uint8_t> BottomUpRows(const Bitmap& bitmap) {
  std::vector<std::uint8_t> rows(bitmap.ByteSize());
  for (std::int32_t y = 0; y < bitmap.Height(); ++y)
    std::memcpy(rows.data() + bitmap.Stride() * static_cast<std::size_t>(bitmap.Height() - 1 - y), bitmap.Row(y),
                bitmap.Stride());
  return rows;
}

ScopedEnhMetafile Record(const Bitmap& bitmap, HDC screen) {
  const SIZE dpi = ScreenDpi(screen);
  // The frame is in units of 0.01 mm.
  const RECT frame{0, 0, MulDiv(bitmap.Width(), 2540, dpi.cx), MulDiv(bitmap.Height(), 2540, dpi.cy)};
  MetafileRecorder recorder(screen, frame);
  // One device-independent bitmap record, which the conversion to a Windows
  // metafile turns into that format's bitmap record. The rows go bottom-up:
  // converters drop the pixels of top-down bitmaps (Wine's does).
  win::DibInfo info = win::DibInfoFor(bitmap);
  info.header.biHeight = bitmap.Height();
  const std::vector<std::uint8_t> rows = BottomUpRows(bitmap);
  if (StretchDIBits(recorder.Dc(), 0, 0, bitmap.Width(), bitmap.Height(), 0, 0, bitmap.Width(), bitmap.Height(),
                    rows.data(), info.Get(), DIB_RGB_COLORS, SRCCOPY) == 0)
    win::ThrowLastError("StretchDIBits into the metafile");
  return recorder.Finish();
}

std::vector<std::uint8_t> EnhancedBits(HENHMETAFILE metafile) {
  const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
  std::vector<std::uint8_t> bits(size);
  if (size == 0 || GetEnhMetaFileBits(metafile, size, bits.data()) != size) win::ThrowLastError("GetEnhMetaFileBits");
  return bits;
}

std::vector<std::uint8_t> WindowsBits(HENHMETAFILE metafile, HDC screen) {
  const UINT size = GetWinMetaFileBits(metafile, 0, nullptr, MM_ANISOTROPIC, screen);
  std::vector<std::uint8_t> bits(size);
  if (size == 0 || GetWinMetaFileBits(metafile, size, bits.data(), MM_ANISOTROPIC, screen) != size)
    win::ThrowLastError("GetWinMetaFileBits");
  return bits;
}

void SaveEnhanced(HENHMETAFILE metafile, const std::filesystem::path& target) {
  WriteFileAtomically(target, EnhancedBits(metafile));
}

// A placeable header in front of the Windows metafile: the picture's size in
// units of 1/96 inch, 96 to the inch.
void SavePlaceable(HENHMETAFILE metafile, const Bitmap& bitmap, HDC screen, const std::filesystem::path& target) {
  const SIZE dpi = ScreenDpi(screen);
  const auto header =
      PlaceableMetafileHeader(MulDiv(bitmap.Width(), 96, dpi.cx), MulDiv(bitmap.Height(), 96, dpi.cy), 96);
  const std::vector<std::uint8_t> bits = WindowsBits(metafile, screen);
  AtomicFileWriter writer(target);
  writer.Write(header.data(), header.size());
  writer.Write(bits);
  writer.Commit();
}

}  // namespace

void WriteMetafile(const Bitmap& bitmap, bool enhanced, const std::filesystem::path& target) {
  const win::WindowDC screen;
  if (!screen) win::ThrowLastError("GetDC");
  const ScopedEnhMetafile metafile = Record(bitmap, screen.Get());
  if (enhanced)
    SaveEnhanced(metafile.Get(), target);
  else
    SavePlaceable(metafile.Get(), bitmap, screen.Get(), target);
}

}  // namespace brisko::convlib
