#pragma once

#include <string>
#include <vector>

#include "widgets/Control.h"

namespace brisko::win {

// The common controls' status bar along the bottom of its parent, divided
// into panels of fixed widths; the last panel also takes what is left of
// the width, so a long text there is not cut at its nominal width.
class StatusBar : public Control {
 public:
  // Panel widths in pixels at 96 DPI.
  StatusBar(Container& parent, std::vector<int> panelWidths);

  void SetPanelText(int panel, std::string_view utf8);
  std::string PanelText(int panel) const;
  // Follows the parent's new size; returns the bar's height in pixels.
  int Reposition();

  void HandleDpiChanged() override { Reposition(); }

 private:
  std::vector<int> widths_;
};

}  // namespace brisko::win
