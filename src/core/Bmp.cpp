#include "core/Bmp.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisko {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kOs2HeaderSize = 64;

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

// 96 dots per inch, what the screen reports, so other programs print a
// capture at its on-screen size.
constexpr std::uint32_t kPixelsPerMetre = 3780;

// A few bytes of run-length data can describe any size, so the size itself
// is what limits the memory a compressed file may ask for.
constexpr std::uint64_t kMaxRlePixels = std::uint64_t{1} << 28;

[[noreturn]] void Fail(const std::string& why) {
  throw ImageError("Cannot read the BMP file: " + why + ".");
}

// Callers check the span length first; these only assemble the bytes.
std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

struct Masks {
  std::uint32_t red = 0, green = 0, blue = 0;
  bool operator==(const Masks&) const = default;
};

constexpr Masks kMasks555{0x7C00, 0x03E0, 0x001F};
constexpr Masks kMasks565{0xF800, 0x07E0, 0x001F};
constexpr Masks kMasks888{0x00FF0000, 0x0000FF00, 0x000000FF};

// What the headers say about the pixels, before anything is trusted.
struct Layout {
  std::uint32_t headerSize = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool topDown = false;
  int bits = 0;
  std::uint32_t compression = kRgb;
  std::uint64_t paletteEntries = 0;  // as declared; the file may hold fewer
  std::size_t paletteEntrySize = 4;
  std::uint64_t paletteStart = 0;
  Masks masks;

  bool IsRle() const { return compression == kRle8 || compression == kRle4; }
};

void ReadCoreHeader(std::span<const std::uint8_t> file, Layout& layout) {
  const std::uint8_t* h = file.data() + kFileHeaderSize;
  layout.width = Get16(h + 4);
  layout.height = Get16(h + 6);
  layout.bits = Get16(h + 10);
  layout.paletteEntrySize = 3;
  layout.paletteEntries = layout.bits <= 8 ? std::uint64_t{1} << layout.bits : 0;
}

void ReadInfoHeader(std::span<const std::uint8_t> file, Layout& layout) {
  const std::uint8_t* h = file.data() + kFileHeaderSize;
  layout.width = static_cast<std::int32_t>(Get32(h + 4));
  const auto height = static_cast<std::int32_t>(Get32(h + 8));
  if (height == std::numeric_limits<std::int32_t>::min()) Fail("the picture height is out of range");
  layout.topDown = height < 0;
  layout.height = height < 0 ? -height : height;
  layout.bits = Get16(h + 14);
  layout.compression = Get32(h + 16);
  const std::uint32_t used = Get32(h + 32);
  layout.paletteEntries = used != 0 ? used : layout.bits <= 8 ? std::uint64_t{1} << layout.bits : 0;
  if (layout.headerSize >= 52) layout.masks = Masks{Get32(h + 40), Get32(h + 44), Get32(h + 48)};
}

bool IsKnownHeaderSize(std::uint32_t size) {
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
         size == kOs2HeaderSize || size == 108 || size == 124;
}

void CheckBitCountAndCompression(const Layout& layout) {
  const int bits = layout.bits;
  switch (layout.compression) {
    case kRgb:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Fail(std::to_string(bits) + " bits per pixel are not supported");
      return;
    case kRle8:
    case kRle4:
      if (bits != (layout.compression == kRle8 ? 8 : 4))
        Fail("run-length compression does not fit " + std::to_string(bits) + " bits per pixel");
      if (layout.topDown) Fail("a run-length compressed picture cannot be stored top-down");
      return;
    case kBitFields:
    case kAlphaBitFields:
      if (bits != 16 && bits != 32) Fail("bit fields do not fit " + std::to_string(bits) + " bits per pixel");
      // The 64-byte header is OS/2's, whose compression 3 means Huffman coding.
      if (layout.headerSize == kOs2HeaderSize) Fail("OS/2 Huffman compression is not supported");
      return;
    default:
      Fail("compression type " + std::to_string(layout.compression) + " is not supported");
  }
}

void CheckSize(const Layout& layout) {
  if (layout.width <= 0 || layout.height <= 0)
    Fail("the picture size " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
         " is not valid");
  if (layout.width > kMaxBitmapSide || layout.height > kMaxBitmapSide ||
      (layout.IsRle() && std::uint64_t(layout.width) * std::uint64_t(layout.height) > kMaxRlePixels))
    Fail("the picture size " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
         " is too large");
}

// Uncompressed 16 and 32-bit files carry no masks: their layout is fixed.
// The masks are clipped to the pixel so that bits it does not have read as 0.
void SettleMasks(std::span<const std::uint8_t> file, Layout& layout) {
  const bool hasFields = layout.compression == kBitFields || layout.compression == kAlphaBitFields;
  if (!hasFields) {
    layout.masks = layout.bits == 16 ? kMasks555 : layout.bits == 32 ? kMasks888 : Masks{};
    return;
  }
  if (layout.headerSize == kInfoHeaderSize) {
    const std::uint64_t start = kFileHeaderSize + kInfoHeaderSize;
    if (start + 12 > file.size()) Fail("the bit field masks are cut off");
    const std::uint8_t* m = file.data() + start;
    layout.masks = Masks{Get32(m), Get32(m + 4), Get32(m + 8)};
  }
  if (layout.bits == 16) {
    layout.masks.red &= 0xFFFF;
    layout.masks.green &= 0xFFFF;
    layout.masks.blue &= 0xFFFF;
  }
  if (layout.masks == Masks{}) Fail("the bit field masks are all zero");
}

Layout ReadLayout(std::span<const std::uint8_t> file) {
  if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') Fail("it is not a Windows bitmap");
  if (file.size() < kFileHeaderSize + 4) Fail("the file is cut off in its header");
  Layout layout;
  layout.headerSize = Get32(file.data() + kFileHeaderSize);
  if (!IsKnownHeaderSize(layout.headerSize))
    Fail("a header of " + std::to_string(layout.headerSize) + " bytes is not supported");
  if (kFileHeaderSize + layout.headerSize > file.size()) Fail("the file is cut off in its header");
  if (layout.headerSize == kCoreHeaderSize)
    ReadCoreHeader(file, layout);
  else
    ReadInfoHeader(file, layout);
  CheckSize(layout);
  CheckBitCountAndCompression(layout);
  SettleMasks(file, layout);
  std::uint64_t maskBytes = 0;
  if (layout.headerSize == kInfoHeaderSize && layout.compression == kBitFields) maskBytes = 12;
  if (layout.headerSize == kInfoHeaderSize && layout.compression == kAlphaBitFields) maskBytes = 16;
  layout.paletteStart = kFileHeaderSize + layout.headerSize + maskBytes;
  return layout;
}

struct Placement {
  std::size_t paletteEntries = 0;  // entries to read, at most the depth's
  std::uint64_t pixelOffset = 0;
};

// Some writers leave the data offset zero or forget the palette in it; then
// the pixels follow the declared palette. An offset inside the palette means
// the palette is shorter than declared.
Placement PlacePaletteAndPixels(std::span<const std::uint8_t> file, const Layout& layout) {
  const std::uint64_t offset = Get32(file.data() + 10);
  if (offset > file.size()) Fail("the pixel data would start past the end of the file");
  const bool indexed = layout.bits <= 8;
  const bool offsetUsable = indexed ? offset > layout.paletteStart : offset >= layout.paletteStart;
  const std::uint64_t paletteEnd = layout.paletteStart + layout.paletteEntries * layout.paletteEntrySize;
  std::uint64_t entries = indexed ? layout.paletteEntries : 0;
  if (offsetUsable && offset < paletteEnd)
    entries = std::min(entries, (offset - layout.paletteStart) / layout.paletteEntrySize);
  entries = std::min(entries, indexed ? std::uint64_t{1} << layout.bits : 0);
  if (layout.paletteStart + entries * layout.paletteEntrySize > file.size()) Fail("the palette is cut off");
  Placement place;
  place.pixelOffset = offsetUsable ? offset : paletteEnd;
  if (place.pixelOffset > file.size()) Fail("the pixel data is missing");
  place.paletteEntries = static_cast<std::size_t>(entries);
  return place;
}

std::vector<Colour> ReadPalette(std::span<const std::uint8_t> file, const Layout& layout,
                                std::size_t entries) {
  std::vector<Colour> palette(entries);
  const std::uint8_t* p = file.data() + layout.paletteStart;
  for (std::size_t i = 0; i < entries; ++i, p += layout.paletteEntrySize)
    palette[i] = MakeColour(p[2], p[1], p[0]);
  return palette;
}

Bitmap AllocatePicture(std::int32_t width, std::int32_t height, PixelFormat format) {
  try {
    return Bitmap::ForOverwrite(width, height, format);
  } catch (const std::length_error&) {
  } catch (const std::bad_alloc&) {
  }
  throw ImageError("Cannot read the BMP file: there is not enough memory for a picture of " +
                   std::to_string(width) + " x " + std::to_string(height) + " pixels.");
}

// Scales one bit field to 0..255. The table holds every value the field can
// take; fields wider than 12 bits drop their low bits first, which changes
// nothing an 8-bit channel could show.
class ChannelScale {
 public:
  explicit ChannelScale(std::uint32_t mask) : mask_(mask) {
    if (mask == 0) {
      table_.assign(1, 0);
      return;
    }
    shift_ = std::countr_zero(mask);
    const int width = std::bit_width(mask >> shift_);
    drop_ = std::max(0, width - 12);
    const std::uint32_t top = (mask >> shift_) >> drop_;
    table_.resize(std::size_t{top} + 1);
    for (std::uint32_t v = 0; v <= top; ++v)
      table_[v] = static_cast<std::uint8_t>((std::uint64_t{v} * 255 + top / 2) / top);
  }

  std::uint8_t operator()(std::uint32_t pixel) const { return table_[((pixel & mask_) >> shift_) >> drop_]; }

 private:
  std::uint32_t mask_;
  int shift_ = 0;
  int drop_ = 0;
  std::vector<std::uint8_t> table_;
};

struct ChannelScales {
  explicit ChannelScales(const Masks& m) : red(m.red), green(m.green), blue(m.blue) {}
  ChannelScale red, green, blue;
};

template <int BytesPerPixel>
void MaskedRowToBgr24(const std::uint8_t* source, std::int32_t width, const ChannelScales& scales,
                      std::uint8_t* bgr) {
  for (std::int32_t x = 0; x < width; ++x, source += BytesPerPixel, bgr += 3) {
    const std::uint32_t pixel = BytesPerPixel == 2 ? Get16(source) : Get32(source);
    bgr[0] = scales.blue(pixel);
    bgr[1] = scales.green(pixel);
    bgr[2] = scales.red(pixel);
  }
}

PixelFormat OutputFormatOf(const Layout& layout) {
  switch (layout.bits) {
    case 1: return PixelFormat::Indexed1;
    case 4: return PixelFormat::Indexed4;
    case 8: return PixelFormat::Indexed8;
    case 16: return layout.masks == kMasks565 ? PixelFormat::Rgb565 : PixelFormat::Bgr24;
    case 32: return layout.masks == kMasks888 ? PixelFormat::Bgrx32 : PixelFormat::Bgr24;
    default: return PixelFormat::Bgr24;
  }
}

std::size_t UsedRowBytes(std::int32_t width, int bits) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 7) / 8;
}

std::uint64_t SourceStride(const Layout& layout) {
  return (std::uint64_t(layout.width) * std::uint64_t(layout.bits) + 31) / 32 * 4;
}

// Checked before the picture is allocated, so that the file's own size bounds
// the memory it can make us take. The last row's padding is often left out;
// its pixels must be there.
void CheckPixelsPresent(std::uint64_t pixelBytes, const Layout& layout) {
  const std::uint64_t needed =
      SourceStride(layout) * std::uint64_t(layout.height - 1) + UsedRowBytes(layout.width, layout.bits);
  if (needed > pixelBytes) Fail("the pixel data is cut off");
}

void DecodeUncompressed(std::span<const std::uint8_t> pixels, const Layout& layout, Bitmap& picture) {
  const std::int32_t width = layout.width, height = layout.height;
  const std::uint64_t sourceStride = SourceStride(layout);
  const std::size_t sourceUsed = UsedRowBytes(width, layout.bits);
  const bool direct = picture.Format() != PixelFormat::Bgr24 || layout.bits == 24;
  const std::size_t written = direct ? sourceUsed : static_cast<std::size_t>(width) * 3;
  const ChannelScales scales(layout.masks);
  const auto convert = layout.bits == 16 ? &MaskedRowToBgr24<2> : &MaskedRowToBgr24<4>;
  const std::size_t padding = picture.Stride() - written;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::int32_t fileRow = layout.topDown ? y : height - 1 - y;
    const std::uint8_t* source = pixels.data() + sourceStride * static_cast<std::uint64_t>(fileRow);
    std::uint8_t* target = picture.Row(y);
    if (direct)
      std::memcpy(target, source, written);
    else
      convert(source, width, scales, target);
    std::memset(target + written, 0, padding);
  }
}

// Writes the runs of a compressed picture, clipping everything that falls
// outside it. Lines count upwards from the bottom row, as the file stores them.
class RleCanvas {
 public:
  RleCanvas(Bitmap& picture, bool fourBit) : picture_(picture), fourBit_(fourBit) {}

  bool Finished() const { return line_ >= picture_.Height(); }

  void Run(std::uint8_t value, unsigned count) {
    const unsigned n = ClipToRow(count);
    std::uint8_t* row = CurrentRow();
    if (!fourBit_) {
      std::memset(row + x_, value, n);
    } else {
      const std::uint8_t pair[2] = {static_cast<std::uint8_t>(value >> 4),
                                    static_cast<std::uint8_t>(value & 15)};
      for (unsigned i = 0; i < n; ++i) PutNibble(row, x_ + i, pair[i & 1]);
    }
    Advance(count);
  }

  // `count` pixels from `bytes`: one per byte, or two per byte high nibble first.
  void Literal(const std::uint8_t* bytes, unsigned count) {
    const unsigned n = ClipToRow(count);
    std::uint8_t* row = CurrentRow();
    if (!fourBit_) {
      std::memcpy(row + x_, bytes, n);
    } else {
      for (unsigned i = 0; i < n; ++i)
        PutNibble(row, x_ + i, static_cast<std::uint8_t>((i & 1) ? bytes[i / 2] & 15 : bytes[i / 2] >> 4));
    }
    Advance(count);
  }

  void EndOfLine() {
    x_ = 0;
    ++line_;
  }

  void Delta(unsigned right, unsigned up) {
    Advance(right);
    line_ = std::min<std::int64_t>(line_ + up, picture_.Height());
  }

 private:
  unsigned ClipToRow(unsigned count) const {
    return static_cast<unsigned>(std::min<std::int64_t>(count, picture_.Width() - x_));
  }
  // Positions past the right edge all behave alike until the next line.
  void Advance(unsigned count) { x_ = std::min<std::int64_t>(x_ + count, picture_.Width()); }
  std::uint8_t* CurrentRow() {
    return picture_.Row(picture_.Height() - 1 - static_cast<std::int32_t>(line_));
  }
  static void PutNibble(std::uint8_t* row, std::int64_t x, std::uint8_t index) {
    std::uint8_t& byte = row[x / 2];
    byte = (x & 1) ? static_cast<std::uint8_t>((byte & 0xF0) | index)
                   : static_cast<std::uint8_t>((byte & 0x0F) | (index << 4));
  }

  Bitmap& picture_;
  bool fourBit_;
  std::int64_t x_ = 0;
  std::int64_t line_ = 0;
};

// A stream without an end-of-picture code, or cut off in the middle, keeps
// what it drew: the rest stays index 0, as the platform shows such files.
void DecodeRle(std::span<const std::uint8_t> stream, bool fourBit, Bitmap& picture) {
  std::memset(picture.Data(), 0, picture.ByteSize());
  RleCanvas canvas(picture, fourBit);
  std::size_t p = 0;
  while (p + 2 <= stream.size() && !canvas.Finished()) {
    const unsigned count = stream[p], code = stream[p + 1];
    p += 2;
    if (count > 0) {
      canvas.Run(static_cast<std::uint8_t>(code), count);
      continue;
    }
    switch (code) {
      case 0: canvas.EndOfLine(); break;
      case 1: return;
      case 2:
        if (p + 2 > stream.size()) return;
        canvas.Delta(stream[p], stream[p + 1]);
        p += 2;
        break;
      default: {
        // Literal runs are padded to a 16-bit boundary.
        const std::size_t bytes = fourBit ? (code + 1) / 2 : code;
        const std::size_t present = std::min(bytes, stream.size() - p);
        const std::size_t pixels = fourBit ? std::min<std::size_t>(code, present * 2) : present;
        canvas.Literal(stream.data() + p, static_cast<unsigned>(pixels));
        p += (bytes + 1) & ~std::size_t{1};
      }
    }
  }
}

// --- Writing ---------------------------------------------------------------

class HeaderBytes {
 public:
  void Put16(std::uint32_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void Put32(std::uint32_t v) {
    Put16(v & 0xFFFF);
    Put16(v >> 16);
  }
  void PutColour(Colour c) {
    const std::uint8_t quad[4] = {BlueOf(c), GreenOf(c), RedOf(c), 0};
    bytes_.insert(bytes_.end(), quad, quad + 4);
  }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Where the pixels start: after both headers and the masks or palette.
std::uint64_t PixelOffsetFor(PixelFormat format) {
  const auto paletteSize = static_cast<std::uint32_t>(PaletteSizeOf(format));
  const std::uint32_t extra = format == PixelFormat::Rgb565 ? 12 : paletteSize * 4;
  return kFileHeaderSize + kInfoHeaderSize + extra;
}

HeaderBytes BuildHeaders(const Bitmap& bitmap) {
  const PixelFormat format = bitmap.Format();
  const std::uint32_t paletteSize = static_cast<std::uint32_t>(PaletteSizeOf(format));
  const std::uint64_t offset = PixelOffsetFor(format);
  const std::uint64_t imageSize = bitmap.ByteSize();
  if (offset + imageSize > std::numeric_limits<std::uint32_t>::max())
    throw ImageError("Cannot save the picture as BMP: it is too large for the format.");

  HeaderBytes h;
  h.Put16('B' | ('M' << 8));
  h.Put32(static_cast<std::uint32_t>(offset + imageSize));
  h.Put32(0);
  h.Put32(static_cast<std::uint32_t>(offset));

  h.Put32(kInfoHeaderSize);
  h.Put32(static_cast<std::uint32_t>(bitmap.Width()));
  h.Put32(static_cast<std::uint32_t>(bitmap.Height()));
  h.Put16(1);
  h.Put16(static_cast<std::uint32_t>(BitsPerPixel(format)));
  h.Put32(format == PixelFormat::Rgb565 ? kBitFields : kRgb);
  h.Put32(static_cast<std::uint32_t>(imageSize));
  h.Put32(kPixelsPerMetre);
  h.Put32(kPixelsPerMetre);
  h.Put32(paletteSize);
  h.Put32(0);

  if (format == PixelFormat::Rgb565) {
    h.Put32(kMasks565.red);
    h.Put32(kMasks565.green);
    h.Put32(kMasks565.blue);
  }
  const auto palette = bitmap.Palette();
  for (std::uint32_t i = 0; i < paletteSize; ++i) h.PutColour(i < palette.size() ? palette[i] : kBlack);
  return h;
}

// Rows whose pixels fill the stride exactly go straight from the bitmap.
// Others pass through a buffer that zeroes the padding and the unused bits
// of the last byte, so the file never carries stale memory.
void WriteRows(const Bitmap& bitmap, ByteSink& sink) {
  const std::size_t stride = bitmap.Stride();
  const int bits = BitsPerPixel(bitmap.Format());
  const std::size_t usedBits = static_cast<std::size_t>(bitmap.Width()) * static_cast<std::size_t>(bits);
  if (usedBits == stride * 8) {
    for (std::int32_t y = bitmap.Height() - 1; y >= 0; --y) sink.Write(bitmap.Row(y), stride);
    return;
  }
  const std::size_t used = (usedBits + 7) / 8;
  const unsigned spareBits = static_cast<unsigned>(used * 8 - usedBits);
  const auto lastByteMask = static_cast<std::uint8_t>(0xFF << spareBits);
  const std::size_t rowsPerBlock = std::max<std::size_t>(1, (std::size_t{1} << 18) / stride);
  std::vector<std::uint8_t> block(rowsPerBlock * stride, 0);
  std::size_t filled = 0;
  for (std::int32_t y = bitmap.Height() - 1; y >= 0; --y) {
    std::uint8_t* out = block.data() + filled * stride;
    std::memcpy(out, bitmap.Row(y), used);
    out[used - 1] &= lastByteMask;
    if (++filled == rowsPerBlock) {
      sink.Write(block.data(), filled * stride);
      filled = 0;
    }
  }
  if (filled > 0) sink.Write(block.data(), filled * stride);
}

}  // namespace

Bitmap ReadBmp(std::span<const std::uint8_t> file) {
  const Layout layout = ReadLayout(file);
  const Placement place = PlacePaletteAndPixels(file, layout);
  const auto pixels = file.subspan(static_cast<std::size_t>(place.pixelOffset));
  if (!layout.IsRle()) CheckPixelsPresent(pixels.size(), layout);
  Bitmap picture = AllocatePicture(layout.width, layout.height, OutputFormatOf(layout));
  if (IsIndexed(picture.Format())) picture.SetPalette(ReadPalette(file, layout, place.paletteEntries));
  if (layout.IsRle())
    DecodeRle(pixels, layout.compression == kRle4, picture);
  else
    DecodeUncompressed(pixels, layout, picture);
  return picture;
}

namespace {

// The rows of an uncompressed file whose pixels are kept as stored go from
// the file straight into the picture: a screenshot-sized bitmap is then read
// without a second buffer of its size. Anything else (compressed, converted,
// oddly placed) is read whole and decoded by ReadBmp, as is any file whose
// header does not parse here, so that both ways give the same errors.
std::optional<Bitmap> ReadRowsInPlace(std::FILE* file, std::uint64_t fileSize) {
  std::uint8_t start[kFileHeaderSize];
  if (std::fread(start, 1, sizeof start, file) != sizeof start) return std::nullopt;
  const std::uint32_t offset = Get32(start + 10);
  constexpr std::uint32_t kMostHeaderBytes = 1u << 20;
  if (offset < kFileHeaderSize || offset > fileSize || offset > kMostHeaderBytes) return std::nullopt;
  std::vector<std::uint8_t> head(start, start + kFileHeaderSize);
  head.resize(offset);
  if (std::fread(head.data() + kFileHeaderSize, 1, offset - kFileHeaderSize, file) != offset - kFileHeaderSize)
    return std::nullopt;
  Layout layout;
  Placement place;
  try {
    layout = ReadLayout(head);
    place = PlacePaletteAndPixels(head, layout);
  } catch (const ImageError&) {
    return std::nullopt;
  }
  const PixelFormat format = OutputFormatOf(layout);
  const bool direct = format != PixelFormat::Bgr24 || layout.bits == 24;
  if (layout.IsRle() || !direct || place.pixelOffset != offset) return std::nullopt;
  CheckPixelsPresent(fileSize - offset, layout);
  Bitmap picture = AllocatePicture(layout.width, layout.height, format);
  if (IsIndexed(picture.Format())) picture.SetPalette(ReadPalette(head, layout, place.paletteEntries));
  const std::size_t used = UsedRowBytes(layout.width, layout.bits);
  const auto skip = static_cast<long>(SourceStride(layout) - used);
  for (std::int32_t fileRow = 0; fileRow < layout.height; ++fileRow) {
    const std::int32_t y = layout.topDown ? fileRow : layout.height - 1 - fileRow;
    std::uint8_t* row = picture.Row(y);
    if (std::fread(row, 1, used, file) != used) Fail("the pixel data is cut off");
    std::memset(row + used, 0, picture.Stride() - used);
    // The last row's padding may be missing; the rows are all there.
    if (skip > 0 && fileRow + 1 < layout.height && std::fseek(file, skip, SEEK_CUR) != 0)
      Fail("the pixel data is cut off");
  }
  return picture;
}

}  // namespace

Bitmap ReadBmpFile(const std::filesystem::path& path) {
  std::error_code unknown;
  const std::uintmax_t size = std::filesystem::file_size(path, unknown);
  if (!unknown) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFileForReading(path), &std::fclose);
    if (file)
      if (std::optional<Bitmap> picture = ReadRowsInPlace(file.get(), size)) return std::move(*picture);
  }
  return ReadBmp(ReadFileBytes(path));
}

std::uint64_t BmpFileSize(const Bitmap& bitmap) { return PixelOffsetFor(bitmap.Format()) + bitmap.ByteSize(); }

void WriteBmp(const Bitmap& bitmap, ByteSink& sink) {
  // The reader refuses empty pictures, as other programs do, so none is written.
  if (bitmap.IsEmpty()) throw ImageError("Cannot save the picture as BMP: it has no pixels.");
  const HeaderBytes headers = BuildHeaders(bitmap);
  sink.Write(headers.Bytes());
  WriteRows(bitmap, sink);
}

void WriteBmpFile(const Bitmap& bitmap, const std::filesystem::path& path, Durability durability) {
  if (bitmap.IsEmpty()) throw ImageError("Cannot save the picture as BMP: it has no pixels.");
  AtomicFileWriter writer(path, durability);
  WriteBmp(bitmap, writer);
  writer.Commit();
}

}  // namespace brisko
