#pragma once

#include <string>

#include "core/Bitmap.h"
#include "widgets/Form.h"
#include "widgets/Handles.h"
#include "widgets/Menu.h"

namespace brisko {

// The picture as it was delivered to the editor (its base file), centred at
// its own size over a textured background that covers the whole screen.
// A left click, or "Close" on the right button's menu, closes it.
class TFrmFullScreen : public win::Form {
 public:
  TFrmFullScreen(HWND owner, std::string fullScreenFile);

 private:
  void FormShow();
  void Paint(HDC dc, const RECT& area);

  std::string FullScreenFile;
  Bitmap picture_;
  win::ScopedBrush texture_;
  win::Menu popup_;
};

}  // namespace brisko
