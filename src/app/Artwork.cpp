#include "app/Artwork.h"

namespace brisko {

HICON Artwork::Icon(const wchar_t* name, int logicalSize, UINT dpi) {
  const int size = MulDiv(logicalSize, static_cast<int>(dpi), 96);
  auto key = std::make_pair(std::wstring(name), size);
  auto found = icons_.find(key);
  if (found != icons_.end()) return found->second.Get();
  // The icon files hold several sizes; the loader picks the nearest.
  auto icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  HICON handle = icon;
  icons_.emplace(std::move(key), win::ScopedIcon(icon));
  return handle;
}

}  // namespace brisko
