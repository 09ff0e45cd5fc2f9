#pragma once

#include <array>
#include <memory>

#include "editor/AdjustDialog.h"
#include "editor/DialogModels.h"
#include "widgets/ImageButton.h"

namespace brisko {

// "Change Canvas Size": a new width and height, and where the picture sits
// on the new canvas.
class TFrmCanvasSize : public AdjustDialog {
 public:
  TFrmCanvasSize(HWND owner, HWND mainWindow, std::int32_t width, std::int32_t height);

 private:
  DialogResult Accept() override { return model_.Accept(EdtWidth->Text(), EdtHeight->Text()); }

  CanvasSizeModel model_;
  std::unique_ptr<win::GroupBox> GrpNewSize;
  std::unique_ptr<win::Label> LblNewWidth;
  std::unique_ptr<win::Label> LblNewHeight;
  std::unique_ptr<win::SpinEdit> EdtWidth;
  std::unique_ptr<win::SpinEdit> EdtHeight;
  std::unique_ptr<win::GroupBox> GrpOriginal;
  std::unique_ptr<win::Label> LblCurrentWidth;
  std::unique_ptr<win::Label> LblCurrentHeight;
  std::unique_ptr<win::Label> LblWidthValue;
  std::unique_ptr<win::Label> LblHeightValue;
  std::unique_ptr<win::GroupBox> GrpPlacement;
  std::array<std::unique_ptr<win::OptionButton>, 9> placement_;
};

}  // namespace brisko
