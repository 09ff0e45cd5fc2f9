#include "imageops/Geometric.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "imageops/Bgr32.h"
#include "imageops/Resample.h"
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif
#include "imageops/Rows.h"

namespace brisko {

using imageops::AsBgr24;
using imageops::Bgr24Rows;
using imageops::CopyPixel;
using imageops::PrepareBgr24;
using imageops::ReplacePicture;
using imageops::ZeroRowPadding;

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

// Output pixels go left to right as words, so each word's spare byte is
// overwritten by the next pixel; the first read (the row's last pixel) and
// the last write are the two that must not reach past the row.
void ReverseRowScalar(const std::uint8_t* BRISKO_RESTRICT in, std::int32_t width, std::uint8_t* BRISKO_RESTRICT out) {
  if (width <= 0) return;
  const std::uint8_t* from = in + 3 * static_cast<std::size_t>(width - 1);
  CopyPixel(out, from);
  for (std::int32_t x = 1; x < width - 1; ++x) imageops::CopyPixelWide(out + 3 * x, from - 3 * x);
  if (width > 1) CopyPixel(out + 3 * (width - 1), in);
}

#if defined(BRISKO_X86_DISPATCH)
// Thirty-two pixels at a time: split into channels, each channel's bytes
// reversed within its 128-bit lanes and the lanes swapped, joined again.
// Returns how many output pixels it wrote. The block order matters: when
// source and output rows share their offsets within memory pages (a flip
// of row y into row y), loads and stores that sweep towards each other
// keep hitting the same page offsets and the processor stalls them as
// possible overlaps; going the other way is twice as fast there, and the
// opposite holds for rows at unrelated offsets (a half turn).
__attribute__((target("avx2"))) std::int32_t ReverseRowAvx2(const std::uint8_t* in, std::int32_t width,
                                                             std::uint8_t* out, bool fromRight) {
  const __m256i reverse = _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11,
                                           10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  const std::int32_t blocks = width / 32;
  for (std::int32_t k = 0; k < blocks; ++k) {
    const std::int32_t x = 32 * (fromRight ? blocks - 1 - k : k);
    __m256i c[3];
    imageops::SplitBgr32(in + 3 * static_cast<std::size_t>(width - x - 32), c);
    for (int k = 0; k < 3; ++k) c[k] = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(c[k], reverse), 0x4E);
    imageops::JoinBgr32(c, out + 3 * static_cast<std::size_t>(x));
  }
  return 32 * blocks;
}
#endif

// `sameOffsets`: the output row lies at the source row's offset within a
// page (see ReverseRowAvx2).
void ReverseRow(const std::uint8_t* BRISKO_RESTRICT in, std::int32_t width, std::uint8_t* BRISKO_RESTRICT out,
                bool sameOffsets) {
#if defined(BRISKO_X86_DISPATCH)
  if (__builtin_cpu_supports("avx2")) {
    // The blocks take the output's left part; the rest mirrors the
    // source's first `width - done` pixels.
    const std::int32_t done = ReverseRowAvx2(in, width, out, sameOffsets);
    ReverseRowScalar(in, width - done, out + 3 * static_cast<std::size_t>(done));
    return;
  }
#else
  (void)sameOffsets;
#endif
  ReverseRowScalar(in, width, out);
}

// Quarter turns move pixels between rows and columns. The work goes in
// bands of source columns (output rows), each walked down the source in
// small square tiles, so the rows in use on both sides stay in the caches
// and their pages in the address translation buffers.
constexpr std::int32_t kTurnTile = 128;

// Result column `toColumn(y)` of row `toRow(x)` gets source pixel (x, y).
template <bool Clockwise>
void QuarterTurn(const Bitmap& source, Bitmap& target) {
  const std::int32_t w = source.Width(), h = source.Height();
  const std::int32_t tiles = (h + kTurnTile - 1) / kTurnTile;
  const std::int32_t bands = (w + kTurnTile - 1) / kTurnTile;
  for (std::int32_t b = 0; b < bands; ++b) {
    // Bands and tiles in the order that writes the output forward.
    const std::int32_t tx = (Clockwise ? b : bands - 1 - b) * kTurnTile;
    const std::int32_t xEnd = std::min(w, tx + kTurnTile);
    for (std::int32_t t = 0; t < tiles; ++t) {
      const std::int32_t ty = (Clockwise ? tiles - 1 - t : t) * kTurnTile;
      const std::int32_t yEnd = std::min(h, ty + kTurnTile);
      for (std::int32_t i = 0; i < xEnd - tx; ++i) {
        const std::int32_t x = Clockwise ? tx + i : xEnd - 1 - i;
        std::uint8_t* out = target.Row(Clockwise ? x : w - 1 - x);
        // Word copies need the byte after the source pixel (there is one
        // unless it ends a row) and write the byte after the target pixel,
        // which the next pixel of the output row then overwrites, so the
        // output row is filled left to right and its last pixel copied
        // bytewise.
        const bool wide = x + 1 < w;
        const std::int32_t n = yEnd - ty;
        const std::int32_t firstY = Clockwise ? yEnd - 1 : ty;
        const std::ptrdiff_t step = Clockwise ? -static_cast<std::ptrdiff_t>(source.Stride())
                                              : static_cast<std::ptrdiff_t>(source.Stride());
        const std::uint8_t* in = source.Row(firstY) + 3 * static_cast<std::size_t>(x);
        std::uint8_t* to = out + 3 * static_cast<std::size_t>(Clockwise ? h - 1 - firstY : firstY);
        for (std::int32_t k = 0; k < n - 1; ++k, in += step, to += 3) {
          if (wide)
            imageops::CopyPixelWide(to, in);
          else
            CopyPixel(to, in);
        }
        const std::int32_t lastColumn = Clockwise ? h - 1 - (yEnd - n) : yEnd - 1;
        if (wide && lastColumn + 1 < h)
          imageops::CopyPixelWide(to, in);
        else
          CopyPixel(to, in);
      }
    }
  }
}

template <bool Clockwise>
void QuarterTurn24(const Bitmap& source, Bitmap& target) {
  if (&source == &target) {
    const Bitmap copy = source;
    QuarterTurn24<Clockwise>(copy, target);
    return;
  }
  Bitmap scratch;
  const Bitmap& picture = AsBgr24(source, scratch);
  PrepareBgr24(target, source.Height(), source.Width());
  QuarterTurn<Clockwise>(picture, target);
  imageops::ZeroPadding(target);
}

std::int32_t TruncatedSide(std::int32_t side, long double factor) {
  const long double v = std::trunc(static_cast<long double>(side) * factor);
  if (!(v >= 0)) throw std::invalid_argument("zoom factor gives a negative size");
  if (v > static_cast<long double>(kMaxBitmapSide)) throw std::length_error("zoomed picture is too large");
  return static_cast<std::int32_t>(v);
}

// --- RotateAngle -------------------------------------------------------------

struct CanvasSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

CanvasSize RotatedCanvas(std::int32_t w, std::int32_t h, long double degrees) {
  const long double phi = degrees * kPi / 180;
  const long double c = std::cos(phi), s = std::sin(phi);
  const std::int32_t hw = w / 2, hh = h / 2;
  const std::int32_t corners[4][2] = {{-hw, hh}, {hw, hh}, {-hw, -hh}, {hw, -hh}};
  long double minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (int k = 0; k < 4; ++k) {
    const long double x = corners[k][0], y = corners[k][1];
    const long double rx = imageops::RoundHalfEvenExtended(x * c - y * s), ry = imageops::RoundHalfEvenExtended(x * s + y * c);
    if (k == 0 || rx < minX) minX = rx;
    if (k == 0 || rx > maxX) maxX = rx;
    if (k == 0 || ry < minY) minY = ry;
    if (k == 0 || ry > maxY) maxY = ry;
  }
  return {static_cast<std::int32_t>(maxX - minX), static_cast<std::int32_t>(maxY - minY)};
}

struct RotationFrame {
  std::int32_t cx, cy, ox, oy;
  double sinTheta, cosTheta;
  // Bounds on how far the double-precision position and channel value can
  // lie from the extended-precision ones.
  double positionSlack, valueSlack;
  std::uint8_t background[3];  // blue, green, red
};

RotationFrame FrameFor(std::int32_t w, std::int32_t h, const CanvasSize& size, long double degrees,
                       Colour background) {
  const long double theta = -degrees * kPi / 180;
  RotationFrame f{size.width / 2,
                  size.height / 2,
                  (size.width - w) / 2,
                  (size.height - h) / 2,
                  static_cast<double>(std::sin(theta)),
                  static_cast<double>(std::cos(theta)),
                  0,
                  0,
                  {BlueOf(background), GreenOf(background), RedOf(background)}};
  // Each of the few double operations errs by at most 2^-53 of the largest
  // magnitude involved (|a|, |b| <= 2 * side + 1, plus the centre terms);
  // 2^-48 of their sum leaves a wide margin. A channel value moves by at
  // most 3 * 255 times the position error.
  const double magnitude = 3.0 * (size.width + size.height) + std::abs(f.ox) + std::abs(f.oy) + 8;
  f.positionSlack = std::ldexp(magnitude, -48);
  f.valueSlack = 1024 * f.positionSlack + 1e-9;
  return f;
}

// Bilinear value of one channel at fraction (fx, fy) between the four
// neighbours; negative fractions extrapolate. Templated on the precision:
// the extended form is the definition, the double form the fast path.
template <class Real>
inline Real Interpolate(Real c00, Real c10, Real c01, Real c11, Real fx, Real fy) {
  const Real top = c00 + fx * (c10 - c00);
  const Real bottom = c01 + fx * (c11 - c01);
  return top + fy * (bottom - top);
}

inline std::uint8_t ClampRounded(long long v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// One output pixel exactly as defined, in extended precision. llrint rounds
// to even; a truncating cast would switch the x87 rounding mode twice.
void RotatePixelExtended(const Bitmap& picture, const RotationFrame& f, std::int32_t i, std::int32_t j,
                         std::uint8_t* out) {
  const std::int32_t w = picture.Width(), h = picture.Height();
  const long double s = f.sinTheta, c = f.cosTheta;
  const long double a = 2 * (static_cast<long double>(i) - f.cx) + 1;
  const long double b = 2 * (static_cast<long double>(j) - f.cy) + 1;
  const long double X = (a * c - b * s - 1) / 2 + f.cx - f.ox;
  const long double Y = (a * s + b * c - 1) / 2 + f.cy - f.oy;
  const long long rx = std::llrint(X), ry = std::llrint(Y);
  if (rx < 0 || rx >= w || ry < 0 || ry >= h) {
    CopyPixel(out, f.background);
    return;
  }
  const auto x0 = static_cast<std::int32_t>(rx), y0 = static_cast<std::int32_t>(ry);
  const std::int32_t x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
  const long double fx = X - static_cast<long double>(rx), fy = Y - static_cast<long double>(ry);
  const std::uint8_t* r0 = picture.Row(y0);
  const std::uint8_t* r1 = picture.Row(y1);
  for (int ch = 0; ch < 3; ++ch)
    out[ch] = ClampRounded(std::llrint(Interpolate<long double>(r0[3 * x0 + ch], r0[3 * x1 + ch], r1[3 * x0 + ch],
                                                                r1[3 * x1 + ch], fx, fy)));
}

// Columns [first, last) of output row j whose source position can fall
// inside the picture; the position moves linearly along the row, and a
// margin of a pixel keeps the per-pixel test the judge at both ends.
std::pair<std::int32_t, std::int32_t> InsideColumns(const RotationFrame& f, std::int32_t j, std::int32_t width,
                                                    std::int32_t w, std::int32_t h) {
  const double b = 2 * (static_cast<double>(j) - f.cy) + 1;
  // X(i) = X0 + i * cos, Y(i) = Y0 + i * sin.
  const double a0 = 1 - 2.0 * f.cx;
  const double x0 = (a0 * f.cosTheta - b * f.sinTheta - 1) / 2 + f.cx - f.ox;
  const double y0 = (a0 * f.sinTheta + b * f.cosTheta - 1) / 2 + f.cy - f.oy;
  double lo = 0, hi = width;
  auto limit = [&](double start, double slope, double size) {
    // start + i * slope must stay within [-1.5, size + 0.5].
    if (std::abs(slope) < 1e-12) {
      if (start < -1.5 || start > size + 0.5) hi = lo;
      return;
    }
    double i0 = (-1.5 - start) / slope, i1 = (size + 0.5 - start) / slope;
    if (i0 > i1) std::swap(i0, i1);
    lo = std::max(lo, std::floor(i0) - 1);
    hi = std::min(hi, std::ceil(i1) + 2);
  };
  limit(x0, f.cosTheta, w);
  limit(y0, f.sinTheta, h);
  if (hi <= lo) return {0, 0};
  return {static_cast<std::int32_t>(lo), static_cast<std::int32_t>(hi)};
}

// The row in double precision, which gives the same pixels as the extended
// definition whenever no rounding lies within the error bound of a half-way
// point; the rare pixels where one does are computed in extended precision.
void RotateRowPart(const Bitmap& picture, const RotationFrame& f, std::int32_t j, std::int32_t first,
                   std::int32_t last, std::uint8_t* out) {
  const std::int32_t w = picture.Width(), h = picture.Height();
  const double s = f.sinTheta, c = f.cosTheta;
  const double b = 2 * (static_cast<double>(j) - f.cy) + 1;
  const double positionLimit = 0.5 - f.positionSlack, valueLimit = 0.5 - f.valueSlack;
  for (std::int32_t i = first; i < last; ++i) {
    const double a = 2 * (static_cast<double>(i) - f.cx) + 1;
    const double X = (a * c - b * s - 1) / 2 + f.cx - f.ox;
    const double Y = (a * s + b * c - 1) / 2 + f.cy - f.oy;
    const double rx = imageops::RoundHalfEven(X), ry = imageops::RoundHalfEven(Y);
    const double fx = X - rx, fy = Y - ry;
    if (std::abs(fx) >= positionLimit || std::abs(fy) >= positionLimit) {
      RotatePixelExtended(picture, f, i, j, out + 3 * i);
      continue;
    }
    if (rx < 0 || rx >= w || ry < 0 || ry >= h) {
      CopyPixel(out + 3 * i, f.background);
      continue;
    }
    const auto x0 = static_cast<std::int32_t>(rx), y0 = static_cast<std::int32_t>(ry);
    const std::int32_t x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
    const std::uint8_t* r0 = picture.Row(y0);
    const std::uint8_t* r1 = picture.Row(y1);
    double rounded[3];
    bool settled = true;
    for (int ch = 0; ch < 3; ++ch) {
      const double v =
          Interpolate<double>(r0[3 * x0 + ch], r0[3 * x1 + ch], r1[3 * x0 + ch], r1[3 * x1 + ch], fx, fy);
      rounded[ch] = imageops::RoundHalfEven(v);
      settled = settled && std::abs(v - rounded[ch]) < valueLimit;
    }
    if (!settled) {
      RotatePixelExtended(picture, f, i, j, out + 3 * i);
      continue;
    }
    for (int ch = 0; ch < 3; ++ch)
      out[3 * i + ch] = static_cast<std::uint8_t>(rounded[ch] < 0 ? 0 : (rounded[ch] > 255 ? 255 : rounded[ch]));
  }
}

#if defined(BRISKO_X86_DISPATCH)
// Four output pixels at a time with the same double-precision operations
// as RotateRowPart, in the same order (no fused multiply-adds), so each lane
// gives what the scalar code would. A group whose pixels are not all plainly
// inside the picture and clear of half-way points goes to RotateRowPart.
__attribute__((target("avx2"))) void RotateRowPartAvx2(const Bitmap& picture, const RotationFrame& f,
                                                       std::int32_t j, std::int32_t first, std::int32_t last,
                                                       std::uint8_t* out) {
  const std::int32_t w = picture.Width(), h = picture.Height();
  const double b = 2 * (static_cast<double>(j) - f.cy) + 1;
  const __m256d s = _mm256_set1_pd(f.sinTheta), c = _mm256_set1_pd(f.cosTheta);
  const __m256d bs = _mm256_set1_pd(b * f.sinTheta), bc = _mm256_set1_pd(b * f.cosTheta);
  const __m256d one = _mm256_set1_pd(1), half = _mm256_set1_pd(0.5);
  const __m256d cx = _mm256_set1_pd(f.cx), cy = _mm256_set1_pd(f.cy), ox = _mm256_set1_pd(f.ox), oy = _mm256_set1_pd(f.oy);
  const __m256d positionLimit = _mm256_set1_pd(0.5 - f.positionSlack), valueLimit = _mm256_set1_pd(0.5 - f.valueSlack);
  const __m256d signBits = _mm256_set1_pd(-0.0), zero = _mm256_setzero_pd();
  const __m256d width = _mm256_set1_pd(w), height = _mm256_set1_pd(h), top255 = _mm256_set1_pd(255);
  const __m128i lastColumn = _mm_set1_epi32(w - 1), lastRow = _mm_set1_epi32(h - 1), oneInt = _mm_set1_epi32(1);
  const __m128i stride = _mm_set1_epi32(static_cast<int>(picture.Stride())), three = _mm_set1_epi32(3);
  const __m128i byteMask = _mm_set1_epi32(0xFF);
  // A gather reads four bytes; the pixel's fourth must still be in the block.
  const __m128i lastWordStart = _mm_set1_epi32(static_cast<int>(picture.ByteSize()) - 4);
  const auto* base = reinterpret_cast<const int*>(picture.Data());
  std::int32_t i = first;
  for (; i + 4 <= last; i += 4) {
    const __m256d a = _mm256_add_pd(
        _mm256_mul_pd(_mm256_set1_pd(2), _mm256_sub_pd(_mm256_setr_pd(i, i + 1, i + 2, i + 3), cx)), one);
    // (a c - b s - 1) / 2 + cx - ox, and (a s + b c - 1) / 2 + cy - oy.
    const __m256d X = _mm256_sub_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(_mm256_sub_pd(_mm256_mul_pd(a, c), bs), one), half), cx), ox);
    const __m256d Y = _mm256_sub_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(_mm256_add_pd(_mm256_mul_pd(a, s), bc), one), half), cy), oy);
    const __m256d rx = _mm256_round_pd(X, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d ry = _mm256_round_pd(Y, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d fx = _mm256_sub_pd(X, rx), fy = _mm256_sub_pd(Y, ry);
    __m256d clean = _mm256_and_pd(_mm256_cmp_pd(_mm256_andnot_pd(signBits, fx), positionLimit, _CMP_LT_OQ),
                                  _mm256_cmp_pd(_mm256_andnot_pd(signBits, fy), positionLimit, _CMP_LT_OQ));
    clean = _mm256_and_pd(clean, _mm256_and_pd(_mm256_cmp_pd(rx, zero, _CMP_GE_OQ), _mm256_cmp_pd(rx, width, _CMP_LT_OQ)));
    clean = _mm256_and_pd(clean, _mm256_and_pd(_mm256_cmp_pd(ry, zero, _CMP_GE_OQ), _mm256_cmp_pd(ry, height, _CMP_LT_OQ)));
    if (_mm256_movemask_pd(clean) != 0xF) {
      RotateRowPart(picture, f, j, i, i + 4, out);
      continue;
    }
    const __m128i x0 = _mm256_cvtpd_epi32(rx), y0 = _mm256_cvtpd_epi32(ry);
    const __m128i x1 = _mm_min_epi32(_mm_add_epi32(x0, oneInt), lastColumn);
    const __m128i y1 = _mm_min_epi32(_mm_add_epi32(y0, oneInt), lastRow);
    const __m128i row0 = _mm_mullo_epi32(y0, stride), row1 = _mm_mullo_epi32(y1, stride);
    const __m128i col0 = _mm_mullo_epi32(x0, three), col1 = _mm_mullo_epi32(x1, three);
    const __m128i at11 = _mm_add_epi32(row1, col1);
    if (_mm_movemask_epi8(_mm_cmpgt_epi32(at11, lastWordStart)) != 0) {
      RotateRowPart(picture, f, j, i, i + 4, out);
      continue;
    }
    const __m128i p00 = _mm_i32gather_epi32(base, _mm_add_epi32(row0, col0), 1);
    const __m128i p10 = _mm_i32gather_epi32(base, _mm_add_epi32(row0, col1), 1);
    const __m128i p01 = _mm_i32gather_epi32(base, _mm_add_epi32(row1, col0), 1);
    const __m128i p11 = _mm_i32gather_epi32(base, at11, 1);
    __m128i result = _mm_setzero_si128();
    bool settled = true;
    for (int ch = 0; ch < 3 && settled; ++ch) {
      const __m128i shift = _mm_cvtsi32_si128(8 * ch);
      const __m256d c00 = _mm256_cvtepi32_pd(_mm_and_si128(_mm_srl_epi32(p00, shift), byteMask));
      const __m256d c10 = _mm256_cvtepi32_pd(_mm_and_si128(_mm_srl_epi32(p10, shift), byteMask));
      const __m256d c01 = _mm256_cvtepi32_pd(_mm_and_si128(_mm_srl_epi32(p01, shift), byteMask));
      const __m256d c11 = _mm256_cvtepi32_pd(_mm_and_si128(_mm_srl_epi32(p11, shift), byteMask));
      const __m256d topValue = _mm256_add_pd(c00, _mm256_mul_pd(fx, _mm256_sub_pd(c10, c00)));
      const __m256d bottomValue = _mm256_add_pd(c01, _mm256_mul_pd(fx, _mm256_sub_pd(c11, c01)));
      const __m256d v = _mm256_add_pd(topValue, _mm256_mul_pd(fy, _mm256_sub_pd(bottomValue, topValue)));
      const __m256d r = _mm256_round_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
      settled = _mm256_movemask_pd(_mm256_cmp_pd(_mm256_andnot_pd(signBits, _mm256_sub_pd(v, r)), valueLimit,
                                                 _CMP_LT_OQ)) == 0xF;
      const __m256d clamped = _mm256_min_pd(_mm256_max_pd(r, zero), top255);
      result = _mm_or_si128(result, _mm_sll_epi32(_mm256_cvtpd_epi32(clamped), shift));
    }
    if (!settled) {
      RotateRowPart(picture, f, j, i, i + 4, out);
      continue;
    }
    alignas(16) std::uint32_t pixels[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(pixels), result);
    std::uint8_t* to = out + 3 * static_cast<std::size_t>(i);
    // Words for the first three; their spare bytes land on the next pixel.
    std::memcpy(to, &pixels[0], 4);
    std::memcpy(to + 3, &pixels[1], 4);
    std::memcpy(to + 6, &pixels[2], 4);
    std::memcpy(to + 9, &pixels[3], 3);
  }
  RotateRowPart(picture, f, j, i, last, out);
}
#endif

#if defined(BRISKO_X86_DISPATCH)
// GCC 12's AVX-512 intrinsics start their results from an undefined
// register and then warn that it may be used uninitialised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
// RotateRowPartAvx2 eight pixels at a time, the same operations in the
// same order; the eight pixels go out through one byte permute.
BRISKO_AVX512_VBMI void RotateRowPartAvx512(const Bitmap& picture, const RotationFrame& f, std::int32_t j,
                                            std::int32_t first, std::int32_t last, std::uint8_t* out) {
  const std::int32_t w = picture.Width(), h = picture.Height();
  const double b = 2 * (static_cast<double>(j) - f.cy) + 1;
  const __m512d s = _mm512_set1_pd(f.sinTheta), c = _mm512_set1_pd(f.cosTheta);
  const __m512d bs = _mm512_set1_pd(b * f.sinTheta), bc = _mm512_set1_pd(b * f.cosTheta);
  const __m512d one = _mm512_set1_pd(1), two = _mm512_set1_pd(2), half = _mm512_set1_pd(0.5);
  const __m512d cx = _mm512_set1_pd(f.cx), cy = _mm512_set1_pd(f.cy), ox = _mm512_set1_pd(f.ox), oy = _mm512_set1_pd(f.oy);
  const __m512d positionLimit = _mm512_set1_pd(0.5 - f.positionSlack), valueLimit = _mm512_set1_pd(0.5 - f.valueSlack);
  const __m512d zero = _mm512_setzero_pd(), top255 = _mm512_set1_pd(255);
  const __m512d width = _mm512_set1_pd(w), height = _mm512_set1_pd(h);
  const __m512d lanes = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i lastColumn = _mm256_set1_epi32(w - 1), lastRow = _mm256_set1_epi32(h - 1), oneInt = _mm256_set1_epi32(1);
  const __m256i stride = _mm256_set1_epi32(static_cast<int>(picture.Stride())), three = _mm256_set1_epi32(3);
  const __m256i byteMask = _mm256_set1_epi32(0xFF);
  const __m256i lastWordStart = _mm256_set1_epi32(static_cast<int>(picture.ByteSize()) - 4);
  // Output byte k is byte k % 3 of word k / 3.
  const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25, 26, 28,
                                        29, 30, 0, 0, 0, 0, 0, 0, 0, 0);
  const auto* base = reinterpret_cast<const int*>(picture.Data());
  constexpr int kNearest = _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC;
  std::int32_t i = first;
  for (; i + 8 <= last; i += 8) {
    const __m512d a = _mm512_add_pd(_mm512_mul_pd(two, _mm512_sub_pd(_mm512_add_pd(_mm512_set1_pd(i), lanes), cx)), one);
    const __m512d X = _mm512_sub_pd(_mm512_add_pd(_mm512_mul_pd(_mm512_sub_pd(_mm512_sub_pd(_mm512_mul_pd(a, c), bs), one), half), cx), ox);
    const __m512d Y = _mm512_sub_pd(_mm512_add_pd(_mm512_mul_pd(_mm512_sub_pd(_mm512_add_pd(_mm512_mul_pd(a, s), bc), one), half), cy), oy);
    const __m512d rx = _mm512_roundscale_pd(X, kNearest), ry = _mm512_roundscale_pd(Y, kNearest);
    const __m512d fx = _mm512_sub_pd(X, rx), fy = _mm512_sub_pd(Y, ry);
    const __mmask8 clean = _mm512_cmp_pd_mask(_mm512_abs_pd(fx), positionLimit, _CMP_LT_OQ) &
                           _mm512_cmp_pd_mask(_mm512_abs_pd(fy), positionLimit, _CMP_LT_OQ) &
                           _mm512_cmp_pd_mask(rx, zero, _CMP_GE_OQ) & _mm512_cmp_pd_mask(rx, width, _CMP_LT_OQ) &
                           _mm512_cmp_pd_mask(ry, zero, _CMP_GE_OQ) & _mm512_cmp_pd_mask(ry, height, _CMP_LT_OQ);
    if (clean != 0xFF) {
      RotateRowPart(picture, f, j, i, i + 8, out);
      continue;
    }
    const __m256i x0 = _mm512_cvtpd_epi32(rx), y0 = _mm512_cvtpd_epi32(ry);
    const __m256i x1 = _mm256_min_epi32(_mm256_add_epi32(x0, oneInt), lastColumn);
    const __m256i y1 = _mm256_min_epi32(_mm256_add_epi32(y0, oneInt), lastRow);
    const __m256i row0 = _mm256_mullo_epi32(y0, stride), row1 = _mm256_mullo_epi32(y1, stride);
    const __m256i col0 = _mm256_mullo_epi32(x0, three), col1 = _mm256_mullo_epi32(x1, three);
    const __m256i at11 = _mm256_add_epi32(row1, col1);
    if (_mm256_movemask_epi8(_mm256_cmpgt_epi32(at11, lastWordStart)) != 0) {
      RotateRowPart(picture, f, j, i, i + 8, out);
      continue;
    }
    const __m256i p00 = _mm256_i32gather_epi32(base, _mm256_add_epi32(row0, col0), 1);
    const __m256i p10 = _mm256_i32gather_epi32(base, _mm256_add_epi32(row0, col1), 1);
    const __m256i p01 = _mm256_i32gather_epi32(base, _mm256_add_epi32(row1, col0), 1);
    const __m256i p11 = _mm256_i32gather_epi32(base, at11, 1);
    __m256i result = _mm256_setzero_si256();
    bool settled = true;
    for (int ch = 0; ch < 3 && settled; ++ch) {
      const __m128i shift = _mm_cvtsi32_si128(8 * ch);
      const __m512d c00 = _mm512_cvtepi32_pd(_mm256_and_si256(_mm256_srl_epi32(p00, shift), byteMask));
      const __m512d c10 = _mm512_cvtepi32_pd(_mm256_and_si256(_mm256_srl_epi32(p10, shift), byteMask));
      const __m512d c01 = _mm512_cvtepi32_pd(_mm256_and_si256(_mm256_srl_epi32(p01, shift), byteMask));
      const __m512d c11 = _mm512_cvtepi32_pd(_mm256_and_si256(_mm256_srl_epi32(p11, shift), byteMask));
      const __m512d topValue = _mm512_add_pd(c00, _mm512_mul_pd(fx, _mm512_sub_pd(c10, c00)));
      const __m512d bottomValue = _mm512_add_pd(c01, _mm512_mul_pd(fx, _mm512_sub_pd(c11, c01)));
      const __m512d v = _mm512_add_pd(topValue, _mm512_mul_pd(fy, _mm512_sub_pd(bottomValue, topValue)));
      const __m512d r = _mm512_roundscale_pd(v, kNearest);
      settled = _mm512_cmp_pd_mask(_mm512_abs_pd(_mm512_sub_pd(v, r)), valueLimit, _CMP_LT_OQ) == 0xFF;
      const __m512d clamped = _mm512_min_pd(_mm512_max_pd(r, zero), top255);
      result = _mm256_or_si256(result, _mm256_sll_epi32(_mm512_cvtpd_epi32(clamped), shift));
    }
    if (!settled) {
      RotateRowPart(picture, f, j, i, i + 8, out);
      continue;
    }
    _mm256_mask_storeu_epi8(out + 3 * static_cast<std::size_t>(i), 0xFFFFFF, _mm256_permutexvar_epi8(pack, result));
  }
  RotateRowPartAvx2(picture, f, j, i, last, out);
}
#pragma GCC diagnostic pop
#endif

void RotateSpan(const Bitmap& picture, const RotationFrame& f, std::int32_t j, std::int32_t first, std::int32_t last,
                std::uint8_t* out) {
#if defined(BRISKO_X86_DISPATCH)
  if (imageops::HasAvx512Vbmi()) {
    RotateRowPartAvx512(picture, f, j, first, last, out);
    return;
  }
  if (__builtin_cpu_supports("avx2")) {
    RotateRowPartAvx2(picture, f, j, first, last, out);
    return;
  }
#endif
  RotateRowPart(picture, f, j, first, last, out);
}

// Output tiles of this many rows and columns: a tile reads a small turned
// patch of the source, where whole rows would each cross thousands of
// source rows and miss the caches and page tables on every pixel.
constexpr std::int32_t kRotateTileRows = 16;
constexpr std::int32_t kRotateTileColumns = 64;

// One pixel, then the filled part copied onto the rest, doubling each time.
void FillRowWith(std::uint8_t* row, std::int32_t width, Colour c) {
  if (width <= 0) return;
  const std::uint8_t pixel[3] = {BlueOf(c), GreenOf(c), RedOf(c)};
  CopyPixel(row, pixel);
  const std::size_t bytes = 3 * static_cast<std::size_t>(width);
  for (std::size_t done = 3; done < bytes; done *= 2) std::memcpy(row + done, row, std::min(done, bytes - done));
}

// --- ResizeCanvas ------------------------------------------------------------

struct Offset {
  std::int32_t dx = 0;
  std::int32_t dy = 0;
};

Offset PlacementOffset(int placement, std::int32_t dw, std::int32_t dh) {
  // dw, dh: canvas minus picture; "div 2" truncates toward zero as C++ does.
  switch (placement) {
    case 2: return {dw / 2, 0};
    case 3: return {dw, 0};
    case 4: return {0, dh / 2};
    case 5: return {dw / 2, dh / 2};
    case 6: return {dw, dh / 2};
    case 7: return {0, dh};
    case 8: return {dw / 2, dh};
    case 9: return {dw, dh};
    default: return {0, 0};
  }
}

}  // namespace

void ZoomStretch(const Bitmap& source, Bitmap& target, long double factor) {
  Resample(source, target, TruncatedSide(source.Width(), factor), TruncatedSide(source.Height(), factor));
}

void ZoomStretch(ImageView& view, const Bitmap& source, long double factor) {
  Bitmap zoomed;
  ZoomStretch(source, zoomed, factor);
  view.SetPicture(std::move(zoomed));
}

void FlipHorizontal(const Bitmap& source, Bitmap& target) {
  const std::int32_t w = source.Width(), h = source.Height();
  const bool inPlace = &source == &target && source.Format() == PixelFormat::Bgr24;
  if (&source == &target && !inPlace) {
    const Bitmap copy = source;
    FlipHorizontal(copy, target);
    return;
  }
  Bgr24Rows rows(source);
  if (!inPlace) PrepareBgr24(target, w, h);
  std::vector<std::uint8_t> row(inPlace ? 3 * static_cast<std::size_t>(w) : 0);
  for (std::int32_t y = 0; y < h; ++y) {
    const std::uint8_t* in = rows.Row(y);
    if (inPlace) {
      std::memcpy(row.data(), in, row.size());
      in = row.data();
    }
    ReverseRow(in, w, target.Row(y), true);
    ZeroRowPadding(target, y);
  }
}

void FlipHorizontal(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { FlipHorizontal(s, t); });
}

void FlipVertical(const Bitmap& source, Bitmap& target) {
  if (&source == &target) {
    const Bitmap copy = source;
    FlipVertical(copy, target);
    return;
  }
  const std::int32_t w = source.Width(), h = source.Height();
  Bgr24Rows rows(source);
  PrepareBgr24(target, w, h);
  // The source is read front to back: rows taken from the bottom up, each
  // read forwards, make a zig-zag the prefetcher follows badly.
  for (std::int32_t y = 0; y < h; ++y) {
    std::memcpy(target.Row(h - 1 - y), rows.Row(y), 3 * static_cast<std::size_t>(w));
    ZeroRowPadding(target, h - 1 - y);
  }
}

void FlipVertical(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { FlipVertical(s, t); });
}

void Rotate90(const Bitmap& source, Bitmap& target) { QuarterTurn24<true>(source, target); }

void Rotate90(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { Rotate90(s, t); });
}

void Rotate180(const Bitmap& source, Bitmap& target) {
  if (&source == &target) {
    const Bitmap copy = source;
    Rotate180(copy, target);
    return;
  }
  const std::int32_t w = source.Width(), h = source.Height();
  Bgr24Rows rows(source);
  PrepareBgr24(target, w, h);
  for (std::int32_t y = 0; y < h; ++y) {
    ReverseRow(rows.Row(h - 1 - y), w, target.Row(y), false);
    ZeroRowPadding(target, y);
  }
}

void Rotate180(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { Rotate180(s, t); });
}

void Rotate270(const Bitmap& source, Bitmap& target) { QuarterTurn24<false>(source, target); }

void Rotate270(Bitmap& picture) {
  Bitmap turned;
  Rotate270(picture, turned);
  turned.SetFillColour(picture.FillColour());
  picture = std::move(turned);
}

void Rotate270(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { Rotate270(s, t); });
}

void RotateAngle(const Bitmap& source, Bitmap& target, Colour background, long double degrees) {
  if (&source == &target) {
    const Bitmap copy = source;
    RotateAngle(copy, target, background, degrees);
    return;
  }
  Bitmap scratch;
  const Bitmap& picture = AsBgr24(source, scratch);
  const std::int32_t w = picture.Width(), h = picture.Height();
  const CanvasSize size = RotatedCanvas(w, h, degrees);
  PrepareBgr24(target, size.width, size.height);
  target.SetFillColour(background);
  const RotationFrame frame = FrameFor(w, h, size, degrees, background);
  std::pair<std::int32_t, std::int32_t> spans[kRotateTileRows];
  for (std::int32_t top = 0; top < size.height; top += kRotateTileRows) {
    const std::int32_t rows = std::min(kRotateTileRows, size.height - top);
    std::int32_t first = size.width, last = 0;
    for (std::int32_t k = 0; k < rows; ++k) {
      // The span's pixels are all written by the rotation, background
      // included; only the rest of the row needs filling here.
      std::uint8_t* row = target.Row(top + k);
      spans[k] = InsideColumns(frame, top + k, size.width, w, h);
      if (spans[k].second <= spans[k].first) spans[k] = {size.width, size.width};
      FillRowWith(row, spans[k].first, background);
      FillRowWith(row + 3 * static_cast<std::size_t>(spans[k].second), size.width - spans[k].second, background);
      ZeroRowPadding(target, top + k);
      first = std::min(first, spans[k].first);
      last = std::max(last, spans[k].second);
    }
    for (std::int32_t left = first; left < last; left += kRotateTileColumns)
      for (std::int32_t k = 0; k < rows; ++k)
        RotateSpan(picture, frame, top + k, std::max(left, spans[k].first),
                      std::min(left + kRotateTileColumns, spans[k].second), target.Row(top + k));
  }
}

long double ParseAngle(std::string_view text, char decimalSeparator) {
  const auto first = text.find_first_not_of(" \t");
  const auto last = text.find_last_not_of(" \t");
  std::string number(first == std::string_view::npos ? std::string_view{} : text.substr(first, last - first + 1));
  std::replace(number.begin(), number.end(), decimalSeparator, '.');
  const bool plainNumber = !number.empty() && number.find_first_not_of("+-.0123456789eE") == std::string::npos;
  std::istringstream in(number);
  in.imbue(std::locale::classic());
  long double value = 0;
  in >> value;
  if (!plainNumber || in.fail() || in.peek() != std::char_traits<char>::eof() || !std::isfinite(value))
    throw std::invalid_argument("'" + std::string(text) + "' is not a valid angle");
  return value;
}

void RotateAngle(const ImageView& source, ImageView& target, Colour background, std::string_view angle,
                 char decimalSeparator) {
  const long double degrees = ParseAngle(angle, decimalSeparator);
  Bitmap rotated;
  RotateAngle(source.Picture(), rotated, background, degrees);
  target.SetPicture(std::move(rotated));
}

void ResizeCanvas(const Bitmap& source, Bitmap& target, std::int32_t width, std::int32_t height, int placement) {
  if (&source == &target) {
    const Bitmap copy = source;
    ResizeCanvas(copy, target, width, height, placement);
    return;
  }
  const std::int32_t w = source.Width(), h = source.Height();
  const Offset at = PlacementOffset(placement, width - w, height - h);
  PrepareBgr24(target, width, height);
  // Columns of the canvas that the picture covers, and where they start in it.
  const std::int32_t left = std::clamp(at.dx, 0, width), right = std::clamp(at.dx + w, left, width);
  const std::size_t before = 3 * static_cast<std::size_t>(left), covered = 3 * static_cast<std::size_t>(right - left);
  const std::size_t after = 3 * static_cast<std::size_t>(width) - before - covered;
  const std::size_t from = 3 * static_cast<std::size_t>(left - at.dx);
  Bgr24Rows rows(source);
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* out = target.Row(y);
    const std::int32_t sy = y - at.dy;
    if (sy < 0 || sy >= h || covered == 0) {
      std::memset(out, 0xFF, 3 * static_cast<std::size_t>(width));
    } else {
      std::memset(out, 0xFF, before);
      std::memcpy(out + before, rows.Row(sy) + from, covered);
      std::memset(out + before + covered, 0xFF, after);
    }
    ZeroRowPadding(target, y);
  }
}

void ResizeCanvas(ImageView& view, std::int32_t width, std::int32_t height, int placement) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { ResizeCanvas(s, t, width, height, placement); });
}

void ScaleImage(const Bitmap& source, Bitmap& target, std::int32_t width, std::int32_t height, bool smooth) {
  if (smooth)
    Resample(source, target, width, height);
  else
    StretchBlackOnWhite(source, target, width, height);
}

void ScaleImage(ImageView& view, std::int32_t width, std::int32_t height, bool smooth) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { ScaleImage(s, t, width, height, smooth); });
}

void PerspectiveShear(const Bitmap& source, Bitmap& target) {
  if (&source == &target) {
    const Bitmap copy = source;
    PerspectiveShear(copy, target);
    return;
  }
  if (source.IsEmpty()) {
    target = source;
    return;
  }
  Bitmap scratch;
  const Bitmap& picture = AsBgr24(source, scratch);
  const std::int32_t w = picture.Width(), h = picture.Height();
  const std::int32_t top = w / 2;
  const double step = static_cast<double>(w - top) / h;
  PrepareBgr24(target, w, h);
  for (std::int32_t y = 0; y < h; ++y) {
    const auto span = static_cast<std::int32_t>(std::trunc(static_cast<long double>(y) * step + top));
    const std::int32_t x0 = (w - span) / 2;
    // White around the span; the span itself is drawn over.
    std::uint8_t* row = target.Row(y);
    std::memset(row, 0xFF, 3 * static_cast<std::size_t>(x0));
    std::memset(row + 3 * static_cast<std::size_t>(x0 + span), 0xFF, 3 * static_cast<std::size_t>(w - x0 - span));
    ZeroRowPadding(target, y);
    ResampleRect(picture, Rect{0, y, w, y + 1}, target, Rect{x0, y, x0 + span, y + 1});
  }
  if (source.Format() != PixelFormat::Bgr24) target.SetFormat(source.Format(), source.Palette());
}

void PerspectiveShear(ImageView& view) {
  if (view.Picture().IsEmpty()) return;
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { PerspectiveShear(s, t); });
}

}  // namespace brisko
