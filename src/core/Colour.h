#pragma once

#include <cstdint>

namespace brisko {

// The platform's colour value: red in the lowest byte, then green, then blue
// (0x00BBGGRR). Values with the high byte set are system-colour codes that
// the shell resolves.
using Colour = std::uint32_t;

constexpr Colour MakeColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return Colour{red} | (Colour{green} << 8) | (Colour{blue} << 16);
}
constexpr std::uint8_t RedOf(Colour c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t GreenOf(Colour c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t BlueOf(Colour c) { return static_cast<std::uint8_t>(c >> 16); }

constexpr Colour kBlack = MakeColour(0, 0, 0);
constexpr Colour kWhite = MakeColour(255, 255, 255);

}  // namespace brisko
