#pragma once

#include <memory>
#include <string>

#include "core/Bitmap.h"
#include "widgets/Control.h"
#include "widgets/Form.h"
#include "widgets/Panel.h"

namespace brisko {

enum class MagnifierPage { Default, HandFree, PickColor };

// The magnifier in a corner of the screen while a screenshot is frozen: the
// enlarged pixels around the pointer, its position, the size of the region
// being dragged and short instructions. It keeps out of the pointer's way
// by jumping to the other corner.
class TFrmMagnifier : public win::Form {
 public:
  // Owned by the overlay, so it stays above it.
  explicit TFrmMagnifier(HWND overlay);

  // Chooses the page without showing the window.
  void ShowPage(MagnifierPage page);
  // On the page, above the overlay, without taking the focus from it.
  void ShowOverOverlay(MagnifierPage page);
  // The view around (x, y) of the screenshot in mode 1 (region),
  // 2 (free-hand) or 3 (pick colour).
  void MagnifierRefresh(const Bitmap& screenshot, int x, int y, int mode);
  void SetSizeText(const std::string& text);
  void ShowColour(Colour c);
  // Windows keeps an owned window above its owner; Wine may raise the
  // overlay over the magnifier when the overlay gets the focus, so the
  // order is checked and mended at every pointer move.
  void KeepAbove(HWND overlay);

 private:
  void JumpToOtherCorner();
  int TextHeight(const char* text);
  void Image1MouseMove();

  Bitmap view_;
  std::unique_ptr<win::Panel> RzPanel1;
  std::unique_ptr<win::Panel> Image1;
  std::unique_ptr<win::Panel> Panel1;
  // One panel per page of the notebook.
  std::unique_ptr<win::Panel> PageDefault;
  std::unique_ptr<win::Panel> PageHandFree;
  std::unique_ptr<win::Panel> PagePickColor;
  std::vector<std::unique_ptr<win::Label>> texts_;
  win::Label* LblXY = nullptr;
  win::Label* LblWH = nullptr;
  win::Label* LblXY1 = nullptr;
  std::unique_ptr<win::Panel> pnlcolor;
  std::unique_ptr<win::Edit> EdtRed;
  std::unique_ptr<win::Edit> EdtGreen;
  std::unique_ptr<win::Edit> EdtBlue;
  Colour swatch_ = kBlack;
  win::ScopedFont textFont_;
};

}  // namespace brisko
