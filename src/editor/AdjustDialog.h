#pragma once

#include <memory>
#include <string>

#include "editor/DialogModels.h"
#include "widgets/Control.h"
#include "widgets/Form.h"
#include "widgets/PicturePanel.h"

namespace brisko {

// What the editor's adjustment dialogs share: a fixed frame with only the
// system menu, "&Ok" (the default button) and "&Cancel", and the modal run
// that hands the editor what OK decided. Cancel and the close box decide
// nothing.
class AdjustDialog : public win::Form {
 public:
  // Shows the dialog modally over its owner.
  DialogResult Run();

 protected:
  struct Frame {
    const wchar_t* className;
    std::string caption;
    int width;   // client size at 96 DPI
    int height;
    HWND owner;
    // The window to centre on; null centres on the screen.
    HWND centreOn = nullptr;
  };
  explicit AdjustDialog(const Frame& frame);

  void AddOkCancel(win::Bounds ok, win::Bounds cancel);
  // What OK does with the values the dialog holds now.
  virtual DialogResult Accept() = 0;

  std::unique_ptr<win::Button> BtnOk;
  std::unique_ptr<win::Button> BtnCancel;

 private:
  void OkClick();

  HWND centreOn_;
  DialogResult result_;
};

// The "Before " and "After" previews of the colour dialogs, side by side at
// the top of the dialog.
class BeforeAfter {
 public:
  explicit BeforeAfter(win::Container& dialog);
  // The device pixels a preview may take.
  SIZE PanelArea() const { return PnlBefore.PictureArea(); }
  void ShowBoth(const PreviewPair& previews);
  // Paints After again after a change.
  void ShowAfter(const PreviewPair& previews);

 private:
  win::GroupBox GrpBefore;
  win::GroupBox GrpAfter;
  win::PicturePanel PnlBefore;
  win::PicturePanel PnlAfter;
};

}  // namespace brisko
