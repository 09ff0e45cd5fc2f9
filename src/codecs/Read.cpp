#include "codecs/Codecs.h"
#include "codecs/Gif.h"
#include "codecs/Jpeg.h"
#include "codecs/Png.h"
#include "codecs/Tiff.h"
#include "core/Bmp.h"

namespace brisko {

namespace {

// The bitmap reader reports nothing on its way: it is done when it is done.
template <typename Read>
Bitmap ReadBmpReporting(const ProgressFn& progress, Read&& read) {
  ProgressReporter reporter(progress, 1);
  Bitmap picture = read();
  reporter.Finish();
  return picture;
}

}  // namespace

Bitmap ReadImage(std::span<const std::uint8_t> file, ImageFormat format, const ProgressFn& progress) {
  switch (format) {
    case ImageFormat::Bmp: return ReadBmpReporting(progress, [&] { return ReadBmp(file); });
    case ImageFormat::Jpeg: return ReadJpeg(file, progress);
    case ImageFormat::Png: return ReadPng(file, progress);
    case ImageFormat::Tiff: return ReadTiff(file, progress);
    case ImageFormat::Gif: return ReadGif(file, progress);
    case ImageFormat::Pcx:
    case ImageFormat::Tga: break;
  }
  throw ImageError("Cannot read this type of picture file.");
}

Bitmap ReadImageFile(const std::filesystem::path& path, ImageFormat format, const ProgressFn& progress) {
  // Bitmap files are read row by row into the picture, the others whole.
  if (format == ImageFormat::Bmp) return ReadBmpReporting(progress, [&] { return ReadBmpFile(path); });
  return ReadImage(ReadFileBytes(path), format, progress);
}

Bitmap ReadImageFile(const std::filesystem::path& path, const ProgressFn& progress) {
  const std::optional<ImageFormat> format = FormatForOpening(path);
  if (!format)
    throw ImageError("Cannot read " + Utf8FromPath(path.filename()) + ": its type of picture file is not supported.");
  return ReadImageFile(path, *format, progress);
}

}  // namespace brisko
