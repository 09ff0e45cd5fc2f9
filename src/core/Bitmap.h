#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/Colour.h"
#include "core/Geometry.h"

namespace brisko {

// Bits per pixel of the supported layouts. The indexed formats carry a
// palette; Rgb565 is the 16-bit bit-field layout; Bgr24 holds blue, green,
// red bytes; Bgrx32 adds an unused fourth byte (the screen's own layout).
enum class PixelFormat : std::uint8_t {
  Indexed1 = 1,
  Indexed4 = 4,
  Indexed8 = 8,
  Rgb565 = 16,
  Bgr24 = 24,
  Bgrx32 = 32,
};

constexpr int BitsPerPixel(PixelFormat f) { return static_cast<int>(f); }
constexpr bool IsIndexed(PixelFormat f) { return BitsPerPixel(f) <= 8; }
constexpr std::size_t PaletteSizeOf(PixelFormat f) {
  return IsIndexed(f) ? std::size_t{1} << BitsPerPixel(f) : 0;
}

// Rows padded to four bytes, as device-independent bitmaps expect them.
constexpr std::size_t StrideFor(std::int32_t width, PixelFormat f) {
  return ((static_cast<std::size_t>(width) * BitsPerPixel(f) + 31) / 32) * 4;
}

// Largest pixel block a Bitmap allocates; larger requests are refused with
// std::length_error instead of exhausting memory.
inline constexpr std::size_t kMaxBitmapBytes = std::size_t{1} << 31;
inline constexpr std::int32_t kMaxBitmapSide = 1 << 20;

// A picture in memory. Rows are stored top-down, each 4-byte aligned, so a
// block of rows can go to the platform's DIB calls without a copy.
//
// New area is painted with the fill colour (white unless set), both for a
// fresh bitmap and for the area that SetSize adds.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(std::int32_t width, std::int32_t height, PixelFormat format = PixelFormat::Bgr24);

  // A bitmap whose pixels are left unwritten, for code that writes every
  // byte anyway (decoders, grabs, whole-picture operations).
  static Bitmap ForOverwrite(std::int32_t width, std::int32_t height,
                             PixelFormat format = PixelFormat::Bgr24);

  Bitmap(const Bitmap& other);
  Bitmap& operator=(const Bitmap& other);
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(Bitmap&& other) noexcept;
  ~Bitmap() = default;

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  bool IsEmpty() const { return width_ == 0 || height_ == 0; }
  PixelFormat Format() const { return format_; }
  std::size_t Stride() const { return stride_; }
  std::size_t ByteSize() const { return stride_ * static_cast<std::size_t>(height_); }

  std::uint8_t* Row(std::int32_t y) { return pixels_.get() + stride_ * static_cast<std::size_t>(y); }
  const std::uint8_t* Row(std::int32_t y) const {
    return pixels_.get() + stride_ * static_cast<std::size_t>(y);
  }
  std::uint8_t* Data() { return pixels_.get(); }
  const std::uint8_t* Data() const { return pixels_.get(); }

  // Palette entries as colour values; empty for the direct formats.
  std::span<const Colour> Palette() const { return palette_; }
  void SetPalette(std::span<const Colour> colours);

  Colour FillColour() const { return fill_; }
  void SetFillColour(Colour c) { fill_ = c; }

  // Changes the size keeping the overlapping top-left content; new rows and
  // columns get the fill colour.
  void SetSize(std::int32_t width, std::int32_t height);

  // Makes room for `rows` rows of the present width and format, keeping
  // the content (moved once if the memory must grow), so that growing the
  // height up to there copies nothing.
  void ReserveRows(std::int32_t rows);
  // Adds `count` rows at the bottom whose pixels the caller writes; returns
  // the first. Short of reserved memory, the reserve grows by at least an
  // eighth.
  std::uint8_t* AddRowsForOverwrite(std::int32_t count);
  // Rows the memory holds at the present stride.
  std::int32_t ReservedRows() const;

  // Discards the content: the bitmap becomes width x height in the given
  // format, painted with the fill colour.
  void Recreate(std::int32_t width, std::int32_t height, PixelFormat format);
  // The same shape change, but the pixels are left for the caller to write
  // (row padding excepted); the memory is kept when large enough, so a
  // bitmap that is filled again and again allocates once.
  void ReshapeForOverwrite(std::int32_t width, std::int32_t height, PixelFormat format);

  // Converts the pixels to another format. Indexed targets get the standard
  // palette of their depth (black and white, the 16 standard colours, the
  // halftone palette) unless one is given; each pixel maps to the nearest
  // palette colour, without dithering.
  void SetFormat(PixelFormat format);
  void SetFormat(PixelFormat format, std::span<const Colour> palette);
  // The same conversion written into `target` (not this bitmap), which
  // keeps its memory when large enough: for repeated conversions.
  void ConvertInto(Bitmap& target, PixelFormat format) const;
  void ConvertInto(Bitmap& target, PixelFormat format, std::span<const Colour> palette) const;

  Colour PixelAt(std::int32_t x, std::int32_t y) const;
  void SetPixelAt(std::int32_t x, std::int32_t y, Colour c);
  // Palette index of an indexed pixel.
  std::uint8_t IndexAt(std::int32_t x, std::int32_t y) const;

  void Fill(Colour c);
  void FillRect(const Rect& r, Colour c);

  // Copies the pixels of `area` in `source` (same format) to (x, y) here;
  // parts outside either bitmap are skipped.
  void CopyFrom(const Bitmap& source, const Rect& area, std::int32_t x, std::int32_t y);

 private:
  void Allocate(std::int32_t width, std::int32_t height, PixelFormat format);
  void AssignDefaultPalette();

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  PixelFormat format_ = PixelFormat::Bgr24;
  std::size_t stride_ = 0;
  std::size_t capacity_ = 0;
  struct FreePixels {
    void operator()(std::uint8_t* p) const;
  };
  using PixelStore = std::unique_ptr<std::uint8_t[], FreePixels>;
  // Uninitialised pixel memory; large blocks on huge pages where the
  // platform gives them on request.
  static PixelStore NewPixels(std::size_t bytes);
  PixelStore pixels_;
  std::vector<Colour> palette_;
  Colour fill_ = kWhite;
};

// Throws std::length_error when a bitmap of this size cannot be allocated
// within the limits above.
void CheckBitmapSize(std::int32_t width, std::int32_t height, PixelFormat format);

// Converts one row of `width` pixels from `format` (with `palette` for the
// indexed formats) to 24-bit blue-green-red bytes.
void RowToBgr24(const std::uint8_t* source, PixelFormat format, std::span<const Colour> palette,
                std::int32_t width, std::uint8_t* bgr);

}  // namespace brisko
