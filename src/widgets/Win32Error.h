#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace brisko::win {

// A failed Win32 call: the message names the call and the system's reason.
class Win32Error : public std::runtime_error {
 public:
  Win32Error(const std::string& what, DWORD code);
  DWORD Code() const { return code_; }

 private:
  DWORD code_;
};

// Throws Win32Error for `what` with GetLastError's code.
[[noreturn]] void ThrowLastError(const std::string& what);

}  // namespace brisko::win
