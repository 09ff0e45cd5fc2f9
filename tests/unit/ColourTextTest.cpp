#include "core/ColourText.h"

#include <gtest/gtest.h>

namespace brisko {
namespace {

TEST(ColourText, NamedColoursAreWrittenByName) {
  EXPECT_EQ(ColourToText(kWhite), "clWhite");
  EXPECT_EQ(ColourToText(MakeColour(255, 0, 0)), "clRed");
  EXPECT_EQ(ColourToText(MakeColour(0, 0, 128)), "clNavy");
  EXPECT_EQ(ColourToText(0xFF00000F), "clBtnFace");
}

TEST(ColourText, OtherColoursAreEightHexDigits) {
  EXPECT_EQ(ColourToText(MakeColour(0x12, 0x34, 0x56)), "$00563412");
  EXPECT_EQ(ColourToText(0x00ABCDEF), "$00ABCDEF");
}

TEST(ColourText, ReadsNamesInAnyCaseAndNumbersInEveryNotation) {
  EXPECT_EQ(ColourFromText("clwhite"), kWhite);
  EXPECT_EQ(ColourFromText("CLBTNFACE"), 0xFF00000Fu);
  EXPECT_EQ(ColourFromText("$00563412"), MakeColour(0x12, 0x34, 0x56));
  EXPECT_EQ(ColourFromText("0xFF"), MakeColour(255, 0, 0));
  EXPECT_EQ(ColourFromText("16777215"), kWhite);
  EXPECT_EQ(ColourFromText("-16777201"), 0xFF00000Fu) << "system colours written as signed decimals";
}

TEST(ColourText, GarbageIsNoColour) {
  EXPECT_FALSE(ColourFromText(""));
  EXPECT_FALSE(ColourFromText("clPink"));
  EXPECT_FALSE(ColourFromText("$"));
  EXPECT_FALSE(ColourFromText("$1FFFFFFFF"));
  EXPECT_FALSE(ColourFromText("12 34"));
}

TEST(ColourText, EveryWrittenTextReadsBack) {
  for (Colour c : {0u, 0x808080u, 0x123456u, 0xFF000018u, 0x1FFFFFFFu, 0xFFFFFFu})
    EXPECT_EQ(ColourFromText(ColourToText(c)), c) << ColourToText(c);
}

}  // namespace
}  // namespace brisko
