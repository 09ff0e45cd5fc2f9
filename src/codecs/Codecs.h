#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "codecs/Progress.h"
#include "core/Bitmap.h"
#include "core/Files.h"
#include "core/ImageError.h"

// The image files the program reads and writes, behind one interface: read a
// file into a Bitmap, write a Bitmap in a format with its parameters, with
// progress in percent and a way to give up (see Progress.h).
//
// Readers take the first picture of a file and give a 24-bit bitmap, except
// BMP (the bitmap's own format) and GIF (8 bits with the file's palette).
// Every reader checks what a file declares before it allocates anything and
// throws ImageError for a file it cannot decode; writers throw ImageError for
// a picture the format cannot hold, FileError when the sink fails, and
// Cancelled when the progress function asked to stop.
namespace brisko {

enum class ImageFormat : std::uint8_t { Bmp, Jpeg, Pcx, Png, Tiff, Gif, Tga };

// The compression codes of the TIFF standard that the writer offers. The
// three fax codes store the picture as black and white, one bit per pixel.
enum class TiffCompression : std::uint16_t {
  None = 1,
  CcittRle = 2,  // modified Huffman
  CcittFax3 = 3,
  CcittFax4 = 4,
  Lzw = 5,
  PackBits = 32773,
};

// Everything a writer can be told; each format reads the fields it has.
struct SaveParameters {
  ImageFormat format = ImageFormat::Bmp;
  // BMP: any pixel format; PCX: Indexed4, Indexed8 or Bgr24 (other formats
  // are written as 24 bits). The picture is converted to it first, to the
  // nearest colours of the standard palette of that depth.
  PixelFormat depth = PixelFormat::Bgr24;
  // JPEG quality; values outside 1..100 are taken as the nearest end.
  int jpegQuality = 75;
  // JPEG smoothing: libjpeg's smoothing factor, 0 (none) to 100.
  int jpegSmoothing = 3;
  TiffCompression tiffCompression = TiffCompression::None;
};

// The format a file is opened as, chosen by its extension (any case):
// BMP, JPG, JPEG, JPE, PNG, TIF, TIFF and GIF; nothing for any other.
std::optional<ImageFormat> FormatForOpening(const std::filesystem::path& file);

// The format a file of this name is saved as: BMP, JPG/JPEG/JPE, PCX, PNG,
// TIF/TIFF, GIF and TGA by their extension (any case), TIFF for any other
// extension, so a name the program does not know still gets a file that
// says what it is. Read such a file back with ReadImageFile(path, format).
ImageFormat FormatForSaving(const std::filesystem::path& file);

Bitmap ReadImage(std::span<const std::uint8_t> file, ImageFormat format, const ProgressFn& progress = {});
Bitmap ReadImageFile(const std::filesystem::path& path, ImageFormat format, const ProgressFn& progress = {});
// By FormatForOpening; an extension it does not know gives ImageError.
Bitmap ReadImageFile(const std::filesystem::path& path, const ProgressFn& progress = {});

void WriteImage(const Bitmap& picture, const SaveParameters& parameters, ByteSink& sink,
                const ProgressFn& progress = {});
// Through AtomicFileWriter: the target keeps its old content (or stays
// absent) unless the whole new file was written.
void WriteImageFile(const Bitmap& picture, const SaveParameters& parameters,
                    const std::filesystem::path& path, const ProgressFn& progress = {},
                    Durability durability = Durability::Flushed);

}  // namespace brisko
