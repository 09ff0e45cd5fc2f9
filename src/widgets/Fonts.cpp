#include "widgets/Fonts.h"

namespace brisko::win {

namespace {

HFONT CreateFontOfHeight(const wchar_t* face, int height, int weight, bool italic) {
  return CreateFontW(height, 0, 0, 0, weight, italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

}  // namespace

HFONT CreatePointFont(const wchar_t* face, int points, UINT dpi, int weight, bool italic) {
  return CreateFontOfHeight(face, -MulDiv(points, static_cast<int>(dpi), 72), weight, italic);
}

HFONT CreatePixelFont(const wchar_t* face, int pixels, UINT dpi, int weight, bool italic) {
  return CreateFontOfHeight(face, MulDiv(pixels, static_cast<int>(dpi), 96), weight, italic);
}

bool FontHasFace(HFONT font, const wchar_t* face) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, font);
  wchar_t actual[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, actual);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  return lstrcmpiW(actual, face) == 0;
}

HFONT CreateSmallDialogFont(int points, UINT dpi) {
  HFONT font = CreatePointFont(L"MS Sans Serif", points, dpi);
  if (FontHasFace(font, L"MS Sans Serif") || FontHasFace(font, L"Microsoft Sans Serif")) return font;
  DeleteObject(font);
  return CreatePointFont(L"Tahoma", points, dpi);
}

int WrappedTextHeight(HWND window, HFONT font, const wchar_t* text, int width, UINT dpi) {
  RECT measure{0, 0, MulDiv(width, static_cast<int>(dpi), 96), 0};
  HDC dc = GetDC(window);
  HGDIOBJ previous = SelectObject(dc, font);
  DrawTextW(dc, text, -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
  return MulDiv(measure.bottom, 96, static_cast<int>(dpi));
}

}  // namespace brisko::win
