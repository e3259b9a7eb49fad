// The catalogue import at start-up and the sort of a band table, the two data-table and matrix
// operations the program runs on its main road.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "BandTable.h"
#include "BenchRatios.h"
#include "DOV_datatable.h"
#include "DOV_matrix.h"
#include "TextFile.h"
#include "Unit1Catalogue.h"
#include "Unit1Config.h"

namespace {

void BM_ImportCatalogue(benchmark::State& state) {
  const String file = String(KESTAL_TESTDATA) + "/atnf/ATNF_v1.66.csv";
  TDataTable table(nullptr);
  for (auto _ : state) {
    // The table as the main window's description leaves it: 11 columns, 5000 rows. Setting
    // it up is the window's work, not the import's.
    state.PauseTiming();
    table.Resize(11, 5000);
    state.ResumeTiming();
    benchmark::DoNotOptimize(table.ImportFromCSV(file, csvSemicolon, true, false));
  }
  state.counters["rows"] = table.NrOfRows();
}
BENCHMARK(BM_ImportCatalogue)->Unit(benchmark::kMillisecond);

// The catalogue's way at start-up as the main window goes it: the file read, its lines up to
// the catalogue's end split and checked, the data table filled and both band tables built
// from it.
void BM_CatalogueToBandTables(benchmark::State& state) {
  const String file = String(KESTAL_TESTDATA) + "/atnf/ATNF_v1.66.csv";
  TDataTable table(nullptr);
  TMatrix m400(nullptr), m1400(nullptr);
  int count1400 = 0;
  for (auto _ : state) {
    // The tables as the main window's description leaves them.
    state.PauseTiming();
    table.Resize(11, 5000);
    m400.Resize(11, 5000);
    m1400.Resize(11, 5000);
    state.ResumeTiming();
    String bytes;
    ReadUserFile(file, bytes);
    const TCatalogueReading reading = ReadCatalogue(bytes, table, m400, m1400);
    if (!reading.Usable()) std::abort();
    count1400 = reading.Bands.Count1400;
    benchmark::DoNotOptimize(count1400);
  }
  state.counters["count1400"] = count1400;
}
BENCHMARK(BM_CatalogueToBandTables)->Unit(benchmark::kMillisecond);

// The yardstick of the import: the C library's strtod over every field of the same file, the
// bytes already in memory. An import cannot be much faster than reading its numbers.
void BM_StrtodOverCatalogueFields(benchmark::State& state) {
  const std::string path = String(KESTAL_TESTDATA) + "/atnf/ATNF_v1.66.csv";
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t fields = 0;
  for (auto _ : state) {
    double sum = 0;
    fields = 0;
    const char* p = bytes.c_str();
    const char* const end = p + bytes.size();
    while (p < end) {
      char* stop = nullptr;
      sum += std::strtod(p, &stop);
      ++fields;
      while (p < end && *p != ';' && *p != '\n') ++p;  // the rest of the field
      ++p;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["fields"] = static_cast<double>(fields);
}
BENCHMARK(BM_StrtodOverCatalogueFields)->Unit(benchmark::kMillisecond);

// A file of 1000 columns and 500 rows: the table widens one column per field of the header
// line, which must not cost a copy of every column for every new one.
void BM_ImportWideTable(benchmark::State& state) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "kestal_bench_wide_table.csv";
  {
    std::ofstream out(file, std::ios::binary);
    unsigned seed = 4711;
    for (int r = 0; r <= 500; ++r) {
      std::string line;
      for (int c = 1; c <= 1000; ++c) {
        if (c > 1) line += ';';
        if (r == 0) {
          line += "col" + std::to_string(c);
        } else {
          seed = seed * 134775813u + 1u;
          line += std::to_string(seed >> 20) + "." + std::to_string((seed >> 8) % 100);
        }
      }
      out << line << '\n';
    }
  }
  TDataTable table(nullptr);
  for (auto _ : state) {
    table.Resize(1, 1);
    benchmark::DoNotOptimize(table.ImportFromCSV(file.string(), csvSemicolon, true, false));
  }
  state.counters["columns"] = table.NrOfColumns();
  std::filesystem::remove(file);
}
BENCHMARK(BM_ImportWideTable)->Unit(benchmark::kMillisecond);

// 11 x 5000 with keys in a scrambled order and many ties, sorted by one column, descending,
// as the program sorts its band tables by expected S/N.
void BM_SortRows11x5000(benchmark::State& state) {
  TMatrix source(nullptr);
  source.Resize(11, 5000);
  unsigned seed = 12345;
  for (int r = 1; r <= 5000; ++r) {
    for (int c = 1; c <= 11; ++c) {
      seed = seed * 134775813u + 1u;
      source.SetVal(c, r, static_cast<double>(seed >> 16) / 65536.0);
    }
    source.SetVal(9, r, static_cast<double>((seed >> 8) % 700));
  }
  TMatrix m(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    m.Assign(&source);
    state.ResumeTiming();
    m.SortRows(9, false, 1, 1, 11, 5000);
    benchmark::DoNotOptimize(m.GetVal(bcExpectedSN, 1));
  }
}
BENCHMARK(BM_SortRows11x5000)->Unit(benchmark::kMicrosecond);


}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench_support::RatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  // The medians where the runs were repeated: on a shared machine single runs scatter widely.
  const bool medians = rep.times.count("BM_ImportCatalogue_median") != 0;
  const auto import = rep.times.find(medians ? "BM_ImportCatalogue_median" : "BM_ImportCatalogue");
  const auto yardstick = rep.times.find(medians ? "BM_StrtodOverCatalogueFields_median"
                                                : "BM_StrtodOverCatalogueFields");
  if (import != rep.times.end() && yardstick != rep.times.end())
    std::printf("\nImport of the catalogue / strtod over its fields: %.2f\n",
                import->second / yardstick->second);
  benchmark::Shutdown();
  return 0;
}
