// The net's integer arithmetic, one variant per instruction set (AVX2,
// SSE4.1, plain C++), all giving the same numbers: 16-bit sums wrap in 16
// bits and the output's 32-bit sum wraps in 32 bits alike. The widest
// variant the CPU runs is chosen at start-up, so one binary runs everywhere.
#pragma once

#include <cstdint>

struct NetKernels {
  const char* name;
  // dst[i] = src[i] + the adds' [i] - the subs' [i], for i < n (a multiple
  // of 16); dst may be src.
  void (*accumulate)(int16_t* dst, const int16_t* src, const int16_t* const* adds, int addCount,
                     const int16_t* const* subs, int subCount, int n);
  // The sum over i < n of c(mover[i]) * weights[i] + c(other[i]) *
  // weights[n + i], with c clipping to 0..QA.
  int32_t (*output)(const int16_t* mover, const int16_t* other, const int16_t* weights, int n);
};

enum NetKernelSet : int { NET_KERNELS_PLAIN, NET_KERNELS_SSE41, NET_KERNELS_AVX2, NET_KERNEL_SETS };

// Every variant; netKernelsRunHere says which this CPU can run.
extern const NetKernels NET_KERNEL_VARIANTS[NET_KERNEL_SETS];
bool netKernelsRunHere(int set);

// The variant in use: the plain one until chooseNetKernels.
extern NetKernels netKernels;
void chooseNetKernels();
