#pragma once
// The process-wide pseudo-random generator: a 32-bit linear congruential generator.
//   step:            RandSeed := RandSeed * 134775813 + 1 (mod 2^32)
//   Random(n):       step, then the high 32 bits of the 64-bit product n * RandSeed
//   RandomReal():    step, then RandSeed * 2^-32 (in [0, 1))
// Every draw steps first and then uses the new seed. Sequences are reproducible from
// InitRandomGenerator(seed); nothing in the toolkit seeds the generator behind the caller's back.
// Not thread-safe, like the generator it reproduces: draw from one thread.

#include "System.h"

extern Cardinal RandSeed;

// Sets the seed; the one explicit initialisation main and the test fixtures call.
void InitRandomGenerator(Cardinal Seed);

// An integer in [0, Range) for Range > 0; for Range <= 0 the high word of the product is
// still returned as the generator computes it (0 for Range == 0).
Integer Random(Integer Range);

// A real in [0, 1): the generator's Random without argument.
Extended RandomReal();

// Seeds the generator from a monotonic high-resolution counter.
void Randomize();
