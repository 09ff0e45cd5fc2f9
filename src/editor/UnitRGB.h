#pragma once

#include <array>
#include <memory>

#include "editor/AdjustDialog.h"
#include "editor/DialogModels.h"
#include "widgets/TrackBar.h"

namespace brisko {

// "RGB Color": an offset for each of red, green and blue, with Before and
// After previews.
class TFrmRGB : public AdjustDialog {
 public:
  TFrmRGB(HWND owner, const Bitmap& picture);

 private:
  DialogResult Accept() override;
  void EdtChannelChange(int channel);
  void BtnDefaultClick();

  RgbModel model_;
  BeforeAfter previews_;
  bool resetting_ = false;
  std::unique_ptr<win::GroupBox> GrpColors;
  std::array<std::unique_ptr<win::Label>, 3> labels_;
  std::array<std::unique_ptr<win::TrackBar>, 3> tracks_;
  std::array<std::unique_ptr<win::SpinEdit>, 3> edits_;
  std::unique_ptr<win::Button> BtnDefault;
};

}  // namespace brisko
