#pragma once

// Thirty-two 24-bit pixels split into their blue, green and red bytes and
// put back together, with byte shuffles. Only for code compiled for AVX2
// (BRISKO_X86_DISPATCH builds). The shuffles work within 128-bit lanes, so
// each lane carries one group of 16 pixels: lane 0 pixels 0..15, lane 1
// pixels 16..31; per-lane unpacking and packing keep that order.

#include "imageops/Rows.h"

#if defined(BRISKO_X86_DISPATCH)
#include <immintrin.h>

#include <array>
#include <cstdint>

namespace brisko::imageops {

// Shuffle controls: lane i of channel c comes from byte 3 i + c of the 48;
// each 16-byte third contributes the lanes whose bytes it holds.
struct Bgr16Masks {
  alignas(16) std::int8_t split[3][3][16];  // [channel][third][lane]
  alignas(16) std::int8_t join[3][3][16];   // [third][channel][byte]
  constexpr Bgr16Masks() : split{}, join{} {
    for (int c = 0; c < 3; ++c)
      for (int t = 0; t < 3; ++t)
        for (int i = 0; i < 16; ++i) {
          const int at = 3 * i + c;
          split[c][t][i] = static_cast<std::int8_t>(at / 16 == t ? at % 16 : -1);
        }
    for (int t = 0; t < 3; ++t)
      for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 16; ++k) {
          const int at = 16 * t + k;
          join[t][c][k] = static_cast<std::int8_t>(at % 3 == c ? at / 3 : -1);
        }
  }
};
inline constexpr Bgr16Masks kBgr16Masks{};

__attribute__((target("avx2"))) inline __m256i Mask32(const std::int8_t* mask) {
  return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(mask)));
}

__attribute__((target("avx2"))) inline void SplitBgr32(const std::uint8_t* p, __m256i channel[3]) {
  __m256i third[3];
  for (int t = 0; t < 3; ++t)
    third[t] = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * t))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48 + 16 * t)), 1);
  for (int c = 0; c < 3; ++c) {
    __m256i v = _mm256_setzero_si256();
    for (int t = 0; t < 3; ++t) v = _mm256_or_si256(v, _mm256_shuffle_epi8(third[t], Mask32(kBgr16Masks.split[c][t])));
    channel[c] = v;
  }
}

__attribute__((target("avx2"))) inline void JoinBgr32(const __m256i channel[3], std::uint8_t* p) {
  for (int t = 0; t < 3; ++t) {
    __m256i v = _mm256_setzero_si256();
    for (int c = 0; c < 3; ++c) v = _mm256_or_si256(v, _mm256_shuffle_epi8(channel[c], Mask32(kBgr16Masks.join[t][c])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * t), _mm256_castsi256_si128(v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 48 + 16 * t), _mm256_extracti128_si256(v, 1));
  }
}

// Sixteen pixels from three channel registers of 16 bytes each.
__attribute__((target("avx2"))) inline void JoinBgr16(const __m128i channel[3], std::uint8_t* p) {
  for (int t = 0; t < 3; ++t) {
    __m128i v = _mm_setzero_si128();
    for (int c = 0; c < 3; ++c)
      v = _mm_or_si128(v, _mm_shuffle_epi8(channel[c],
                                           _mm_load_si128(reinterpret_cast<const __m128i*>(kBgr16Masks.join[t][c]))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * t), v);
  }
}

// Sixty-four 24-bit pixels split into channels and joined again with
// byte permutes across the whole register, for processors with AVX-512
// VBMI: channel byte i is pixel i, and per-lane unpacking and packing keep
// that order as they do for the AVX2 form.
#define BRISKO_AVX512_VBMI __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

// Every processor with VBMI has the other three.
inline bool HasAvx512Vbmi() { return __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vl"); }

struct Bgr64Indices {
  alignas(64) std::uint8_t split[3][64];  // [channel][pixel]: byte 3 i + c of the 192
  alignas(64) std::uint8_t join[3][64];   // [register][byte]: pixel, plus 64 for green
  std::uint64_t fromThird[3];             // channel lanes found in the third register
  std::uint64_t fromRed[3];               // register bytes that hold red
  constexpr Bgr64Indices() : split{}, join{}, fromThird{}, fromRed{} {
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < 64; ++i) {
        const int at = 3 * i + c;
        split[c][i] = static_cast<std::uint8_t>(at);
        if (at >= 128) fromThird[c] |= std::uint64_t{1} << i;
      }
    for (int t = 0; t < 3; ++t)
      for (int j = 0; j < 64; ++j) {
        const int at = 64 * t + j, pixel = at / 3, channel = at % 3;
        join[t][j] = static_cast<std::uint8_t>(pixel + (channel == 1 ? 64 : 0));
        if (channel == 2) fromRed[t] |= std::uint64_t{1} << j;
      }
  }
};
inline constexpr Bgr64Indices kBgr64Indices{};

BRISKO_AVX512_VBMI inline void SplitBgr64(const std::uint8_t* p, __m512i channel[3]) {
  const __m512i a0 = _mm512_loadu_si512(p), a1 = _mm512_loadu_si512(p + 64), a2 = _mm512_loadu_si512(p + 128);
  for (int c = 0; c < 3; ++c) {
    const __m512i index = _mm512_load_si512(kBgr64Indices.split[c]);
    // Indices 128 and up wrap to their place in the third register.
    channel[c] = _mm512_mask_permutexvar_epi8(_mm512_permutex2var_epi8(a0, index, a1), kBgr64Indices.fromThird[c],
                                              index, a2);
  }
}

BRISKO_AVX512_VBMI inline void JoinBgr64(const __m512i channel[3], std::uint8_t* p) {
  for (int t = 0; t < 3; ++t) {
    const __m512i index = _mm512_load_si512(kBgr64Indices.join[t]);
    _mm512_storeu_si512(p + 64 * t, _mm512_mask_permutexvar_epi8(_mm512_permutex2var_epi8(channel[0], index, channel[1]),
                                                                 kBgr64Indices.fromRed[t], index, channel[2]));
  }
}

}  // namespace brisko::imageops

#endif
