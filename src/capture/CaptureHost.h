#pragma once

#include <windows.h>

#include <string>

namespace brisko {

// What the capture windows ask of the main window, which implements it.
class CaptureHost {
 public:
  // The window that owns what a capture puts on the clipboard.
  virtual HWND MainWindow() const = 0;
  // The owner of the dialogs that capture output opens.
  virtual HWND DialogOwner() const = 0;
  // Brings the main window back after a capture, unless it was sent to the
  // notification area.
  virtual void ReturnAfterCapture() = 0;
  // Shows in the editor the picture just written to `baseFile`.
  virtual void ShowInEditor(const std::string& baseFile) = 0;

 protected:
  ~CaptureHost() = default;
};

}  // namespace brisko
