#include "widgets/TrayIcon.h"

#include <shellapi.h>

#include "widgets/Form.h"
#include "widgets/Text.h"

namespace brisko::win {

namespace {
constexpr UINT kCallbackMessage = WM_APP + 0x100;
}

TrayIcon::TrayIcon(Form& owner, HICON icon, const std::string& hint) {
  data_.cbSize = sizeof data_;
  data_.hWnd = owner.Handle();
  data_.uID = 1;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kCallbackMessage;
  data_.hIcon = icon;
  const std::wstring tip = Widen(hint);
  wcsncpy_s(data_.szTip, tip.c_str(), _TRUNCATE);
  owner.OnMessage(kCallbackMessage, [this](WPARAM, LPARAM lParam) -> LRESULT {
    const UINT event = LOWORD(lParam);
    if (event == WM_LBUTTONDOWN && OnLeftPress) OnLeftPress();
    if (event == WM_RBUTTONUP && OnRightClick) OnRightClick();
    return 0;
  });
  // Explorer broadcasts this after a restart; the icon must be added again.
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  owner.OnMessage(taskbarCreated, [this](WPARAM, LPARAM) -> LRESULT {
    Add();
    return 0;
  });
  Add();
}

TrayIcon::~TrayIcon() { Shell_NotifyIconW(NIM_DELETE, &data_); }

void TrayIcon::Add() { Shell_NotifyIconW(NIM_ADD, &data_); }

}  // namespace brisko::win
