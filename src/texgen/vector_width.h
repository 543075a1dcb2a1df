#pragma once
// VANDREL_WIDE_VECTORS before a hot loop's function builds it for several
// instruction sets and picks one when the program loads. The loops use integer
// arithmetic or single IEEE operations (the build forbids contraction into fused
// multiply-adds), so every version gives the same bits. Clang and other targets
// get the one portable version.

#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12 && defined(__x86_64__) && \
    defined(__linux__)
#define VANDREL_WIDE_VECTORS \
  __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define VANDREL_WIDE_VECTORS
#endif
