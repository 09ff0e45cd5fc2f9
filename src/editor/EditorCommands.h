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

}  // namespace brisko
