#include "capture/UnitShowInfo.h"

#include "capture/OwnWindows.h"

namespace brisko {

namespace {

win::FormArgs InfoArgs() {
  win::FormArgs args;
  args.className = L"TFrmShowInfo";
  args.caption = L"ShowInfo";
  args.style = WS_POPUP | WS_BORDER;
  args.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  args.width = 220;
  args.height = 120;
  args.centred = false;
  args.dialogKeys = false;
  return args;
}

}  // namespace

TFrmShowInfo::TFrmShowInfo() : win::Form(InfoArgs()) {
  SetOwnWindowRole(Handle(), OwnWindowRole::CaptureWindow);
  ExcludeFromScreenCaptures(Handle());
}

}  // namespace brisko
