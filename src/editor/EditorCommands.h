#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// Every command of the editor and where the window offers it: the menu
// bar, the tool bar and the three tool pages are built from these tables,
// so an entry's caption, shortcut and command are written once.
namespace brisko {

enum class EditorCommand : int {
  Open,
  SaveAs,
  CopyToClipboard,
  Print,
  WallpaperCenter,
  WallpaperTile,
  WallpaperStretch,
  Exit,
  ShowTools,
  ZoomIn,
  ZoomOut,
  ActualSize,
  FullScreen,
  Undo,
  Redo,
  CanvasSize,
  Scale50,
  Scale200,
  Scale300,
  CustomScale,
  SmoothScaling,
  Crop,
  Perspective,
  FlipHorizontal,
  FlipVertical,
  Rotate90,
  Rotate180,
  Rotate270,
  RotateAnyAngle,
  Restore,
  Rgb,
  Colors,
  Invert,
  Exposal,
  Brightness,
  Contrast,
  Gamma,
  Hue,
  Saturation,
  Hough,
  Gray,
  Smoothness,
  Sharpen,
  Twist,
  WaveWrap,
  GaussianBlur,
  HelpContents,
  Finish,
  Close,
};
inline constexpr std::size_t kEditorCommandCount = static_cast<std::size_t>(EditorCommand::Close) + 1;

// The menu bar, in order. A Menu row opens a top-level menu, a Submenu row
// a nested one that the next EndSubmenu closes.
struct MenuRow {
  enum class Kind { Menu, Item, CheckItem, Separator, Submenu, EndSubmenu };
  Kind kind;
  std::string_view caption;
  std::string_view shortcut;
  EditorCommand command;
};
std::span<const MenuRow> EditorMenuRows();

// The tool bar, left to right; a separator follows the rows that say so.
struct ToolRow {
  std::string_view caption;
  std::string_view icon;  // resource name
  EditorCommand command;
  bool separatorAfter;
};
std::span<const ToolRow> EditorToolRows();

// The tool pages' buttons, top to bottom; buttons with the same line
// number share a line.
struct PageButtonRow {
  enum class Look { Wide, Small, Restore };
  int page;  // 0 "Image Edit", 1 "Set Colors", 2 "Errects"
  int line;
  std::string_view caption;
  EditorCommand command;
  Look look;
};
std::span<const std::string_view> EditorPageNames();
std::span<const PageButtonRow> EditorPageRows();

// What each command runs.
enum class CommandKind {
  Window,         // the window's own business: open, zoom, history, crop...
  ViewOperation,  // an image operation on the view, in the image-command frame
  Dialog,         // an adjustment dialog, in the image-command frame
  Output,         // getting the picture out: save, print, clipboard...
};

// The window's own commands, each bound to one handler of the window.
enum class WindowAction {
  None,
  Open,
  Exit,
  ShowTools,
  ZoomIn,
  ZoomOut,
  ActualSize,
  Undo,
  Redo,
  Restore,
  Crop,
  SmoothScaling,
  HelpContents,
};
inline constexpr std::size_t kWindowActionCount = static_cast<std::size_t>(WindowAction::HelpContents) + 1;

enum class ViewOperation {
  None,
  FlipHorizontal,
  FlipVertical,
  ScaleByFactor,  // by the command's scale tag, with the Smooth Scaling check
  Perspective,
  Rotate90,
  Rotate180,
  Rotate270,
  Invert,
  Exposal,
  Hough,
  Gray,
  Smoothness,  // scaled to its own size, always smoothed
  Sharpen,
  Twist,
  WaveWrap,
  GaussianBlur,
};

enum class DialogKind { None, Rotate, CanvasSize, Scale, Rgb, Colors };
inline constexpr std::size_t kDialogKindCount = static_cast<std::size_t>(DialogKind::Colors) + 1;

// The ways of getting the picture out of the editor.
enum class OutputAction { None, SaveAs, Finish, CopyToClipboard, Print, Wallpaper, FullScreen };
inline constexpr std::size_t kOutputActionCount = static_cast<std::size_t>(OutputAction::FullScreen) + 1;

struct CommandSpec {
  EditorCommand command;
  CommandKind kind;
  // The view is laid out again after the frame: the size may change.
  bool layout;
  WindowAction action;
  ViewOperation operation;
  DialogKind dialog;
  // The scale entries' factor code: 5 halves, 2 doubles, 3 triples.
  int scaleTag;
  // The colour dialog's ColorsKind.
  std::string_view colorsKind;
  OutputAction output = OutputAction::None;
  // The wallpaper entries' style: 1 centre, 2 tile, 3 stretch.
  int wallpaperTag = 0;
};
// One row per command, in the order of EditorCommand.
std::span<const CommandSpec> EditorCommandSpecs();
const CommandSpec& SpecOf(EditorCommand command);

}  // namespace brisko
