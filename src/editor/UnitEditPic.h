#pragma once

#include "app/MainController.h"
#include "widgets/Form.h"

namespace brisko {

// The image editor window ("Brisko Capture Preview"). It exists for the
// whole run and is only shown and hidden.
class TFrmEditPic : public win::Form {
 public:
  explicit TFrmEditPic(MainController& main);

 private:
  MainController& main_;
};

}  // namespace brisko
