#pragma once

#include <windows.h>

namespace brisko {

// What the editor asks of the main window, which implements it.
class EditorHost {
 public:
  // The editor closed: the main window comes back unless it was sent to
  // the notification area.
  virtual void EditorClosed() = 0;
  // The main window, which some of the editor's dialogs centre on.
  virtual HWND MainWindowHandle() const = 0;

 protected:
  ~EditorHost() = default;
};

}  // namespace brisko
