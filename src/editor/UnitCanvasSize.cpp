#include "editor/UnitCanvasSize.h"

namespace brisko {

namespace {

constexpr Colour kOrange = MakeColour(255, 140, 0);
constexpr Colour kDarkBlue = MakeColour(0, 0, 139);

win::ImageButton::Look PlacementLook(bool centre) {
  win::ImageButton::Look look;
  look.face = centre ? kOrange : kDarkBlue;
  look.frame = MakeColour(64, 64, 64);
  look.downFace = MakeColour(255, 255, 255);
  look.downText = kBlack;
  look.cornerRadius = 2;
  return look;
}

}  // namespace

TFrmCanvasSize::TFrmCanvasSize(HWND owner, HWND mainWindow, std::int32_t width, std::int32_t height)
    : AdjustDialog(Frame{L"TFrmCanvasSize", "Change Canvas Size", 347, 195, owner, mainWindow}),
      model_(width, height) {
  GrpNewSize = std::make_unique<win::GroupBox>(*this, "New Size", win::Bounds{8, 4, 208, 80});
  LblNewWidth = std::make_unique<win::Label>(*this, "New width(pixels):", win::Bounds{18, 28, 110, 16});
  EdtWidth = std::make_unique<win::SpinEdit>(*this, win::Bounds{130, 24, 76, 22}, 1, 99999, 1);
  LblNewHeight = std::make_unique<win::Label>(*this, "New height(pixels):", win::Bounds{18, 56, 110, 16});
  EdtHeight = std::make_unique<win::SpinEdit>(*this, win::Bounds{130, 52, 76, 22}, 1, 99999, 1);
  // The edits show the picture's size even where it lies outside their
  // arrows' range: OK judges what they say.
  EdtWidth->SetText(model_.WidthText());
  EdtHeight->SetText(model_.HeightText());

  GrpOriginal = std::make_unique<win::GroupBox>(*this, "Original Size", win::Bounds{8, 90, 208, 66});
  LblCurrentWidth = std::make_unique<win::Label>(*this, "Current width(pixels):", win::Bounds{18, 110, 120, 16});
  LblWidthValue = std::make_unique<win::Label>(*this, model_.WidthText(), win::Bounds{140, 110, 70, 16});
  LblCurrentHeight = std::make_unique<win::Label>(*this, "Current height(pixels):", win::Bounds{18, 132, 120, 16});
  LblHeightValue = std::make_unique<win::Label>(*this, model_.HeightText(), win::Bounds{140, 132, 70, 16});

  GrpPlacement = std::make_unique<win::GroupBox>(*this, "Image placement", win::Bounds{224, 4, 115, 118});
  for (int tag = 1; tag <= 9; ++tag) {
    const int row = (tag - 1) / 3, column = (tag - 1) % 3;
    auto& button = placement_[static_cast<std::size_t>(tag - 1)];
    button = std::make_unique<win::OptionButton>(*this, win::Bounds{236 + 32 * column, 26 + 30 * row, 26, 24}, "",
                                                 nullptr, PlacementLook(tag == 5),
                                                 tag == 1 ? nullptr : placement_[0].get());
    button->OnClick = [this, tag] { model_.SetAnchor(tag); };
  }
  placement_[0]->SetDown();
  AddOkCancel(win::Bounds{224, 162, 54, 26}, win::Bounds{285, 162, 54, 26});
}

}  // namespace brisko
