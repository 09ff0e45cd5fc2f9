#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Geometry.h"

// The selection of a region on the frozen screenshot: rectangles and
// ellipses dragged or clicked corner to corner, free-hand paths clicked
// vertex by vertex, with the crosshair, the rubber bands and the keys. The
// overlay feeds it pointer and key events and does what it asks through a
// RegionCanvas.
namespace brisko {

// The shift state of a pointer event, as a set of flags.
enum ShiftFlag : unsigned {
  kShiftKey = 1,
  kAltKey = 2,
  kCtrlKey = 4,
  kLeftButton = 8,
  kRightButton = 16,
  kMiddleButton = 32,
  kDoubleClick = 64,
};

enum class PointerButton { Left, Right, Middle };
enum class SelectionKey { Enter, Space, Escape, Left, Up, Right, Down, Other };

// Magnifier modes of a region selection.
inline constexpr int kMagnifyRegion = 1;
inline constexpr int kMagnifyFreeHand = 2;

// A finished selection. Rectangles and ellipses give the ordered corners
// (right and bottom edges excluded); free-hand paths give their vertices.
struct RegionResult {
  int shape = 0;
  Rect box;
  std::vector<Point> vertices;
};

class RegionCanvas {
 public:
  virtual ~RegionCanvas() = default;
  virtual void InvertCrosshair(Point at) = 0;
  // The rubber figure of the shape from `from` to `to`: a rectangle or
  // ellipse outline between two corners, or a line for a free-hand edge.
  virtual void InvertFigure(int shape, Point from, Point to) = 0;
  virtual void SetCursorSlot(int slot) = 0;
  virtual void SetSizeText(const std::string& text) = 0;
  virtual void RefreshMagnifier(Point at, int mode) = 0;
  virtual void Cancel() = 0;
  virtual void Complete(const RegionResult& result) = 0;
  // A left-button press at the pointer, through the platform's input, so
  // that it comes back as a press event.
  virtual void InjectLeftPress() = 0;
  virtual void MovePointerBy(int dx, int dy) = 0;
};

class RegionSelection {
 public:
  static constexpr int kMaxVertices = 100;
  static constexpr int kCloseZone = 5;

  // Back to the start of a selection of this shape (0 Rectangle,
  // 1 Elliptic, 2 FreeHand).
  void Start(int shape);

  void MouseDown(PointerButton button, unsigned shift, Point at, RegionCanvas& canvas);
  void MouseMove(unsigned shift, Point at, RegionCanvas& canvas);
  void MouseUp(PointerButton button, Point at, RegionCanvas& canvas);
  void DoubleClick(RegionCanvas& canvas);
  void KeyDown(SelectionKey key, RegionCanvas& canvas);

  bool Selecting() const { return selecting_; }
  bool Finished() const { return finished_; }
  int VertexCount() const { return vertexCount_; }

  // The squared point of a drag from `anchor`: the smaller signed offset
  // on both axes.
  static Point Square(Point anchor, Point at);

 private:
  void SelectionPress(unsigned shift, Point at, RegionCanvas& canvas);
  void CornerPress(unsigned shift, Point at, RegionCanvas& canvas);
  void FreeHandPress(Point at, RegionCanvas& canvas);
  void ClosePath(RegionCanvas& canvas);
  void CornerMove(unsigned shift, Point at, RegionCanvas& canvas);
  void FreeHandMove(Point at, RegionCanvas& canvas);
  void Finish(const RegionResult& result, RegionCanvas& canvas);

  int shape_ = 0;
  Point crosshair_{-1, -1};
  Point anchor_;
  Point last_;
  Point second_;
  bool crosshairErased_ = false;
  bool selecting_ = false;
  bool crosshairOn_ = true;
  std::array<Point, kMaxVertices + 1> vertices_{};
  int vertexCount_ = 0;
  Rect closeZone_;
  bool finished_ = false;
};

}  // namespace brisko
