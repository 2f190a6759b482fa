#pragma once

// Functions built for the x86-64 processors with AVX2 and FMA as well as
// for every one: the program takes the first the processor runs.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define PLAN_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define PLAN_VECTOR_CLONES
#endif
