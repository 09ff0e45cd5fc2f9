#include "editor/History.h"

#include <limits>
#include <stdexcept>

#include "core/Bmp.h"
#include "core/Files.h"

namespace brisko {

std::string SnapshotFileName(std::string_view baseFile, std::int32_t number) {
  return std::string(baseFile) + std::to_string(number);
}

void EditHistory::Reset() {
  position_ = 0;
  top_ = 0;
}

std::string EditHistory::FileOf(std::string_view baseFile, std::int32_t number) const {
  return number == 0 ? std::string(baseFile) : SnapshotFileName(baseFile, number);
}

void EditHistory::WriteSnapshot(const Bitmap& bitmap, std::string_view baseFile) {
  if (top_ == std::numeric_limits<std::int32_t>::max())
    throw std::overflow_error("The history cannot hold more snapshots.");
  const std::int32_t number = top_ + 1;
  // Written whole or not at all: a failed write leaves no half file behind
  // a number the history could later point at.
  WriteBmpFile(bitmap, PathFromUtf8(SnapshotFileName(baseFile, number)));
  top_ = number;
  position_ = number;
}

Bitmap EditHistory::MoveTo(std::int32_t number, std::string_view baseFile) {
  Bitmap state = ReadBmpFile(PathFromUtf8(FileOf(baseFile, number)));
  position_ = number;
  return state;
}

Bitmap EditHistory::Undo(std::string_view baseFile) {
  if (!CanUndo()) throw std::logic_error("nothing to undo");
  return MoveTo(position_ - 1, baseFile);
}

Bitmap EditHistory::Redo(std::string_view baseFile) {
  if (!CanRedo()) throw std::logic_error("nothing to redo");
  return MoveTo(position_ + 1, baseFile);
}

}  // namespace brisko
