#include "app/AppSettings.h"

#include <algorithm>

#include "core/ColourText.h"
#include "core/Helpers.h"

namespace brisko {

MainSettings ReadMainSettings(const std::function<std::string(std::string_view key)>& readApp) {
  MainSettings s;
  s.soundFlag = readApp("SoundFlag") == "1";
  if (const auto n = ParseDecimal(readApp("SoundFile")); n && *n >= 1 && *n <= kSoundCount) s.soundFile = *n;
  s.cursorFlag = readApp("CursorFlag") == "1";
  if (const auto n = ParseDecimal(readApp("DelayTime"))) s.delayTime = std::clamp(*n, kMinDelayTime, kMaxDelayTime);
  if (const auto n = ParseDecimal(readApp("MenuTime"))) s.menuTime = std::clamp(*n, kMinMenuTime, kMaxMenuTime);
  if (const auto c = ColourFromText(readApp("BackgroundColor"))) s.backgroundColor = *c;
  if (const auto n = ParseDecimal(readApp("OutputTo")); n && *n >= 0 && *n <= 2) s.outputTo = *n;
  return s;
}

}  // namespace brisko
