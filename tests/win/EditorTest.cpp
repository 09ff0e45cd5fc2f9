// The editor window in this process, driven through its menus, tool bar,
// status bar and real mouse input, as a user meets it.
#include "editor/UnitEditPic.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>

#include "ProgramEnvironment.h"
#include "TestWindow.h"
#include "codecs/Codecs.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "editor/EditorPrint.h"
#include "imageops/Geometric.h"
#include "widgets/Application.h"
#include "widgets/Clipboard.h"
#include "widgets/Dib.h"
#include "widgets/Share.h"
#include "widgets/Text.h"

namespace brisko {
namespace {

namespace fs = std::filesystem;

// Every pixel tells where it is: red = x, green = y, blue = x ^ y.
Bitmap Numbered(std::int32_t w, std::int32_t h) {
  Bitmap b(w, h);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      b.SetPixelAt(
          x, y,
          MakeColour(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y)));
  return b;
}

bool SamePixels(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x)
      if (a.PixelAt(x, y) != b.PixelAt(x, y)) return false;
  return true;
}

const auto* const environment = ::testing::AddGlobalTestEnvironment(new testwin::ProgramEnvironment);

using testwin::Pump;

HWND ChildOfClass(HWND parent, const wchar_t* className) {
  struct Search {
    const wchar_t* name;
    HWND found;
  } search{className, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        if (lstrcmpiW(name, s->name) == 0) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The editor seen from outside: its window, menu bar, tool bar and status
// bar, through the messages any other program could send.
class EditorWindow {
 public:
  explicit EditorWindow(HWND window)
      : window_(window),
        toolBar_(ChildOfClass(window, TOOLBARCLASSNAMEW)),
        statusBar_(ChildOfClass(window, STATUSCLASSNAMEW)),
        scrollBox_(ChildOfClass(window, L"BriskoScrollBox")) {}

  std::string Status(int panel) const {
    wchar_t text[512] = {};
    SendMessageW(statusBar_, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text));
    return win::Narrow(text);
  }

  // The menu bar's entry `caption` (without its shortcut) in menu `menu`,
  // searched through the submenus.
  UINT MenuId(const std::wstring& menu, const std::wstring& caption) const {
    HMENU bar = GetMenu(window_);
    for (int i = 0; i < GetMenuItemCount(bar); ++i)
      if (TextOf(bar, i) == menu) return Find(GetSubMenu(bar, i), caption);
    return 0;
  }
  bool MenuEnabled(const std::wstring& menu, const std::wstring& caption) const {
    const UINT id = MenuId(menu, caption);
    return id != 0 && !(GetMenuState(GetMenu(window_), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
  }
  void Menu(const std::wstring& menu, const std::wstring& caption) const {
    SendMessageW(window_, WM_COMMAND, MenuId(menu, caption), 0);
    Pump(50);
  }

  int ToolId(const std::wstring& caption) const {
    const auto count = static_cast<int>(SendMessageW(toolBar_, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TBBUTTON button{};
      SendMessageW(toolBar_, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
      if (button.fsStyle & BTNS_SEP) continue;
      wchar_t text[128] = {};
      SendMessageW(toolBar_, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand), reinterpret_cast<LPARAM>(text));
      if (caption == text) return button.idCommand;
    }
    return -1;
  }
  bool ToolEnabled(const std::wstring& caption) const {
    return SendMessageW(toolBar_, TB_ISBUTTONENABLED, static_cast<WPARAM>(ToolId(caption)), 0) != 0;
  }
  bool ToolDown(const std::wstring& caption) const {
    return SendMessageW(toolBar_, TB_ISBUTTONCHECKED, static_cast<WPARAM>(ToolId(caption)), 0) != 0;
  }
  void Tool(const std::wstring& caption) const {
    SendMessageW(GetParent(toolBar_), WM_COMMAND, MAKEWPARAM(ToolId(caption), BN_CLICKED),
                 reinterpret_cast<LPARAM>(toolBar_));
    Pump(50);
  }
  std::vector<std::wstring> ToolCaptions() const {
    std::vector<std::wstring> captions;
    const auto count = static_cast<int>(SendMessageW(toolBar_, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TBBUTTON button{};
      SendMessageW(toolBar_, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
      if (button.fsStyle & BTNS_SEP) {
        captions.push_back(L"|");
        continue;
      }
      wchar_t text[128] = {};
      SendMessageW(toolBar_, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand), reinterpret_cast<LPARAM>(text));
      captions.push_back(text);
    }
    return captions;
  }

  HWND ScrollBox() const { return scrollBox_; }
  // The size of the tool bar's icons, from its image list.
  int ToolIconSize() const {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(ToolImages(), &cx, &cy);
    return cx;
  }
  HIMAGELIST ToolImages() const {
    return reinterpret_cast<HIMAGELIST>(SendMessageW(toolBar_, TB_GETIMAGELIST, 0, 0));
  }
  // A point of the view (view pixels) on the screen, the view lying at
  // (8, 8) on the unscrolled image area.
  POINT OnScreen(int viewX, int viewY) const {
    POINT p{8 + viewX, 8 + viewY};
    ClientToScreen(scrollBox_, &p);
    return p;
  }
  Colour PixelOfView(int viewX, int viewY) const {
    HDC dc = GetDC(scrollBox_);
    const COLORREF c = GetPixel(dc, 8 + viewX, 8 + viewY);
    ReleaseDC(scrollBox_, dc);
    return c;
  }
  std::vector<std::wstring> MenuBar() const {
    std::vector<std::wstring> captions;
    HMENU bar = GetMenu(window_);
    for (int i = 0; i < GetMenuItemCount(bar); ++i) captions.push_back(TextOf(bar, i));
    return captions;
  }

 private:
  static std::wstring TextOf(HMENU menu, int position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    std::wstring caption = text;
    return caption.substr(0, caption.find(L'\t'));
  }
  static UINT Find(HMENU menu, const std::wstring& caption) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      if (HMENU sub = GetSubMenu(menu, i)) {
        if (const UINT id = Find(sub, caption)) return id;
      } else if (TextOf(menu, i) == caption) {
        return GetMenuItemID(menu, i);
      }
    }
    return 0;
  }

  HWND window_;
  HWND toolBar_;
  HWND statusBar_;
  HWND scrollBox_;
};

// Real input through the system's queue, in absolute screen pixels.
void MouseTo(POINT p) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(p.x, 65535, w - 1);
  in.mi.dy = MulDiv(p.y, 65535, h - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
  Pump(30);
}

void MouseButton(bool down) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
  Pump(30);
}

void Drag(POINT from, POINT to) {
  MouseTo(from);
  MouseButton(true);
  for (int step = 1; step <= 4; ++step)
    MouseTo(POINT{from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4});
  MouseButton(false);
}

void DoubleClick(POINT at) {
  MouseTo(at);
  MouseButton(true);
  MouseButton(false);
  MouseButton(true);
  MouseButton(false);
}

class Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureFolder(TempFolder() + "Temp");
    base_ = TempFolder() + "Temp\\Brisko.bmp";
    for (int n = 1; n <= 8; ++n) {
      std::error_code ignored;
      fs::remove_all(PathFromUtf8(base_ + std::to_string(n)), ignored);
    }
    editor_ = std::make_unique<TFrmEditPic>(host_);
    window_ = std::make_unique<EditorWindow>(editor_->Handle());
  }
  void TearDown() override {
    editor_.reset();
    Pump(50);
  }

  // An image delivered as the capture output delivers it.
  void Deliver(const Bitmap& picture) {
    WriteBmpFile(picture, PathFromUtf8(base_));
    editor_->ShowCapture(base_);
    Pump();
  }

  std::string base_;
  // Counts how often the editor hands back to the main window.
  struct Host : EditorHost {
    void EditorClosed() override { ++mainShown; }
    HWND MainWindowHandle() const override { return nullptr; }
    int mainShown = 0;
  } host_;
  std::unique_ptr<TFrmEditPic> editor_;
  std::unique_ptr<EditorWindow> window_;
};

TEST_F(Editor, IsTheCentredPreviewWindowWithEveryMenuAndToolButton) {
  Deliver(Bitmap(100, 50));
  EXPECT_EQ(editor_->Caption(), "Brisko Capture Preview");
  RECT r{};
  GetWindowRect(editor_->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 800);
  EXPECT_EQ(r.bottom - r.top, 600);
  EXPECT_EQ(window_->MenuBar(),
            (std::vector<std::wstring>{L"&File", L"&View", L"&Edit", L"Color", L"Effects", L"&Help"}));
  EXPECT_EQ(window_->ToolCaptions(),
            (std::vector<std::wstring>{L"Finish  (File)", L"Close (File)", L"|", L"Save As", L"Undo", L"Redo", L"Crop",
                                       L"|", L"Zoom In", L"Actual", L"Zoom Out", L"|"}));
  EXPECT_TRUE(window_->MenuEnabled(L"&File", L"Open"));
  EXPECT_TRUE(window_->MenuEnabled(L"Effects", L"Twist")) << "image operations run from the table";
  EXPECT_TRUE(window_->MenuEnabled(L"Color", L"Gamma")) << "the dialogs run from the table";
  EXPECT_TRUE(window_->MenuEnabled(L"&File", L"&Print..."));
  EXPECT_NE(window_->MenuId(L"&Edit", L"&Repeat..."), 0u);
  EXPECT_NE(window_->MenuId(L"&Edit", L"90\u00B0 clockwise"), 0u);
}

TEST_F(Editor, ShowsTheDeliveredImageSizeZoomAndFileName) {
  Deliver(Bitmap(100, 50));
  EXPECT_TRUE(editor_->Visible());
  EXPECT_EQ(window_->Status(0), "W, H = 100X50");
  EXPECT_EQ(window_->Status(1), "100%");
  EXPECT_EQ(window_->Status(2), "");
  EXPECT_FALSE(window_->ToolEnabled(L"Undo"));
  EXPECT_FALSE(window_->ToolEnabled(L"Redo"));
  EXPECT_FALSE(window_->ToolEnabled(L"Actual"));
  EXPECT_FALSE(window_->MenuEnabled(L"&View", L"Actual Size"));
  EXPECT_TRUE(window_->MenuEnabled(L"&View", L"Zoom In"));

  window_->Menu(L"&View", L"Zoom In");
  EXPECT_EQ(window_->Status(0), "W, H = 200X100");
  EXPECT_EQ(window_->Status(1), "200%");
  EXPECT_TRUE(window_->ToolEnabled(L"Actual"));
}

TEST_F(Editor, ZoomCommandsDisableAtTheirLimitsAndComeBackToOneHundred) {
  Deliver(Bitmap(100, 50));
  for (int i = 0; i < 9; ++i) window_->Tool(L"Zoom Out");
  EXPECT_EQ(window_->Status(1), "10%");
  EXPECT_EQ(window_->Status(0), "W, H = 10X5");
  EXPECT_TRUE(window_->ToolEnabled(L"Zoom Out"));
  window_->Tool(L"Zoom Out");
  EXPECT_EQ(window_->Status(1), "10%");
  EXPECT_FALSE(window_->ToolEnabled(L"Zoom Out"));
  EXPECT_FALSE(window_->MenuEnabled(L"&View", L"Zoom Out"));
  for (int i = 0; i < 9; ++i) window_->Menu(L"&View", L"Zoom In");
  EXPECT_EQ(window_->Status(1), "100%");
  EXPECT_TRUE(window_->ToolEnabled(L"Actual")) << "zooming back leaves Actual enabled";
  for (int i = 0; i < 8; ++i) window_->Tool(L"Zoom In");
  EXPECT_EQ(window_->Status(1), "900%");
  window_->Tool(L"Zoom In");
  EXPECT_FALSE(window_->ToolEnabled(L"Zoom In"));
  EXPECT_EQ(window_->Status(0), "W, H = 900X450");
  window_->Tool(L"Actual");
  EXPECT_EQ(window_->Status(1), "100%");
  EXPECT_FALSE(window_->ToolEnabled(L"Actual"));
  EXPECT_TRUE(window_->ToolEnabled(L"Zoom In"));
}

TEST_F(Editor, TheZoomedViewShowsThePicturesPixelsAlsoAfterScrolling) {
  const Bitmap picture = Numbered(250, 250);
  Deliver(picture);
  window_->Menu(L"&View", L"Zoom In");
  window_->Menu(L"&View", L"Zoom In");  // 300 %
  for (const auto& [x, y] : {std::pair{0, 0}, {17, 9}, {60, 33}})
    EXPECT_EQ(window_->PixelOfView(3 * x + 1, 3 * y + 2), picture.PixelAt(x, y)) << x << "," << y;

  // Scrolled right and down by a few wheel notches: what comes into view
  // is drawn from the right source pixels, and what moved is still right.
  const HWND box = window_->ScrollBox();
  for (int i = 0; i < 3; ++i) {
    SendMessageW(box, WM_MOUSEHWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    SendMessageW(box, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  }
  Pump();
  const int dx = GetScrollPos(box, SB_HORZ), dy = GetScrollPos(box, SB_VERT);
  EXPECT_GT(dx, 100);
  EXPECT_GT(dy, 100);
  RECT client{};
  GetClientRect(box, &client);
  HDC dc = GetDC(box);
  for (int x = (dx - 8) / 3 + 1; x < 250 && 8 + 3 * x + 2 - dx < client.right; x += 13)
    for (int y = (dy - 8) / 3 + 1; y < 250 && 8 + 3 * y + 2 - dy < client.bottom; y += 11)
      ASSERT_EQ(GetPixel(dc, 8 + 3 * x + 1 - dx, 8 + 3 * y + 1 - dy), picture.PixelAt(x, y)) << x << "," << y;
  ReleaseDC(box, dc);
}

TEST_F(Editor, AViewSixteenPixelsNarrowerThanTheAreaFitsAndFifteenDoNot) {
  const HWND box = window_->ScrollBox();
  RECT r{};
  GetWindowRect(box, &r);
  const int width = r.right - r.left;
  Deliver(Bitmap(width - 16, 40));
  EXPECT_FALSE(GetWindowLongPtrW(box, GWL_STYLE) & WS_HSCROLL) << "PnlMain fills the area exactly";
  EXPECT_FALSE(GetWindowLongPtrW(box, GWL_STYLE) & WS_VSCROLL);
  Deliver(Bitmap(width - 15, 40));
  EXPECT_TRUE(GetWindowLongPtrW(box, GWL_STYLE) & WS_HSCROLL);
  EXPECT_FALSE(GetWindowLongPtrW(box, GWL_STYLE) & WS_VSCROLL) << "the bar's room is left below";
  SCROLLINFO info{sizeof info, SIF_RANGE, 0, 0, 0, 0, 0};
  GetScrollInfo(box, SB_HORZ, &info);
  EXPECT_EQ(info.nMax + 1, width + 1);
}

TEST_F(Editor, ACropByMouseAtTwoHundredPercentCutsTheHalvedRegionAndUndoBringsItBack) {
  const Bitmap picture = Numbered(100, 50);
  Deliver(picture);
  SetForegroundWindow(editor_->Handle());
  window_->Tool(L"Zoom In");
  window_->Tool(L"Crop");
  EXPECT_TRUE(window_->ToolDown(L"Crop"));

  // 100 x 60 view pixels whose top-left lies 40 right and 20 down of the
  // view's corner, dragged from its bottom-right corner.
  Drag(window_->OnScreen(140, 80), window_->OnScreen(40, 20));
  EXPECT_FALSE(window_->ToolDown(L"Crop")) << "the release disarms the tool";
  EXPECT_EQ(editor_->Working().Width(), 100) << "nothing is cut before confirming";
  DoubleClick(window_->OnScreen(90, 50));
  Pump(400);

  Bitmap expected(50, 30);
  expected.CopyFrom(picture, Rect{20, 10, 70, 40}, 0, 0);
  EXPECT_TRUE(SamePixels(editor_->Working(), expected));
  EXPECT_EQ(window_->Status(0), "W, H = 100X60");
  EXPECT_EQ(window_->Status(1), "200%") << "the view stays at 200 %";
  EXPECT_TRUE(window_->ToolEnabled(L"Undo"));
  EXPECT_EQ(editor_->History().Top(), 1);

  window_->Tool(L"Undo");
  EXPECT_TRUE(SamePixels(editor_->Working(), picture));
  EXPECT_EQ(window_->Status(1), "100%");
  EXPECT_EQ(window_->Status(0), "W, H = 100X50");
  EXPECT_FALSE(window_->ToolEnabled(L"Undo"));
  EXPECT_TRUE(window_->ToolEnabled(L"Redo"));
}

void Key(WORD key) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = key;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
  Pump(60);
}

TEST_F(Editor, TheHandlesResizeAndMoveTheSelectionAndTheKeysNudgeIt) {
  const Bitmap picture = Numbered(100, 60);
  Deliver(picture);
  SetForegroundWindow(editor_->Handle());
  window_->Tool(L"Crop");
  Drag(window_->OnScreen(10, 10), window_->OnScreen(40, 30));  // 30 x 20 at (10, 10)
  // The bottom-right handle, 10 to the right and 5 down: 40 x 25.
  Drag(window_->OnScreen(40, 31), window_->OnScreen(50, 36));
  // From inside the frame the whole selection moves: to (15, 13).
  Drag(window_->OnScreen(20, 20), window_->OnScreen(25, 23));
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  Key(VK_DOWN);
  Key(VK_RETURN);
  Pump(400);
  Bitmap expected(40, 25);
  expected.CopyFrom(picture, RectOfSize(17, 14, 40, 25), 0, 0);
  EXPECT_TRUE(SamePixels(editor_->Working(), expected))
      << editor_->Working().Width() << "x" << editor_->Working().Height() << " at "
      << static_cast<int>(RedOf(editor_->Working().PixelAt(0, 0))) << ","
      << static_cast<int>(GreenOf(editor_->Working().PixelAt(0, 0)));
}

TEST_F(Editor, APressOnTheViewDropsTheSelectionAndOneBesideItDoesNot) {
  Deliver(Numbered(100, 60));
  SetForegroundWindow(editor_->Handle());
  window_->Tool(L"Crop");
  Drag(window_->OnScreen(10, 10), window_->OnScreen(40, 30));
  // Beside the view, on PnlMain's background: only the focus moves.
  MouseTo(window_->OnScreen(300, 200));
  MouseButton(true);
  MouseButton(false);
  DoubleClick(window_->OnScreen(25, 20));
  Pump(400);
  EXPECT_EQ(editor_->Working().Width(), 30) << "the selection was still there";

  window_->Tool(L"Crop");
  Drag(window_->OnScreen(2, 2), window_->OnScreen(12, 12));
  MouseTo(window_->OnScreen(20, 20));  // on the view, outside the frame
  MouseButton(true);
  MouseButton(false);
  Key(VK_RETURN);
  Pump(400);
  EXPECT_EQ(editor_->Working().Width(), 30) << "dropped: nothing more was cut";
  EXPECT_EQ(editor_->History().Top(), 1);
}

TEST_F(Editor, ARightPressWhileArmedDrawsNothingAndArmingTwiceDisarms) {
  Deliver(Numbered(100, 50));
  SetForegroundWindow(editor_->Handle());
  window_->Tool(L"Crop");
  const POINT at = window_->OnScreen(30, 20);
  MouseTo(at);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(2, in, sizeof(INPUT));
  Pump(100);
  EXPECT_TRUE(window_->ToolDown(L"Crop")) << "still armed";
  window_->Menu(L"&Edit", L"Crop");
  EXPECT_FALSE(window_->ToolDown(L"Crop"));
}

TEST_F(Editor, ThreeCommandsUndoneAndRedoneThroughTheWindow) {
  const Bitmap base = Numbered(60, 40);
  Deliver(base);
  for (int i = 0; i < 3; ++i) editor_->RunImageCommand([](ImageView& view) { FlipHorizontal(view); }, false);
  EXPECT_TRUE(window_->MenuEnabled(L"&Edit", L"&Undo"));
  EXPECT_FALSE(window_->MenuEnabled(L"&Edit", L"&Repeat..."));
  for (int i = 0; i < 3; ++i) window_->Menu(L"&Edit", L"&Undo");
  EXPECT_TRUE(SamePixels(editor_->Working(), base));
  EXPECT_FALSE(window_->MenuEnabled(L"&Edit", L"&Undo"));
  for (int i = 0; i < 3; ++i) window_->Menu(L"&Edit", L"&Repeat...");
  EXPECT_FALSE(window_->MenuEnabled(L"&Edit", L"&Repeat..."));
  EXPECT_EQ(editor_->History().Position(), 3);
  EXPECT_FALSE(SamePixels(editor_->Working(), base)) << "an odd number of flips";
}

// --- the ways out -------------------------------------------------------------

TEST_F(Editor, CopyToClipboardPutsTheFullPictureThereWhateverTheZoom) {
  const Bitmap base = Numbered(120, 90);
  Deliver(base);
  for (int step = 0; step < 5; ++step) editor_->RunCommand(EditorCommand::ZoomOut);
  ASSERT_EQ(editor_->Zoom().Tenths(), 5);
  editor_->RunCommand(EditorCommand::CopyToClipboard);
  const std::optional<Bitmap> copied = win::ClipboardBitmap(nullptr);
  ASSERT_TRUE(copied);
  EXPECT_TRUE(SamePixels(*copied, base));
  EXPECT_EQ(editor_->History().Top(), 0) << "no snapshot";
}

// The page as a printer at `dpi` would get it, drawn into a bitmap: the
// picture lands scaled, top row first, where the layout says, and the
// footer's text is on the page below it.
struct PrintedPage {
  Bitmap page;
  PrintLayout layout;
};

PrintedPage PrintOnto(int width, int height, int dpi, const Bitmap& picture) {
  win::DibCanvas canvas(width, height, PixelFormat::Bgr24);
  PatBlt(canvas.Dc(), 0, 0, width, height, WHITENESS);
  const PrintDevice device{width, height, dpi, dpi, 96};
  PrintedPage printed{Bitmap::ForOverwrite(width, height, PixelFormat::Bgr24), {}};
  printed.layout = DrawPrintPage(canvas.Dc(), device, picture, L"2/1/27  9:05");
  GdiFlush();
  canvas.Section().CopyTo(printed.page);
  return printed;
}

bool InkBetween(const Bitmap& page, std::int32_t top, std::int32_t bottom) {
  for (std::int32_t y = std::max(top, 0); y < std::min(bottom, page.Height()); ++y)
    for (std::int32_t x = 0; x < page.Width(); ++x)
      if (page.PixelAt(x, y) != MakeColour(255, 255, 255)) return true;
  return false;
}

TEST(PrintPage, ThePictureLandsScaledUprightAndCentredAboveTheFooter) {
  const Bitmap picture = Numbered(200, 150);
  const PrintedPage printed = PrintOnto(1200, 1600, 192, picture);
  const PrintLayout& at = printed.layout;
  EXPECT_EQ(at.width, 400);
  EXPECT_EQ(at.height, 300);
  EXPECT_EQ(at.left, (1200 - 400) / 2);
  // Each picture pixel is a 2 x 2 block; its centre shows that pixel.
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{199, 0}, std::pair{0, 149}, std::pair{123, 77}})
    EXPECT_EQ(printed.page.PixelAt(at.left + 2 * x + 1, at.top + 2 * y + 1), picture.PixelAt(x, y)) << x << "," << y;
  EXPECT_FALSE(InkBetween(printed.page, 0, at.top)) << "nothing above the picture";
  EXPECT_FALSE(InkBetween(printed.page, at.top + at.height, at.footerY)) << "nothing between picture and footer";
  EXPECT_TRUE(InkBetween(printed.page, at.footerY, 1600)) << "the footer is printed";
  EXPECT_GT(at.footerY, at.top + at.height);
}

TEST(PrintPage, AScreenshotWiderThanThePageIsShrunkOntoIt) {
  // Red on the left half, blue on the right, so the shrunk page shows
  // which side went where.
  Bitmap wide(1920, 200);
  wide.Fill(MakeColour(255, 0, 0));
  for (std::int32_t y = 0; y < 200; ++y)
    for (std::int32_t x = 960; x < 1920; ++x) wide.SetPixelAt(x, y, MakeColour(0, 0, 255));
  const PrintedPage printed = PrintOnto(1200, 1600, 600, wide);
  const PrintLayout& at = printed.layout;
  EXPECT_LE(at.left + at.width, 1200);
  EXPECT_GE(at.left, 0);
  EXPECT_NEAR(static_cast<double>(at.width) / at.height, 1920.0 / 200.0, 0.1);
  EXPECT_EQ(printed.page.PixelAt(at.left + 2, at.top + 2), MakeColour(255, 0, 0));
  EXPECT_EQ(printed.page.PixelAt(at.left + at.width - 3, at.top + at.height - 3), MakeColour(0, 0, 255));
  EXPECT_TRUE(InkBetween(printed.page, at.footerY, 1600));
}

std::wstring DesktopValue(const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, L"control panel\\desktop", name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return L"(missing)";
  return value;
}

TEST_F(Editor, EachWallpaperStyleWritesItsValuesAndTheBitmapInTheUsersOwnFolder) {
  const Bitmap base = Numbered(64, 48);
  Deliver(base);
  const struct {
    EditorCommand command;
    const wchar_t* tile;
    const wchar_t* style;
  } styles[] = {{EditorCommand::WallpaperTile, L"1", L"0"},
                {EditorCommand::WallpaperStretch, L"0", L"2"},
                {EditorCommand::WallpaperCenter, L"0", L"0"}};
  for (const auto& style : styles) {
    editor_->RunCommand(style.command);
    EXPECT_EQ(DesktopValue(L"TileWallpaper"), style.tile);
    EXPECT_EQ(DesktopValue(L"WallpaperStyle"), style.style);
    const std::wstring path = DesktopValue(L"wallpaper");
    EXPECT_NE(path.find(L"\\Brisko Capture\\Brisko.bmp"), std::wstring::npos) << win::Narrow(path);
    EXPECT_TRUE(SamePixels(ReadBmpFile(fs::path(path)), base));
  }
}

// Runs `check` on the full-screen view once it shows, then closes it as a
// user would, with `close`.
void WhenFullScreenShows(const std::function<void(HWND)>& check) {
  static std::function<void(HWND)> pending;
  pending = check;
  SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND view = FindWindowW(L"TFrmFullScreen", nullptr);
    if (!view || !IsWindowVisible(view)) return;
    KillTimer(nullptr, id);
    pending(view);
  });
}

TEST_F(Editor, FullScreenShowsTheBaseFileOverTheScreenAndALeftClickClosesIt) {
  Deliver(Numbered(100, 80));
  bool seen = false;
  WhenFullScreenShows([&](HWND view) {
    seen = true;
    RECT r{};
    GetWindowRect(view, &r);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetWindowLongPtrW(view, GWL_STYLE) & WS_CAPTION, 0) << "borderless";
    PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  });
  editor_->RunCommand(EditorCommand::FullScreen);  // returns once it closed
  EXPECT_TRUE(seen);
  EXPECT_FALSE(IsWindowVisible(FindWindowW(L"TFrmFullScreen", nullptr)));
}

TEST_F(Editor, RestoreAtThreeHundredPercentKeepsTheHistory) {
  const Bitmap base = Numbered(60, 40);
  Deliver(base);
  editor_->RunImageCommand([](ImageView& view) { Rotate90(view); }, true);
  EXPECT_EQ(window_->Status(0), "W, H = 40X60");
  window_->Tool(L"Zoom In");
  window_->Tool(L"Zoom In");
  window_->Menu(L"&Edit", L"Restore");
  EXPECT_TRUE(SamePixels(editor_->Working(), base));
  EXPECT_EQ(window_->Status(1), "100%");
  EXPECT_FALSE(window_->ToolEnabled(L"Actual"));
  EXPECT_EQ(editor_->History().Position(), 1);
  EXPECT_TRUE(window_->ToolEnabled(L"Undo"));
  editor_->RunImageCommand([](ImageView& view) { FlipVertical(view); }, false);
  EXPECT_EQ(editor_->History().Top(), 2) << "the restored image is snapshotted as usual";
}

TEST_F(Editor, ASnapshotTheDiskRefusesShowsTheErrorAndKeepsTheHistory) {
  const Bitmap base = Numbered(60, 40);
  Deliver(base);
  fs::create_directory(PathFromUtf8(base_ + "1"));
  {
    test::MessageBoxWatcher watcher(L"Brisko Capture");
    win::RunGuarded([&] { editor_->RunImageCommand([](ImageView& view) { FlipHorizontal(view); }, false); });
    EXPECT_TRUE(watcher.Found()) << "the error box";
  }
  EXPECT_EQ(editor_->History().Top(), 0);
  EXPECT_FALSE(window_->ToolEnabled(L"Undo"));
  EXPECT_TRUE(SamePixels(editor_->Working(), base));
  fs::remove(PathFromUtf8(base_ + "1"));
  editor_->RunImageCommand([](ImageView& view) { FlipHorizontal(view); }, false);
  EXPECT_EQ(editor_->History().Top(), 1);
  window_->Tool(L"Undo");
  EXPECT_TRUE(SamePixels(editor_->Working(), base));
}

TEST_F(Editor, AnImageDeliveredWhileVisibleReplacesTheOneInView) {
  Deliver(Bitmap(100, 50));
  editor_->RunImageCommand([](ImageView& view) { FlipHorizontal(view); }, false);
  window_->Tool(L"Zoom In");
  Deliver(Bitmap(30, 20));
  EXPECT_EQ(window_->Status(0), "W, H = 30X20");
  EXPECT_EQ(window_->Status(1), "100%");
  EXPECT_FALSE(window_->ToolEnabled(L"Undo")) << "a fresh history";
}

TEST_F(Editor, ABaseFileThatCannotBeReadIsReportedAndTheViewStaysEmpty) {
  fs::remove(PathFromUtf8(base_));
  test::MessageBoxWatcher watcher(L"Brisko Capture");
  editor_->ShowCapture(base_);
  Pump();
  EXPECT_TRUE(watcher.Found());
  EXPECT_EQ(window_->Status(0), "W, H = 0X0");
}

TEST_F(Editor, OpeningAJpegLeavesItOnTheClipboardAndNamesItInTheStatusBar) {
  const std::string jpeg = TempFolder() + "brisko-editor-open.jpg";
  SaveParameters jpg;
  jpg.format = ImageFormat::Jpeg;
  WriteImageFile(Numbered(64, 48), jpg, PathFromUtf8(jpeg));
  ASSERT_TRUE(editor_->OpenPictureFile(jpeg));
  const std::optional<Bitmap> clipboard = win::ClipboardBitmap(nullptr);
  ASSERT_TRUE(clipboard);
  EXPECT_EQ(clipboard->Width(), 64);
  EXPECT_EQ(ReadBmpFile(PathFromUtf8(base_)).Height(), 48) << "the base file is a BMP of it";
  editor_->ShowBaseFile();
  Pump();
  EXPECT_EQ(window_->Status(2), jpeg);
  EXPECT_EQ(window_->Status(0), "W, H = 64X48");
  fs::remove(PathFromUtf8(jpeg));
}

TEST_F(Editor, PngAndTiffOpenAsWellWhenTyped) {
  for (const auto& [name, format] : {std::pair{"brisko-editor-open.png", ImageFormat::Png},
                                     std::pair{"brisko-editor-open.tif", ImageFormat::Tiff}}) {
    const std::string path = TempFolder() + name;
    SaveParameters p;
    p.format = format;
    WriteImageFile(Numbered(20, 10), p, PathFromUtf8(path));
    EXPECT_TRUE(editor_->OpenPictureFile(path)) << name;
    EXPECT_TRUE(SamePixels(ReadBmpFile(PathFromUtf8(base_)), Numbered(20, 10))) << name;
    fs::remove(PathFromUtf8(path));
  }
}

std::vector<std::uint8_t> BytesOf(const std::string& path) { return ReadFileBytes(PathFromUtf8(path)); }

TEST_F(Editor, FilesThatCannotBeDecodedChangeNothing) {
  WriteBmpFile(Bitmap(7, 7), PathFromUtf8(base_));
  const std::string good = TempFolder() + "brisko-editor-good.bmp";
  WriteBmpFile(Bitmap(9, 9), PathFromUtf8(good));
  ASSERT_TRUE(editor_->OpenPictureFile(good));
  const auto before = BytesOf(base_);

  // A JPEG cut short, a BMP that declares 100000 x 100000 pixels, a name
  // that is no picture.
  const std::string truncated = TempFolder() + "brisko-editor-short.jpg";
  {
    SaveParameters jpg;
    jpg.format = ImageFormat::Jpeg;
    MemorySink sink;
    WriteImage(Numbered(64, 64), jpg, sink);
    std::vector<std::uint8_t> bytes = sink.Take();
    bytes.resize(bytes.size() / 3);
    WriteFileAtomically(PathFromUtf8(truncated), bytes);
  }
  const std::string enormous = TempFolder() + "brisko-editor-huge.bmp";
  {
    MemorySink sink;
    WriteBmp(Bitmap(2, 2), sink);
    std::vector<std::uint8_t> bytes = sink.Take();
    const std::int32_t side = 100000;
    std::memcpy(bytes.data() + 18, &side, 4);
    std::memcpy(bytes.data() + 22, &side, 4);
    WriteFileAtomically(PathFromUtf8(enormous), bytes);
  }
  const std::string text = TempFolder() + "brisko-editor-notes.txt";
  std::ofstream(PathFromUtf8(text)) << "no picture";
  for (const std::string& bad : {truncated, enormous, text, TempFolder() + "brisko-no-such-file.gif"}) {
    EXPECT_FALSE(editor_->OpenPictureFile(bad)) << bad;
    EXPECT_EQ(BytesOf(base_), before) << bad;
    EXPECT_EQ(editor_->DocumentFile(), good) << "the previous name stays";
  }
  for (const std::string& f : {good, truncated, enormous, text}) fs::remove(PathFromUtf8(f));
}

TEST_F(Editor, PastingWithoutABitmapOnTheClipboardLeavesTheBaseFileAlone) {
  WriteBmpFile(Bitmap(7, 7), PathFromUtf8(base_));
  const auto before = BytesOf(base_);
  win::SetClipboardText(editor_->Handle(), "just text");
  EXPECT_FALSE(editor_->PasteFromClipboard());
  EXPECT_EQ(BytesOf(base_), before);

  win::SetClipboardBitmap(editor_->Handle(), Numbered(33, 22));
  EXPECT_TRUE(editor_->PasteFromClipboard());
  EXPECT_TRUE(SamePixels(ReadBmpFile(PathFromUtf8(base_)), Numbered(33, 22)));
}

TEST_F(Editor, ClosingHidesItForgetsTheFileNameAndBringsTheMainWindowBack) {
  const std::string file = TempFolder() + "brisko-editor-close.bmp";
  WriteBmpFile(Bitmap(9, 9), PathFromUtf8(file));
  ASSERT_TRUE(editor_->OpenPictureFile(file));
  editor_->ShowBaseFile();
  Pump();
  window_->Tool(L"Close (File)");
  EXPECT_FALSE(editor_->Visible());
  EXPECT_EQ(editor_->DocumentFile(), "");
  EXPECT_EQ(host_.mainShown, 1);
  fs::remove(PathFromUtf8(file));
}

TEST_F(Editor, ShowToolsHidesTheToolBarAndGivesItsRoomToTheImage) {
  Deliver(Bitmap(100, 50));
  RECT before{};
  GetWindowRect(window_->ScrollBox(), &before);
  window_->Menu(L"&View", L"Show Tools");
  RECT after{};
  GetWindowRect(window_->ScrollBox(), &after);
  EXPECT_LT(after.top, before.top);
  EXPECT_EQ(
      GetMenuState(GetMenu(editor_->Handle()), window_->MenuId(L"&View", L"Show Tools"), MF_BYCOMMAND) & MF_CHECKED,
      0u);
}

TEST_F(Editor, MovingToADoubleDpiMonitorDoublesTheToolIcons) {
  Deliver(Bitmap(100, 50));
  EXPECT_EQ(window_->ToolIconSize(), 24);
  EXPECT_EQ(ImageList_GetImageCount(window_->ToolImages()), 9);
  RECT r{};
  GetWindowRect(editor_->Handle(), &r);
  const RECT suggested{r.left, r.top, r.left + 1600, r.top + 1200};
  SendMessageW(editor_->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(window_->ToolIconSize(), 48);
  EXPECT_EQ(ImageList_GetImageCount(window_->ToolImages()), 9) << "one icon for each button";
  EXPECT_EQ(window_->ToolCaptions().size(), 12u) << "the buttons stay as they were";
  const RECT back{r.left, r.top, r.right, r.bottom};
  SendMessageW(editor_->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
  EXPECT_EQ(window_->ToolIconSize(), 24);
}

}  // namespace
}  // namespace brisko
