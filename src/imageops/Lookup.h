#pragma once

// Byte-to-byte tables applied to whole rows; not part of the operations'
// interface.

#include <array>
#include <cstddef>
#include <cstdint>

namespace brisko::imageops {

using ByteTable = std::array<std::uint8_t, 256>;

// out[k] = table[in[k]] for k < bytes; `in` may be `out`.
void LookUp(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes, const ByteTable& table);

}  // namespace brisko::imageops
