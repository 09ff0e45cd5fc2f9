#include "editor/UnitEditPic.h"

#include <algorithm>
#include <utility>

#include "capture/BitmapCut.h"
#include "codecs/Codecs.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "core/Helpers.h"
#include "editor/CropMath.h"
#include "editor/UnitCanvasSize.h"
#include "editor/UnitColors.h"
#include "editor/UnitRGB.h"
#include "editor/UnitRotate.h"
#include "editor/UnitSales.h"
#include "imageops/Resample.h"
#include "widgets/Application.h"
#include "widgets/Clipboard.h"
#include "widgets/Dib.h"
#include "widgets/OpenPictureDialog.h"
#include "widgets/Share.h"

namespace brisko {

namespace {

using C = EditorCommand;

constexpr char kOpenFilter[] =
    "All (*.gif;*.jpg;*.bmp)|*.gif;*.jpg;*.bmp|GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|"
    "Bitmaps (*.bmp)|*.bmp";

constexpr Colour kToolPanel = MakeColour(236, 240, 245);
constexpr Colour kPage = MakeColour(248, 250, 252);
constexpr Colour kNavigator = MakeColour(128, 134, 142);
constexpr Colour kInk = MakeColour(43, 58, 74);
constexpr int kSizeBar = 7;
constexpr int kNavigatorSplitter = 5;
constexpr int kToolBarHeight = 44;
constexpr int kLinePitch = 30;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 4;
constexpr int kPageMargin = 6;

win::FormArgs EditorArgs() {
  win::FormArgs args;
  args.className = L"TFrmEditPic";
  args.caption = L"Brisko Capture Preview";
  args.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
  args.width = 800;
  args.height = 600;
  // A document window: arrows and Enter belong to the view and the
  // selection, not to moving between controls.
  args.dialogKeys = false;
  return args;
}

std::string DefaultBaseFile() { return TempFolder() + "Temp\\Brisko.bmp"; }

win::ImageButton::Look PageLook(PageButtonRow::Look kind) {
  win::ImageButton::Look look;
  look.iconSize = 0;
  look.cornerRadius = 4;
  look.hot = kWhite;
  look.hotAlpha = 50;
  look.pressedAlpha = 90;
  switch (kind) {
    case PageButtonRow::Look::Wide:
      look.face = MakeColour(245, 146, 48);
      look.frame = MakeColour(214, 113, 22);
      look.disabledFace = MakeColour(240, 226, 211);
      look.text = kWhite;
      break;
    case PageButtonRow::Look::Small:
      look.face = MakeColour(46, 107, 217);
      look.frame = MakeColour(30, 80, 170);
      look.disabledFace = MakeColour(214, 224, 240);
      look.text = kWhite;
      break;
    case PageButtonRow::Look::Restore:
      look.face = MakeColour(204, 190, 242);
      look.frame = MakeColour(160, 140, 214);
      look.disabledFace = MakeColour(230, 225, 242);
      look.text = kInk;
      look.hot = MakeColour(120, 90, 200);
      look.hotAlpha = 40;
      break;
  }
  return look;
}

// The image area's background: an 8 x 10 tile of a light grey with two
// staggered dots, as a packed bottom-up DIB for a pattern brush.
win::ScopedBrush MakeTileBrush() {
  constexpr int w = 8, h = 10;
  struct {
    BITMAPINFOHEADER header;
    std::uint8_t pixels[w * 3 * h];
  } dib{};
  dib.header.biSize = sizeof dib.header;
  dib.header.biWidth = w;
  dib.header.biHeight = h;
  dib.header.biPlanes = 1;
  dib.header.biBitCount = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool dot = (x == 1 && y == 2) || (x == 5 && y == 7);
      const Colour c = dot ? MakeColour(198, 205, 214) : MakeColour(225, 229, 235);
      std::uint8_t* p = dib.pixels + (h - 1 - y) * w * 3 + x * 3;
      p[0] = BlueOf(c);
      p[1] = GreenOf(c);
      p[2] = RedOf(c);
    }
  return win::ScopedBrush(CreateDIBPatternBrushPt(&dib, DIB_RGB_COLORS));
}

int PositiveModulo(int value, int modulus) { return ((value % modulus) + modulus) % modulus; }

}  // namespace

TFrmEditPic::TFrmEditPic(EditorHost& host)
    : win::Form(EditorArgs()), host_(host), tileBrush_(MakeTileBrush()) {
  doc_.BaseFile = DefaultBaseFile();
  BuildMenu();
  BuildToolBar();
  BuildToolPanel();
  BuildImageArea();
  StatusBar1 = std::make_unique<win::StatusBar>(*this, std::vector<int>{150, 50, 50});
  BindCommands();

  // The window is 800 x 600 pixels as a whole, centred on the screen.
  SetWindowPos(Handle(), nullptr, 0, 0, Scale(800), Scale(600), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Centre();

  doc_.ImageShow.SetChangeHandler([this] {
    if (built_) ScrollBox1->InvalidateContent();
  });
  OnShow = [this] { FormShow(); };
  OnClose = [this] { FormClose(); };
  OnTimer = [this](UINT_PTR id) {
    if (id == kTimerCrop) TimerCropTimer();
  };
  OnDpiChanged = [this] {
    LayoutWindow();
    RefreshView(false);
  };
  OnMessage(WM_SIZE, [this](WPARAM type, LPARAM) -> LRESULT {
    if (type != SIZE_MINIMIZED) FormResize();
    return 0;
  });
  OnMessage(WM_GETMINMAXINFO, [this](WPARAM, LPARAM info) -> LRESULT {
    reinterpret_cast<MINMAXINFO*>(info)->ptMinTrackSize = POINT{Scale(520), Scale(400)};
    return 0;
  });
  built_ = true;
  LayoutWindow();
  RefreshView(false);
}

TFrmEditPic::~TFrmEditPic() {
  doc_.ImageShow.SetChangeHandler(nullptr);
}

// ------------------------------------------------------------------ building

void TFrmEditPic::BuildMenu() {
  std::vector<win::Menu*> open;
  for (const MenuRow& row : EditorMenuRows()) {
    const std::string caption(row.caption);
    switch (row.kind) {
      case MenuRow::Kind::Menu: open.assign(1, &MainMenu1.AddSubmenu(caption)); break;
      case MenuRow::Kind::Submenu: open.push_back(&open.back()->AddSubmenu(caption)); break;
      case MenuRow::Kind::EndSubmenu: open.pop_back(); break;
      case MenuRow::Kind::Separator: open.back()->AddSeparator(); break;
      case MenuRow::Kind::Item:
      case MenuRow::Kind::CheckItem: {
        const EditorCommand command = row.command;
        win::MenuItem& item = open.back()->Add(
            caption, [this, command] { RunCommand(command); }, std::string(row.shortcut));
        commands_[static_cast<std::size_t>(command)].items.push_back(&item);
        if (row.kind == MenuRow::Kind::CheckItem) item.SetChecked(true);
        if (command == C::ShowTools) showToolsItem_ = &item;
        if (command == C::SmoothScaling) smoothScalingItem_ = &item;
        break;
      }
    }
  }
  MainMenu1.RegisterShortcuts(*this);
  SetMenu(Handle(), MainMenu1.Handle());
}

void TFrmEditPic::BuildToolBar() {
  CoolBar1 = std::make_unique<win::Panel>(*this, win::Bounds{0, 0, 800, kToolBarHeight + 6});
  ToolBar1 = std::make_unique<win::ToolBar>(*CoolBar1, win::Bounds{2, 2, 790, kToolBarHeight + 2}, kToolBarHeight, 24);
  for (const ToolRow& row : EditorToolRows()) {
    const EditorCommand command = row.command;
    const std::wstring icon(row.icon.begin(), row.icon.end());
    auto iconAt = [icon](int pixels) {
      return win::ScopedIcon(static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), icon.c_str(), IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR)));
    };
    const int id = ToolBar1->AddButton(
        row.caption, iconAt, [this, command] { RunCommand(command); }, command == C::Crop);
    commands_[static_cast<std::size_t>(command)].tools.push_back(id);
    if (command == C::Crop) cropTool_ = id;
    if (row.separatorAfter) ToolBar1->AddSeparator();
  }
}

void TFrmEditPic::BuildToolPanel() {
  PnlTools = std::make_unique<win::Panel>(*this, win::Bounds{0, 0, toolPanelWidth_, 400}, kToolPanel);
  std::vector<std::string> pages;
  for (std::string_view name : EditorPageNames()) pages.emplace_back(name);
  PageControl1 = std::make_unique<win::TabControl>(*PnlTools, win::Bounds{0, 0, toolPanelWidth_, 240}, pages, kPage);
  for (const PageButtonRow& row : EditorPageRows()) {
    const EditorCommand command = row.command;
    auto button = std::make_unique<win::ImageButton>(PageControl1->Page(row.page), win::Bounds{0, 0, 10, 10},
                                                     row.caption, nullptr, PageLook(row.look));
    button->OnClick = [this, command] { RunCommand(command); };
    commands_[static_cast<std::size_t>(command)].buttons.push_back(button.get());
    pageButtons_.push_back(std::move(button));
  }
  SplitterNavigator =
      std::make_unique<win::Splitter>(*PnlTools, win::Bounds{0, 240, toolPanelWidth_, kNavigatorSplitter},
                                      win::Splitter::Orientation::Horizontal, false);
  SplitterNavigator->OnDragStart = [this] { dragStart_ = navigatorHeight_; };
  SplitterNavigator->OnDrag = [this](int offset) { SplitterNavigatorDrag(offset); };
  PnlImage =
      std::make_unique<win::Panel>(*PnlTools, win::Bounds{0, 245, toolPanelWidth_, navigatorHeight_}, kNavigator);
  PnlImage->OnPaint = [this](HDC dc, const RECT&) { PaintNavigator(dc); };

  SizeBar = std::make_unique<win::Splitter>(*this, win::Bounds{toolPanelWidth_, 0, kSizeBar, 400},
                                            win::Splitter::Orientation::Vertical, true);
  SizeBar->SetHint("Drag to size the tools, click the grip to fold them away");
  SizeBar->OnDragStart = [this] { dragStart_ = toolPanelWidth_; };
  SizeBar->OnDrag = [this](int offset) { SizeBarDrag(offset); };
  SizeBar->OnDragEnd = [this] { RefreshView(false); };
  SizeBar->OnToggle = [this] {
    toolPanelCollapsed_ = !toolPanelCollapsed_;
    SizeBar->SetCollapsed(toolPanelCollapsed_);
    LayoutWindow();
    RefreshView(false);
  };
}

void TFrmEditPic::BuildImageArea() {
  ScrollBox1 = std::make_unique<win::ScrollBox>(*this, win::Bounds{215, 50, 585, 500});
  ScrollBox1->OnPaint = [this](HDC dc, const RECT& area) { PaintImageArea(dc, area); };
  ScrollBox1->OnMouseDown = [this](const win::MouseEvent& e) {
    const Point content{e.x, e.y};
    if (pressTarget_ == PressTarget::None) pressTarget_ = InView(content) ? PressTarget::View : PressTarget::Background;
    if (pressTarget_ == PressTarget::View)
      ImageShowMouseDown(e, Point{content.X - ViewOrigin().X, content.Y - ViewOrigin().Y});
    else
      PnlMainMouseDown();
  };
  ScrollBox1->OnMouseMove = [this](const win::MouseEvent& e) {
    if (pressTarget_ == PressTarget::View) ImageShowMouseMove(Point{e.x - ViewOrigin().X, e.y - ViewOrigin().Y});
  };
  ScrollBox1->OnMouseUp = [this](const win::MouseEvent& e) {
    const PressTarget target = pressTarget_;
    if ((e.keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) pressTarget_ = PressTarget::None;
    if (target == PressTarget::View) ImageShowMouseUp(e, Point{e.x - ViewOrigin().X, e.y - ViewOrigin().Y});
  };
  ScrollBox1->OnCursor = [this](POINT content) -> HCURSOR {
    return CropMode && InView(Point{content.x, content.y}) ? LoadCursorW(nullptr, IDC_CROSS) : nullptr;
  };
  SelectionHandles1 = std::make_unique<win::SelectionHandles>(*ScrollBox1);
  SelectionHandles1->SetHint("Please LeftDBlClick or Press Enter Key to Crop!");
  SelectionHandles1->Limits = [this] { return SelectionLimits(); };
  SelectionHandles1->OnChange = [this](const RECT& selection) { SelectionHandlesChange(selection); };
  SelectionHandles1->OnConfirm = [this] { SelectionHandlesConfirm(); };
}

void TFrmEditPic::BindCommands() {
  // The handlers of the window's own commands, in the order of WindowAction.
  static constexpr std::array<Handler, kWindowActionCount> kWindowHandlers = {
      nullptr,
      &TFrmEditPic::OpenClick,
      &TFrmEditPic::ExitClick,
      &TFrmEditPic::ShowToolsClick,
      &TFrmEditPic::ZoomInClick,
      &TFrmEditPic::ZoomOutClick,
      &TFrmEditPic::ActualSizeClick,
      &TFrmEditPic::UndoClick,
      &TFrmEditPic::RedoClick,
      &TFrmEditPic::RestoreClick,
      &TFrmEditPic::CropClick,
      &TFrmEditPic::SmoothScalingClick,
      &TFrmEditPic::HelpContentsClick,
  };
  // The ways out, in the order of OutputAction.
  using OutputHandler = void (TFrmEditPic::*)(const CommandSpec&);
  static constexpr std::array<OutputHandler, kOutputActionCount> kOutputHandlers = {
      nullptr,
      &TFrmEditPic::SaveAsClick,
      &TFrmEditPic::FinishClick,
      &TFrmEditPic::CopyToClipboardClick,
      &TFrmEditPic::PrintClick,
      &TFrmEditPic::WallpaperClick,
      &TFrmEditPic::FullScreenClick,
  };
  // Every command runs as the table says.
  for (const CommandSpec& spec : EditorCommandSpecs()) {
    Entries& entries = commands_[static_cast<std::size_t>(spec.command)];
    if (spec.kind == CommandKind::Window)
      entries.run = [this, handler = kWindowHandlers[static_cast<std::size_t>(spec.action)]] { (this->*handler)(); };
    else if (spec.kind == CommandKind::ViewOperation)
      entries.run = [this, &spec] { RunFrameCommand(spec); };
    else if (spec.kind == CommandKind::Dialog)
      entries.run = [this, &spec] { RunDialogCommand(spec); };
    else if (spec.kind == CommandKind::Output)
      entries.run = [this, &spec, handler = kOutputHandlers[static_cast<std::size_t>(spec.output)]] {
        // A way out that fails says why; the picture stays as it is.
        win::RunGuarded([&] { (this->*handler)(spec); });
      };
    SetCommandEnabled(spec.command, entries.run != nullptr);
  }
  ApplyHistoryCommands();
  ApplyZoomCommands();
}

void TFrmEditPic::SetCommandEnabled(EditorCommand command, bool enabled) {
  Entries& entries = commands_[static_cast<std::size_t>(command)];
  enabled = enabled && entries.run != nullptr;
  for (win::MenuItem* item : entries.items) item->SetEnabled(enabled);
  for (int tool : entries.tools) ToolBar1->SetButtonEnabled(tool, enabled);
  for (win::ImageButton* button : entries.buttons) button->SetEnabled(enabled);
}

void TFrmEditPic::RunCommand(EditorCommand command) {
  const auto& run = commands_[static_cast<std::size_t>(command)].run;
  if (run) run();
}

// -------------------------------------------------------------------- layout

void TFrmEditPic::LayoutWindow() {
  const int dpi = static_cast<int>(Dpi());
  auto logical = [dpi](int pixels) { return MulDiv(pixels, 96, dpi); };
  const SIZE client = ClientSize();
  const int width = logical(client.cx);
  const int bottom = logical(client.cy) - logical(StatusBar1->Reposition());
  int top = 0;
  CoolBar1->SetVisible(showTools_);
  if (showTools_) {
    const int bar = logical(ToolBar1->IdealHeight());
    CoolBar1->SetBounds(win::Bounds{0, 0, width, bar + 4});
    ToolBar1->SetBounds(win::Bounds{2, 2, width - 4, bar});
    top = bar + 4;
  }
  const int height = std::max(bottom - top, 0);
  const int tools = toolPanelCollapsed_ ? 0 : toolPanelWidth_;
  PnlTools->SetVisible(!toolPanelCollapsed_);
  PnlTools->SetBounds(win::Bounds{0, top, tools, height});
  SizeBar->SetBounds(win::Bounds{tools, top, kSizeBar, height});
  ScrollBox1->SetBounds(win::Bounds{tools + kSizeBar, top, std::max(width - tools - kSizeBar, 0), height});

  // The navigator keeps its chosen height where the window has room for it.
  const int navigator = std::clamp(navigatorHeight_, 40, std::max(40, height - 160));
  const int tabs = std::max(height - navigator - kNavigatorSplitter, 0);
  PageControl1->SetBounds(win::Bounds{0, 0, tools, tabs});
  SplitterNavigator->SetBounds(win::Bounds{0, tabs, tools, kNavigatorSplitter});
  PnlImage->SetBounds(win::Bounds{0, tabs + kNavigatorSplitter, tools, navigator});
  LayoutPageButtons();
}

void TFrmEditPic::LayoutPageButtons() {
  RECT page{};
  GetClientRect(PageControl1->Page(0).Handle(), &page);
  const int width = MulDiv(page.right, 96, static_cast<int>(Dpi())) - 2 * kPageMargin;
  const auto rows = EditorPageRows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const PageButtonRow& row = rows[i];
    int count = 0, index = 0;
    for (std::size_t j = 0; j < rows.size(); ++j) {
      if (rows[j].page != row.page || rows[j].line != row.line) continue;
      if (j < i) ++index;
      ++count;
    }
    const int each = (width - (count - 1) * kButtonGap) / count;
    pageButtons_[i]->SetBounds(win::Bounds{kPageMargin + index * (each + kButtonGap),
                                           kPageMargin + row.line * kLinePitch, each, kButtonHeight});
  }
}

Point TFrmEditPic::ViewOrigin() const { return Point{Scale(8), Scale(8)}; }

std::int32_t TFrmEditPic::ViewWidth() const {
  return doc_.Zoom.IsActual() ? doc_.ImageShow.Width() : doc_.Zoom.ToView(doc_.WorkingBitmap.Width());
}

std::int32_t TFrmEditPic::ViewHeight() const {
  return doc_.Zoom.IsActual() ? doc_.ImageShow.Height() : doc_.Zoom.ToView(doc_.WorkingBitmap.Height());
}

Rect TFrmEditPic::ViewRect() const {
  const Point o = ViewOrigin();
  // The view is a child of PnlMain and shows only inside it.
  return Intersection(RectOfSize(o.X, o.Y, ViewWidth(), ViewHeight()), Rect{0, 0, PnlMain.width, PnlMain.height});
}

bool TFrmEditPic::InView(Point content) const {
  const Rect view = ViewRect();
  return view.Left <= content.X && content.X < view.Right && view.Top <= content.Y && content.Y < view.Bottom;
}

RECT TFrmEditPic::SelectionLimits() const {
  // PnlMain's area in view, in the scroll box's client pixels.
  const POINT pos = ScrollBox1->Position();
  RECT client{};
  GetClientRect(ScrollBox1->Handle(), &client);
  const RECT main{-pos.x, -pos.y, PnlMain.width - pos.x, PnlMain.height - pos.y};
  RECT limits{};
  IntersectRect(&limits, &main, &client);
  return limits;
}

// ------------------------------------------------------------ the view

void TFrmEditPic::RefreshView(bool skipThumbnail) {
  const SIZE box = ScrollBox1->OuterSize();
  const PanelSize view{ViewWidth(), ViewHeight()};
  PnlMain = MainPanelSize(view, PanelSize{box.cx, box.cy}, ViewMargins{Scale(8), Scale(16), Scale(20)});
  ScrollBox1->SetExtent(PnlMain.width, PnlMain.height);
  ScrollBox1->InvalidateContent();
  ShowStatus(StatusFor(view, doc_.Zoom, DocumentFileName));
  if (!skipThumbnail) RefreshNavigator();
}

void TFrmEditPic::ShowStatus(const StatusTexts& texts) {
  StatusBar1->SetPanelText(0, texts.size);
  StatusBar1->SetPanelText(1, texts.zoom);
  StatusBar1->SetPanelText(2, texts.file);
}

void TFrmEditPic::RefreshNavigator() {
  RECT panel{};
  GetClientRect(PnlImage->Handle(), &panel);
  // Inside the panel's bevel.
  const std::int32_t width = std::max<std::int32_t>(panel.right - 2, 0),
                     height = std::max<std::int32_t>(panel.bottom - 2, 0);
  if (doc_.Zoom.IsActual()) {
    FitImageInPanel(NavigatorImage, doc_.ImageShow.Picture(), width, height);
  } else {
    // The zoomed view exists only as it is painted: the navigator gets the
    // picture at the size that fitting the view would give.
    const Rect fit = FitImageRect(ViewWidth(), ViewHeight(), width, height);
    FitImageInPanel(NavigatorImage, Resample(doc_.WorkingBitmap, std::max(fit.Width(), 0), std::max(fit.Height(), 0)), width,
                    height);
  }
  PnlImage->Invalidate();
}

void TFrmEditPic::PaintNavigator(HDC dc) {
  RECT r{};
  GetClientRect(PnlImage->Handle(), &r);
  FillRect(dc, &r, PnlImage->BackgroundBrush());
  const Bitmap& picture = NavigatorImage.Picture();
  if (!picture.IsEmpty())
    win::DrawBitmap(dc, picture, Rect{0, 0, picture.Width(), picture.Height()}, 1 + NavigatorImage.Left(),
                    1 + NavigatorImage.Top());
  DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
}

void TFrmEditPic::PaintImageArea(HDC dc, const RECT& area) {
  const POINT pos = ScrollBox1->Position();
  auto toClient = [pos](const Rect& r) {
    return RECT{r.Left - pos.x, r.Top - pos.y, r.Right - pos.x, r.Bottom - pos.y};
  };
  const Rect content{area.left + pos.x, area.top + pos.y, area.right + pos.x, area.bottom + pos.y};
  const Rect main{0, 0, PnlMain.width, PnlMain.height};
  const Rect view = ViewRect();
  const int saved = SaveDC(dc);
  const Rect shown = Intersection(view, content);
  if (!shown.IsEmpty()) {
    const Point origin = ViewOrigin();
    const Rect inView{shown.Left - origin.X, shown.Top - origin.Y, shown.Right - origin.X, shown.Bottom - origin.Y};
    const Bitmap& source = doc_.Zoom.IsActual() ? doc_.ImageShow.Picture() : doc_.WorkingBitmap;
    const Point at = RenderZoomedArea(source, doc_.Zoom.Tenths(), inView, paintBlock_);
    const RECT target = toClient(shown);
    win::DrawBitmap(dc, paintBlock_, RectOfSize(at.X, at.Y, inView.Width(), inView.Height()), target.left, target.top);
    if (band_) {
      const RECT visible = toClient(view);
      const int beforeBand = SaveDC(dc);
      IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
      DrawBand(dc, *band_);
      RestoreDC(dc, beforeBand);
    }
    ExcludeClipRect(dc, target.left, target.top, target.right, target.bottom);
  }
  // PnlMain's tiles start at its own top-left corner, wherever the DC's
  // origin lies.
  const RECT mainClient = toClient(main);
  POINT tileOrigin{mainClient.left, mainClient.top};
  LPtoDP(dc, &tileOrigin, 1);
  SetBrushOrgEx(dc, PositiveModulo(tileOrigin.x, 8), PositiveModulo(tileOrigin.y, 10), nullptr);
  RECT tiles{};
  if (IntersectRect(&tiles, &mainClient, &area)) FillRect(dc, &tiles, tileBrush_.Get());
  ExcludeClipRect(dc, mainClient.left, mainClient.top, mainClient.right, mainClient.bottom);
  FillRect(dc, &area, BackgroundBrush());
  RestoreDC(dc, saved);
}

void TFrmEditPic::DrawBand(HDC dc, const Rect& band) {
  // Not-xor with a dotted pen and no fill: drawn twice, the pixels are back.
  const POINT pos = ScrollBox1->Position();
  const Point origin = ViewOrigin();
  const int x = origin.X - pos.x, y = origin.Y - pos.y;
  win::ScopedPen dots(CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
  win::SelectedObject pen(dc, dots.Get());
  win::SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
  const int oldMode = SetROP2(dc, R2_NOTXORPEN);
  const int oldBackground = SetBkMode(dc, TRANSPARENT);
  Rectangle(dc, band.Left + x, band.Top + y, band.Right + x, band.Bottom + y);
  SetBkMode(dc, oldBackground);
  SetROP2(dc, oldMode);
}

void TFrmEditPic::MoveBand(std::optional<Rect> band) {
  win::WindowDC dc(ScrollBox1->Handle());
  const POINT pos = ScrollBox1->Position();
  const Rect view = ViewRect();
  IntersectClipRect(dc.Get(), view.Left - pos.x, view.Top - pos.y, view.Right - pos.x, view.Bottom - pos.y);
  if (band_) DrawBand(dc.Get(), *band_);
  band_ = band;
  if (band_) DrawBand(dc.Get(), *band_);
}

void TFrmEditPic::RebuildView() {
  doc_.RebuildView();
  ScrollBox1->InvalidateContent();
}

void TFrmEditPic::ApplyZoomCommands() {
  const ZoomCommands& states = doc_.Zoom.Commands();
  SetCommandEnabled(C::ZoomIn, states.zoomIn);
  SetCommandEnabled(C::ActualSize, states.actual);
  SetCommandEnabled(C::ZoomOut, states.zoomOut);
}

void TFrmEditPic::ApplyHistoryCommands() {
  SetCommandEnabled(C::Undo, doc_.History.CanUndo());
  SetCommandEnabled(C::Redo, doc_.History.CanRedo());
}

bool TFrmEditPic::StepZoom(ZoomStep kind) {
  const bool changed = doc_.Zoom.Step(kind);
  ApplyZoomCommands();
  return changed;
}

void TFrmEditPic::EnsureActualSize() {
  DropSelection();
  if (doc_.EnsureActualSize()) ShowActualSize();
}

void TFrmEditPic::ShowActualSize() {
  ApplyZoomCommands();
  ScrollBox1->InvalidateContent();
  RefreshView(true);
}

void TFrmEditPic::ShowState(Bitmap picture) {
  DropSelection();
  doc_.WorkingBitmap = std::move(picture);
  StepZoom(ZoomStep::StepActual);
  RebuildView();
  RefreshView(false);
}

void TFrmEditPic::TakeSnapshot(const Bitmap& bitmap) {
  doc_.History.WriteSnapshot(bitmap, doc_.BaseFile);
  ApplyHistoryCommands();
  RefreshNavigator();
}

void TFrmEditPic::RunImageCommand(const std::function<void(ImageView&)>& operation, bool layout) {
  const bool zoomed = !doc_.Zoom.IsActual();
  DropSelection();
  try {
    doc_.RunImageCommand(operation);
  } catch (...) {
    if (zoomed) ShowActualSize();
    throw;
  }
  if (zoomed) ShowActualSize();
  ApplyHistoryCommands();
  RefreshNavigator();
  if (layout) RefreshView(true);
}

void TFrmEditPic::RunFrameCommand(const CommandSpec& spec) {
  // An operation that fails says why; the picture and the history stay.
  win::RunGuarded([&] {
    RunImageCommand([&](ImageView& view) { ApplyViewOperation(spec, view, doc_.SmoothScaling); }, spec.layout);
  });
}

void TFrmEditPic::RunDialogCommand(const CommandSpec& spec) {
  // The dialogs, in the order of DialogKind.
  using Show = DialogResult (TFrmEditPic::*)(const CommandSpec&, const ImageView&);
  static constexpr std::array<Show, kDialogKindCount> kShow = {
      nullptr,
      &TFrmEditPic::ShowRotateDialog,
      &TFrmEditPic::ShowCanvasSizeDialog,
      &TFrmEditPic::ShowScaleDialog,
      &TFrmEditPic::ShowRgbDialog,
      &TFrmEditPic::ShowColorsDialog,
  };
  const Show show = kShow[static_cast<std::size_t>(spec.dialog)];
  win::RunGuarded([&] {
    RunImageCommand(DialogOperation([&](const ImageView& view) { return (this->*show)(spec, view); }), spec.layout);
  });
}

DialogResult TFrmEditPic::ShowRotateDialog(const CommandSpec&, const ImageView& view) {
  return TFrmRotate(Handle(), host_.MainWindowHandle(), view.Picture()).Run();
}

DialogResult TFrmEditPic::ShowCanvasSizeDialog(const CommandSpec&, const ImageView& view) {
  return TFrmCanvasSize(Handle(), host_.MainWindowHandle(), view.Width(), view.Height()).Run();
}

DialogResult TFrmEditPic::ShowScaleDialog(const CommandSpec&, const ImageView& view) {
  return TFrmSales(Handle(), view.Width(), view.Height(), doc_.SmoothScaling).Run();
}

DialogResult TFrmEditPic::ShowRgbDialog(const CommandSpec&, const ImageView& view) {
  return TFrmRGB(Handle(), view.Picture()).Run();
}

DialogResult TFrmEditPic::ShowColorsDialog(const CommandSpec& spec, const ImageView& view) {
  return TFrmColors(Handle(), spec.colorsKind, view.Picture()).Run();
}

// ------------------------------------------------------------ arriving images

void TFrmEditPic::ShowBaseFile(const std::string& baseFile) {
  doc_.BaseFile = baseFile;
  if (Visible())
    FormShow();
  else
    Show();
  BringToFront();
}

void TFrmEditPic::ShowCapture(const std::string& baseFile) {
  DocumentFileName.clear();
  ShowBaseFile(baseFile);
}

bool TFrmEditPic::PasteFromClipboard() {
  try {
    std::optional<Bitmap> picture = win::ClipboardBitmap(Handle());
    if (!picture || picture->IsEmpty()) return false;
    doc_.BaseFile = DefaultBaseFile();
    EnsureFolder(TempFolder() + "Temp");
    WriteBmpFile(*picture, PathFromUtf8(doc_.BaseFile));
    DocumentFileName.clear();
    return true;
  } catch (...) {
    // Pasting ends quietly when there is nothing to paste.
    return false;
  }
}

bool TFrmEditPic::OpenPictureFile(const std::string& path) {
  try {
    Bitmap picture = ReadImageFile(PathFromUtf8(path));
    // The opened picture goes by way of the clipboard, which keeps it.
    win::SetClipboardBitmap(Handle(), picture);
    if (picture.Format() != PixelFormat::Bgr24) picture.SetFormat(PixelFormat::Bgr24);
    doc_.BaseFile = DefaultBaseFile();
    EnsureFolder(TempFolder() + "Temp");
    WriteBmpFile(picture, PathFromUtf8(doc_.BaseFile));
    DocumentFileName = path;
    return true;
  } catch (...) {
    // A file that cannot be opened changes nothing, without a message.
    return false;
  }
}

std::optional<std::string> TFrmEditPic::ChooseFile() {
  return win::ChoosePictureToOpen(Handle(), "Open", kOpenFilter,
                                  [](const std::string& path, int width, int height) -> std::optional<Bitmap> {
                                    const Bitmap picture = ReadImageFile(PathFromUtf8(path));
                                    const Rect fit = FitImageRect(picture.Width(), picture.Height(), width, height);
                                    if (fit.IsEmpty()) return std::nullopt;
                                    return Resample(picture, fit.Width(), fit.Height());
                                  });
}

bool TFrmEditPic::OpenFile() {
  const std::optional<std::string> path = ChooseFile();
  if (!path || !OpenPictureFile(*path)) return false;
  ShowBaseFile();
  return true;
}

// ------------------------------------------------------------------ handlers

void TFrmEditPic::FormShow() {
  doc_.History.Reset();
  DropSelection();
  CropMode = false;
  ToolBar1->SetButtonDown(cropTool_, false);
  std::string error;
  try {
    doc_.WorkingBitmap = ReadBmpFile(PathFromUtf8(doc_.BaseFile));
  } catch (const std::exception& e) {
    doc_.WorkingBitmap = Bitmap();
    error = e.what();
  }
  doc_.Zoom.Reset();
  RebuildView();
  ScrollBox1->ScrollTo(0, 0);
  RefreshView(false);
  ApplyZoomCommands();
  ApplyHistoryCommands();
  if (!error.empty()) win::Application::Current().ShowError(error);
}

void TFrmEditPic::FormClose() {
  StopTimer(kTimerCrop);
  DropSelection();
  DocumentFileName.clear();
  host_.EditorClosed();
}

void TFrmEditPic::FormResize() {
  if (!built_) return;
  LayoutWindow();
  RefreshView(false);
}

void TFrmEditPic::OpenClick() {
  const std::optional<std::string> path = ChooseFile();
  if (path && OpenPictureFile(*path)) FormShow();
}

void TFrmEditPic::ExitClick() { Close(); }

void TFrmEditPic::ShowToolsClick() {
  showTools_ = !showTools_;
  showToolsItem_->SetChecked(showTools_);
  LayoutWindow();
  RefreshView(false);
}

void TFrmEditPic::ZoomInClick() {
  DropSelection();
  if (!StepZoom(ZoomStep::StepIn)) return;
  RebuildView();
  RefreshView(true);
}

void TFrmEditPic::ZoomOutClick() {
  DropSelection();
  if (!StepZoom(ZoomStep::StepOut)) return;
  RebuildView();
  RefreshView(true);
}

void TFrmEditPic::ActualSizeClick() {
  DropSelection();
  StepZoom(ZoomStep::StepActual);
  RebuildView();
  RefreshView(true);
}

void TFrmEditPic::UndoClick() {
  if (!doc_.History.CanUndo()) return;
  Bitmap state = doc_.History.Undo(doc_.BaseFile);
  ApplyHistoryCommands();
  ShowState(std::move(state));
}

void TFrmEditPic::RedoClick() {
  if (!doc_.History.CanRedo()) return;
  Bitmap state = doc_.History.Redo(doc_.BaseFile);
  ApplyHistoryCommands();
  ShowState(std::move(state));
}

void TFrmEditPic::RestoreClick() {
  // Back to the base image; the history and its commands stay as they are.
  ShowState(ReadBmpFile(PathFromUtf8(doc_.BaseFile)));
}

void TFrmEditPic::CropClick() {
  CropMode = !CropMode;
  ToolBar1->SetButtonDown(cropTool_, CropMode);
  if (band_) MoveBand(std::nullopt);
  CropDragging = false;
}

void TFrmEditPic::SmoothScalingClick() {
  doc_.SmoothScaling = !doc_.SmoothScaling;
  smoothScalingItem_->SetChecked(doc_.SmoothScaling);
}

void TFrmEditPic::HelpContentsClick() { OpenWithShell(Handle(), ProgramFolder() + "help\\index.htm"); }

void TFrmEditPic::ImageShowMouseDown(const win::MouseEvent& e, Point at) {
  if (SelectPanel) DropSelection();
  if (!CropMode || e.button != win::MouseEvent::Button::Left) {
    ScrollBox1->SetFocus();
    return;
  }
  CropStart = at;
  CropLast = at;
  CropDragging = true;
}

void TFrmEditPic::ImageShowMouseMove(Point at) {
  if (!CropMode || !CropDragging) return;
  Point from = CropStart, to = at;
  OrderCorners(from, to);
  MoveBand(Rect{from.X, from.Y, to.X, to.Y});
  CropLast = at;
}

void TFrmEditPic::ImageShowMouseUp(const win::MouseEvent& e, Point at) {
  if (!CropMode || !CropDragging || e.button != win::MouseEvent::Button::Left) return;
  CropMode = false;
  CropDragging = false;
  ToolBar1->SetButtonDown(cropTool_, false);
  CropEnd = at;
  OrderCorners(CropStart, CropEnd);
  MoveBand(std::nullopt);
  SelectPanel = SelectionFromBand(CropStart, CropEnd, ViewOrigin());
  const POINT pos = ScrollBox1->Position();
  SelectionHandles1->Attach(RECT{SelectPanel->Left - pos.x, SelectPanel->Top - pos.y, SelectPanel->Right - pos.x,
                                 SelectPanel->Bottom - pos.y});
}

void TFrmEditPic::PnlMainMouseDown() { ScrollBox1->SetFocus(); }

void TFrmEditPic::SelectionHandlesChange(const RECT& selection) {
  const POINT pos = ScrollBox1->Position();
  SelectPanel = Rect{selection.left + pos.x, selection.top + pos.y, selection.right + pos.x, selection.bottom + pos.y};
}

void TFrmEditPic::SelectionHandlesConfirm() { StartTimer(kTimerCrop, 100); }

void TFrmEditPic::TimerCropTimer() {
  StopTimer(kTimerCrop);
  if (!SelectPanel) return;
  const std::optional<Rect> area =
      CropRectFor(*SelectPanel, ViewOrigin(), doc_.Zoom, doc_.WorkingBitmap.Width(), doc_.WorkingBitmap.Height());
  if (!area) {
    // Nothing of the image is selected: the selection goes, the image stays.
    DropSelection();
    return;
  }
  Bitmap cropped = doc_.WorkingBitmap;
  CropBitmap(cropped, *area);
  // The snapshot first: if the disk refuses it, the image and the history
  // stay as they were and the selection is still there to try again.
  doc_.History.WriteSnapshot(cropped, doc_.BaseFile);
  doc_.WorkingBitmap = std::move(cropped);
  RebuildView();
  RefreshView(true);
  ApplyHistoryCommands();
  RefreshNavigator();
  DropSelection();
}

void TFrmEditPic::DropSelection() {
  if (band_) MoveBand(std::nullopt);
  CropDragging = false;
  if (SelectionHandles1->Attached()) SelectionHandles1->Detach();
  SelectPanel.reset();
}

void TFrmEditPic::SizeBarDrag(int offset) {
  toolPanelWidth_ = std::clamp(dragStart_ + MulDiv(offset, 96, static_cast<int>(Dpi())), 150, 420);
  LayoutWindow();
  RefreshView(true);
}

void TFrmEditPic::SplitterNavigatorDrag(int offset) {
  RECT tools{};
  GetClientRect(PnlTools->Handle(), &tools);
  const int room = MulDiv(tools.bottom, 96, static_cast<int>(Dpi()));
  navigatorHeight_ = std::clamp(dragStart_ - MulDiv(offset, 96, static_cast<int>(Dpi())), 40, std::max(40, room - 160));
  LayoutWindow();
  RefreshNavigator();
}

}  // namespace brisko
