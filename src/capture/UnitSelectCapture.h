#pragma once

#include "app/MainController.h"
#include "widgets/Form.h"

namespace brisko {

// The capture overlay: a borderless topmost window over the primary screen
// that shows the frozen screenshot while the user selects. It owns the
// start timer that runs a capture once the delay is over.
class TFrmSelectCapture : public win::Form {
 public:
  explicit TFrmSelectCapture(MainController& main);

  // The Capture command's last step: the capture begins `delay` ms later.
  void ArmStartTimer(UINT delay);

 private:
  static constexpr UINT_PTR kTimer1 = 1;

  void Timer1Timer();
  // Runs the capture that CaptureKind names. Region selection, window
  // picking and the deliveries are built on this entry point; until they
  // are, a capture ends at once and the main window returns.
  void DispatchCapture();

  MainController& main_;
};

}  // namespace brisko
