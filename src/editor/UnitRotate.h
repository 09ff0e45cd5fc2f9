#pragma once

#include <memory>

#include "editor/AdjustDialog.h"
#include "editor/DialogModels.h"
#include "widgets/ColourPicker.h"
#include "widgets/PicturePanel.h"
#include "widgets/TrackBar.h"

namespace brisko {

// "Rotate": turns the picture by any angle onto a background colour, with
// a preview of the turn.
class TFrmRotate : public AdjustDialog {
 public:
  TFrmRotate(HWND owner, HWND mainWindow, const Bitmap& picture);

 private:
  DialogResult Accept() override { return model_.Accept(); }
  void EdtAngleChange();
  void TrackAngleRelease();

  RotateModel model_;
  char decimalSeparator_;
  std::unique_ptr<win::PicturePanel> PnlPreview;
  std::unique_ptr<win::GroupBox> GrpAngle;
  std::unique_ptr<win::Edit> EdtAngle;
  std::unique_ptr<win::Label> LblAngleError;
  std::unique_ptr<win::TrackBar> TrackAngle;
  std::unique_ptr<win::GroupBox> GrpBackground;
  std::unique_ptr<win::ColourPicker> ColorBackground;
};

}  // namespace brisko
