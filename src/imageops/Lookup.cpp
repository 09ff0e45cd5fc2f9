#include "imageops/Lookup.h"

#include <algorithm>
#include <cstdint>

#include "imageops/Rows.h"

#if defined(BRISKO_X86_DISPATCH)
#include <immintrin.h>
#endif

namespace brisko::imageops {

namespace {

void LookUpScalar(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes, const ByteTable& table) {
  std::size_t k = 0;
  for (; k + 4 <= bytes; k += 4) {
    const std::uint8_t a = table[in[k]], b = table[in[k + 1]], c = table[in[k + 2]], d = table[in[k + 3]];
    out[k] = a;
    out[k + 1] = b;
    out[k + 2] = c;
    out[k + 3] = d;
  }
  for (; k < bytes; ++k) out[k] = table[in[k]];
}

#if defined(BRISKO_X86_DISPATCH)
// A whole 256-entry table fits four 64-byte registers; two two-register
// byte permutes look up the low and high halves, bit 7 picks between them.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void LookUpVbmi(const std::uint8_t* in, std::uint8_t* out,
                                                                        std::size_t bytes, const ByteTable& table) {
  const __m512i t0 = _mm512_loadu_si512(table.data());
  const __m512i t1 = _mm512_loadu_si512(table.data() + 64);
  const __m512i t2 = _mm512_loadu_si512(table.data() + 128);
  const __m512i t3 = _mm512_loadu_si512(table.data() + 192);
  // Loads that straddle cache lines cost two; start the wide loop at a
  // line boundary of the input.
  std::size_t k = std::min(bytes, static_cast<std::size_t>((64 - reinterpret_cast<std::uintptr_t>(in) % 64) % 64));
  LookUpScalar(in, out, k, table);
  for (; k + 64 <= bytes; k += 64) {
    const __m512i x = _mm512_loadu_si512(in + k);
    const __m512i low = _mm512_permutex2var_epi8(t0, x, t1);
    const __m512i high = _mm512_permutex2var_epi8(t2, x, t3);
    _mm512_storeu_si512(out + k, _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high));
  }
  // Clean upper register halves before any SSE code runs again; the
  // compiler leaves this out when it turns the next call into a jump.
  _mm256_zeroupper();
  LookUpScalar(in + k, out + k, bytes - k, table);
}
#endif

}  // namespace

void LookUp(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes, const ByteTable& table) {
#if defined(BRISKO_X86_DISPATCH)
  if (__builtin_cpu_supports("avx512vbmi")) {
    LookUpVbmi(in, out, bytes, table);
    return;
  }
#endif
  LookUpScalar(in, out, bytes, table);
}

}  // namespace brisko::imageops
