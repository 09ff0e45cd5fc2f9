#pragma once

#include <array>
#include <vector>

#include "widgets/Control.h"

namespace brisko::win {

// A drop-down of the sixteen standard colours with swatches, and a
// "Custom..." entry that opens the colour dialog; a custom choice stays in
// the list and the dialog keeps its custom colours.
class ColourPicker : public ComboBox {
 public:
  ColourPicker(Container& parent, Bounds bounds);

  // The chosen colour; white while none is chosen.
  Colour Selected() const;
  // Nothing chosen, for pickers where no colour means "leave it".
  void SelectNone();
  bool HasSelection() const { return ItemIndex() >= 0 && ItemIndex() < CustomEntry(); }
  // Selects the colour, adding it as the custom entry when it is not one of
  // the standard ones; does not run OnChange.
  void Select(Colour colour);

  bool HandleDrawItem(const DRAWITEMSTRUCT& item) override;
  void HandleCommand(WORD code) override;
  void HandleDpiChanged() override;

 private:
  void Rebuild();
  bool ChooseCustom();
  int CustomEntry() const;

  std::vector<Colour> colours_;
  bool hasCustom_ = false;
  Colour custom_ = 0;
  int lastIndex_ = 0;
  std::array<COLORREF, 16> customColours_{};
};

}  // namespace brisko::win
