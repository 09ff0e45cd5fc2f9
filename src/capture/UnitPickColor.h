#pragma once

#include "app/MainController.h"
#include "widgets/Form.h"

namespace brisko {

// The colour picker dialog ("Color Picker") that shows a picked colour.
class TFrmPickColor : public win::Form {
 public:
  explicit TFrmPickColor(MainController& main);

 private:
  MainController& main_;
};

}  // namespace brisko
