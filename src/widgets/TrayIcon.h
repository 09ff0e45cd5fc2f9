#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

namespace brisko::win {

class Form;

// The program's icon in the notification area. It comes back by itself
// when the shell restarts.
class TrayIcon {
 public:
  TrayIcon(Form& owner, HICON icon, const std::string& hint);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  std::function<void()> OnLeftPress;
  std::function<void()> OnRightClick;

 private:
  void Add();
  NOTIFYICONDATAW data_{};
};

}  // namespace brisko::win
