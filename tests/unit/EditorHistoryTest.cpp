#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "editor/History.h"

namespace brisko {
namespace {

namespace fs = std::filesystem;

// A picture that says which history state it is: one pixel wide per state.
Bitmap StatePicture(int state) {
  Bitmap b(state + 1, 3, PixelFormat::Bgr24);
  b.Fill(MakeColour(static_cast<std::uint8_t>(40 * state), 10, 200));
  return b;
}

int StateOf(const Bitmap& b) { return b.Width() - 1; }

class History : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = Utf8FromPath(folder_.Path() / "Brisko.bmp");
    WriteBmpFile(StatePicture(0), PathFromUtf8(base_));
  }
  // A command: the next state's picture becomes a snapshot.
  void Command(int state) { history_.WriteSnapshot(StatePicture(state), base_); }

  TempFolder folder_;
  std::string base_;
  EditHistory history_;
};

TEST(SnapshotFileName, AppendsTheNumberAfterTheExtension) {
  EXPECT_EQ(SnapshotFileName("C:\\Temp\\Temp\\Brisko.bmp", 1), "C:\\Temp\\Temp\\Brisko.bmp1");
  EXPECT_EQ(SnapshotFileName("Brisko.bmp", 12), "Brisko.bmp12");
}

TEST_F(History, StartsAtTheBaseWithNothingToUndoOrRedo) {
  EXPECT_EQ(history_.Position(), 0);
  EXPECT_EQ(history_.Top(), 0);
  EXPECT_FALSE(history_.CanUndo());
  EXPECT_FALSE(history_.CanRedo());
  EXPECT_EQ(history_.FileOf(base_, 0), base_);
}

TEST_F(History, ThreeCommandsUndoneToTheBaseAndRedoneBack) {
  for (int state = 1; state <= 3; ++state) Command(state);
  EXPECT_EQ(history_.Position(), 3);
  EXPECT_TRUE(fs::exists(PathFromUtf8(base_ + "3")));
  EXPECT_TRUE(history_.CanUndo());
  EXPECT_FALSE(history_.CanRedo());

  for (int expected = 2; expected >= 0; --expected) {
    EXPECT_EQ(StateOf(history_.Undo(base_)), expected);
    EXPECT_EQ(history_.Position(), expected);
    EXPECT_TRUE(history_.CanRedo());
  }
  EXPECT_FALSE(history_.CanUndo()) << "the base image disables Undo";

  for (int expected = 1; expected <= 3; ++expected) {
    EXPECT_EQ(StateOf(history_.Redo(base_)), expected);
    EXPECT_TRUE(history_.CanUndo());
  }
  EXPECT_FALSE(history_.CanRedo()) << "the newest snapshot disables Redo";
  EXPECT_EQ(history_.Top(), 3);
}

TEST_F(History, ACommandAfterUndoTakesTheNumberAfterTheNewest) {
  for (int state = 1; state <= 3; ++state) Command(state);
  history_.Undo(base_);
  history_.Undo(base_);
  ASSERT_EQ(history_.Position(), 1);
  Command(4);
  EXPECT_EQ(history_.Position(), 4);
  EXPECT_EQ(history_.Top(), 4);
  EXPECT_FALSE(history_.CanRedo());
  EXPECT_EQ(StateOf(ReadBmpFile(PathFromUtf8(base_ + "4"))), 4);
  EXPECT_EQ(StateOf(history_.Undo(base_)), 3) << "Undo walks the numbers, not the path taken";
}

TEST_F(History, ASnapshotThatCannotBeWrittenLeavesTheCountersAlone) {
  Command(1);
  // A folder where snapshot 2 should go: the write must fail.
  fs::create_directory(PathFromUtf8(base_ + "2"));
  EXPECT_ANY_THROW(Command(2));
  EXPECT_EQ(history_.Position(), 1);
  EXPECT_EQ(history_.Top(), 1);
  EXPECT_FALSE(history_.CanRedo());
  EXPECT_EQ(StateOf(history_.Undo(base_)), 0);
  EXPECT_EQ(StateOf(history_.Redo(base_)), 1);

  fs::remove(PathFromUtf8(base_ + "2"));
  Command(2);
  EXPECT_EQ(history_.Top(), 2) << "the number is used once the disk takes it";
}

TEST_F(History, AStateThatCannotBeReadDoesNotMoveThePosition) {
  Command(1);
  Command(2);
  fs::remove(PathFromUtf8(base_ + "1"));
  EXPECT_ANY_THROW(history_.Undo(base_));
  EXPECT_EQ(history_.Position(), 2);
}

TEST_F(History, ResetForgetsTheSnapshotsButNotTheirFiles) {
  Command(1);
  Command(2);
  history_.Reset();
  EXPECT_EQ(history_.Position(), 0);
  EXPECT_EQ(history_.Top(), 0);
  EXPECT_FALSE(history_.CanRedo());
  Command(7);
  EXPECT_EQ(StateOf(ReadBmpFile(PathFromUtf8(base_ + "1"))), 7) << "the next show overwrites snapshot 1";
}

}  // namespace
}  // namespace brisko
