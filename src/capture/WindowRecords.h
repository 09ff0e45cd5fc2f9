#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Geometry.h"

// Window picking lists the rectangles of the windows and controls on the
// screen once, before the screen is frozen, and every pointer move looks
// the pointer up in that list instead of asking the windows again.
namespace brisko {

// One window or control: the handle of the top-level window it belongs to
// and its screen rectangle, already clipped to the screen.
struct WindowRecord {
  std::uint64_t Top = 0;
  Rect Box;
  friend bool operator==(const WindowRecord&, const WindowRecord&) = default;
};

// "T=<top>;X=<left>;Y=<top edge>;W=<right>;B=<bottom>", decimal, no spaces.
std::string FormatWindowRecord(const WindowRecord& record);
// The record of such a line; nothing for a line that is not one (missing or
// repeated names, values that are not decimal integers).
std::optional<WindowRecord> ParseWindowRecord(std::string_view line);

// What RecordUnderPoint finds where no record holds the point.
inline constexpr Rect kNothingFramed{-1, -1, 0, 0};

// The innermost record under the point: the first record holding the point
// fixes the top-level window, only that window's records count after it, a
// record nested strictly inside the one found before it wins, an equal one
// does not. Edges count as inside; a record without area holds no point.
Rect RecordUnderPoint(std::int32_t x, std::int32_t y, std::span<const WindowRecord> records,
                      std::int32_t screenWidth, std::int32_t screenHeight);

// The list of one window-picking capture: kept as the text lines, each
// parsed once into its record as it is added.
class WindowRecordList {
 public:
  void Clear();
  void Add(std::uint64_t top, const Rect& box);
  const std::vector<std::string>& Lines() const { return lines_; }
  std::span<const WindowRecord> Records() const { return records_; }

 private:
  std::vector<std::string> lines_;
  std::vector<WindowRecord> records_;
};

// The info window's home is the bottom right corner of the work area; when
// the pointer reaches it, it jumps to the other corner: to (0, 0) unless it
// lies at an edge of the screen already, then home.
constexpr Point InfoWindowHome(const Rect& workArea, std::int32_t width, std::int32_t height) {
  return Point{workArea.Right - width, workArea.Bottom - height};
}
constexpr Point InfoWindowJump(Point current, Point home) {
  return current.X != 0 && current.Y != 0 ? Point{0, 0} : home;
}

}  // namespace brisko
