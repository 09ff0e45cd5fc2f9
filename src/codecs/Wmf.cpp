#include "codecs/Wmf.h"

#include <algorithm>

#include "codecs/HeaderBytes.h"
#include "codecs/Limits.h"

namespace brisko {

std::array<std::uint8_t, 22> PlaceableMetafileHeader(std::int32_t right, std::int32_t bottom,
                                                     std::uint16_t unitsPerInch) {
  if (right < 0 || bottom < 0 || right > 0x7FFF || bottom > 0x7FFF)
    codecs::FailToWrite("WMF", "it is larger than 32767 units on a side");
  codecs::HeaderBytes h;
  h.Put32(0x9AC6CDD7);
  h.Put16(0);  // handle, filled in by the reader
  h.Put16(0);  // left
  h.Put16(0);  // top
  h.Put16(static_cast<std::uint32_t>(right));
  h.Put16(static_cast<std::uint32_t>(bottom));
  h.Put16(unitsPerInch);
  h.Put32(0);
  std::uint16_t checksum = 0;
  for (std::size_t i = 0; i < h.Size(); i += 2)
    checksum ^= static_cast<std::uint16_t>(h.Bytes()[i] | (h.Bytes()[i + 1] << 8));
  h.Put16(checksum);
  std::array<std::uint8_t, 22> header{};
  std::copy(h.Bytes().begin(), h.Bytes().end(), header.begin());
  return header;
}

}  // namespace brisko
