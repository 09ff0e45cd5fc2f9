#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Geometry.h"
#include "widgets/Control.h"
#include "widgets/Form.h"
#include "widgets/Handles.h"
#include "widgets/Panel.h"

namespace brisko {

enum class InfoPage { Scroll, Menu, Windows };

// The small hint window that accompanies window picking, auto-scroll and
// menu capture. It sits at the bottom right of the work area and jumps to
// the top left corner (and back) when the pointer reaches it, so it never
// stays under the pointer. It shows without taking the focus, so keys keep
// going to the overlay and open menus stay open.
class TFrmShowInfo : public win::Form {
 public:
  static constexpr int kClientWidth = 170;
  static constexpr int kClientHeight = 129;

  TFrmShowInfo();

  // At home, on the page, above every other topmost window.
  void ShowPage(InfoPage page);
  InfoPage Page() const { return page_; }
  // To the other corner: home, or (0, 0).
  void PnlWindowsMouseMove();
  // Whether the window is this one or one of the controls whose pointer
  // moves make it jump (the outer panel, the inner panel, the page).
  bool IsJumpArea(HWND window) const;

  // The countdown of the menu page: the digit and its shadow.
  const std::string& LblNum1() const { return countdown_; }
  void SetCountdown(const std::string& digit);

 private:
  void FormShow();
  void SelectPage(InfoPage page);
  // The bottom right corner of the work area.
  Point Home() const;
  void MoveTo(Point to);
  void PaintMenuPage(HDC dc, const RECT& area);
  win::Panel& AddPage(const char* const* texts, int count);

  InfoPage page_ = InfoPage::Windows;
  std::string countdown_ = "5";
  win::ScopedFont textFont_;
  win::ScopedFont captionFont_;
  win::ScopedFont digitFont_;
  std::unique_ptr<win::Panel> PnlWindows;
  std::unique_ptr<win::Panel> Panel2;
  std::unique_ptr<win::Panel> Notebook1;
  std::vector<std::unique_ptr<win::Panel>> pages_;
  std::vector<std::unique_ptr<win::Label>> texts_;
};

}  // namespace brisko
