#include "capture/UnitMagnifier.h"

#include "capture/MagnifierView.h"
#include "capture/OwnWindows.h"
#include "widgets/Dib.h"
#include "widgets/Fonts.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

constexpr Colour kPanelColour = MakeColour(235, 124, 15);  // the colour value 1015019
constexpr int kPageWidth = 152;
constexpr int kTextWidth = 146;
constexpr int kPageHeight = 166;
constexpr int kValueRow = 15;

win::FormArgs MagnifierArgs(HWND overlay) {
  win::FormArgs args;
  args.className = L"TFrmMagnifier";
  args.caption = L"Magnifier";
  args.style = WS_POPUP | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  args.width = 166;
  args.height = 332;
  args.owner = overlay;
  args.centred = false;
  args.dialogKeys = false;
  return args;
}

const char* const kDefaultTexts[] = {
    "- Click and drag with the left mouse button to select an area.",
    "OR:Click on one corner, move the mouse to the other and click to define an area.",
    "- Enter key to accept corners.", "- Arrow key to move.", "- Right-Click or press Esc to cancel."};
const char* const kHandFreeTexts[] = {"- Click and/or drag with the left mouse button to define and shape.",
                                      "- Press Enter key or Double click to close the path.", "- Arrow key to move.",
                                      "- Right-Click or press Esc to cancel."};

}  // namespace

TFrmMagnifier::TFrmMagnifier(HWND overlay) : win::Form(MagnifierArgs(overlay)) {
  SetOwnWindowRole(Handle(), OwnWindowRole::CaptureWindow);
  ExcludeFromScreenCaptures(Handle());
  textFont_.Reset(win::CreateSmallDialogFont(8, Dpi()));
  // The instructions and the two value rows must fit the page; a font
  // wider than the intended one steps down a point.
  int needed = 2 * kValueRow;
  for (const char* text : kDefaultTexts) needed += TextHeight(text) + 1;
  if (needed > kPageHeight) textFont_.Reset(win::CreatePointFont(L"Tahoma", 7, Dpi()));
  RzPanel1 = std::make_unique<win::Panel>(*this, win::Bounds{0, 0, 166, 332});
  RzPanel1->OnPaint = [this](HDC dc, const RECT& r) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = r;
    for (int i = 0; i < 3; ++i) {
      DrawEdge(dc, &edge, i == 0 ? EDGE_RAISED : BDR_SUNKENINNER, BF_RECT);
      InflateRect(&edge, -1, -1);
    }
  };
  Image1 = std::make_unique<win::Panel>(*RzPanel1, win::Bounds{7, 7, 152, 152});
  Image1->OnPaint = [this](HDC dc, const RECT& r) {
    if (view_.IsEmpty()) {
      FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      return;
    }
    const win::DibInfo info = win::DibInfoFor(view_);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, r.right, r.bottom, 0, 0, view_.Width(), view_.Height(), view_.Data(), info.Get(),
                  DIB_RGB_COLORS, SRCCOPY);
  };
  Panel1 = std::make_unique<win::Panel>(*RzPanel1, win::Bounds{7, 159, 152, 166}, kPanelColour);

  auto addText = [this](win::Panel& page, const char* text, int& y, bool white) {
    const int height = TextHeight(text);
    auto label = std::make_unique<win::Label>(page, text, win::Bounds{3, y, kTextWidth, height});
    label->SetFont(textFont_.Get());
    label->SetTextColour(white ? kWhite : GetSysColor(COLOR_WINDOWTEXT));
    y += height + 1;
    texts_.push_back(std::move(label));
    return texts_.back().get();
  };
  auto addValue = [this](win::Panel& page, const char* caption, int x, int width, int y) {
    auto label = std::make_unique<win::Label>(page, caption, win::Bounds{x, y, width, 14});
    label->SetFont(textFont_.Get());
    label->SetTextColour(GetSysColor(COLOR_WINDOWTEXT));
    texts_.push_back(std::move(label));
    return texts_.back().get();
  };

  PageDefault = std::make_unique<win::Panel>(*Panel1, win::Bounds{0, 0, kPageWidth, 166});
  int y = 3;
  for (const char* text : kDefaultTexts) addText(*PageDefault, text, y, true);
  addValue(*PageDefault, "X ,Y=", 3, 34, y);
  LblXY = addValue(*PageDefault, "", 38, 110, y);
  addValue(*PageDefault, "W,H=", 3, 34, y + kValueRow);
  LblWH = addValue(*PageDefault, "", 38, 110, y + kValueRow);

  PageHandFree = std::make_unique<win::Panel>(*Panel1, win::Bounds{0, 0, kPageWidth, 166});
  y = 3;
  for (const char* text : kHandFreeTexts) addText(*PageHandFree, text, y, true);
  addValue(*PageHandFree, "X,Y = ", 3, 36, y);
  LblXY1 = addValue(*PageHandFree, "", 40, 108, y);

  PagePickColor = std::make_unique<win::Panel>(*Panel1, win::Bounds{0, 0, kPageWidth, 166});
  y = 3;
  addText(*PagePickColor, "- Click with the left mouse button or press Esc to Close.", y, false);
  pnlcolor = std::make_unique<win::Panel>(*PagePickColor, win::Bounds{9, y + 2, 134, 24});
  pnlcolor->OnPaint = [this](HDC dc, const RECT& r) {
    win::ScopedBrush fill(CreateSolidBrush(swatch_));
    FillRect(dc, &r, fill.Get());
    RECT edge = r;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  };
  y += 32;
  auto colourRow = [&](const char* caption, std::unique_ptr<win::Edit>& edit) {
    addValue(*PagePickColor, caption, 9, 40, y + 3);
    edit = std::make_unique<win::Edit>(*PagePickColor, "", win::Bounds{52, y, 60, 20});
    edit->SetReadOnly(true);
    y += 24;
  };
  colourRow("Red:", EdtRed);
  colourRow("Green:", EdtGreen);
  colourRow("Blue:", EdtBlue);

  for (win::Panel* panel : {RzPanel1.get(), Image1.get(), Panel1.get(), PageDefault.get(), PageHandFree.get(),
                            PagePickColor.get(), pnlcolor.get()})
    panel->OnMouseMove = [this](const win::MouseEvent&) { Image1MouseMove(); };
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowPage(MagnifierPage::Default);
}

int TFrmMagnifier::TextHeight(const char* text) {
  return win::WrappedTextHeight(Handle(), textFont_.Get(), win::Widen(text).c_str(), kTextWidth, Dpi());
}

void TFrmMagnifier::ShowPage(MagnifierPage page) {
  PageDefault->SetVisible(page == MagnifierPage::Default);
  PageHandFree->SetVisible(page == MagnifierPage::HandFree);
  PagePickColor->SetVisible(page == MagnifierPage::PickColor);
  LblWH->SetText("");
}

void TFrmMagnifier::ShowOverOverlay(MagnifierPage page) {
  ShowPage(page);
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TFrmMagnifier::MagnifierRefresh(const Bitmap& screenshot, int x, int y, int mode) {
  view_ = RenderMagnifier(screenshot, x, y, mode);
  if (mode != kMagnifierPickColour) {
    RECT r{};
    GetWindowRect(Handle(), &r);
    if (PointInRect(x, y, Rect{r.left, r.top, r.right, r.bottom})) JumpToOtherCorner();
    const std::string position = std::to_string(x) + "," + std::to_string(y);
    (mode == 2 ? LblXY1 : LblXY)->SetText(position);
  }
  InvalidateRect(Image1->Handle(), nullptr, FALSE);
  UpdateWindow(Image1->Handle());
}

void TFrmMagnifier::KeepAbove(HWND overlay) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == Handle()) return;
    if (w == overlay) break;
  }
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFrmMagnifier::SetSizeText(const std::string& text) { LblWH->SetText(text); }

void TFrmMagnifier::ShowColour(Colour c) {
  EdtRed->SetText(std::to_string(RedOf(c)));
  EdtGreen->SetText(std::to_string(GreenOf(c)));
  EdtBlue->SetText(std::to_string(BlueOf(c)));
  swatch_ = c;
  pnlcolor->Invalidate();
}

void TFrmMagnifier::Image1MouseMove() { JumpToOtherCorner(); }

void TFrmMagnifier::JumpToOtherCorner() {
  RECT r{};
  GetWindowRect(Handle(), &r);
  const Point to = MagnifierCornerJump(Point{r.left, r.top}, r.right - r.left, r.bottom - r.top,
                                       GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  SetWindowPos(Handle(), nullptr, to.X, to.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace brisko
