#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/Colour.h"

namespace brisko {

// The [App] settings the main window reads at every show. A missing or
// unreadable value reads as its control's initial value, so one bad line in
// config.ini never keeps the others from loading.
struct MainSettings {
  bool soundFlag = false;
  int soundFile = 1;
  bool cursorFlag = false;
  int delayTime = 200;
  int menuTime = 4000;
  Colour backgroundColor = kWhite;
  int outputTo = 0;
};

inline constexpr int kMinDelayTime = 200;
inline constexpr int kMaxDelayTime = 10000;
inline constexpr int kMinMenuTime = 4000;
inline constexpr int kMaxMenuTime = 10000;
inline constexpr int kSoundCount = 15;

// `readApp` returns the text of an [App] key ("" when missing). Delays are
// clamped into their edits' ranges, as the spin edits would.
MainSettings ReadMainSettings(const std::function<std::string(std::string_view key)>& readApp);

}  // namespace brisko
