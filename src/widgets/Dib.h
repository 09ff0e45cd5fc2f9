#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "core/Bitmap.h"
#include "widgets/Handles.h"

namespace brisko::win {

// BITMAPINFO with room for a full palette or the three 5-6-5 masks,
// describing rows top-down exactly as a Bitmap stores them.
struct DibInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD colours[256]{};

  BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
  const BITMAPINFO* Get() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};
DibInfo DibInfoFor(std::int32_t width, std::int32_t height, PixelFormat format,
                   std::span<const Colour> palette);
DibInfo DibInfoFor(const Bitmap& bitmap);

// A GDI bitmap whose pixels are ours to read: the bridge between GDI drawing
// and a Bitmap. Its row layout equals the Bitmap's, so copies are one block.
class DibSection {
 public:
  DibSection(std::int32_t width, std::int32_t height, PixelFormat format,
             std::span<const Colour> palette = {});
  // A section holding a copy of the bitmap's pixels.
  explicit DibSection(const Bitmap& bitmap);

  HBITMAP Handle() const { return bitmap_.Get(); }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  // A row of the section's pixels, laid out as a Bitmap's; call GdiFlush
  // first when GDI drew into the section.
  const std::uint8_t* Row(std::int32_t y) const {
    return bits_ + StrideFor(width_, format_) * static_cast<std::size_t>(y);
  }
  // Copies the section's pixels into `target`, which must have the
  // section's size and format.
  void CopyTo(Bitmap& target) const;
  void CopyFrom(const Bitmap& source);

 private:
  std::int32_t width_;
  std::int32_t height_;
  PixelFormat format_;
  std::uint8_t* bits_ = nullptr;
  ScopedBitmap bitmap_;
};

// A memory device context with a DIB section selected into it, for drawing
// with GDI onto (a part of) a Bitmap.
class DibCanvas {
 public:
  DibCanvas(std::int32_t width, std::int32_t height, PixelFormat format,
            std::span<const Colour> palette = {});
  explicit DibCanvas(const Bitmap& bitmap);
  ~DibCanvas();
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;

  HDC Dc() const { return dc_.Get(); }
  const DibSection& Section() const { return section_; }

 private:
  DibSection section_;
  MemoryDC dc_;
  HGDIOBJ previous_ = nullptr;
};

// Stretches the whole bitmap onto `to` of the device context with the
// platform's smooth (halftone) stretch.
void StretchBitmapHalftone(HDC dc, const Bitmap& bitmap, const RECT& to);

// Copies `part` of the bitmap one to one to (x, y) of the device context.
void DrawBitmap(HDC dc, const Bitmap& bitmap, const Rect& part, int x, int y);

}  // namespace brisko::win
