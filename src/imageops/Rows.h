#pragma once

// Row plumbing shared by the image operations; not part of their interface.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "core/Bitmap.h"
#include "core/ImageView.h"

// Hot row kernels get AVX2 versions (AVX-512 VBMI for byte tables), chosen
// at run time where the toolchain can dispatch: target_clones twins (ELF
// ifuncs) and a few hand-written kernels behind a CPU check. The 24-bit
// layouts need byte shuffles that SSE2 lacks. MinGW has no ifuncs, and its
// GCC does not keep 32-byte stack alignment for AVX spills, so Windows
// builds keep the SSE2 baseline. Defining BRISKO_NO_DISPATCH
// builds the baseline everywhere, to test it on machines that have AVX2.
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__) && defined(__ELF__) && \
    !defined(BRISKO_NO_DISPATCH)
#define BRISKO_X86_DISPATCH 1
#define BRISKO_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define BRISKO_VECTOR_CLONES
#endif

// SSE2 is part of every x86-64 processor.
#if defined(__SSE2__) || defined(_M_X64)
#define BRISKO_HAVE_SSE2 1
#include <emmintrin.h>
#endif

#if defined(__GNUC__) || defined(__clang__)
#define BRISKO_RESTRICT __restrict__
#elif defined(_MSC_VER)
#define BRISKO_RESTRICT __restrict
#else
#define BRISKO_RESTRICT
#endif

namespace brisko::imageops {

// Makes `target` a width x height 24-bit bitmap with a white fill colour.
// A target that already has that shape keeps its pixel block (and its
// content), so repeated calls with one target allocate nothing; otherwise
// its pixels are fresh and unwritten.
void PrepareBgr24(Bitmap& target, std::int32_t width, std::int32_t height);

// The bytes after the last pixel of a row, zeroed so that no reader of the
// whole block ever sees unwritten memory.
inline void ZeroRowPadding(Bitmap& bitmap, std::int32_t y) {
  const std::size_t used = static_cast<std::size_t>(bitmap.Width()) * 3;
  if (bitmap.Stride() > used) std::memset(bitmap.Row(y) + used, 0, bitmap.Stride() - used);
}
void ZeroPadding(Bitmap& bitmap);

// The source itself when it is 24-bit, else a 24-bit copy made in `scratch`.
const Bitmap& AsBgr24(const Bitmap& source, Bitmap& scratch);

// Reads rows of any format as 24-bit rows, converting one row at a time, so
// a streaming operation needs no full-size copy of a reduced picture.
class Bgr24Rows {
 public:
  explicit Bgr24Rows(const Bitmap& source);
  // Valid until the next call when the source is not 24-bit.
  const std::uint8_t* Row(std::int32_t y);
  bool Converts() const { return !buffer_.empty(); }

 private:
  const Bitmap& source_;
  std::vector<std::uint8_t> buffer_;
};

// Round to nearest, a tie to the even neighbour, for |x| < 2^51: adding and
// removing 1.5 * 2^52 leaves the rounding to the FPU's default mode, which
// is exactly that rule, and compiles to two vector instructions.
inline double RoundHalfEven(double x) {
  constexpr double kShifter = 6755399441055744.0;
  return (x + kShifter) - kShifter;
}

// The same rule in extended precision: rint rounds in the FPU's default
// mode and, unlike nearbyint, compiles to one x87 instruction.
inline long double RoundHalfEvenExtended(long double x) { return std::rint(x); }

constexpr std::uint8_t ClampToByte(int v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline void CopyPixel(std::uint8_t* to, const std::uint8_t* from) {
  to[0] = from[0];
  to[1] = from[1];
  to[2] = from[2];
}

// A pixel moved as one 4-byte word: one load and one store instead of two
// of each. It reads the byte after `from` and writes the byte after `to`;
// callers keep both inside the bitmaps and overwrite that byte afterwards.
inline void CopyPixelWide(std::uint8_t* to, const std::uint8_t* from) {
  std::uint32_t word;
  std::memcpy(&word, from, sizeof word);
  std::memcpy(to, &word, sizeof word);
}

// The pattern every view operation follows: compute the result from the
// view's picture into a new bitmap, then hand that to the view.
template <class Operation>
void ReplacePicture(ImageView& view, Operation&& operation) {
  Bitmap result;
  operation(view.Picture(), result);
  view.SetPicture(std::move(result));
}

}  // namespace brisko::imageops
