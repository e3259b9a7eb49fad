// The grid and the paint box at the sizes the program's windows reach: the tracking planner's
// half a million rows of twelve columns, the PLAN grid's 25 x 2000 table refilled on every
// re-calculation, a chart-sized paint box redrawn with a few thousand lines, and a list view
// repainted after every row it gets.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "BenchSupport.h"
#include "Forms.h"
#include "Grids.h"
#include "SysUtils.h"

namespace {

// The texts a planner writes: a time in the first column, angles with one decimal elsewhere.
std::vector<String> CellTexts(int Cols) {
  std::vector<String> t;
  for (int c = 0; c < Cols; ++c)
    t.push_back(c == 0 ? String("Wed Jan 10 12:34:00 2024") : String("123.4 / -12.5"));
  return t;
}

struct GridWindow {
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TStringGrid* grid = new TStringGrid(form.get());
  GridWindow(int Cols, int Rows, bool Shown) {
    grid->SetParent(form.get());
    form->SetBounds(0, 0, 1000, 700);
    grid->SetBounds(0, 0, 1000, 700);
    grid->SetColCount(Cols);
    grid->SetRowCount(Rows);
    if (Shown) form->Show();
  }
};

// A grid on a window that is never shown (four of the program's five grids at start): created
// with the counts and widths its window description gives, filled a little, destroyed.
void BM_CreateGridNeverShown(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TForm form(nullptr);
  form.SetBounds(0, 0, 1000, 700);
  for (auto _ : state) {
    auto* grid = new TStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(8, 8, 980, 400);
    grid->SetColCount(n);
    grid->SetRowCount(n);
    grid->SetFixedCols(1);
    grid->SetFixedRows(1);
    grid->SetDefaultColWidth(80);
    grid->SetDefaultRowHeight(20);
    for (int c = 0; c < n; ++c) grid->SetCells(c, 0, "Column");
    benchmark::DoNotOptimize(grid->Cells(n - 1, 0));
    delete grid;
  }
}
BENCHMARK(BM_CreateGridNeverShown)->Arg(12)->Arg(27)->Unit(benchmark::kMicrosecond);

// The same grid on a window that is shown: its views are made and painted (the cost the first
// show of a window with a grid has).
void BM_CreateGridAndShow(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 1000, 700);
    auto* grid = new TStringGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(8, 8, 980, 400);
    grid->SetColCount(n);
    grid->SetRowCount(n);
    for (int c = 0; c < n; ++c) grid->SetCells(c, 0, "Column");
    form.Show();
    form.Repaint();
    benchmark::DoNotOptimize(grid->TopRow());
  }
}
BENCHMARK(BM_CreateGridAndShow)->Arg(27)->Unit(benchmark::kMillisecond);

// Grows the grid to 500,000 data rows and writes all 12 columns of each, then lets the
// shown view catch up.
void BM_FillHalfAMillionRowsOfTwelveColumns(benchmark::State& state) {
  const int rows = 500000, cols = 12;
  const std::vector<String> texts = CellTexts(cols);
  for (auto _ : state) {
    state.PauseTiming();
    auto w = std::make_unique<GridWindow>(cols, 2, true);
    Application->ProcessMessages();
    state.ResumeTiming();
    w->grid->SetRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r)
      for (int c = 0; c < cols; ++c) w->grid->SetCells(c, r, texts[static_cast<size_t>(c)]);
    w->grid->SetTopRow(1);
    Application->ProcessMessages();
    benchmark::DoNotOptimize(w->grid->Cells(cols - 1, rows));
    state.PauseTiming();
    w.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(rows) * cols);
}
BENCHMARK(BM_FillHalfAMillionRowsOfTwelveColumns)->Unit(benchmark::kMillisecond)->Iterations(3);

// The PLAN grid: empty 2000 rows x 27 columns, then write a 25-row table of 27 cells (the
// work of one re-calculation with a small band), on a grid that is shown.
void BM_RefillPlanSizedGrid(benchmark::State& state) {
  const int cols = 27, clearRows = 2000, rows = static_cast<int>(state.range(0));
  GridWindow w(cols, rows + 1, true);
  Application->ProcessMessages();
  const std::vector<String> texts = CellTexts(cols);
  for (auto _ : state) {
    for (int r = 0; r < clearRows; ++r)
      for (int c = 0; c < cols; ++c) w.grid->SetCells(c, r, "");
    for (int r = 1; r <= rows; ++r)
      for (int c = 0; c < cols; ++c) w.grid->SetCells(c, r, texts[static_cast<size_t>(c % 2)]);
    Application->ProcessMessages();
    benchmark::DoNotOptimize(w.grid->Cells(cols - 1, rows));
  }
}
BENCHMARK(BM_RefillPlanSizedGrid)->Arg(25)->Arg(2000)->Unit(benchmark::kMillisecond);

// An 800 x 600 paint box whose OnPaint draws N lines; Repaint paints and shows it at once.
void BM_RepaintPaintBoxWithLines(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  TForm form(nullptr);
  form.SetBounds(0, 0, 820, 620);
  auto* box = new TPaintBox(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 800, 600);
  box->OnPaint = [box, lines](TObject*) {
    TCanvas* c = box->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 800, 600));
    c->Pen()->SetColor(clNavy);
    for (int i = 0; i < lines; ++i) {
      c->MoveTo((i * 37) % 800, (i * 91) % 600);
      c->LineTo((i * 53 + 400) % 800, (i * 29 + 300) % 600);
    }
  };
  form.Show();
  Application->ProcessMessages();
  for (auto _ : state) box->Repaint();
  state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_RepaintPaintBoxWithLines)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond);

// The same lines drawn as one Polyline of N points (the chart's way of drawing a series).
void BM_RepaintPaintBoxWithPolyline(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  TForm form(nullptr);
  form.SetBounds(0, 0, 820, 620);
  auto* box = new TPaintBox(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 800, 600);
  std::vector<TPoint> pts;
  for (int i = 0; i < points; ++i) pts.push_back(Point((i * 37) % 800, (i * 91) % 600));
  box->OnPaint = [box, &pts](TObject*) {
    TCanvas* c = box->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 800, 600));
    c->Pen()->SetColor(clNavy);
    c->Polyline(pts);
  };
  form.Show();
  Application->ProcessMessages();
  for (auto _ : state) box->Repaint();
  state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(BM_RepaintPaintBoxWithPolyline)->Arg(5000)->Unit(benchmark::kMillisecond);

// The full pulsar list: a report list view of 13 columns that gets one row and a repaint of
// its window at once, row after row (the cost per row a user waits for).
void BM_ListViewAddRowAndRepaint(benchmark::State& state) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 1100, 600);
  auto* list = new TListView(&form);
  list->SetParent(&form);
  list->SetBounds(0, 0, 1100, 560);
  list->SetViewStyle(vsReport);
  for (int c = 0; c < 13; ++c) {
    TListColumn* col = list->Columns()->Add();
    col->SetCaption("Column " + IntToStr(c));
    col->SetWidth(80);
    col->SetAlignment(c < 3 ? taLeftJustify : taRightJustify);
  }
  form.Show();
  Application->ProcessMessages();
  int n = 0;
  for (auto _ : state) {
    TListItem* it = list->Items()->Add();
    it->SetCaption(IntToStr(++n));
    for (int c = 1; c < 13; ++c) it->SubItems()->Add("123.456");
    form.Repaint();
  }
}
BENCHMARK(BM_ListViewAddRowAndRepaint)->Unit(benchmark::kMicrosecond)->Iterations(3000);

}  // namespace

int main(int argc, char** argv) { return bench_support::RunToolkitBenchmarks(argc, argv); }
