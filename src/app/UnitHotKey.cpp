#include "app/UnitHotKey.h"

#include "widgets/Share.h"

namespace brisko {

namespace {

win::FormArgs HotkeyArgs(HWND owner) {
  win::FormArgs args;
  args.className = L"TFrmHotKey";
  args.caption = L"Hotkey Setting";
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  args.width = 372;
  args.height = 124;
  args.owner = owner;
  return args;
}

std::vector<std::string> KeyNames() {
  std::vector<std::string> names;
  for (const HotkeyKey& key : HotkeyKeyTable()) names.emplace_back(key.name);
  return names;
}

}  // namespace

TFrmHotKey::TFrmHotKey(HWND owner, const Hotkey& current) : win::Form(HotkeyArgs(owner)) {
  GrpHotkey = std::make_unique<win::GroupBox>(*this, "  Hotkey  ", win::Bounds{10, 8, 352, 64});
  CheckCtrl = std::make_unique<win::CheckBox>(*this, "CTRL", win::Bounds{22, 34, 54, 20});
  LblPlus1 = std::make_unique<win::Label>(*this, "+", win::Bounds{78, 36, 12, 16});
  CheckShift = std::make_unique<win::CheckBox>(*this, "SHIFT", win::Bounds{92, 34, 58, 20});
  LblPlus2 = std::make_unique<win::Label>(*this, "+", win::Bounds{152, 36, 12, 16});
  CheckAlt = std::make_unique<win::CheckBox>(*this, "ALT", win::Bounds{166, 34, 46, 20});
  LblPlus3 = std::make_unique<win::Label>(*this, "+", win::Bounds{214, 36, 12, 16});
  ComboKey = std::make_unique<win::ComboBox>(*this, win::Bounds{230, 32, 120, 22}, KeyNames());
  BtnOk = std::make_unique<win::Button>(*this, "&Ok", win::Bounds{196, 86, 80, 26}, BS_DEFPUSHBUTTON);
  BtnCancel = std::make_unique<win::Button>(*this, "&Cancel", win::Bounds{282, 86, 80, 26});

  CheckCtrl->SetChecked(current.ctrl);
  CheckShift->SetChecked(current.shift);
  CheckAlt->SetChecked(current.alt);
  ComboKey->SetItemIndex(current.keyIndex - 1);

  BtnOk->OnClick = [this] { BtnOkClick(); };
  BtnCancel->OnClick = [this] { Close(); };
  SetDefaultButton(BtnOk.get());
  SetCancelButton(BtnCancel.get());
}

void TFrmHotKey::BtnOkClick() {
  const int index = ComboKey->ItemIndex();
  const std::string key = index >= 0 ? ComboKey->ItemText(index) : std::string();
  WriteSetting("App", "HotKey", BuildHotkeyText(CheckCtrl->Checked(), CheckShift->Checked(), CheckAlt->Checked(), key));
  Close();
}

}  // namespace brisko
