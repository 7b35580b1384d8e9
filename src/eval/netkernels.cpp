#include "eval/netkernels.h"

#include "config/netfile.h"

#if defined(__x86_64__) || defined(__i386__)
#define NET_X86 1
#include <immintrin.h>
#endif

namespace {

// Loops over single values, each add and sub a pass of its own, which the
// compiler vectorises for the build's baseline.
void accumulatePlain(int16_t* dst, const int16_t* src, const int16_t* const* adds, int addCount,
                     const int16_t* const* subs, int subCount, int n) {
  if (dst != src)
    for (int i = 0; i < n; ++i) dst[i] = src[i];
  for (int k = 0; k < addCount; ++k)
    for (int i = 0; i < n; ++i) dst[i] = static_cast<int16_t>(dst[i] + adds[k][i]);
  for (int k = 0; k < subCount; ++k)
    for (int i = 0; i < n; ++i) dst[i] = static_cast<int16_t>(dst[i] - subs[k][i]);
}

inline int clipped(int16_t x) { return x < 0 ? 0 : x > NET_QA ? NET_QA : x; }

int32_t outputPlain(const int16_t* mover, const int16_t* other, const int16_t* weights, int n) {
  uint32_t sum = 0;
  for (int i = 0; i < n; ++i)
    sum += static_cast<uint32_t>(clipped(mover[i]) * weights[i]) +
           static_cast<uint32_t>(clipped(other[i]) * weights[n + i]);
  return static_cast<int32_t>(sum);
}

#ifdef NET_X86

// ---- AVX2: 16 values a register
__attribute__((target("avx2"))) void accumulateAvx2(int16_t* dst, const int16_t* src,
                                                    const int16_t* const* adds, int addCount,
                                                    const int16_t* const* subs, int subCount,
                                                    int n) {
  for (int i = 0; i < n; i += 16) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    for (int k = 0; k < addCount; ++k)
      v = _mm256_add_epi16(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(adds[k] + i)));
    for (int k = 0; k < subCount; ++k)
      v = _mm256_sub_epi16(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(subs[k] + i)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), v);
  }
}

__attribute__((target("avx2"))) int32_t outputAvx2(const int16_t* mover, const int16_t* other,
                                                   const int16_t* weights, int n) {
  const __m256i zero = _mm256_setzero_si256(), top = _mm256_set1_epi16(NET_QA);
  __m256i sum = zero;
  for (int i = 0; i < n; i += 16) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(mover + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(other + i));
    const __m256i wa = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + i));
    const __m256i wb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + n + i));
    const __m256i ca = _mm256_min_epi16(_mm256_max_epi16(a, zero), top);
    const __m256i cb = _mm256_min_epi16(_mm256_max_epi16(b, zero), top);
    sum = _mm256_add_epi32(sum, _mm256_madd_epi16(ca, wa));
    sum = _mm256_add_epi32(sum, _mm256_madd_epi16(cb, wb));
  }
  __m128i s = _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4E));
  s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xB1));
  return _mm_cvtsi128_si32(s);
}

// ---- SSE4.1: 8 values a register
__attribute__((target("sse4.1"))) void accumulateSse41(int16_t* dst, const int16_t* src,
                                                       const int16_t* const* adds, int addCount,
                                                       const int16_t* const* subs, int subCount,
                                                       int n) {
  for (int i = 0; i < n; i += 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    for (int k = 0; k < addCount; ++k)
      v = _mm_add_epi16(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(adds[k] + i)));
    for (int k = 0; k < subCount; ++k)
      v = _mm_sub_epi16(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(subs[k] + i)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), v);
  }
}

__attribute__((target("sse4.1"))) int32_t outputSse41(const int16_t* mover, const int16_t* other,
                                                      const int16_t* weights, int n) {
  const __m128i zero = _mm_setzero_si128(), top = _mm_set1_epi16(NET_QA);
  __m128i sum = zero;
  for (int i = 0; i < n; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mover + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(other + i));
    const __m128i wa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + i));
    const __m128i wb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights + n + i));
    const __m128i ca = _mm_min_epi16(_mm_max_epi16(a, zero), top);
    const __m128i cb = _mm_min_epi16(_mm_max_epi16(b, zero), top);
    sum = _mm_add_epi32(sum, _mm_madd_epi16(ca, wa));
    sum = _mm_add_epi32(sum, _mm_madd_epi16(cb, wb));
  }
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
  return _mm_cvtsi128_si32(sum);
}

#else  // no SIMD variants here: their places hold the plain kernels

#define accumulateAvx2 accumulatePlain
#define outputAvx2 outputPlain
#define accumulateSse41 accumulatePlain
#define outputSse41 outputPlain

#endif

}  // namespace

const NetKernels NET_KERNEL_VARIANTS[NET_KERNEL_SETS] = {
    {"plain", accumulatePlain, outputPlain},
    {"sse4.1", accumulateSse41, outputSse41},
    {"avx2", accumulateAvx2, outputAvx2},
};

NetKernels netKernels = NET_KERNEL_VARIANTS[NET_KERNELS_PLAIN];

bool netKernelsRunHere(int set) {
#ifdef NET_X86
  __builtin_cpu_init();
  switch (set) {
    case NET_KERNELS_AVX2: return __builtin_cpu_supports("avx2");
    case NET_KERNELS_SSE41: return __builtin_cpu_supports("sse4.1");
    default: return true;
  }
#else
  return set == NET_KERNELS_PLAIN;
#endif
}

void chooseNetKernels() {
  int set = NET_KERNEL_SETS - 1;
  while (!netKernelsRunHere(set)) --set;
  netKernels = NET_KERNEL_VARIANTS[set];
}
