#include "core/Hotkey.h"

#include <gtest/gtest.h>

namespace brisko {
namespace {

TEST(HotkeyTable, HoldsTheFortyEightKeysInListOrder) {
  const auto table = HotkeyKeyTable();
  ASSERT_EQ(table.size(), 48u);
  EXPECT_EQ(table[0].name, "A");
  EXPECT_EQ(table[25].virtualKey, 0x5Au);
  EXPECT_EQ(table[26].name, "1");
  EXPECT_EQ(table[35].name, "0");
  EXPECT_EQ(table[35].virtualKey, 0x30u);
  EXPECT_EQ(table[47].name, "F12");
  EXPECT_EQ(table[47].virtualKey, 0x7Bu);
  EXPECT_EQ(HotkeyVirtualKey(0), 0u);
  EXPECT_EQ(HotkeyVirtualKey(49), 0u);
}

TEST(HotkeyText, CtrlAltF12IsStoredAndRegisteredAsTheDialogChoseIt) {
  const std::string text = BuildHotkeyText(true, false, true, "F12");
  EXPECT_EQ(text, "Ctrl+Alt+F12");
  const Hotkey h = ParseHotkeyText(text, 0);
  EXPECT_TRUE(h.ctrl);
  EXPECT_TRUE(h.alt);
  EXPECT_FALSE(h.shift);
  EXPECT_EQ(h.keyIndex, 48);
  EXPECT_EQ(HotkeyModifiers(h), 3u);
  EXPECT_EQ(HotkeyVirtualKey(h.keyIndex), 0x7Bu);
}

TEST(HotkeyText, ModifiersComeInTheirFixedOrder) {
  EXPECT_EQ(BuildHotkeyText(true, true, true, "A"), "Ctrl+Shift+Alt+A");
  EXPECT_EQ(BuildHotkeyText(false, true, false, ""), "Shift+");
  EXPECT_EQ(BuildHotkeyText(false, false, false, "F5"), "F5");
  EXPECT_EQ(BuildHotkeyText(false, false, false, ""), "");
  EXPECT_EQ(HotkeyModifiers(Hotkey{false, true, false, 1}), 4u);
}

TEST(HotkeyText, LowerCaseTextIsReadLikeCapitals) {
  const Hotkey h = ParseHotkeyText("ctrl+shift+a", 0);
  EXPECT_EQ(h, (Hotkey{true, true, false, 1}));
}

TEST(HotkeyText, OnlyTheTextAfterTheLastPlusNamesTheKey) {
  EXPECT_EQ(ParseHotkeyText("Alt+Shift+0", 0).keyIndex, 36);
  EXPECT_EQ(ParseHotkeyText("F1", 0), (Hotkey{false, false, false, 37}));
  EXPECT_EQ(ParseHotkeyText("Ctrl+F10", 0).keyIndex, 46) << "F10 must not read as F1";
}

TEST(HotkeyText, AnUnknownOrMissingKeyKeepsThePreviousOne) {
  // Ok without a key chosen stores only the modifiers: no hotkey at start...
  EXPECT_EQ(ParseHotkeyText("Ctrl+", 0), (Hotkey{true, false, false, 0}));
  // ...and the previous key with the new modifiers later.
  EXPECT_EQ(ParseHotkeyText("Shift+", 12), (Hotkey{false, true, false, 12}));
  EXPECT_EQ(ParseHotkeyText("Ctrl+PgUp", 5).keyIndex, 5);
  EXPECT_EQ(ParseHotkeyText("", 7).keyIndex, 7);
}

}  // namespace
}  // namespace brisko
