#include "capture/WindowRecords.h"

#include <charconv>
#include <optional>
#include <stdexcept>

namespace brisko {

namespace {

// Reads "NAME=<decimal>" from the front of `rest` up to the next ';' (or
// the end for the last field) and moves `rest` past it.
template <typename Number>
std::optional<Number> TakeField(std::string_view& rest, char name, bool last) {
  if (rest.size() < 2 || rest[0] != name || rest[1] != '=') return std::nullopt;
  rest.remove_prefix(2);
  const std::size_t end = last ? rest.size() : rest.find(';');
  if (end == std::string_view::npos || end == 0) return std::nullopt;
  Number value{};
  const auto [stop, error] = std::from_chars(rest.data(), rest.data() + end, value);
  if (error != std::errc() || stop != rest.data() + end) return std::nullopt;
  rest.remove_prefix(last ? end : end + 1);
  return value;
}

// A record holds the point on its edges too, but only when it has area:
// an empty rectangle would otherwise lock the search onto its window.
bool Holds(const Rect& box, std::int32_t x, std::int32_t y) {
  return box.Right > box.Left && box.Bottom > box.Top && PointInRect(x, y, box);
}

bool HasEdgeStrictlyInside(const Rect& box, const Rect& outer) {
  return box.Left > outer.Left || box.Right < outer.Right || box.Top > outer.Top || box.Bottom < outer.Bottom;
}

}  // namespace

std::string FormatWindowRecord(const WindowRecord& record) {
  return "T=" + std::to_string(record.Top) + ";X=" + std::to_string(record.Box.Left) +
         ";Y=" + std::to_string(record.Box.Top) + ";W=" + std::to_string(record.Box.Right) +
         ";B=" + std::to_string(record.Box.Bottom);
}

std::optional<WindowRecord> ParseWindowRecord(std::string_view line) {
  const auto top = TakeField<std::uint64_t>(line, 'T', false);
  if (!top) return std::nullopt;
  std::int32_t edges[4];
  const char names[4] = {'X', 'Y', 'W', 'B'};
  for (int i = 0; i < 4; ++i) {
    const auto edge = TakeField<std::int32_t>(line, names[i], i == 3);
    if (!edge) return std::nullopt;
    edges[i] = *edge;
  }
  return WindowRecord{*top, Rect{edges[0], edges[1], edges[2], edges[3]}};
}

Rect RecordUnderPoint(std::int32_t x, std::int32_t y, std::span<const WindowRecord> records,
                      std::int32_t screenWidth, std::int32_t screenHeight) {
  Rect found = kNothingFramed;
  // The first comparison lies beyond the screen on every side, so a record
  // clipped to the screen still has edges inside it.
  Rect outer{-10, -10, screenWidth + 10, screenHeight + 10};
  std::optional<std::uint64_t> lockedTop;
  for (const WindowRecord& record : records) {
    // The records of one top-level window come together and the topmost
    // window first: the first one under the point hides the rest.
    if (lockedTop && record.Top != *lockedTop) break;
    if (!Holds(record.Box, x, y)) continue;
    if (HasEdgeStrictlyInside(record.Box, outer)) found = record.Box;
    outer = record.Box;
    lockedTop = record.Top;
  }
  return found;
}

void WindowRecordList::Clear() {
  lines_.clear();
  records_.clear();
}

void WindowRecordList::Add(std::uint64_t top, const Rect& box) {
  lines_.push_back(FormatWindowRecord(WindowRecord{top, box}));
  // Read back from the line, so the lookup always sees what the line says.
  const auto record = ParseWindowRecord(lines_.back());
  if (!record) {
    lines_.pop_back();
    throw std::logic_error("a window record does not read back from its own line");
  }
  records_.push_back(*record);
}

}  // namespace brisko
