#include "imageops/Filters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "imageops/Bgr32.h"
#include "imageops/Rows.h"
#include "imageops/SingleTrig.h"

namespace brisko {

using imageops::ReplacePicture;

namespace {

// --- 3 x 3 filters -------------------------------------------------------------
//
// A row filter gets the rows above, at and below the output row and writes
// the inner bytes [3, bytes - 3) of `out`; the border pixels are copied
// around it. Same-channel neighbours sit three bytes apart, so all loops run
// over plain bytes and vectorise without shuffles.

struct Rows3 {
  const std::uint8_t* above;
  const std::uint8_t* own;
  const std::uint8_t* below;
};

// A general kernel runs in 16-bit lanes when no weighted sum can leave
// -32768..32767 (at most 128 in total weight, as the box and most smoothing
// kernels have), else in 32-bit lanes, the sums taken modulo 2^32.
// Either way the nine products are summed in kernel order per byte, a
// plain loop the vectoriser turns into multiplies and adds.
bool FitsSixteenBits(const Kernel3x3& k) {
  long long weight = 0;
  for (int v : k) weight += v < 0 ? -static_cast<long long>(v) : v;
  return weight * 255 <= 32767;
}

// s div d (d > 1) for 0 <= s < 2^15 as the high half of s * magic shifted
// right: with l = ceil(log2 d) and magic = ceil(2^(15 + l) / d), the
// product is off by less than one unit of the quotient (Granlund and
// Montgomery), and magic < 2^16.
struct ShortDivisor {
  std::uint16_t magic = 0;
  int shift = 0;
};

ShortDivisor ShortDivisorOf(int d) {
  int l = 0;
  while ((1 << l) < d) ++l;
  const std::uint32_t magic = static_cast<std::uint32_t>(((std::uint64_t{1} << (15 + l)) + d - 1) / d);
  return {static_cast<std::uint16_t>(magic), l - 1};
}

BRISKO_VECTOR_CLONES void ConvolveRowShort(const Rows3& r, const Kernel3x3& k, int divisor, std::size_t bytes,
                                           std::uint8_t* BRISKO_RESTRICT out) {
  const std::uint8_t* BRISKO_RESTRICT above = r.above;
  const std::uint8_t* BRISKO_RESTRICT own = r.own;
  const std::uint8_t* BRISKO_RESTRICT below = r.below;
  const auto k0 = static_cast<std::int16_t>(k[0]), k1 = static_cast<std::int16_t>(k[1]),
             k2 = static_cast<std::int16_t>(k[2]), k3 = static_cast<std::int16_t>(k[3]),
             k4 = static_cast<std::int16_t>(k[4]), k5 = static_cast<std::int16_t>(k[5]),
             k6 = static_cast<std::int16_t>(k[6]), k7 = static_cast<std::int16_t>(k[7]),
             k8 = static_cast<std::int16_t>(k[8]);
  const ShortDivisor d = ShortDivisorOf(divisor);
  const bool divides = divisor > 1;
  for (std::size_t i = 3; i + 3 < bytes; ++i) {
    const auto sum = static_cast<std::int16_t>(
        k0 * above[i - 3] + k1 * above[i] + k2 * above[i + 3] + k3 * own[i - 3] + k4 * own[i] + k5 * own[i + 3] +
        k6 * below[i - 3] + k7 * below[i] + k8 * below[i + 3]);
    // A negative sum truncates to 0 or below and clamps to 0.
    const auto positive = static_cast<std::uint16_t>(sum < 0 ? 0 : sum);
    const auto quotient =
        divides ? static_cast<std::uint16_t>(((static_cast<std::uint32_t>(positive) * d.magic) >> 16) >> d.shift)
                : positive;
    out[i] = static_cast<std::uint8_t>(quotient > 255 ? 255 : quotient);
  }
}

// Sums of any size, then the division: only 0 < s < 256 d matters after the
// clamp, and below 2^24 the single-precision quotient truncates as the
// exact one does (a quotient that is no whole number lies at least 1 / d
// from the next one, farther than the division's rounding reaches).
BRISKO_VECTOR_CLONES void ConvolveRowWide(const Rows3& r, const Kernel3x3& k, int divisor, std::size_t bytes,
                                          std::int32_t* BRISKO_RESTRICT sums, std::uint8_t* BRISKO_RESTRICT out) {
  const std::uint8_t* BRISKO_RESTRICT above = r.above;
  const std::uint8_t* BRISKO_RESTRICT own = r.own;
  const std::uint8_t* BRISKO_RESTRICT below = r.below;
  std::uint32_t w[9];
  for (int j = 0; j < 9; ++j) w[j] = static_cast<std::uint32_t>(k[static_cast<std::size_t>(j)]);
  for (std::size_t i = 3; i + 3 < bytes; ++i)
    sums[i] = static_cast<std::int32_t>(w[0] * above[i - 3] + w[1] * above[i] + w[2] * above[i + 3] +
                                        w[3] * own[i - 3] + w[4] * own[i] + w[5] * own[i + 3] + w[6] * below[i - 3] +
                                        w[7] * below[i] + w[8] * below[i + 3]);
  const std::int32_t limit = 256 * divisor;
  const float d = static_cast<float>(divisor);
  for (std::size_t i = 3; i + 3 < bytes; ++i) {
    const std::int32_t s = sums[i] < 0 ? 0 : (sums[i] > limit ? limit : sums[i]);
    const auto quotient = static_cast<std::int32_t>(static_cast<float>(s) / d);
    out[i] = static_cast<std::uint8_t>(quotient > 255 ? 255 : quotient);
  }
}

// Sum of the three rows, the vertical half of the separable filters.
BRISKO_VECTOR_CLONES void AddColumns(const Rows3& r, std::size_t bytes, int centreWeight,
                                     std::uint16_t* BRISKO_RESTRICT sum) {
  for (std::size_t i = 0; i < bytes; ++i)
    sum[i] = static_cast<std::uint16_t>(r.above[i] + centreWeight * r.own[i] + r.below[i]);
}

BRISKO_VECTOR_CLONES void BlurRow(const std::uint16_t* BRISKO_RESTRICT v, std::size_t bytes,
                                  std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t i = 3; i + 3 < bytes; ++i) out[i] = static_cast<std::uint8_t>((v[i - 3] + 2 * v[i] + v[i + 3]) >> 4);
}

BRISKO_VECTOR_CLONES void ColumnDifferenceRow(const std::uint16_t* BRISKO_RESTRICT v, std::size_t bytes,
                                              std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t i = 3; i + 3 < bytes; ++i) out[i] = imageops::ClampToByte(v[i + 3] - v[i - 3]);
}

BRISKO_VECTOR_CLONES void RowDifferenceRow(const Rows3& r, std::size_t bytes, std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t i = 3; i + 3 < bytes; ++i)
    out[i] = imageops::ClampToByte((r.below[i - 3] + r.below[i] + r.below[i + 3]) -
                                   (r.above[i - 3] + r.above[i] + r.above[i + 3]));
}

BRISKO_VECTOR_CLONES void SharpenRow(const Rows3& r, std::size_t bytes, std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t i = 3; i + 3 < bytes; ++i)
    out[i] = imageops::ClampToByte(5 * r.own[i] - r.own[i - 3] - r.own[i + 3] - r.above[i] - r.below[i]);
}

// Runs `filterRow(rows, bytes, out)` for the inner rows of a 24-bit copy of
// the source and copies the border around it.
template <class RowFilter>
void Filter3x3(const Bitmap& source, Bitmap& target, RowFilter filterRow) {
  if (&source == &target) {
    const Bitmap copy = source;
    Filter3x3(copy, target, filterRow);
    return;
  }
  Bitmap scratch;
  const Bitmap& picture = imageops::AsBgr24(source, scratch);
  const std::int32_t w = picture.Width(), h = picture.Height();
  imageops::PrepareBgr24(target, w, h);
  const std::size_t bytes = 3 * static_cast<std::size_t>(w);
  const bool filtered = w >= 3 && h >= 3;
  for (std::int32_t y = 0; y < h; ++y) {
    std::uint8_t* out = target.Row(y);
    const std::uint8_t* own = picture.Row(y);
    if (!filtered || y == 0 || y == h - 1) {
      std::memcpy(out, own, bytes);
    } else {
      filterRow(Rows3{picture.Row(y - 1), own, picture.Row(y + 1)}, bytes, out);
      imageops::CopyPixel(out, own);
      imageops::CopyPixel(out + bytes - 3, own + bytes - 3);
    }
    imageops::ZeroRowPadding(target, y);
  }
}

constexpr Kernel3x3 kColumnDifference = {-1, 0, 1, -1, 0, 1, -1, 0, 1};

// --- Twist -------------------------------------------------------------------

// (-n) mod size counted back from the last index, as the distortions wrap.
inline std::int64_t WrapIndex(std::int64_t i, std::int64_t size) {
  if (i < 0) return (size - 1) - ((-i) % size);
  if (i > size - 1) return i % size;
  return i;
}

constexpr float kHalfPi = 1.5707964f;
constexpr float kPiSingle = 3.14159265f;

// Output pixels [from, to) of row ty.
void TwistPixels(const Bitmap& picture, float amount, std::int32_t ty, std::int32_t from, std::int32_t to,
                 std::uint8_t* out) {
  const std::int32_t w = picture.Width(), h = picture.Height();
  const float cx = static_cast<float>(w - 1) / 2, cy = static_cast<float>(h - 1) / 2;
  const float dy = static_cast<float>(ty) - cy;
  for (std::int32_t tx = from; tx < to; ++tx) {
    const float dx = static_cast<float>(tx) - cx;
    const float r = std::sqrt(dx * dx + dy * dy);
    float offsetX = 0, offsetY = 0;
    if (r != 0) {
      float angle;
      if (dx == 0)
        angle = dy > 0 ? kHalfPi : -kHalfPi;
      else if (dx > 0)
        angle = std::atan(dy / dx);
      else
        angle = std::atan(dy / dx) + kPiSingle;
      const float theta = angle - r / amount + kHalfPi;
      offsetX = r * std::cos(theta);
      offsetY = r * std::sin(theta);
    }
    const float fx = cx + offsetX, fy = cy + offsetY;
    const auto ix = static_cast<std::int64_t>(std::trunc(fx)), iy = static_cast<std::int64_t>(std::trunc(fy));
    float wx[2], wy[2];
    if (fx >= 0) {
      wx[1] = fx - static_cast<float>(ix);
      wx[0] = 1 - wx[1];
    } else {
      wx[0] = static_cast<float>(ix) - fx;
      wx[1] = 1 - wx[0];
    }
    if (fy >= 0) {
      wy[1] = fy - static_cast<float>(iy);
      wy[0] = 1 - wy[1];
    } else {
      wy[0] = static_cast<float>(iy) - fy;
      wy[1] = 1 - wy[0];
    }
    const std::int64_t x = WrapIndex(ix, w), y = WrapIndex(iy, h);
    float sum[3] = {0, 0, 0};
    for (int oy = 0; oy < 2; ++oy) {
      const std::int64_t row = y + oy < h ? y + oy : h - y - oy;
      const std::uint8_t* in = picture.Row(static_cast<std::int32_t>(row));
      for (int ox = 0; ox < 2; ++ox) {
        const std::int64_t column = x + ox < w ? x + ox : w - x - ox;
        const float weight = wx[ox] * wy[oy];
        for (int c = 0; c < 3; ++c) sum[c] += static_cast<float>(in[3 * column + c]) * weight;
      }
    }
    for (int c = 0; c < 3; ++c) {
      const double v = imageops::RoundHalfEven(sum[c]);
      out[3 * tx + c] = static_cast<std::uint8_t>(v >= 255 ? 255 : (v > 0 ? v : 0));
    }
  }
}


#if defined(BRISKO_X86_DISPATCH)
// Sixteen output pixels at a time where AVX-512 is there: the source
// positions with the C library's functions as SingleTrig.h reproduces
// them, so the picture does not depend on the path that ran, then the four
// bilinear taps gathered and weighted in the scalar form's order.

// GCC 12 takes the placeholder operands inside the AVX-512 intrinsics for
// uninitialised values (its bug 105593); the warning says nothing here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

BRISKO_AVX512_VBMI inline __m256i TruncatedQuotients(__m256i n, __m512d divisor) {
  return _mm512_cvttpd_epi32(_mm512_div_pd(_mm512_cvtepi32_pd(n), divisor));
}

// WrapIndex on sixteen lanes; the remainders, when any lane needs one, come
// from double-precision quotients, exact for these magnitudes.
BRISKO_AVX512_VBMI inline __m512i WrapIndices(__m512i i, std::int32_t size) {
  const __mmask16 negative = _mm512_cmplt_epi32_mask(i, _mm512_setzero_si512());
  const __mmask16 beyond = _mm512_cmpgt_epi32_mask(i, _mm512_set1_epi32(size - 1));
  if ((negative | beyond) == 0) return i;
  const __m512i magnitude = _mm512_abs_epi32(i);
  const __m512d divisor = _mm512_set1_pd(size);
  const __m512i q = _mm512_inserti64x4(
      _mm512_castsi256_si512(TruncatedQuotients(_mm512_castsi512_si256(magnitude), divisor)),
      TruncatedQuotients(_mm512_extracti64x4_epi64(magnitude, 1), divisor), 1);
  const __m512i rest = _mm512_sub_epi32(magnitude, _mm512_mullo_epi32(q, _mm512_set1_epi32(size)));
  __m512i wrapped = _mm512_mask_mov_epi32(i, beyond, rest);
  return _mm512_mask_sub_epi32(wrapped, negative, _mm512_set1_epi32(size - 1), rest);
}

// The neighbour after i, the first one after the last.
BRISKO_AVX512_VBMI inline __m512i NextIndices(__m512i i, std::int32_t size) {
  const __m512i plus = _mm512_add_epi32(i, _mm512_set1_epi32(1));
  return _mm512_mask_mov_epi32(plus, _mm512_cmpge_epi32_mask(plus, _mm512_set1_epi32(size)),
                               _mm512_sub_epi32(_mm512_set1_epi32(size - 1), i));
}

// Weights from the fraction toward the truncated position, as the scalar
// form takes them on either side of 0.
BRISKO_AVX512_VBMI inline void PairWeights(__m512 f, __m512i i, __m512& w0, __m512& w1) {
  const __m512 whole = _mm512_cvtepi32_ps(i), one = _mm512_set1_ps(1.0f);
  const __mmask16 negative = _mm512_cmp_ps_mask(f, _mm512_setzero_ps(), _CMP_LT_OQ);
  w1 = _mm512_sub_ps(f, whole);
  w0 = _mm512_sub_ps(one, w1);
  const __m512 w0n = _mm512_sub_ps(whole, f);
  w0 = _mm512_mask_mov_ps(w0, negative, w0n);
  w1 = _mm512_mask_sub_ps(w1, negative, one, w0n);
}

// Channel c of pixel words, as floats.
BRISKO_AVX512_VBMI inline __m512 ChannelOf(__m512i words, int c) {
  const __m512i shifted = _mm512_srli_epi32(words, static_cast<unsigned>(8 * c));
  return _mm512_cvtepi32_ps(_mm512_and_si512(shifted, _mm512_set1_epi32(0xFF)));
}

// Pixel words at byte offsets into the picture; a pixel that ends the
// pixel block is read one byte earlier and shifted, so no load reaches
// past the block.
BRISKO_AVX512_VBMI inline __m512i GatherPixels(const std::uint8_t* base, __m512i offset, std::int32_t lastWord) {
  const __mmask16 atEnd = _mm512_cmpgt_epi32_mask(offset, _mm512_set1_epi32(lastWord));
  const __m512i from = _mm512_mask_sub_epi32(offset, atEnd, offset, _mm512_set1_epi32(1));
  const __m512i words = _mm512_i32gather_epi32(from, base, 1);
  return _mm512_mask_srli_epi32(words, atEnd, words, 8);
}

// Output pixels [from, to) of row ty, to - from a multiple of 16.
BRISKO_AVX512_VBMI void TwistSpanVbmi(const Bitmap& picture, float amount, std::int32_t ty, std::int32_t from,
                                      std::int32_t to, std::uint8_t* out) {
  const std::int32_t w = picture.Width(), h = picture.Height();
  const float cx = static_cast<float>(w - 1) / 2, cy = static_cast<float>(h - 1) / 2;
  const float dy = static_cast<float>(ty) - cy;
  const auto stride = static_cast<std::int32_t>(picture.Stride());
  const auto lastWord = static_cast<std::int32_t>(picture.ByteSize() - 4);
  const std::uint8_t* base = picture.Data();
  const __m512 vcx = _mm512_set1_ps(cx), vcy = _mm512_set1_ps(cy), vdy = _mm512_set1_ps(dy);
  const __m512 halfPi = _mm512_set1_ps(kHalfPi), vamount = _mm512_set1_ps(amount);
  const __m512 zero = _mm512_setzero_ps();
  const __m512i lanes = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  for (std::int32_t tx = from; tx < to; tx += 16) {
    const __m512 dx = _mm512_sub_ps(_mm512_cvtepi32_ps(_mm512_add_epi32(_mm512_set1_epi32(tx), lanes)), vcx);
    const __m512 r = _mm512_sqrt_ps(_mm512_add_ps(_mm512_mul_ps(dx, dx), _mm512_mul_ps(vdy, vdy)));
    const __mmask16 right = _mm512_cmp_ps_mask(dx, zero, _CMP_GT_OQ), left = _mm512_cmp_ps_mask(dx, zero, _CMP_LT_OQ);
    const __m512 arctangent = imageops::AtanSingle(_mm512_div_ps(vdy, dx));
    __m512 angle = _mm512_set1_ps(dy > 0 ? kHalfPi : -kHalfPi);
    angle = _mm512_mask_mov_ps(angle, right, arctangent);
    angle = _mm512_mask_add_ps(angle, left, arctangent, _mm512_set1_ps(kPiSingle));
    const __m512 theta = _mm512_add_ps(_mm512_sub_ps(angle, _mm512_div_ps(r, vamount)), halfPi);
    __m512 sine, cosine;
    imageops::SinCosSingle(theta, sine, cosine);
    const __mmask16 centre = _mm512_cmp_ps_mask(r, zero, _CMP_EQ_OQ);
    const __m512 fx = _mm512_add_ps(vcx, _mm512_mask_mov_ps(_mm512_mul_ps(r, cosine), centre, zero));
    const __m512 fy = _mm512_add_ps(vcy, _mm512_mask_mov_ps(_mm512_mul_ps(r, sine), centre, zero));
    const __m512i ix = _mm512_cvttps_epi32(fx), iy = _mm512_cvttps_epi32(fy);
    __m512 wx0, wx1, wy0, wy1;
    PairWeights(fx, ix, wx0, wx1);
    PairWeights(fy, iy, wy0, wy1);
    const __m512i x = WrapIndices(ix, w), y = WrapIndices(iy, h);
    const __m512i x1 = NextIndices(x, w), y1 = NextIndices(y, h);
    const __m512i three = _mm512_set1_epi32(3), vstride = _mm512_set1_epi32(stride);
    const __m512i row0 = _mm512_mullo_epi32(y, vstride), row1 = _mm512_mullo_epi32(y1, vstride);
    const __m512i col0 = _mm512_mullo_epi32(x, three), col1 = _mm512_mullo_epi32(x1, three);
    const __m512i taps[4] = {GatherPixels(base, _mm512_add_epi32(row0, col0), lastWord),
                             GatherPixels(base, _mm512_add_epi32(row0, col1), lastWord),
                             GatherPixels(base, _mm512_add_epi32(row1, col0), lastWord),
                             GatherPixels(base, _mm512_add_epi32(row1, col1), lastWord)};
    const __m512 weight[4] = {_mm512_mul_ps(wx0, wy0), _mm512_mul_ps(wx1, wy0), _mm512_mul_ps(wx0, wy1),
                              _mm512_mul_ps(wx1, wy1)};
    __m128i channel[3];
    for (int c = 0; c < 3; ++c) {
      __m512 sum = _mm512_mul_ps(ChannelOf(taps[0], c), weight[0]);
      for (int k = 1; k < 4; ++k) sum = _mm512_add_ps(sum, _mm512_mul_ps(ChannelOf(taps[k], c), weight[k]));
      sum = _mm512_roundscale_ps(sum, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
      sum = _mm512_min_ps(_mm512_max_ps(sum, zero), _mm512_set1_ps(255.0f));
      channel[c] = _mm512_cvtepi32_epi8(_mm512_cvtps_epi32(sum));
    }
    imageops::JoinBgr16(channel, out + 3 * static_cast<std::size_t>(tx));
  }
  _mm256_zeroupper();
}

#pragma GCC diagnostic pop

// The vector form computes byte offsets in 32 bits and positions in single
// precision without loss.
bool TwistFitsVectors(const Bitmap& picture) {
  return picture.ByteSize() < (std::size_t{1} << 31) && picture.Width() < (1 << 20) && picture.Height() < (1 << 20);
}
#endif

// Nearby output pixels read nearby source pixels, but along a row they
// trace an arc across the whole picture. Bands of output columns keep the
// source lines and pages that one row's band reads in the caches for the
// next row's.
constexpr std::int32_t kTwistBand = 256;

void TwistRows(const Bitmap& picture, float amount, Bitmap& target) {
  const std::int32_t w = picture.Width(), h = picture.Height();
  std::int32_t vectorWidth = 0;
#if defined(BRISKO_X86_DISPATCH)
  if (imageops::HasAvx512Vbmi() && TwistFitsVectors(picture)) {
    vectorWidth = w - w % 16;
    for (std::int32_t band = 0; band < vectorWidth; band += kTwistBand)
      for (std::int32_t y = 0; y < h; ++y)
        TwistSpanVbmi(picture, amount, y, band, std::min(band + kTwistBand, vectorWidth), target.Row(y));
  }
#endif
  for (std::int32_t y = 0; y < h; ++y) {
    TwistPixels(picture, amount, y, vectorWidth, w, target.Row(y));
    imageops::ZeroRowPadding(target, y);
  }
}

// --- WaveWarp ----------------------------------------------------------------

// A shift amplitude * sin(index / period), in extended precision, to be
// added to whole positions and rounded.
struct WaveShift {
  long double value = 0;
  std::int64_t rounded = 0;
  bool nearHalf = false;
};

WaveShift WaveShiftAt(long double amplitude, long double period, std::int32_t index) {
  WaveShift s;
  s.value = amplitude * std::sin(static_cast<long double>(index) / period);
  s.rounded = static_cast<std::int64_t>(imageops::RoundHalfEvenExtended(s.value));
  s.nearHalf = std::fabs(s.value - std::floor(s.value) - 0.5L) <= 1e-9L;
  return s;
}

// round(shift + position). Adding a position below 2^21 to the shift rounds
// in the 64-bit mantissa by less than 2^-42, so unless the shift lies that
// close to a half-way point the sum rounds as position + round(shift); near
// one, the sum itself is rounded, a tie to the even side.
inline std::int64_t Shifted(const WaveShift& s, std::int32_t position) {
  if (!s.nearHalf) return position + s.rounded;
  return static_cast<std::int64_t>(imageops::RoundHalfEvenExtended(s.value + static_cast<long double>(position)));
}

}  // namespace

void Convolve3x3(const Bitmap& source, Bitmap& target, const Kernel3x3& kernel, std::uint16_t divisor) {
  const int d = divisor == 0 ? 1 : divisor;
  if (FitsSixteenBits(kernel)) {
    Filter3x3(source, target, [&](const Rows3& r, std::size_t n, std::uint8_t* out) {
      ConvolveRowShort(r, kernel, d, n, out);
    });
    return;
  }
  std::vector<std::int32_t> sums;
  Filter3x3(source, target, [&](const Rows3& r, std::size_t n, std::uint8_t* out) {
    sums.resize(n);
    ConvolveRowWide(r, kernel, d, n, sums.data(), out);
  });
}

void Convolve3x3(Bitmap& bitmap, const Kernel3x3& kernel, std::uint16_t divisor) {
  Convolve3x3(bitmap, bitmap, kernel, divisor);
}

void EdgeDetect(const Bitmap& source, Bitmap& target, int kind) {
  if (kind == 1 || kind == 2) {
    std::vector<std::uint16_t> sum;
    Filter3x3(source, target, [&](const Rows3& r, std::size_t n, std::uint8_t* out) {
      sum.resize(n);
      AddColumns(r, n, 1, sum.data());
      ColumnDifferenceRow(sum.data(), n, out);
    });
  } else {
    Filter3x3(source, target, RowDifferenceRow);
  }
}

void EdgeDetect(ImageView& view, int kind) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { EdgeDetect(s, t, kind); });
}

void Sharpen(const Bitmap& source, Bitmap& target) { Filter3x3(source, target, SharpenRow); }

void Sharpen(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { Sharpen(s, t); });
}

void GaussianBlur(const Bitmap& source, Bitmap& target) {
  std::vector<std::uint16_t> sum;
  Filter3x3(source, target, [&](const Rows3& r, std::size_t n, std::uint8_t* out) {
    sum.resize(n);
    AddColumns(r, n, 2, sum.data());
    BlurRow(sum.data(), n, out);
  });
}

void GaussianBlur(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { GaussianBlur(s, t); });
}

void Twist(const Bitmap& source, Bitmap& target, float amount) {
  if (&source == &target) {
    const Bitmap copy = source;
    Twist(copy, target, amount);
    return;
  }
  if (source.IsEmpty() || amount == 0) {
    target = source;
    return;
  }
  Bitmap scratch;
  const Bitmap& picture = imageops::AsBgr24(source, scratch);
  imageops::PrepareBgr24(target, picture.Width(), picture.Height());
  TwistRows(picture, amount, target);
}

void Twist(ImageView& view, float amount) {
  if (view.Picture().IsEmpty() || amount == 0) return;
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { Twist(s, t, amount); });
}

void WaveWarp(const Bitmap& source, Bitmap& target, int xPeriod, int yPeriod, int amplitude) {
  if (&source == &target) {
    const Bitmap copy = source;
    WaveWarp(copy, target, xPeriod, yPeriod, amplitude);
    return;
  }
  if (source.IsEmpty() || xPeriod == 0 || yPeriod == 0) {
    target = source;
    return;
  }
  Bitmap scratch;
  const Bitmap& picture = imageops::AsBgr24(source, scratch);
  const std::int32_t w = picture.Width(), h = picture.Height();
  imageops::PrepareBgr24(target, w, h);
  std::vector<WaveShift> down(static_cast<std::size_t>(w));
  for (std::int32_t x = 0; x < w; ++x) down[static_cast<std::size_t>(x)] = WaveShiftAt(amplitude, xPeriod, x);
  for (std::int32_t y = 0; y < h; ++y) {
    const WaveShift across = WaveShiftAt(amplitude, yPeriod, y);
    std::uint8_t* out = target.Row(y);
    for (std::int32_t x = 0; x < w; ++x) {
      const std::int64_t fromX = WrapIndex(Shifted(across, x), w);
      const std::int64_t fromY = WrapIndex(Shifted(down[static_cast<std::size_t>(x)], y), h);
      imageops::CopyPixel(out + 3 * x, picture.Row(static_cast<std::int32_t>(fromY)) + 3 * fromX);
    }
    imageops::ZeroRowPadding(target, y);
  }
}

void WaveWarp(ImageView& view, int xPeriod, int yPeriod, int amplitude) {
  if (view.Picture().IsEmpty() || xPeriod == 0 || yPeriod == 0) return;
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { WaveWarp(s, t, xPeriod, yPeriod, amplitude); });
}

}  // namespace brisko
