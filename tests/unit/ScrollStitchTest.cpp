#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <vector>

#include "capture/ScrollPlan.h"
#include "capture/Stitcher.h"

namespace brisko {
namespace {

// ---------------------------------------------------------------------------
// The plan

constexpr Rect kWindow{37, 120, 337, 520};  // 300 x 400 on the screen

ScrollInfo Lines(std::int32_t page, std::int32_t max, std::int32_t pos) { return ScrollInfo{0, max, page, pos}; }

TEST(ScrollFrame, LeavesOutTheScrollBarOnlyWhenThePageIsSmallerThanTheRange) {
  EXPECT_EQ(ScrollFrame(kWindow, Lines(25, 124, 1)), (Rect{37, 120, 317, 520}));
  EXPECT_EQ(ScrollFrame(kWindow, Lines(25, 25, 1)), kWindow);
  EXPECT_EQ(ScrollFrame(kWindow, Lines(25, 24, 0)), kWindow);
}

TEST(PlanScroll, NeedsAStateThatGivesAStep) {
  EXPECT_FALSE(PlanScroll(kWindow, std::nullopt));
  EXPECT_FALSE(PlanScroll(kWindow, Lines(0, 124, 1))) << "page 0";
  EXPECT_FALSE(PlanScroll(kWindow, Lines(-3, 124, 1))) << "negative page";
  EXPECT_FALSE(PlanScroll(kWindow, Lines(25, 24, 1))) << "maximum below the page";
  EXPECT_FALSE(PlanScroll(kWindow, Lines(25, 124, 0))) << "the line-down did not move";
  EXPECT_FALSE(PlanScroll(Rect{0, 50, 100, 50}, Lines(25, 124, 1))) << "frame without height";
  EXPECT_FALSE(PlanScroll(Rect{0, 50, 100, 40}, Lines(25, 124, 1))) << "frame upside down";
  EXPECT_FALSE(PlanScroll(Rect{0, 0, 100, 10}, Lines(25, 124, 1))) << "10 * 1 / 25 rows is no row";
  EXPECT_TRUE(PlanScroll(kWindow, Lines(25, 25, 1))) << "a page equal to the maximum still scrolls";
}

TEST(PlanScroll, StepStripAndGuardOfAKnownWindow) {
  const Rect frame = ScrollFrame(kWindow, Lines(25, 124, 1));
  const auto plan = PlanScroll(frame, Lines(25, 124, 1));
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->Frame, frame);
  EXPECT_EQ(plan->Height, 400);
  EXPECT_EQ(plan->Step, 16) << "400 rows * 1 line / 25 lines";
  EXPECT_EQ(plan->Middle, 320);
  EXPECT_EQ(plan->Strip, (Rect{37, 320, 317, 336}));
  EXPECT_EQ(plan->Guard, 16);
  EXPECT_EQ(plan->Head(), (Rect{37, 120, 317, 336}));
  EXPECT_EQ(plan->Band(), (Rect{37, 304, 317, 336}));
  // 390 rows in 25 lines: 15.6 rows a line, truncated.
  EXPECT_EQ(PlanScroll(Rect{0, 0, 10, 390}, Lines(25, 124, 1))->Step, 15);
}

TEST(PlanScroll, AStepNeverReachesBelowTheFrame) {
  // Three lines of a two-line page would be 600 rows of a 400-row frame.
  const auto plan = PlanScroll(kWindow, Lines(2, 124, 3));
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->Step, 200);
  EXPECT_EQ(plan->Strip.Bottom, kWindow.Bottom);
  const auto odd = PlanScroll(Rect{0, 0, 10, 401}, Lines(1, 124, 1'000'000'000));
  ASSERT_TRUE(odd) << "a huge position must not overflow";
  EXPECT_EQ(odd->Middle, 201);
  EXPECT_EQ(odd->Strip.Bottom, 401);
  EXPECT_LE(odd->Guard, odd->Strip.Top);
  EXPECT_FALSE(PlanScroll(Rect{0, 0, 10, 1}, Lines(1, 124, 1))) << "one row leaves no room below the middle";
}

TEST(ReservedRows, HeadEveryLineOfTheRangeAndTheRowsBelowTheStrip) {
  const auto plan = PlanScroll(kWindow, Lines(25, 124, 1));
  ASSERT_TRUE(plan);
  // 216 head rows, 100 lines of 16 rows, 184 rows below the strip.
  EXPECT_EQ(ReservedRows(*plan, Lines(25, 124, 1)), 2000);
  EXPECT_EQ(ReservedRows(*plan, Lines(25, 2'000'000'000, 1)), kMaxBitmapSide);
  EXPECT_EQ(ReservedRows(*plan, Lines(2'000'000'000, -2'000'000'000, 1)), 0);
}

// ---------------------------------------------------------------------------
// The steps

class ScrollProgressTest : public ::testing::Test {
 protected:
  ScrollPlan plan_ = *PlanScroll(kWindow, Lines(25, 124, 1));
  ScrollProgress progress_{plan_};
};

TEST_F(ScrollProgressTest, EachAdvanceIsABandAndEachStandstillIsStalled) {
  EXPECT_EQ(progress_.After(Lines(25, 124, 1)), StepOutcome::Band);
  EXPECT_EQ(progress_.After(Lines(25, 124, 2)), StepOutcome::Band);
  EXPECT_EQ(progress_.After(Lines(25, 124, 2)), StepOutcome::Stalled);
  EXPECT_EQ(progress_.After(Lines(25, 124, 1)), StepOutcome::Stalled) << "moving back is no progress";
  EXPECT_EQ(progress_.After(std::nullopt), StepOutcome::Stalled);
  EXPECT_EQ(progress_.After(Lines(0, 124, 9)), StepOutcome::Stalled) << "a state without a page";
  EXPECT_EQ(progress_.After(Lines(25, 124, 5)), StepOutcome::Band);
}

TEST_F(ScrollProgressTest, FiftyStalledStepsInARowEndAsIfNothingMoved) {
  for (int i = 1; i < ScrollProgress::kMaxStalledSteps; ++i)
    ASSERT_EQ(progress_.After(i % 2 ? std::nullopt : std::optional(Lines(25, 124, 0))), StepOutcome::Stalled) << i;
  EXPECT_EQ(progress_.After(Lines(25, 124, 0)), StepOutcome::EndOfRange);
  EXPECT_EQ(progress_.EndRows(), 0);
  EXPECT_EQ(progress_.EndGuard(), 16);
  // Everything below the strip, with a step of guard rows above.
  EXPECT_EQ(progress_.EndBand(), (Rect{37, 320, 337, 520}));
}

TEST_F(ScrollProgressTest, AnAdvanceStartsTheStallCountAfresh) {
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(progress_.After(Lines(25, 124, round + 1)), StepOutcome::Band);
    for (int i = 1; i < ScrollProgress::kMaxStalledSteps; ++i)
      ASSERT_EQ(progress_.After(Lines(25, 124, round + 1)), StepOutcome::Stalled) << round << ": " << i;
  }
}

TEST_F(ScrollProgressTest, TheEndOfTheRangeMeasuresTheLastMove) {
  ASSERT_EQ(progress_.After(Lines(25, 124, 98)), StepOutcome::Band);
  // Two lines from 98: the position passes the last whole page.
  EXPECT_EQ(progress_.After(Lines(25, 124, 100)), StepOutcome::EndOfRange);
  EXPECT_EQ(progress_.EndRows(), 32);
  EXPECT_EQ(progress_.EndGuard(), 16);
  EXPECT_EQ(progress_.EndBand(), (Rect{37, 336 - 32 - 16, 337, 520}));
}

TEST_F(ScrollProgressTest, TheEndRowsStayWithinTheHead) {
  ASSERT_EQ(progress_.After(Lines(25, 124, 1)), StepOutcome::Band);
  ASSERT_EQ(progress_.After(Lines(25, 100, 90)), StepOutcome::EndOfRange);
  EXPECT_EQ(progress_.EndRows(), 216) << "89 lines would be far above the frame";
  EXPECT_EQ(progress_.EndGuard(), 0);
  EXPECT_EQ(progress_.EndBand(), (Rect{37, 120, 337, 520}));

  ScrollProgress back(plan_);
  ASSERT_EQ(back.After(Lines(25, 124, 50)), StepOutcome::Band);
  ASSERT_EQ(back.After(Lines(25, 30, 20)), StepOutcome::EndOfRange);
  EXPECT_EQ(back.EndRows(), 0) << "a position that went back moved nothing new into view";
}

// ---------------------------------------------------------------------------
// Joining bands

// Each row of a picture carries one value in every pixel, so a row can be
// told from every other and a misplaced row names itself.
constexpr std::int32_t kColumns = 5;

void PaintRow(Bitmap& b, std::int32_t y, std::uint32_t value) {
  std::uint8_t* row = b.Row(y);
  for (std::int32_t x = 0; x < b.Width(); ++x) {
    row[4 * x] = static_cast<std::uint8_t>(value);
    row[4 * x + 1] = static_cast<std::uint8_t>(value >> 8);
    row[4 * x + 2] = static_cast<std::uint8_t>(value >> 16);
    row[4 * x + 3] = 0;
  }
}

std::uint32_t ValueOf(const Bitmap& b, std::int32_t y) {
  const std::uint8_t* row = b.Row(y);
  return row[0] | (row[1] << 8) | (row[2] << 16);
}

Bitmap RowsOf(std::initializer_list<std::uint32_t> values) {
  Bitmap b(kColumns, static_cast<std::int32_t>(values.size()), PixelFormat::Bgrx32);
  std::int32_t y = 0;
  for (std::uint32_t v : values) PaintRow(b, y++, v);
  return b;
}

TEST(FirstNewRow, TrustsThePlanWhereTheJoinIsThere) {
  const Bitmap stitched = RowsOf({1, 2, 3, 4, 5});
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({2, 3, 4, 5, 6, 7}), 4), 4);
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({9, 9, 9, 9, 6, 7}), 4), 4) << "no match anywhere";
  EXPECT_EQ(FirstNewRow(Bitmap(kColumns, 0, PixelFormat::Bgrx32), RowsOf({1, 2, 3}), 2), 2)
      << "nothing stitched to look for";
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({5, 6, 7}), 0), 0);
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({5, 6, 7}), 9), 3) << "the band holds three rows";
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({5, 6, 7}), -2), 0);
}

TEST(FirstNewRow, FollowsTheContentWhenItMovedOtherwise) {
  const Bitmap stitched = RowsOf({1, 2, 3, 4, 5});
  // Four guard rows planned; the content moved one row more, then one less.
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({3, 4, 5, 6, 7, 8}), 4), 3);
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({1, 2, 3, 4, 5, 6}), 4), 5);
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({0, 1, 2, 3, 4, 5}), 4), 6) << "no new row at all";
  EXPECT_EQ(FirstNewRow(RowsOf({5}), RowsOf({2, 3, 5, 6, 7, 8}), 4), 3)
      << "a picture shorter than the key is the key";
}

TEST(FirstNewRow, PrefersTheNearestJoinAndOnATieTheOneThatDoublesNothing) {
  const Bitmap stitched = RowsOf({1, 2, 7, 8});
  // Four planned, so the key is (7, 8). It ends at 3 and at 7: 3 is nearer.
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({0, 7, 8, 0, 0, 7, 8, 0}), 4), 3);
  // It ends at 2 and at 6, both two rows from 4: the later one.
  EXPECT_EQ(FirstNewRow(stitched, RowsOf({7, 8, 0, 0, 7, 8, 0, 0}), 4), 6);
}

TEST(FirstNewRow, LooksOnlyAtTheColumnsItIsGiven) {
  // The last column changes from band to band, as a scroll bar's does.
  const Bitmap stitched = RowsOf({1, 2, 3, 4, 5});
  Bitmap band = RowsOf({3, 4, 5, 6, 7, 8});
  for (std::int32_t y = 0; y < band.Height(); ++y) band.Row(y)[4 * (kColumns - 1)] ^= 0x55;
  EXPECT_EQ(FirstNewRow(stitched, band, 4), 4) << "all columns: no match, the plan";
  EXPECT_EQ(FirstNewRow(stitched, band, 4, kColumns - 1), 3);
}

TEST(FirstNewRow, RefusesBandsOfAnotherShape) {
  EXPECT_THROW(FirstNewRow(RowsOf({1, 2}), Bitmap(kColumns + 1, 4, PixelFormat::Bgrx32), 2),
               std::invalid_argument);
  EXPECT_THROW(FirstNewRow(RowsOf({1, 2}), Bitmap(kColumns, 4, PixelFormat::Bgr24), 2), std::invalid_argument);
}

// A window over a document: `height` rows of it are visible from the row
// that the scroll position reaches. Its lines need not be whole rows, and
// its scroll bar may claim a longer range than the content has.
struct Scroller {
  std::vector<std::uint32_t> content;
  Rect window = kWindow;
  std::int32_t page = 25;
  std::int32_t lastPos = 0;            // the scroll bar's last position
  std::int32_t rowsPerLineTimes = 16;  // rows one line moves, as a fraction
  std::int32_t rowsPerLineOver = 1;
  std::int32_t stuckAt = -1;           // a position the window stops at, if any
  std::int32_t pos = 0;

  std::int32_t Height() const { return window.Height(); }
  ScrollInfo Info() const { return Lines(page, lastPos + page - 1, pos); }
  std::int32_t ContentTop() const {
    const std::int64_t top = std::int64_t{pos} * rowsPerLineTimes / rowsPerLineOver;
    return static_cast<std::int32_t>(std::min<std::int64_t>(top, std::ssize(content) - Height()));
  }
  void LineDown() {
    if (pos < lastPos && pos != stuckAt) ++pos;
  }

  // The screen under `r`, which must lie within the window.
  Bitmap Grab(const Rect& r) const {
    if (r.Left < window.Left || r.Right > window.Right || r.Top < window.Top || r.Bottom > window.Bottom ||
        r.IsEmpty())
      throw std::out_of_range("grab outside the scrolled window");
    Bitmap b(r.Width(), r.Height(), PixelFormat::Bgrx32);
    for (std::int32_t y = 0; y < r.Height(); ++y)
      PaintRow(b, y, content[static_cast<std::size_t>(ContentTop() + r.Top - window.Top + y)]);
    return b;
  }
};

std::vector<std::uint32_t> NumberedRows(std::int32_t count) {
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) rows[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i);
  return rows;
}

struct Captured {
  Bitmap stitched;
  // The same bands joined at the planned rows, without looking.
  Bitmap planned;
  std::int32_t reserved = 0;
  bool memoryMoved = false;
};

void AppendPlanned(Bitmap& planned, const Bitmap& band, std::int32_t expected) {
  const std::int32_t count = band.Height() - expected;
  std::memcpy(planned.AddRowsForOverwrite(count), band.Row(expected), band.Stride() * static_cast<std::size_t>(count));
}

// The capture's course: a line-down to learn the step, back to the top for
// the head, then line-downs until the range ends.
Captured Capture(Scroller& w) {
  w.LineDown();
  const ScrollInfo probe = w.Info();
  const ScrollPlan plan = PlanScroll(ScrollFrame(w.window, probe), probe).value();
  w.pos = 0;
  Captured out;
  out.reserved = ReservedRows(plan, probe);
  Stitcher stitcher;
  stitcher.Start(w.Grab(plan.Head()), out.reserved);
  out.planned = stitcher.Result();
  const std::uint8_t* memory = stitcher.Result().Data();
  ScrollProgress progress(plan);
  for (int steps = 0; steps < 10'000; ++steps) {
    w.LineDown();
    const StepOutcome outcome = progress.After(w.Info());
    if (outcome == StepOutcome::Stalled) continue;
    const bool end = outcome == StepOutcome::EndOfRange;
    const Bitmap band = w.Grab(end ? progress.EndBand() : plan.Band());
    const std::int32_t expected = end ? progress.EndGuard() : plan.Guard;
    stitcher.Append(band, expected);
    AppendPlanned(out.planned, band, expected);
    out.memoryMoved = out.memoryMoved || stitcher.Result().Data() != memory;
    if (end) break;
  }
  out.stitched = stitcher.Take();
  return out;
}

// Every row of the document once, in order: a lost, doubled or misplaced
// row names itself.
void ExpectDocument(const Bitmap& picture, const Scroller& w) {
  ASSERT_EQ(picture.Height(), std::ssize(w.content));
  for (std::int32_t y = 0; y < picture.Height(); ++y) {
    ASSERT_EQ(ValueOf(picture, y), w.content[static_cast<std::size_t>(y)]) << "row " << y;
    for (std::int32_t x = 1; x < picture.Width(); ++x)
      ASSERT_EQ(std::memcmp(picture.Row(y), picture.Row(y) + 4 * x, 4), 0) << "row " << y << " pixel " << x;
  }
}

void ExpectSamePixels(const Bitmap& a, const Bitmap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  EXPECT_EQ(std::memcmp(a.Data(), b.Data(), a.ByteSize()), 0);
}

TEST(Stitching, UniformStepsJoinExactlyAsPlannedWithoutMovingTheMemory) {
  Scroller w;
  w.lastPos = 30;
  w.content = NumberedRows(400 + 30 * 16);
  const Captured c = Capture(w);
  ExpectDocument(c.stitched, w);
  ExpectSamePixels(c.stitched, c.planned);
  EXPECT_EQ(c.reserved, c.stitched.Height()) << "the reserve is the whole picture";
  EXPECT_FALSE(c.memoryMoved) << "appending within the reserve copies no stitched row";
  EXPECT_EQ(c.stitched.Width(), kWindow.Width() - kScrollBarAllowance);
}

TEST(Stitching, LinesLongerOrShorterThanThePageSuggests) {
  for (const std::int32_t rowsPerLine : {17, 15, 20, 12}) {
    Scroller w;
    w.lastPos = 30;
    w.rowsPerLineTimes = rowsPerLine;
    w.content = NumberedRows(400 + 30 * rowsPerLine);
    ExpectDocument(Capture(w).stitched, w);
  }
}

TEST(Stitching, LinesOfAFractionalRowCount) {
  // 390 rows in 25 lines: a step of 15 rows, but every third line or so
  // moves 16.
  Scroller w;
  w.window = RectOfSize(0, 0, 200, 390);
  w.lastPos = 40;
  w.rowsPerLineTimes = 390;
  w.rowsPerLineOver = 25;
  w.content = NumberedRows(390 + 40 * 390 / 25);
  ExpectDocument(Capture(w).stitched, w);
}

TEST(Stitching, RepeatedRowsJoinAsPlannedWhenTheStepsHold) {
  Scroller w;
  w.lastPos = 40;
  w.content = NumberedRows(400 + 40 * 16);
  // Blank stretches longer than a band, shorter than the key, and rows that
  // alternate, all where bands join.
  std::fill(w.content.begin() + 150, w.content.begin() + 420, 0xFFFFFFu);
  std::fill(w.content.begin() + 500, w.content.begin() + 505, 0xFFFFFFu);
  for (std::size_t i = 600; i < 700; ++i) w.content[i] = i % 2 ? 0xFFFFFFu : 0u;
  const Captured c = Capture(w);
  ExpectDocument(c.stitched, w);
  ExpectSamePixels(c.stitched, c.planned);
}

TEST(Stitching, ALastLineThatMovesOnlyPartOfAStep) {
  for (const std::int32_t lastMove : {1, 5, 15}) {
    Scroller w;
    w.lastPos = 30;
    w.content = NumberedRows(400 + 29 * 16 + lastMove);
    ExpectDocument(Capture(w).stitched, w);
  }
}

TEST(Stitching, AContentShorterThanOneStepBeyondTheWindow) {
  Scroller w;
  w.lastPos = 1;
  w.content = NumberedRows(400 + 16);
  ExpectDocument(Capture(w).stitched, w);
  Scroller partial;
  partial.lastPos = 1;
  partial.content = NumberedRows(400 + 3);
  ExpectDocument(Capture(partial).stitched, partial);
}

TEST(Stitching, AWindowThatStopsShortOfItsRangeEndsWithTheRowsBelowTheStrip) {
  Scroller w;
  w.lastPos = 60;
  w.stuckAt = 20;
  w.content = NumberedRows(400 + 20 * 16);
  const Captured c = Capture(w);
  ExpectDocument(c.stitched, w);
  ExpectSamePixels(c.stitched, c.planned);
}

TEST(Stitching, GrowsByAnEighthWhenTheReserveRunsShort) {
  // Bands of eight rows: two guard rows repeating the picture's last two,
  // then six new ones; the rows count up through the whole picture.
  Bitmap head(kColumns, 10, PixelFormat::Bgrx32);
  for (std::int32_t y = 0; y < 10; ++y) PaintRow(head, y, static_cast<std::uint32_t>(y));
  Stitcher s;
  s.Start(std::move(head), 64);
  const std::uint8_t* memory = s.Result().Data();
  Bitmap band(kColumns, 8, PixelFormat::Bgrx32);
  std::vector<std::int32_t> reserves;
  while (s.Result().Height() < 100) {
    for (std::int32_t y = 0; y < 8; ++y) PaintRow(band, y, static_cast<std::uint32_t>(s.Result().Height() - 2 + y));
    ASSERT_EQ(s.Append(band, 2), 6);
    if (s.Result().Height() <= 64) {
      ASSERT_EQ(s.Result().Data(), memory) << "within the reserve";
    }
    if (reserves.empty() || reserves.back() != s.Result().ReservedRows()) reserves.push_back(s.Result().ReservedRows());
  }
  EXPECT_EQ(reserves, (std::vector<std::int32_t>{64, 72, 81, 91, 102}));
  const Bitmap picture = s.Take();
  EXPECT_TRUE(s.Result().IsEmpty()) << "taken, not copied";
  ASSERT_EQ(picture.Height(), 100);
  for (std::int32_t y = 0; y < picture.Height(); ++y) ASSERT_EQ(ValueOf(picture, y), static_cast<std::uint32_t>(y)) << y;
}

}  // namespace
}  // namespace brisko
