#include "editor/AdjustDialog.h"

#include "widgets/Share.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

win::FormArgs DialogArgs(const wchar_t* className, const std::string& caption, int width, int height, HWND owner) {
  win::FormArgs args;
  args.className = className;
  args.caption = win::Widen(caption);
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  args.width = width;
  args.height = height;
  args.owner = owner;
  return args;
}

}  // namespace

AdjustDialog::AdjustDialog(const Frame& frame)
    : win::Form(DialogArgs(frame.className, frame.caption, frame.width, frame.height, frame.owner)),
      centreOn_(frame.centreOn) {}

void AdjustDialog::AddOkCancel(win::Bounds ok, win::Bounds cancel) {
  BtnOk = std::make_unique<win::Button>(*this, "&Ok", ok, BS_DEFPUSHBUTTON | WS_TABSTOP);
  BtnCancel = std::make_unique<win::Button>(*this, "&Cancel", cancel, BS_PUSHBUTTON | WS_TABSTOP);
  BtnOk->OnClick = [this] { OkClick(); };
  BtnCancel->OnClick = [this] { Close(); };
  SetDefaultButton(BtnOk.get());
  SetCancelButton(BtnCancel.get());
}

void AdjustDialog::OkClick() {
  DialogResult result = Accept();
  if (result.kind == DialogResult::Kind::StayOpen) {
    if (!result.message.empty()) ShowMessageBox(static_cast<int>(MessageKind::Warning), result.message);
    return;
  }
  result_ = std::move(result);
  Close();
}

DialogResult AdjustDialog::Run() {
  result_ = DialogResult::Nothing();
  if (centreOn_) CentreOn(centreOn_);
  ShowModal();
  return std::move(result_);
}

namespace {

constexpr Colour kPreviewBackground = MakeColour(128, 128, 128);

}  // namespace

BeforeAfter::BeforeAfter(win::Container& dialog)
    : GrpBefore(dialog, "Before ", win::Bounds{8, 4, 200, 169}),
      GrpAfter(dialog, "After", win::Bounds{217, 4, 200, 169}),
      PnlBefore(dialog, win::Bounds{16, 22, 184, 143}, kPreviewBackground, true),
      PnlAfter(dialog, win::Bounds{225, 22, 184, 143}, kPreviewBackground, true) {}

void BeforeAfter::ShowBoth(const PreviewPair& previews) {
  PnlBefore.ShowPicture(previews.Before(), previews.Place());
  PnlAfter.ShowPicture(previews.After(), previews.Place());
}

void BeforeAfter::ShowAfter(const PreviewPair& previews) { PnlAfter.ShowPicture(previews.After(), previews.Place()); }

}  // namespace brisko
