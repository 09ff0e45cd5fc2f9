#include "editor/EditorLayout.h"

#include <algorithm>

namespace brisko {

PanelSize MainPanelSize(PanelSize view, PanelSize box, const ViewMargins& margins) {
  PanelSize main = box;
  const std::int32_t needWidth = view.width + margins.margin, needHeight = view.height + margins.margin;
  if (needWidth > box.width) {
    main.width = needWidth;
    if (box.height > needHeight) main.height = std::max(box.height - margins.barAllowance, needHeight);
  }
  if (needHeight > box.height) {
    main.height = needHeight;
    if (box.width > needWidth) main.width = std::max(box.width - margins.barAllowance, needWidth);
  }
  return main;
}

StatusTexts StatusFor(PanelSize view, const ZoomState& zoom, std::string_view documentFileName) {
  return StatusTexts{"W, H = " + std::to_string(view.width) + "X" + std::to_string(view.height), zoom.PercentText(),
                     std::string(documentFileName)};
}

}  // namespace brisko
