#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/Colour.h"

namespace brisko {

// The stored text of a colour setting: the colour's name when it has one
// ("clWhite", "clBtnFace"), otherwise "$" and eight hexadecimal digits.
std::string ColourToText(Colour colour);

// The colour of a stored text: a name in any case, or a number in decimal,
// "$" hexadecimal or "0x" hexadecimal. Nothing for any other text.
std::optional<Colour> ColourFromText(std::string_view text);

}  // namespace brisko
