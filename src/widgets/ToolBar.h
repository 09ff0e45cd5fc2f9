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

  // Gives a button's icon at a size in pixels.
  using IconSource = std::function<ScopedIcon(int pixels)>;
  // Adds a button and returns its id. The tool bar asks `icon` for the
  // size it needs, and again whenever the window's DPI changes.
  int AddButton(std::string_view caption, IconSource icon, std::function<void()> onClick, bool check = false);
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
  // Makes both image lists anew at the current size from the buttons' icons.
  void LoadImages();
  void AddImages(HICON icon);

  struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ImageList_Destroy(h); }
  };
  UniqueHandle<ImageListTraits> images_;
  UniqueHandle<ImageListTraits> disabledImages_;
  int buttonHeight_;
  int iconSize_;
  std::vector<IconSource> icons_;  // in the order of the buttons' images
  std::vector<std::wstring> captions_;
  std::vector<std::function<void()>> handlers_;  // by id - kFirstId
};

}  // namespace brisko::win
