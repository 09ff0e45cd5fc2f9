#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "codecs/Codecs.h"

// The arithmetic and the choices of the save-parameters dialog.
namespace brisko {

enum class ResizeMode { Percent, Pixel };

struct ImageSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const ImageSize&, const ImageSize&) = default;
};

// The result size: in percent mode both sides scaled by `value` percent; in
// pixel mode `value` is the new length of the longer side and the other
// keeps the proportion. Rounded to the nearest integer, halves to even.
ImageSize ResizedSize(std::int32_t width, std::int32_t height, ResizeMode mode, std::int32_t value);

// The size value a mode starts with.
constexpr std::int32_t InitialSizeValue(ResizeMode mode) { return mode == ResizeMode::Percent ? 100 : 768; }
inline constexpr std::int32_t kMinSizeValue = 20;
inline constexpr std::int32_t kMaxSizeValue = 2048;
inline constexpr int kInitialQuality = 75;

// The lists of the format pages, in their order, and the initial choices.
std::span<const std::string_view> BmpColourChoices();   // "B/W" ... "16M(32bit)"
std::span<const std::string_view> PcxColourChoices();   // "16", "256", "16M"
std::span<const std::string_view> TifCompressChoices(); // "CCITT" ... "PACKBITS"
inline constexpr int kInitialBmpColours = 3;    // "16M"
inline constexpr int kInitialPcxColours = 2;    // "16M"
inline constexpr int kInitialTifCompress = 4;   // "NONE"

// What the writer gets for the current page and its choices.
struct PageChoices {
  int bmpColours = kInitialBmpColours;
  int pcxColours = kInitialPcxColours;
  int tifCompress = kInitialTifCompress;
  int quality = kInitialQuality;
};
SaveParameters ParametersFor(ImageFormat page, const PageChoices& choices);

// The progress bar's next position for a report, or -1 to leave it: 0
// resets it, 100 or more and anything more than 5 above it move it.
int NextProgressPosition(int current, int report);

}  // namespace brisko
