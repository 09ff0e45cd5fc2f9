#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

#include "widgets/Application.h"

// The program's own windows in the test's process: the common controls and
// one application object for the whole run, and a message loop to let them
// work.
namespace brisko::testwin {

class ProgramEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    app_ = std::make_unique<win::Application>(GetModuleHandleW(nullptr));
    app_->SetTitle(L"Brisko Capture");
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<win::Application> app_;
};

// Runs the message loop for a while, as the program does.
inline void Pump(DWORD milliseconds = 150) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    win::Application::Current().ProcessMessages();
    Sleep(5);
  } while (GetTickCount() < end);
}

}  // namespace brisko::testwin
