// The sparse integer matrix filled with 100,000 distinct elements in random order, in
// ascending order and with AllocBy 1 (the store's reported capacity then grows one entry at a
// time, which must not mean one reallocation per element). Aim: well under a second for the
// random order.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "DOV_intmatrix.h"

namespace {

constexpr int kElements = 100000;
constexpr int kRows = 317;  // positions spread over a 316 x 317 box

std::vector<int> Order(bool Shuffled) {
  std::vector<int> ix(kElements);
  std::iota(ix.begin(), ix.end(), 0);
  if (Shuffled) std::shuffle(ix.begin(), ix.end(), std::mt19937(4711));
  return ix;
}

void Fill(benchmark::State& state, bool Shuffled, Integer AllocBy) {
  const std::vector<int> ix = Order(Shuffled);
  for (auto _ : state) {
    std::unique_ptr<TIntMatrix> m(TIntMatrix::CreateSparse(nullptr, AllocBy));
    for (int i : ix) m->SetVal(i / kRows + 1, i % kRows + 1, i);
    benchmark::DoNotOptimize(m->SparseNumElem());
    if (m->SparseNumElem() != kElements) state.SkipWithError("elements lost");
  }
  state.SetItemsProcessed(state.iterations() * kElements);
}

void BM_SparseFillRandomOrder(benchmark::State& state) { Fill(state, true, 1); }
void BM_SparseFillAscending(benchmark::State& state) { Fill(state, false, 1); }
void BM_SparseFillRandomOrderAllocBy1000(benchmark::State& state) { Fill(state, true, 1000); }

void BM_SparseLookup(benchmark::State& state) {
  std::unique_ptr<TIntMatrix> m(TIntMatrix::CreateSparse(nullptr, 1));
  for (int i : Order(true)) m->SetVal(i / kRows + 1, i % kRows + 1, i);
  const std::vector<int> ix = Order(true);
  for (auto _ : state) {
    long sum = 0;
    for (int i : ix) sum += m->GetVal(i / kRows + 1, i % kRows + 1);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kElements);
}

}  // namespace

BENCHMARK(BM_SparseFillRandomOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SparseFillAscending)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SparseFillRandomOrderAllocBy1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SparseLookup)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
