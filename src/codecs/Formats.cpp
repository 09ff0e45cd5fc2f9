#include <algorithm>
#include <cctype>
#include <string>

#include "codecs/Codecs.h"

namespace brisko {

namespace {

// The extension without its dot, in capitals.
std::string ExtensionOf(const std::filesystem::path& file) {
  std::string extension = Utf8FromPath(file.extension());
  if (!extension.empty()) extension.erase(0, 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return extension;
}

struct Known {
  const char* extension;
  ImageFormat format;
  bool opens;  // the Open command reads it
};

// JPEG and JPE are the other names of JPG files and TIFF that of TIF files;
// they map to their format, never to the fallback, so that saving to an
// opened photo.jpeg writes JPEG data.
constexpr Known kKnown[] = {
    {"BMP", ImageFormat::Bmp, true},   {"JPG", ImageFormat::Jpeg, true}, {"JPEG", ImageFormat::Jpeg, true},
    {"JPE", ImageFormat::Jpeg, true},  {"PNG", ImageFormat::Png, true},  {"TIF", ImageFormat::Tiff, true},
    {"TIFF", ImageFormat::Tiff, true}, {"GIF", ImageFormat::Gif, true},  {"PCX", ImageFormat::Pcx, false},
    {"TGA", ImageFormat::Tga, false},
};

const Known* Find(const std::filesystem::path& file) {
  const std::string extension = ExtensionOf(file);
  for (const Known& k : kKnown)
    if (extension == k.extension) return &k;
  return nullptr;
}

}  // namespace

std::optional<ImageFormat> FormatForOpening(const std::filesystem::path& file) {
  const Known* known = Find(file);
  if (!known || !known->opens) return std::nullopt;
  return known->format;
}

ImageFormat FormatForSaving(const std::filesystem::path& file) {
  const Known* known = Find(file);
  return known ? known->format : ImageFormat::Tiff;
}

}  // namespace brisko
