#include "capture/ColourNotation.h"

#include <cstdio>

#include "core/Helpers.h"

namespace brisko {

ColourNotations NotationsOf(Colour colour) {
  colour &= 0xFFFFFF;
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", colour);
  return ColourNotations{std::to_string(colour), hex, std::string("$") + hex, "#" + HexRGB(colour)};
}

Colour ColourFromComponents(int red, int green, int blue) {
  return MakeColour(static_cast<std::uint8_t>(red & 0xFF), static_cast<std::uint8_t>(green & 0xFF),
                    static_cast<std::uint8_t>(blue & 0xFF));
}

}  // namespace brisko
