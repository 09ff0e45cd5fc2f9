#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "widgets/Handles.h"

namespace brisko {

// The program's own icons, loaded at the size a DPI needs and kept for the
// window's lifetime.
class Artwork {
 public:
  // The icon resource `name` at `logicalSize` pixels of 96 DPI, for `dpi`.
  HICON Icon(const wchar_t* name, int logicalSize, UINT dpi);

 private:
  std::map<std::pair<std::wstring, int>, win::ScopedIcon> icons_;
};

}  // namespace brisko
