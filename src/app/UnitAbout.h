#pragma once

#include <memory>
#include <string>

#include "app/Artwork.h"
#include "widgets/Control.h"
#include "widgets/Form.h"
#include "widgets/LinkLabel.h"
#include "widgets/Panel.h"

namespace brisko {

// "About": the program's name, version and links.
class TFrmAbout : public win::Form {
 public:
  TFrmAbout(HWND owner, std::string homePage, std::string supportMail);

 private:
  Artwork artwork_;
  std::unique_ptr<win::Panel> PnlIcon;
  std::unique_ptr<win::Label> LblProduct;
  std::unique_ptr<win::Label> LblVersion;
  std::unique_ptr<win::LinkLabel> LinkHome;
  std::unique_ptr<win::LinkLabel> LinkMail;
  std::unique_ptr<win::Button> BtnOk;
  std::unique_ptr<win::ScopedFont> productFont_;
};

}  // namespace brisko
