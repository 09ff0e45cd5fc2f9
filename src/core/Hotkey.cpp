#include "core/Hotkey.h"

#include <array>
#include <cctype>

namespace brisko {

namespace {

constexpr std::array<HotkeyKey, kHotkeyKeyCount> kKeys = {{
    {"A", 0x41},  {"B", 0x42},  {"C", 0x43},  {"D", 0x44},  {"E", 0x45},  {"F", 0x46},  {"G", 0x47},
    {"H", 0x48},  {"I", 0x49},  {"J", 0x4A},  {"K", 0x4B},  {"L", 0x4C},  {"M", 0x4D},  {"N", 0x4E},
    {"O", 0x4F},  {"P", 0x50},  {"Q", 0x51},  {"R", 0x52},  {"S", 0x53},  {"T", 0x54},  {"U", 0x55},
    {"V", 0x56},  {"W", 0x57},  {"X", 0x58},  {"Y", 0x59},  {"Z", 0x5A},  {"1", 0x31},  {"2", 0x32},
    {"3", 0x33},  {"4", 0x34},  {"5", 0x35},  {"6", 0x36},  {"7", 0x37},  {"8", 0x38},  {"9", 0x39},
    {"0", 0x30},  {"F1", 0x70}, {"F2", 0x71}, {"F3", 0x72}, {"F4", 0x73}, {"F5", 0x74}, {"F6", 0x75},
    {"F7", 0x76}, {"F8", 0x77}, {"F9", 0x78}, {"F10", 0x79}, {"F11", 0x7A}, {"F12", 0x7B},
}};

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace

std::span<const HotkeyKey> HotkeyKeyTable() { return kKeys; }

Hotkey ParseHotkeyText(std::string_view text, int previousKeyIndex) {
  const std::string upper = UpperCase(text);
  Hotkey hotkey;
  hotkey.alt = upper.find("ALT") != std::string::npos;
  hotkey.ctrl = upper.find("CTRL") != std::string::npos;
  hotkey.shift = upper.find("SHIFT") != std::string::npos;
  const std::size_t plus = upper.rfind('+');
  const std::string_view key = plus == std::string::npos ? std::string_view(upper)
                                                         : std::string_view(upper).substr(plus + 1);
  hotkey.keyIndex = previousKeyIndex;
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    if (kKeys[i].name == key) {
      hotkey.keyIndex = static_cast<int>(i) + 1;
      break;
    }
  }
  return hotkey;
}

std::string BuildHotkeyText(bool ctrl, bool shift, bool alt, std::string_view keyName) {
  std::string text;
  if (ctrl) text += "Ctrl+";
  if (shift) text += "Shift+";
  if (alt) text += "Alt+";
  text += keyName;
  return text;
}

std::uint32_t HotkeyModifiers(const Hotkey& hotkey) {
  return (hotkey.alt ? 1u : 0u) | (hotkey.ctrl ? 2u : 0u) | (hotkey.shift ? 4u : 0u);
}

std::uint32_t HotkeyVirtualKey(int keyIndex) {
  return keyIndex >= 1 && keyIndex <= kHotkeyKeyCount ? kKeys[static_cast<std::size_t>(keyIndex - 1)].virtualKey
                                                      : 0;
}

std::string_view HotkeyKeyName(int keyIndex) {
  return keyIndex >= 1 && keyIndex <= kHotkeyKeyCount ? kKeys[static_cast<std::size_t>(keyIndex - 1)].name
                                                      : std::string_view{};
}

}  // namespace brisko
