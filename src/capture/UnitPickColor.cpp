#include "capture/UnitPickColor.h"

#include <commdlg.h>

#include "capture/ColourNotation.h"
#include "widgets/Clipboard.h"

namespace brisko {

namespace {

win::FormArgs PickColorArgs() {
  win::FormArgs args;
  args.className = L"TFrmPickColor";
  args.caption = L"Color Picker";
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  args.width = 397;
  args.height = 277;
  return args;
}

void PaintSwatch(HDC dc, const RECT& r, Colour c) {
  win::ScopedBrush fill(CreateSolidBrush(c));
  FillRect(dc, &r, fill.Get());
  RECT edge = r;
  DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
}

}  // namespace

TFrmPickColor::TFrmPickColor(CaptureHost& host) : win::Form(PickColorArgs()), host_(host) {
  customColours_.fill(0xFFFFFF);
  GrpColors = std::make_unique<win::GroupBox>(*this, "Colors", win::Bounds{8, 6, 186, 132});
  LblOriginal = std::make_unique<win::Label>(*this, "Original Color", win::Bounds{20, 26, 80, 16});
  pnlold = std::make_unique<win::Panel>(*this, win::Bounds{20, 44, 76, 50});
  pnlold->OnPaint = [this](HDC dc, const RECT& r) { PaintSwatch(dc, r, old_); };
  LblNew = std::make_unique<win::Label>(*this, "New Color", win::Bounds{106, 26, 80, 16});
  pnlnew = std::make_unique<win::Panel>(*this, win::Bounds{106, 44, 76, 50});
  pnlnew->OnPaint = [this](HDC dc, const RECT& r) { PaintSwatch(dc, r, new_); };
  Button1 = std::make_unique<win::Button>(*this, "Set Default", win::Bounds{20, 104, 162, 26});
  Button1->OnClick = [this] { Button1Click(); };

  GrpRGB = std::make_unique<win::GroupBox>(*this, "Color RGB", win::Bounds{8, 144, 186, 96});
  const char* spinCaptions[] = {"Red:", "Green:", "Blue:"};
  std::unique_ptr<win::SpinEdit>* spins[] = {&RzSpinEdit1, &RzSpinEdit2, &RzSpinEdit3};
  const int initial[] = {255, 0, 0};
  for (int i = 0; i < 3; ++i) {
    spinLabels_[static_cast<std::size_t>(i)] =
        std::make_unique<win::Label>(*this, spinCaptions[i], win::Bounds{20, 166 + 24 * i, 50, 16});
    *spins[i] = std::make_unique<win::SpinEdit>(*this, win::Bounds{80, 162 + 24 * i, 100, 22}, 0, 255, initial[i]);
    (*spins[i])->OnChange = [this] { RzSpinEdit1Change(); };
  }

  GrpValues = std::make_unique<win::GroupBox>(*this, "Color Values", win::Bounds{202, 6, 187, 234});
  const char* valueCaptions[] = {"Dec:", "Hex:", "Delphi:", "HTML:"};
  for (int i = 0; i < 4; ++i) {
    const auto n = static_cast<std::size_t>(i);
    valueLabels_[n] = std::make_unique<win::Label>(*this, valueCaptions[i], win::Bounds{214, 34 + 50 * i, 50, 16});
    edits_[n] = std::make_unique<win::Edit>(*this, "", win::Bounds{262, 30 + 50 * i, 90, 22});
    copyButtons_[n] = std::make_unique<win::Button>(*this, "Copy", win::Bounds{356, 30 + 50 * i, 26, 22});
    copyButtons_[n]->SetHint("Copy to the clipboard");
    copyButtons_[n]->OnClick = [this, i] { SpeedButton1Click(i + 1); };
  }
  Button2 = std::make_unique<win::Button>(*this, "&Set other Color", win::Bounds{202, 246, 110, 26});
  Button2->OnClick = [this] { Button2Click(); };
  BtnClose = std::make_unique<win::Button>(*this, "&Close", win::Bounds{318, 246, 71, 26}, BS_DEFPUSHBUTTON);
  BtnClose->OnClick = [this] { Close(); };
  SetDefaultButton(BtnClose.get());
  SetCancelButton(BtnClose.get());
  // Closing the picker ends the capture: the main window comes back.
  OnClose = [this] { host_.ReturnAfterCapture(); };
  SetColorTexts(new_);
}

void TFrmPickColor::SetSwatch(win::Panel& swatch, Colour& colour, Colour c) {
  colour = c;
  swatch.Invalidate();
}

void TFrmPickColor::ShowPicked(Colour c) {
  SetRGBSpins(c);
  SetSwatch(*pnlold, old_, c);
  SetSwatch(*pnlnew, new_, c);
  SetColorTexts(c);
}

void TFrmPickColor::SetRGBSpins(Colour c) {
  settingSpins_ = true;
  RzSpinEdit1->SetValue(RedOf(c));
  RzSpinEdit2->SetValue(GreenOf(c));
  RzSpinEdit3->SetValue(BlueOf(c));
  settingSpins_ = false;
}

void TFrmPickColor::SetColorTexts(Colour c) {
  const ColourNotations n = NotationsOf(c);
  edits_[0]->SetText(n.decimal);
  edits_[1]->SetText(n.hex);
  edits_[2]->SetText(n.delphi);
  edits_[3]->SetText(n.html);
}

void TFrmPickColor::RzSpinEdit1Change() {
  if (settingSpins_) return;
  const Colour c = ColourFromComponents(RzSpinEdit1->Value(), RzSpinEdit2->Value(), RzSpinEdit3->Value());
  SetColorTexts(c);
  SetSwatch(*pnlnew, new_, c);
}

void TFrmPickColor::Button1Click() {
  SetSwatch(*pnlnew, new_, old_);
  SetRGBSpins(old_);
  SetColorTexts(old_);
}

void TFrmPickColor::Button2Click() {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = Handle();
  choose.rgbResult = new_;
  choose.lpCustColors = customColours_.data();
  choose.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorW(&choose)) return;
  SetSwatch(*pnlnew, new_, choose.rgbResult);
  SetRGBSpins(new_);
  SetColorTexts(new_);
}

void TFrmPickColor::SpeedButton1Click(int tag) {
  win::SetClipboardText(Handle(), edits_[static_cast<std::size_t>(tag - 1)]->Text());
}

}  // namespace brisko
