#pragma once

#include <png.h>

// How libpng's errors reach C++ safely.
//
// libpng reports a fatal error through our error function, which copies the
// message and long-jumps (png_longjmp) to the setjmp in PngProtect. Between
// the two lie only PngProtect's frame, the plain step function it calls,
// libpng's C frames and the error function; none holds an object with a
// destructor, so the jump skips no C++ cleanup. The caller of PngProtect, an
// ordinary C++ function, then throws ImageError. Callbacks that run C++ code
// (the writer's sink) catch everything, keep the exception and raise a
// libpng error instead; the caller rethrows the kept exception.
namespace brisko::codecs {

struct PngErrorTrap {
  char message[200];
};

// The error and warning functions to hand to png_create_*_struct, with the
// trap as their error pointer. Warnings are dropped: libpng would print them.
void PngRaise(png_structp png, png_const_charp message);
void PngIgnoreWarning(png_structp png, png_const_charp message);

using PngStep = void (*)(void* context);

// Runs step(context); false when libpng raised an error inside it, with the
// message in the trap given when the struct was created.
[[nodiscard]] bool PngProtect(png_structp png, PngStep step, void* context) noexcept;

}  // namespace brisko::codecs
