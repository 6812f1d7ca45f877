// SHA-256 rounds with the processor's SHA extensions: two rounds per
// sha256rnds2, the message schedule by sha256msg1/msg2. The state is kept as
// the ABEF and CDGH halves those instructions work on.

#include "core/sha256_rounds.h"

#if defined(__i386__) || defined(__x86_64__)

#include <cpuid.h>
#include <immintrin.h>

bool sha256_cpu_has_instructions() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  const bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  const bool sha = b & (1u << 29);
  return ssse3 && sse41 && sha;
}

// 32-bit Windows keeps the stack 4-byte aligned (a thread starts so), and the
// compiler spills vectors with aligned moves: the function aligns its own.
#if defined(__i386__)
#define ALIGNS_ITS_STACK __attribute__((force_align_arg_pointer))
#else
#define ALIGNS_ITS_STACK
#endif

ALIGNS_ITS_STACK __attribute__((target("sha,sse4.1"))) void sha256_rounds_cpu(std::uint32_t state[8], const std::uint8_t* blocks,
                                                             std::size_t count) {
  const __m128i byte_swap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  const auto* k = reinterpret_cast<const __m128i*>(sha256_round_constants);

  __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
  __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (; count > 0; --count, blocks += 64) {
    const __m128i abef_before = abef, cdgh_before = cdgh;
    // w[g % 4] holds the message words 4g to 4g + 3.
    __m128i w[4];
    for (int g = 0; g < 4; ++g)
      w[g] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * g)), byte_swap);
#pragma GCC unroll 16
    for (int g = 0; g < 16; ++g) {
      __m128i m = _mm_add_epi32(w[g & 3], _mm_loadu_si128(k + g));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, m);
      m = _mm_shuffle_epi32(m, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, m);
      if (g < 12) {
        // Words 4g + 16 to 4g + 19 from the four groups before them.
        __m128i next = _mm_sha256msg1_epu32(w[g & 3], w[(g + 1) & 3]);
        next = _mm_add_epi32(next, _mm_alignr_epi8(w[(g + 3) & 3], w[(g + 2) & 3], 4));
        w[g & 3] = _mm_sha256msg2_epu32(next, w[(g + 3) & 3]);
      }
    }
    abef = _mm_add_epi32(abef, abef_before);
    cdgh = _mm_add_epi32(cdgh, cdgh_before);
  }

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

#else

bool sha256_cpu_has_instructions() { return false; }
void sha256_rounds_cpu(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count) {
  sha256_rounds_portable(state, blocks, count);
}

#endif
