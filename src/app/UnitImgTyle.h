#pragma once

#include <memory>

#include "capture/FileNaming.h"
#include "widgets/Control.h"
#include "widgets/Form.h"

namespace brisko {

// "Image File": how captures are saved when they go to a file — the
// format, how the name is found, the folder for proposed names and whether
// the save-parameters dialog waits. It edits the [SaveFile] keys of
// config.ini; "&Ok" writes them all at once, "&Cancel" nothing.
class TFrmImgTyle : public win::Form {
 public:
  explicit TFrmImgTyle(HWND owner);

 private:
  void CreateFormatGroup();
  void CreateNameGroup();
  void ShowSettings(const SaveFileSettings& settings);
  void ListFormatClick();
  void ComboDigitsChange();
  void UpdateEnabling();
  void BtnFolderClick();
  void BtnOkClick();
  int ChosenNaming() const;
  SaveFileSettings Chosen() const;

  std::unique_ptr<win::GroupBox> GrpFormat;
  std::unique_ptr<win::ListBox> ListFormat;
  std::unique_ptr<win::GroupBox> GrpName;
  std::unique_ptr<win::RadioButton> RadioAsk;
  std::unique_ptr<win::RadioButton> RadioDateTime;
  std::unique_ptr<win::RadioButton> RadioNumbered;
  std::unique_ptr<win::Label> LblPrefill;
  std::unique_ptr<win::Edit> EdtPrefix;
  std::unique_ptr<win::Label> LblPreview;
  std::unique_ptr<win::Label> LblDigits;
  std::unique_ptr<win::ComboBox> ComboDigits;
  std::unique_ptr<win::Label> LblOutput;
  std::unique_ptr<win::Edit> EdtFolder;
  std::unique_ptr<win::Button> BtnFolder;
  std::unique_ptr<win::CheckBox> CheckShowOptions;
  std::unique_ptr<win::Button> BtnOk;
  std::unique_ptr<win::Button> BtnCancel;
};

}  // namespace brisko
