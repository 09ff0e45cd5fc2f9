#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/Artwork.h"
#include "capture/CaptureHost.h"
#include "capture/CaptureProfile.h"
#include "core/Hotkey.h"
#include "editor/EditorHost.h"
#include "widgets/ColourPicker.h"
#include "widgets/Control.h"
#include "widgets/Form.h"
#include "widgets/IconListBox.h"
#include "widgets/ImageButton.h"
#include "widgets/Menu.h"
#include "widgets/Panel.h"
#include "widgets/TrayIcon.h"

namespace brisko {

class TFrmSelectCapture;
class TFrmEditPic;
class TFrmPickColor;
namespace web {
class TFrmWebInput;
}

// The main window: the capture profiles and settings, the menus, the
// notification-area icon and the global hotkey. It keeps the capture
// profile whose values the capture windows read, and is where they and the
// editor come back to.
class TFrmMain : public win::Form, public CaptureHost, public EditorHost {
 public:
  TFrmMain();
  ~TFrmMain() override;

  CaptureProfile& Profile() { return profile_; }

  // The long-lived windows made after this one, in the program's start order.
  void ConnectWindows(TFrmSelectCapture* overlay, TFrmEditPic* editor, TFrmPickColor* picker);

  // A second start of the program: bring the running one forward.
  void HandleInstanceMessage();

  // The Capture command of the button, the capture menu and the hotkey.
  void CaptureCommand();
  void ExitCommand();
  // Brings the main window back after a capture or a dialog, unless it
  // was sent to the notification area.
  void ReturnAfterCapture() override;

  // What the capture windows and the editor ask of the main window.
  HWND MainWindow() const override { return Handle(); }
  HWND DialogOwner() const override;
  void ShowInEditor(const std::string& baseFile) override;
  void EditorClosed() override { ReturnAfterCapture(); }
  HWND MainWindowHandle() const override { return Handle(); }

 private:
  // Layout and artwork.
  void BuildBanner();
  void BuildProfiles();
  void BuildOptionPages();
  std::unique_ptr<win::Panel> MakeOptionPage();
  void EnsureOptionPage(int kind);
  std::unique_ptr<win::Panel>& OptionPageFor(int kind);
  std::unique_ptr<win::OptionButton> MakeOption(win::Panel& page, int index, int count, const char* caption,
                                                const wchar_t* icon, const char* hint, win::OptionButton* leader);
  void BuildCaptureGroup();
  void BuildOtherSettings();
  void BuildMenus();
  void AddTrayIcon();
  void PaintBanner(HDC dc);
  void PaintFrame(HDC dc);

  // Handlers.
  void FormShow();
  void BannerMouseDown();
  void ListProfilesChange();
  void SelectProfile(int kind);
  void ShowOptionsPage(int kind);
  void SetRegionShape(int shape);
  void SetObjectMode(int mode);
  void UpdateMenuTimeEdit();
  void CheckSoundClick();
  void CheckCursorClick();
  void EdtDelayTimeChange();
  void EdtMenuTimeChange();
  void ColorBackgroundChange();
  void ComboOutputChange();
  void SetOutputFromMenu(int target);
  void ShowOutputChecks();
  void BtnMinimizeClick();
  void PopupAtLowerLeft(win::Menu& menu, const win::Control& button);
  void ShowProgram();
  bool RaiseOpenWindow();
  void OpenHelp();
  void OpenLink(const std::string& target);
  void ShowAbout();
  void ShowHotkeyDialog();
  void ShowSoundDialog();
  void ShowSaveFileSettings();
  void OpenFileCommand();
  void PasteFromClipboardCommand();
  void OpenWebCaptureWizard(int webMode);
  void HideMainWindow();

  // The hotkey.
  void ReadHotkey();
  void RegisterCaptureHotkey();
  void UnregisterCaptureHotkey();

  // Every way out: temporary bitmaps removed, hotkey given back.
  void CleanUpOnEnd();

  CaptureProfile profile_;
  Artwork artwork_;
  Hotkey hotkey_;
  ATOM hotkeyAtom_ = 0;
  bool cleanedUp_ = false;
  // Set while FormShow puts the settings into the controls.
  bool fillingFromSettings_ = false;

  TFrmSelectCapture* overlay_ = nullptr;
  TFrmEditPic* editor_ = nullptr;
  TFrmPickColor* picker_ = nullptr;
  // The web capture wizard while it is open.
  web::TFrmWebInput* webWizard_ = nullptr;

  // Controls, in creation (tab) order.
  std::unique_ptr<win::Panel> PnlBanner;
  std::unique_ptr<win::ImageButton> BtnCaptureMenu;
  std::unique_ptr<win::ImageButton> BtnSettingsMenu;
  std::unique_ptr<win::ImageButton> BtnOpenMenu;
  std::unique_ptr<win::ImageButton> BtnHelpMenu;
  std::unique_ptr<win::ImageButton> BtnMinimize;
  std::unique_ptr<win::ImageButton> BtnClose;
  std::unique_ptr<win::Label> LblSelectProfile;
  std::unique_ptr<win::GroupBox> GrpProfiles;
  std::unique_ptr<win::IconListBox> ListProfiles;
  std::unique_ptr<win::ImageButton> BtnLogo;
  std::unique_ptr<win::GroupBox> GrpOptions;
  std::unique_ptr<win::Panel> PnlRegion;
  std::unique_ptr<win::OptionButton> BtnRectangle;
  std::unique_ptr<win::OptionButton> BtnElliptic;
  std::unique_ptr<win::OptionButton> BtnFreeHand;
  std::unique_ptr<win::Panel> PnlObject;
  std::unique_ptr<win::OptionButton> BtnWindows;
  std::unique_ptr<win::OptionButton> BtnAutoScroll;
  std::unique_ptr<win::OptionButton> BtnMenuTime;
  std::unique_ptr<win::Panel> PnlWeb;
  std::unique_ptr<win::OptionButton> BtnImages;
  std::unique_ptr<win::OptionButton> BtnFlash;
  std::unique_ptr<win::Panel> PnlNone;
  std::unique_ptr<win::GroupBox> GrpCapture;
  std::unique_ptr<win::Button> BtnCapture;
  std::unique_ptr<win::GroupBox> GrpOther;
  std::unique_ptr<win::CheckBox> CheckSound;
  std::unique_ptr<win::CheckBox> CheckCursor;
  std::unique_ptr<win::Label> LblDelay;
  std::unique_ptr<win::SpinEdit> EdtDelayTime;
  std::unique_ptr<win::SpinEdit> EdtMenuTime;
  std::unique_ptr<win::Label> LblMilliseconds;
  std::unique_ptr<win::Label> LblBackground;
  std::unique_ptr<win::ColourPicker> ColorBackground;
  std::unique_ptr<win::Label> LblHotKey;
  std::unique_ptr<win::Edit> EdtHotKey;
  std::unique_ptr<win::Button> BtnHotKey;
  std::unique_ptr<win::Label> LblOutput;
  std::unique_ptr<win::ComboBox> ComboOutput;

  // Menus.
  win::Menu captureMenu_;
  win::Menu settingsMenu_;
  win::Menu openMenu_;
  win::Menu helpMenu_;
  win::Menu trayMenu_;
  std::array<win::MenuItem*, 3> outputItems_{};
  win::MenuItem* pasteItem_ = nullptr;
  std::unique_ptr<win::TrayIcon> trayIcon_;
  std::unique_ptr<win::ScopedFont> titleFont_;
  std::unique_ptr<win::ScopedFont> taglineFont_;
};

}  // namespace brisko
