#pragma once

#include <array>
#include <cstdint>

namespace brisko {

// The 22-byte header that makes a Windows metafile placeable: the key
// 0x9AC6CDD7, a zero handle, the bounding box from (0, 0) to (right,
// bottom) in units of 1/unitsPerInch inch, the units per inch, a reserved
// zero and the checksum (the ten 16-bit words before it XORed together).
// Throws ImageError for a box beyond the format's 16-bit coordinates.
std::array<std::uint8_t, 22> PlaceableMetafileHeader(std::int32_t right, std::int32_t bottom,
                                                     std::uint16_t unitsPerInch);

}  // namespace brisko
