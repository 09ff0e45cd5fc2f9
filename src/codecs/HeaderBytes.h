#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace brisko::codecs {

// Builds the fixed headers of the formats we write ourselves, whose
// numbers are all little-endian.
class HeaderBytes {
 public:
  void Put8(std::uint32_t v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
  void Put16(std::uint32_t v) {
    Put8(v);
    Put8(v >> 8);
  }
  void Put32(std::uint32_t v) {
    Put16(v & 0xFFFF);
    Put16(v >> 16);
  }
  void PutZeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  void PutBytes(std::span<const std::uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

  std::size_t Size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace brisko::codecs
