#include "capture/UnitPickColor.h"

namespace brisko {

namespace {

win::FormArgs PickColorArgs() {
  win::FormArgs args;
  args.className = L"TFrmPickColor";
  args.caption = L"Color Picker";
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  args.width = 360;
  args.height = 260;
  return args;
}

}  // namespace

TFrmPickColor::TFrmPickColor(MainController& main) : win::Form(PickColorArgs()), main_(main) {
  // Closing the picker ends the capture: the main window comes back.
  OnClose = [this] {
    if (main_.ShowMainWindow) main_.ShowMainWindow();
  };
}

}  // namespace brisko
