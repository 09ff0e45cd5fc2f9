#include "widgets/Win32Error.h"

#include "widgets/Text.h"

namespace brisko::win {

namespace {

std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n ? std::wstring(text, n) : L"error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
    message.pop_back();
  return Narrow(message);
}

}  // namespace

Win32Error::Win32Error(const std::string& what, DWORD code)
    : std::runtime_error(what + ": " + SystemMessage(code)), code_(code) {}

void ThrowLastError(const std::string& what) { throw Win32Error(what, GetLastError()); }

}  // namespace brisko::win
