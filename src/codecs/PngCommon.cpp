#include "codecs/PngCommon.h"

#include <cstring>

namespace brisko::codecs {

void PngRaise(png_structp png, png_const_charp message) {
  auto* trap = static_cast<PngErrorTrap*>(png_get_error_ptr(png));
  if (trap) {
    std::strncpy(trap->message, message ? message : "unknown error", sizeof trap->message - 1);
    trap->message[sizeof trap->message - 1] = '\0';
  }
  png_longjmp(png, 1);
}

void PngIgnoreWarning(png_structp, png_const_charp) {}

bool PngProtect(png_structp png, PngStep step, void* context) noexcept {
  if (setjmp(png_jmpbuf(png))) return false;
  step(context);
  return true;
}

}  // namespace brisko::codecs
