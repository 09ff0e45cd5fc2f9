#include "editor/EditorPrint.h"

#include <stdexcept>

#include "widgets/Dib.h"
#include "widgets/Handles.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

win::ScopedFont ArialOfCell(int cellHeight) {
  return win::ScopedFont(CreateFontW(cellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

int HeightOfX(HDC dc) {
  SIZE size{};
  GetTextExtentPoint32W(dc, L"X", 1, &size);
  return size.cy;
}

std::wstring LocaleText(LCTYPE what, const wchar_t* fallback) {
  wchar_t text[16] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, what, text, 16) <= 0) return fallback;
  return text;
}

constexpr const char* kNotTaken = "The printer did not take the document.";

}  // namespace

PrintDevice PrintDeviceOf(HDC printer) {
  PrintDevice device;
  device.width = GetDeviceCaps(printer, HORZRES);
  device.height = GetDeviceCaps(printer, VERTRES);
  device.dotsPerInchX = GetDeviceCaps(printer, LOGPIXELSX);
  device.dotsPerInchY = GetDeviceCaps(printer, LOGPIXELSY);
  device.screenPixelsPerInch = GetDeviceCaps(win::WindowDC().Get(), LOGPIXELSX);
  return device;
}

PrintLayout DrawPrintPage(HDC dc, const PrintDevice& device, const Bitmap& picture, const std::wstring& footer) {
  PrintPage page;
  page.width = device.width;
  page.height = device.height;
  page.dotsPerInchX = device.dotsPerInchX;
  page.screenPixelsPerInch = device.screenPixelsPerInch;
  const win::ScopedFont body = ArialOfCell(FontCellHeight(device.dotsPerInchY, 12));
  const win::ScopedFont small = ArialOfCell(FontCellHeight(device.dotsPerInchY, 8));
  {
    win::SelectedObject font(dc, body.Get());
    page.lineHeight = HeightOfX(dc);
  }
  win::SelectedObject font(dc, small.Get());
  page.footerHeight = HeightOfX(dc);
  const PrintLayout layout = LayOutPrint(page, picture.Width(), picture.Height());

  if (!picture.IsEmpty()) {
    const win::DibInfo info = win::DibInfoFor(picture);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, layout.left, layout.top, layout.width, layout.height, 0, 0, picture.Width(), picture.Height(),
                  picture.Data(), info.Get(), DIB_RGB_COLORS, SRCCOPY);
  }
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  TextOutW(dc, layout.footerX, layout.footerY, footer.c_str(), static_cast<int>(footer.size()));
  return layout;
}

std::wstring PrintFooterNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return win::Widen(PrintFooterText(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                    win::Narrow(LocaleText(LOCALE_SDATE, L"/")),
                                    win::Narrow(LocaleText(LOCALE_STIME, L":"))));
}

PrintJob::PrintJob(HDC printer, const wchar_t* name) : dc_(printer) {
  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = name;
  if (StartDocW(dc_, &document) <= 0) throw std::runtime_error(kNotTaken);
}

PrintJob::~PrintJob() {
  if (open_) AbortDoc(dc_);
}

void PrintJob::StartPage() {
  if (::StartPage(dc_) <= 0) throw std::runtime_error(kNotTaken);
}

void PrintJob::EndPage() {
  if (::EndPage(dc_) <= 0) throw std::runtime_error(kNotTaken);
}

void PrintJob::Finish() {
  open_ = false;
  if (EndDoc(dc_) <= 0) throw std::runtime_error(kNotTaken);
}

}  // namespace brisko
