#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Colour.h"
#include "core/Geometry.h"

// Small helpers that many parts of the program share. The Windows-only ones
// (system and temporary folders, the shell, message boxes) live in app/Share.
namespace brisko {

// The path itself when it ends with a backslash, else the path followed by one.
std::string WithTrailingBackslash(std::string_view path);

// The folder part of a file path, up to and including the last separator
// (backslash, slash or drive colon); empty when there is none.
std::string FolderPartOf(std::string_view path);

// Creates the folder (one level) if it does not exist. Throws FileError when
// it cannot be created.
void EnsureFolder(std::string_view path);
// Creates the folder with every missing folder above it; a trailing
// separator is allowed. Throws FileError when it cannot be created or the
// name is taken by a file.
void EnsureFolderTree(std::string_view path);

constexpr std::int32_t MaxOf(std::int32_t a, std::int32_t b) { return a > b ? a : b; }
constexpr std::int32_t MinOf(std::int32_t a, std::int32_t b) { return a < b ? a : b; }

// Afterwards a is not larger than b.
constexpr void OrderPair(std::int32_t& a, std::int32_t& b) {
  if (b < a) {
    const std::int32_t t = a;
    a = b;
    b = t;
  }
}

// Six upper-case hexadecimal digits, red first: pure red gives "FF0000".
// The colour must already be a red-green-blue value.
std::string HexRGB(Colour rgb);

// Where an image of width x height goes inside a panel without ever being
// enlarged: scaled down to fit and centred, or centred unscaled.
Rect FitImageRect(std::int32_t width, std::int32_t height, std::int32_t panelWidth,
                  std::int32_t panelHeight);

// The value with `decimals` digits after the point, as number fields show
// it: "0.01", "-30".
std::string NumberText(double value, int decimals);

// A decimal integer of the whole text (an optional sign, then digits, no
// blanks), or nothing when the text is not one or does not fit 32 bits.
std::optional<std::int32_t> ParseDecimal(std::string_view text);

}  // namespace brisko
