// The data table's XML document of an 11 x 5000 table (every cell written): reading it from a
// stream, from a string and writing it. The readers must stay linear in the document's size:
// the datacells element alone holds 55,000 cell lines; the 20,000-row case shows the time
// growing with the size, not its square.

#include <benchmark/benchmark.h>

#include <memory>

#include "Classes.h"
#include "DOV_datatable.h"
#include "RtlRandom.h"

namespace {

constexpr Integer kCols = 11;
constexpr Integer kRows = 5000;

std::unique_ptr<TDataTable> BandSizedTable(Integer Rows = kRows) {
  InitRandomGenerator(2024);
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(kCols, Rows);
  for (Integer c = 1; c <= kCols; ++c) {
    double* col = t->NumericData->ColumnPtr(c);
    for (Integer r = 0; r < Rows; ++r) col[r] = 1 + static_cast<double>(RandomReal()) * 1000;
  }
  return t;
}

String Document(Integer Rows = kRows) {
  auto t = BandSizedTable(Rows);
  TStringStream s("");
  t->WriteToXMLStream(s, true, 4, "bench");
  return s.DataString();
}

void BM_DataTableXmlReadStream(benchmark::State& state) {
  const String doc = Document(static_cast<Integer>(state.range(0)));
  for (auto _ : state) {
    TStringStream s(doc);
    TDataTable t(nullptr);
    if (!t.ReadFromXMLStream(s, "bench")) state.SkipWithError("not read");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(doc.size()));
}

void BM_DataTableXmlReadString(benchmark::State& state) {
  const String doc = Document();
  for (auto _ : state) {
    Integer at = 1;
    TDataTable t(nullptr);
    if (!t.ReadFromXMLString(doc, at, "bench")) state.SkipWithError("not read");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(doc.size()));
}

void BM_DataTableXmlWrite(benchmark::State& state) {
  auto t = BandSizedTable();
  for (auto _ : state) {
    TStringStream s("");
    t->WriteToXMLStream(s, true, 4, "bench");
    benchmark::DoNotOptimize(s.Size());
  }
}

}  // namespace

BENCHMARK(BM_DataTableXmlReadStream)->Arg(kRows)->Arg(4 * kRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataTableXmlReadString)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataTableXmlWrite)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
