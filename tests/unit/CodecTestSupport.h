#pragma once

// Pictures and outside readers for the codec tests. The outside readers are
// Debian's Pillow (under /usr/bin/python3, which has Debian's packages) and
// libtiff's tiffinfo; scripts/setup installs both, so a skip means a machine
// that was not set up.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/Bitmap.h"
#include "core/Files.h"

namespace brisko::test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr const char* kPython = "/usr/bin/python3";

// Runs a shell command; its standard output, or nothing when it failed.
inline std::optional<std::string> RunCommand(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"), &pclose);
  if (!pipe) return std::nullopt;
  std::string output;
  std::array<char, 4096> chunk;
  while (std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe.get())) output.append(chunk.data(), n);
  if (pclose(pipe.release()) != 0) return std::nullopt;
  return output;
}

inline std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

inline bool HavePillow() {
  static const bool have = RunCommand(std::string(kPython) + " -c 'import PIL.Image'").has_value();
  return have;
}

inline bool HaveTiffTools() {
  static const bool have = RunCommand("tiffinfo -h >/dev/null; command -v tiffinfo").has_value();
  return have;
}

#define BRISKO_REQUIRE_PILLOW() \
  if (!::brisko::test::HavePillow()) GTEST_SKIP() << "Pillow under /usr/bin/python3 is missing (run scripts/setup)"
#define BRISKO_REQUIRE_TIFF_TOOLS() \
  if (!::brisko::test::HaveTiffTools()) GTEST_SKIP() << "tiffinfo is missing (run scripts/setup)"

// How Pillow sees a picture file: its format and mode, its pixels, and its
// alpha plane when it has one.
struct PillowPicture {
  std::string format, mode;
  Bitmap pixels;
  Bytes alpha;
};

inline std::optional<PillowPicture> ReadWithPillow(const std::filesystem::path& file) {
  const std::filesystem::path pixels = file.string() + ".rgb", alpha = file.string() + ".alpha";
  const std::string script =
      "import sys\n"
      "from PIL import Image\n"
      "im = Image.open(sys.argv[1]); im.load()\n"
      "open(sys.argv[2], 'wb').write(im.convert('RGB').tobytes())\n"
      "if 'A' in im.mode: open(sys.argv[3], 'wb').write(im.getchannel('A').tobytes())\n"
      "print(im.format, im.mode, im.size[0], im.size[1])\n";
  const auto output = RunCommand(std::string(kPython) + " -c \"" + script + "\" " + Quoted(file) + " " +
                                 Quoted(pixels) + " " + Quoted(alpha));
  if (!output) return std::nullopt;
  PillowPicture picture;
  std::int32_t width = 0, height = 0;
  std::istringstream(*output) >> picture.format >> picture.mode >> width >> height;
  const Bytes rgb = ReadFileBytes(pixels);
  picture.pixels = Bitmap(width, height, PixelFormat::Bgr24);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
      picture.pixels.SetPixelAt(x, y, MakeColour(p[0], p[1], p[2]));
    }
  if (std::filesystem::exists(alpha)) picture.alpha = ReadFileBytes(alpha);
  return picture;
}

// Lets Pillow write a picture: `make` is Python that leaves an image in
// `im`; it is saved to `file` with the keyword arguments `save`.
inline bool MakeWithPillow(const std::string& make, const std::filesystem::path& file, const std::string& save = "") {
  const std::string script = "import sys\nfrom PIL import Image, ImageDraw\n" + make +
                             "\nim.save(sys.argv[1]" + (save.empty() ? "" : ", " + save) + ")\n";
  return RunCommand(std::string(kPython) + " -c \"" + script + "\" " + Quoted(file)).has_value();
}

// The compression scheme tiffinfo reports, as in "LZW" or "CCITT Group 4".
inline std::string TiffinfoCompression(const std::filesystem::path& file) {
  const auto output = RunCommand("tiffinfo " + Quoted(file));
  if (!output) return "tiffinfo failed";
  const std::string key = "Compression Scheme: ";
  const std::size_t at = output->find(key);
  if (at == std::string::npos) return "no compression line";
  return output->substr(at + key.size(), output->find('\n', at) - at - key.size());
}

// A 24-bit picture with what pictures have: gradients, flat areas, hard
// edges; every pixel's colour follows from its position.
inline Bitmap TestPicture(std::int32_t width, std::int32_t height) {
  Bitmap b(width, height, PixelFormat::Bgr24);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) {
      Colour c = MakeColour(static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1)),
                            static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1)), 128);
      if (x > width / 2 && y > height / 2) c = MakeColour(30, 160, 90);
      if (x == width / 3) c = kBlack;
      b.SetPixelAt(x, y, c);
    }
  return b;
}

// The largest difference of any channel of any pixel; -1 when the sizes differ.
inline int MaxDifference(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  int worst = 0;
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x) {
      const Colour p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      worst = std::max({worst, std::abs(RedOf(p) - RedOf(q)), std::abs(GreenOf(p) - GreenOf(q)),
                        std::abs(BlueOf(p) - BlueOf(q))});
    }
  return worst;
}

inline int MaxDifference(const Bitmap& a, const PillowPicture& b) { return MaxDifference(a, b.pixels); }

// The mean absolute difference over every channel of every pixel.
inline double MeanDifference(const Bitmap& a, const Bitmap& b) {
  double sum = 0;
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x) {
      const Colour p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      sum += std::abs(RedOf(p) - RedOf(q)) + std::abs(GreenOf(p) - GreenOf(q)) + std::abs(BlueOf(p) - BlueOf(q));
    }
  return sum / (3.0 * a.Width() * a.Height());
}

}  // namespace brisko::test
