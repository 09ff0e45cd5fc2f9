#include "editor/UnitColors.h"

#include <cmath>

namespace brisko {

namespace {

// Spin edits count in steps of their last digit.
int Steps(double value, int decimals) { return static_cast<int>(std::lround(value * std::pow(10.0, decimals))); }

}  // namespace

TFrmColors::TFrmColors(HWND owner, std::string_view colorsKind, const Bitmap& picture)
    : AdjustDialog(Frame{L"TFrmColors", "Set Colors", 425, 260, owner}), model_(colorsKind), previews_(*this) {
  SetCaption(model_.Caption());
  LblKind = std::make_unique<win::Label>(*this, std::string(model_.Page().name), win::Bounds{12, 190, 76, 16});
  const auto pages = ColorsPages();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    pages_[i] = std::make_unique<win::Panel>(*this, win::Bounds{90, 178, 327, 40});
    const bool shown = pages[i].page == model_.Page().page;
    pages_[i]->SetVisible(shown);
    // Only the page shown gets controls: the others could never be used.
    if (shown) BuildPage(pages[i], *pages_[i]);
  }
  BtnDefault = std::make_unique<win::Button>(*this, "Set Default", win::Bounds{8, 226, 110, 28});
  BtnDefault->OnClick = [this] { BtnDefaultClick(); };
  AddOkCancel(win::Bounds{255, 226, 78, 28}, win::Bounds{339, 226, 78, 28});

  const SIZE area = previews_.PanelArea();
  model_.Prepare(picture, area.cx, area.cy);
  previews_.ShowBoth(model_.Previews());
}

void TFrmColors::BuildPage(const ColorsPageSpec& spec, win::Panel& page) {
  switch (spec.page) {
    case ColorsPage::Colors: {
      const auto choices = ColorFormatChoices();
      CmbFormat = std::make_unique<win::ComboBox>(page, win::Bounds{0, 8, 200, 22},
                                                  std::vector<std::string>(choices.begin(), choices.end()));
      CmbFormat->SetItemIndex(kDefaultColorFormat);
      CmbFormat->OnChange = [this] {
        model_.FormatChosen(CmbFormat->ItemIndex());
        previews_.ShowAfter(model_.Previews());
      };
      return;
    }
    case ColorsPage::Hue:
      ColorHue = std::make_unique<win::ColourPicker>(page, win::Bounds{0, 8, 160, 22});
      ColorHue->SelectNone();
      ColorHue->OnChange = [this] {
        model_.HueChosen(HueColour());
        previews_.ShowAfter(model_.Previews());
      };
      return;
    default: break;
  }
  const NumberRange& range = spec.range;
  TrackValue = std::make_unique<win::TrackBar>(page, win::Bounds{0, 2, 236, 36}, spec.trackMinimum, spec.trackMaximum,
                                               spec.tickFrequency);
  EdtValue = std::make_unique<win::SpinEdit>(page, win::Bounds{246, 8, 76, 22}, Steps(range.minimum, range.decimals),
                                             Steps(range.maximum, range.decimals), 0, range.decimals);
  EdtValue->SetText(std::string(spec.defaultText));
  if (const auto position = model_.ValueTyped(spec.defaultText)) TrackValue->SetPosition(*position);
  EdtValue->OnChange = [this] { EdtValueChange(); };
  TrackValue->OnRelease = [this] { TrackRelease(); };
}

std::optional<Colour> TFrmColors::HueColour() const {
  if (!ColorHue->HasSelection()) return std::nullopt;
  return ColorHue->Selected();
}

void TFrmColors::EdtValueChange() {
  if (resetting_) return;
  if (const auto position = model_.ValueTyped(EdtValue->Text())) {
    TrackValue->SetPosition(*position);
    previews_.ShowAfter(model_.Previews());
  }
}

void TFrmColors::TrackRelease() { EdtValue->SetText(model_.TrackReleased(TrackValue->Position())); }

void TFrmColors::BtnDefaultClick() {
  // After goes back to Before; the default written into the control
  // computes nothing.
  const std::optional<int> position = model_.Defaults();
  previews_.ShowAfter(model_.Previews());
  resetting_ = true;
  if (CmbFormat) CmbFormat->SetItemIndex(kDefaultColorFormat);
  if (ColorHue) ColorHue->SelectNone();
  if (EdtValue) EdtValue->SetText(std::string(model_.Page().defaultText));
  if (TrackValue && position) TrackValue->SetPosition(*position);
  resetting_ = false;
}

DialogResult TFrmColors::Accept() {
  return model_.Accept(EdtValue ? EdtValue->Text() : std::string(), CmbFormat ? CmbFormat->ItemIndex() : -1,
                       ColorHue ? HueColour() : std::nullopt);
}

}  // namespace brisko
