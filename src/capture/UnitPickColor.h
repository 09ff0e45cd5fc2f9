#pragma once

#include <array>
#include <memory>

#include "capture/CaptureHost.h"
#include "widgets/Control.h"
#include "widgets/Form.h"
#include "widgets/Panel.h"

namespace brisko {

// "Color Picker": the colour of the screen pixel the user clicked, which
// can be changed, in four notations ready to copy.
class TFrmPickColor : public win::Form {
 public:
  explicit TFrmPickColor(CaptureHost& host);

  // Fills the dialog with a picked colour: spins, both swatches, texts.
  void ShowPicked(Colour c);

 private:
  void SetRGBSpins(Colour c);
  void SetColorTexts(Colour c);
  void RzSpinEdit1Change();
  void Button1Click();
  void Button2Click();
  void SpeedButton1Click(int tag);
  void SetSwatch(win::Panel& swatch, Colour& colour, Colour c);

  CaptureHost& host_;
  Colour old_ = MakeColour(255, 0, 0);
  Colour new_ = MakeColour(255, 0, 0);
  bool settingSpins_ = false;
  std::array<COLORREF, 16> customColours_{};

  std::unique_ptr<win::GroupBox> GrpColors;
  std::unique_ptr<win::Label> LblOriginal;
  std::unique_ptr<win::Panel> pnlold;
  std::unique_ptr<win::Label> LblNew;
  std::unique_ptr<win::Panel> pnlnew;
  std::unique_ptr<win::Button> Button1;
  std::unique_ptr<win::GroupBox> GrpRGB;
  std::array<std::unique_ptr<win::Label>, 3> spinLabels_;
  std::unique_ptr<win::SpinEdit> RzSpinEdit1;
  std::unique_ptr<win::SpinEdit> RzSpinEdit2;
  std::unique_ptr<win::SpinEdit> RzSpinEdit3;
  std::unique_ptr<win::GroupBox> GrpValues;
  std::array<std::unique_ptr<win::Label>, 4> valueLabels_;
  std::array<std::unique_ptr<win::Edit>, 4> edits_;  // Edit1 to Edit4
  std::array<std::unique_ptr<win::Button>, 4> copyButtons_;  // SpeedButton1 to SpeedButton4
  std::unique_ptr<win::Button> Button2;
  std::unique_ptr<win::Button> BtnClose;
};

}  // namespace brisko
