#include "editor/UnitSales.h"

#include "widgets/Handles.h"

namespace brisko {

namespace {

constexpr Colour kNavy = MakeColour(0, 0, 128);
const std::vector<std::string> kUnits = {"Pixels", "Percentage"};

SizeUnit UnitOf(const win::ComboBox& list) { return list.ItemIndex() == 1 ? SizeUnit::Percentage : SizeUnit::Pixels; }

}  // namespace

TFrmSales::TFrmSales(HWND owner, std::int32_t width, std::int32_t height, bool smooth)
    : AdjustDialog(Frame{L"TFrmSales", "Scale", 420, 150, owner}), model_(width, height), smooth_(smooth) {
  GrpScale = std::make_unique<win::GroupBox>(*this, " Scale by percentage and pixels ", win::Bounds{8, 4, 316, 108});
  LblWidth = std::make_unique<win::Label>(*this, "Width:", win::Bounds{20, 30, 48, 16});
  EdtWidth = std::make_unique<win::Edit>(*this, std::to_string(width), win::Bounds{70, 26, 90, 22});
  CmbWidthUnit = std::make_unique<win::ComboBox>(*this, win::Bounds{168, 26, 106, 22}, kUnits);
  LblHeight = std::make_unique<win::Label>(*this, "Height:", win::Bounds{20, 60, 48, 16});
  EdtHeight = std::make_unique<win::Edit>(*this, std::to_string(height), win::Bounds{70, 56, 90, 22});
  CmbHeightUnit = std::make_unique<win::ComboBox>(*this, win::Bounds{168, 56, 106, 22}, kUnits);
  CmbWidthUnit->SetItemIndex(0);
  CmbHeightUnit->SetItemIndex(0);
  ImgChain = std::make_unique<win::Panel>(*this, win::Bounds{280, 24, 30, 58});
  ImgChain->OnPaint = [this](HDC dc, const RECT& area) { PaintChain(dc, area); };
  ChkKeepAspect = std::make_unique<win::CheckBox>(*this, "&Keep aspect ratio", win::Bounds{20, 86, 160, 20});
  ChkKeepAspect->SetChecked(true);
  LblFinal = std::make_unique<win::Label>(*this, "Final Image Size:", win::Bounds{10, 124, 100, 16});
  LblFinalSize = std::make_unique<win::Label>(*this, model_.ShownLabel(), win::Bounds{112, 124, 200, 16});
  LblFinalSize->SetTextColour(kNavy);
  AddOkCancel(win::Bounds{332, 10, 80, 26}, win::Bounds{332, 42, 80, 26});
  BtnDefault = std::make_unique<win::Button>(*this, "&Default", win::Bounds{332, 74, 80, 26});

  EdtWidth->OnChange = [this] { EdtWidthChange(); };
  EdtHeight->OnChange = [this] { EdtHeightChange(); };
  CmbWidthUnit->OnChange = [this] { UnitChange(*CmbWidthUnit); };
  CmbHeightUnit->OnChange = [this] { UnitChange(*CmbHeightUnit); };
  ChkKeepAspect->OnClick = [this] {
    model_.KeepAspect = ChkKeepAspect->Checked();
    ImgChain->SetVisible(model_.KeepAspect);
  };
  BtnDefault->OnClick = [this] { BtnDefaultClick(); };
}

void TFrmSales::SetEditText(win::Edit& edit, const std::string& text) {
  settingText_ = true;
  edit.SetText(text);
  settingText_ = false;
}

void TFrmSales::ShowFinalSize() { LblFinalSize->SetText(model_.FinalLabel()); }

void TFrmSales::EdtWidthChange() {
  if (settingText_) return;
  if (auto height = model_.WidthTyped(EdtWidth->Text())) SetEditText(*EdtHeight, *height);
  ShowFinalSize();
}

void TFrmSales::EdtHeightChange() {
  if (settingText_) return;
  if (auto width = model_.HeightTyped(EdtHeight->Text())) SetEditText(*EdtWidth, *width);
  ShowFinalSize();
}

void TFrmSales::UnitChange(win::ComboBox& list) {
  if (&list == CmbWidthUnit.get())
    SetEditText(*EdtWidth, model_.WidthUnitChosen(UnitOf(list)));
  else
    SetEditText(*EdtHeight, model_.HeightUnitChosen(UnitOf(list)));
}

void TFrmSales::BtnDefaultClick() {
  const auto texts = model_.Defaults();
  SetEditText(*EdtWidth, texts[0]);
  SetEditText(*EdtHeight, texts[1]);
  ShowFinalSize();
}

void TFrmSales::PaintChain(HDC dc, const RECT& area) {
  FillRect(dc, &area, ImgChain->BackgroundBrush());
  // A bracket joining the two rows, with a chain link on its middle.
  const int s = ImgChain->Scale(1);
  win::ScopedPen pen(CreatePen(PS_SOLID, 2 * s, MakeColour(64, 64, 64)));
  const HGDIOBJ old = SelectObject(dc, pen.Get());
  const int left = 2 * s, right = area.right / 2, top = 10 * s, bottom = area.bottom - 10 * s, mid = area.bottom / 2;
  MoveToEx(dc, left, top, nullptr);
  LineTo(dc, right, top);
  LineTo(dc, right, bottom);
  LineTo(dc, left - 1, bottom);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Ellipse(dc, right - 5 * s, mid - 9 * s, right + 5 * s, mid + 1 * s);
  Ellipse(dc, right - 5 * s, mid - 1 * s, right + 5 * s, mid + 9 * s);
  SelectObject(dc, old);
}

}  // namespace brisko
