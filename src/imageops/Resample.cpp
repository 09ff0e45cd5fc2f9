#include "imageops/Resample.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "imageops/Bgr32.h"
#include "imageops/Rows.h"

namespace brisko {

using imageops::Bgr24Rows;

namespace {

// How the destination pixels of one axis cover the source pixels. In units
// of 1/(destination / g) source pixels (g the greatest common divisor of the
// two lengths) every overlap is a whole number, and the overlaps of one
// destination pixel add up to source / g, so the averages are exact
// fractions.
struct AreaWeights {
  std::vector<std::int32_t> first;   // first source pixel of each destination pixel
  std::vector<std::uint32_t> start;  // its first weight in `weights`; one extra end entry
  std::vector<std::uint32_t> weights;
  std::uint32_t total = 1;           // sum of the weights of any destination pixel
};

AreaWeights PlanAreaWeights(std::int32_t source, std::int32_t destination) {
  AreaWeights plan;
  const std::int64_t g = std::gcd(source, destination);
  const std::int64_t perDestination = source / g;
  const std::int64_t perSource = destination / g;
  plan.total = static_cast<std::uint32_t>(perDestination);
  plan.first.resize(static_cast<std::size_t>(destination));
  plan.start.resize(static_cast<std::size_t>(destination) + 1);
  plan.weights.reserve(static_cast<std::size_t>(source) + 2 * static_cast<std::size_t>(destination));
  for (std::int32_t j = 0; j < destination; ++j) {
    const std::int64_t lo = j * perDestination, hi = lo + perDestination;
    std::int64_t i = lo / perSource;
    plan.first[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(i);
    plan.start[static_cast<std::size_t>(j)] = static_cast<std::uint32_t>(plan.weights.size());
    for (; i * perSource < hi; ++i) {
      const std::int64_t overlap = std::min(hi, (i + 1) * perSource) - std::max(lo, i * perSource);
      plan.weights.push_back(static_cast<std::uint32_t>(overlap));
    }
  }
  plan.start.back() = static_cast<std::uint32_t>(plan.weights.size());
  return plan;
}

// Source pixels [begin, end) of each destination pixel along one axis, for
// the stretches that pick or combine whole pixels instead of averaging.
struct PixelRanges {
  std::vector<std::int32_t> begin;
  std::vector<std::int32_t> end;
  bool single = true;  // every range holds one pixel
};

PixelRanges PlanBlackOnWhite(std::int32_t source, std::int32_t destination) {
  PixelRanges r;
  r.begin.resize(static_cast<std::size_t>(destination));
  r.end.resize(static_cast<std::size_t>(destination));
  const std::int64_t s = source, d = destination;
  for (std::int64_t i = 0; i < d; ++i) {
    std::int64_t b, e;
    if (d >= s) {
      b = i * s / d;
      e = b + 1;
    } else {
      b = (i * s + d - 1) / d;
      e = ((i + 1) * s + d - 1) / d;
    }
    r.begin[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(b);
    r.end[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(e);
    r.single = r.single && e == b + 1;
  }
  return r;
}

PixelRanges SingleRangesOf(const AreaWeights& plan) {
  PixelRanges r;
  r.begin = plan.first;
  r.end = plan.first;
  for (auto& e : r.end) ++e;
  return r;
}

// --- row kernels -----------------------------------------------------------

void PickColumns(const std::uint8_t* BRISKO_RESTRICT source, const std::int32_t* columns, std::int32_t count,
                 std::uint8_t* BRISKO_RESTRICT out) {
  for (std::int32_t j = 0; j < count; ++j) imageops::CopyPixel(out + 3 * j, source + 3 * columns[j]);
}

// A source pixel repeated `factor` times: the whole-number enlargements.
void RepeatColumns(const std::uint8_t* BRISKO_RESTRICT source, std::int32_t sourceCount, std::int32_t factor,
                   std::uint8_t* BRISKO_RESTRICT out) {
  if (factor == 2) {
    for (std::int32_t i = 0; i < sourceCount; ++i) {
      imageops::CopyPixel(out + 6 * i, source + 3 * i);
      imageops::CopyPixel(out + 6 * i + 3, source + 3 * i);
    }
    return;
  }
  for (std::int32_t i = 0; i < sourceCount; ++i)
    for (std::int32_t k = 0; k < factor; ++k) imageops::CopyPixel(out + 3 * (i * factor + k), source + 3 * i);
}

void AndColumns(const std::uint8_t* BRISKO_RESTRICT source, const PixelRanges& columns,
                std::uint8_t* BRISKO_RESTRICT out) {
  const auto count = static_cast<std::int32_t>(columns.begin.size());
  for (std::int32_t j = 0; j < count; ++j) {
    std::uint8_t b = 0xFF, g = 0xFF, r = 0xFF;
    for (std::int32_t i = columns.begin[j]; i < columns.end[j]; ++i) {
      b &= source[3 * i];
      g &= source[3 * i + 1];
      r &= source[3 * i + 2];
    }
    out[3 * j] = b;
    out[3 * j + 1] = g;
    out[3 * j + 2] = r;
  }
}

// Source pixels 2j and 2j + 1 of rows a and b AND-combined into output
// pixel j, for j < count: the plain stretch to half the width. `b` may be
// `a` when one source row stands alone.
void AndPairsScalar(const std::uint8_t* a, const std::uint8_t* b, std::int32_t count, std::uint8_t* out) {
  for (std::int32_t j = 0; j < count; ++j)
    for (int c = 0; c < 3; ++c) out[3 * j + c] = a[6 * j + c] & a[6 * j + 3 + c] & b[6 * j + c] & b[6 * j + 3 + c];
}

#if defined(BRISKO_X86_DISPATCH)
// Byte 3 j + c of 192 output bytes is byte 6 j + c of the AND of the pair
// rows with themselves shifted by a pixel. Output register m (64 bytes)
// needs those bytes from kPairWindow[m] to 127 beyond it, which two
// registers of such ANDs starting there hold.
constexpr int kPairWindow[3] = {0, 127, 254};

struct PairIndices {
  alignas(64) std::uint8_t index[3][64];
  constexpr PairIndices() : index{} {
    for (int m = 0; m < 3; ++m)
      for (int k = 0; k < 64; ++k) {
        const int o = 64 * m + k;
        index[m][k] = static_cast<std::uint8_t>(6 * (o / 3) + o % 3 - kPairWindow[m]);
      }
  }
};
inline constexpr PairIndices kPairIndices{};

BRISKO_AVX512_VBMI inline __m512i AndOfPairs(const std::uint8_t* a, const std::uint8_t* b) {
  return _mm512_and_si512(_mm512_and_si512(_mm512_loadu_si512(a), _mm512_loadu_si512(a + 3)),
                          _mm512_and_si512(_mm512_loadu_si512(b), _mm512_loadu_si512(b + 3)));
}

// Sixty-four output pixels from 128 source pixels of each row at a time;
// the last group's loads reach one byte past its 384, so a group runs only
// where the row has that byte. Returns how many pixels it wrote.
BRISKO_AVX512_VBMI std::int32_t AndPairsVbmi(const std::uint8_t* a, const std::uint8_t* b, std::int32_t count,
                                            std::size_t sourceBytes, std::uint8_t* out) {
  std::int32_t j = 0;
  for (; j + 64 <= count && 6 * static_cast<std::size_t>(j) + 385 <= sourceBytes; j += 64) {
    const std::size_t base = 6 * static_cast<std::size_t>(j);
    for (int m = 0; m < 3; ++m) {
      const std::size_t at = base + static_cast<std::size_t>(kPairWindow[m]);
      const __m512i low = AndOfPairs(a + at, b + at), high = AndOfPairs(a + at + 64, b + at + 64);
      const __m512i index = _mm512_load_si512(kPairIndices.index[m]);
      _mm512_storeu_si512(out + 3 * static_cast<std::size_t>(j) + 64 * m, _mm512_permutex2var_epi8(low, index, high));
    }
  }
  _mm256_zeroupper();
  return j;
}
#endif

void AndPairs(const std::uint8_t* a, const std::uint8_t* b, std::int32_t count, std::size_t sourceBytes,
              std::uint8_t* out) {
  std::int32_t done = 0;
#if defined(BRISKO_X86_DISPATCH)
  if (imageops::HasAvx512Vbmi()) done = AndPairsVbmi(a, b, count, sourceBytes, out);
#else
  (void)sourceBytes;
#endif
  AndPairsScalar(a + 6 * done, b + 6 * done, count - done, out + 3 * done);
}

// Every range two pixels, the first of them 2 j: half the width.
bool HalvesPairs(const PixelRanges& r) {
  for (std::size_t j = 0; j < r.begin.size(); ++j)
    if (r.begin[j] != 2 * static_cast<std::int32_t>(j) || r.end[j] != r.begin[j] + 2) return false;
  return true;
}

BRISKO_VECTOR_CLONES void AndInto(std::uint8_t* BRISKO_RESTRICT accumulator,
                                  const std::uint8_t* BRISKO_RESTRICT row, std::size_t bytes) {
  for (std::size_t k = 0; k < bytes; ++k) accumulator[k] &= row[k];
}

// Two source rows halved in both directions. First every byte gets the
// rounded mean of itself and the same channel of the next pixel in both
// rows, a plain byte loop; then every other pixel of that is kept. The sum
// of four is rounded half to even: (s + 1 + bit 2 of s) >> 2.
BRISKO_VECTOR_CLONES void AverageQuads(const std::uint8_t* BRISKO_RESTRICT a, const std::uint8_t* BRISKO_RESTRICT b,
                                       std::size_t bytes, std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t k = 0; k + 3 < bytes; ++k) {
    const unsigned s = a[k] + a[k + 3] + b[k] + b[k + 3];
    out[k] = static_cast<std::uint8_t>((s + 1 + ((s >> 2) & 1)) >> 2);
  }
}

#if defined(BRISKO_X86_DISPATCH)
// Sixteen output pixels from 32 pixels of each row: channels split, pairs
// added by a multiply-add with ones, both rows summed and rounded.
__attribute__((target("avx2"))) std::int32_t HalveRowPairAvx2(const std::uint8_t* a, const std::uint8_t* b,
                                                              std::int32_t count, std::uint8_t* out) {
  const __m256i ones = _mm256_set1_epi8(1), one = _mm256_set1_epi16(1);
  std::int32_t j = 0;
  for (; j + 16 <= count; j += 16) {
    __m256i top[3], bottom[3];
    imageops::SplitBgr32(a + 6 * j, top);
    imageops::SplitBgr32(b + 6 * j, bottom);
    __m128i halved[3];
    for (int c = 0; c < 3; ++c) {
      const __m256i s = _mm256_add_epi16(_mm256_maddubs_epi16(top[c], ones), _mm256_maddubs_epi16(bottom[c], ones));
      const __m256i odd = _mm256_and_si256(_mm256_srli_epi16(s, 2), one);
      const __m256i r = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(s, one), odd), 2);
      // Lane 0 holds outputs 0..7, lane 1 outputs 8..15: pack, then bring
      // the two low quadwords together.
      const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(r, r), 0x08);
      halved[c] = _mm256_castsi256_si128(packed);
    }
    imageops::JoinBgr16(halved, out + 3 * j);
  }
  return j;
}
#endif

void HalveRowPair(const std::uint8_t* a, const std::uint8_t* b, std::int32_t count, std::uint8_t* quads,
                  std::uint8_t* out) {
#if defined(BRISKO_X86_DISPATCH)
  if (__builtin_cpu_supports("avx2")) {
    const std::int32_t done = HalveRowPairAvx2(a, b, count, out);
    a += 6 * done;
    b += 6 * done;
    out += 3 * done;
    count -= done;
  }
#endif
  AverageQuads(a, b, 6 * static_cast<std::size_t>(count), quads);
  for (std::int32_t j = 0; j + 1 < count; ++j) imageops::CopyPixelWide(out + 3 * j, quads + 6 * j);
  if (count > 0) imageops::CopyPixel(out + 3 * (count - 1), quads + 6 * (count - 1));
}

void SumColumns(const std::uint8_t* BRISKO_RESTRICT source, const AreaWeights& plan,
                std::uint32_t* BRISKO_RESTRICT out) {
  const auto count = static_cast<std::int32_t>(plan.first.size());
  for (std::int32_t j = 0; j < count; ++j) {
    const std::uint8_t* p = source + 3 * plan.first[j];
    const std::uint32_t* w = plan.weights.data() + plan.start[j];
    const std::uint32_t taps = plan.start[j + 1] - plan.start[j];
    std::uint32_t b = 0, g = 0, r = 0;
    for (std::uint32_t t = 0; t < taps; ++t) {
      b += w[t] * p[3 * t];
      g += w[t] * p[3 * t + 1];
      r += w[t] * p[3 * t + 2];
    }
    out[3 * j] = b;
    out[3 * j + 1] = g;
    out[3 * j + 2] = r;
  }
}

BRISKO_VECTOR_CLONES void StartSum(double* BRISKO_RESTRICT sum, const std::uint32_t* BRISKO_RESTRICT row,
                                   double weight, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) sum[k] = weight * row[k];
}

BRISKO_VECTOR_CLONES void AddToSum(double* BRISKO_RESTRICT sum, const std::uint32_t* BRISKO_RESTRICT row,
                                   double weight, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) sum[k] += weight * row[k];
}

// Sums below 2^53 are exact in doubles, and a correctly rounded quotient of
// two such integers lands on the right side of every half-way point (a tie
// is representable, a non-tie lies at least 1/(2 * total) away from one), so
// rounding the quotient rounds the exact mean.
BRISKO_VECTOR_CLONES void DivideSums(const double* BRISKO_RESTRICT sum, double total, std::size_t count,
                                     std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t k = 0; k < count; ++k)
    out[k] = static_cast<std::uint8_t>(imageops::RoundHalfEven(sum[k] / total));
}

// With a power-of-two total the reciprocal is exact and a product will do.
BRISKO_VECTOR_CLONES void ScaleSums(const double* BRISKO_RESTRICT sum, double reciprocal, std::size_t count,
                                    std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t k = 0; k < count; ++k)
    out[k] = static_cast<std::uint8_t>(imageops::RoundHalfEven(sum[k] * reciprocal));
}

// A row squeezed to between half and all of its width. In units of
// 1 / (destination / g) source pixels, destination pixels are `total` units
// long and source pixels `part` units, total <= 2 part, so each
// destination pixel takes the rest of the source pixel it starts in, then up
// to a whole one, then what remains: three weights, the last ones possibly
// 0 (their pixel index kept inside the row).
void SqueezeRowSums(const std::uint8_t* BRISKO_RESTRICT source, std::int32_t sourceWidth, std::int32_t count,
                    std::int32_t total, std::int32_t part, std::int32_t* BRISKO_RESTRICT sums) {
  std::int32_t i = 0, offset = 0;
  const std::int32_t last = sourceWidth - 1;
  for (std::int32_t j = 0; j < count; ++j) {
    const std::int32_t w0 = part - offset, rest = total - w0;
    const std::int32_t w1 = rest < part ? rest : part, w2 = rest - w1;
    const std::uint8_t* p0 = source + 3 * i;
    const std::uint8_t* p1 = source + 3 * (i + 1 < last ? i + 1 : last);
    const std::uint8_t* p2 = source + 3 * (i + 2 < last ? i + 2 : last);
    for (int c = 0; c < 3; ++c) sums[3 * j + c] = w0 * p0[c] + w1 * p1[c] + w2 * p2[c];
    offset += total;
    const std::int32_t steps = (offset >= part) + (offset >= 2 * part);
    i += steps;
    offset -= steps * part;
  }
}

// round(sum / total), a tie to even. With total <= 2^15 and sums below
// 256 total, the single-precision quotient is off by less than 2^-16, while
// a quotient that is no tie lies at least 1 / (2 total) from one, so it
// rounds to the same side; ties are exact.
BRISKO_VECTOR_CLONES void RoundQuotients(const std::int32_t* BRISKO_RESTRICT sums, std::int32_t total,
                                         std::size_t count, std::uint8_t* BRISKO_RESTRICT out) {
  constexpr float kShifter = 12582912.0f;  // 1.5 * 2^23: adding it rounds to a whole number
  const float t = static_cast<float>(total);
  for (std::size_t k = 0; k < count; ++k)
    out[k] = static_cast<std::uint8_t>((static_cast<float>(sums[k]) / t + kShifter) - kShifter);
}

constexpr std::int32_t kSqueezeMaxWidth = 1 << 15;

bool SqueezesRows(const Rect& from, const Rect& to) {
  return from.Height() == to.Height() && to.Width() < from.Width() && from.Width() <= 2 * to.Width() &&
         from.Width() <= kSqueezeMaxWidth;
}

// --- whole stretches ---------------------------------------------------------

std::uint8_t* TargetRow(Bitmap& target, const Rect& to, std::int32_t j) {
  return target.Row(to.Top + j) + 3 * static_cast<std::size_t>(to.Left);
}

void CopyRect(Bgr24Rows& rows, const Rect& from, Bitmap& target, const Rect& to) {
  const std::size_t bytes = 3 * static_cast<std::size_t>(to.Width());
  for (std::int32_t j = 0; j < to.Height(); ++j)
    std::memcpy(TargetRow(target, to, j), rows.Row(from.Top + j) + 3 * static_cast<std::size_t>(from.Left), bytes);
}

// Picks or AND-combines whole source pixels. Destination rows that repeat
// the previous row's source range are copies of the row just written.
void StretchByRanges(Bgr24Rows& rows, const Rect& from, Bitmap& target, const Rect& to, const PixelRanges& columns,
                     const PixelRanges& lines) {
  const std::int32_t dw = to.Width();
  const std::size_t sourceBytes = 3 * static_cast<std::size_t>(from.Width());
  std::vector<std::uint8_t> combined(lines.single ? 0 : sourceBytes);
  const bool wholeFactor = columns.single && dw % from.Width() == 0;
  const std::int32_t factor = dw / from.Width();
  const bool pairs = !columns.single && HalvesPairs(columns);
  auto sourceRow = [&](std::int32_t y) {
    return rows.Row(from.Top + y) + 3 * static_cast<std::size_t>(from.Left);
  };
  for (std::int32_t j = 0; j < to.Height(); ++j) {
    std::uint8_t* out = TargetRow(target, to, j);
    if (j > 0 && lines.begin[j] == lines.begin[j - 1] && lines.end[j] == lines.end[j - 1]) {
      std::memcpy(out, TargetRow(target, to, j - 1), 3 * static_cast<std::size_t>(dw));
      continue;
    }
    const std::int32_t span = lines.end[j] - lines.begin[j];
    // Two rows halved in width are combined in one go; a converting reader
    // hands out one buffer for every row, so it goes through `combined`.
    if (pairs && span == 2 && !rows.Converts()) {
      AndPairs(sourceRow(lines.begin[j]), sourceRow(lines.begin[j] + 1), dw, sourceBytes, out);
      continue;
    }
    const std::uint8_t* source = sourceRow(lines.begin[j]);
    if (span > 1) {
      std::memcpy(combined.data(), source, sourceBytes);
      for (std::int32_t y = lines.begin[j] + 1; y < lines.end[j]; ++y)
        AndInto(combined.data(), sourceRow(y), sourceBytes);
      source = combined.data();
    }
    if (wholeFactor)
      RepeatColumns(source, from.Width(), factor, out);
    else if (columns.single)
      PickColumns(source, columns.begin.data(), dw, out);
    else if (pairs)
      AndPairs(source, source, dw, sourceBytes, out);
    else
      AndColumns(source, columns, out);
  }
}

void HalveRect(Bgr24Rows& rows, const Rect& from, Bitmap& target, const Rect& to) {
  std::vector<std::uint8_t> upper(3 * static_cast<std::size_t>(from.Width()));
  std::vector<std::uint8_t> quads(3 * static_cast<std::size_t>(from.Width()));
  for (std::int32_t j = 0; j < to.Height(); ++j) {
    const std::size_t left = 3 * static_cast<std::size_t>(from.Left);
    const std::uint8_t* a = rows.Row(from.Top + 2 * j) + left;
    // A converting reader hands out one buffer for every row.
    if (rows.Converts()) {
      std::memcpy(upper.data(), a, upper.size());
      a = upper.data();
    }
    const std::uint8_t* b = rows.Row(from.Top + 2 * j + 1) + left;
    HalveRowPair(a, b, to.Width(), quads.data(), TargetRow(target, to, j));
  }
}

void SqueezeRows(Bgr24Rows& rows, const Rect& from, Bitmap& target, const Rect& to) {
  const std::int32_t g = std::gcd(from.Width(), to.Width());
  const std::size_t values = 3 * static_cast<std::size_t>(to.Width());
  std::vector<std::int32_t> sums(values);
  for (std::int32_t j = 0; j < to.Height(); ++j) {
    SqueezeRowSums(rows.Row(from.Top + j) + 3 * static_cast<std::size_t>(from.Left), from.Width(), to.Width(),
                   from.Width() / g, to.Width() / g, sums.data());
    RoundQuotients(sums.data(), from.Width() / g, values, TargetRow(target, to, j));
  }
}

// --- area means of at most two by two source pixels --------------------------
//
// From half size up, every destination pixel overlaps at most two source
// pixels along each axis. With small weights the sums then fit 16-bit
// lanes: a row pass sums the two columns of each destination byte with a
// byte permute and a multiply-add, a column pass blends two such rows and
// rounds. The arithmetic is the exact one of AverageRect.

#if defined(BRISKO_X86_DISPATCH)
// GCC 12 takes the placeholder operands inside the AVX-512 intrinsics for
// uninitialised values (its bug 105593); the warning says nothing here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

std::uint32_t MaxTaps(const AreaWeights& plan) {
  std::uint32_t most = 0;
  for (std::size_t j = 0; j + 1 < plan.start.size(); ++j) most = std::max(most, plan.start[j + 1] - plan.start[j]);
  return most;
}

// round(v / 2^shift), a tie to even, for v + 2^(shift - 1) < 2^16.
BRISKO_VECTOR_CLONES void BlendRowsByShift(const std::uint16_t* BRISKO_RESTRICT a,
                                           const std::uint16_t* BRISKO_RESTRICT b,
                                           std::uint16_t wa, std::uint16_t wb, int shift, std::size_t count,
                                           std::uint8_t* BRISKO_RESTRICT out) {
  const auto bias = static_cast<std::uint16_t>((1u << (shift - 1)) - 1);
  for (std::size_t k = 0; k < count; ++k) {
    const auto v = static_cast<std::uint16_t>(a[k] * wa + b[k] * wb);
    out[k] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v + bias + ((v >> shift) & 1)) >> shift);
  }
}

// round(v / total) through the single-precision quotient, exact as in
// RoundQuotients.
BRISKO_VECTOR_CLONES void BlendRowsByDivision(const std::uint16_t* BRISKO_RESTRICT a,
                                              const std::uint16_t* BRISKO_RESTRICT b, std::uint16_t wa,
                                              std::uint16_t wb, std::int32_t total, std::size_t count,
                                              std::uint8_t* BRISKO_RESTRICT out) {
  constexpr float kShifter = 12582912.0f;
  const float t = static_cast<float>(total);
  for (std::size_t k = 0; k < count; ++k) {
    const std::int32_t v = a[k] * wa + b[k] * wb;
    out[k] = static_cast<std::uint8_t>((static_cast<float>(v) / t + kShifter) - kShifter);
  }
}

// Each 32 destination bytes of a row read from one 128-byte window of the
// source row: where it starts, and per destination byte the two source
// bytes in it and their weights, side by side as the multiply-add pairs
// them. A second tap of weight 0 points at the first. The weights repeat
// every destination / g pixels, and with them the windows' contents every
// `patterns` chunks, so only that many are kept (small enough for the
// first-level cache next to the rows).
struct PairChunks {
  std::vector<std::uint32_t> base;  // one per chunk
  std::size_t patterns = 0;
  std::vector<std::uint8_t> index;  // 64 per pattern
  std::vector<std::int8_t> weight;  // 64 per pattern
};

constexpr std::size_t kChunkBytes = 32;

bool PlanPairChunks(const AreaWeights& across, std::size_t period, PairChunks& chunks) {
  const std::size_t bytes = 3 * across.first.size();
  const std::size_t count = (bytes + kChunkBytes - 1) / kChunkBytes;
  // lcm(3 period, 32) / 32 chunks cover whole periods of the weights.
  const std::size_t repeat = 3 * period / std::gcd(3 * period, kChunkBytes);
  chunks.patterns = std::min(count, repeat);
  chunks.base.resize(count);
  chunks.index.assign(64 * chunks.patterns, 0);
  chunks.weight.assign(64 * chunks.patterns, 0);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t firstByte = k * kChunkBytes;
    const std::uint32_t base = 3 * static_cast<std::uint32_t>(across.first[firstByte / 3]);
    chunks.base[k] = base;
    const std::size_t pattern = k % chunks.patterns;
    for (std::size_t o = firstByte; o < std::min(bytes, firstByte + kChunkBytes); ++o) {
      const std::size_t j = o / 3, slot = 2 * (o - firstByte) + 64 * pattern;
      const std::uint32_t taps = across.start[j + 1] - across.start[j];
      const std::uint32_t* w = across.weights.data() + across.start[j];
      const std::uint32_t a =
          3 * static_cast<std::uint32_t>(across.first[j]) + static_cast<std::uint32_t>(o % 3) - base;
      const std::uint32_t b = taps == 2 ? a + 3 : a;
      const auto wa = static_cast<std::int8_t>(w[0]), wb = static_cast<std::int8_t>(taps == 2 ? w[1] : 0);
      if (b > 127) return false;
      // A repeating chunk must find its pattern as the first one left it.
      if (k >= chunks.patterns && (chunks.index[slot] != a || chunks.index[slot + 1] != b ||
                                   chunks.weight[slot] != wa || chunks.weight[slot + 1] != wb))
        return false;
      chunks.index[slot] = static_cast<std::uint8_t>(a);
      chunks.index[slot + 1] = static_cast<std::uint8_t>(b);
      chunks.weight[slot] = wa;
      chunks.weight[slot + 1] = wb;
    }
  }
  return true;
}

// The two-tap sums of one source row for every destination byte; `sums`
// holds whole chunks. Loads stop at the row's end.
BRISKO_AVX512_VBMI void SumPairsVbmi(const std::uint8_t* row, std::size_t rowBytes, const PairChunks& chunks,
                                     std::uint16_t* sums) {
  const std::uint32_t* base = chunks.base.data();
  const std::uint8_t* index = chunks.index.data();
  const std::int8_t* weight = chunks.weight.data();
  const std::size_t count = chunks.base.size();
  for (std::size_t k = 0, pattern = 0; k < count; ++k, pattern = pattern + 1 == chunks.patterns ? 0 : pattern + 1) {
    const std::uint8_t* window = row + base[k];
    const std::size_t left = rowBytes - base[k];
    __m512i a, b;
    if (left >= 128) {
      // The rows come from memory once each; the loads, which overlap from
      // window to window, wait less when the lines are asked for 2 KiB
      // ahead than with the processor's own prefetching alone. A
      // prefetch past the pixel block does no harm.
      _mm_prefetch(reinterpret_cast<const char*>(window) + 2048, _MM_HINT_T0);
      a = _mm512_loadu_si512(window);
      b = _mm512_loadu_si512(window + 64);
    } else {
      const __mmask64 low = left >= 64 ? ~__mmask64{0} : (__mmask64{1} << left) - 1;
      const __mmask64 high = left > 64 ? (__mmask64{1} << (left - 64)) - 1 : 0;
      a = _mm512_maskz_loadu_epi8(low, window);
      b = _mm512_maskz_loadu_epi8(high, window + 64);
    }
    const __m512i pairs = _mm512_permutex2var_epi8(a, _mm512_loadu_si512(index + 64 * pattern), b);
    _mm512_storeu_si512(sums + kChunkBytes * k, _mm512_maddubs_epi16(pairs, _mm512_loadu_si512(weight + 64 * pattern)));
  }
  _mm256_zeroupper();
}

// BlendRowsByShift sixty-four bytes at a time; returns how many it wrote.
BRISKO_AVX512_VBMI std::size_t BlendRowsByShiftVbmi(const std::uint16_t* a, const std::uint16_t* b, std::uint16_t wa,
                                                    std::uint16_t wb, int shift, std::size_t count,
                                                    std::uint8_t* out) {
  const __m512i va = _mm512_set1_epi16(static_cast<short>(wa)), vb = _mm512_set1_epi16(static_cast<short>(wb));
  const __m512i bias = _mm512_set1_epi16(static_cast<short>((1u << (shift - 1)) - 1)), one = _mm512_set1_epi16(1);
  const __m128i by = _mm_cvtsi32_si128(shift);
  // Per-lane packing leaves the quadwords in the order 0 2 4 6 1 3 5 7.
  const __m512i order = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
  std::size_t k = 0;
  for (; k + 64 <= count; k += 64) {
    __m512i rounded[2];
    for (int half = 0; half < 2; ++half) {
      const __m512i v = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_loadu_si512(a + k + 32 * half), va),
                                         _mm512_mullo_epi16(_mm512_loadu_si512(b + k + 32 * half), vb));
      const __m512i odd = _mm512_and_si512(_mm512_srl_epi16(v, by), one);
      rounded[half] = _mm512_srl_epi16(_mm512_add_epi16(_mm512_add_epi16(v, bias), odd), by);
    }
    _mm512_storeu_si512(out + k, _mm512_permutexvar_epi64(order, _mm512_packus_epi16(rounded[0], rounded[1])));
  }
  _mm256_zeroupper();
  return k;
}

bool AverageInPairs(Bgr24Rows& rows, const Rect& from, Bitmap& target, const Rect& to, const AreaWeights& across,
                    const AreaWeights& down) {
  // Row sums up to 255 * 127 fit a signed 16-bit lane; blended, up to
  // 255.5 * 256 an unsigned one.
  const std::uint32_t total = across.total * down.total;
  if (!imageops::HasAvx512Vbmi() || across.total > 127 || total > 256 || MaxTaps(across) > 2 || MaxTaps(down) > 2)
    return false;
  PairChunks chunks;
  const auto period = static_cast<std::size_t>(to.Width() / std::gcd(from.Width(), to.Width()));
  if (!PlanPairChunks(across, period, chunks)) return false;
  const std::size_t values = 3 * static_cast<std::size_t>(to.Width());
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(from.Width());
  std::vector<std::uint16_t> sums[2] = {std::vector<std::uint16_t>(kChunkBytes * chunks.base.size()),
                                        std::vector<std::uint16_t>(kChunkBytes * chunks.base.size())};
  std::int32_t cachedRow[2] = {-1, -1};
  auto sumsOfRow = [&](std::int32_t y) -> const std::uint16_t* {
    const int slot = y & 1;
    if (cachedRow[slot] != y) {
      SumPairsVbmi(rows.Row(from.Top + y) + 3 * static_cast<std::size_t>(from.Left), rowBytes, chunks,
                   sums[slot].data());
      cachedRow[slot] = y;
    }
    return sums[slot].data();
  };
  int shift = 0;
  while ((1u << shift) < total) ++shift;
  const bool powerOfTwo = (1u << shift) == total && shift > 0;
  for (std::int32_t j = 0; j < to.Height(); ++j) {
    const std::uint32_t* w = down.weights.data() + down.start[j];
    const bool twoRows = down.start[j + 1] - down.start[j] == 2;
    const std::uint16_t* a = sumsOfRow(down.first[j]);
    const std::uint16_t* b = twoRows ? sumsOfRow(down.first[j] + 1) : a;
    const auto wa = static_cast<std::uint16_t>(w[0]), wb = static_cast<std::uint16_t>(twoRows ? w[1] : 0);
    std::uint8_t* out = TargetRow(target, to, j);
    if (powerOfTwo) {
      const std::size_t done = BlendRowsByShiftVbmi(a, b, wa, wb, shift, values, out);
      BlendRowsByShift(a + done, b + done, wa, wb, shift, values - done, out + done);
    } else
      BlendRowsByDivision(a, b, wa, wb, static_cast<std::int32_t>(total), values, out);
  }
  return true;
}

#pragma GCC diagnostic pop
#endif

void AverageRect(Bgr24Rows& rows, const Rect& from, Bitmap& target, const Rect& to) {
  const AreaWeights across = PlanAreaWeights(from.Width(), to.Width());
  const AreaWeights down = PlanAreaWeights(from.Height(), to.Height());
#if defined(BRISKO_X86_DISPATCH)
  if (AverageInPairs(rows, from, target, to, across, down)) return;
#endif
  const std::size_t values = 3 * static_cast<std::size_t>(to.Width());
  // Destination rows share at most two source rows with the one before, so
  // two cached column sums mean every source row is summed once.
  std::vector<std::uint32_t> columnSums[2] = {std::vector<std::uint32_t>(values), std::vector<std::uint32_t>(values)};
  std::int32_t cachedRow[2] = {-1, -1};
  auto sumsOfRow = [&](std::int32_t y) -> const std::uint32_t* {
    const int slot = y & 1;
    if (cachedRow[slot] != y) {
      SumColumns(rows.Row(from.Top + y) + 3 * static_cast<std::size_t>(from.Left), across, columnSums[slot].data());
      cachedRow[slot] = y;
    }
    return columnSums[slot].data();
  };
  std::vector<double> sum(values);
  const std::uint64_t total = std::uint64_t{across.total} * down.total;
  const bool powerOfTwo = (total & (total - 1)) == 0;
  for (std::int32_t j = 0; j < to.Height(); ++j) {
    const std::uint32_t* w = down.weights.data() + down.start[j];
    const std::uint32_t taps = down.start[j + 1] - down.start[j];
    StartSum(sum.data(), sumsOfRow(down.first[j]), w[0], values);
    for (std::uint32_t t = 1; t < taps; ++t) AddToSum(sum.data(), sumsOfRow(down.first[j] + static_cast<std::int32_t>(t)), w[t], values);
    std::uint8_t* out = TargetRow(target, to, j);
    if (powerOfTwo)
      ScaleSums(sum.data(), 1.0 / static_cast<double>(total), values, out);
    else
      DivideSums(sum.data(), static_cast<double>(total), values, out);
  }
}

void CheckInside(const Rect& r, const Bitmap& b, const char* what) {
  if (r.Left < 0 || r.Top < 0 || r.Right > b.Width() || r.Bottom > b.Height())
    throw std::invalid_argument(std::string(what) + " rectangle reaches outside its bitmap");
}

}  // namespace

void ResampleRect(const Bitmap& source, const Rect& from, Bitmap& target, const Rect& to) {
  if (target.Format() != PixelFormat::Bgr24) throw std::invalid_argument("ResampleRect draws into 24-bit bitmaps only");
  if (from.IsEmpty() || to.IsEmpty()) return;
  CheckInside(from, source, "source");
  CheckInside(to, target, "destination");
  Bgr24Rows rows(source);
  if (from.Width() == to.Width() && from.Height() == to.Height()) {
    CopyRect(rows, from, target, to);
  } else if (from.Width() == 2 * to.Width() && from.Height() == 2 * to.Height()) {
    HalveRect(rows, from, target, to);
  } else if (to.Width() % from.Width() == 0 && to.Height() % from.Height() == 0) {
    // Every destination pixel lies inside one source pixel.
    StretchByRanges(rows, from, target, to, SingleRangesOf(PlanAreaWeights(from.Width(), to.Width())),
                    SingleRangesOf(PlanAreaWeights(from.Height(), to.Height())));
  } else if (SqueezesRows(from, to)) {
    SqueezeRows(rows, from, target, to);
  } else {
    AverageRect(rows, from, target, to);
  }
}

void Resample(const Bitmap& source, Bitmap& target, std::int32_t width, std::int32_t height) {
  if (&source == &target) {
    const Bitmap copy = source;
    Resample(copy, target, width, height);
    return;
  }
  imageops::PrepareBgr24(target, width, height);
  ResampleRect(source, Rect{0, 0, source.Width(), source.Height()}, target, Rect{0, 0, width, height});
  if (source.IsEmpty()) target.Fill(kWhite);
  imageops::ZeroPadding(target);
}

Bitmap Resample(const Bitmap& source, std::int32_t width, std::int32_t height) {
  Bitmap target;
  Resample(source, target, width, height);
  return target;
}

void StretchBlackOnWhite(const Bitmap& source, Bitmap& target, std::int32_t width, std::int32_t height) {
  if (&source == &target) {
    const Bitmap copy = source;
    StretchBlackOnWhite(copy, target, width, height);
    return;
  }
  imageops::PrepareBgr24(target, width, height);
  if (source.IsEmpty()) {
    target.Fill(kWhite);
  } else if (!target.IsEmpty()) {
    Bgr24Rows rows(source);
    const Rect all{0, 0, source.Width(), source.Height()};
    StretchByRanges(rows, all, target, Rect{0, 0, width, height}, PlanBlackOnWhite(source.Width(), width),
                    PlanBlackOnWhite(source.Height(), height));
  }
  imageops::ZeroPadding(target);
}

}  // namespace brisko
