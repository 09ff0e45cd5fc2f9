#include "capture/WindowRecords.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace brisko {
namespace {

constexpr std::int32_t kScreenW = 1024, kScreenH = 768;

Rect Under(std::int32_t x, std::int32_t y, const std::vector<WindowRecord>& records) {
  return RecordUnderPoint(x, y, records, kScreenW, kScreenH);
}

// A dialog as the listing gives it: the top-level window first, then its
// controls, then the next top-level window.
const std::vector<WindowRecord> kDialogThenDesktop = {
    {7, {100, 100, 500, 400}},   // dialog
    {7, {100, 100, 500, 130}},   // caption strip
    {7, {380, 350, 480, 380}},   // OK button
    {9, {0, 0, 1024, 768}},      // the window below the dialog
};

TEST(RecordUnderPoint, FindsTheInnermostControlOfTheTopmostWindow) {
  EXPECT_EQ(Under(400, 360, kDialogThenDesktop), (Rect{380, 350, 480, 380})) << "the button";
  EXPECT_EQ(Under(300, 110, kDialogThenDesktop), (Rect{100, 100, 500, 130})) << "the caption";
  EXPECT_EQ(Under(300, 300, kDialogThenDesktop), (Rect{100, 100, 500, 400})) << "the dialog itself";
  EXPECT_EQ(Under(380, 350, kDialogThenDesktop), (Rect{380, 350, 480, 380})) << "top-left edge holds";
  EXPECT_EQ(Under(480, 380, kDialogThenDesktop), (Rect{380, 350, 480, 380})) << "bottom-right edge holds";
  EXPECT_EQ(Under(50, 50, kDialogThenDesktop), (Rect{0, 0, 1024, 768})) << "outside the dialog";
}

TEST(RecordUnderPoint, StopsAtTheNextTopLevelWindow) {
  // The second window's control lies under the point, but the dialog holds
  // it first and hides everything of other windows.
  const std::vector<WindowRecord> records = {
      {7, {100, 100, 500, 400}},
      {9, {0, 0, 1024, 768}},
      {9, {200, 200, 300, 300}},
      {7, {250, 250, 260, 260}},
  };
  EXPECT_EQ(Under(255, 255, records), (Rect{100, 100, 500, 400}));
}

TEST(RecordUnderPoint, OnlyARecordStrictlyInsideTheLastHolderWins) {
  const std::vector<WindowRecord> equal = {{7, {100, 100, 500, 400}}, {7, {100, 100, 500, 400}}};
  EXPECT_EQ(Under(200, 200, equal), (Rect{100, 100, 500, 400}));
  // A later, larger record (a control spilling over its parent) is not the
  // answer, but what follows is compared with it.
  const std::vector<WindowRecord> larger = {
      {7, {100, 100, 500, 400}},
      {7, {50, 50, 600, 450}},
      {7, {100, 100, 500, 400}},
  };
  EXPECT_EQ(Under(200, 200, larger), (Rect{100, 100, 500, 400}));
  const std::vector<WindowRecord> largerThenSame = {
      {7, {100, 100, 500, 400}},
      {7, {50, 50, 600, 450}},
      {7, {50, 50, 600, 450}},
  };
  EXPECT_EQ(Under(200, 200, largerThenSame), (Rect{100, 100, 500, 400}));
}

TEST(RecordUnderPoint, RecordsClippedToTheScreenStillCount) {
  // A maximised window clipped to the screen is framed; a control clipped
  // to the same box is not nested in it.
  const std::vector<WindowRecord> records = {
      {7, {0, 0, kScreenW, kScreenH}},
      {7, {0, 0, kScreenW, kScreenH}},
      {7, {0, 700, kScreenW, kScreenH}},
  };
  EXPECT_EQ(Under(0, 0, records), (Rect{0, 0, kScreenW, kScreenH}));
  EXPECT_EQ(Under(kScreenW, kScreenH, records), (Rect{0, 700, kScreenW, kScreenH}));
}

TEST(RecordUnderPoint, ARecordWithoutAreaHoldsNoPoint) {
  // A hidden control listed as a line or a point must neither be found nor
  // lock the search onto its window.
  const std::vector<WindowRecord> records = {
      {5, {200, 200, 200, 300}},
      {6, {200, 250, 400, 250}},
      {7, {100, 100, 500, 400}},
  };
  EXPECT_EQ(Under(200, 250, records), (Rect{100, 100, 500, 400}));
}

TEST(RecordUnderPoint, NothingUnderThePointFramesNothing) {
  EXPECT_EQ(Under(10, 10, {}), kNothingFramed);
  EXPECT_EQ(Under(600, 500, {{7, {100, 100, 500, 400}}}), kNothingFramed);
}

TEST(WindowRecordText, FormatsAndParsesBack) {
  const WindowRecord record{std::numeric_limits<std::uint64_t>::max(),
                            {std::numeric_limits<std::int32_t>::min(), -5, 0, std::numeric_limits<std::int32_t>::max()}};
  const std::string line = FormatWindowRecord(record);
  EXPECT_EQ(line, "T=18446744073709551615;X=-2147483648;Y=-5;W=0;B=2147483647");
  EXPECT_EQ(ParseWindowRecord(line), record);
  EXPECT_EQ(FormatWindowRecord({42, {1, 2, 3, 4}}), "T=42;X=1;Y=2;W=3;B=4");
}

TEST(WindowRecordText, RejectsAnythingButTheExactForm) {
  for (const char* bad : {
           "",
           "T=1;X=2;Y=3;W=4",              // a name missing
           "T=1;X=2;Y=3;W=4;B=5;",         // trailing separator
           "T=1;X=2;Y=3;W=4;B=5;B=6",      // a name repeated
           "T=1;Y=3;X=2;W=4;B=5",          // out of order
           "T=1;X=2;Y=3;W=4;B=",           // empty value
           "T=1;X=2;Y=3;W=4;B=5x",         // not a number
           "T=1;X=2;Y=3;W=4;B=0x5",        // not decimal
           "T=1;X=+2;Y=3;W=4;B=5",         // sign not allowed but minus
           "T=1;X= 2;Y=3;W=4;B=5",         // space
           "T=-1;X=2;Y=3;W=4;B=5",         // negative handle
           "T=1;X=2147483648;Y=3;W=4;B=5", // beyond 32 bits
           "t=1;X=2;Y=3;W=4;B=5",          // name case
           "T=1,X=2,Y=3,W=4,B=5",          // wrong separator
       })
    EXPECT_FALSE(ParseWindowRecord(bad)) << bad;
}

TEST(WindowRecordList, KeepsTheLinesAndTheirRecords) {
  WindowRecordList list;
  list.Add(3, Rect{1, 2, 30, 40});
  list.Add(4, Rect{-8, -8, 1032, 776});
  ASSERT_EQ(list.Lines().size(), 2u);
  EXPECT_EQ(list.Lines()[1], "T=4;X=-8;Y=-8;W=1032;B=776");
  ASSERT_EQ(list.Records().size(), 2u);
  EXPECT_EQ(list.Records()[0], (WindowRecord{3, {1, 2, 30, 40}}));
  EXPECT_EQ(list.Records()[1], (WindowRecord{4, {-8, -8, 1032, 776}}));
  list.Clear();
  EXPECT_TRUE(list.Lines().empty());
  EXPECT_TRUE(list.Records().empty());
}

TEST(InfoWindowJump, LeavesHomeForTheOriginAndComesBackFromAnEdge) {
  const Point home = InfoWindowHome(Rect{0, 0, 1024, 738}, 200, 120);
  EXPECT_EQ(home, (Point{824, 618}));
  EXPECT_EQ(InfoWindowJump(home, home), (Point{0, 0}));
  EXPECT_EQ(InfoWindowJump(Point{0, 0}, home), home);
  EXPECT_EQ(InfoWindowJump(Point{0, 300}, home), home);
  EXPECT_EQ(InfoWindowJump(Point{300, 0}, home), home);
}

}  // namespace
}  // namespace brisko
