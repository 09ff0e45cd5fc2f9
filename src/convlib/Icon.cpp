#include <windows.h>

#include <algorithm>
#include <cstring>

#include "codecs/Ico.h"
#include "convlib/Converters.h"
#include "core/Files.h"
#include "widgets/Dib.h"
#include "widgets/Handles.h"
#include "widgets/Win32Error.h"

namespace brisko::convlib {

namespace {

bool SameColour(const std::uint8_t* bgr, Colour c) {
  return bgr[0] == BlueOf(c) && bgr[1] == GreenOf(c) && bgr[2] == RedOf(c);
}

// The whole source on a 24-bit picture of the given size, by the platform's
// plain stretch (COLORONCOLOR: each target pixel takes one source pixel).
Bitmap StretchToIconSize(const Bitmap& source, SIZE size) {
  win::DibCanvas canvas(size.cx, size.cy, PixelFormat::Bgr24);
  const win::DibInfo info = win::DibInfoFor(source);
  SetStretchBltMode(canvas.Dc(), COLORONCOLOR);
  if (StretchDIBits(canvas.Dc(), 0, 0, size.cx, size.cy, 0, 0, source.Width(), source.Height(), source.Data(),
                    info.Get(), DIB_RGB_COLORS, SRCCOPY) == 0)
    win::ThrowLastError("StretchDIBits");
  Bitmap picture = Bitmap::ForOverwrite(size.cx, size.cy, PixelFormat::Bgr24);
  canvas.Section().CopyTo(picture);
  return picture;
}

Colour TransparentColourOf(const Bitmap& source) {
  if (source.Format() == PixelFormat::Indexed1) return kWhite;
  return source.PixelAt(0, source.Height() - 1);
}

// 1 (white) where the pixel has the transparent colour, 0 (black) elsewhere.
Bitmap TransparencyMask(const Bitmap& picture, Colour transparent) {
  Bitmap mask(picture.Width(), picture.Height(), PixelFormat::Indexed1);
  for (std::int32_t y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* bgr = picture.Row(y);
    std::uint8_t* bits = mask.Row(y);
    std::memset(bits, 0, mask.Stride());
    for (std::int32_t x = 0; x < picture.Width(); ++x, bgr += 3)
      if (SameColour(bgr, transparent)) bits[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
  }
  return mask;
}

// Transparent pixels must be black in an icon's colour image: the system
// draws them by AND with the mask, then XOR with the colour.
void BlackOut(Bitmap& picture, Colour transparent) {
  for (std::int32_t y = 0; y < picture.Height(); ++y) {
    std::uint8_t* bgr = picture.Row(y);
    for (std::int32_t x = 0; x < picture.Width(); ++x, bgr += 3)
      if (SameColour(bgr, transparent)) bgr[0] = bgr[1] = bgr[2] = 0;
  }
}

// A device bitmap holding the pixels: monochrome for a 1-bit bitmap, else
// compatible with the screen.
win::ScopedBitmap DeviceBitmap(const Bitmap& pixels, HDC screen) {
  const bool mono = pixels.Format() == PixelFormat::Indexed1;
  win::ScopedBitmap bitmap(mono ? CreateBitmap(pixels.Width(), pixels.Height(), 1, 1, nullptr)
                                : CreateCompatibleBitmap(screen, pixels.Width(), pixels.Height()));
  if (!bitmap) win::ThrowLastError("CreateBitmap");
  const win::DibInfo info = win::DibInfoFor(pixels);
  if (SetDIBits(screen, bitmap.Get(), 0, static_cast<UINT>(pixels.Height()), pixels.Data(), info.Get(),
                DIB_RGB_COLORS) == 0)
    win::ThrowLastError("SetDIBits");
  return bitmap;
}

Bitmap ReadDeviceBitmap(HBITMAP bitmap, HDC screen, SIZE size, PixelFormat format) {
  Bitmap pixels = Bitmap::ForOverwrite(size.cx, size.cy, format);
  win::DibInfo info = win::DibInfoFor(pixels);
  if (GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), pixels.Data(), info.Get(), DIB_RGB_COLORS) == 0)
    win::ThrowLastError("GetDIBits");
  if (format == PixelFormat::Indexed1) {
    // A monochrome bitmap reads back as black (0) and white (1); should the
    // table say otherwise, make 1 the white, transparent bit again.
    const RGBQUAD one = info.colours[1];
    if (one.rgbRed == 0 && one.rgbGreen == 0 && one.rgbBlue == 0)
      for (std::size_t i = 0; i < pixels.ByteSize(); ++i) pixels.Data()[i] = static_cast<std::uint8_t>(~pixels.Data()[i]);
  }
  return pixels;
}

// The icon file is written from the icon's own bitmaps, as the system
// holds them after CreateIconIndirect.
void SaveIcon(HICON icon, HDC screen, SIZE size, const std::filesystem::path& target) {
  ICONINFO parts{};
  if (!GetIconInfo(icon, &parts)) win::ThrowLastError("GetIconInfo");
  const win::ScopedBitmap colour(parts.hbmColor), mask(parts.hbmMask);
  const Bitmap colourPixels = ReadDeviceBitmap(colour.Get(), screen, size, PixelFormat::Bgr24);
  const Bitmap maskPixels = ReadDeviceBitmap(mask.Get(), screen, size, PixelFormat::Indexed1);
  AtomicFileWriter writer(target);
  WriteIco(colourPixels, maskPixels, writer);
  writer.Commit();
}

}  // namespace

void WriteIcon(const Bitmap& bitmap, const std::filesystem::path& target) {
  const SIZE size{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
  Bitmap picture = StretchToIconSize(bitmap, size);
  const Colour transparent = TransparentColourOf(bitmap);
  // The mask is taken before any pixel changes.
  const Bitmap mask = TransparencyMask(picture, transparent);
  BlackOut(picture, transparent);

  const win::WindowDC screen;
  if (!screen) win::ThrowLastError("GetDC");
  const win::ScopedBitmap maskBitmap = DeviceBitmap(mask, screen.Get());
  const win::ScopedBitmap colourBitmap = DeviceBitmap(picture, screen.Get());
  ICONINFO parts{};
  parts.fIcon = TRUE;
  parts.hbmMask = maskBitmap.Get();
  parts.hbmColor = colourBitmap.Get();
  const win::ScopedIcon icon(CreateIconIndirect(&parts));
  if (!icon) win::ThrowLastError("CreateIconIndirect");
  SaveIcon(icon.Get(), screen.Get(), size, target);
}

}  // namespace brisko::convlib
