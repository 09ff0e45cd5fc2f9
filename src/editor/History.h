#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/Bitmap.h"

// The editor's numbered history. State 0 is the base file, state n >= 1 the
// snapshot file whose name is the base file's with n appended after the
// extension (Brisko.bmp1, Brisko.bmp2, ...). Snapshots are BMP files; a
// new one always takes the number after the newest, also after Undo.
namespace brisko {

std::string SnapshotFileName(std::string_view baseFile, std::int32_t number);

// HistoryPos and HistoryTop, and which way the history can move. The
// counters only change once the file of the new state has been written or
// read, so a position never names a file that is not there.
class EditHistory {
 public:
  std::int32_t Position() const { return position_; }
  std::int32_t Top() const { return top_; }

  // Undo goes back while the position is above the base; Redo forward
  // while snapshots newer than the position exist.
  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < top_; }

  // Back to the base file, no snapshots (the window was shown anew).
  void Reset();

  // The file that holds state `number` (0 is the base file).
  std::string FileOf(std::string_view baseFile, std::int32_t number) const;

  // Writes `bitmap` as snapshot Top() + 1 and makes it the current and
  // newest state. Throws FileError when the file cannot be written; the
  // counters are then unchanged.
  void WriteSnapshot(const Bitmap& bitmap, std::string_view baseFile);

  // Reads the state before (Undo) or after (Redo) the current one and moves
  // there. Throws when the file cannot be read, without moving.
  Bitmap Undo(std::string_view baseFile);
  Bitmap Redo(std::string_view baseFile);

 private:
  Bitmap MoveTo(std::int32_t number, std::string_view baseFile);

  std::int32_t position_ = 0;
  std::int32_t top_ = 0;
};

}  // namespace brisko
