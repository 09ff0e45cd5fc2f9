#pragma once

// Printing the editor's picture: one page with the picture at the
// printer's resolution and a date footer. The drawing takes any device
// context, so it is the same for a printer and for a bitmap in a test.

#include <windows.h>

#include <string>

#include "core/Bitmap.h"
#include "editor/OutputRules.h"

namespace brisko {

// What the page drawing needs to know of the device.
struct PrintDevice {
  int width = 0;  // printable area, device pixels
  int height = 0;
  int dotsPerInchX = 0;
  int dotsPerInchY = 0;
  int screenPixelsPerInch = 96;
};

// The printer's printable area and resolutions, with the screen's.
PrintDevice PrintDeviceOf(HDC printer);

// Draws the picture and the footer onto a started page of `dc`; returns the
// layout used.
PrintLayout DrawPrintPage(HDC dc, const PrintDevice& device, const Bitmap& picture, const std::wstring& footer);

// The footer for now, with the user's date and time separators.
std::wstring PrintFooterNow();

// One document on a printer: started here, ended by Finish, aborted when
// the scope is left without it so that no half job stays in the spooler.
class PrintJob {
 public:
  PrintJob(HDC printer, const wchar_t* name);
  ~PrintJob();
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  void StartPage();
  void EndPage();
  void Finish();

 private:
  HDC dc_;
  bool open_ = true;
};

}  // namespace brisko
