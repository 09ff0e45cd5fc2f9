#include "editor/EditorCommands.h"

#include <array>
#include <iterator>

namespace brisko {

namespace {

using C = EditorCommand;
using K = MenuRow::Kind;
using L = PageButtonRow::Look;

constexpr MenuRow kMenu[] = {
    {K::Menu, "&File", "", C::Open},
    {K::Item, "Open", "Ctrl+O", C::Open},
    {K::Item, "Save &As...", "Ctrl+S", C::SaveAs},
    {K::Item, "Copy to Clipboard", "", C::CopyToClipboard},
    {K::Separator, "", "", C::Open},
    {K::Item, "&Print...", "Ctrl+P", C::Print},
    {K::Separator, "", "", C::Open},
    {K::Submenu, "Set Wallpaper", "", C::WallpaperCenter},
    {K::Item, "Center", "", C::WallpaperCenter},
    {K::Item, "Tile", "", C::WallpaperTile},
    {K::Item, "Stretch", "", C::WallpaperStretch},
    {K::EndSubmenu, "", "", C::Open},
    {K::Separator, "", "", C::Open},
    {K::Item, "E&xit", "Ctrl+X", C::Exit},

    {K::Menu, "&View", "", C::ShowTools},
    {K::CheckItem, "Show Tools", "", C::ShowTools},
    {K::Separator, "", "", C::Open},
    {K::Item, "Zoom In", "Ctrl+I", C::ZoomIn},
    {K::Item, "Zoom Out", "Ctrl+U", C::ZoomOut},
    {K::Item, "Actual Size", "Ctrl+R", C::ActualSize},
    {K::Separator, "", "", C::Open},
    {K::Item, "Full Screen", "", C::FullScreen},

    {K::Menu, "&Edit", "", C::Undo},
    {K::Item, "&Undo", "Ctrl+Z", C::Undo},
    {K::Item, "&Repeat...", "Ctrl+Y", C::Redo},
    {K::Separator, "", "", C::Open},
    {K::Item, "Canvas Size", "", C::CanvasSize},
    {K::Submenu, "Scale", "", C::Scale50},
    {K::Item, "50%", "", C::Scale50},
    {K::Item, "200%", "", C::Scale200},
    {K::Item, "300%", "", C::Scale300},
    {K::Separator, "", "", C::Open},
    {K::Item, "Custom Scale", "", C::CustomScale},
    {K::CheckItem, "Smooth Scaling", "", C::SmoothScaling},
    {K::EndSubmenu, "", "", C::Open},
    {K::Item, "Crop", "", C::Crop},
    {K::Item, "Perspective", "", C::Perspective},
    {K::Submenu, "Flip", "", C::FlipHorizontal},
    {K::Item, "Horizontal", "", C::FlipHorizontal},
    {K::Item, "Vertical", "", C::FlipVertical},
    {K::EndSubmenu, "", "", C::Open},
    {K::Submenu, "Rotate", "", C::Rotate90},
    {K::Item, "90\xC2\xB0 clockwise", "", C::Rotate90},
    {K::Item, "180\xC2\xB0 clockwise", "", C::Rotate180},
    {K::Item, "270\xC2\xB0 clockwise", "", C::Rotate270},
    {K::Separator, "", "", C::Open},
    {K::Item, "Any Angle", "", C::RotateAnyAngle},
    {K::EndSubmenu, "", "", C::Open},
    {K::Separator, "", "", C::Open},
    {K::Item, "Restore", "Ctrl+L", C::Restore},

    {K::Menu, "Color", "", C::Rgb},
    {K::Item, "RGB", "Ctrl+B", C::Rgb},
    {K::Item, "Colors", "", C::Colors},
    {K::Item, "Invert", "", C::Invert},
    {K::Item, "Exposal", "", C::Exposal},
    {K::Separator, "", "", C::Open},
    {K::Item, "Brightness", "", C::Brightness},
    {K::Item, "Contrast", "", C::Contrast},
    {K::Item, "Gamma", "", C::Gamma},
    {K::Item, "Hue", "", C::Hue},
    {K::Item, "Saturation", "", C::Saturation},

    {K::Menu, "Effects", "", C::Hough},
    {K::Item, "Hough", "", C::Hough},
    {K::Item, "Gray", "", C::Gray},
    {K::Item, "Smoothness", "", C::Smoothness},
    {K::Item, "Sharpen", "", C::Sharpen},
    {K::Item, "Twist", "", C::Twist},
    {K::Item, "WaveWrap", "", C::WaveWrap},
    {K::Item, "GaussianBlur", "", C::GaussianBlur},

    {K::Menu, "&Help", "", C::HelpContents},
    {K::Item, "&Contents", "Ctrl+H", C::HelpContents},
};

constexpr ToolRow kTools[] = {
    {"Finish  (File)", "TOOLFINISH", C::Finish, false},
    {"Close (File)", "TOOLCLOSE", C::Close, true},
    {"Save As", "TOOLSAVEAS", C::SaveAs, false},
    {"Undo", "TOOLUNDO", C::Undo, false},
    {"Redo", "TOOLREDO", C::Redo, false},
    {"Crop", "TOOLCROP", C::Crop, true},
    {"Zoom In", "TOOLZOOMIN", C::ZoomIn, false},
    {"Actual", "TOOLACTUAL", C::ActualSize, false},
    {"Zoom Out", "TOOLZOOMOUT", C::ZoomOut, true},
};

constexpr std::array<std::string_view, 3> kPages = {"Image Edit", "Set Colors", "Errects"};

constexpr PageButtonRow kPageButtons[] = {
    {0, 0, "Canvas Size", C::CanvasSize, L::Wide},
    {0, 1, "Custom Scale", C::CustomScale, L::Wide},
    {0, 2, "50%", C::Scale50, L::Small},
    {0, 2, "200%", C::Scale200, L::Small},
    {0, 2, "300%", C::Scale300, L::Small},
    {0, 3, "Perspective", C::Perspective, L::Wide},
    {0, 4, "Flip(Horizontal)", C::FlipHorizontal, L::Wide},
    {0, 4, "Flip(Vertical)", C::FlipVertical, L::Wide},
    {0, 5, "Rotate(Any angle)", C::RotateAnyAngle, L::Wide},
    {0, 6, "90\xC2\xB0", C::Rotate90, L::Small},
    {0, 6, "180\xC2\xB0", C::Rotate180, L::Small},
    {0, 6, "270\xC2\xB0", C::Rotate270, L::Small},
    {0, 7, "Restore Image", C::Restore, L::Restore},

    {1, 0, "RGB", C::Rgb, L::Wide},
    {1, 1, "Colors", C::Colors, L::Wide},
    {1, 2, "Invert", C::Invert, L::Wide},
    {1, 3, "Exposal", C::Exposal, L::Wide},
    {1, 4, "Brightness", C::Brightness, L::Wide},
    {1, 5, "Contrast", C::Contrast, L::Wide},
    {1, 6, "Gamma", C::Gamma, L::Wide},
    {1, 7, "Hue", C::Hue, L::Wide},
    {1, 8, "Saturation", C::Saturation, L::Wide},

    {2, 0, "Hough", C::Hough, L::Wide},
    {2, 1, "Gray", C::Gray, L::Wide},
    {2, 2, "Smoothness", C::Smoothness, L::Wide},
    {2, 3, "Sharpen", C::Sharpen, L::Wide},
    {2, 4, "Twist", C::Twist, L::Wide},
    {2, 5, "WaveWrap", C::WaveWrap, L::Wide},
    {2, 6, "GaussianBlur", C::GaussianBlur, L::Wide},
};

using CK = CommandKind;
using A = WindowAction;
using V = ViewOperation;
using D = DialogKind;

constexpr CommandSpec Window(C command, A action) { return {command, CK::Window, false, action, V::None, D::None, 0, ""}; }
constexpr CommandSpec Output(C command, OutputAction output, int wallpaperTag = 0) {
  return {command, CK::Output, false, A::None, V::None, D::None, 0, "", output, wallpaperTag};
}
constexpr CommandSpec Operation(C command, V operation, bool layout = false, int scaleTag = 0) {
  return {command, CK::ViewOperation, layout, A::None, operation, D::None, scaleTag, ""};
}
constexpr CommandSpec Dialog(C command, D dialog, bool layout, std::string_view colorsKind = "") {
  return {command, CK::Dialog, layout, A::None, V::None, dialog, 0, colorsKind};
}

constexpr CommandSpec kSpecs[] = {
    Window(C::Open, A::Open),
    Output(C::SaveAs, OutputAction::SaveAs),
    Output(C::CopyToClipboard, OutputAction::CopyToClipboard),
    Output(C::Print, OutputAction::Print),
    Output(C::WallpaperCenter, OutputAction::Wallpaper, 1),
    Output(C::WallpaperTile, OutputAction::Wallpaper, 2),
    Output(C::WallpaperStretch, OutputAction::Wallpaper, 3),
    Window(C::Exit, A::Exit),
    Window(C::ShowTools, A::ShowTools),
    Window(C::ZoomIn, A::ZoomIn),
    Window(C::ZoomOut, A::ZoomOut),
    Window(C::ActualSize, A::ActualSize),
    Output(C::FullScreen, OutputAction::FullScreen),
    Window(C::Undo, A::Undo),
    Window(C::Redo, A::Redo),
    Dialog(C::CanvasSize, D::CanvasSize, true),
    Operation(C::Scale50, V::ScaleByFactor, true, 5),
    Operation(C::Scale200, V::ScaleByFactor, true, 2),
    Operation(C::Scale300, V::ScaleByFactor, true, 3),
    Dialog(C::CustomScale, D::Scale, true),
    Window(C::SmoothScaling, A::SmoothScaling),
    Window(C::Crop, A::Crop),
    Operation(C::Perspective, V::Perspective),
    Operation(C::FlipHorizontal, V::FlipHorizontal),
    Operation(C::FlipVertical, V::FlipVertical),
    Operation(C::Rotate90, V::Rotate90, true),
    Operation(C::Rotate180, V::Rotate180, true),
    Operation(C::Rotate270, V::Rotate270, true),
    Dialog(C::RotateAnyAngle, D::Rotate, true),
    Window(C::Restore, A::Restore),
    Dialog(C::Rgb, D::Rgb, false),
    Dialog(C::Colors, D::Colors, false, "Colors"),
    Operation(C::Invert, V::Invert),
    Operation(C::Exposal, V::Exposal),
    Dialog(C::Brightness, D::Colors, false, "Bright"),
    Dialog(C::Contrast, D::Colors, false, "Contrast"),
    Dialog(C::Gamma, D::Colors, false, "Gamma"),
    Dialog(C::Hue, D::Colors, false, "Hue"),
    Dialog(C::Saturation, D::Colors, false, "Saturation"),
    Operation(C::Hough, V::Hough),
    Operation(C::Gray, V::Gray),
    Operation(C::Smoothness, V::Smoothness),
    Operation(C::Sharpen, V::Sharpen),
    Operation(C::Twist, V::Twist),
    Operation(C::WaveWrap, V::WaveWrap),
    Operation(C::GaussianBlur, V::GaussianBlur),
    Window(C::HelpContents, A::HelpContents),
    Output(C::Finish, OutputAction::Finish),
    Window(C::Close, A::Exit),
};
static_assert(std::size(kSpecs) == kEditorCommandCount, "one row per command");

constexpr bool InCommandOrder() {
  for (std::size_t i = 0; i < std::size(kSpecs); ++i)
    if (static_cast<std::size_t>(kSpecs[i].command) != i) return false;
  return true;
}
static_assert(InCommandOrder(), "the rows follow EditorCommand");

}  // namespace

std::span<const CommandSpec> EditorCommandSpecs() { return kSpecs; }
const CommandSpec& SpecOf(EditorCommand command) { return kSpecs[static_cast<std::size_t>(command)]; }

std::span<const MenuRow> EditorMenuRows() { return kMenu; }
std::span<const ToolRow> EditorToolRows() { return kTools; }
std::span<const std::string_view> EditorPageNames() { return kPages; }
std::span<const PageButtonRow> EditorPageRows() { return kPageButtons; }

}  // namespace brisko
