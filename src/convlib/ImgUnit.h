#pragma once

#include <array>
#include <memory>
#include <string>

#include "codecs/Codecs.h"
#include "convlib/SaveOptions.h"
#include "core/Bitmap.h"
#include "widgets/Control.h"
#include "widgets/Form.h"
#include "widgets/Panel.h"
#include "widgets/TabControl.h"
#include "widgets/TrackBar.h"

namespace brisko {

// "Parameters Preview": writes the picture in temp.bmp to the target in the
// format its extension names, resized and with the format's parameters,
// and shows the original beside the result as written. With AutoClose it
// writes once with the defaults and closes by itself.
class TFrmImg : public win::Form {
 public:
  TFrmImg(HWND owner, std::string target, bool autoClose);

 private:
  void FormShow();
  void FirstApply();
  void ApplySaveParameters();
  void ApplyIfLocked();
  void RadioResizeClick(ResizeMode mode);
  void EdtQualityChange();
  void TrackQualityRelease();
  void CheckLockClick();
  void BtnCancelClick();
  bool ReportProgress(int percent);
  void ShowFormatPage();
  void SetPicture(win::Panel& pane, Bitmap& preview, const Bitmap& picture);
  void PaintPane(HDC dc, const RECT& area, const Bitmap& preview);
  win::Panel* BuildPage(const char* caption);

  std::string target_;
  std::string source_;
  std::string intermediate_;
  bool autoClose_;
  ImageFormat page_;
  ResizeMode mode_ = ResizeMode::Percent;
  bool applying_ = false;
  bool shown_ = false;

  Bitmap original_;
  Bitmap originalPreview_;
  Bitmap resultPreview_;

  std::unique_ptr<win::Label> LblOriginal;
  std::unique_ptr<win::Label> LblResult;
  std::unique_ptr<win::Panel> PnlOriginal;
  std::unique_ptr<win::Panel> PnlResult;
  std::unique_ptr<win::ProgressBar> ProgressBar1;
  std::unique_ptr<win::TabControl> TabFormat;
  std::unique_ptr<win::GroupBox> GrpResize;
  std::unique_ptr<win::RadioButton> RadioPercent;
  std::unique_ptr<win::RadioButton> RadioPixel;
  std::unique_ptr<win::SpinEdit> EdtSize;
  std::unique_ptr<win::Label> LblUnit;
  // One panel per format; the one of the target's format shows.
  std::array<std::unique_ptr<win::Panel>, 7> pages_;
  std::unique_ptr<win::Label> LblQuality;
  std::unique_ptr<win::SpinEdit> EdtQuality;
  std::unique_ptr<win::TrackBar> TrackQuality;
  std::unique_ptr<win::Label> LblBmpColors;
  std::unique_ptr<win::ComboBox> ComboBmpColors;
  std::unique_ptr<win::Label> LblPcxColors;
  std::unique_ptr<win::ComboBox> ComboPcxColors;
  std::unique_ptr<win::Label> LblTifCompress;
  std::unique_ptr<win::ComboBox> ComboTifCompress;
  std::array<std::unique_ptr<win::Label>, 3> noParameters_;
  std::unique_ptr<win::CheckBox> CheckLock;
  std::unique_ptr<win::Button> BtnOk;
  std::unique_ptr<win::Button> BtnCancel;
  std::unique_ptr<win::Button> BtnPreview;
};

}  // namespace brisko
