#pragma once

#include <array>
#include <memory>
#include <string_view>

#include "editor/AdjustDialog.h"
#include "editor/DialogModels.h"
#include "widgets/ColourPicker.h"
#include "widgets/Panel.h"
#include "widgets/TrackBar.h"

namespace brisko {

// "Set " + ColorsKind: one value for one of six colour adjustments (colour
// depth, brightness, contrast, gamma, saturation, hue), with Before and
// After previews. Each kind has its page; the dialog shows its own.
class TFrmColors : public AdjustDialog {
 public:
  TFrmColors(HWND owner, std::string_view colorsKind, const Bitmap& picture);

 private:
  DialogResult Accept() override;
  void EdtValueChange();
  void TrackRelease();
  void BtnDefaultClick();
  void BuildPage(const ColorsPageSpec& spec, win::Panel& page);
  std::optional<Colour> HueColour() const;

  ColorsModel model_;
  BeforeAfter previews_;
  bool resetting_ = false;
  std::unique_ptr<win::Label> LblKind;
  std::array<std::unique_ptr<win::Panel>, 6> pages_;
  // The controls of the page shown.
  std::unique_ptr<win::ComboBox> CmbFormat;
  std::unique_ptr<win::TrackBar> TrackValue;
  std::unique_ptr<win::SpinEdit> EdtValue;
  std::unique_ptr<win::ColourPicker> ColorHue;
  std::unique_ptr<win::Button> BtnDefault;
};

}  // namespace brisko
