#pragma once

#include <cstdint>
#include <string>

#include "core/Bitmap.h"
#include "core/Geometry.h"

// The editor's zoom: the steps 10 % ... 90 %, 100 %, 200 % ... 900 %, the
// enabled states of the three zoom commands, and the conversions between
// image and view pixels.
//
// The factor is kept as a whole number of tenths, so the steps land exactly
// on their values (ten additions of 0.1 in floating point do not make 1)
// and a conversion such as 20 / 0.2 gives 100, not 99.
namespace brisko {

enum class ZoomStep { StepIn, StepActual, StepOut };

// Which of Zoom In, Actual Size and Zoom Out are enabled.
struct ZoomCommands {
  bool zoomIn = true;
  bool actual = false;
  bool zoomOut = true;
  friend bool operator==(const ZoomCommands&, const ZoomCommands&) = default;
};

class ZoomState {
 public:
  static constexpr int kActual = 10;

  int Tenths() const { return tenths_; }
  long double Factor() const { return tenths_ / 10.0L; }
  bool IsActual() const { return tenths_ == kActual; }
  const ZoomCommands& Commands() const { return commands_; }

  // 100 %, Actual disabled, Zoom In and Zoom Out enabled.
  void Reset() { Step(ZoomStep::StepActual); }

  // True when the factor changed. Every step first enables all three
  // commands; a step that would pass 900 % or 10 % changes nothing and
  // disables its own command, and Actual disables itself.
  bool Step(ZoomStep kind);

  // An image length at this zoom: trunc(length x factor).
  std::int32_t ToView(std::int32_t imageLength) const;
  // A view coordinate in image pixels: trunc(coordinate / factor), toward
  // zero also for negative coordinates.
  std::int32_t ToImage(std::int32_t viewCoordinate) const;

  // "10%" ... "900%".
  std::string PercentText() const;

 private:
  int tenths_ = kActual;
  ZoomCommands commands_;
};

// Draws `area` (view coordinates; the part outside the zoomed view of
// `source` at `tenths` is left out) into `out`, which becomes a 24-bit
// block a little larger than the area, and returns where the area's
// top-left corner lies in it. Only the source pixels under the area are
// read, so any zoom of any picture costs about the area's pixels and no
// more. A block of the same size as the last one is reused.
//
// The view is divided into fixed tiles that each stretch a whole number of
// source pixels (at 900 % one source pixel to 9 x 9, at 30 % ten to three),
// and an area is drawn tile-aligned, so a pixel comes out the same whichever
// area it is drawn in. Where the picture's sides are multiples of the tile's
// source length (always from 100 % up) the result equals the same part of
// ZoomStretch at the factor; otherwise each pixel's source footprint is
// that of the exact step ratio instead of that of the truncated size,
// less than a view pixel apart.
Point RenderZoomedArea(const Bitmap& source, int tenths, const Rect& area, Bitmap& out);

}  // namespace brisko
