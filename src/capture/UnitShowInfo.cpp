#include "capture/UnitShowInfo.h"

#include "capture/OwnWindows.h"
#include "capture/WindowRecords.h"
#include "widgets/Fonts.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

constexpr Colour kPanelColour = MakeColour(235, 124, 15);  // the colour value 1015019
constexpr int kPageLeft = 2, kPageTop = 2, kPageWidth = 153, kPageHeight = 112;

win::FormArgs InfoArgs() {
  win::FormArgs args;
  args.className = L"TFrmShowInfo";
  args.caption = L"ShowInfo";
  args.style = WS_POPUP | WS_CLIPCHILDREN;
  // No owner, so it is nobody's child in the stacking order and can lie
  // over the overlay.
  args.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  args.width = TFrmShowInfo::kClientWidth;
  args.height = TFrmShowInfo::kClientHeight;
  args.centred = false;
  args.dialogKeys = false;
  return args;
}

const char* const kScrollTexts[] = {"- Move the mouse pointer over a window Scroll you wish to capture.",
                                    "- Left-Click to start the scrolling capture.", "- Right-Click to cancle."};
const char* const kWindowsTexts[] = {"- Move the mouse pointer over a window you wish to capture.",
                                     "- Left-Click to Capture", "- Right-Click to Cancle."};

}  // namespace

TFrmShowInfo::TFrmShowInfo() : win::Form(InfoArgs()) {
  SetOwnWindowRole(Handle(), OwnWindowRole::CaptureWindow);
  ExcludeFromScreenCaptures(Handle());
  textFont_.Reset(win::CreateSmallDialogFont(8, Dpi()));
  captionFont_.Reset(win::CreatePixelFont(L"MS Sans Serif", 16, Dpi()));
  digitFont_.Reset(win::CreatePixelFont(L"Arial", 56, Dpi(), FW_BOLD, true));

  PnlWindows = std::make_unique<win::Panel>(*this, win::Bounds{0, 0, kClientWidth, kClientHeight});
  Panel2 = std::make_unique<win::Panel>(*PnlWindows, win::Bounds{6, 7, 157, 116}, kPanelColour);
  Panel2->OnPaint = [this](HDC dc, const RECT& area) {
    win::ScopedBrush fill(CreateSolidBrush(kPanelColour));
    FillRect(dc, &area, fill.Get());
    // The lowered double bevel.
    RECT whole{};
    GetClientRect(Panel2->Handle(), &whole);
    DrawEdge(dc, &whole, EDGE_SUNKEN, BF_RECT);
  };
  Notebook1 = std::make_unique<win::Panel>(*Panel2, win::Bounds{kPageLeft, kPageTop, kPageWidth, kPageHeight});

  // In the order of the page control: "Scorll", "Menu", "Windows".
  AddPage(kScrollTexts, 3);
  win::Panel& menu = AddPage(nullptr, 0);
  menu.OnPaint = [this](HDC dc, const RECT& area) { PaintMenuPage(dc, area); };
  AddPage(kWindowsTexts, 3);

  for (win::Panel* panel : {PnlWindows.get(), Notebook1.get()})
    panel->OnMouseMove = [this](const win::MouseEvent&) { PnlWindowsMouseMove(); };
  SelectPage(page_);
}

void TFrmShowInfo::SelectPage(InfoPage page) {
  page_ = page;
  for (std::size_t i = 0; i < pages_.size(); ++i) pages_[i]->SetVisible(i == static_cast<std::size_t>(page));
}

win::Panel& TFrmShowInfo::AddPage(const char* const* texts, int count) {
  auto page = std::make_unique<win::Panel>(*Notebook1, win::Bounds{0, 0, kPageWidth, kPageHeight});
  int y = 6;
  for (int i = 0; i < count; ++i) {
    const int height =
        win::WrappedTextHeight(Handle(), textFont_.Get(), win::Widen(texts[i]).c_str(), kPageWidth - 8, Dpi());
    auto label = std::make_unique<win::Label>(*page, texts[i], win::Bounds{4, y, kPageWidth - 8, height});
    label->SetFont(textFont_.Get());
    label->SetTextColour(kWhite);
    y += height + 4;
    texts_.push_back(std::move(label));
  }
  page->OnMouseMove = [this](const win::MouseEvent&) { PnlWindowsMouseMove(); };
  pages_.push_back(std::move(page));
  return *pages_.back();
}

void TFrmShowInfo::PaintMenuPage(HDC dc, const RECT& area) {
  win::ScopedBrush fill(CreateSolidBrush(kPanelColour));
  FillRect(dc, &area, fill.Get());
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ previous = SelectObject(dc, captionFont_.Get());
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  TextOutW(dc, Scale(8), Scale(16), L"Delay Second:", 13);
  // The digit in white over its shadow in the text colour.
  SelectObject(dc, digitFont_.Get());
  const std::wstring digit = win::Widen(countdown_);
  TextOutW(dc, Scale(58), Scale(42), digit.c_str(), static_cast<int>(digit.size()));
  SetTextColor(dc, kWhite);
  TextOutW(dc, Scale(53), Scale(41), digit.c_str(), static_cast<int>(digit.size()));
  SelectObject(dc, previous);
}

void TFrmShowInfo::ShowPage(InfoPage page) {
  SelectPage(page);
  // SetWindowPos sends no show notice, so the home is taken here.
  if (!IsWindowVisible(Handle())) FormShow();
  // Shown without activation: keys stay with the overlay, menus stay open.
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TFrmShowInfo::SetCountdown(const std::string& digit) {
  if (digit == countdown_) return;
  countdown_ = digit;
  HWND menu = pages_[static_cast<std::size_t>(InfoPage::Menu)]->Handle();
  InvalidateRect(menu, nullptr, TRUE);
  UpdateWindow(menu);
}

Point TFrmShowInfo::Home() const {
  RECT work{}, r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(Handle(), &r);
  return InfoWindowHome(Rect{work.left, work.top, work.right, work.bottom}, r.right - r.left, r.bottom - r.top);
}

void TFrmShowInfo::MoveTo(Point to) {
  SetWindowPos(Handle(), nullptr, to.X, to.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFrmShowInfo::FormShow() { MoveTo(Home()); }

void TFrmShowInfo::PnlWindowsMouseMove() {
  RECT r{};
  GetWindowRect(Handle(), &r);
  MoveTo(InfoWindowJump(Point{r.left, r.top}, Home()));
}

bool TFrmShowInfo::IsJumpArea(HWND window) const {
  if (!window) return false;
  if (window == Handle() || window == PnlWindows->Handle() || window == Panel2->Handle() ||
      window == Notebook1->Handle())
    return true;
  for (const auto& page : pages_)
    if (window == page->Handle()) return true;
  for (const auto& label : texts_)
    if (window == label->Handle()) return true;
  return false;
}

}  // namespace brisko
