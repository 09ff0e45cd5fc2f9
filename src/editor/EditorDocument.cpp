#include "editor/EditorDocument.h"

#include <stdexcept>

#include "imageops/ColourAdjust.h"
#include "imageops/Filters.h"
#include "imageops/Geometric.h"

namespace brisko {

namespace {

// The size a scale tag asks for: 5 halves (truncated, but a side of one
// pixel stays one pixel, so halving never empties the picture), 2 and 3
// multiply.
std::int64_t ScaledSide(std::int64_t side, int tag) {
  if (tag != 5) return side * tag;
  return side == 1 ? 1 : side / 2;
}

void ScaleByTag(ImageView& view, int tag, bool smooth) {
  const std::int64_t width = ScaledSide(view.Width(), tag), height = ScaledSide(view.Height(), tag);
  if (std::string why = OversizeMessage(width, height); !why.empty()) throw std::length_error(why);
  ScaleImage(view, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), smooth);
}

}  // namespace

void ApplyViewOperation(const CommandSpec& spec, ImageView& view, bool smooth) {
  using V = ViewOperation;
  switch (spec.operation) {
    case V::FlipHorizontal: FlipHorizontal(view); break;
    case V::FlipVertical: FlipVertical(view); break;
    case V::ScaleByFactor: ScaleByTag(view, spec.scaleTag, smooth); break;
    case V::Perspective: PerspectiveShear(view); break;
    case V::Rotate90: Rotate90(view); break;
    case V::Rotate180: Rotate180(view); break;
    case V::Rotate270: Rotate270(view); break;
    case V::Invert: InvertColors(view); break;
    case V::Exposal: Exposal(view); break;
    case V::Hough: EdgeDetect(view, 1); break;
    case V::Gray: GrayScale(view); break;
    case V::Smoothness: ScaleImage(view, view.Width(), view.Height(), true); break;
    case V::Sharpen: Sharpen(view); break;
    case V::Twist: Twist(view); break;
    case V::WaveWrap: WaveWarp(view, 2, 6, 2); break;
    case V::GaussianBlur: GaussianBlur(view); break;
    case V::None: throw std::logic_error("the command runs no image operation");
  }
}

void EditorDocument::RebuildView() {
  if (Zoom.IsActual())
    ImageShow.SetPicture(WorkingBitmap);
  else
    ImageShow.Clear();
}

bool EditorDocument::EnsureActualSize() {
  if (Zoom.IsActual()) return false;
  Zoom.Step(ZoomStep::StepActual);
  RebuildView();
  return true;
}

void EditorDocument::RunImageCommand(const std::function<void(ImageView&)>& operation) {
  EnsureActualSize();
  try {
    operation(ImageShow);
    History.WriteSnapshot(ImageShow.Picture(), BaseFile);
  } catch (...) {
    // Neither the operation's half-done result nor a result the history did
    // not take may stay in view: it shows the current state again.
    ImageShow.SetPicture(WorkingBitmap);
    throw;
  }
  WorkingBitmap = ImageShow.Picture();
}

void EditorDocument::RunViewOperation(const CommandSpec& spec) {
  RunImageCommand([&](ImageView& view) { ApplyViewOperation(spec, view, SmoothScaling); });
}

std::function<void(ImageView&)> DialogOperation(std::function<DialogResult(const ImageView&)> show) {
  return [show = std::move(show)](ImageView& view) {
    const DialogResult result = show(view);
    if (result.kind == DialogResult::Kind::Apply) result.edit(view);
  };
}

void EditorDocument::RunDialogCommand(const std::function<DialogResult(const ImageView&)>& show) {
  RunImageCommand(DialogOperation(show));
}

}  // namespace brisko
