#pragma once

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

// A bar showing 0 to 100 percent.
class ProgressBar : public Control {
 public:
  ProgressBar(Container& parent, Bounds bounds);
  int Position() const;
  void SetPosition(int percent);
};

}  // namespace brisko::win
