#include "core/Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/Palettes.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace brisko {

namespace {

std::uint16_t To565(Colour c) {
  return static_cast<std::uint16_t>(((RedOf(c) >> 3) << 11) | ((GreenOf(c) >> 2) << 5) |
                                    (BlueOf(c) >> 3));
}

Colour From565(std::uint16_t v) {
  const unsigned r5 = (v >> 11) & 31, g6 = (v >> 5) & 63, b5 = v & 31;
  return MakeColour(static_cast<std::uint8_t>((r5 << 3) | (r5 >> 2)),
                    static_cast<std::uint8_t>((g6 << 2) | (g6 >> 4)),
                    static_cast<std::uint8_t>((b5 << 3) | (b5 >> 2)));
}

std::uint8_t IndexIn(const std::uint8_t* row, std::int32_t x, int bits) {
  switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default: return row[x];
  }
}

void SetIndexIn(std::uint8_t* row, std::int32_t x, int bits, std::uint8_t index) {
  switch (bits) {
    case 1: {
      const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~mask) | ((index & 1) ? mask : 0));
      break;
    }
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(15 << shift)) | ((index & 15) << shift));
      break;
    }
    default: row[x] = index;
  }
}

Colour PaletteColour(std::span<const Colour> palette, std::uint8_t index) {
  return index < palette.size() ? palette[index] : kBlack;
}

// Writes one row of 24-bit pixels in `format`; indexed formats use `matcher`.
void RowFromBgr24(const std::uint8_t* bgr, std::int32_t width, PixelFormat format,
                  PaletteMatcher* matcher, std::uint8_t* out) {
  switch (format) {
    case PixelFormat::Bgr24:
      std::memcpy(out, bgr, static_cast<std::size_t>(width) * 3);
      break;
    case PixelFormat::Bgrx32:
      for (std::int32_t x = 0; x < width; ++x) {
        out[4 * x] = bgr[3 * x];
        out[4 * x + 1] = bgr[3 * x + 1];
        out[4 * x + 2] = bgr[3 * x + 2];
        out[4 * x + 3] = 0;
      }
      break;
    case PixelFormat::Rgb565:
      for (std::int32_t x = 0; x < width; ++x) {
        const std::uint16_t v = To565(MakeColour(bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]));
        out[2 * x] = static_cast<std::uint8_t>(v);
        out[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
      }
      break;
    case PixelFormat::Indexed8:
      matcher->NearestRow(bgr, static_cast<std::size_t>(width), out);
      break;
    default: {
      const int bits = BitsPerPixel(format);
      std::uint8_t indices[256];
      for (std::int32_t x = 0; x < width; x += 256) {
        const std::int32_t n = std::min<std::int32_t>(256, width - x);
        matcher->NearestRow(bgr + 3 * static_cast<std::size_t>(x), static_cast<std::size_t>(n), indices);
        for (std::int32_t k = 0; k < n; ++k) SetIndexIn(out, x + k, bits, indices[k]);
      }
    }
  }
}

std::span<const Colour> DefaultPaletteOf(PixelFormat f) {
  switch (f) {
    case PixelFormat::Indexed1: return BlackWhitePalette();
    case PixelFormat::Indexed4: return StandardPalette16();
    case PixelFormat::Indexed8: return HalftonePalette();
    default: return {};
  }
}

}  // namespace

void CheckBitmapSize(std::int32_t width, std::int32_t height, PixelFormat format) {
  if (width < 0 || height < 0)
    throw std::invalid_argument("bitmap size " + std::to_string(width) + " x " +
                                std::to_string(height) + " is negative");
  if (width > kMaxBitmapSide || height > kMaxBitmapSide ||
      static_cast<std::uint64_t>(StrideFor(width, format)) * static_cast<std::uint64_t>(height) >
          kMaxBitmapBytes)
    throw std::length_error("bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                            " pixels is too large");
}

void RowToBgr24(const std::uint8_t* source, PixelFormat format, std::span<const Colour> palette,
                std::int32_t width, std::uint8_t* bgr) {
  switch (format) {
    case PixelFormat::Bgr24:
      std::memcpy(bgr, source, static_cast<std::size_t>(width) * 3);
      break;
    case PixelFormat::Bgrx32:
      for (std::int32_t x = 0; x < width; ++x) {
        bgr[3 * x] = source[4 * x];
        bgr[3 * x + 1] = source[4 * x + 1];
        bgr[3 * x + 2] = source[4 * x + 2];
      }
      break;
    case PixelFormat::Rgb565:
      for (std::int32_t x = 0; x < width; ++x) {
        const Colour c = From565(static_cast<std::uint16_t>(source[2 * x] | (source[2 * x + 1] << 8)));
        bgr[3 * x] = BlueOf(c);
        bgr[3 * x + 1] = GreenOf(c);
        bgr[3 * x + 2] = RedOf(c);
      }
      break;
    default: {
      const int bits = BitsPerPixel(format);
      for (std::int32_t x = 0; x < width; ++x) {
        const Colour c = PaletteColour(palette, IndexIn(source, x, bits));
        bgr[3 * x] = BlueOf(c);
        bgr[3 * x + 1] = GreenOf(c);
        bgr[3 * x + 2] = RedOf(c);
      }
    }
  }
}

Bitmap::Bitmap(std::int32_t width, std::int32_t height, PixelFormat format) {
  Recreate(width, height, format);
}

Bitmap Bitmap::ForOverwrite(std::int32_t width, std::int32_t height, PixelFormat format) {
  Bitmap b;
  b.Allocate(width, height, format);
  return b;
}

void Bitmap::FreePixels::operator()(std::uint8_t* p) const { std::free(p); }

Bitmap::PixelStore Bitmap::NewPixels(std::size_t bytes) {
  void* p = std::malloc(bytes == 0 ? 1 : bytes);
  if (p == nullptr) throw std::bad_alloc();
#if defined(__linux__)
  // A fresh block is paid for at its first write, one page fault per 4 KiB;
  // on 2 MiB pages a screen-sized picture takes a few faults instead of
  // thousands. Only the block's whole 2 MiB pages are asked for, so the
  // allocator still hands a freed block back without new faults.
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(p), end = start + bytes;
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1), last = end & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
  return PixelStore(static_cast<std::uint8_t*>(p));
}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_),
      height_(other.height_),
      format_(other.format_),
      stride_(other.stride_),
      capacity_(other.ByteSize()),
      palette_(other.palette_),
      fill_(other.fill_) {
  if (capacity_ > 0) {
    pixels_ = NewPixels(capacity_);
    std::memcpy(pixels_.get(), other.pixels_.get(), capacity_);
  }
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
  if (this != &other) {
    Bitmap copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      format_(other.format_),
      stride_(std::exchange(other.stride_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      pixels_(std::move(other.pixels_)),
      palette_(std::move(other.palette_)),
      fill_(other.fill_) {}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this == &other) return *this;
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  format_ = other.format_;
  stride_ = std::exchange(other.stride_, 0);
  capacity_ = std::exchange(other.capacity_, 0);
  pixels_ = std::move(other.pixels_);
  palette_ = std::move(other.palette_);
  fill_ = other.fill_;
  return *this;
}

void Bitmap::Allocate(std::int32_t width, std::int32_t height, PixelFormat format) {
  CheckBitmapSize(width, height, format);
  const std::size_t stride = StrideFor(width, format);
  const std::size_t bytes = stride * static_cast<std::size_t>(height);
  if (bytes > capacity_) {
    pixels_ = NewPixels(bytes);
    capacity_ = bytes;
  }
  width_ = width;
  height_ = height;
  stride_ = stride;
  // Rows go whole to the platform and to files, so the padding after the
  // last pixel (the unused bits of a last partial byte included) must never
  // hold stale memory.
  const std::size_t used = static_cast<std::size_t>(width) * BitsPerPixel(format) / 8;
  if (used < stride)
    for (std::int32_t y = 0; y < height; ++y) std::memset(Row(y) + used, 0, stride - used);
  if (format_ != format || palette_.size() != PaletteSizeOf(format)) {
    format_ = format;
    AssignDefaultPalette();
  }
}

void Bitmap::AssignDefaultPalette() {
  const auto p = DefaultPaletteOf(format_);
  palette_.assign(p.begin(), p.end());
}

void Bitmap::SetPalette(std::span<const Colour> colours) {
  const std::size_t size = PaletteSizeOf(format_);
  palette_.assign(colours.begin(), colours.begin() + static_cast<std::ptrdiff_t>(std::min(size, colours.size())));
  palette_.resize(size, kBlack);
}

void Bitmap::ReshapeForOverwrite(std::int32_t width, std::int32_t height, PixelFormat format) {
  Allocate(width, height, format);
}

void Bitmap::Recreate(std::int32_t width, std::int32_t height, PixelFormat format) {
  Allocate(width, height, format);
  Fill(fill_);
}

void Bitmap::SetSize(std::int32_t width, std::int32_t height) {
  if (width == width_ && height == height_) return;
  CheckBitmapSize(width, height, format_);
  if (width == width_ && pixels_) {
    // Same row layout: growing keeps the rows where they are, so stitching a
    // tall picture band by band costs amortised copies only.
    const std::size_t bytes = stride_ * static_cast<std::size_t>(height);
    if (bytes > capacity_) {
      const std::size_t grown = std::max(bytes, std::min(kMaxBitmapBytes, capacity_ + capacity_ / 2));
      auto bigger = NewPixels(grown);
      std::memcpy(bigger.get(), pixels_.get(), ByteSize());
      pixels_ = std::move(bigger);
      capacity_ = grown;
    }
    const std::int32_t oldHeight = height_;
    height_ = height;
    if (height > oldHeight) FillRect(Rect{0, oldHeight, width_, height}, fill_);
    return;
  }
  Bitmap resized;
  resized.format_ = format_;
  resized.palette_ = palette_;
  resized.fill_ = fill_;
  resized.Recreate(width, height, format_);
  resized.CopyFrom(*this, Rect{0, 0, width_, height_}, 0, 0);
  *this = std::move(resized);
}

std::int32_t Bitmap::ReservedRows() const {
  // Rows without bytes take no memory: any number fits.
  if (stride_ == 0) return kMaxBitmapSide;
  return static_cast<std::int32_t>(std::min<std::size_t>(capacity_ / stride_, kMaxBitmapSide));
}

void Bitmap::ReserveRows(std::int32_t rows) {
  CheckBitmapSize(width_, rows, format_);
  const std::size_t bytes = stride_ * static_cast<std::size_t>(rows);
  if (bytes <= capacity_) return;
  auto bigger = NewPixels(bytes);
  if (ByteSize() > 0) std::memcpy(bigger.get(), pixels_.get(), ByteSize());
  pixels_ = std::move(bigger);
  capacity_ = bytes;
}

std::uint8_t* Bitmap::AddRowsForOverwrite(std::int32_t count) {
  if (count < 0) throw std::invalid_argument("cannot add a negative number of rows");
  if (count > kMaxBitmapSide - height_)
    throw std::length_error("bitmap of " + std::to_string(width_) + " x " + std::to_string(height_) +
                            " pixels cannot take " + std::to_string(count) + " more rows");
  const std::int32_t first = height_, height = height_ + count;
  const std::int32_t reserved = ReservedRows();
  if (height > reserved) {
    // Growing by a fixed fraction keeps a picture built band by band at a
    // bounded number of copies; an eighth wastes little on the tall
    // pictures this serves.
    const auto limit = static_cast<std::int32_t>(
        std::min<std::size_t>(kMaxBitmapSide, kMaxBitmapBytes / stride_));
    ReserveRows(std::max(height, std::min(limit, reserved + reserved / 8)));
  }
  height_ = height;
  // The caller writes the pixels, but padding must never hold stale memory
  // (see Allocate).
  const std::size_t used = static_cast<std::size_t>(width_) * BitsPerPixel(format_) / 8;
  if (used < stride_)
    for (std::int32_t y = first; y < height_; ++y) std::memset(Row(y) + used, 0, stride_ - used);
  return Row(first);
}

void Bitmap::SetFormat(PixelFormat format) { SetFormat(format, DefaultPaletteOf(format)); }

void Bitmap::SetFormat(PixelFormat format, std::span<const Colour> palette) {
  const bool samePalette = std::equal(palette.begin(), palette.end(), palette_.begin(), palette_.end());
  if (format == format_ && (!IsIndexed(format) || samePalette)) return;
  Bitmap converted;
  ConvertInto(converted, format, palette);
  *this = std::move(converted);
}

void Bitmap::ConvertInto(Bitmap& target, PixelFormat format) const {
  ConvertInto(target, format, DefaultPaletteOf(format));
}

void Bitmap::ConvertInto(Bitmap& target, PixelFormat format, std::span<const Colour> palette) const {
  if (&target == this) throw std::invalid_argument("ConvertInto needs a target other than the source");
  target.fill_ = fill_;
  target.Allocate(width_, height_, format);
  if (IsIndexed(format)) target.SetPalette(palette);
  if (format == format_ && !IsIndexed(format)) {
    if (ByteSize() > 0) std::memcpy(target.Data(), Data(), ByteSize());
    return;
  }
  std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width_) * 3);
  PaletteMatcher matcher(target.palette_);
  for (std::int32_t y = 0; y < height_; ++y) {
    // A 24-bit source row needs no unpacking.
    const std::uint8_t* row = Row(y);
    if (format_ != PixelFormat::Bgr24) {
      RowToBgr24(row, format_, palette_, width_, bgr.data());
      row = bgr.data();
    }
    RowFromBgr24(row, width_, format, &matcher, target.Row(y));
  }
}

Colour Bitmap::PixelAt(std::int32_t x, std::int32_t y) const {
  const std::uint8_t* row = Row(y);
  switch (format_) {
    case PixelFormat::Bgr24: return MakeColour(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case PixelFormat::Bgrx32: return MakeColour(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    case PixelFormat::Rgb565:
      return From565(static_cast<std::uint16_t>(row[2 * x] | (row[2 * x + 1] << 8)));
    default: return PaletteColour(palette_, IndexIn(row, x, BitsPerPixel(format_)));
  }
}

std::uint8_t Bitmap::IndexAt(std::int32_t x, std::int32_t y) const {
  return IsIndexed(format_) ? IndexIn(Row(y), x, BitsPerPixel(format_)) : 0;
}

void Bitmap::SetPixelAt(std::int32_t x, std::int32_t y, Colour c) {
  std::uint8_t bgr[3] = {BlueOf(c), GreenOf(c), RedOf(c)};
  std::uint8_t* row = Row(y);
  switch (format_) {
    case PixelFormat::Bgr24: std::memcpy(row + 3 * x, bgr, 3); break;
    case PixelFormat::Bgrx32: std::memcpy(row + 4 * x, bgr, 3); row[4 * x + 3] = 0; break;
    case PixelFormat::Rgb565: {
      const std::uint16_t v = To565(c);
      row[2 * x] = static_cast<std::uint8_t>(v);
      row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
      break;
    }
    default: SetIndexIn(row, x, BitsPerPixel(format_), NearestIndex(palette_, c));
  }
}

void Bitmap::Fill(Colour c) { FillRect(Rect{0, 0, width_, height_}, c); }

void Bitmap::FillRect(const Rect& area, Colour c) {
  const Rect r = Intersection(area, Rect{0, 0, width_, height_});
  if (r.IsEmpty()) return;
  const int bits = BitsPerPixel(format_);
  if (bits < 8) {
    const std::uint8_t index = NearestIndex(palette_, c);
    for (std::int32_t y = r.Top; y < r.Bottom; ++y)
      for (std::int32_t x = r.Left; x < r.Right; ++x) SetIndexIn(Row(y), x, bits, index);
    return;
  }
  // Encode one pixel, then repeat its bytes along the first row and copy
  // that row down.
  std::uint8_t pixel[4] = {};
  std::uint8_t bgr[3] = {BlueOf(c), GreenOf(c), RedOf(c)};
  PaletteMatcher matcher(palette_);
  RowFromBgr24(bgr, 1, format_, &matcher, pixel);
  const std::size_t bytesPerPixel = static_cast<std::size_t>(bits / 8);
  std::uint8_t* first = Row(r.Top) + bytesPerPixel * static_cast<std::size_t>(r.Left);
  for (std::int32_t x = 0; x < r.Width(); ++x) std::memcpy(first + bytesPerPixel * x, pixel, bytesPerPixel);
  const std::size_t span = bytesPerPixel * static_cast<std::size_t>(r.Width());
  for (std::int32_t y = r.Top + 1; y < r.Bottom; ++y)
    std::memcpy(Row(y) + bytesPerPixel * static_cast<std::size_t>(r.Left), first, span);
}

void Bitmap::CopyFrom(const Bitmap& source, const Rect& area, std::int32_t x, std::int32_t y) {
  if (source.format_ != format_)
    throw std::invalid_argument("CopyFrom needs bitmaps of the same pixel format");
  // Clip to the source, then shift into target space and clip there.
  Rect from = Intersection(area, Rect{0, 0, source.width_, source.height_});
  if (from.IsEmpty()) return;
  const std::int32_t dx = x + (from.Left - area.Left), dy = y + (from.Top - area.Top);
  const Rect to = Intersection(RectOfSize(dx, dy, from.Width(), from.Height()), Rect{0, 0, width_, height_});
  if (to.IsEmpty()) return;
  from = RectOfSize(from.Left + (to.Left - dx), from.Top + (to.Top - dy), to.Width(), to.Height());
  const int bits = BitsPerPixel(format_);
  for (std::int32_t row = 0; row < to.Height(); ++row) {
    const std::uint8_t* s = source.Row(from.Top + row);
    std::uint8_t* d = Row(to.Top + row);
    if (bits >= 8) {
      const std::size_t bpp = static_cast<std::size_t>(bits / 8);
      std::memmove(d + bpp * static_cast<std::size_t>(to.Left), s + bpp * static_cast<std::size_t>(from.Left),
                   bpp * static_cast<std::size_t>(to.Width()));
    } else {
      for (std::int32_t i = 0; i < to.Width(); ++i)
        SetIndexIn(d, to.Left + i, bits, IndexIn(s, from.Left + i, bits));
    }
  }
}

}  // namespace brisko
