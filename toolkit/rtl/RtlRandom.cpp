#include "RtlRandom.h"

#include <chrono>

Cardinal RandSeed = 0;

void InitRandomGenerator(Cardinal Seed) { RandSeed = Seed; }

namespace {
inline void Step() { RandSeed = RandSeed * 134775813u + 1u; }  // wraps mod 2^32
}  // namespace

Integer Random(Integer Range) {
  Step();
  // High 32 bits of the 64-bit product of the range (as an unsigned 32-bit value) and the seed.
  std::uint64_t p = static_cast<std::uint64_t>(static_cast<Cardinal>(Range)) * RandSeed;
  return static_cast<Integer>(static_cast<Cardinal>(p >> 32));
}

Extended RandomReal() {
  Step();
  return static_cast<Extended>(RandSeed) * 0x1p-32L;
}

void Randomize() {
  auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  RandSeed = static_cast<Cardinal>(static_cast<std::uint64_t>(ticks));
}
