// Pattern replacement on a large stream: the cost must grow linearly with the stream; so must
// a search whose pattern would make plain backtracking explode.

#include <benchmark/benchmark.h>

#include <string>

#include "Classes.h"
#include "DOV_streams.h"
#include "DOV_stringl.h"

namespace {

// Text lines with a numbered field in each: "line 1234 value=a7;" and so on.
std::string SampleText(size_t bytes) {
  std::string text;
  text.reserve(bytes + 64);
  for (size_t i = 0; text.size() < bytes; ++i)
    text += "line " + std::to_string(i) + " of the log, value=a" + std::to_string(i % 10) + ";\r\n";
  text.resize(bytes);
  return text;
}

void BM_ReplaceInStream(benchmark::State& state) {
  const std::string text = SampleText(static_cast<size_t>(state.range(0)) << 20);
  TMemoryStream in, out;
  in.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
  for (auto _ : state)
    benchmark::DoNotOptimize(SearchAndReplace(in, out, "=a[0-9]", "=<@2>", false, 0, 0, ""));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReplaceInStream)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_ReplaceInStreamIgnoreCase(benchmark::State& state) {
  const std::string text = SampleText(static_cast<size_t>(state.range(0)) << 20);
  TMemoryStream in, out;
  in.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
  for (auto _ : state)
    benchmark::DoNotOptimize(SearchAndReplace(in, out, "LINE [0-9]+", "@U@1#@2", true, 0, 0, ""));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReplaceInStreamIgnoreCase)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// A pattern that plain backtracking would need exponential time for: each multiplier gives
// up on a position once, so the time grows with tokens x text length.
void BM_BacktrackingPattern(benchmark::State& state) {
  String pattern;
  for (int i = 0; i < 30; ++i) pattern += ".*x";
  TGrep grep(nullptr);
  grep.SetRegExp(pattern + "y");
  const String text(static_cast<size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    Integer pos = 0;
    benchmark::DoNotOptimize(grep.MatchString(text, pos));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_BacktrackingPattern)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
