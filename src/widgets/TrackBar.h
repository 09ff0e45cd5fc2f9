#pragma once

#include <cstdint>
#include <functional>

#include "widgets/Control.h"

namespace brisko::win {

// A slider over an integer range, with an event for the moment the mouse
// lets go of it.
class TrackBar : public Control {
 public:
  enum class Ticks { Below, Above, None };
  TrackBar(Container& parent, Bounds bounds, int minimum, int maximum, int tickStep, Ticks ticks = Ticks::Below);
  ~TrackBar() override;
  int Position() const;
  // Moves the slider without running OnChange.
  void SetPosition(int position);
  std::function<void()> OnChange;
  std::function<void()> OnRelease;
  void HandleScroll(WORD code) override;

 private:
  static LRESULT CALLBACK WatchRelease(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
};

// A bar showing a position from 0 to its maximum (100 at first). Both are
// 64-bit, so a byte count of a large download fits; the control itself is
// driven in steps of a fixed scale.
class ProgressBar : public Control {
 public:
  ProgressBar(Container& parent, Bounds bounds);
  std::int64_t Maximum() const { return maximum_; }
  // A maximum of 0 or below shows an empty bar.
  void SetMaximum(std::int64_t maximum);
  std::int64_t Position() const { return position_; }
  // Clamped to 0..maximum.
  void SetPosition(std::int64_t position);

 private:
  void Redraw();

  std::int64_t maximum_ = 100;
  std::int64_t position_ = 0;
};

}  // namespace brisko::win
