#include "widgets/Dib.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "widgets/Win32Error.h"

namespace brisko::win {

DibInfo DibInfoFor(std::int32_t width, std::int32_t height, PixelFormat format,
                   std::span<const Colour> palette) {
  DibInfo info;
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = -height;  // top-down, like Bitmap rows
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(BitsPerPixel(format));
  info.header.biCompression = BI_RGB;
  if (format == PixelFormat::Rgb565) {
    info.header.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.colours, masks, sizeof masks);
  }
  if (IsIndexed(format)) {
    const std::size_t n = std::min(palette.size(), PaletteSizeOf(format));
    for (std::size_t i = 0; i < n; ++i)
      info.colours[i] = RGBQUAD{BlueOf(palette[i]), GreenOf(palette[i]), RedOf(palette[i]), 0};
    info.header.biClrUsed = static_cast<DWORD>(PaletteSizeOf(format));
  }
  return info;
}

DibInfo DibInfoFor(const Bitmap& bitmap) {
  return DibInfoFor(bitmap.Width(), bitmap.Height(), bitmap.Format(), bitmap.Palette());
}

DibSection::DibSection(std::int32_t width, std::int32_t height, PixelFormat format,
                       std::span<const Colour> palette)
    : width_(width), height_(height), format_(format) {
  CheckBitmapSize(width, height, format);
  const DibInfo info = DibInfoFor(std::max(width, 1), std::max(height, 1), format, palette);
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) ThrowLastError("CreateDIBSection");
  bits_ = static_cast<std::uint8_t*>(bits);
}

DibSection::DibSection(const Bitmap& bitmap)
    : DibSection(bitmap.Width(), bitmap.Height(), bitmap.Format(), bitmap.Palette()) {
  CopyFrom(bitmap);
}

void DibSection::CopyTo(Bitmap& target) const {
  if (target.Width() != width_ || target.Height() != height_ || target.Format() != format_)
    throw std::invalid_argument("DIB section and bitmap differ in size or format");
  GdiFlush();
  if (target.ByteSize() > 0) std::memcpy(target.Data(), bits_, target.ByteSize());
}

void DibSection::CopyFrom(const Bitmap& source) {
  if (source.Width() != width_ || source.Height() != height_ || source.Format() != format_)
    throw std::invalid_argument("DIB section and bitmap differ in size or format");
  GdiFlush();
  if (source.ByteSize() > 0) std::memcpy(bits_, source.Data(), source.ByteSize());
}

DibCanvas::DibCanvas(std::int32_t width, std::int32_t height, PixelFormat format,
                     std::span<const Colour> palette)
    : section_(width, height, format, palette), dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) ThrowLastError("CreateCompatibleDC");
  previous_ = SelectObject(dc_.Get(), section_.Handle());
}

DibCanvas::DibCanvas(const Bitmap& bitmap) : section_(bitmap), dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) ThrowLastError("CreateCompatibleDC");
  previous_ = SelectObject(dc_.Get(), section_.Handle());
}

DibCanvas::~DibCanvas() {
  if (previous_) SelectObject(dc_.Get(), previous_);
}

void StretchBitmapHalftone(HDC dc, const Bitmap& bitmap, const RECT& to) {
  if (bitmap.IsEmpty()) return;
  const DibInfo info = DibInfoFor(bitmap);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, bitmap.Width(),
                bitmap.Height(), bitmap.Data(), info.Get(), DIB_RGB_COLORS, SRCCOPY);
}

void DrawBitmap(HDC dc, const Bitmap& bitmap, const Rect& part, int x, int y) {
  const Rect inside = Intersection(part, Rect{0, 0, bitmap.Width(), bitmap.Height()});
  if (inside.IsEmpty()) return;
  // The rows from the part's top form a top-down DIB of their own, whose
  // columns start at the part's left.
  const DibInfo info = DibInfoFor(bitmap.Width(), inside.Height(), bitmap.Format(), bitmap.Palette());
  SetDIBitsToDevice(dc, x + inside.Left - part.Left, y + inside.Top - part.Top, static_cast<DWORD>(inside.Width()),
                    static_cast<DWORD>(inside.Height()), inside.Left, 0, 0, static_cast<UINT>(inside.Height()),
                    bitmap.Row(inside.Top), info.Get(), DIB_RGB_COLORS);
}

}  // namespace brisko::win
