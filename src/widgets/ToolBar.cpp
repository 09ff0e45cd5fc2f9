#include "widgets/ToolBar.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "widgets/Dib.h"
#include "widgets/Text.h"

namespace brisko::win {

namespace {

constexpr int kFirstId = 100;

// The icon's own colour and alpha bytes (an icon's 32-bit colour bitmap
// holds straight, not premultiplied, alpha), grey and faded: the look of a
// button that cannot be pressed, for icons in colour.
ScopedIcon FadedIcon(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return ScopedIcon();
  ScopedBitmap colour(info.hbmColor), mask(info.hbmMask);
  if (!colour) return ScopedIcon();
  BITMAP bm{};
  GetObjectW(colour.Get(), sizeof bm, &bm);
  const int w = bm.bmWidth, h = bm.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  WindowDC screen;
  if (GetDIBits(screen.Get(), colour.Get(), 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS) != h)
    return ScopedIcon();
  const bool hasAlpha = std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) != 0; });
  if (!hasAlpha) return ScopedIcon();
  for (std::uint32_t& p : pixels) {
    const std::uint32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF, a = p >> 24;
    const std::uint32_t grey = 96 + (r * 30 + g * 59 + b * 11) / 200;
    p = grey | (grey << 8) | (grey << 16) | ((a * 45 / 100) << 24);
  }
  void* bits = nullptr;
  ScopedBitmap faded(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!faded) return ScopedIcon();
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
  ICONINFO made{TRUE, 0, 0, mask.Get(), faded.Get()};
  return ScopedIcon(CreateIconIndirect(&made));
}

}  // namespace

ToolBar::ToolBar(Container& parent, Bounds bounds, int buttonHeight, int iconSize)
    : Control(parent, ControlArgs{TOOLBARCLASSNAMEW, "",
                                  TBSTYLE_FLAT | TBSTYLE_TRANSPARENT | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                                  0, bounds}),
      buttonHeight_(buttonHeight),
      iconSize_(iconSize) {
  SendMessageW(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  LoadImages();
  SizeButtons();
}

void ToolBar::LoadImages() {
  const int size = parent_.Scale(iconSize_);
  decltype(images_) images(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 8, 8));
  decltype(disabledImages_) disabled(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 8, 8));
  // The tool bar draws with the new lists before the old ones go.
  SendMessageW(Handle(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Get()));
  SendMessageW(Handle(), TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled.Get()));
  images_ = std::move(images);
  disabledImages_ = std::move(disabled);
  for (const IconSource& icon : icons_) AddImages(icon(size).Get());
}

void ToolBar::AddImages(HICON icon) {
  ImageList_AddIcon(images_.Get(), icon);
  ScopedIcon faded = FadedIcon(icon);
  ImageList_AddIcon(disabledImages_.Get(), faded ? faded.Get() : icon);
}

ToolBar::~ToolBar() {
  // The tool bar must not draw with the lists once they are gone.
  SendMessageW(Handle(), TB_SETIMAGELIST, 0, 0);
  SendMessageW(Handle(), TB_SETDISABLEDIMAGELIST, 0, 0);
}

void ToolBar::SizeButtons() {
  const int size = parent_.Scale(iconSize_);
  SendMessageW(Handle(), TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
  const int height = parent_.Scale(buttonHeight_);
  SendMessageW(Handle(), TB_SETBUTTONWIDTH, 0, MAKELPARAM(height, parent_.Scale(120)));
  SendMessageW(Handle(), TB_SETBUTTONSIZE, 0, MAKELPARAM(height, height));
  SendMessageW(Handle(), TB_AUTOSIZE, 0, 0);
}

int ToolBar::AddButton(std::string_view caption, IconSource icon, std::function<void()> onClick, bool check) {
  const int id = kFirstId + static_cast<int>(handlers_.size());
  handlers_.push_back(std::move(onClick));
  captions_.push_back(Widen(caption));
  const int image = static_cast<int>(icons_.size());
  AddImages(icon(parent_.Scale(iconSize_)).Get());
  icons_.push_back(std::move(icon));
  TBBUTTON button{};
  button.iBitmap = image;
  button.idCommand = id;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = static_cast<BYTE>(BTNS_AUTOSIZE | (check ? BTNS_CHECK : BTNS_BUTTON));
  button.iString = reinterpret_cast<INT_PTR>(captions_.back().c_str());
  SendMessageW(Handle(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
  SendMessageW(Handle(), TB_AUTOSIZE, 0, 0);
  return id;
}

void ToolBar::AddSeparator() {
  TBBUTTON separator{};
  separator.iBitmap = parent_.Scale(8);
  separator.fsStyle = BTNS_SEP;
  SendMessageW(Handle(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&separator));
}

void ToolBar::SetButtonEnabled(int id, bool enabled) {
  SendMessageW(Handle(), TB_ENABLEBUTTON, static_cast<WPARAM>(id), MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

bool ToolBar::ButtonEnabled(int id) const {
  return SendMessageW(Handle(), TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0) != 0;
}

void ToolBar::SetButtonDown(int id, bool down) {
  SendMessageW(Handle(), TB_CHECKBUTTON, static_cast<WPARAM>(id), MAKELPARAM(down ? TRUE : FALSE, 0));
}

bool ToolBar::ButtonDown(int id) const {
  return SendMessageW(Handle(), TB_ISBUTTONCHECKED, static_cast<WPARAM>(id), 0) != 0;
}

int ToolBar::IdealHeight() const {
  const auto size = static_cast<DWORD>(SendMessageW(Handle(), TB_GETBUTTONSIZE, 0, 0));
  return HIWORD(size) + parent_.Scale(4);
}

void ToolBar::HandleCommandId(WORD id, WORD /*code*/) {
  const int index = static_cast<int>(id) - kFirstId;
  if (index < 0 || index >= static_cast<int>(handlers_.size())) return;
  if (!ButtonEnabled(id)) return;
  if (handlers_[static_cast<std::size_t>(index)]) handlers_[static_cast<std::size_t>(index)]();
}

void ToolBar::HandleDpiChanged() {
  LoadImages();
  SizeButtons();
  InvalidateRect(Handle(), nullptr, TRUE);
}

}  // namespace brisko::win
