#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "core/Bitmap.h"

namespace brisko {

// A displayed picture: it holds one bitmap and takes that bitmap's size.
// The image operations and the previews replace its picture; the window that
// shows it learns of every change through the change handler.
class ImageView {
 public:
  const Bitmap& Picture() const { return picture_; }
  void SetPicture(Bitmap picture) {
    picture_ = std::move(picture);
    Changed();
  }
  // Empties the picture (size 0 x 0).
  void Clear() { SetPicture(Bitmap{}); }

  std::int32_t Width() const { return picture_.Width(); }
  std::int32_t Height() const { return picture_.Height(); }

  // Position inside the parent panel.
  std::int32_t Left() const { return left_; }
  std::int32_t Top() const { return top_; }
  void SetPosition(std::int32_t left, std::int32_t top) {
    left_ = left;
    top_ = top;
    Changed();
  }

  void SetChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }

 private:
  void Changed() {
    if (onChange_) onChange_();
  }

  Bitmap picture_;
  std::int32_t left_ = 0;
  std::int32_t top_ = 0;
  std::function<void()> onChange_;
};

}  // namespace brisko
