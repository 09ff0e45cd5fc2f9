#include "codecs/Codecs.h"
#include "codecs/Gif.h"
#include "codecs/Jpeg.h"
#include "codecs/Limits.h"
#include "codecs/Pcx.h"
#include "codecs/Png.h"
#include "codecs/Tga.h"
#include "codecs/Tiff.h"
#include "core/Bmp.h"

namespace brisko {

namespace {

bool IsPcxDepth(PixelFormat f) {
  return f == PixelFormat::Indexed4 || f == PixelFormat::Indexed8 || f == PixelFormat::Bgr24;
}

// The writers of BMP and PCX store the bitmap in its own format; the
// parameters ask for a depth, so convert a copy when the two differ.
template <typename Write>
void WriteAtDepth(const Bitmap& picture, PixelFormat depth, Write write) {
  if (picture.Format() == depth) return write(picture);
  Bitmap converted = picture;
  converted.SetFormat(depth);
  write(converted);
}

void WriteBmpWithProgress(const Bitmap& picture, ByteSink& sink, const ProgressFn& progress) {
  ProgressReporter reporter(progress, 1);
  WriteBmp(picture, sink);
  reporter.Finish();
}

}  // namespace

void WriteImage(const Bitmap& picture, const SaveParameters& parameters, ByteSink& sink, const ProgressFn& progress) {
  switch (parameters.format) {
    case ImageFormat::Bmp:
      return WriteAtDepth(picture, parameters.depth,
                          [&](const Bitmap& b) { WriteBmpWithProgress(b, sink, progress); });
    case ImageFormat::Pcx: {
      const PixelFormat depth = IsPcxDepth(parameters.depth) ? parameters.depth : PixelFormat::Bgr24;
      return WriteAtDepth(picture, depth, [&](const Bitmap& b) { WritePcx(b, sink, progress); });
    }
    case ImageFormat::Jpeg:
      return WriteJpeg(picture, parameters.jpegQuality, parameters.jpegSmoothing, sink, progress);
    case ImageFormat::Png: return WritePng(picture, sink, progress);
    case ImageFormat::Tiff: return WriteTiff(picture, parameters.tiffCompression, sink, progress);
    case ImageFormat::Gif: return WriteGif(picture, sink, progress);
    case ImageFormat::Tga: return WriteTga(picture, sink, progress);
  }
  throw ImageError("Cannot save the picture: the file type is not supported.");
}

void WriteImageFile(const Bitmap& picture, const SaveParameters& parameters, const std::filesystem::path& path,
                    const ProgressFn& progress, Durability durability) {
  AtomicFileWriter writer(path, durability);
  WriteImage(picture, parameters, writer, progress);
  writer.Commit();
}

}  // namespace brisko
