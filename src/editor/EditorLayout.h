#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "editor/Zoom.h"

// How the editor lays out its image area: the view sits at (offset, offset)
// on PnlMain, which fills the scroll box unless the view with its margins
// needs more room, and the status bar texts that go with it.
namespace brisko {

struct ViewMargins {
  std::int32_t offset = 8;         // the view's left and top on PnlMain
  std::int32_t margin = 16;        // room the view needs around it
  std::int32_t barAllowance = 20;  // room left for the other axis's scroll bar
};

struct PanelSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const PanelSize&, const PanelSize&) = default;
};

// PnlMain's size for a view of view.width x view.height in a scroll box of
// box.width x box.height (its whole size, scroll bars included). PnlMain
// fills the box; along an axis where the view and its margin do not fit it
// takes that length, and the other axis then leaves room for the scroll
// bar, though never so much that the view's own margin is cut.
PanelSize MainPanelSize(PanelSize view, PanelSize box, const ViewMargins& margins = {});

// The three status panels: "W, H = " and the view's size as 200X100, the
// zoom as 200%, the document's file name.
struct StatusTexts {
  std::string size;
  std::string zoom;
  std::string file;
};
StatusTexts StatusFor(PanelSize view, const ZoomState& zoom, std::string_view documentFileName);

}  // namespace brisko
