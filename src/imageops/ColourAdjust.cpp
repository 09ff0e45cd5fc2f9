#include "imageops/ColourAdjust.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "imageops/Bgr32.h"
#include "imageops/Lookup.h"
#include "imageops/Rows.h"

namespace brisko {

using imageops::ReplacePicture;

namespace {

// Runs `kernel(in, out, bytes)` over every row: in place when the target is
// the 24-bit source itself, else from the source (converted to 24 bits when
// it has another format) into a 24-bit target of its size.
template <class RowKernel>
void ForEachRow(const Bitmap& source, Bitmap& target, RowKernel kernel) {
  Bitmap scratch;
  const Bitmap& picture = imageops::AsBgr24(source, scratch);
  if (&picture != &target) imageops::PrepareBgr24(target, picture.Width(), picture.Height());
  const std::size_t bytes = 3 * static_cast<std::size_t>(picture.Width());
  for (std::int32_t y = 0; y < picture.Height(); ++y) {
    kernel(picture.Row(y), target.Row(y), bytes);
    imageops::ZeroRowPadding(target, y);
  }
}

// Rows are processed in blocks of 48 bytes (16 pixels), so a per-channel
// pattern lines up with every block: three 16-byte vectors per pattern.
constexpr std::size_t kPatternBytes = 48;
using ChannelPattern = std::array<std::uint8_t, kPatternBytes>;

ChannelPattern PatternOf(int blue, int green, int red) {
  ChannelPattern p{};
  for (std::size_t k = 0; k < kPatternBytes; k += 3) {
    p[k] = static_cast<std::uint8_t>(blue);
    p[k + 1] = static_cast<std::uint8_t>(green);
    p[k + 2] = static_cast<std::uint8_t>(red);
  }
  return p;
}

// min(c + up, 255) then max(c - down, 0): one of the two is zero, so this is
// the clamped sum. In-place use passes in == out; every block is loaded
// before it is stored.
void AddClampedScalar(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes, const ChannelPattern& up,
                      const ChannelPattern& down) {
  for (std::size_t k = 0; k < bytes; ++k)
    out[k] = imageops::ClampToByte(in[k] + up[k % kPatternBytes] - down[k % kPatternBytes]);
}

void AddClamped(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes, const ChannelPattern& up,
                const ChannelPattern& down) {
  std::size_t k = 0;
#if defined(BRISKO_HAVE_SSE2)
  __m128i u[3], d[3];
  for (int v = 0; v < 3; ++v) {
    u[v] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(up.data() + 16 * v));
    d[v] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(down.data() + 16 * v));
  }
  for (; k + kPatternBytes <= bytes; k += kPatternBytes)
    for (int v = 0; v < 3; ++v) {
      auto* at = reinterpret_cast<const __m128i*>(in + k + 16 * v);
      const __m128i x = _mm_subs_epu8(_mm_adds_epu8(_mm_loadu_si128(at), u[v]), d[v]);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k + 16 * v), x);
    }
#endif
  AddClampedScalar(in + k, out + k, bytes - k, up, down);
}

// floor(c * k / 255) for c * k <= 65025: (x + 1 + (x >> 8)) >> 8 equals
// x div 255 over that range, in 16-bit lanes.
inline unsigned Div255(unsigned x) { return (x + 1 + (x >> 8)) >> 8; }

void ScaleBy255ths(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes, const ChannelPattern& factor) {
  std::size_t k = 0;
#if defined(BRISKO_HAVE_SSE2)
  const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi16(1);
  __m128i lowFactor[3], highFactor[3];
  for (int v = 0; v < 3; ++v) {
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(factor.data() + 16 * v));
    lowFactor[v] = _mm_unpacklo_epi8(f, zero);
    highFactor[v] = _mm_unpackhi_epi8(f, zero);
  }
  auto scale = [&](__m128i c, __m128i f) {
    const __m128i x = _mm_mullo_epi16(c, f);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
  };
  for (; k + kPatternBytes <= bytes; k += kPatternBytes)
    for (int v = 0; v < 3; ++v) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k + 16 * v));
      const __m128i low = scale(_mm_unpacklo_epi8(x, zero), lowFactor[v]);
      const __m128i high = scale(_mm_unpackhi_epi8(x, zero), highFactor[v]);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k + 16 * v), _mm_packus_epi16(low, high));
    }
#endif
  for (std::size_t m = 0; k < bytes; ++k, ++m) out[k] = static_cast<std::uint8_t>(Div255(in[k] * factor[m % kPatternBytes]));
}

void Invert(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes) {
  for (std::size_t k = 0; k < bytes; ++k) out[k] = static_cast<std::uint8_t>(~in[k]);
}

// Below 128, 255 - c is the larger of the two; from 128 on, c is.
void Expose(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes) {
  for (std::size_t k = 0; k < bytes; ++k) {
    const std::uint8_t c = in[k], inverse = static_cast<std::uint8_t>(~c);
    out[k] = c > inverse ? c : inverse;
  }
}

// --- AdjustSaturation ----------------------------------------------------------

// The 16-bit table entry (i * amount) >> 8; amounts are limited to where the
// product fits 32 bits.
inline int ScaledChannel(int c, int amount) { return static_cast<std::uint16_t>((c * amount) >> 8); }

void SaturateAnyAmount(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes, int amount) {
  for (std::size_t k = 0; k + 3 <= bytes; k += 3) {
    const int b = in[k], g = in[k + 1], r = in[k + 2];
    const int mean = (b + g + r) / 3;
    const int grey = mean - ScaledChannel(mean, amount);
    out[k] = static_cast<std::uint8_t>(grey + ScaledChannel(b, amount));
    out[k + 1] = static_cast<std::uint8_t>(grey + ScaledChannel(g, amount));
    out[k + 2] = static_cast<std::uint8_t>(grey + ScaledChannel(r, amount));
  }
}

// For amounts 0..65535 everything fits 16-bit lanes: (c * a) >> 8 is the
// high half of (c << 8) * a, and sum div 3 the high half of sum * 43691
// shifted once more.
inline std::uint16_t High16(std::uint16_t a, std::uint16_t b) {
  return static_cast<std::uint16_t>((static_cast<std::uint32_t>(a) * b) >> 16);
}

BRISKO_VECTOR_CLONES void Saturate16(const std::uint8_t* in, std::uint8_t* out, std::size_t pixels,
                                     std::uint16_t amount);

#if defined(BRISKO_X86_DISPATCH)
// Thirty-two pixels at a time, split into channels in 16-bit lanes.
__attribute__((target("avx2"))) void Saturate16Avx2(const std::uint8_t* in, std::uint8_t* out, std::size_t pixels,
                                                    std::uint16_t amount) {
  const __m256i zero = _mm256_setzero_si256(), a = _mm256_set1_epi16(static_cast<short>(amount));
  const __m256i third = _mm256_set1_epi16(static_cast<short>(43691)), low8 = _mm256_set1_epi16(0xFF);
  std::size_t x = 0;
  for (; x + 32 <= pixels; x += 32) {
    __m256i c[3];
    imageops::SplitBgr32(in + 3 * x, c);
    __m256i result[3][2];
    for (int half = 0; half < 2; ++half) {
      __m256i wide[3];
      for (int k = 0; k < 3; ++k) wide[k] = half ? _mm256_unpackhi_epi8(c[k], zero) : _mm256_unpacklo_epi8(c[k], zero);
      const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(wide[0], wide[1]), wide[2]);
      const __m256i mean = _mm256_srli_epi16(_mm256_mulhi_epu16(sum, third), 1);
      const __m256i grey = _mm256_sub_epi16(mean, _mm256_mulhi_epu16(_mm256_slli_epi16(mean, 8), a));
      for (int k = 0; k < 3; ++k)
        result[k][half] =
            _mm256_and_si256(_mm256_add_epi16(grey, _mm256_mulhi_epu16(_mm256_slli_epi16(wide[k], 8), a)), low8);
    }
    for (int k = 0; k < 3; ++k) c[k] = _mm256_packus_epi16(result[k][0], result[k][1]);
    imageops::JoinBgr32(c, out + 3 * x);
  }
  Saturate16(in + 3 * x, out + 3 * x, pixels - x, amount);
}
#endif

BRISKO_VECTOR_CLONES void Saturate16(const std::uint8_t* in, std::uint8_t* out, std::size_t pixels,
                                     std::uint16_t amount) {
  for (std::size_t x = 0; x < pixels; ++x) {
    const std::uint16_t b = in[3 * x], g = in[3 * x + 1], r = in[3 * x + 2];
    const std::uint16_t mean = static_cast<std::uint16_t>(High16(static_cast<std::uint16_t>(b + g + r), 43691) >> 1);
    const std::uint16_t grey = static_cast<std::uint16_t>(mean - High16(static_cast<std::uint16_t>(mean << 8), amount));
    out[3 * x] = static_cast<std::uint8_t>(grey + High16(static_cast<std::uint16_t>(b << 8), amount));
    out[3 * x + 1] = static_cast<std::uint8_t>(grey + High16(static_cast<std::uint16_t>(g << 8), amount));
    out[3 * x + 2] = static_cast<std::uint8_t>(grey + High16(static_cast<std::uint16_t>(r << 8), amount));
  }
}

#if defined(BRISKO_X86_DISPATCH)
// The same lanes as Saturate16Avx2, sixty-four pixels at a time.
BRISKO_AVX512_VBMI void Saturate16Vbmi(const std::uint8_t* in, std::uint8_t* out, std::size_t pixels,
                                       std::uint16_t amount) {
  const __m512i zero = _mm512_setzero_si512(), a = _mm512_set1_epi16(static_cast<short>(amount));
  const __m512i third = _mm512_set1_epi16(static_cast<short>(43691)), low8 = _mm512_set1_epi16(0xFF);
  std::size_t x = 0;
  for (; x + 64 <= pixels; x += 64) {
    __m512i c[3];
    imageops::SplitBgr64(in + 3 * x, c);
    __m512i result[3][2];
    for (int half = 0; half < 2; ++half) {
      __m512i wide[3];
      for (int k = 0; k < 3; ++k) wide[k] = half ? _mm512_unpackhi_epi8(c[k], zero) : _mm512_unpacklo_epi8(c[k], zero);
      const __m512i sum = _mm512_add_epi16(_mm512_add_epi16(wide[0], wide[1]), wide[2]);
      const __m512i mean = _mm512_srli_epi16(_mm512_mulhi_epu16(sum, third), 1);
      const __m512i grey = _mm512_sub_epi16(mean, _mm512_mulhi_epu16(_mm512_slli_epi16(mean, 8), a));
      for (int k = 0; k < 3; ++k)
        result[k][half] =
            _mm512_and_si512(_mm512_add_epi16(grey, _mm512_mulhi_epu16(_mm512_slli_epi16(wide[k], 8), a)), low8);
    }
    for (int k = 0; k < 3; ++k) c[k] = _mm512_packus_epi16(result[k][0], result[k][1]);
    imageops::JoinBgr64(c, out + 3 * x);
  }
  Saturate16Avx2(in + 3 * x, out + 3 * x, pixels - x, amount);
}
#endif

void SaturateRow(const std::uint8_t* in, std::uint8_t* out, std::size_t pixels, std::uint16_t amount) {
#if defined(BRISKO_X86_DISPATCH)
  if (imageops::HasAvx512Vbmi()) {
    Saturate16Vbmi(in, out, pixels, amount);
    return;
  }
  if (__builtin_cpu_supports("avx2")) {
    Saturate16Avx2(in, out, pixels, amount);
    return;
  }
#endif
  Saturate16(in, out, pixels, amount);
}

// --- AdjustGamma ---------------------------------------------------------------

// (c / 256) ^ gamma with the special cases of the power routine the dialog
// was built on: exponent 0 gives 1, base 0 gives 0 (positive exponent), a
// whole exponent multiplies, any other goes through exp and ln.
long double GammaPower(long double base, long double gamma) {
  if (gamma == 0) return 1;
  if (base == 0) return gamma > 0 ? 0 : HUGE_VALL;
  if (gamma == std::trunc(gamma) && std::fabs(gamma) <= 64) {
    long double p = 1;
    for (int i = 0; i < static_cast<int>(std::fabs(gamma)); ++i) p *= base;
    return gamma > 0 ? p : 1 / p;
  }
  return std::exp(gamma * std::log(base));
}

// ln(c / 256) for every channel value in double precision, worked out once.
const std::array<double, 256>& ChannelLogs() {
  static const std::array<double, 256> logs = [] {
    std::array<double, 256> l{};
    for (int c = 1; c < 256; ++c) l[static_cast<std::size_t>(c)] = std::log(c / 256.0);
    return l;
  }();
  return logs;
}

imageops::ByteTable GammaTable(double gamma) {
  // A live preview asks for a new table at every step, and the extended
  // precision power is slow. Double precision is off by far less than
  // 1e-9 here, so it rounds the same way unless the value lies within that
  // of a half: only those go through extended precision.
  const bool plainPower = gamma != 0 && !(gamma == std::trunc(gamma) && std::fabs(gamma) <= 64);
  imageops::ByteTable table{};
  for (int c = 0; c < 256; ++c) {
    long double v = 0;
    const double quick = plainPower && c > 0 ? std::exp(gamma * ChannelLogs()[static_cast<std::size_t>(c)]) * 255 : 0;
    if (c > 0 && plainPower && std::isfinite(quick) && std::fabs(quick - std::floor(quick) - 0.5) > 1e-6)
      v = std::nearbyint(quick);
    else
      v = imageops::RoundHalfEvenExtended(GammaPower(static_cast<long double>(c) / 256, gamma) * 255);
    table[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(v >= 255 || std::isnan(v) ? 255 : (v < 0 ? 0 : v));
  }
  return table;
}

// --- GrayScale -----------------------------------------------------------------

// The luminance exactly as extended precision gives it. Only needed when
// 30 R + 59 G + 11 B ends in 50: the decimal value is then a tie, and which
// way it goes depends on how 0.3, 0.59 and 0.11 round in the x87 format.
std::uint8_t ExtendedLuminance(unsigned r, unsigned g, unsigned b) {
  const long double v = 0.3L * r + 0.59L * g + 0.11L * b;
  return static_cast<std::uint8_t>(imageops::RoundHalfEvenExtended(v));
}

// Which way each of the 167,836 tie colours rounds, worked out once in
// extended precision: for given red and green, blue must be congruent to
// 91 (50 - 30 R - 59 G) modulo 100 (91 being 11's inverse), so there are at
// most three, and the table holds three bits per red-green pair.
class TieTable {
 public:
  TieTable() {
    for (unsigned r = 0; r < 256; ++r)
      for (unsigned g = 0; g < 256; ++g)
        for (unsigned b = FirstBlue(r, g); b < 256; b += 100) {
          const unsigned s = 30 * r + 59 * g + 11 * b;
          if (ExtendedLuminance(r, g, b) > (s - 50) / 100) Set(Index(r, g, b));
        }
  }
  // Whether a tie colour rounds up.
  bool RoundsUp(unsigned r, unsigned g, unsigned b) const {
    const std::size_t i = Index(r, g, b);
    return (bits_[i / 64] >> (i % 64)) & 1;
  }
  // The luminance of a tie colour.
  std::uint8_t Luminance(unsigned r, unsigned g, unsigned b) const {
    const unsigned below = (30 * r + 59 * g + 11 * b - 50) / 100;
    return static_cast<std::uint8_t>(below + (RoundsUp(r, g, b) ? 1 : 0));
  }

 private:
  static unsigned FirstBlue(unsigned r, unsigned g) {
    const unsigned rest = (50 + 100 * 256 - (30 * r + 59 * g) % 100) % 100;
    return 91 * rest % 100;
  }
  static std::size_t Index(unsigned r, unsigned g, unsigned b) { return (256 * r + g) * 3 + b / 100; }
  void Set(std::size_t i) { bits_[i / 64] |= std::uint64_t{1} << (i % 64); }

  std::array<std::uint64_t, 256 * 256 * 3 / 64> bits_{};
};

// Built on first use and never changed afterwards.
const TieTable& Ties() {
  static const TieTable table;
  return table;
}

// Luminance of one pixel. Away from ties the decimal sum decides the
// rounding on its own: 100 times it is a whole number, so it lies at least
// 0.01 from a half-way point, far beyond the extended format's error.
inline std::uint8_t Luminance(const TieTable& ties, unsigned b, unsigned g, unsigned r) {
  const unsigned s = 11 * b + 59 * g + 30 * r;
  const unsigned q = s / 100, rest = s - 100 * q;
  if (rest == 50) return ties.Luminance(r, g, b);
  return static_cast<std::uint8_t>(q + (rest > 50 ? 1 : 0));
}

struct Range {
  std::uint8_t lo = 255;
  std::uint8_t hi = 0;
  void Add(std::uint8_t v) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
};

void LuminancesScalar(const TieTable& ties, const std::uint8_t* bgr, std::int32_t from, std::int32_t to,
                      std::uint8_t* luminance, Range& range) {
  for (std::int32_t x = from; x < to; ++x) {
    luminance[x] = Luminance(ties, bgr[3 * x], bgr[3 * x + 1], bgr[3 * x + 2]);
    range.Add(luminance[x]);
  }
}

#if defined(BRISKO_X86_DISPATCH)
// 0xFF in byte i where bit i of `bits` is set.
__attribute__((target("avx2"))) inline __m256i BytesOfMask(std::uint32_t bits) {
  const __m256i spread = _mm256_shuffle_epi8(
      _mm256_set1_epi32(static_cast<int>(bits)),
      _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3));
  const __m256i select = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201ULL));
  return _mm256_cmpeq_epi8(_mm256_and_si256(spread, select), select);
}

// Thirty-two luminances at a time from the channels split into 16-bit
// lanes. Tie colours come out rounded up; the few that round down are
// looked up one by one and corrected together.
__attribute__((target("avx2"))) std::int32_t LuminancesAvx2(const TieTable& ties, const std::uint8_t* bgr,
                                                             std::int32_t width, std::uint8_t* luminance,
                                                             Range& range) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i blue = _mm256_set1_epi16(11), green = _mm256_set1_epi16(59), red = _mm256_set1_epi16(30);
  // s div 100 for s <= 25600 is the high half of s * 5243, shifted by 3.
  const __m256i magic = _mm256_set1_epi16(5243), hundred = _mm256_set1_epi16(100);
  const __m256i fortyNine = _mm256_set1_epi16(49), fifty = _mm256_set1_epi16(50);
  __m256i lo = _mm256_set1_epi8(static_cast<char>(0xFF)), hi = zero;
  std::int32_t x = 0;
  for (; x + 32 <= width; x += 32) {
    __m256i c[3];
    imageops::SplitBgr32(bgr + 3 * x, c);
    __m256i lanes[2], tie[2];
    for (int half = 0; half < 2; ++half) {
      __m256i wide[3];
      for (int k = 0; k < 3; ++k) wide[k] = half ? _mm256_unpackhi_epi8(c[k], zero) : _mm256_unpacklo_epi8(c[k], zero);
      const __m256i s = _mm256_add_epi16(
          _mm256_add_epi16(_mm256_mullo_epi16(wide[0], blue), _mm256_mullo_epi16(wide[1], green)),
          _mm256_mullo_epi16(wide[2], red));
      const __m256i q = _mm256_srli_epi16(_mm256_mulhi_epu16(s, magic), 3);
      const __m256i rest = _mm256_sub_epi16(s, _mm256_mullo_epi16(q, hundred));
      tie[half] = _mm256_cmpeq_epi16(rest, fifty);
      lanes[half] = _mm256_sub_epi16(q, _mm256_cmpgt_epi16(rest, fortyNine));
    }
    // Byte i is pixel x + i: per-lane packing undoes the per-lane unpacking.
    __m256i l = _mm256_packus_epi16(lanes[0], lanes[1]);
    std::uint32_t down = 0;
    for (auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_packs_epi16(tie[0], tie[1])));
         mask != 0; mask &= mask - 1) {
      const int i = __builtin_ctz(mask);
      const std::uint8_t* p = bgr + 3 * (x + i);
      if (!ties.RoundsUp(p[2], p[1], p[0])) down |= 1u << i;
    }
    // Stored only after the ties are settled: with the target being the
    // source, the store may cover bytes of pixels still to be read.
    if (down != 0) l = _mm256_add_epi8(l, BytesOfMask(down));
    lo = _mm256_min_epu8(lo, l);
    hi = _mm256_max_epu8(hi, l);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(luminance + x), l);
  }
  alignas(32) std::uint8_t los[32], his[32];
  _mm256_store_si256(reinterpret_cast<__m256i*>(los), lo);
  _mm256_store_si256(reinterpret_cast<__m256i*>(his), hi);
  for (int i = 0; i < 32; ++i) {
    range.lo = std::min(range.lo, los[i]);
    range.hi = std::max(range.hi, his[i]);
  }
  return x;
}

// The same lanes as LuminancesAvx2, sixty-four pixels at a time; the tie
// test is made on the packed remainders, which keeps its mask in pixel
// order.
BRISKO_AVX512_VBMI std::int32_t LuminancesVbmi(const TieTable& ties, const std::uint8_t* bgr, std::int32_t width,
                                               std::uint8_t* luminance, Range& range) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i blue = _mm512_set1_epi16(11), green = _mm512_set1_epi16(59), red = _mm512_set1_epi16(30);
  const __m512i magic = _mm512_set1_epi16(5243), hundred = _mm512_set1_epi16(100);
  const __m512i fortyNine = _mm512_set1_epi16(49), fifty = _mm512_set1_epi8(50), one = _mm512_set1_epi8(1);
  __m512i lo = _mm512_set1_epi8(static_cast<char>(0xFF)), hi = zero;
  std::int32_t x = 0;
  for (; x + 64 <= width; x += 64) {
    __m512i c[3];
    imageops::SplitBgr64(bgr + 3 * x, c);
    __m512i lanes[2], rests[2];
    for (int half = 0; half < 2; ++half) {
      __m512i wide[3];
      for (int k = 0; k < 3; ++k) wide[k] = half ? _mm512_unpackhi_epi8(c[k], zero) : _mm512_unpacklo_epi8(c[k], zero);
      const __m512i s = _mm512_add_epi16(
          _mm512_add_epi16(_mm512_mullo_epi16(wide[0], blue), _mm512_mullo_epi16(wide[1], green)),
          _mm512_mullo_epi16(wide[2], red));
      const __m512i q = _mm512_srli_epi16(_mm512_mulhi_epu16(s, magic), 3);
      rests[half] = _mm512_sub_epi16(s, _mm512_mullo_epi16(q, hundred));
      lanes[half] = _mm512_mask_add_epi16(q, _mm512_cmpgt_epi16_mask(rests[half], fortyNine), q,
                                          _mm512_set1_epi16(1));
    }
    __m512i l = _mm512_packus_epi16(lanes[0], lanes[1]);
    std::uint64_t down = 0;
    for (std::uint64_t mask = _mm512_cmpeq_epi8_mask(_mm512_packus_epi16(rests[0], rests[1]), fifty); mask != 0;
         mask &= mask - 1) {
      const int i = __builtin_ctzll(mask);
      const std::uint8_t* p = bgr + 3 * (x + i);
      if (!ties.RoundsUp(p[2], p[1], p[0])) down |= std::uint64_t{1} << i;
    }
    // Stored only after the ties are settled, as in LuminancesAvx2.
    l = _mm512_mask_sub_epi8(l, down, l, one);
    lo = _mm512_min_epu8(lo, l);
    hi = _mm512_max_epu8(hi, l);
    _mm512_storeu_si512(luminance + x, l);
  }
  alignas(64) std::uint8_t los[64], his[64];
  _mm512_store_si512(los, lo);
  _mm512_store_si512(his, hi);
  for (int i = 0; i < 64; ++i) {
    range.lo = std::min(range.lo, los[i]);
    range.hi = std::max(range.hi, his[i]);
  }
  return x;
}

// With a stretch, each value goes through the table on the way: the whole
// 256-entry table fits four registers, and bit 7 of the value picks the
// half that two-register permutes looked it up in.
BRISKO_AVX512_VBMI std::int32_t SpreadGreyVbmi(const std::uint8_t* grey, std::int32_t width,
                                               const imageops::ByteTable* stretch, std::uint8_t* bgr) {
  __m512i t0{}, t1{}, t2{}, t3{};
  if (stretch) {
    t0 = _mm512_loadu_si512(stretch->data());
    t1 = _mm512_loadu_si512(stretch->data() + 64);
    t2 = _mm512_loadu_si512(stretch->data() + 128);
    t3 = _mm512_loadu_si512(stretch->data() + 192);
  }
  std::int32_t x = 0;
  for (; x + 64 <= width; x += 64) {
    __m512i g = _mm512_loadu_si512(grey + x);
    if (stretch)
      g = _mm512_mask_blend_epi8(_mm512_movepi8_mask(g), _mm512_permutex2var_epi8(t0, g, t1),
                                 _mm512_permutex2var_epi8(t2, g, t3));
    const __m512i channels[3] = {g, g, g};
    imageops::JoinBgr64(channels, bgr + 3 * x);
  }
  return x;
}

// Each grey value spread over the three bytes of its pixel.
__attribute__((target("avx2"))) std::int32_t SpreadGreyAvx2(const std::uint8_t* grey, std::int32_t width,
                                                             std::uint8_t* bgr) {
  std::int32_t x = 0;
  for (; x + 32 <= width; x += 32) {
    const __m256i g = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(grey + x));
    const __m256i channels[3] = {g, g, g};
    imageops::JoinBgr32(channels, bgr + 3 * x);
  }
  return x;
}
#endif

// The luminances of a row, one byte per pixel, with their range. `out` may
// be the start of the row itself.
void LuminanceRow(const TieTable& ties, const std::uint8_t* bgr, std::int32_t width, std::uint8_t* out,
                  Range& range) {
  std::int32_t x = 0;
#if defined(BRISKO_X86_DISPATCH)
  // The wider form leaves its last columns to the narrower one.
  if (imageops::HasAvx512Vbmi()) x = LuminancesVbmi(ties, bgr, width, out, range);
  if (__builtin_cpu_supports("avx2")) x += LuminancesAvx2(ties, bgr + 3 * x, width - x, out + x, range);
#endif
  LuminancesScalar(ties, bgr, x, width, out, range);
}

// Each grey value, through `stretch` unless that is null, spread over the
// three bytes of its pixel. `grey` may be changed.
void SpreadGrey(std::uint8_t* grey, std::int32_t width, const imageops::ByteTable* stretch, std::uint8_t* bgr) {
  std::int32_t x = 0;
#if defined(BRISKO_X86_DISPATCH)
  if (imageops::HasAvx512Vbmi()) x = SpreadGreyVbmi(grey, width, stretch, bgr);
  if (__builtin_cpu_supports("avx2")) {
    if (stretch) imageops::LookUp(grey + x, grey + x, static_cast<std::size_t>(width - x), *stretch);
    stretch = nullptr;
    x += SpreadGreyAvx2(grey + x, width - x, bgr + 3 * x);
  }
#endif
  for (; x < width; ++x) {
    const std::uint8_t g = stretch ? (*stretch)[grey[x]] : grey[x];
    bgr[3 * x] = bgr[3 * x + 1] = bgr[3 * x + 2] = g;
  }
}

// round((L - lo) * 255 / (hi - lo)), the factor held as a double; with one
// luminance only the picture keeps it.
imageops::ByteTable StretchTable(std::uint8_t lo, std::uint8_t hi) {
  imageops::ByteTable table{};
  if (hi == lo) {
    for (int l = 0; l < 256; ++l) table[static_cast<std::size_t>(l)] = static_cast<std::uint8_t>(l);
    return table;
  }
  const double factor = 255.0 / (hi - lo);
  for (int l = lo; l <= hi; ++l)
    table[static_cast<std::size_t>(l)] =
        static_cast<std::uint8_t>(imageops::RoundHalfEvenExtended(static_cast<long double>(l - lo) * factor));
  return table;
}

}  // namespace

void AdjustRGB(const Bitmap& source, Bitmap& target, int channel, int amount) {
  const int add = std::clamp(amount, -255, 255);
  const int up = std::max(add, 0), down = std::max(-add, 0);
  const ChannelPattern u = PatternOf(channel == 3 ? up : 0, channel == 2 ? up : 0, channel == 1 ? up : 0);
  const ChannelPattern d = PatternOf(channel == 3 ? down : 0, channel == 2 ? down : 0, channel == 1 ? down : 0);
  ForEachRow(source, target,
             [&](const std::uint8_t* in, std::uint8_t* out, std::size_t n) { AddClamped(in, out, n, u, d); });
}

void AdjustRGB(ImageView& view, int channel, int amount) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { AdjustRGB(s, t, channel, amount); });
}

void ReduceColors(const Bitmap& source, Bitmap& target, int formatIndex) {
  static constexpr PixelFormat kFormats[] = {PixelFormat::Bgrx32, PixelFormat::Bgr24,    PixelFormat::Rgb565,
                                             PixelFormat::Indexed8, PixelFormat::Indexed4, PixelFormat::Indexed1};
  if (formatIndex < 0 || formatIndex >= 6) {
    if (&source != &target) target = source;
    return;
  }
  // Through 24 bits, as every working copy goes, then to the new format
  // with its standard palette.
  if (source.Format() != PixelFormat::Bgr24) {
    Bitmap working;
    source.ConvertInto(working, PixelFormat::Bgr24);
    working.ConvertInto(target, kFormats[formatIndex]);
  } else if (&source != &target) {
    source.ConvertInto(target, kFormats[formatIndex]);
  } else {
    target.SetFormat(kFormats[formatIndex]);
  }
}

void ReduceColors(ImageView& view, int formatIndex) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { ReduceColors(s, t, formatIndex); });
}

void AdjustBrightness(const Bitmap& source, Bitmap& target, int amount) {
  const int add = std::clamp(amount, -255, 255);
  const int up = std::max(add, 0), down = std::max(-add, 0);
  const ChannelPattern u = PatternOf(up, up, up), d = PatternOf(down, down, down);
  ForEachRow(source, target,
             [&](const std::uint8_t* in, std::uint8_t* out, std::size_t n) { AddClamped(in, out, n, u, d); });
}

void AdjustBrightness(ImageView& view, int amount) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { AdjustBrightness(s, t, amount); });
}

void AdjustContrast(const Bitmap& source, Bitmap& target, int amount) { AdjustBrightness(source, target, amount); }

void AdjustContrast(ImageView& view, int amount) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { AdjustContrast(s, t, amount); });
}

void AdjustGamma(const Bitmap& source, Bitmap& target, double gamma) {
  const imageops::ByteTable table = GammaTable(gamma);
  ForEachRow(source, target,
             [&](const std::uint8_t* in, std::uint8_t* out, std::size_t n) { imageops::LookUp(in, out, n, table); });
}

void AdjustGamma(ImageView& view, double gamma) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { AdjustGamma(s, t, gamma); });
}

void AdjustSaturation(const Bitmap& source, Bitmap& target, int amount) {
  if (amount >= 0 && amount <= 65535) {
    const auto a = static_cast<std::uint16_t>(amount);
    ForEachRow(source, target,
               [&](const std::uint8_t* in, std::uint8_t* out, std::size_t n) { SaturateRow(in, out, n / 3, a); });
    return;
  }
  // Keeps c * amount within 32 bits; the dialog passes 0..510.
  const int a = std::clamp(amount, -(1 << 22), 1 << 22);
  ForEachRow(source, target,
             [&](const std::uint8_t* in, std::uint8_t* out, std::size_t n) { SaturateAnyAmount(in, out, n, a); });
}

void AdjustSaturation(ImageView& view, int amount) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { AdjustSaturation(s, t, amount); });
}

void AdjustHue(const Bitmap& source, Bitmap& target, Colour colour) {
  const ChannelPattern p = PatternOf(BlueOf(colour), GreenOf(colour), RedOf(colour));
  ForEachRow(source, target, [&](const std::uint8_t* in, std::uint8_t* out, std::size_t n) { ScaleBy255ths(in, out, n, p); });
}

void AdjustHue(ImageView& view, Colour colour) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { AdjustHue(s, t, colour); });
}

void InvertColors(const Bitmap& source, Bitmap& target) { ForEachRow(source, target, Invert); }

void InvertColors(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { InvertColors(s, t); });
}

void Exposal(const Bitmap& source, Bitmap& target) { ForEachRow(source, target, Expose); }

void Exposal(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { Exposal(s, t); });
}

void GrayScale(const Bitmap& source, Bitmap& target) {
  Bitmap scratch;
  const Bitmap& picture = imageops::AsBgr24(source, scratch);
  const std::int32_t w = picture.Width(), h = picture.Height();
  if (&picture != &target) imageops::PrepareBgr24(target, w, h);
  const TieTable& ties = Ties();
  // First pass: the luminances and their range, parked at the start of each
  // target row (a row of luminances is a third of a row of pixels).
  Range range;
  for (std::int32_t y = 0; y < h; ++y) LuminanceRow(ties, picture.Row(y), w, target.Row(y), range);
  // Second pass: each luminance stretched and spread over its pixel.
  // Pictures with black and white in them, as most screenshots have,
  // stretch by nothing.
  const imageops::ByteTable stretch = StretchTable(range.lo, range.hi);
  const bool stretched = range.lo != 0 || range.hi != 255;
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(w));
  for (std::int32_t y = 0; y < h; ++y) {
    // The row's luminances are where its pixels go: spread from a copy.
    std::memcpy(grey.data(), target.Row(y), grey.size());
    SpreadGrey(grey.data(), w, stretched ? &stretch : nullptr, target.Row(y));
    imageops::ZeroRowPadding(target, y);
  }
}

void GrayScale(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { GrayScale(s, t); });
}

}  // namespace brisko
