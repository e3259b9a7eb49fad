// Reading the program's window descriptions: parsing the text of every window (what each
// window's start-up costs before its controls are made).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "BenchSupport.h"
#include "FormLoader.h"

namespace {

std::vector<std::pair<String, String>> ProgramDescriptions() {
  std::vector<std::pair<String, String>> texts;
  for (const auto& e :
       std::filesystem::directory_iterator(std::filesystem::path(KESTAL_DATA) / "../app/resources"))
    if (e.path().extension() == ".form") {
      std::ifstream in(e.path(), std::ios::binary);
      std::ostringstream s;
      s << in.rdbuf();
      texts.emplace_back(e.path().filename().string(), s.str());
    }
  return texts;
}

void ParseAllDescriptions(benchmark::State& State) {
  const auto texts = ProgramDescriptions();
  size_t bytes = 0;
  for (const auto& t : texts) bytes += t.second.size();
  for (auto _ : State)
    for (const auto& [name, text] : texts) {
      TDescribedObject o = ParseDescription(text, name);
      benchmark::DoNotOptimize(o.Children.size());
    }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * bytes));
  State.counters["windows"] = static_cast<double>(texts.size());
}
BENCHMARK(ParseAllDescriptions)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunToolkitBenchmarks(argc, argv); }
