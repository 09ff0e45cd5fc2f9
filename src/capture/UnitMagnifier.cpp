#include "capture/UnitMagnifier.h"

namespace brisko {

namespace {

win::FormArgs MagnifierArgs() {
  win::FormArgs args;
  args.className = L"TFrmMagnifier";
  args.caption = L"Magnifier";
  args.style = WS_POPUP | WS_BORDER;
  args.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  args.width = 166;
  args.height = 332;
  args.centred = false;
  args.dialogKeys = false;
  return args;
}

}  // namespace

TFrmMagnifier::TFrmMagnifier() : win::Form(MagnifierArgs()) {}

}  // namespace brisko
