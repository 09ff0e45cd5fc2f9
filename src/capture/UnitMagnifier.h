#pragma once

#include "widgets/Form.h"

namespace brisko {

// The magnifier in a corner of the screen while a screenshot is frozen.
class TFrmMagnifier : public win::Form {
 public:
  TFrmMagnifier();
};

}  // namespace brisko
