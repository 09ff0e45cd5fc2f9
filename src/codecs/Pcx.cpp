#include "codecs/Pcx.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/HeaderBytes.h"
#include "codecs/Limits.h"

namespace brisko {

namespace {

constexpr const char* kFormat = "PCX";
constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kFlushSize = 1 << 16;

struct Layout {
  int bitsPerPlane;
  int planes;
  std::size_t bytesPerLine;  // per plane, even as the format asks
};

Layout LayoutOf(const Bitmap& picture) {
  const auto width = static_cast<std::size_t>(picture.Width());
  auto even = [](std::size_t n) { return (n + 1) & ~std::size_t{1}; };
  if (BitsPerPixel(picture.Format()) <= 4) return Layout{1, 4, even((width + 7) / 8)};
  if (picture.Format() == PixelFormat::Indexed8) return Layout{8, 1, even(width)};
  return Layout{8, 3, even(width)};
}

codecs::HeaderBytes Header(const Bitmap& picture, const Layout& layout) {
  codecs::HeaderBytes h;
  h.Put8(0x0A);  // ZSoft
  h.Put8(5);     // version 5: palettes of 16 and 256 colours
  h.Put8(1);     // run-length encoding
  h.Put8(static_cast<std::uint32_t>(layout.bitsPerPlane));
  h.Put16(0);
  h.Put16(0);
  h.Put16(static_cast<std::uint32_t>(picture.Width() - 1));
  h.Put16(static_cast<std::uint32_t>(picture.Height() - 1));
  h.Put16(96);
  h.Put16(96);
  const auto palette = picture.Palette();
  for (std::size_t i = 0; i < 16; ++i) {
    const Colour c = layout.planes == 4 && i < palette.size() ? palette[i] : kBlack;
    h.Put8(RedOf(c));
    h.Put8(GreenOf(c));
    h.Put8(BlueOf(c));
  }
  h.Put8(0);
  h.Put8(static_cast<std::uint32_t>(layout.planes));
  h.Put16(static_cast<std::uint32_t>(layout.bytesPerLine));
  h.Put16(1);  // colour
  h.Put16(0);
  h.Put16(0);
  h.PutZeros(kHeaderSize - h.Size());
  return h;
}

// Spreads one row into its planes, one after the other.
void SplitIntoPlanes(const Bitmap& picture, std::int32_t y, const Layout& layout, std::vector<std::uint8_t>& rgb,
                     std::uint8_t* planes) {
  const std::int32_t width = picture.Width();
  const std::size_t n = layout.bytesPerLine;
  std::memset(planes, 0, n * static_cast<std::size_t>(layout.planes));
  if (layout.planes == 4) {
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint8_t index = picture.IndexAt(x, y);
      const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
      for (int p = 0; p < 4; ++p)
        if (index & (1 << p)) planes[n * p + static_cast<std::size_t>(x >> 3)] |= bit;
    }
  } else if (layout.planes == 1) {
    std::memcpy(planes, picture.Row(y), static_cast<std::size_t>(width));
  } else {
    RowToBgr24(picture.Row(y), picture.Format(), picture.Palette(), width, rgb.data());
    for (std::int32_t x = 0; x < width; ++x) {
      planes[x] = rgb[3 * x + 2];
      planes[n + x] = rgb[3 * x + 1];
      planes[2 * n + x] = rgb[3 * x];
    }
  }
}

// Runs of up to 63 equal bytes become a count byte (its top two bits set)
// and the value; a lone byte stands for itself unless its top two bits are
// set, which would read as a count.
void EncodePlane(const std::uint8_t* bytes, std::size_t size, std::vector<std::uint8_t>& out) {
  for (std::size_t i = 0; i < size;) {
    std::size_t run = 1;
    while (i + run < size && run < 63 && bytes[i + run] == bytes[i]) ++run;
    if (run > 1 || bytes[i] >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | run));
    out.push_back(bytes[i]);
    i += run;
  }
}

void WritePalette256(const Bitmap& picture, std::vector<std::uint8_t>& out) {
  out.push_back(0x0C);
  const auto palette = picture.Palette();
  for (std::size_t i = 0; i < 256; ++i) {
    const Colour c = i < palette.size() ? palette[i] : kBlack;
    out.insert(out.end(), {RedOf(c), GreenOf(c), BlueOf(c)});
  }
}

}  // namespace

void WritePcx(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress) {
  if (picture.IsEmpty()) codecs::FailToWrite(kFormat, "it has no pixels");
  const Layout layout = LayoutOf(picture);
  if (picture.Width() > 0xFFFF || picture.Height() > 0xFFFF || layout.bytesPerLine > 0xFFFF)
    codecs::FailToWrite(kFormat, "it is larger than the format can hold");
  sink.Write(Header(picture, layout).Bytes());

  const std::size_t n = layout.bytesPerLine;
  std::vector<std::uint8_t> planes(n * static_cast<std::size_t>(layout.planes));
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(picture.Width()) * 3);
  std::vector<std::uint8_t> out;
  out.reserve(kFlushSize + 2 * planes.size() + 1024);
  ProgressReporter reporter(progress, static_cast<std::uint64_t>(picture.Height()));
  for (std::int32_t y = 0; y < picture.Height(); ++y) {
    SplitIntoPlanes(picture, y, layout, rgb, planes.data());
    // Each plane is encoded on its own, so no run crosses from one to the
    // next; readers that decode a whole line at once take that too.
    for (int p = 0; p < layout.planes; ++p) EncodePlane(planes.data() + n * p, n, out);
    if (out.size() >= kFlushSize) {
      sink.Write(out.data(), out.size());
      out.clear();
    }
    reporter.Advance(static_cast<std::uint64_t>(y + 1));
  }
  if (layout.planes == 1) WritePalette256(picture, out);
  sink.Write(out.data(), out.size());
  reporter.Finish();
}

}  // namespace brisko
