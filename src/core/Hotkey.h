#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace brisko {

// The keys a capture hotkey can use, in the order of the hotkey dialog's
// list: "A" to "Z", "1" to "9", "0", "F1" to "F12". Index 1 is the first.
struct HotkeyKey {
  std::string_view name;
  std::uint32_t virtualKey;
};
std::span<const HotkeyKey> HotkeyKeyTable();
inline constexpr int kHotkeyKeyCount = 48;

struct Hotkey {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
  // 1 to 48 in the key table; 0 means no key.
  int keyIndex = 0;
  friend bool operator==(const Hotkey&, const Hotkey&) = default;
};

// Reads a stored hotkey text such as "Ctrl+Alt+F12", in any case. A key
// part that names no key of the table keeps `previousKeyIndex`.
Hotkey ParseHotkeyText(std::string_view text, int previousKeyIndex);

// "Ctrl+", "Shift+" and "Alt+" for the chosen modifiers, in this order,
// then the key name: "Ctrl+Alt+F12", "Shift+", "F5", "".
std::string BuildHotkeyText(bool ctrl, bool shift, bool alt, std::string_view keyName);

// The platform's modifier bits: Alt 1, Ctrl 2, Shift 4.
std::uint32_t HotkeyModifiers(const Hotkey& hotkey);
// The virtual-key code of a key index (0 for none).
std::uint32_t HotkeyVirtualKey(int keyIndex);
std::string_view HotkeyKeyName(int keyIndex);

}  // namespace brisko
