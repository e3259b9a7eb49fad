// The XML tag readers on table-sized documents: the data-table format keeps all cells of an
// 11 x 5000 table inside one element, so the closing-tag search must not rescan the content.

#include <benchmark/benchmark.h>

#include <string>

#include "Classes.h"
#include "DOV_matrix.h"
#include "DOV_matrix.h"
#include "DOV_streams.h"

namespace {

constexpr int kCols = 11;
constexpr int kRows = 5000;

String TableDocument() {
  String doc = "<datatable sig=\"ZUDUZidad\" vers=\"1.0\" id=\"T\">\r\n<datacells>\r\n";
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kCols; ++c)
      doc += "<cell ix=\"" + std::to_string(c) + "\" iy=\"" + std::to_string(r) + "\">" +
             std::to_string(r * 0.25 + c) + "</cell>\r\n";
  doc += "</datacells>\r\n</datatable>\r\n";
  return doc;
}

// The whole <datacells> element read as one content from a stream, then every cell of it
// taken from that text.
void BM_ReadTableCells(benchmark::State& state) {
  const String doc = TableDocument();
  const TStrArray outer = {"datatable", "datacells", "/datatable", "invalid"};
  const TStrArray inner = {"cell", "invalid"};
  for (auto _ : state) {
    TStringStream s(doc);
    String a, root, cellsText, cellText;
    ReadNextTagInStream(s, outer, a, root);  // the root, whose content is everything
    Integer pos = 1;
    ReadNextTagInString(root, pos, outer, a, cellsText);  // <datacells>
    Integer cells = 0;
    pos = 1;
    while (ReadNextTagInString(cellsText, pos, inner, a, cellText) == 0) ++cells;
    if (cells != kCols * kRows) state.SkipWithError("cells lost");
  }
  state.counters["cells"] = kCols * kRows;
}
BENCHMARK(BM_ReadTableCells)->Unit(benchmark::kMillisecond);

// The same cells read one by one from a stream, as the matrix format holds them.
void BM_ReadCellsFromStream(benchmark::State& state) {
  const String doc = TableDocument();
  const TStrArray tags = {"cell", "/datacells", "invalid"};
  const String cellsOnly = doc.substr(doc.find("<cell"));
  for (auto _ : state) {
    TStringStream s(cellsOnly);
    String a, content;
    Integer cells = 0;
    while (ReadNextTagInStream(s, tags, a, content) == 0) ++cells;
    if (cells != kCols * kRows) state.SkipWithError("cells lost");
  }
  state.counters["cells"] = kCols * kRows;
}
BENCHMARK(BM_ReadCellsFromStream)->Unit(benchmark::kMillisecond);

// An 11 x 5000 matrix document read back (the band tables' size).
void BM_ReadMatrixXml(benchmark::State& state) {
  TMatrix m(nullptr);
  m.Resize(kCols, kRows);
  for (int c = 1; c <= kCols; ++c)
    for (int r = 1; r <= kRows; ++r) m.SetVal(c, r, r * 0.25 + c);
  TStringStream s;
  m.WriteToXMLStream(s, true, "B");
  for (auto _ : state) {
    TMatrix back(nullptr);
    s.SetPosition(0);
    if (!back.ReadFromXMLStream(s, "b")) state.SkipWithError("not read");
  }
  state.counters["cells"] = kCols * kRows;
}
BENCHMARK(BM_ReadMatrixXml)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
