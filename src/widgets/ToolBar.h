#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "widgets/Control.h"

namespace brisko::win {

// A flat tool bar (the common controls' tool bar) of buttons with an icon
// and a caption under it. Each button runs its own click handler; a check
// button stays pressed while its owner says so.
class ToolBar : public Control {
 public:
  // Buttons `buttonHeight` high (and at least as wide) at 96 DPI, with
  // `iconSize` icons; each is as wide as its caption needs.
  ToolBar(Container& parent, Bounds bounds, int buttonHeight, int iconSize);
  ~ToolBar() override;

  // Adds a button and returns its id. The icon stays the caller's.
  int AddButton(std::string_view caption, HICON icon, std::function<void()> onClick, bool check = false);
  void AddSeparator();

  void SetButtonEnabled(int id, bool enabled);
  bool ButtonEnabled(int id) const;
  void SetButtonDown(int id, bool down);
  bool ButtonDown(int id) const;
  // The height the buttons need, in pixels.
  int IdealHeight() const;

  void HandleCommandId(WORD id, WORD code) override;
  void HandleDpiChanged() override;

 private:
  void SizeButtons();

  struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ImageList_Destroy(h); }
  };
  UniqueHandle<ImageListTraits> images_;
  UniqueHandle<ImageListTraits> disabledImages_;
  int buttonHeight_;
  int iconSize_;
  std::vector<std::wstring> captions_;
  std::vector<std::function<void()>> handlers_;  // by id - kFirstId
};

}  // namespace brisko::win
