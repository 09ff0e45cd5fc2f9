#include "editor/UnitEditPic.h"

namespace brisko {

namespace {

win::FormArgs EditorArgs() {
  win::FormArgs args;
  args.className = L"TFrmEditPic";
  args.caption = L"Brisko Capture Preview";
  args.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  args.width = 800;
  args.height = 600;
  return args;
}

}  // namespace

TFrmEditPic::TFrmEditPic(MainController& main) : win::Form(EditorArgs()), main_(main) {
  // The editor brings the main window back when it closes.
  OnClose = [this] {
    if (main_.ShowMainWindow) main_.ShowMainWindow();
  };
}

}  // namespace brisko
