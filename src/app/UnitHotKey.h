#pragma once

#include <memory>

#include "core/Hotkey.h"
#include "widgets/Control.h"
#include "widgets/Form.h"

namespace brisko {

// "Hotkey Setting": the modifiers and the key of the capture hotkey. Ok
// stores the hotkey text in config.ini; the main window registers it.
class TFrmHotKey : public win::Form {
 public:
  TFrmHotKey(HWND owner, const Hotkey& current);

 private:
  void BtnOkClick();

  std::unique_ptr<win::GroupBox> GrpHotkey;
  std::unique_ptr<win::CheckBox> CheckCtrl;
  std::unique_ptr<win::Label> LblPlus1;
  std::unique_ptr<win::CheckBox> CheckShift;
  std::unique_ptr<win::Label> LblPlus2;
  std::unique_ptr<win::CheckBox> CheckAlt;
  std::unique_ptr<win::Label> LblPlus3;
  std::unique_ptr<win::ComboBox> ComboKey;
  std::unique_ptr<win::Button> BtnOk;
  std::unique_ptr<win::Button> BtnCancel;
};

}  // namespace brisko
