#include "app/AppSettings.h"

#include <gtest/gtest.h>

#include <map>

namespace brisko {
namespace {

MainSettings Read(const std::map<std::string, std::string>& values) {
  return ReadMainSettings([&](std::string_view key) {
    const auto found = values.find(std::string(key));
    return found == values.end() ? std::string() : found->second;
  });
}

TEST(MainSettingsRead, TheDeliveredValuesLoad) {
  const MainSettings s = Read({{"SoundFlag", "1"}, {"SoundFile", "7"}, {"CursorFlag", "1"}, {"DelayTime", "1500"},
                              {"MenuTime", "6000"}, {"BackgroundColor", "clRed"}, {"OutputTo", "2"}});
  EXPECT_TRUE(s.soundFlag);
  EXPECT_EQ(s.soundFile, 7);
  EXPECT_TRUE(s.cursorFlag);
  EXPECT_EQ(s.delayTime, 1500);
  EXPECT_EQ(s.menuTime, 6000);
  EXPECT_EQ(s.backgroundColor, MakeColour(255, 0, 0));
  EXPECT_EQ(s.outputTo, 2);
}

TEST(MainSettingsRead, AnEmptyFileGivesTheControlsInitialValues) {
  const MainSettings s = Read({});
  EXPECT_FALSE(s.soundFlag);
  EXPECT_EQ(s.soundFile, 1);
  EXPECT_FALSE(s.cursorFlag);
  EXPECT_EQ(s.delayTime, 200);
  EXPECT_EQ(s.menuTime, 4000);
  EXPECT_EQ(s.backgroundColor, kWhite);
  EXPECT_EQ(s.outputTo, 0);
}

TEST(MainSettingsRead, ABadValueFallsBackAloneAndTheOthersStillLoad) {
  // The first value is garbage; everything after it must still be read.
  const MainSettings s = Read({{"SoundFlag", "1"}, {"SoundFile", "loud"}, {"CursorFlag", "1"}, {"DelayTime", "x"},
                              {"MenuTime", "5000"}, {"BackgroundColor", "pinkish"}, {"OutputTo", "1"}});
  EXPECT_EQ(s.soundFile, 1);
  EXPECT_TRUE(s.cursorFlag);
  EXPECT_EQ(s.delayTime, 200);
  EXPECT_EQ(s.menuTime, 5000);
  EXPECT_EQ(s.backgroundColor, kWhite);
  EXPECT_EQ(s.outputTo, 1);
}

TEST(MainSettingsRead, OutOfRangeNumbersAreClampedOrRefused) {
  const MainSettings s = Read({{"SoundFile", "16"}, {"DelayTime", "5"}, {"MenuTime", "999999"}, {"OutputTo", "3"}});
  EXPECT_EQ(s.soundFile, 1) << "there are fifteen sounds";
  EXPECT_EQ(s.delayTime, 200) << "the delay edit's range starts at 200";
  EXPECT_EQ(s.menuTime, 10000);
  EXPECT_EQ(s.outputTo, 0);
  EXPECT_EQ(Read({{"SoundFlag", "yes"}}).soundFlag, false) << "only \"1\" switches a flag on";
}

}  // namespace
}  // namespace brisko
