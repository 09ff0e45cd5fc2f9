#include "codecs/Tga.h"

#include <cstring>
#include <vector>

#include "codecs/HeaderBytes.h"
#include "codecs/Limits.h"

namespace brisko {

namespace {

constexpr const char* kFormat = "TGA";
constexpr char kSignature[] = "TRUEVISION-XFILE.";  // with its terminating zero, as the footer ends

codecs::HeaderBytes Header(const Bitmap& picture) {
  codecs::HeaderBytes h;
  h.Put8(0);  // no image ID
  h.Put8(0);  // no colour map
  h.Put8(2);  // uncompressed true colour
  h.Put16(0);
  h.Put16(0);
  h.Put8(0);  // colour map fields, unused
  h.Put16(0);
  h.Put16(0);  // origin
  h.Put16(static_cast<std::uint32_t>(picture.Width()));
  h.Put16(static_cast<std::uint32_t>(picture.Height()));
  h.Put8(24);
  h.Put8(0);  // no alpha bits; first row stored is the bottom one
  return h;
}

codecs::HeaderBytes Footer() {
  codecs::HeaderBytes f;
  f.Put32(0);  // no extension area
  f.Put32(0);  // no developer area
  f.PutBytes(std::span(reinterpret_cast<const std::uint8_t*>(kSignature), sizeof kSignature));
  return f;
}

}  // namespace

void WriteTga(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress) {
  if (picture.IsEmpty()) codecs::FailToWrite(kFormat, "it has no pixels");
  if (picture.Width() > 0xFFFF || picture.Height() > 0xFFFF)
    codecs::FailToWrite(kFormat, "it is larger than 65535 pixels on a side");
  sink.Write(Header(picture).Bytes());
  const std::size_t rowBytes = static_cast<std::size_t>(picture.Width()) * 3;
  std::vector<std::uint8_t> converted(picture.Format() == PixelFormat::Bgr24 ? 0 : rowBytes);
  ProgressReporter reporter(progress, static_cast<std::uint64_t>(picture.Height()));
  for (std::int32_t y = picture.Height() - 1; y >= 0; --y) {
    const std::uint8_t* row = picture.Row(y);
    if (!converted.empty()) {
      RowToBgr24(row, picture.Format(), picture.Palette(), picture.Width(), converted.data());
      row = converted.data();
    }
    sink.Write(row, rowBytes);
    reporter.Advance(static_cast<std::uint64_t>(picture.Height() - y));
  }
  sink.Write(Footer().Bytes());
  reporter.Finish();
}

}  // namespace brisko
