#pragma once

#include <functional>
#include <string>

#include "core/Bitmap.h"
#include "core/ImageView.h"
#include "editor/DialogModels.h"
#include "editor/EditorCommands.h"
#include "editor/History.h"
#include "editor/Zoom.h"

// What the editor works on, apart from its window: the picture, the view
// that shows it at the zoom factor, the numbered history and the frame in
// which every image command runs.
namespace brisko {

class EditorDocument {
 public:
  Bitmap WorkingBitmap;
  // At 100 % it holds its own copy of WorkingBitmap, which the image
  // operations work on; zoomed, it holds no pixels (the window draws the
  // visible part from WorkingBitmap).
  ImageView ImageShow;
  std::string BaseFile;
  EditHistory History;
  ZoomState Zoom;
  // The "Smooth Scaling" check: the scale commands smooth when it is on.
  bool SmoothScaling = true;

  // The view as the zoom wants it: a copy at 100 %, empty otherwise.
  void RebuildView();
  // Back to 100 % with the view holding its copy; true when the zoom
  // changed.
  bool EnsureActualSize();

  // The image-command frame: back to 100 %, the operation on the view, the
  // result written as the next snapshot and copied into WorkingBitmap. An
  // operation or a snapshot that throws leaves WorkingBitmap, the history
  // and the view's pixels as they were, and the exception goes on to the
  // caller.
  void RunImageCommand(const std::function<void(ImageView&)>& operation);

  // A command of the table whose kind is ViewOperation, in the frame.
  void RunViewOperation(const CommandSpec& spec);
  // A dialog command in the frame: `show` runs the dialog on the view at
  // 100 % and returns what its OK gave. A cancelled dialog leaves the view
  // as it was, and the frame still writes it as a new state.
  void RunDialogCommand(const std::function<DialogResult(const ImageView&)>& show);
};

// The frame's operation for a dialog command: the dialog runs on the view
// and what its OK decided is done to the view.
std::function<void(ImageView&)> DialogOperation(std::function<DialogResult(const ImageView&)> show);

// The operation of a ViewOperation command on the view. `smooth` is the
// Smooth Scaling check, which the scale entries follow.
void ApplyViewOperation(const CommandSpec& spec, ImageView& view, bool smooth);

}  // namespace brisko
