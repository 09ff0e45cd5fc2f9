#include "capture/UnitSelectCapture.h"

namespace brisko {

namespace {

win::FormArgs OverlayArgs() {
  win::FormArgs args;
  args.className = L"TFrmSelectCapture";
  args.caption = L"SelectCapture";
  args.style = WS_POPUP;
  args.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  args.width = 0;
  args.height = 0;
  args.centred = false;
  args.dialogKeys = false;
  return args;
}

}  // namespace

TFrmSelectCapture::TFrmSelectCapture(MainController& main) : win::Form(OverlayArgs()), main_(main) {
  OnTimer = [this](UINT_PTR id) {
    if (id == kTimer1) Timer1Timer();
  };
}

void TFrmSelectCapture::ArmStartTimer(UINT delay) { StartTimer(kTimer1, delay); }

void TFrmSelectCapture::Timer1Timer() {
  // One tick per capture: the timer is disabled before anything else runs.
  StopTimer(kTimer1);
  DispatchCapture();
}

void TFrmSelectCapture::DispatchCapture() {
  if (main_.ShowMainWindow) main_.ShowMainWindow();
}

}  // namespace brisko
