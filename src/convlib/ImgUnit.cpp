#include "convlib/ImgUnit.h"

#include <filesystem>

#include "core/Bmp.h"
#include "core/Files.h"
#include "core/Helpers.h"
#include "imageops/Resample.h"
#include "widgets/Application.h"
#include "widgets/Dib.h"
#include "widgets/Text.h"

namespace brisko {

namespace {

constexpr Colour kPaneColour = kBlack;
constexpr UINT kFirstApply = WM_APP + 1;

win::FormArgs ImgArgs(HWND owner) {
  win::FormArgs args;
  args.className = L"TFrmImg";
  args.caption = L"Parameters Preview";
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_TOPMOST;
  args.width = 560;
  args.height = 412;
  args.owner = owner;
  return args;
}

// The library's temporary folder: exactly what the platform reports, which
// ends with a backslash, so it is the folder the program uses too.
std::string LibraryTempFolder() {
  wchar_t buffer[255];
  const DWORD n = GetTempPathW(255, buffer);
  return win::Narrow(std::wstring_view(buffer, n < 255 ? n : 0));
}

std::vector<std::string> Texts(std::span<const std::string_view> choices) {
  return std::vector<std::string>(choices.begin(), choices.end());
}

std::string UpperExtension(const std::string& path) {
  std::string extension = Utf8FromPath(PathFromUtf8(path).extension());
  if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
  for (char& c : extension) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return extension;
}

}  // namespace

TFrmImg::TFrmImg(HWND owner, std::string target, bool autoClose)
    : win::Form(ImgArgs(owner)),
      target_(std::move(target)),
      source_(LibraryTempFolder() + "temp.bmp"),
      intermediate_(LibraryTempFolder() + "tempNew.bmp"),
      autoClose_(autoClose),
      page_(FormatForSaving(PathFromUtf8(target_))) {
  LblOriginal = std::make_unique<win::Label>(*this, "Original:", win::Bounds{10, 8, 200, 16});
  LblResult = std::make_unique<win::Label>(*this, "Result:", win::Bounds{285, 8, 200, 16});
  PnlOriginal = std::make_unique<win::Panel>(*this, win::Bounds{10, 26, 265, 200}, kPaneColour);
  PnlOriginal->OnPaint = [this](HDC dc, const RECT& r) { PaintPane(dc, r, originalPreview_); };
  PnlResult = std::make_unique<win::Panel>(*this, win::Bounds{285, 26, 265, 200}, kPaneColour);
  PnlResult->OnPaint = [this](HDC dc, const RECT& r) { PaintPane(dc, r, resultPreview_); };
  ProgressBar1 = std::make_unique<win::ProgressBar>(*this, win::Bounds{10, 232, 540, 6});

  // One tab, named after the target's extension.
  TabFormat = std::make_unique<win::TabControl>(*this, win::Bounds{10, 246, 390, 128},
                                                std::vector<std::string>{"  " + UpperExtension(target_) + "  "});
  win::Panel& tab = TabFormat->Page(0);
  GrpResize = std::make_unique<win::GroupBox>(tab, "Resize image", win::Bounds{6, 4, 176, 88});
  RadioPercent = std::make_unique<win::RadioButton>(tab, "Percent", win::Bounds{16, 26, 70, 20}, true);
  RadioPixel = std::make_unique<win::RadioButton>(tab, "Pixel", win::Bounds{16, 56, 70, 20}, false);
  EdtSize = std::make_unique<win::SpinEdit>(tab, win::Bounds{88, 40, 58, 22}, kMinSizeValue, kMaxSizeValue,
                                            InitialSizeValue(ResizeMode::Percent));
  LblUnit = std::make_unique<win::Label>(tab, "%", win::Bounds{150, 44, 30, 16});
  RadioPercent->SetDown();
  RadioPercent->OnClick = [this] { RadioResizeClick(ResizeMode::Percent); };
  RadioPixel->OnClick = [this] { RadioResizeClick(ResizeMode::Pixel); };
  EdtSize->OnChange = [this] { ApplyIfLocked(); };

  for (std::size_t i = 0; i < pages_.size(); ++i)
    pages_[i] = std::make_unique<win::Panel>(tab, win::Bounds{190, 4, 186, 88});
  win::Panel& jpg = *pages_[static_cast<std::size_t>(ImageFormat::Jpeg)];
  LblQuality = std::make_unique<win::Label>(jpg, "Quality:", win::Bounds{4, 12, 60, 16});
  // The quality edit has no bounds of its own; the track bar and the
  // encoder keep to 10..100 and 1..100.
  EdtQuality = std::make_unique<win::SpinEdit>(jpg, win::Bounds{70, 8, 60, 22}, -99999, 99999, kInitialQuality);
  TrackQuality = std::make_unique<win::TrackBar>(jpg, win::Bounds{0, 40, 184, 36}, 10, 100, 10);
  TrackQuality->SetPosition(kInitialQuality);
  EdtQuality->OnChange = [this] { EdtQualityChange(); };
  TrackQuality->OnRelease = [this] { TrackQualityRelease(); };

  auto colours = [&](ImageFormat format, const char* caption, std::span<const std::string_view> items, int initial,
                     std::unique_ptr<win::Label>& label, std::unique_ptr<win::ComboBox>& combo) {
    win::Panel& page = *pages_[static_cast<std::size_t>(format)];
    label = std::make_unique<win::Label>(page, caption, win::Bounds{4, 12, 70, 16});
    combo = std::make_unique<win::ComboBox>(page, win::Bounds{76, 8, 104, 22}, Texts(items));
    combo->SetItemIndex(initial);
    combo->OnChange = [this] { ApplyIfLocked(); };
  };
  colours(ImageFormat::Bmp, "Colors:", BmpColourChoices(), kInitialBmpColours, LblBmpColors, ComboBmpColors);
  colours(ImageFormat::Pcx, "Colors:", PcxColourChoices(), kInitialPcxColours, LblPcxColors, ComboPcxColors);
  colours(ImageFormat::Tiff, "Compress:", TifCompressChoices(), kInitialTifCompress, LblTifCompress,
          ComboTifCompress);
  std::size_t n = 0;
  for (ImageFormat format : {ImageFormat::Png, ImageFormat::Gif, ImageFormat::Tga})
    noParameters_[n++] = std::make_unique<win::Label>(*pages_[static_cast<std::size_t>(format)],
                                                      "This format has no parameters.", win::Bounds{4, 12, 180, 32});

  CheckLock = std::make_unique<win::CheckBox>(*this, "&Lock Preview", win::Bounds{10, 384, 160, 20});
  CheckLock->OnClick = [this] { CheckLockClick(); };
  BtnOk = std::make_unique<win::Button>(*this, "&Ok", win::Bounds{412, 254, 138, 28}, BS_DEFPUSHBUTTON);
  BtnCancel = std::make_unique<win::Button>(*this, "&Cancel", win::Bounds{412, 290, 138, 28});
  BtnPreview = std::make_unique<win::Button>(*this, "&Preview", win::Bounds{412, 326, 138, 28});
  BtnOk->OnClick = [this] { Close(); };
  BtnCancel->OnClick = [this] { BtnCancelClick(); };
  BtnPreview->OnClick = [this] { ApplySaveParameters(); };
  SetDefaultButton(BtnOk.get());
  SetCancelButton(BtnCancel.get());

  ShowFormatPage();
  OnShow = [this] { FormShow(); };
  OnMessage(kFirstApply, [this](WPARAM, LPARAM) -> LRESULT {
    FirstApply();
    return 0;
  });
}

void TFrmImg::ShowFormatPage() {
  for (std::size_t i = 0; i < pages_.size(); ++i) pages_[i]->SetVisible(i == static_cast<std::size_t>(page_));
}

void TFrmImg::FormShow() {
  if (shown_) return;
  shown_ = true;
  // The first apply waits until the window is on the screen.
  PostMessageW(Handle(), kFirstApply, 0, 0);
}

void TFrmImg::FirstApply() {
  try {
    original_ = ReadImageFile(PathFromUtf8(source_), ImageFormat::Bmp,
                              [this](int percent) { return ReportProgress(percent); });
    SetPicture(*PnlOriginal, originalPreview_, original_);
  } catch (...) {
    // Nothing to save: the dialog closes quietly.
    Close();
    return;
  }
  ApplySaveParameters();
}

bool TFrmImg::ReportProgress(int percent) {
  const int next = NextProgressPosition(static_cast<int>(ProgressBar1->Position()), percent);
  if (next >= 0) {
    ProgressBar1->SetPosition(next);
    // Pending messages are processed, so the dialog stays responsive.
    win::Application::Current().ProcessMessages();
  }
  return !win::Application::Current().Terminated();
}

void TFrmImg::ApplySaveParameters() {
  if (applying_) return;
  applying_ = true;
  const ProgressFn progress = [this](int percent) { return ReportProgress(percent); };
  try {
    ProgressBar1->SetPosition(0);
    if (!ParseDecimal(EdtSize->Text())) throw std::invalid_argument("the size is not a number");
    // The intermediate is the original at 24 bits per pixel, resized. A
    // bitmap file gives back exactly the pixels written to it, so they are
    // not read again; a picture already at 24 bits and at its own size is
    // written as it is, without a copy.
    const ImageSize size = ResizedSize(original_.Width(), original_.Height(), mode_, EdtSize->Value());
    Bitmap resized;
    const Bitmap* result = &original_;
    if (original_.Format() != PixelFormat::Bgr24 || size != ImageSize{original_.Width(), original_.Height()}) {
      Bitmap rgb = original_;
      rgb.SetFormat(PixelFormat::Bgr24);
      resized = Resample(rgb, size.width, size.height);
      result = &resized;
    }
    WriteImageFile(*result, SaveParameters{}, PathFromUtf8(intermediate_), progress, Durability::Scratch);
    PageChoices choices;
    choices.bmpColours = ComboBmpColors->ItemIndex();
    choices.pcxColours = ComboPcxColors->ItemIndex();
    choices.tifCompress = ComboTifCompress->ItemIndex();
    choices.quality = EdtQuality->Value();
    WriteImageFile(*result, ParametersFor(page_, choices), PathFromUtf8(target_), progress);
    // The pane shows what was written, read back through the format's
    // reader. A dialog that closes by itself is gone before anyone could
    // look at it.
    if (!autoClose_) SetPicture(*PnlResult, resultPreview_, ReadImageFile(PathFromUtf8(target_), page_, progress));
  } catch (...) {
    applying_ = false;
    Close();
    return;
  }
  applying_ = false;
  if (autoClose_) PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TFrmImg::ApplyIfLocked() {
  if (CheckLock && CheckLock->Checked()) ApplySaveParameters();
}

void TFrmImg::RadioResizeClick(ResizeMode mode) {
  if (mode == mode_) return;
  mode_ = mode;
  LblUnit->SetText(mode == ResizeMode::Percent ? "%" : "Pixel");
  // The new size applies at once when the preview is locked.
  EdtSize->SetValue(InitialSizeValue(mode));
}

void TFrmImg::EdtQualityChange() {
  TrackQuality->SetPosition(EdtQuality->Value());
  ApplyIfLocked();
}

void TFrmImg::TrackQualityRelease() { EdtQuality->SetValue(TrackQuality->Position()); }

void TFrmImg::CheckLockClick() { BtnPreview->SetEnabled(!CheckLock->Checked()); }

void TFrmImg::BtnCancelClick() {
  // The caller confirmed replacing the target before; Cancel takes the
  // written file away again.
  DeleteFileW(win::Widen(target_).c_str());
  Close();
}

void TFrmImg::SetPicture(win::Panel& pane, Bitmap& preview, const Bitmap& picture) {
  RECT r{};
  GetClientRect(pane.Handle(), &r);
  const Rect place = FitImageRect(picture.Width(), picture.Height(), r.right, r.bottom);
  if (place.IsEmpty() || picture.IsEmpty()) {
    preview = Bitmap();
  } else if (picture.Format() == PixelFormat::Bgr24) {
    preview = Resample(picture, place.Width(), place.Height());
  } else {
    Bitmap rgb = picture;
    rgb.SetFormat(PixelFormat::Bgr24);
    preview = Resample(rgb, place.Width(), place.Height());
  }
  pane.Invalidate();
  UpdateWindow(pane.Handle());
}

void TFrmImg::PaintPane(HDC dc, const RECT& area, const Bitmap& preview) {
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  if (preview.IsEmpty()) return;
  const Rect place = FitImageRect(preview.Width(), preview.Height(), area.right, area.bottom);
  const win::DibInfo info = win::DibInfoFor(preview);
  SetDIBitsToDevice(dc, place.Left, place.Top, static_cast<DWORD>(preview.Width()),
                    static_cast<DWORD>(preview.Height()), 0, 0, 0, static_cast<UINT>(preview.Height()), preview.Data(),
                    info.Get(), DIB_RGB_COLORS);
}

}  // namespace brisko
