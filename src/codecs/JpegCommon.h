#pragma once

// Included before jpeglib.h, which expects size_t and FILE to be declared.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

// How libjpeg's errors reach C++ safely.
//
// libjpeg reports a fatal error by calling error_exit, which must not
// return. Ours copies the message and long-jumps back to the setjmp in
// JpegProtect. Between the two lie only JpegProtect's own frame, the plain
// step function it calls and libjpeg's C frames; none of them holds an
// object with a destructor, so the jump skips no C++ cleanup. The caller of
// JpegProtect, an ordinary C++ function, then throws ImageError.
//
// Callbacks that run C++ code (the sink of the writer) catch everything,
// keep the exception and raise a libjpeg error instead; the caller rethrows
// the kept exception.
namespace brisko::codecs {

struct JpegErrorTrap {
  // First member, so that the library's pointer to it is a pointer to us.
  jpeg_error_mgr manager;
  std::jmp_buf escape;
  char message[JMSG_LENGTH_MAX];
  // A warning that we treat as an error (a file that ends too soon).
  int fatalWarning;
};

// Installs the trap as the error manager of `info`.
jpeg_error_mgr* InstallTrap(JpegErrorTrap& trap);

using JpegStep = void (*)(void* context);

// Runs step(context); false when libjpeg raised an error inside it, with
// the message in trap.message.
[[nodiscard]] bool JpegProtect(JpegErrorTrap& trap, JpegStep step, void* context) noexcept;

}  // namespace brisko::codecs
