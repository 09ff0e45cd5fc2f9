#include "editor/UnitRGB.h"

namespace brisko {

TFrmRGB::TFrmRGB(HWND owner, const Bitmap& picture)
    : AdjustDialog(Frame{L"TFrmRGB", "RGB Color", 425, 355, owner}), previews_(*this) {
  GrpColors = std::make_unique<win::GroupBox>(*this, "Set Colors", win::Bounds{8, 180, 409, 132});
  static constexpr const char* kCaptions[] = {"Red:", "Green:", "Blue:"};
  for (std::size_t i = 0; i < 3; ++i) {
    const int top = 198 + 36 * static_cast<int>(i);
    labels_[i] = std::make_unique<win::Label>(*this, kCaptions[i], win::Bounds{18, top + 12, 44, 16});
    tracks_[i] = std::make_unique<win::TrackBar>(*this, win::Bounds{64, top, 262, 34}, -255, 255, 50,
                                                 win::TrackBar::Ticks::Above);
    tracks_[i]->SetPosition(0);
    edits_[i] = std::make_unique<win::SpinEdit>(*this, win::Bounds{334, top + 8, 72, 22}, -255, 255, 0);
    const int channel = static_cast<int>(i) + 1;
    edits_[i]->OnChange = [this, channel] { EdtChannelChange(channel); };
    tracks_[i]->OnRelease = [this, i] { edits_[i]->SetValue(tracks_[i]->Position()); };
  }
  BtnDefault = std::make_unique<win::Button>(*this, "Set Default Values", win::Bounds{8, 320, 130, 28});
  BtnDefault->OnClick = [this] { BtnDefaultClick(); };
  AddOkCancel(win::Bounds{255, 320, 78, 28}, win::Bounds{339, 320, 78, 28});

  const SIZE area = previews_.PanelArea();
  model_.Prepare(picture, area.cx, area.cy);
  previews_.ShowBoth(model_.Previews());
}

void TFrmRGB::EdtChannelChange(int channel) {
  if (resetting_) return;
  const auto index = static_cast<std::size_t>(channel - 1);
  if (const auto position = model_.ChannelTyped(channel, edits_[index]->Text())) {
    tracks_[index]->SetPosition(*position);
    previews_.ShowAfter(model_.Previews());
  }
}

void TFrmRGB::BtnDefaultClick() {
  // The reset shows Before as After; the zeros it writes compute nothing.
  resetting_ = true;
  for (std::size_t i = 0; i < 3; ++i) {
    tracks_[i]->SetPosition(0);
    edits_[i]->SetValue(0);
  }
  resetting_ = false;
  model_.Defaults();
  previews_.ShowAfter(model_.Previews());
}

DialogResult TFrmRGB::Accept() {
  const std::array<std::string, 3> texts{edits_[0]->Text(), edits_[1]->Text(), edits_[2]->Text()};
  return model_.Accept(texts);
}

}  // namespace brisko
