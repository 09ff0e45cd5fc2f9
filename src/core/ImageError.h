#pragma once

#include <stdexcept>

namespace brisko {

// An image file that cannot be decoded or a picture that cannot be encoded;
// the message says why, in words a user can act on.
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace brisko
