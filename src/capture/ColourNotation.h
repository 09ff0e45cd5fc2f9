#pragma once

#include <string>

#include "core/Colour.h"

namespace brisko {

// A picked colour in the four notations of the colour picker. The first
// three show the colour value itself (blue in the high byte); the HTML one
// is red, green, blue.
struct ColourNotations {
  std::string decimal;  // 255
  std::string hex;      // FF: upper case, no prefix, no leading zeros
  std::string delphi;   // $FF
  std::string html;     // #FF0000
};
ColourNotations NotationsOf(Colour colour);

// The colour the three spin boxes make: each component taken as a byte.
Colour ColourFromComponents(int red, int green, int blue);

}  // namespace brisko
