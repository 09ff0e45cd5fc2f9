#include "app/UnitSound.h"

#include "app/AppSettings.h"
#include "widgets/Share.h"

namespace brisko {

namespace {

win::FormArgs SoundArgs(HWND owner) {
  win::FormArgs args;
  args.className = L"TFrmSound";
  args.caption = L"Set the Sound";
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  args.width = 300;
  args.height = 300;
  args.owner = owner;
  return args;
}

}  // namespace

TFrmSound::TFrmSound(HWND owner, CaptureProfile& profile) : win::Form(SoundArgs(owner)), profile_(profile) {
  GrpSounds = std::make_unique<win::GroupBox>(*this, "Please select a sound:", win::Bounds{10, 8, 280, 244});
  ListSounds = std::make_unique<win::IconListBox>(*this, win::Bounds{20, 28, 260, 214}, 22, 16);
  std::vector<std::string> names;
  std::vector<HICON> icons;
  for (int i = 1; i <= kSoundCount; ++i) {
    names.push_back("Sound" + std::to_string(i));
    icons.push_back(artwork_.Icon(L"SOUNDITEM", 16, Dpi()));
  }
  ListSounds->SetEntries(names, icons);
  ListSounds->SetItemIndex(profile_.SoundFile - 1);
  ListSounds->OnDoubleClick = [this] { PlaySelected(); };

  BtnOk = std::make_unique<win::Button>(*this, "&Ok", win::Bounds{38, 264, 80, 26}, BS_DEFPUSHBUTTON);
  BtnCancel = std::make_unique<win::Button>(*this, "&Cancel", win::Bounds{124, 264, 80, 26});
  BtnPreview = std::make_unique<win::Button>(*this, "&Preview", win::Bounds{210, 264, 80, 26});
  BtnOk->OnClick = [this] { BtnOkClick(); };
  BtnCancel->OnClick = [this] { Close(); };
  BtnPreview->OnClick = [this] { PlaySelected(); };
  SetDefaultButton(BtnOk.get());
  SetCancelButton(BtnCancel.get());
}

void TFrmSound::PlaySelected() {
  const int index = ListSounds->ItemIndex();
  if (index >= 0) PlayCaptureSound(index + 1);
}

void TFrmSound::BtnOkClick() {
  const int index = ListSounds->ItemIndex();
  if (index >= 0) {
    profile_.SoundFile = index + 1;
    WriteSetting("App", "SoundFile", std::to_string(profile_.SoundFile));
  }
  Close();
}

}  // namespace brisko
