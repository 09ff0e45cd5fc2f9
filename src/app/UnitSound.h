#pragma once

#include <memory>

#include "app/Artwork.h"
#include "capture/CaptureProfile.h"
#include "widgets/Control.h"
#include "widgets/Form.h"
#include "widgets/IconListBox.h"

namespace brisko {

// "Set the Sound": picks the capture sound, with a preview.
class TFrmSound : public win::Form {
 public:
  TFrmSound(HWND owner, CaptureProfile& profile);

 private:
  void PlaySelected();
  void BtnOkClick();

  CaptureProfile& profile_;
  Artwork artwork_;
  std::unique_ptr<win::GroupBox> GrpSounds;
  std::unique_ptr<win::IconListBox> ListSounds;
  std::unique_ptr<win::Button> BtnOk;
  std::unique_ptr<win::Button> BtnCancel;
  std::unique_ptr<win::Button> BtnPreview;
};

}  // namespace brisko
