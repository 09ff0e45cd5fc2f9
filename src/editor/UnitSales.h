#pragma once

#include <memory>

#include "editor/AdjustDialog.h"
#include "editor/DialogModels.h"
#include "widgets/Panel.h"

namespace brisko {

// "Scale": a new size in pixels or percent of the old, with the aspect
// ratio kept on request.
class TFrmSales : public AdjustDialog {
 public:
  TFrmSales(HWND owner, std::int32_t width, std::int32_t height, bool smooth);

 private:
  DialogResult Accept() override { return model_.Accept(EdtWidth->Text(), EdtHeight->Text(), smooth_); }
  void EdtWidthChange();
  void EdtHeightChange();
  void UnitChange(win::ComboBox& list);
  void BtnDefaultClick();
  // Sets an edit's text without it counting as typed.
  void SetEditText(win::Edit& edit, const std::string& text);
  void ShowFinalSize();
  void PaintChain(HDC dc, const RECT& area);

  ScaleModel model_;
  bool smooth_;
  bool settingText_ = false;
  std::unique_ptr<win::GroupBox> GrpScale;
  std::unique_ptr<win::Label> LblWidth;
  std::unique_ptr<win::Label> LblHeight;
  std::unique_ptr<win::Edit> EdtWidth;
  std::unique_ptr<win::Edit> EdtHeight;
  std::unique_ptr<win::ComboBox> CmbWidthUnit;
  std::unique_ptr<win::ComboBox> CmbHeightUnit;
  std::unique_ptr<win::Panel> ImgChain;
  std::unique_ptr<win::CheckBox> ChkKeepAspect;
  std::unique_ptr<win::Label> LblFinal;
  std::unique_ptr<win::Label> LblFinalSize;
  std::unique_ptr<win::Button> BtnDefault;
};

}  // namespace brisko
