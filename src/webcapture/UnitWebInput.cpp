#include "webcapture/UnitWebInput.h"

#include <filesystem>
#include <thread>

#include "core/Files.h"
#include "core/Helpers.h"
#include "webcapture/HttpClient.h"
#include "webcapture/ThreadUnit.h"
#include "webcapture/WizardRules.h"
#include "widgets/FolderDialog.h"
#include "widgets/Share.h"
#include "widgets/Text.h"

namespace brisko::web {

// The page fetch runs on a thread of its own, so that the wizard repaints,
// its thin bar moves and Cancel works while a slow page loads. The thread
// reports by posted messages only; the body waits here until the wizard
// takes it, and the wizard may be gone by then, which costs nothing.
struct PageFetch {
  std::shared_ptr<HttpClient> client;
  std::string body;
  bool succeeded = false;
};

namespace {

constexpr UINT kMsgPageBegin = WM_APP + 1;
constexpr UINT kMsgPageProgress = WM_APP + 2;
constexpr UINT kMsgPageEnd = WM_APP + 3;
constexpr UINT kMsgPageFetched = WM_APP + 4;

constexpr Colour kRed = MakeColour(255, 0, 0);

win::FormArgs WebInputArgs() {
  win::FormArgs args;
  args.className = L"TFrmWebInput";
  args.caption = L"Web Capture";
  // Fixed size with only a close box; on top of other windows and with a
  // task-bar button of its own, as it has no owner.
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_TOPMOST | WS_EX_APPWINDOW;
  args.width = 452;
  args.height = 214;
  args.owner = nullptr;
  return args;
}

std::filesystem::path HistoryPath() { return PathFromUtf8(TempFolder() + kHistoryFile); }

LPARAM AsParam(std::int64_t value) { return static_cast<LPARAM>(value); }

}  // namespace

TFrmWebInput::TFrmWebInput(int webMode) : win::Form(WebInputArgs()), webMode_(webMode) {
  CreatePageOne();
  CreatePageTwo();
  SetDefaultButton(BtnNext.get());
  SetCancelButton(BtnCancel.get());
  OnShow = [this] { FormShow(); };
  OnClose = [this] { FormClose(); };

  OnMessage(kMsgPageBegin, [this](WPARAM, LPARAM size) -> LRESULT {
    PageProgress->SetMaximum(size);
    return 0;
  });
  OnMessage(kMsgPageProgress, [this](WPARAM, LPARAM count) -> LRESULT {
    PageProgress->SetPosition(count);
    return 0;
  });
  OnMessage(kMsgPageEnd, [this](WPARAM, LPARAM) -> LRESULT {
    PageProgress->SetPosition(0);
    return 0;
  });
  OnMessage(kMsgPageFetched, [this](WPARAM, LPARAM) -> LRESULT {
    PageFetched();
    return 0;
  });
  OnMessage(kMsgFileBegin, [this](WPARAM, LPARAM size) -> LRESULT {
    if (!closing_) Gauge1->SetMaximum(size);
    return 0;
  });
  OnMessage(kMsgFileProgress, [this](WPARAM, LPARAM count) -> LRESULT {
    if (!closing_) Gauge1->SetPosition(count);
    return 0;
  });
  OnMessage(kMsgFileFailed, [this](WPARAM, LPARAM errors) -> LRESULT {
    if (!closing_) LblError->SetText(std::to_string(errors));
    return 0;
  });
  OnMessage(kMsgFileDone, [this](WPARAM, LPARAM finished) -> LRESULT {
    if (!closing_) FileDone(finished);
    return 0;
  });
}

TFrmWebInput::~TFrmWebInput() {
  // A page still loading is of no use to anyone now.
  if (fetch_) fetch_->client->Abort();
}

void TFrmWebInput::CreatePageOne() {
  PageOne = std::make_unique<win::Panel>(*this, win::Bounds{0, 0, 452, 214});
  win::Panel& page = *PageOne;
  LblErrorInfo = std::make_unique<win::Label>(page, "", win::Bounds{16, 10, 420, 18});
  LblErrorInfo->SetTextColour(kRed);
  LblAddress = std::make_unique<win::Label>(page, std::string("Web page address(e.g. ") + kExampleHost + "):",
                                            win::Bounds{16, 32, 420, 18});
  cbURL = std::make_unique<win::ComboBox>(page, win::Bounds{16, 52, 420, 22}, std::vector<std::string>{}, 0,
                                          win::ComboBox::Kind::Editable);
  LblFolder = std::make_unique<win::Label>(page, "Output Folder:", win::Bounds{16, 86, 420, 18});
  EdtFolder = std::make_unique<win::Edit>(page, "", win::Bounds{16, 106, 388, 22}, ES_AUTOHSCROLL | WS_TABSTOP);
  BtnFolder = std::make_unique<win::Button>(page, "...", win::Bounds{410, 105, 26, 24}, BS_PUSHBUTTON | WS_TABSTOP);
  BtnFolder->OnClick = [this] { BtnFolderClick(); };
  PageProgress = std::make_unique<win::ProgressBar>(page, win::Bounds{16, 142, 420, 6});
  PageProgress->SetVisible(false);
  BtnNext = std::make_unique<win::Button>(page, "&Next >", win::Bounds{264, 170, 84, 26},
                                          BS_DEFPUSHBUTTON | WS_TABSTOP);
  BtnNext->OnClick = [this] { BtnNextClick(); };
  BtnCancel = std::make_unique<win::Button>(page, "&Cancel", win::Bounds{352, 170, 84, 26}, BS_PUSHBUTTON | WS_TABSTOP);
  BtnCancel->OnClick = [this] { Close(); };
}

void TFrmWebInput::CreatePageTwo() {
  PageTwo = std::make_unique<win::Panel>(*this, win::Bounds{0, 0, 452, 214});
  win::Panel& page = *PageTwo;
  LblDownloading = std::make_unique<win::Label>(page, "Downloading:", win::Bounds{16, 14, 90, 18});
  PnlWeb = std::make_unique<win::Label>(page, "", win::Bounds{110, 12, 326, 20},
                                        SS_LEFT | SS_SUNKEN | SS_PATHELLIPSIS | SS_CENTERIMAGE);
  LblProgress = std::make_unique<win::Label>(page, "Progress:", win::Bounds{16, 48, 90, 18});
  Gauge1 = std::make_unique<win::ProgressBar>(page, win::Bounds{110, 46, 326, 18});
  LblCountCaption = std::make_unique<win::Label>(page, "Count:", win::Bounds{16, 80, 90, 18});
  Gauge2 = std::make_unique<win::ProgressBar>(page, win::Bounds{110, 78, 326, 18});
  LblCount = std::make_unique<win::Label>(page, "", win::Bounds{110, 104, 160, 18});
  LblErrorCaption = std::make_unique<win::Label>(page, "Error Count:", win::Bounds{16, 130, 90, 18});
  LblError = std::make_unique<win::Label>(page, "0", win::Bounds{110, 130, 160, 18});
  LblError->SetTextColour(kRed);
  BtnStop = std::make_unique<win::Button>(page, "Cancel", win::Bounds{352, 170, 84, 26}, BS_PUSHBUTTON | WS_TABSTOP);
  BtnStop->OnClick = [this] { BtnStopClick(); };
  PageTwo->SetVisible(false);
}

void TFrmWebInput::ShowPage(int page) {
  PageOne->SetVisible(page == 1);
  PageTwo->SetVisible(page == 2);
  SetDefaultButton(page == 1 ? BtnNext.get() : nullptr);
  SetCancelButton(page == 1 ? BtnCancel.get() : BtnStop.get());
}

void TFrmWebInput::FormShow() {
  if (opened_) return;
  opened_ = true;
  std::error_code missing;
  if (std::filesystem::exists(HistoryPath(), missing)) {
    try {
      const std::vector<std::uint8_t> bytes = ReadFileBytes(HistoryPath());
      history_ = HistoryFromText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const FileError&) {
      // An unreadable history only costs the drop-down list.
    }
    cbURL->SetItems(history_);
  }
  const std::string folder = TrimmedText(ReadSetting("WebPath", "Folder"));
  EdtFolder->SetText(folder.empty() ? std::string(kDefaultOutputFolder) : folder);
  ShowPage(1);
  cbURL->SetFocus();
}

void TFrmWebInput::BtnFolderClick() {
  if (const auto folder = win::ChooseFolder(Handle(), EdtFolder->Text())) EdtFolder->SetText(*folder);
}

void TFrmWebInput::RememberAddress(const std::string& typed) {
  if (HistoryHolds(history_, typed)) return;
  history_.push_back(typed);
  cbURL->SetItems(history_);
  cbURL->SetText(typed);
  try {
    const std::string text = HistoryText(history_);
    WriteFileAtomically(HistoryPath(), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  } catch (const FileError&) {
    // The list still offers the address for as long as the wizard is open.
  }
}

void TFrmWebInput::BtnNextClick() {
  const std::string typed = cbURL->Text();
  if (typed.empty() || fetch_) return;
  BtnNext->SetEnabled(false);
  baseAddress_ = MakeBaseAddress(typed);
  RememberAddress(typed);

  if (TrimmedText(EdtFolder->Text()).empty()) EdtFolder->SetText(std::string(kDefaultOutputFolder));
  const std::string output = OutputFolderFrom(EdtFolder->Text());
  WriteSetting("WebPath", "Folder", output);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  downloadFolder_ = DownloadFolderFor(output, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  try {
    EnsureFolder(downloadFolder_);
  } catch (const FileError&) {
    // Shown when the link list cannot be written into it.
  }

  FoundLinks_.Clear();
  PageProgress->SetVisible(true);
  StartPageFetch(typed);
}

void TFrmWebInput::StartPageFetch(const std::string& typed) {
  const HWND window = Handle();
  HttpEvents events;
  events.workBegin = [window](std::int64_t size) { PostMessageW(window, kMsgPageBegin, 0, AsParam(size)); };
  events.work = [window](std::int64_t count) { PostMessageW(window, kMsgPageProgress, 0, AsParam(count)); };
  events.workEnd = [window] { PostMessageW(window, kMsgPageEnd, 0, 0); };
  auto fetch = std::make_shared<PageFetch>();
  fetch->client = std::make_shared<HttpClient>(std::move(events));
  fetch_ = fetch;
  std::thread([fetch, window, address = PageAddress(typed)] {
    try {
      fetch->body = fetch->client->GetText(address, kMaxPageText);
      fetch->succeeded = true;
    } catch (...) {
      // Any failure of the fetch reads the same to the user.
    }
    PostMessageW(window, kMsgPageFetched, 0, 0);
  }).detach();
}

void TFrmWebInput::PageFetched() {
  if (!fetch_ || closing_) return;
  const std::shared_ptr<PageFetch> fetch = std::move(fetch_);
  if (fetch->succeeded) {
    LblErrorInfo->SetText("");
    const std::string pageText = MakePageText(fetch->body);
    ScanLinks(pageText, webMode_, baseAddress_, FoundLinks_);
  } else {
    LblErrorInfo->SetText(kAddressError);
  }
  PnlWeb->SetText(baseAddress_);
  Gauge2->SetMaximum(static_cast<std::int64_t>(FoundLinks_.Size()));
  if (FoundLinks_.Empty()) {
    EnableNext();
    return;
  }
  StartDownloads();
}

void TFrmWebInput::StartDownloads() {
  try {
    const std::string list = LinkListText(FoundLinks_.Links());
    WriteFileAtomically(PathFromUtf8(downloadFolder_ + kLinkListFile),
                        std::span(reinterpret_cast<const std::uint8_t*>(list.data()), list.size()));
  } catch (const std::exception&) {
    // Nothing starts; the user may pick another folder and try again.
    EnableNext();
    std::error_code unknown;
    ShowMessageBox(static_cast<int>(MessageKind::Error),
                   std::filesystem::is_directory(PathFromUtf8(downloadFolder_), unknown)
                       ? "The list of links could not be written to " + downloadFolder_ + kLinkListFile + "."
                       : "The folder " + downloadFolder_ +
                             " could not be created.\r\nPlease choose an output folder that exists.");
    return;
  }
  ShowPage(2);
  LblCount->SetText("0/" + std::to_string(FoundLinks_.Size()));
  LblError->SetText("0");
  worker_ = TMyThread::Start(FoundLinks_.Links(), downloadFolder_, Handle());
}

void TFrmWebInput::FileDone(LPARAM finished) {
  const auto total = static_cast<std::int64_t>(FoundLinks_.Size());
  Gauge2->SetMaximum(total);
  Gauge2->SetPosition(finished);
  Gauge1->SetPosition(0);
  LblCount->SetText(std::to_string(Gauge2->Position()) + "/" + std::to_string(total));
  if (Gauge2->Position() == Gauge2->Maximum()) {
    OpenWithShell(Handle(), downloadFolder_);
    Close();
  }
}

void TFrmWebInput::BtnStopClick() {
  if (const std::shared_ptr<TMyThread> worker = worker_.lock()) worker->Cancel();
  Close();
}

void TFrmWebInput::FormClose() {
  closing_ = true;
  if (fetch_) fetch_->client->Abort();
  FoundLinks_.Clear();
}

}  // namespace brisko::web
