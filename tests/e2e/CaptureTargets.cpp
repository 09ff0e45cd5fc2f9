// Windows for the whole-program capture tests to capture: a scrolling
// window and a list box whose every pixel row has a decodable colour (see
// RowColours.h), a window of buttons and a group box for window picking, and
// a window with menus for menu capture.
//
//   CaptureTargets.exe <scroll|list|dialog|menu|selfcheck> [options]
//
// Each kind shows one top-level window with a fixed caption, so a test finds
// it by caption. The program ends when its window closes, or after
// --exit-after milliseconds (exit code 3) so that a failed test never leaves
// it running. Exit code 2: a bad command line.
#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RowColours.h"

namespace brisko::e2e {
namespace {

constexpr int kExitCodeBadArguments = 2;
constexpr int kExitCodeTimedOut = 3;
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Options {
  std::string kind;
  int x = 100;
  int y = 100;
  int w = 400;
  int h = 420;
  int rows = 125;
  int pageDelta = 0;
  int stopAt = -1;
  int destroyAfter = 0;
  int exitAfter = 60000;
  // Stops handling messages this many ms after the start, as a hung
  // program does; -1: never.
  int hangAfter = -1;
  bool ignoreVScroll = false;
  bool zeroChild = false;
  bool noRange = false;
  std::optional<POINT> popupAt;
};

// ---------------------------------------------------------------- arguments

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<POINT> ParsePoint(std::string_view text) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto x = ParseInt(text.substr(0, comma));
  const auto y = ParseInt(text.substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return POINT{*x, *y};
}

bool ApplyFlag(Options& options, std::string_view name) {
  static constexpr std::pair<std::string_view, bool Options::*> kFlags[] = {
      {"--ignore-vscroll", &Options::ignoreVScroll},
      {"--zero-child", &Options::zeroChild},
      {"--no-range", &Options::noRange},
  };
  for (const auto& [flag, field] : kFlags) {
    if (flag != name) continue;
    options.*field = true;
    return true;
  }
  return false;
}

bool ApplyValue(Options& options, std::string_view name, std::string_view value) {
  static constexpr std::pair<std::string_view, int Options::*> kNumbers[] = {
      {"--x", &Options::x},
      {"--y", &Options::y},
      {"--w", &Options::w},
      {"--h", &Options::h},
      {"--rows", &Options::rows},
      {"--page-delta", &Options::pageDelta},
      {"--stop-at", &Options::stopAt},
      {"--destroy-after", &Options::destroyAfter},
      {"--exit-after", &Options::exitAfter},
      {"--hang-after", &Options::hangAfter},
  };
  if (name == "--popup-at") {
    options.popupAt = ParsePoint(value);
    return options.popupAt.has_value();
  }
  for (const auto& [option, field] : kNumbers) {
    if (option != name) continue;
    const auto number = ParseInt(value);
    if (number) options.*field = *number;
    return number.has_value();
  }
  return false;
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  Options options;
  options.kind = argv[1];
  for (int i = 2; i < argc; ++i) {
    if (ApplyFlag(options, argv[i])) continue;
    if (i + 1 >= argc || !ApplyValue(options, argv[i], argv[i + 1])) {
      std::fprintf(stderr, "CaptureTargets: bad option %s\n", argv[i]);
      return std::nullopt;
    }
    ++i;
  }
  options.rows = std::clamp(options.rows, 0, kMaxItems);
  return options;
}

// ---------------------------------------------------------------- GDI handles

struct DcReleaser {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcReleaser>;

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

struct ObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using GdiObject = std::unique_ptr<void, ObjectDeleter>;

struct MenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, old_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A 32-bit top-down DIB header one pixel wide: content rows are painted as
// one column stretched across the width.
BITMAPINFO ColumnHeader(int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 1;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

std::uint32_t PackedRowColour(int contentRow, int contentEnd) {
  if (contentRow < 0 || contentRow >= contentEnd) return 0x00FFFFFF;
  const RowColour c = RowColourOf(contentRow);
  return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

// Fills `area` with content rows from `firstRow` down; rows at or past
// `contentEnd` are white.
void PaintContentRows(HDC dc, const RECT& area, int firstRow, int contentEnd) {
  const int height = area.bottom - area.top;
  const int width = area.right - area.left;
  if (height <= 0 || width <= 0) return;
  std::vector<std::uint32_t> column(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) column[static_cast<std::size_t>(y)] = PackedRowColour(firstRow + y, contentEnd);
  const BITMAPINFO info = ColumnHeader(height);
  StretchDIBits(dc, area.left, area.top, width, height, 0, 0, 1, height, column.data(), &info, DIB_RGB_COLORS,
                SRCCOPY);
}

// ---------------------------------------------------------------- windows

// A top-level window of ours: the object lives behind GWLP_USERDATA from
// WM_NCCREATE on, and its window closing ends the program.
class TargetWindow {
 public:
  virtual ~TargetWindow() = default;

  bool Create(const wchar_t* caption, DWORD style, const Options& options, HBRUSH background) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = L"BriskoCaptureTarget";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, caption, style, options.x, options.y, options.w, options.h, nullptr,
                           MenuBar(), wc.hInstance, this) != nullptr;
  }

  void Show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);
    AfterShow();
  }

 protected:
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
  virtual HMENU MenuBar() { return nullptr; }
  virtual void AfterShow() {}

  HWND CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, int id, RECT place) {
    HWND child = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
  }

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<TargetWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_DESTROY) PostQuitMessage(0);
    return self->OnMessage(message, wParam, lParam);
  }
};

int ClientHeight(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  return client.bottom;
}

// "Targets Scroll": content rows drawn straight into the client area, one
// scroll unit per 16-pixel item. Every change of position repaints before
// the WM_VSCROLL handler returns, so a sender of WM_VSCROLL finds the new
// content drawn once SendMessage is back.
class ScrollTarget final : public TargetWindow {
 public:
  explicit ScrollTarget(const Options& options) : options_(options) {}

 private:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        OnCreate();
        return 0;
      case WM_SIZE:
        OnSize();
        return 0;
      case WM_VSCROLL:
        if (!options_.ignoreVScroll) OnVScroll(LOWORD(wParam), HIWORD(wParam));
        return 0;
      case WM_MOUSEWHEEL:
        ScrollTo(position_ - 3 * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        Paint();
        return 0;
      default:
        return TargetWindow::OnMessage(message, wParam, lParam);
    }
  }

  void OnCreate() {
    if (options_.zeroChild) CreateChild(L"STATIC", L"", 0, 200, RECT{10, 10, 10, 10});
    PublishScrollInfo();
  }

  void OnSize() {
    position_ = Clamped(position_);
    PublishScrollInfo();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void OnVScroll(int code, int track) {
    switch (code) {
      case SB_TOP: ScrollTo(0); break;
      case SB_BOTTOM: ScrollTo(MaxPosition()); break;
      case SB_LINEUP: ScrollTo(position_ - 1); break;
      case SB_LINEDOWN: LineDown(); break;
      case SB_PAGEUP: ScrollTo(position_ - TruePage()); break;
      case SB_PAGEDOWN: ScrollTo(position_ + TruePage()); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: ScrollTo(track); break;
      default: break;
    }
  }

  // --destroy-after K: the K-th line-down does not scroll; the window goes
  // away instead, as a page closed in the middle of a capture would.
  void LineDown() {
    if (options_.destroyAfter > 0 && ++lineDowns_ == options_.destroyAfter) {
      DestroyWindow(hwnd_);
      return;
    }
    ScrollTo(position_ + 1);
  }

  int TruePage() const { return std::max(1, ClientHeight(hwnd_) / kItemHeight); }

  int MaxPosition() const {
    if (options_.noRange) return 0;
    const int last = std::max(0, options_.rows - TruePage());
    return options_.stopAt >= 0 ? std::min(last, options_.stopAt) : last;
  }

  int Clamped(int position) const { return std::clamp(position, 0, MaxPosition()); }

  void ScrollTo(int wanted) {
    const int position = Clamped(wanted);
    if (position == position_) return;
    position_ = position;
    PublishScrollInfo();
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
  }

  // With --page-delta the page reported is off by D, and so is the maximum,
  // so that the range still ends at the last line (the system clamps the
  // position to nMax - nPage + 1).
  void PublishScrollInfo() {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!options_.noRange) {
      info.nMax = std::max(0, options_.rows - 1 + options_.pageDelta);
      info.nPage = static_cast<UINT>(std::max(0, TruePage() + options_.pageDelta));
      info.nPos = position_;
    }
    SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
  }

  void Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    PaintContentRows(dc, paint.rcPaint, position_ * kItemHeight + paint.rcPaint.top, options_.rows * kItemHeight);
    EndPaint(hwnd_, &paint);
  }

  Options options_;
  int position_ = 0;
  int lineDowns_ = 0;
};

// "Targets List": an owner-drawn list box filling the client area, its items
// painted in content rows, so the system's own list box scrolling is what a
// capture sees.
class ListTarget final : public TargetWindow {
 public:
  explicit ListTarget(const Options& options) : options_(options) {}

 private:
  static constexpr int kListId = 100;

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        OnCreate();
        return 0;
      case WM_SIZE:
        MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
      case WM_SETFOCUS:
        SetFocus(list_);
        return 0;
      case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kItemHeight;
        return TRUE;
      case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      default:
        return TargetWindow::OnMessage(message, wParam, lParam);
    }
  }

  void OnCreate() {
    list_ = CreateChild(L"LISTBOX", nullptr,
                        WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, kListId, RECT{});
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_INITSTORAGE, static_cast<WPARAM>(options_.rows), 0);
    for (int item = 0; item < options_.rows; ++item) SendMessageW(list_, LB_ADDSTRING, 0, item);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  }

  // Selection and focus change nothing: a clicked item keeps its colours.
  void DrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1) || !(item.itemAction & ODA_DRAWENTIRE)) return;
    const int first = static_cast<int>(item.itemID) * kItemHeight;
    PaintContentRows(item.hDC, item.rcItem, first, options_.rows * kItemHeight);
  }

  Options options_;
  HWND list_ = nullptr;
};

// "Targets Dialog": push buttons for window picking, and a group box "Frame"
// around a button "Inner". The group box is created before "Inner", and a
// child created earlier lies higher in the stacking order: the group box is
// above "Inner", so only a picker that passes over group boxes (as
// WindowFromPoint does) finds "Inner" under the pointer. "Inner" has no
// WS_CLIPSIBLINGS, or the group box above it would clip it away entirely.
class DialogTarget final : public TargetWindow {
 private:
  struct Control {
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    int id;
    RECT place;
  };

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) {
      CreateControls();
      return 0;
    }
    return TargetWindow::OnMessage(message, wParam, lParam);
  }

  void CreateControls() {
    static const Control kControls[] = {
        {L"BUTTON", L"One", BS_PUSHBUTTON, 101, {20, 20, 120, 50}},
        {L"BUTTON", L"Two", BS_PUSHBUTTON, 102, {20, 70, 120, 100}},
        {L"BUTTON", L"Three", BS_PUSHBUTTON, 103, {20, 120, 120, 150}},
        {L"BUTTON", L"Frame", BS_GROUPBOX, 104, {160, 20, 360, 180}},
        {L"BUTTON", L"Inner", BS_PUSHBUTTON, 105, {200, 80, 300, 110}},
    };
    for (const Control& c : kControls) CreateChild(c.className, c.text, c.style, c.id, c.place);
  }
};

// "Targets Menu": a menu bar with a submenu, and with --popup-at a context
// menu the program opens by itself at a screen point, away from the pointer.
class MenuTarget final : public TargetWindow {
 public:
  explicit MenuTarget(const Options& options) : options_(options) {}

 private:
  static constexpr UINT kShowPopup = WM_APP + 1;

  struct Item {
    const wchar_t* text;
    UINT id;
  };

  static HMENU PopupOf(std::initializer_list<Item> items) {
    HMENU popup = CreatePopupMenu();
    for (const Item& item : items) AppendMenuW(popup, MF_STRING, item.id, item.text);
    return popup;
  }

  HMENU MenuBar() override {
    HMENU more = PopupOf({{L"Gamma", 1003}, {L"Delta", 1004}, {L"Epsilon", 1005}});
    HMENU file = PopupOf({{L"Alpha", 1001}, {L"Beta", 1002}});
    AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(more), L"More");
    HMENU edit = PopupOf({{L"Cut", 2001}, {L"Copy", 2002}});
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    return bar;
  }

  void AfterShow() override {
    if (options_.popupAt) PostMessageW(hwnd_, kShowPopup, 0, 0);
  }

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kShowPopup) {
      ShowPopup(*options_.popupAt);
      return 0;
    }
    return TargetWindow::OnMessage(message, wParam, lParam);
  }

  void ShowPopup(POINT at) {
    const Menu popup(PopupOf({{L"Open", 3001}, {L"Rename", 3002}, {L"Delete", 3003}}));
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(popup.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  }

  Options options_;
};

struct Kind {
  std::string_view name;
  const wchar_t* caption;
  DWORD style;
  std::unique_ptr<TargetWindow> (*make)(const Options&);
};

const Kind kKinds[] = {
    {"scroll", L"Targets Scroll", WS_OVERLAPPEDWINDOW | WS_VSCROLL,
     [](const Options& o) -> std::unique_ptr<TargetWindow> { return std::make_unique<ScrollTarget>(o); }},
    {"list", L"Targets List", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
     [](const Options& o) -> std::unique_ptr<TargetWindow> { return std::make_unique<ListTarget>(o); }},
    // Without WS_CLIPCHILDREN, as dialogs are: the group box draws only its
    // frame, and the parent's background shows through inside it.
    {"dialog", L"Targets Dialog", WS_OVERLAPPEDWINDOW,
     [](const Options&) -> std::unique_ptr<TargetWindow> { return std::make_unique<DialogTarget>(); }},
    {"menu", L"Targets Menu", WS_OVERLAPPEDWINDOW,
     [](const Options& o) -> std::unique_ptr<TargetWindow> { return std::make_unique<MenuTarget>(o); }},
};

const Kind* FindKind(std::string_view name) {
  for (const Kind& kind : kKinds)
    if (kind.name == name) return &kind;
  return nullptr;
}

int RunMessageLoop(int hangAfter) {
  const ULONGLONG hangAt = hangAfter < 0 ? ~0ULL : GetTickCount64() + static_cast<ULONGLONG>(hangAfter);
  MSG msg;
  while (GetTickCount64() < hangAt) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      continue;
    }
    if (msg.message == WM_QUIT) return 0;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // Hung: the exit timer ends the program.
  Sleep(INFINITE);
  return 0;
}

DWORD WINAPI ExitLater(void* milliseconds) {
  Sleep(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(milliseconds)));
  ExitProcess(kExitCodeTimedOut);
}

// A thread, not a window timer: a modal menu loop must not hold the program
// up past its time.
void StartExitTimer(int milliseconds) {
  const auto wait = reinterpret_cast<void*>(static_cast<UINT_PTR>(std::max(0, milliseconds)));
  if (HANDLE thread = CreateThread(nullptr, 0, &ExitLater, wait, 0, nullptr)) CloseHandle(thread);
}

// ---------------------------------------------------------------- selfcheck
//
// Measures, from a second process as the capture program would, whether the
// content a WM_VSCROLL handler paints is on the screen when SendMessage
// returns, and reports the dialog kind's stacking order and hit tests.

class ChildProgram {
 public:
  explicit ChildProgram(const std::wstring& arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
      CloseHandle(info_.hThread);
  }
  ~ChildProgram() {
    if (!info_.hProcess) return;
    TerminateProcess(info_.hProcess, 0);
    WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hProcess);
  }
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  // The child's visible top-level window with this caption, once it shows;
  // another program's window of the same caption does not count.
  HWND WaitForWindow(const wchar_t* caption) const {
    for (int i = 0; i < 500; ++i) {
      if (HWND window = VisibleWindow(caption)) {
        Sleep(300);  // its first paint
        return window;
      }
      Sleep(20);
    }
    return nullptr;
  }

 private:
  HWND VisibleWindow(const wchar_t* caption) const {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, nullptr, caption)) != nullptr) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == info_.dwProcessId && IsWindowVisible(window)) return window;
    }
    return nullptr;
  }

  PROCESS_INFORMATION info_{};
};

// The content rows one screen column shows, read with GetDC(NULL) and BitBlt
// as a screen grab reads them.
std::vector<int> GrabColumn(POINT at, int height) {
  const ScreenDc screen(GetDC(nullptr));
  const MemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO info = ColumnHeader(height);
  void* bits = nullptr;
  const GdiObject bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return {};
  {
    const Selection selected(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, 1, height, screen.get(), at.x, at.y, SRCCOPY);
  }
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  return DecodeColumn(height, [&](int y) {
    const std::uint32_t p = pixels[y];
    return RowColour{static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                     static_cast<std::uint8_t>(p)};
  });
}

// Whether `rows` shows the content from item `position` on, row for row.
bool ShowsPosition(const std::vector<int>& rows, int position) {
  if (rows.empty()) return false;
  for (std::size_t y = 0; y < rows.size(); ++y)
    if (rows[y] != position * kItemHeight + static_cast<int>(y)) return false;
  return true;
}

// What another process learns from GetScrollInfo about the window's
// vertical scroll bar.
void ReportScrollInfo(const char* label, HWND window) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  SetLastError(0);
  const BOOL ok = GetScrollInfo(window, SB_VERT, &info);
  std::printf("%s: GetScrollInfo(SB_VERT) from another process returned %d (error %lu): min %d max %d page %u pos %d\n",
              label, ok, GetLastError(), info.nMin, info.nMax, info.nPage, info.nPos);
  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  const BOOL barOk = GetScrollBarInfo(window, OBJID_VSCROLL, &bar);
  std::printf("%s: GetScrollPos %d, GetScrollBarInfo returned %d: bar top %ld bottom %ld, thumb %d..%d\n", label,
              GetScrollPos(window, SB_VERT), barOk, bar.rcScrollBar.top, bar.rcScrollBar.bottom, bar.xyThumbTop,
              bar.xyThumbBottom);
}

void MeasureRepaint(const char* label, HWND target) {
  RECT client{};
  GetClientRect(target, &client);
  POINT column{client.right / 2, 0};
  ClientToScreen(target, &column);
  const int height = client.bottom;
  constexpr int kTrials = 50;
  constexpr int kWaits[] = {0, 2, 10, 50};
  int matches[std::size(kWaits)] = {};
  SendMessageW(target, WM_VSCROLL, SB_TOP, 0);
  Sleep(200);
  ReportScrollInfo(label, target);
  // Far from the end of the content, each line-down moves one item.
  for (int trial = 0; trial < kTrials; ++trial) {
    SendMessageW(target, WM_VSCROLL, SB_LINEDOWN, 0);
    const int position = trial + 1;
    int waited = 0;
    for (std::size_t i = 0; i < std::size(kWaits); ++i) {
      Sleep(static_cast<DWORD>(kWaits[i] - waited));
      waited = kWaits[i];
      if (ShowsPosition(GrabColumn(column, height), position)) ++matches[i];
    }
  }
  std::printf("%s (client %ldx%ld at screen %ld,%ld): new content on screen after SendMessage returned\n", label,
              client.right, client.bottom, column.x - client.right / 2, column.y);
  for (std::size_t i = 0; i < std::size(kWaits); ++i)
    std::printf("  after %3d ms: %d of %d\n", kWaits[i], matches[i], kTrials);
}

void MeasureScrollRepaint() {
  const ChildProgram child(L"scroll --x 200 --y 150 --w 400 --h 420 --rows 500 --exit-after 30000");
  if (HWND window = child.WaitForWindow(L"Targets Scroll")) MeasureRepaint("scroll", window);
}

void MeasureListRepaint() {
  const ChildProgram child(L"list --x 200 --y 150 --w 400 --h 420 --rows 500 --exit-after 30000");
  HWND window = child.WaitForWindow(L"Targets List");
  if (window) MeasureRepaint("list box", FindWindowExW(window, nullptr, L"LISTBOX", nullptr));
}

std::wstring TextOf(HWND window) {
  wchar_t text[64] = {};
  if (window) GetWindowTextW(window, text, 64);
  return text;
}

void ReportDialogHits() {
  const ChildProgram child(L"dialog --x 200 --y 150 --exit-after 30000");
  HWND dialog = child.WaitForWindow(L"Targets Dialog");
  if (!dialog) return;
  std::printf("dialog children, top of the stacking order first:");
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    std::printf(" \"%ls\"", TextOf(c).c_str());
  RECT place{};
  GetWindowRect(GetDlgItem(dialog, 105), &place);  // "Inner"
  POINT inner{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
  POINT clientPoint = inner;
  ScreenToClient(dialog, &clientPoint);
  std::printf("\nover Inner: WindowFromPoint \"%ls\", ChildWindowFromPoint \"%ls\", RealChildWindowFromPoint \"%ls\"\n",
              TextOf(WindowFromPoint(inner)).c_str(), TextOf(ChildWindowFromPoint(dialog, clientPoint)).c_str(),
              TextOf(RealChildWindowFromPoint(dialog, clientPoint)).c_str());
}

int RunSelfCheck() {
  MeasureScrollRepaint();
  MeasureListRepaint();
  ReportDialogHits();
  std::fflush(stdout);
  return 0;
}

int Run(int argc, char** argv) {
  SetProcessDPIAware();
  const auto options = ParseOptions(argc, argv);
  if (!options) return kExitCodeBadArguments;
  StartExitTimer(options->exitAfter);
  if (options->kind == "selfcheck") return RunSelfCheck();
  const Kind* kind = FindKind(options->kind);
  if (!kind) {
    std::fprintf(stderr, "CaptureTargets: unknown kind %s\n", options->kind.c_str());
    return kExitCodeBadArguments;
  }
  const auto window = kind->make(*options);
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (!window->Create(kind->caption, kind->style, *options, white)) return kExitCodeBadArguments;
  window->Show();
  return RunMessageLoop(options->hangAfter);
}

}  // namespace
}  // namespace brisko::e2e

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return brisko::e2e::Run(__argc, __argv); }
