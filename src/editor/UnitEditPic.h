#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/EditorHost.h"
#include "core/Bitmap.h"
#include "core/ImageView.h"
#include "editor/EditorCommands.h"
#include "editor/EditorDocument.h"
#include "editor/EditorLayout.h"
#include "editor/History.h"
#include "editor/Zoom.h"
#include "widgets/Form.h"
#include "widgets/Handles.h"
#include "widgets/ImageButton.h"
#include "widgets/Menu.h"
#include "widgets/Panel.h"
#include "widgets/ScrollBox.h"
#include "widgets/SelectionHandles.h"
#include "widgets/Splitter.h"
#include "widgets/StatusBar.h"
#include "widgets/TabControl.h"
#include "widgets/ToolBar.h"

namespace brisko {

// The image editor window ("Brisko Capture Preview"). It exists for the
// whole run and is only shown and hidden; every image it shows was first
// written to its base file.
//
// The view (ImageShow) shows WorkingBitmap at the zoom factor. At 100 % it
// holds a real copy that the image operations work on; at any other factor
// it holds no pixels at all: the visible part is drawn from WorkingBitmap,
// scaled as it is painted, so zooming costs no memory. Its size is the
// zoomed size either way (ViewWidth, ViewHeight). Commands that change the
// image run through RunImageCommand, which first returns to 100 %.
class TFrmEditPic : public win::Form {
 public:
  explicit TFrmEditPic(EditorHost& host);
  ~TFrmEditPic() override;

  // --- How an image arrives ------------------------------------------------
  // Shows the picture just written to `baseFile` and brings the window to
  // the foreground. Showing the window runs the show-time reset; a window
  // that is already visible runs it at once, so the new image replaces the
  // one in view.
  void ShowBaseFile(const std::string& baseFile);
  void ShowBaseFile() { ShowBaseFile(doc_.BaseFile); }
  // A capture delivered to the editor: as ShowBaseFile, and the picture has
  // no file name; capture output delivers here.
  void ShowCapture(const std::string& baseFile);
  // Writes the clipboard's bitmap to the base file. False, and the base
  // file untouched, when the clipboard holds no bitmap or it cannot be
  // written. The caller shows the window.
  bool PasteFromClipboard();
  // The main window's "Open a File": the open dialog, OpenPictureFile and,
  // when that worked, ShowBaseFile. False when cancelled or not opened.
  bool OpenFile();
  // Decodes the file by its extension, puts the picture on the clipboard,
  // writes it to the base file and remembers the file's name. False, with
  // nothing changed, when the file cannot be decoded or written.
  bool OpenPictureFile(const std::string& path);

  // --- The document ---------------------------------------------------------
  const Bitmap& Working() const { return doc_.WorkingBitmap; }
  const std::string& BaseFileName() const { return doc_.BaseFile; }
  const std::string& DocumentFile() const { return DocumentFileName; }
  const EditHistory& History() const { return doc_.History; }
  const ZoomState& Zoom() const { return doc_.Zoom; }
  std::int32_t ViewWidth() const;
  std::int32_t ViewHeight() const;
  bool SmoothScaling() const { return doc_.SmoothScaling; }

  // --- What the editor's commands build on -----------------------------------
  // The image-command frame: back to 100 %, the operation on the view, the
  // result into WorkingBitmap and a history snapshot; `layout` lays the view
  // out again for commands that change the size. An operation that throws
  // changes nothing (the error box shows); a snapshot that cannot be
  // written puts the view back to WorkingBitmap and shows the error.
  void RunImageCommand(const std::function<void(ImageView&)>& operation, bool layout);
  // Writes `bitmap` as the next snapshot and moves the history to it.
  void TakeSnapshot(const Bitmap& bitmap);
  void RefreshView(bool skipThumbnail);
  void ShowStatus(const StatusTexts& texts);
  bool StepZoom(ZoomStep kind);
  void EnsureActualSize();
  void SetCommandEnabled(EditorCommand command, bool enabled);

  // The command behind a menu entry, tool button or page button.
  void RunCommand(EditorCommand command);
  // Saves WorkingBitmap to `target` by its extension, as Finish does with a
  // remembered name; false, after saying why, when nothing was written.
  bool SaveTo(const std::string& target);

 private:
  using Handler = void (TFrmEditPic::*)();
  enum class PressTarget { None, View, Background };

  // Building the window.
  void BuildMenu();
  void BuildToolBar();
  void BuildToolPanel();
  void BuildImageArea();
  void BindCommands();
  void LayoutWindow();
  void LayoutPageButtons();

  // Handlers.
  void FormShow();
  void FormClose();
  void FormResize();
  void OpenClick();
  void ExitClick();
  void ShowToolsClick();
  void ZoomInClick();
  void ZoomOutClick();
  void ActualSizeClick();
  void UndoClick();
  void RedoClick();
  void RestoreClick();
  void CropClick();
  void SmoothScalingClick();
  void HelpContentsClick();
  // The ways out, each with the row that ran it (the wallpaper's style).
  void SaveAsClick(const CommandSpec& spec);
  void FinishClick(const CommandSpec& spec);
  void CopyToClipboardClick(const CommandSpec& spec);
  void PrintClick(const CommandSpec& spec);
  void WallpaperClick(const CommandSpec& spec);
  void FullScreenClick(const CommandSpec& spec);
  enum class SaveResult { Saved, Cancelled, Failed };
  // The save dialog, the replace question and the write; a failed write is
  // reported and leaves the remembered name as it was.
  SaveResult SaveAs();
  // Writes the temporary bitmap to `target` by the target's extension.
  bool WritePicture(const std::string& target);
  void WriteTemporaryBitmap() const;
  void ImageShowMouseDown(const win::MouseEvent& e, Point at);
  void ImageShowMouseMove(Point at);
  void ImageShowMouseUp(const win::MouseEvent& e, Point at);
  void PnlMainMouseDown();
  void SelectionHandlesChange(const RECT& selection);
  void SelectionHandlesConfirm();
  void TimerCropTimer();
  void SizeBarDrag(int offset);
  void SplitterNavigatorDrag(int offset);

  // The view and its parts.
  void ShowState(Bitmap picture);
  void RebuildView();
  // The window's side of a return to 100 %: zoom commands, view, status.
  void ShowActualSize();
  void RunFrameCommand(const CommandSpec& spec);
  void RunDialogCommand(const CommandSpec& spec);
  // Each dialog shown modally on the view at 100 %; what its OK decided.
  DialogResult ShowRotateDialog(const CommandSpec& spec, const ImageView& view);
  DialogResult ShowCanvasSizeDialog(const CommandSpec& spec, const ImageView& view);
  DialogResult ShowScaleDialog(const CommandSpec& spec, const ImageView& view);
  DialogResult ShowRgbDialog(const CommandSpec& spec, const ImageView& view);
  DialogResult ShowColorsDialog(const CommandSpec& spec, const ImageView& view);
  void ApplyZoomCommands();
  void ApplyHistoryCommands();
  void RefreshNavigator();
  void PaintImageArea(HDC dc, const RECT& area);
  void PaintNavigator(HDC dc);
  void DrawBand(HDC dc, const Rect& band);
  void MoveBand(std::optional<Rect> band);
  void DropSelection();
  Rect ViewRect() const;  // the view on PnlMain
  Point ViewOrigin() const;
  bool InView(Point content) const;
  RECT SelectionLimits() const;
  std::optional<std::string> ChooseFile();

  EditorHost& host_;

  EditorDocument doc_;
  std::string DocumentFileName;
  bool showTools_ = true;

  // The crop tool.
  bool CropMode = false;
  bool CropDragging = false;
  Point CropStart;
  Point CropLast;
  Point CropEnd;
  PressTarget pressTarget_ = PressTarget::None;
  std::optional<Rect> band_;        // the rubber band as drawn, view pixels
  std::optional<Rect> SelectPanel;  // the pending selection on PnlMain
  static constexpr UINT_PTR kTimerCrop = 1;

  // Controls and the parts drawn in the image area.
  win::Menu MainMenu1{win::Menu::Kind::Bar};
  std::unique_ptr<win::Panel> CoolBar1;
  std::unique_ptr<win::ToolBar> ToolBar1;
  std::unique_ptr<win::Panel> PnlTools;
  std::unique_ptr<win::TabControl> PageControl1;
  std::unique_ptr<win::Splitter> SplitterNavigator;
  std::unique_ptr<win::Panel> PnlImage;
  std::unique_ptr<win::Splitter> SizeBar;
  std::unique_ptr<win::ScrollBox> ScrollBox1;
  std::unique_ptr<win::SelectionHandles> SelectionHandles1;
  std::unique_ptr<win::StatusBar> StatusBar1;
  std::vector<std::unique_ptr<win::ImageButton>> pageButtons_;
  PanelSize PnlMain;         // logical panel, content pixels of ScrollBox1
  ImageView NavigatorImage;  // placed inside PnlImage's bevel
  Bitmap paintBlock_;
  win::ScopedBrush tileBrush_;

  // Where each command appears.
  struct Entries {
    std::vector<win::MenuItem*> items;
    std::vector<int> tools;
    std::vector<win::ImageButton*> buttons;
    std::function<void()> run;
  };
  std::array<Entries, kEditorCommandCount> commands_{};
  win::MenuItem* showToolsItem_ = nullptr;
  win::MenuItem* smoothScalingItem_ = nullptr;
  int cropTool_ = 0;

  // Layout, at 96 DPI.
  int toolPanelWidth_ = 208;
  int navigatorHeight_ = 151;
  bool toolPanelCollapsed_ = false;
  int dragStart_ = 0;
  bool built_ = false;
};

}  // namespace brisko
