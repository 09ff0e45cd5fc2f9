#include <cstdint>
#include <span>

#include "codecs/Gif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const brisko::Bitmap b = brisko::ReadGif(std::span(data, size));
    // Touch every row so the sanitizers see any short allocation.
    volatile std::uint8_t sink = 0;
    if (b.Stride() > 0)
      for (std::int32_t y = 0; y < b.Height(); ++y) sink = sink ^ b.Row(y)[b.Stride() - 1];
  } catch (const brisko::ImageError&) {
  }
  return 0;
}
