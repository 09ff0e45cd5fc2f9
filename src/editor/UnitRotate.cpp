#include "editor/UnitRotate.h"

namespace brisko {

namespace {

constexpr Colour kPreviewGrey = 0x808080;

// The user's decimal separator, which the angle text is read with.
char LocaleDecimalSeparator() {
  wchar_t separator[4] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) > 0 && separator[0] < 0x80)
    return static_cast<char>(separator[0]);
  return '.';
}

}  // namespace

TFrmRotate::TFrmRotate(HWND owner, HWND mainWindow, const Bitmap& picture)
    : AdjustDialog(Frame{L"TFrmRotate", "Rotate", 432, 193, owner, mainWindow}),
      decimalSeparator_(LocaleDecimalSeparator()) {
  PnlPreview = std::make_unique<win::PicturePanel>(*this, win::Bounds{6, 4, 180, 184}, kPreviewGrey, true);
  GrpAngle = std::make_unique<win::GroupBox>(*this, "Clockwise Angle", win::Bounds{194, 4, 232, 96});
  EdtAngle = std::make_unique<win::Edit>(*this, "0.00", win::Bounds{206, 24, 120, 22});
  LblAngleError = std::make_unique<win::Label>(*this, "", win::Bounds{206, 84, 214, 14});
  LblAngleError->SetTextColour(MakeColour(192, 0, 0));
  TrackAngle = std::make_unique<win::TrackBar>(*this, win::Bounds{200, 54, 220, 32}, RotateModel::kTrackMinimum,
                                               RotateModel::kTrackMaximum, 100, win::TrackBar::Ticks::None);
  TrackAngle->SetPosition(RotateModel::kTrackZero);
  GrpBackground = std::make_unique<win::GroupBox>(*this, "Background", win::Bounds{194, 104, 232, 52});
  ColorBackground = std::make_unique<win::ColourPicker>(*this, win::Bounds{206, 124, 150, 22});
  AddOkCancel(win::Bounds{264, 162, 76, 26}, win::Bounds{350, 162, 76, 26});

  const SIZE area = PnlPreview->PictureArea();
  model_.Prepare(picture, area.cx, area.cy);
  PnlPreview->ShowPicture(model_.Preview(), model_.PreviewPlace());

  EdtAngle->OnChange = [this] { EdtAngleChange(); };
  TrackAngle->OnRelease = [this] { TrackAngleRelease(); };
  ColorBackground->OnChange = [this] { model_.SetBackground(ColorBackground->Selected()); };
}

void TFrmRotate::EdtAngleChange() {
  const RotateModel::AngleChange change = model_.AngleTyped(EdtAngle->Text(), decimalSeparator_);
  switch (change.kind) {
    case RotateModel::AngleChange::Kind::BlankToZero: EdtAngle->SetText("0"); return;
    case RotateModel::AngleChange::Kind::NotANumber:
      // Said beside the edit, not in a box: a lone "-" is on its way to
      // becoming a negative angle.
      LblAngleError->SetText(change.message);
      return;
    case RotateModel::AngleChange::Kind::Previewed: break;
  }
  LblAngleError->SetText("");
  TrackAngle->SetPosition(change.position);
  PnlPreview->ShowPicture(model_.Preview(), model_.PreviewPlace());
}

void TFrmRotate::TrackAngleRelease() { EdtAngle->SetText(RotateModel::TrackReleased(TrackAngle->Position())); }

}  // namespace brisko
