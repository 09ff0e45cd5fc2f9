#include "widgets/OpenPictureDialog.h"

#include <commdlg.h>

#include <vector>

#include "widgets/Dib.h"
#include "widgets/Text.h"

namespace brisko::win {

namespace {

constexpr WORD kStandardControls = 0x045F;  // stc32: where the dialog puts its own controls
constexpr WORD kPreview = 1001;
constexpr WORD kPreviewLabel = 1002;

// An in-memory dialog template: the preview column beside the standard
// controls, in dialog units.
class DialogTemplate {
 public:
  DialogTemplate() {
    Dword(DS_3DLOOK | DS_CONTROL | DS_SETFONT | WS_CHILD | WS_CLIPSIBLINGS);
    Dword(0);
    items_ = words_.size();
    Word(0);  // item count, set as items are added
    Word(0);
    Word(0);
    Word(128);  // width
    Word(140);  // height
    Word(0);    // no menu
    Word(0);    // standard class
    Word(0);    // no title
    Word(8);
    Text(L"MS Shell Dlg");
  }

  void Item(WORD id, DWORD style, short x, short y, short cx, short cy, const wchar_t* text) {
    while (words_.size() % 2) words_.push_back(0);  // items start on a DWORD
    Dword(WS_CHILD | style);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(0x0082);  // static
    Text(text);
    Word(0);  // no creation data
    ++words_[items_];
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const wchar_t* text) {
    for (; *text; ++text) Word(static_cast<WORD>(*text));
    Word(0);
  }

  std::vector<WORD> words_;
  std::size_t items_ = 0;
};

struct PreviewState {
  const PreviewMaker* maker;
  std::optional<Bitmap> picture;
  std::wstring shown;
};

void ShowPreviewOf(HWND dialog, PreviewState& state) {
  wchar_t path[MAX_PATH * 4] = {};
  HWND preview = GetDlgItem(dialog, kPreview);
  if (SendMessageW(GetParent(dialog), CDM_GETFILEPATH, MAX_PATH * 4, reinterpret_cast<LPARAM>(path)) <= 0) path[0] = 0;
  if (state.shown == path) return;
  state.shown = path;
  state.picture.reset();
  RECT box{};
  GetClientRect(preview, &box);
  if (path[0] && *state.maker && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES &&
      !(GetFileAttributesW(path) & FILE_ATTRIBUTE_DIRECTORY)) {
    try {
      state.picture = (*state.maker)(Narrow(path), box.right - 2, box.bottom - 2);
    } catch (...) {
      // A file that cannot be previewed shows an empty preview.
    }
  }
  InvalidateRect(preview, nullptr, TRUE);
}

void DrawPreview(const DRAWITEMSTRUCT& item, const PreviewState& state) {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, GetSysColorBrush(COLOR_WINDOW));
  FrameRect(item.hDC, &r, GetSysColorBrush(COLOR_3DSHADOW));
  if (!state.picture || state.picture->IsEmpty()) return;
  const Bitmap& p = *state.picture;
  const int x = r.left + (r.right - r.left - p.Width()) / 2, y = r.top + (r.bottom - r.top - p.Height()) / 2;
  DrawBitmap(item.hDC, p, Rect{0, 0, p.Width(), p.Height()}, x, y);
}

UINT_PTR CALLBACK PreviewHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  auto* state = reinterpret_cast<PreviewState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  try {
    switch (message) {
      case WM_INITDIALOG: {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, static_cast<LONG_PTR>(ofn->lCustData));
        return TRUE;
      }
      case WM_NOTIFY: {
        const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
        if (state && (notify->hdr.code == CDN_SELCHANGE || notify->hdr.code == CDN_FOLDERCHANGE))
          ShowPreviewOf(dialog, *state);
        return FALSE;
      }
      case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (state && item->CtlID == kPreview) {
          DrawPreview(*item, *state);
          return TRUE;
        }
        return FALSE;
      }
      default: return FALSE;
    }
  } catch (...) {
    // Nothing may leave a dialog procedure; the preview simply stays empty.
    return FALSE;
  }
}

// "a|b|c|d" as the dialog wants it: "a\0b\0c\0d\0\0".
std::wstring FilterText(const std::string& filter) {
  std::wstring text = Widen(filter);
  for (wchar_t& c : text)
    if (c == L'|') c = L'\0';
  text.push_back(L'\0');
  text.push_back(L'\0');
  return text;
}

}  // namespace

std::optional<std::string> ChoosePictureToOpen(HWND owner, const std::string& title, const std::string& filter,
                                               const PreviewMaker& preview) {
  std::wstring filterText = FilterText(filter);
  std::wstring titleText = Widen(title);
  std::vector<wchar_t> file(32768, L'\0');
  PreviewState state{&preview, std::nullopt, {}};
  DialogTemplate layout;
  // As tall as the column, so the column goes beside the standard
  // controls, not below them.
  layout.Item(kStandardControls, 0, 0, 0, 1, 140, L"");
  layout.Item(kPreviewLabel, WS_VISIBLE | SS_LEFT, 6, 14, 116, 10, L"Preview");
  layout.Item(kPreview, WS_VISIBLE | SS_OWNERDRAW, 6, 26, 116, 100, L"");

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filterText.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = titleText.empty() ? nullptr : titleText.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLESIZING |
              OFN_ENABLEHOOK | OFN_ENABLETEMPLATEHANDLE;
  ofn.hInstance = reinterpret_cast<HINSTANCE>(const_cast<DLGTEMPLATE*>(layout.Get()));
  ofn.lpfnHook = &PreviewHook;
  ofn.lCustData = reinterpret_cast<LPARAM>(&state);
  if (GetOpenFileNameW(&ofn)) return Narrow(file.data());
  if (CommDlgExtendedError() == 0) return std::nullopt;  // cancelled
  // The dialog refused the preview column: the plain dialog still opens.
  ofn.Flags &= ~static_cast<DWORD>(OFN_ENABLEHOOK | OFN_ENABLETEMPLATEHANDLE);
  ofn.hInstance = nullptr;
  ofn.lpfnHook = nullptr;
  file[0] = L'\0';
  if (GetOpenFileNameW(&ofn)) return Narrow(file.data());
  return std::nullopt;
}

}  // namespace brisko::win
