#pragma once

// "Web Capture": the wizard that takes a web page's address and an output
// folder, finds the page's picture or Flash links and downloads them into a
// new time-stamped folder while it shows the progress.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "webcapture/LinkScan.h"
#include "widgets/Control.h"
#include "widgets/Form.h"
#include "widgets/Panel.h"
#include "widgets/TrackBar.h"

namespace brisko::web {

class TMyThread;
struct PageFetch;

// The host named in the address label's example.
inline constexpr char kExampleHost[] = "brisko-capture.example";
inline constexpr char kAddressError[] = "Please check your web page address!";
// The address history beside the program's other working files.
inline constexpr char kHistoryFile[] = "vardelTmp.dat";
inline constexpr char kLinkListFile[] = "http.txt";

class TFrmWebInput : public win::Form {
 public:
  // `webMode` is kWebModeImages or kWebModeFlash.
  explicit TFrmWebInput(int webMode);
  ~TFrmWebInput() override;

  int WebMode() const { return webMode_; }

 private:
  void CreatePageOne();
  void CreatePageTwo();
  void FormShow();
  void ShowPage(int page);
  void BtnFolderClick();
  void BtnNextClick();
  void StartPageFetch(const std::string& typed);
  void PageFetched();
  void StartDownloads();
  void FileDone(LPARAM finished);
  void BtnStopClick();
  void FormClose();
  void RememberAddress(const std::string& typed);
  void EnableNext() { BtnNext->SetEnabled(true); }

  const int webMode_;
  std::string baseAddress_;
  std::string downloadFolder_;
  FoundLinks FoundLinks_;
  std::vector<std::string> history_;
  std::shared_ptr<PageFetch> fetch_;
  // The last worker started; Cancel reaches it only while it runs.
  std::weak_ptr<TMyThread> worker_;
  bool opened_ = false;
  bool closing_ = false;

  std::unique_ptr<win::Panel> PageOne;
  std::unique_ptr<win::Label> LblErrorInfo;
  std::unique_ptr<win::Label> LblAddress;
  std::unique_ptr<win::ComboBox> cbURL;
  std::unique_ptr<win::Label> LblFolder;
  std::unique_ptr<win::Edit> EdtFolder;
  std::unique_ptr<win::Button> BtnFolder;
  std::unique_ptr<win::ProgressBar> PageProgress;
  std::unique_ptr<win::Button> BtnNext;
  std::unique_ptr<win::Button> BtnCancel;

  std::unique_ptr<win::Panel> PageTwo;
  std::unique_ptr<win::Label> LblDownloading;
  std::unique_ptr<win::Label> PnlWeb;
  std::unique_ptr<win::Label> LblProgress;
  std::unique_ptr<win::ProgressBar> Gauge1;
  std::unique_ptr<win::Label> LblCountCaption;
  std::unique_ptr<win::ProgressBar> Gauge2;
  std::unique_ptr<win::Label> LblCount;
  std::unique_ptr<win::Label> LblErrorCaption;
  std::unique_ptr<win::Label> LblError;
  std::unique_ptr<win::Button> BtnStop;
};

}  // namespace brisko::web
