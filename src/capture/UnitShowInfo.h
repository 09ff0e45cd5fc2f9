#pragma once

#include "widgets/Form.h"

namespace brisko {

// The small hint window that accompanies window picking, auto-scroll and
// menu capture.
class TFrmShowInfo : public win::Form {
 public:
  TFrmShowInfo();
};

}  // namespace brisko
