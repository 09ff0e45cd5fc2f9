#include "app/UninMain.h"

#include "app/AppSettings.h"
#include "app/UnitAbout.h"
#include "app/UnitHotKey.h"
#include "app/UnitImgTyle.h"
#include "app/UnitSound.h"
#include "capture/OwnWindows.h"
#include "capture/UnitPickColor.h"
#include "capture/UnitSelectCapture.h"
#include "core/ColourText.h"
#include "core/Files.h"
#include "editor/UnitEditPic.h"
#include "webcapture/UnitWebInput.h"
#include "widgets/Application.h"
#include "widgets/Share.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

constexpr Colour kBodyColour = MakeColour(244, 247, 250);
constexpr Colour kBannerLeft = MakeColour(46, 107, 217);
constexpr Colour kBannerRight = MakeColour(19, 163, 166);
constexpr Colour kTextColour = MakeColour(29, 39, 51);
constexpr Colour kAccent = MakeColour(46, 107, 217);

constexpr UINT kAddTrayIcon = WM_APP + 1;
constexpr UINT kShowSaveFileSettings = WM_APP + 2;

constexpr char kHomePage[] = "https://brisko-capture.example/";
constexpr char kSupportPage[] = "https://brisko-capture.example/support/";
constexpr char kDownloadPage[] = "https://brisko-capture.example/download/";
constexpr char kSupportMail[] = "mailto:support@brisko-capture.example";

const std::vector<std::string> kProfileNames = {
    "Capture a Region",          "Capture a Window or an Object", "Capture the Foreground Window",
    "Capture the Full Screen",   "Web Capture Images/Flash",      "Pick a Screen Color"};
const wchar_t* const kProfileIcons[] = {L"PROFILEREGION",     L"PROFILEWINDOW", L"PROFILEFOREGROUND",
                                        L"PROFILEFULLSCREEN", L"PROFILEWEB",    L"PROFILECOLOR"};
const std::vector<std::string> kOutputNames = {"To Image View", "To Clipboard", "To a File"};

win::FormArgs MainArgs() {
  win::FormArgs args;
  args.className = L"TFrmMain";
  args.caption = L"Brisko Capture";
  args.style = WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU;
  args.exStyle = WS_EX_CONTROLPARENT;
  args.width = 549;
  args.height = 360;
  args.owner = win::Application::Current().Window();
  args.background = kBodyColour;
  return args;
}

win::ImageButton::Look BannerLook() {
  win::ImageButton::Look look;
  look.text = kWhite;
  look.hot = kWhite;
  look.hotAlpha = 44;
  look.pressedAlpha = 80;
  look.iconSize = 24;
  return look;
}

win::ImageButton::Look OptionLook() {
  win::ImageButton::Look look;
  look.text = kTextColour;
  look.hot = kAccent;
  look.hotAlpha = 30;
  look.pressedAlpha = 60;
  look.cornerRadius = 4;
  look.iconSize = 16;
  look.captionBelow = false;
  look.face = kWhite;
  look.frame = MakeColour(196, 207, 219);
  look.downFace = kAccent;
  look.downText = kWhite;
  return look;
}

void DrawLine(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

}  // namespace

TFrmMain::TFrmMain() : win::Form(MainArgs()) {
  SetOwnWindowRole(Handle(), OwnWindowRole::MainWindow);
  BuildBanner();
  BuildProfiles();
  BuildOptionPages();
  BuildCaptureGroup();
  BuildOtherSettings();
  BuildMenus();

  OnPaint = [this](HDC dc, const RECT&) { PaintFrame(dc); };
  OnShow = [this] { FormShow(); };
  OnClose = [] { win::Application::Current().Terminate(); };
  OnMessage(WM_HOTKEY, [this](WPARAM id, LPARAM) -> LRESULT {
    if (hotkeyAtom_ != 0 && id == hotkeyAtom_) CaptureCommand();
    return 0;
  });
  OnMessage(WM_ENDSESSION, [this](WPARAM ending, LPARAM) -> LRESULT {
    if (ending) CleanUpOnEnd();
    return 0;
  });
  OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
    CleanUpOnEnd();
    return 0;
  });

  // The notification-area icon comes once the window is up: talking to the
  // shell is the slowest step of the start and nothing waits for it.
  OnMessage(kAddTrayIcon, [this](WPARAM, LPARAM) -> LRESULT {
    AddTrayIcon();
    return 0;
  });
  PostMessageW(Handle(), kAddTrayIcon, 0, 0);
  OnMessage(kShowSaveFileSettings, [this](WPARAM, LPARAM) -> LRESULT {
    ShowSaveFileSettings();
    return 0;
  });

  // Creation: the Temp folder for the editor's files, the empty capture
  // bitmap, the first profile, the hotkey.
  EnsureFolder(TempFolder() + "Temp");
  // In the screen's own layout, so grabs copy without converting.
  profile_.CapturedBitmap = Bitmap(0, 0, PixelFormat::Bgrx32);
  SelectProfile(kCaptureRegion);
  ReadHotkey();
  RegisterCaptureHotkey();
}

TFrmMain::~TFrmMain() { CleanUpOnEnd(); }

void TFrmMain::AddTrayIcon() {
  if (trayIcon_) return;
  trayIcon_ = std::make_unique<win::TrayIcon>(*this, artwork_.Icon(L"MAINICON", 16, Dpi()), "Brisko Capture");
  trayIcon_->OnLeftPress = [this] { ShowProgram(); };
  trayIcon_->OnRightClick = [this] {
    POINT p;
    GetCursorPos(&p);
    trayMenu_.Popup(*this, p);
  };
}

void TFrmMain::ConnectWindows(TFrmSelectCapture* overlay, TFrmEditPic* editor, TFrmPickColor* picker) {
  overlay_ = overlay;
  editor_ = editor;
  picker_ = picker;
}

// ------------------------------------------------------------------- layout

void TFrmMain::BuildBanner() {
  PnlBanner = std::make_unique<win::Panel>(*this, win::Bounds{1, 1, 547, 72});
  PnlBanner->OnPaint = [this](HDC dc, const RECT&) { PaintBanner(dc); };
  PnlBanner->OnMouseDown = [this](const win::MouseEvent&) { BannerMouseDown(); };

  const auto look = BannerLook();
  auto makeButton = [&](int x, const char* caption, const wchar_t* icon, const char* hint) {
    auto b = std::make_unique<win::ImageButton>(*PnlBanner, win::Bounds{x, 6, 56, 60}, caption,
                                                artwork_.Icon(icon, 24, Dpi()), look);
    if (hint) b->SetHint(hint);
    return b;
  };
  BtnCaptureMenu = makeButton(268, "Capture", L"BTNCAPTURE", "Screen Capture");
  BtnSettingsMenu = makeButton(326, "Settings", L"BTNSETTINGS", "Capture Setting/Acquire");
  BtnOpenMenu = makeButton(384, "Open", L"BTNOPEN", "Open an Image files/Paste an Image File");
  BtnHelpMenu = makeButton(442, "Help", L"BTNHELP", nullptr);
  BtnCaptureMenu->OnClick = [this] { PopupAtLowerLeft(captureMenu_, *BtnCaptureMenu); };
  BtnSettingsMenu->OnClick = [this] {
    ShowOutputChecks();
    PopupAtLowerLeft(settingsMenu_, *BtnSettingsMenu);
  };
  BtnOpenMenu->OnClick = [this] {
    pasteItem_->SetEnabled(IsClipboardFormatAvailable(CF_BITMAP) != FALSE);
    PopupAtLowerLeft(openMenu_, *BtnOpenMenu);
  };
  BtnHelpMenu->OnClick = [this] { PopupAtLowerLeft(helpMenu_, *BtnHelpMenu); };

  auto glyphLook = look;
  glyphLook.cornerRadius = 4;
  BtnMinimize = std::make_unique<win::ImageButton>(*PnlBanner, win::Bounds{500, 4, 22, 20}, "", nullptr, glyphLook);
  BtnMinimize->SetText("Minimize");
  BtnMinimize->SetHint("Minimize to the notification area");
  BtnMinimize->DrawGlyph = [this](HDC dc, const RECT& r, Colour c) {
    win::ScopedPen pen(CreatePen(PS_SOLID, Scale(2), c));
    win::SelectedObject selected(dc, pen.Get());
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2 + Scale(4);
    DrawLine(dc, cx - Scale(5), cy, cx + Scale(5), cy);
  };
  BtnMinimize->OnClick = [this] { BtnMinimizeClick(); };
  BtnClose = std::make_unique<win::ImageButton>(*PnlBanner, win::Bounds{523, 4, 22, 20}, "", nullptr, glyphLook);
  BtnClose->SetText("Close");
  BtnClose->SetHint("Close");
  BtnClose->DrawGlyph = [this](HDC dc, const RECT& r, Colour c) {
    win::ScopedPen pen(CreatePen(PS_SOLID, Scale(2), c));
    win::SelectedObject selected(dc, pen.Get());
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2, d = Scale(5);
    DrawLine(dc, cx - d, cy - d, cx + d + 1, cy + d + 1);
    DrawLine(dc, cx - d, cy + d, cx + d + 1, cy - d - 1);
  };
  BtnClose->OnClick = [this] { ExitCommand(); };
}

void TFrmMain::BuildProfiles() {
  LblSelectProfile = std::make_unique<win::Label>(*this, "Select a Profile then click Capture.",
                                                  win::Bounds{12, 80, 240, 16});
  LblSelectProfile->SetTextColour(kTextColour);
  GrpProfiles = std::make_unique<win::GroupBox>(*this, "Screen Capture/Acquire", win::Bounds{12, 98, 240, 186});
  ListProfiles = std::make_unique<win::IconListBox>(*this, win::Bounds{22, 118, 220, 156}, 25, 24);
  std::vector<HICON> icons;
  for (const wchar_t* name : kProfileIcons) icons.push_back(artwork_.Icon(name, 24, Dpi()));
  ListProfiles->SetEntries(kProfileNames, icons);
  ListProfiles->OnChange = [this] { ListProfilesChange(); };

  win::ImageButton::Look logoLook;
  logoLook.text = kTextColour;
  logoLook.hot = kAccent;
  logoLook.hotAlpha = 24;
  logoLook.pressedAlpha = 48;
  logoLook.iconSize = 40;
  logoLook.captionBelow = false;
  BtnLogo = std::make_unique<win::ImageButton>(*this, win::Bounds{12, 290, 240, 62}, "Brisko Capture Help",
                                               artwork_.Icon(L"MAINICON", 40, Dpi()), logoLook);
  BtnLogo->SetHint("Open the help pages");
  BtnLogo->OnClick = [this] { OpenHelp(); };
}

namespace {
constexpr win::Bounds kOptionPage{272, 98, 255, 40};
}  // namespace

std::unique_ptr<win::OptionButton> TFrmMain::MakeOption(win::Panel& page, int index, int count, const char* caption,
                                                        const wchar_t* icon, const char* hint,
                                                        win::OptionButton* leader) {
  const int width = (kOptionPage.width - 4 * (count - 1)) / count;
  auto b = std::make_unique<win::OptionButton>(page, win::Bounds{index * (width + 4), 4, width, 30}, caption,
                                               artwork_.Icon(icon, 16, Dpi()), OptionLook(), leader);
  b->SetHint(hint);
  return b;
}

void TFrmMain::BuildOptionPages() {
  GrpOptions = std::make_unique<win::GroupBox>(*this, "Select Options", win::Bounds{262, 78, 275, 66});
  // The region page shows at start; the others are made when first shown.
  PnlRegion = std::make_unique<win::Panel>(*this, kOptionPage);
  BtnRectangle = MakeOption(*PnlRegion, 0, 3, "Rectangle", L"OPTRECTANGLE", "Capture a Rectangle Region", nullptr);
  BtnElliptic =
      MakeOption(*PnlRegion, 1, 3, "Elliptic", L"OPTELLIPTIC", "Capture a Elliptic Region", BtnRectangle.get());
  BtnFreeHand =
      MakeOption(*PnlRegion, 2, 3, "FreeHand", L"OPTFREEHAND", "Capture a FreeHand Region", BtnRectangle.get());
  BtnRectangle->SetDown();
  BtnRectangle->OnClick = [this] { SetRegionShape(kShapeRectangle); };
  BtnElliptic->OnClick = [this] { SetRegionShape(kShapeElliptic); };
  BtnFreeHand->OnClick = [this] { SetRegionShape(kShapeFreeHand); };
}

std::unique_ptr<win::Panel> TFrmMain::MakeOptionPage() {
  auto page = std::make_unique<win::Panel>(*this, kOptionPage);
  // In the tab order where it would have been made with the region page.
  SetWindowPos(page->Handle(), PnlRegion->Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return page;
}

std::unique_ptr<win::Panel>& TFrmMain::OptionPageFor(int kind) {
  switch (kind) {
    case kCaptureRegion: return PnlRegion;
    case kCaptureWindowObject: return PnlObject;
    case kCaptureWeb: return PnlWeb;
    default: return PnlNone;
  }
}

void TFrmMain::EnsureOptionPage(int kind) {
  if (OptionPageFor(kind)) return;
  if (kind == kCaptureWindowObject) {
    PnlObject = MakeOptionPage();
    BtnWindows = MakeOption(*PnlObject, 0, 3, "Windows", L"OPTWINDOWS", "Capture a Window or an Object", nullptr);
    BtnAutoScroll = MakeOption(*PnlObject, 1, 3, "Auto Scroll", L"OPTAUTOSCROLL", "Capture a ScrollBox Picture",
                               BtnWindows.get());
    BtnMenuTime = MakeOption(*PnlObject, 2, 3, "Menu Time", L"OPTMENUTIME", "Capture Time-lapse Menu or Object",
                             BtnWindows.get());
    // The page shows the mode the profile has, which is Windows at start.
    (profile_.ObjectMode == kObjectAutoScroll ? BtnAutoScroll
     : profile_.ObjectMode == kObjectMenuTime ? BtnMenuTime
                                              : BtnWindows)->SetDown();
    BtnWindows->OnClick = [this] { SetObjectMode(kObjectWindows); };
    BtnAutoScroll->OnClick = [this] { SetObjectMode(kObjectAutoScroll); };
    BtnMenuTime->OnClick = [this] { SetObjectMode(kObjectMenuTime); };
  } else if (kind == kCaptureWeb) {
    PnlWeb = MakeOptionPage();
    BtnImages = MakeOption(*PnlWeb, 0, 2, "Images", L"OPTIMAGES", "Capture Web Images(gif/jpg/jpeg/png)", nullptr);
    BtnFlash = MakeOption(*PnlWeb, 1, 2, "Flash", L"OPTFLASH", "Capture Web Flash Files(*.swf)", BtnImages.get());
    BtnImages->SetDown();
  } else {
    PnlNone = MakeOptionPage();
  }
}

void TFrmMain::BuildCaptureGroup() {
  GrpCapture = std::make_unique<win::GroupBox>(*this, "Please Click the Capture Button", win::Bounds{262, 148, 275, 52});
  BtnCapture = std::make_unique<win::Button>(*this, "&Capture", win::Bounds{272, 166, 255, 28}, BS_DEFPUSHBUTTON);
  BtnCapture->OnClick = [this] { CaptureCommand(); };
  SetDefaultButton(BtnCapture.get());
}

void TFrmMain::BuildOtherSettings() {
  GrpOther = std::make_unique<win::GroupBox>(*this, "Other Settings", win::Bounds{262, 204, 275, 150});
  CheckSound = std::make_unique<win::CheckBox>(*this, "Play Sound ", win::Bounds{274, 222, 116, 18});
  CheckSound->OnClick = [this] { CheckSoundClick(); };
  CheckCursor = std::make_unique<win::CheckBox>(*this, "Include Cursor", win::Bounds{396, 222, 130, 18});
  CheckCursor->OnClick = [this] { CheckCursorClick(); };

  LblDelay = std::make_unique<win::Label>(*this, "Delay", win::Bounds{274, 249, 32, 16});
  EdtDelayTime = std::make_unique<win::SpinEdit>(*this, win::Bounds{306, 245, 58, 22}, kMinDelayTime,
                                                 kMaxDelayTime, kMinDelayTime);
  EdtDelayTime->OnChange = [this] { EdtDelayTimeChange(); };
  EdtMenuTime = std::make_unique<win::SpinEdit>(*this, win::Bounds{306, 245, 58, 22}, kMinMenuTime, kMaxMenuTime,
                                                kMinMenuTime);
  EdtMenuTime->OnChange = [this] { EdtMenuTimeChange(); };
  EdtMenuTime->SetVisible(false);
  LblMilliseconds = std::make_unique<win::Label>(*this, "milliseconds before capturing", win::Bounds{368, 249, 166, 16});

  LblBackground = std::make_unique<win::Label>(*this, "Background color:", win::Bounds{274, 277, 110, 16});
  ColorBackground = std::make_unique<win::ColourPicker>(*this, win::Bounds{386, 273, 141, 22});
  ColorBackground->OnChange = [this] { ColorBackgroundChange(); };

  LblHotKey = std::make_unique<win::Label>(*this, "HotKey:", win::Bounds{274, 303, 52, 16});
  EdtHotKey = std::make_unique<win::Edit>(*this, "", win::Bounds{330, 299, 165, 22});
  EdtHotKey->SetReadOnly(true);
  BtnHotKey = std::make_unique<win::Button>(*this, "...", win::Bounds{499, 299, 28, 22});
  BtnHotKey->SetHint("Set the hotkey");
  BtnHotKey->OnClick = [this] { ShowHotkeyDialog(); };

  LblOutput = std::make_unique<win::Label>(*this, "Output to:", win::Bounds{274, 329, 66, 16});
  ComboOutput = std::make_unique<win::ComboBox>(*this, win::Bounds{344, 325, 183, 22}, kOutputNames);
  ComboOutput->SetItemIndex(kOutputImageView);
  ComboOutput->OnChange = [this] { ComboOutputChange(); };

  for (win::Label* label : {LblDelay.get(), LblMilliseconds.get(), LblBackground.get(), LblHotKey.get(),
                            LblOutput.get()})
    label->SetTextColour(kTextColour);
}

void TFrmMain::BuildMenus() {
  // Entries that name a profile make it current as the list and its option
  // button would, then capture; the time-lapse edit is left as it was.
  auto viaMenu = [this](int kind, std::function<void()> pressOption) {
    return [this, kind, pressOption] {
      profile_.CaptureKind = kind;
      ListProfiles->SetItemIndex(kind);
      ShowOptionsPage(kind);
      if (pressOption) pressOption();
      CaptureCommand();
    };
  };
  auto shape = [this](win::OptionButton* button, int value) {
    return [this, button, value] {
      button->SetDown();
      profile_.RegionShape = value;
    };
  };
  // The object and web pages exist once their profile's page has shown,
  // which the menu entry does before it presses the button.
  auto mode = [this](std::unique_ptr<win::OptionButton> TFrmMain::*button, int value) {
    return [this, button, value] {
      (this->*button)->SetDown();
      profile_.ObjectMode = value;
    };
  };
  win::Menu& region = captureMenu_.AddSubmenu("Capture a Region");
  region.Add("Rectangle", viaMenu(kCaptureRegion, shape(BtnRectangle.get(), kShapeRectangle)));
  region.Add("Elliptic", viaMenu(kCaptureRegion, shape(BtnElliptic.get(), kShapeElliptic)));
  region.Add("FreeHand", viaMenu(kCaptureRegion, shape(BtnFreeHand.get(), kShapeFreeHand)));
  win::Menu& object = captureMenu_.AddSubmenu("Capture a Window or an Object");
  object.Add("Windows", viaMenu(kCaptureWindowObject, mode(&TFrmMain::BtnWindows, kObjectWindows)));
  object.Add("Auto Scroll", viaMenu(kCaptureWindowObject, mode(&TFrmMain::BtnAutoScroll, kObjectAutoScroll)));
  object.Add("Time-lapse Menu/Object", viaMenu(kCaptureWindowObject, mode(&TFrmMain::BtnMenuTime, kObjectMenuTime)));
  captureMenu_.Add("Capture the Foreground Window", viaMenu(kCaptureForegroundWindow, {}));
  captureMenu_.Add("Capture the full screen", viaMenu(kCaptureFullScreen, {}));
  win::Menu& web = captureMenu_.AddSubmenu("Web Capture Images/Flash");
  web.Add("Download Images...", viaMenu(kCaptureWeb, [this] { BtnImages->SetDown(); }));
  web.Add("Donwload Flash ...", viaMenu(kCaptureWeb, [this] { BtnFlash->SetDown(); }));
  captureMenu_.Add("Pick a Screen Color", viaMenu(kCapturePickColor, {}));
  captureMenu_.AddSeparator();
  captureMenu_.Add("Close program", [this] { ExitCommand(); }, "Ctrl+X");

  settingsMenu_.Add("HotKey Setting", [this] { ShowHotkeyDialog(); });
  settingsMenu_.Add("Play Sound Setting", [this] { ShowSoundDialog(); });
  settingsMenu_.Add("Save file tyle Setting", [this] { ShowSaveFileSettings(); });
  settingsMenu_.AddSeparator();
  for (int target = 0; target < 3; ++target)
    outputItems_[static_cast<std::size_t>(target)] =
        &settingsMenu_.Add(kOutputNames[static_cast<std::size_t>(target)], [this, target] { SetOutputFromMenu(target); });

  openMenu_.Add("Open a File", [this] { OpenFileCommand(); }, "Ctrl+O");
  openMenu_.AddSeparator();
  pasteItem_ = &openMenu_.Add("Paste from clipboard", [this] { PasteFromClipboardCommand(); });

  helpMenu_.Add("&Help", [this] { OpenHelp(); }, "Ctrl+H");
  helpMenu_.AddSeparator();
  helpMenu_.Add("&Home page", [this] { OpenLink(kHomePage); });
  helpMenu_.Add("&Support", [this] { OpenLink(kSupportPage); });
  helpMenu_.Add("&Check form Upgrade", [this] { OpenLink(kDownloadPage); });
  helpMenu_.Add("&Frequently Asked Questions", [this] { OpenLink(kSupportMail); });
  helpMenu_.AddSeparator();
  helpMenu_.Add("&About", [this] { ShowAbout(); }, "Ctrl+A");

  trayMenu_.Add("Show Program", [this] { ShowProgram(); });
  trayMenu_.AddSeparator();
  trayMenu_.Add("Help", [this] { OpenHelp(); });
  trayMenu_.AddSeparator();
  trayMenu_.Add("Home Page", [this] { OpenLink(kHomePage); });
  trayMenu_.Add("About", [this] { ShowAbout(); });
  trayMenu_.AddSeparator();
  trayMenu_.Add("Exit", [this] { ExitCommand(); });

  for (win::Menu* menu : {&captureMenu_, &settingsMenu_, &openMenu_, &helpMenu_}) menu->RegisterShortcuts(*this);
}

void TFrmMain::PaintFrame(HDC dc) {
  RECT r;
  GetClientRect(Handle(), &r);
  FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void TFrmMain::PaintBanner(HDC dc) {
  RECT r;
  GetClientRect(PnlBanner->Handle(), &r);
  TRIVERTEX vertices[2] = {
      {r.left, r.top, static_cast<COLOR16>(RedOf(kBannerLeft) << 8), static_cast<COLOR16>(GreenOf(kBannerLeft) << 8),
       static_cast<COLOR16>(BlueOf(kBannerLeft) << 8), 0},
      {r.right, r.bottom, static_cast<COLOR16>(RedOf(kBannerRight) << 8),
       static_cast<COLOR16>(GreenOf(kBannerRight) << 8), static_cast<COLOR16>(BlueOf(kBannerRight) << 8), 0}};
  GRADIENT_RECT span{0, 1};
  GdiGradientFill(dc, vertices, 2, &span, 1, GRADIENT_FILL_RECT_H);

  const int iconSize = Scale(44);
  DrawIconEx(dc, Scale(14), (r.bottom - iconSize) / 2, artwork_.Icon(L"MAINICON", 44, Dpi()), iconSize, iconSize, 0,
             nullptr, DI_NORMAL);
  if (!titleFont_) {
    LOGFONTW lf{};
    GetObjectW(Font(), sizeof lf, &lf);
    lf.lfHeight = -Scale(22);
    lf.lfWeight = FW_BOLD;
    titleFont_ = std::make_unique<win::ScopedFont>(CreateFontIndirectW(&lf));
    lf.lfHeight = -Scale(12);
    lf.lfWeight = FW_NORMAL;
    taglineFont_ = std::make_unique<win::ScopedFont>(CreateFontIndirectW(&lf));
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kWhite);
  {
    win::SelectedObject font(dc, titleFont_->Get());
    RECT title{Scale(68), Scale(12), Scale(262), Scale(42)};
    DrawTextW(dc, L"Brisko Capture", -1, &title, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  win::SelectedObject font(dc, taglineFont_->Get());
  SetTextColor(dc, MakeColour(220, 236, 250));
  RECT tagline{Scale(69), Scale(42), Scale(262), Scale(60)};
  DrawTextW(dc, L"Capture \u00B7 Edit \u00B7 Save", -1, &tagline, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// ---------------------------------------------------------------- handlers

void TFrmMain::FormShow() {
  // One read of the file for all of them: they come from one state of it.
  const IniDocument settings = ReadAllSettings();
  const MainSettings s = ReadMainSettings([&](std::string_view key) { return settings.Read("App", key); });
  profile_.SoundFlag = s.soundFlag;
  CheckSound->SetChecked(s.soundFlag);
  profile_.SoundFile = s.soundFile;
  profile_.CursorFlag = s.cursorFlag;
  CheckCursor->SetChecked(s.cursorFlag);
  // Into the edits and back, so the edits' ranges apply. Filling them is
  // not the user's change: nothing is written back.
  fillingFromSettings_ = true;
  EdtDelayTime->SetValue(s.delayTime);
  profile_.DelayTime = EdtDelayTime->Value();
  EdtMenuTime->SetValue(s.menuTime);
  profile_.MenuTime = EdtMenuTime->Value();
  fillingFromSettings_ = false;
  profile_.BackgroundColor = s.backgroundColor;
  ColorBackground->Select(ResolveColour(s.backgroundColor));
  profile_.OutputTarget = s.outputTo;
  ComboOutput->SetItemIndex(s.outputTo);
  ShowOutputChecks();
}

void TFrmMain::BannerMouseDown() {
  // Handed to the platform as a press on a caption: the window follows.
  ReleaseCapture();
  SendMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void TFrmMain::ListProfilesChange() {
  const int index = ListProfiles->ItemIndex();
  if (index >= 0) SelectProfile(index);
}

void TFrmMain::SelectProfile(int kind) {
  profile_.CaptureKind = kind;
  if (ListProfiles->ItemIndex() != kind) ListProfiles->SetItemIndex(kind);
  ShowOptionsPage(kind);
  UpdateMenuTimeEdit();
}

void TFrmMain::ShowOptionsPage(int kind) {
  EnsureOptionPage(kind);
  const win::Panel* shown = OptionPageFor(kind).get();
  for (const auto* page : {&PnlRegion, &PnlObject, &PnlWeb, &PnlNone})
    if (*page) (*page)->SetVisible(page->get() == shown);
}

void TFrmMain::SetRegionShape(int shape) { profile_.RegionShape = shape; }

void TFrmMain::SetObjectMode(int mode) {
  profile_.ObjectMode = mode;
  UpdateMenuTimeEdit();
}

void TFrmMain::UpdateMenuTimeEdit() {
  const bool menuTime = profile_.CaptureKind == kCaptureWindowObject && profile_.ObjectMode == kObjectMenuTime;
  EdtMenuTime->SetVisible(menuTime);
  EdtDelayTime->SetVisible(!menuTime);
}

void TFrmMain::CheckSoundClick() {
  profile_.SoundFlag = CheckSound->Checked();
  WriteSetting("App", "SoundFlag", profile_.SoundFlag ? "1" : "0");
}

void TFrmMain::CheckCursorClick() {
  profile_.CursorFlag = CheckCursor->Checked();
  WriteSetting("App", "CursorFlag", profile_.CursorFlag ? "1" : "0");
}

void TFrmMain::EdtDelayTimeChange() {
  const std::string text = EdtDelayTime->Text();
  if (text.empty() || fillingFromSettings_) return;
  profile_.DelayTime = EdtDelayTime->Value();
  WriteSetting("App", "DelayTime", text);
}

void TFrmMain::EdtMenuTimeChange() {
  const std::string text = EdtMenuTime->Text();
  if (text.empty() || fillingFromSettings_) return;
  profile_.MenuTime = EdtMenuTime->Value();
  WriteSetting("App", "MenuTime", text);
}

void TFrmMain::ColorBackgroundChange() {
  profile_.BackgroundColor = ColorBackground->Selected();
  WriteSetting("App", "BackgroundColor", ColourToText(profile_.BackgroundColor));
}

void TFrmMain::ComboOutputChange() {
  const int index = ComboOutput->ItemIndex();
  if (index < 0) return;
  profile_.OutputTarget = index;
  WriteSetting("App", "OutputTo", std::to_string(index));
  ShowOutputChecks();
  // The dialog opens once the list has closed: Windows may tell of the new
  // choice while the drop-down still holds the mouse.
  if (index == kOutputFile) PostMessageW(Handle(), kShowSaveFileSettings, 0, 0);
}

void TFrmMain::SetOutputFromMenu(int target) {
  profile_.OutputTarget = target;
  ComboOutput->SetItemIndex(target);
  WriteSetting("App", "OutputTo", std::to_string(target));
  ShowOutputChecks();
}

void TFrmMain::ShowOutputChecks() {
  for (int i = 0; i < 3; ++i) outputItems_[static_cast<std::size_t>(i)]->SetChecked(i == profile_.OutputTarget);
}

void TFrmMain::PopupAtLowerLeft(win::Menu& menu, const win::Control& button) {
  RECT r;
  GetWindowRect(button.Handle(), &r);
  menu.Popup(*this, POINT{r.left, r.bottom});
}

void TFrmMain::HideMainWindow() {
  // A hide may not take at once; a few more attempts, then go on.
  for (int attempt = 0; attempt < 10 && Visible(); ++attempt) Hide();
}

void TFrmMain::CaptureCommand() {
  profile_.CapturedBitmap.SetFillColour(ResolveColour(profile_.BackgroundColor));
  profile_.CapturedBitmap.Fill(ResolveColour(profile_.BackgroundColor));
  if (!profile_.HiddenToTray) HideMainWindow();
  win::Application& app = win::Application::Current();
  for (int slot = 1; slot <= 5; ++slot) {
    const std::wstring name = L"Cursor" + std::to_wstring(slot);
    app.SetCursorSlot(slot, LoadCursorW(app.Instance(), name.c_str()));
  }
  if (profile_.CaptureKind == kCaptureWeb) {
    // "Images" is down until the web page has shown and "Flash" was pressed.
    OpenWebCaptureWizard(!BtnImages || BtnImages->Down() ? 1 : 2);
    return;
  }
  if (overlay_) overlay_->ArmStartTimer(static_cast<UINT>(profile_.DelayTime));
}

HWND TFrmMain::DialogOwner() const { return win::Application::Current().Window(); }

void TFrmMain::ShowInEditor(const std::string& baseFile) {
  if (editor_) editor_->ShowCapture(baseFile);
}

void TFrmMain::ReturnAfterCapture() {
  if (profile_.HiddenToTray) return;
  Show();
  SetForegroundWindow(Handle());
}

void TFrmMain::BtnMinimizeClick() {
  ShowWindow(Handle(), SW_HIDE);
  profile_.HiddenToTray = true;
}

bool TFrmMain::RaiseOpenWindow() {
  for (win::Form* form : {static_cast<win::Form*>(editor_), static_cast<win::Form*>(webWizard_),
                          static_cast<win::Form*>(picker_)}) {
    if (form && form->Visible()) {
      SetForegroundWindow(form->Handle());
      return true;
    }
  }
  return false;
}

void TFrmMain::ShowProgram() {
  if (RaiseOpenWindow()) return;
  Show();
  SetForegroundWindow(Handle());
  profile_.HiddenToTray = false;
}

void TFrmMain::HandleInstanceMessage() { ShowProgram(); }

void TFrmMain::OpenHelp() { OpenWithShell(Handle(), ProgramFolder() + "help\\index.htm"); }

void TFrmMain::OpenLink(const std::string& target) { OpenWithShell(Handle(), target); }

void TFrmMain::ShowAbout() {
  TFrmAbout about(Handle(), kHomePage, kSupportMail);
  about.ShowModal();
}

void TFrmMain::ShowHotkeyDialog() {
  {
    TFrmHotKey dialog(Handle(), hotkey_);
    dialog.ShowModal();
  }
  // Whichever button closed it, the stored hotkey is read and registered anew.
  ReadHotkey();
  RegisterCaptureHotkey();
}

void TFrmMain::ShowSoundDialog() {
  TFrmSound dialog(Handle(), profile_);
  dialog.ShowModal();
}

void TFrmMain::ShowSaveFileSettings() {
  TFrmImgTyle dialog(Handle());
  dialog.ShowModal();
}

void TFrmMain::OpenFileCommand() {
  if (!profile_.HiddenToTray) HideMainWindow();
  // Cancelled or not opened: nothing else would show the main window until
  // the notification-area icon is used, so it comes straight back.
  if (!editor_ || !editor_->OpenFile()) ReturnAfterCapture();
}

void TFrmMain::PasteFromClipboardCommand() {
  if (!profile_.HiddenToTray) HideMainWindow();
  if (!editor_) {
    ReturnAfterCapture();
    return;
  }
  // Without a bitmap on the clipboard the base file stays as it is and the
  // editor shows the picture delivered before.
  editor_->PasteFromClipboard();
  editor_->ShowBaseFile();
}

void TFrmMain::OpenWebCaptureWizard(int webMode) {
  // One wizard at a time: a second Capture (by the hotkey, say) only hid
  // the main window, and the open wizard brings it back when it closes.
  if (webWizard_) return;
  web::TFrmWebInput wizard(webMode);
  webWizard_ = &wizard;
  wizard.ShowModal();
  webWizard_ = nullptr;
  ReturnAfterCapture();
}

void TFrmMain::ExitCommand() {
  HideMainWindow();
  DeleteFolderTree(TempFolder() + "Temp");
  win::Application::Current().Terminate();
}

// ------------------------------------------------------------------- hotkey

void TFrmMain::ReadHotkey() {
  const std::string text = ReadSetting("App", "HotKey");
  EdtHotKey->SetText(text);
  hotkey_ = ParseHotkeyText(text, hotkey_.keyIndex);
}

void TFrmMain::RegisterCaptureHotkey() {
  UnregisterCaptureHotkey();
  if (hotkey_.keyIndex == 0) return;
  hotkeyAtom_ = GlobalAddAtomW(L"Capture_Hotkey");
  // Refused when another program owns the combination: then there is
  // simply no hotkey, as before.
  RegisterHotKey(Handle(), hotkeyAtom_, HotkeyModifiers(hotkey_), HotkeyVirtualKey(hotkey_.keyIndex));
}

void TFrmMain::UnregisterCaptureHotkey() {
  if (hotkeyAtom_ == 0) return;
  UnregisterHotKey(Handle(), hotkeyAtom_);
  GlobalDeleteAtom(hotkeyAtom_);
  hotkeyAtom_ = 0;
}

void TFrmMain::CleanUpOnEnd() {
  if (cleanedUp_) return;
  cleanedUp_ = true;
  // In the screen's own layout, so grabs copy without converting.
  profile_.CapturedBitmap = Bitmap(0, 0, PixelFormat::Bgrx32);
  UnregisterCaptureHotkey();
  const std::string temp = TempFolder();
  for (const char* name : {"temp.bmp", "tempNew.bmp"}) DeleteFileW(win::Widen(temp + name).c_str());
}

}  // namespace brisko
