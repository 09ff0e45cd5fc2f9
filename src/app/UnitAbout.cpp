#include "app/UnitAbout.h"

#include "widgets/Share.h"

namespace brisko {

namespace {

win::FormArgs AboutArgs(HWND owner) {
  win::FormArgs args;
  args.className = L"TFrmAbout";
  args.caption = L"About";
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  args.width = 340;
  args.height = 170;
  args.owner = owner;
  args.background = kWhite;
  return args;
}

std::string WithoutMailto(const std::string& address) {
  return address.starts_with("mailto:") ? address.substr(7) : address;
}

}  // namespace

TFrmAbout::TFrmAbout(HWND owner, std::string homePage, std::string supportMail) : win::Form(AboutArgs(owner)) {
  PnlIcon = std::make_unique<win::Panel>(*this, win::Bounds{18, 18, 48, 48});
  PnlIcon->OnPaint = [this](HDC dc, const RECT& r) {
    FillRect(dc, &r, BackgroundBrush());
    DrawIconEx(dc, 0, 0, artwork_.Icon(L"MAINICON", 48, Dpi()), Scale(48), Scale(48), 0, nullptr, DI_NORMAL);
  };
  LblProduct = std::make_unique<win::Label>(*this, "Brisko Capture for Windows", win::Bounds{84, 20, 240, 24});
  LOGFONTW lf{};
  GetObjectW(Font(), sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  lf.lfHeight = lf.lfHeight * 4 / 3;
  productFont_ = std::make_unique<win::ScopedFont>(CreateFontIndirectW(&lf));
  LblProduct->SetFont(productFont_->Get());
  LblVersion = std::make_unique<win::Label>(*this, "Version 1.0", win::Bounds{84, 48, 240, 18});
  LinkHome = std::make_unique<win::LinkLabel>(*this, homePage, win::Bounds{84, 76, 240, 18});
  LinkHome->OnClick = [this, homePage] { OpenWithShell(Handle(), homePage); };
  LinkMail = std::make_unique<win::LinkLabel>(*this, WithoutMailto(supportMail), win::Bounds{84, 98, 240, 18});
  LinkMail->OnClick = [this, supportMail] { OpenWithShell(Handle(), supportMail); };
  BtnOk = std::make_unique<win::Button>(*this, "&Ok", win::Bounds{250, 132, 80, 26}, BS_DEFPUSHBUTTON);
  BtnOk->OnClick = [this] { Close(); };
  SetDefaultButton(BtnOk.get());
  SetCancelButton(BtnOk.get());
}

}  // namespace brisko
