#pragma once

// The single-precision arctangent, sine and cosine of the C library, in
// AVX-512 registers, for the Twist distortion; not part of the operations'
// interface. Each reproduces glibc's routine operation for operation:
// the arctangent computed in single precision, the sine and cosine from one
// double-precision polynomial with fused multiply-adds (the form glibc
// picks wherever FMA exists, which every processor with AVX-512 has). A
// picture then comes out the same whichever path computed it. When written,
// both were compared with the library over all 2^32 arguments; the Twist
// tests compare whole pictures with the scalar form.

#include "imageops/Bgr32.h"

#if defined(BRISKO_X86_DISPATCH)
#include <immintrin.h>

#include <cmath>
#include <cstdint>

namespace brisko::imageops {

BRISKO_AVX512_VBMI inline __m512 SingleOfBits(std::uint32_t bits) {
  return _mm512_castsi512_ps(_mm512_set1_epi32(static_cast<int>(bits)));
}

// The arctangent in single precision: an odd polynomial around 0 or around
// one of four break points, after a reduction that needs one division.
BRISKO_AVX512_VBMI inline __m512 AtanSingle(__m512 x) {
  const __m512i bits = _mm512_castps_si512(x);
  const __m512i magnitude = _mm512_and_si512(bits, _mm512_set1_epi32(0x7fffffff));
  const __m512 a = _mm512_castsi512_ps(magnitude);
  auto below = [&](std::uint32_t limit) BRISKO_AVX512_VBMI {
    return _mm512_cmplt_epi32_mask(magnitude, _mm512_set1_epi32(static_cast<int>(limit)));
  };
  const __mmask16 nearZero = below(0x3ee00000), tiny = below(0x31000000), huge = ~below(0x4c000000);
  const __mmask16 pastFirst = ~below(0x3f300000), pastSecond = ~below(0x3f980000), pastThird = ~below(0x401c0000);
  const __m512 one = _mm512_set1_ps(1.0f), two = _mm512_set1_ps(2.0f), oneAndHalf = _mm512_set1_ps(1.5f);
  // Break point 0: (2a - 1) / (2 + a); 1: (a - 1) / (a + 1); 2: (a - 1.5) /
  // (1 + 1.5 a); 3: -1 / a; near zero x itself.
  __m512 num = _mm512_sub_ps(_mm512_add_ps(a, a), one), den = _mm512_add_ps(a, two);
  num = _mm512_mask_sub_ps(num, pastFirst, a, one);
  den = _mm512_mask_add_ps(den, pastFirst, a, one);
  num = _mm512_mask_sub_ps(num, pastSecond, a, oneAndHalf);
  den = _mm512_mask_add_ps(den, pastSecond, _mm512_mul_ps(a, oneAndHalf), one);
  num = _mm512_mask_mov_ps(num, pastThird, _mm512_set1_ps(-1.0f));
  den = _mm512_mask_mov_ps(den, pastThird, a);
  num = _mm512_mask_mov_ps(num, nearZero, x);
  den = _mm512_mask_mov_ps(den, nearZero, one);
  const __m512 t = _mm512_div_ps(num, den);
  const __m512 z = _mm512_mul_ps(t, t), w = _mm512_mul_ps(z, z);
  __m512 s1 = SingleOfBits(0x3c8569d7);
  for (std::uint32_t c : {0x3d4bda59u, 0x3d886b35u, 0x3dba2e6eu, 0x3e124925u, 0x3eaaaaabu})
    s1 = _mm512_add_ps(_mm512_mul_ps(s1, w), SingleOfBits(c));
  s1 = _mm512_mul_ps(s1, z);
  __m512 s2 = SingleOfBits(0xbd15a221);
  for (std::uint32_t c : {0x3d6ef16bu, 0x3d9d8795u, 0x3de38e38u, 0x3e4ccccdu})
    s2 = _mm512_sub_ps(_mm512_mul_ps(s2, w), SingleOfBits(c));
  s2 = _mm512_mul_ps(s2, w);
  const __m512 tail = _mm512_mul_ps(_mm512_add_ps(s1, s2), t);
  const __m512i point = _mm512_add_epi32(
      _mm512_add_epi32(_mm512_maskz_set1_epi32(pastFirst, 1), _mm512_maskz_set1_epi32(pastSecond, 1)),
      _mm512_maskz_set1_epi32(pastThird, 1));
  const __m512 high = _mm512_permutexvar_ps(point, _mm512_castsi512_ps(_mm512_setr_epi32(
                                                       0x3eed6338, 0x3f490fda, 0x3f7b985e, 0x3fc90fda, 0, 0, 0, 0, 0, 0,
                                                       0, 0, 0, 0, 0, 0)));
  const __m512 low = _mm512_permutexvar_ps(point, _mm512_castsi512_ps(_mm512_setr_epi32(
                                                      0x31ac3769, 0x33222168, 0x33140fb4, 0x33a22168, 0, 0, 0, 0, 0, 0,
                                                      0, 0, 0, 0, 0, 0)));
  __m512 result = _mm512_sub_ps(high, _mm512_sub_ps(_mm512_sub_ps(tail, low), t));
  const __m512i sign = _mm512_andnot_si512(_mm512_set1_epi32(0x7fffffff), bits);
  result = _mm512_castsi512_ps(_mm512_xor_si512(_mm512_castps_si512(result), sign));
  result = _mm512_mask_sub_ps(result, nearZero, t, tail);
  result = _mm512_mask_mov_ps(result, tiny, x);
  const __mmask16 negative = _mm512_cmplt_epi32_mask(bits, _mm512_setzero_si512());
  const __m512 quarter = _mm512_add_ps(SingleOfBits(0x33a22168), SingleOfBits(0x3fc90fda));
  const __m512 minusQuarter = _mm512_sub_ps(SingleOfBits(0xbfc90fda), SingleOfBits(0x33a22168));
  result = _mm512_mask_mov_ps(result, huge, _mm512_mask_mov_ps(quarter, negative, minusQuarter));
  const __mmask16 nan = _mm512_cmpgt_epi32_mask(magnitude, _mm512_set1_epi32(0x7f800000));
  return _mm512_mask_add_ps(result, nan, x, x);
}

// Sine and cosine of eight single-precision angles below 120 in magnitude:
// the nearest multiple n of pi / 2 taken off with one fused multiply-add,
// then one polynomial pair whose signs and roles follow n's quadrant.
BRISKO_AVX512_VBMI inline void SinCosDouble(__m256 angle, __m256& sine, __m256& cosine) {
  const __m512d x = _mm512_cvtps_pd(angle);
  // 2 / pi scaled by 2^24: the truncated product plus a half, shifted,
  // is the nearest quadrant.
  const __m256i quadrant = _mm256_srai_epi32(
      _mm256_add_epi32(_mm512_cvttpd_epi32(_mm512_mul_pd(x, _mm512_set1_pd(0x1.45f306dc9c883p+23))),
                       _mm256_set1_epi32(0x800000)),
      24);
  const __m512d r = _mm512_fnmadd_pd(_mm512_cvtepi32_pd(quadrant), _mm512_set1_pd(0x1.921fb54442d18p+0), x);
  const __m256i bit0 = _mm256_and_si256(quadrant, _mm256_set1_epi32(1));
  const __m256i bit1 = _mm256_and_si256(_mm256_srli_epi32(quadrant, 1), _mm256_set1_epi32(1));
  const __mmask8 negativeSine = _mm256_cmpneq_epi32_mask(bit0, bit1);
  const __mmask8 flipped = _mm256_test_epi32_mask(quadrant, _mm256_set1_epi32(2));
  const __mmask8 odd = _mm256_test_epi32_mask(quadrant, _mm256_set1_epi32(1));
  const __m512d xs = _mm512_mul_pd(r, _mm512_mask_mov_pd(_mm512_set1_pd(1.0), negativeSine, _mm512_set1_pd(-1.0)));
  const __m512d x2 = _mm512_mul_pd(r, r);
  // The cosine coefficients change sign in quadrants 2 and 3.
  auto cosineTerm = [&](double c) BRISKO_AVX512_VBMI {
    return _mm512_mask_mov_pd(_mm512_set1_pd(c), flipped, _mm512_set1_pd(-c));
  };
  const __m512d c0 = cosineTerm(1.0), c1 = cosineTerm(-0x1.ffffffd0c621cp-2), c2 = cosineTerm(0x1.55553e1068f19p-5),
                c3 = cosineTerm(-0x1.6c087e89a359dp-10), c4 = cosineTerm(0x1.99343027bf8c3p-16);
  const __m512d s1 = _mm512_set1_pd(-0x1.555545995a603p-3), s2 = _mm512_set1_pd(0x1.1107605230bc4p-7),
                s3 = _mm512_set1_pd(-0x1.994eb3774cf24p-13);
  const __m512d sineHigh = _mm512_fmadd_pd(x2, s3, s2), cosineHigh = _mm512_fmadd_pd(x2, c4, c3);
  const __m512d x3 = _mm512_mul_pd(x2, xs), x4 = _mm512_mul_pd(x2, x2);
  const __m512d x5 = _mm512_mul_pd(x2, x3), x6 = _mm512_mul_pd(x2, x4);
  const __m512d cosineLow = _mm512_fmadd_pd(x2, c1, c0);
  const __m512d sineSum = _mm512_fmadd_pd(sineHigh, x5, _mm512_fmadd_pd(x3, s1, xs));
  const __m512d cosineSum = _mm512_fmadd_pd(cosineHigh, x6, _mm512_fmadd_pd(x4, c2, cosineLow));
  const __m256 s = _mm512_cvtpd_ps(sineSum), c = _mm512_cvtpd_ps(cosineSum);
  sine = _mm256_mask_mov_ps(s, odd, c);
  cosine = _mm256_mask_mov_ps(c, odd, s);
  // Below 2^-12 the sine is the angle and the cosine 1.
  const __m256i magnitude = _mm256_and_si256(_mm256_castps_si256(angle), _mm256_set1_epi32(0x7fffffff));
  const __mmask8 tiny = _mm256_cmplt_epi32_mask(magnitude, _mm256_set1_epi32(0x39800000));
  sine = _mm256_mask_mov_ps(sine, tiny, angle);
  cosine = _mm256_mask_mov_ps(cosine, tiny, _mm256_set1_ps(1.0f));
}

BRISKO_AVX512_VBMI inline __m512 JoinHalves(__m256 low, __m256 high) {
  return _mm512_castpd_ps(_mm512_insertf64x4(_mm512_castps_pd(_mm512_castps256_ps512(low)), _mm256_castps_pd(high), 1));
}

BRISKO_AVX512_VBMI inline void SinCosSingle(__m512 angle, __m512& sine, __m512& cosine) {
  __m256 s[2], c[2];
  for (int half = 0; half < 2; ++half) {
    const __m256 part = half ? _mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(angle), 1))
                             : _mm512_castps512_ps256(angle);
    SinCosDouble(part, s[half], c[half]);
  }
  sine = JoinHalves(s[0], s[1]);
  cosine = JoinHalves(c[0], c[1]);
  // Beyond the polynomial's range (120 and up, or not a number), the library.
  const __mmask16 far = _mm512_cmpge_epi32_mask(
      _mm512_and_si512(_mm512_castps_si512(angle), _mm512_set1_epi32(0x7fffffff)), _mm512_set1_epi32(0x42f00000));
  if (far != 0) {
    alignas(64) float a[16], sines[16], cosines[16];
    _mm512_store_ps(a, angle);
    _mm512_store_ps(sines, sine);
    _mm512_store_ps(cosines, cosine);
    for (int i = 0; i < 16; ++i)
      if (far & (1u << i)) {
        sines[i] = std::sin(a[i]);
        cosines[i] = std::cos(a[i]);
      }
    sine = _mm512_load_ps(sines);
    cosine = _mm512_load_ps(cosines);
  }
}

}  // namespace brisko::imageops

#endif
