#include "app/UnitImgTyle.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/SaveFileDialogModel.h"
#include "capture/SaveDialog.h"
#include "core/Files.h"
#include "core/Helpers.h"
#include "widgets/FolderDialog.h"
#include "widgets/Share.h"

namespace brisko {

namespace {

constexpr Colour kFieldText = MakeColour(0, 0, 0);
constexpr Colour kFieldBackground = MakeColour(255, 255, 255);
constexpr Colour kDisabledFieldText = MakeColour(128, 128, 128);
constexpr Colour kDisabledFieldBackground = MakeColour(192, 192, 192);

win::FormArgs ImgTyleArgs(HWND owner) {
  win::FormArgs args;
  args.className = L"TFrmImgTyle";
  args.caption = L"Image File";
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  args.width = 476;
  args.height = 300;
  args.owner = owner;
  return args;
}

std::vector<std::string> FormatNames() {
  std::vector<std::string> names;
  for (std::string_view entry : SaveFormatEntries()) names.emplace_back(entry);
  return names;
}

std::vector<std::string> DigitsNames() {
  std::vector<std::string> names;
  for (int digits = 1; digits <= kDigitsChoices; ++digits) names.push_back(std::to_string(digits));
  return names;
}

// The folder exists afterwards, made with any missing parents if need be.
bool MakeFolderReady(const std::string& folder) {
  try {
    EnsureFolderTree(folder);
    return true;
  } catch (const FileError&) {
    return false;
  }
}

}  // namespace

TFrmImgTyle::TFrmImgTyle(HWND owner) : win::Form(ImgTyleArgs(owner)) {
  CreateFormatGroup();
  CreateNameGroup();
  CheckShowOptions =
      std::make_unique<win::CheckBox>(*this, "Save File then Show Options", win::Bounds{14, 240, 220, 20});
  BtnOk = std::make_unique<win::Button>(*this, "&Ok", win::Bounds{300, 264, 80, 26}, BS_DEFPUSHBUTTON | WS_TABSTOP);
  BtnCancel =
      std::make_unique<win::Button>(*this, "&Cancel", win::Bounds{388, 264, 80, 26}, BS_PUSHBUTTON | WS_TABSTOP);
  BtnOk->OnClick = [this] { BtnOkClick(); };
  BtnCancel->OnClick = [this] { Close(); };
  SetDefaultButton(BtnOk.get());
  SetCancelButton(BtnCancel.get());
  if (owner) CentreOn(owner);
  ShowSettings(ReadSaveFileSettings());
}

void TFrmImgTyle::CreateFormatGroup() {
  GrpFormat = std::make_unique<win::GroupBox>(*this, "  File Format  ", win::Bounds{8, 6, 190, 226});
  ListFormat = std::make_unique<win::ListBox>(*this, win::Bounds{18, 26, 170, 196});
  ListFormat->SetItems(FormatNames());
  ListFormat->OnChange = [this] { ListFormatClick(); };
}

void TFrmImgTyle::CreateNameGroup() {
  GrpName = std::make_unique<win::GroupBox>(*this, "  File Name  ", win::Bounds{206, 6, 262, 226});
  RadioAsk = std::make_unique<win::RadioButton>(*this, "Ask for File Name", win::Bounds{218, 26, 240, 20}, true);
  RadioDateTime = std::make_unique<win::RadioButton>(*this, "Automatic File Name of DateTime",
                                                     win::Bounds{218, 48, 240, 20}, false);
  RadioNumbered =
      std::make_unique<win::RadioButton>(*this, "Automatic File Name", win::Bounds{218, 70, 240, 20}, false);
  for (win::RadioButton* radio : {RadioAsk.get(), RadioDateTime.get(), RadioNumbered.get()})
    radio->OnClick = [this] { UpdateEnabling(); };

  LblPrefill = std::make_unique<win::Label>(*this, "Prefill", win::Bounds{236, 101, 40, 16});
  EdtPrefix = std::make_unique<win::Edit>(*this, "", win::Bounds{278, 98, 100, 22});
  LblPreview = std::make_unique<win::Label>(*this, kPreviewAtStart, win::Bounds{384, 101, 78, 16});
  LblDigits = std::make_unique<win::Label>(*this, "Number of digits in ", win::Bounds{236, 131, 110, 16});
  ComboDigits = std::make_unique<win::ComboBox>(*this, win::Bounds{350, 128, 50, 22}, DigitsNames());
  ComboDigits->OnChange = [this] { ComboDigitsChange(); };

  LblOutput = std::make_unique<win::Label>(*this, "Output:", win::Bounds{218, 166, 60, 16});
  EdtFolder = std::make_unique<win::Edit>(*this, "", win::Bounds{218, 186, 206, 22});
  BtnFolder = std::make_unique<win::Button>(*this, "...", win::Bounds{428, 186, 30, 22}, BS_PUSHBUTTON | WS_TABSTOP);
  BtnFolder->OnClick = [this] { BtnFolderClick(); };
}

void TFrmImgTyle::ShowSettings(const SaveFileSettings& settings) {
  ListFormat->SetItemIndex(settings.typeIndex);
  ListFormatClick();
  win::RadioButton* const radios[] = {RadioAsk.get(), RadioDateTime.get(), RadioNumbered.get()};
  radios[std::clamp(settings.nameIndex, kAskForName, kNumberedName)]->SetDown();
  UpdateEnabling();
  EdtPrefix->SetText(settings.nameText);
  ComboDigits->SetItemIndex(settings.digitsIndex);
  ComboDigitsChange();
  EdtFolder->SetText(settings.nameOutput);
  CheckShowOptions->SetChecked(settings.showOptions);
}

void TFrmImgTyle::ListFormatClick() {
  const int index = ListFormat->ItemIndex();
  if (index >= 0) LblPreview->SetText(PreviewAfterFormat(LblPreview->Text(), ListFormat->ItemText(index)));
}

void TFrmImgTyle::ComboDigitsChange() {
  const int index = ComboDigits->ItemIndex();
  if (index >= 0) LblPreview->SetText(PreviewAfterDigits(LblPreview->Text(), index));
}

void TFrmImgTyle::UpdateEnabling() {
  const bool numbered = RadioNumbered->Down();
  win::Control* const numberedFields[] = {LblPrefill.get(), EdtPrefix.get(), LblPreview.get(), LblDigits.get(),
                                          ComboDigits.get()};
  for (win::Control* control : numberedFields) control->SetEnabled(numbered);
  const Colour text = numbered ? kFieldText : kDisabledFieldText;
  const Colour background = numbered ? kFieldBackground : kDisabledFieldBackground;
  EdtPrefix->SetColours(text, background);
  ComboDigits->SetColours(text, background);
}

void TFrmImgTyle::BtnFolderClick() {
  if (const auto folder = win::ChooseFolder(Handle(), EdtFolder->Text()))
    EdtFolder->SetText(WithTrailingBackslash(*folder));
}

int TFrmImgTyle::ChosenNaming() const {
  if (RadioNumbered->Down()) return kNumberedName;
  if (RadioDateTime->Down()) return kDateTimeName;
  return kAskForName;
}

SaveFileSettings TFrmImgTyle::Chosen() const {
  SaveFileSettings chosen;
  chosen.typeIndex = std::max(ListFormat->ItemIndex(), 0);
  chosen.nameIndex = ChosenNaming();
  chosen.nameText = EdtPrefix->Text();
  chosen.digitsIndex = std::max(ComboDigits->ItemIndex(), 0);
  chosen.nameOutput = EdtFolder->Text();
  chosen.showOptions = CheckShowOptions->Checked();
  return chosen;
}

void TFrmImgTyle::BtnOkClick() {
  const SaveFileOk ok = CheckSaveFileChoice(Chosen());
  std::string problem = ok.problem;
  // Only a choice that passed every other check may create a folder.
  if (problem.empty() && !MakeFolderReady(ok.folder)) problem = FolderCannotBeCreatedMessage(ok.folder);
  if (!problem.empty()) {
    ShowMessageBox(static_cast<int>(MessageKind::Warning), problem);
    return;
  }
  WriteSettings("SaveFile", ok.keys);
  Close();
}

}  // namespace brisko
