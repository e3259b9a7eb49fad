// The string grid: cell storage (capacity, texts of every length, cells outside the counts),
// fixed cells, selection by the user and the cell under the mouse.
#include <gtest/gtest.h>

#include <QTableView>

#include "Forms.h"
#include "Grids.h"
#include "SysUtils.h"
#include "support_ui.h"

namespace {

struct GridWindow {
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TStringGrid* grid = new TStringGrid(form.get());
  GridWindow() {
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 400, 300);
    grid->SetDefaultColWidth(60);
    grid->SetDefaultRowHeight(20);
  }
  // The scrolling view inside the grid's widget (made when the grid is first shown or needs
  // it); nullptr while there is none.
  QTableView* View() const {
    return grid->Handle()->findChild<QTableView*>(QString(), Qt::FindDirectChildrenOnly);
  }
  // The view that shows a cell: the scrolling one, or the frozen view of the fixed rows,
  // the fixed columns or their corner.
  QTableView* ViewOf(int Col, int Row) const {
    QTableView* v = View();
    const bool fr = Row < grid->FixedRows(), fc = Col < grid->FixedCols();
    if (!fr && !fc) return v;
    return v->findChild<QTableView*>(fr && fc ? "fixedCorner" : fr ? "fixedRows" : "fixedCols");
  }
  // Clicks the centre of a cell as the user would.
  void ClickCell(int Col, int Row) const {
    QTableView* t = ViewOf(Col, Row);
    ui::Click(t->viewport(), t->visualRect(t->model()->index(Row, Col)).center());
  }
  // The centre of a cell in the grid control's coordinates.
  QPoint CellCenter(int Col, int Row) const {
    QTableView* t = ViewOf(Col, Row);
    return t->viewport()->mapTo(grid->Handle(),
                                t->visualRect(t->model()->index(Row, Col)).center());
  }
};

TEST(StringGrid, HoldsHalfAMillionRowsOfTwelveColumns) {
  GridWindow w;
  const int rows = 500000, cols = 12;
  w.grid->SetColCount(cols);
  w.grid->SetRowCount(rows + 1);
  for (int r = 1; r <= rows; ++r)
    for (int c = 0; c < cols; ++c) w.grid->SetCells(c, r, IntToStr(r) + ":" + IntToStr(c));
  EXPECT_EQ(w.grid->Cells(0, 1), "1:0");
  EXPECT_EQ(w.grid->Cells(11, 250000), "250000:11");
  EXPECT_EQ(w.grid->Cells(7, rows), "500000:7");
  EXPECT_EQ(w.grid->RowCount(), rows + 1);
  // The view shows the last rows without a widget per cell.
  w.form->Show();
  w.grid->SetRow(rows);
  w.grid->SetTopRow(rows - 5);
  EXPECT_GT(w.grid->TopRow(), rows - 20);
  EXPECT_FALSE(w.form->Handle()->grab().isNull());
}

TEST(StringGrid, CellTextsOfEveryShapeReadBack) {
  GridWindow w;
  const String longText(300, 'x');  // needs a two-byte length
  const String withNul("a\0b", 3);
  struct Case {
    int col, row;
    String text;
  } cases[] = {{0, 0, "fixed corner"}, {3, 2, ""},    {4, 2, longText},
               {2, 2, withNul},        {1, 2, "é ü"}, {9, 2, "far"}};
  for (const auto& c : cases) w.grid->SetCells(c.col, c.row, c.text);
  for (const auto& c : cases)
    EXPECT_EQ(w.grid->Cells(c.col, c.row), c.text) << c.col << "," << c.row;
  // Overwriting with a shorter and then a longer text keeps the neighbours.
  w.grid->SetCells(4, 2, "s");
  EXPECT_EQ(w.grid->Cells(4, 2), "s");
  EXPECT_EQ(w.grid->Cells(9, 2), "far");
  EXPECT_EQ(w.grid->Cells(2, 2), withNul);
  w.grid->SetCells(2, 2, longText + longText);
  EXPECT_EQ(w.grid->Cells(2, 2), longText + longText);
  EXPECT_EQ(w.grid->Cells(4, 2), "s");
  // Emptying the last cell of a row leaves the others.
  w.grid->SetCells(9, 2, "");
  EXPECT_EQ(w.grid->Cells(9, 2), "");
  EXPECT_EQ(w.grid->Cells(1, 2), "é ü");
}

TEST(StringGrid, CellsOutsideTheCountsAreKeptAndNegativeOnesIgnored) {
  GridWindow w;
  w.grid->SetColCount(11);
  w.grid->SetRowCount(5);
  // Clearing cells that were never written (a window empties 2000 x 27 cells of a smaller
  // grid) is accepted and reads back empty.
  for (int r = 0; r < 2000; ++r)
    for (int c = 0; c < 27; ++c) w.grid->SetCells(c, r, "");
  EXPECT_EQ(w.grid->Cells(26, 1999), "");
  // Writes beyond the counts are accepted and read back.
  w.grid->SetCells(12, 11, "beyond both");
  w.grid->SetCells(2, 4999, "row 4999");
  EXPECT_EQ(w.grid->Cells(12, 11), "beyond both");
  EXPECT_EQ(w.grid->Cells(2, 4999), "row 4999");
  EXPECT_EQ(w.grid->ColCount(), 11);
  EXPECT_EQ(w.grid->RowCount(), 5);
  // Counts shrinking and growing again lose nothing.
  w.grid->SetCells(3, 3, "inside");
  w.grid->SetRowCount(2);
  w.grid->SetRowCount(20);
  EXPECT_EQ(w.grid->Cells(3, 3), "inside");
  w.grid->SetCells(-1, 0, "no");
  w.grid->SetCells(0, -1, "no");
  EXPECT_EQ(w.grid->Cells(-1, 0), "");
  EXPECT_EQ(w.grid->Cells(0, -1), "");
}

TEST(StringGrid, CountsAndFixedCellsAreKeptConsistent) {
  GridWindow w;
  w.grid->SetColCount(13);
  w.grid->SetRowCount(12);
  w.grid->SetFixedRows(2);
  w.grid->SetFixedCols(10);
  EXPECT_EQ(w.grid->FixedRows(), 2);
  EXPECT_EQ(w.grid->FixedCols(), 10);
  EXPECT_GE(w.grid->Row(), 2);
  EXPECT_GE(w.grid->Col(), 10);
  // A fixed cell is never the selected one.
  w.grid->SetRow(1);
  w.grid->SetCol(3);
  EXPECT_GE(w.grid->Row(), 2);
  EXPECT_GE(w.grid->Col(), 10);
  w.grid->SetRow(5);
  EXPECT_EQ(w.grid->Row(), 5);
  // Fewer columns than fixed ones: at least one column stays scrollable.
  w.grid->SetColCount(5);
  EXPECT_EQ(w.grid->FixedCols(), 4);
  w.grid->SetRowCount(0);
  EXPECT_EQ(w.grid->RowCount(), 1);
  EXPECT_EQ(w.grid->FixedRows(), 0);
}

TEST(StringGrid, TheUserSelectsCellsAndFixedCellsStayClickable) {
  GridWindow w;
  w.grid->SetColCount(5);
  w.grid->SetRowCount(6);
  w.grid->SetCells(1, 0, "Object");
  w.form->Show();
  std::vector<std::pair<int, int>> asked;
  int clicks = 0;
  int upCol = -2, upRow = -2;
  w.grid->OnSelectCell = [&](TObject*, int c, int r, bool& can) {
    asked.emplace_back(c, r);
    can = r != 4;
  };
  w.grid->OnClick = [&](TObject*) { ++clicks; };
  w.grid->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int X, int Y) {
    w.grid->MouseToCell(X, Y, upCol, upRow);
  };

  w.ClickCell(2, 3);
  EXPECT_EQ(w.grid->Col(), 2);
  EXPECT_EQ(w.grid->Row(), 3);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(std::make_pair(upCol, upRow), std::make_pair(2, 3));

  // A refused cell keeps the selection where it was.
  w.ClickCell(3, 4);
  EXPECT_EQ(w.grid->Row(), 3);
  EXPECT_EQ(asked.back(), std::make_pair(3, 4));

  // The header cell "Object" is reported under the mouse but not selected.
  w.ClickCell(1, 0);
  EXPECT_EQ(std::make_pair(upCol, upRow), std::make_pair(1, 0));
  EXPECT_EQ(w.grid->Cells(upCol, upRow), "Object");
  EXPECT_EQ(w.grid->Row(), 3);

  // The corner cell and a fixed row label are reported too.
  int c = 0, r = 0;
  const QPoint corner = w.CellCenter(0, 0);
  w.grid->MouseToCell(corner.x(), corner.y(), c, r);
  EXPECT_EQ(std::make_pair(c, r), std::make_pair(0, 0));
  const QPoint label = w.CellCenter(0, 5);
  w.grid->MouseToCell(label.x(), label.y(), c, r);
  EXPECT_EQ(std::make_pair(c, r), std::make_pair(0, 5));
  // Outside every cell.
  w.grid->MouseToCell(399, 299, c, r);
  EXPECT_EQ(c, -1);
  EXPECT_EQ(r, -1);
}

TEST(StringGrid, FixedRowsAndColumnsStayInViewWhileTheCellsScroll) {
  GridWindow w;
  w.grid->SetColCount(27);
  w.grid->SetRowCount(2001);
  w.grid->SetCells(3, 0, "12 h");
  w.grid->SetCells(0, 1500, "PSR J1500");
  w.form->Show();
  ui::Pump(10);
  w.grid->SetTopRow(1500);
  w.grid->SetLeftCol(20);
  ui::Pump(10);
  EXPECT_EQ(w.grid->TopRow(), 1500);
  EXPECT_EQ(w.grid->LeftCol(), 20);
  // The header row and the name column are still where they were, showing the same cells.
  int c = 0, r = 0;
  w.grid->MouseToCell(70, 10, c, r);  // just right of the fixed column, in the fixed row
  EXPECT_EQ(r, 0);
  EXPECT_EQ(c, 20);
  w.grid->MouseToCell(10, 30, c, r);  // in the fixed column, first scrolled row
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 1500);
  EXPECT_EQ(w.grid->Cells(c, r), "PSR J1500");
  // Back at the start, the first cells show beside the fixed ones.
  w.grid->SetTopRow(1);
  w.grid->SetLeftCol(1);
  w.grid->MouseToCell(70, 30, c, r);
  EXPECT_EQ(std::make_pair(c, r), std::make_pair(1, 1));
}

TEST(StringGrid, GrowingRowByRowKeepsTheViewInStep) {
  GridWindow w;
  w.form->Show();
  w.grid->SetColCount(12);
  w.grid->SetRowCount(1);
  w.grid->SetFixedRows(0);
  QTableView* v = w.View();
  for (int r = 1; r <= 20000; ++r) {
    w.grid->SetRowCount(r + 1);
    w.grid->SetCells(0, r, IntToStr(r));
  }
  EXPECT_EQ(v->model()->rowCount(), 20001);
  EXPECT_EQ(v->model()->columnCount(), 12);
  EXPECT_EQ(v->model()->index(20000, 0).data().toString(), QStringLiteral("20000"));
  w.grid->SetRowCount(3);
  EXPECT_EQ(v->model()->rowCount(), 3);
  EXPECT_LE(w.grid->Row(), 2);
}

TEST(StringGrid, WidthsAndOptionsFromCode) {
  GridWindow w;
  w.grid->SetColCount(4);
  w.grid->SetColWidths(1, 130);
  w.grid->SetColWidths(7, 90);  // beyond the columns: kept for later
  EXPECT_EQ(w.grid->ColWidths(1), 130);
  EXPECT_EQ(w.grid->ColWidths(2), 60);
  w.grid->SetColCount(8);
  EXPECT_EQ(w.grid->ColWidths(7), 90);
  w.form->Show();
  QList<QTableView*> views = w.grid->Handle()->findChildren<QTableView*>();
  for (QTableView* v : views) {
    EXPECT_EQ(v->columnWidth(1), 130);
    EXPECT_EQ(v->columnWidth(7), 90);
  }
}

}  // namespace

namespace {

// A description may give the fixed counts before the counts they depend on; the grid ends
// up as described whatever the order.
TEST(StringGrid, DescribedFixedCountsDoNotDependOnTheirOrder) {
  struct Case {
    const char* order;
    String body;
  };
  const Case cases[] = {
      {"counts first",
       "    ColCount = 11\n    RowCount = 12\n    FixedCols = 10\n    FixedRows = 2\n"},
      {"fixed counts first",
       "    FixedCols = 10\n    FixedRows = 8\n    ColCount = 11\n    RowCount = 12\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order);
    TForm f(nullptr);
    f.LoadDescriptionText(
        "object Form35: TForm\n  object StringGrid1: TStringGrid\n" + c.body + "  end\nend\n",
        "Unit35.form");
    auto* g = dynamic_cast<TStringGrid*>(f.FindComponent("StringGrid1"));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->ColCount(), 11);
    EXPECT_EQ(g->RowCount(), 12);
    EXPECT_EQ(g->FixedCols(), 10);
    EXPECT_EQ(g->FixedRows(), c.body.find("FixedRows = 8") != String::npos ? 8 : 2);
    // From code, a fixed count is kept below the count as before.
    g->SetFixedCols(20);
    EXPECT_EQ(g->FixedCols(), 10);
  }
}

}  // namespace

TEST(StringGrid, ACellTextProviderShowsTextsMadeOnDemand) {
  GridWindow w;
  w.grid->SetColCount(3);
  w.grid->SetRowCount(500001);
  w.grid->SetCells(0, 0, "Header");
  w.grid->SetCells(1, 7, "stored");
  int asked = 0;
  // Column 0 of the data rows comes from the provider; everything else stays stored.
  w.grid->SetCellTextProvider([&asked](int Col, int Row, String& Text) {
    ++asked;
    if (Col != 0 || Row < 1) return false;
    Text = "row " + IntToStr(Row);
    return true;
  });
  w.form->Show();
  ui::Pump(10);
  EXPECT_EQ(w.grid->Cells(0, 500000), "row 500000");
  EXPECT_EQ(w.grid->Cells(0, 0), "Header");
  EXPECT_EQ(w.grid->Cells(1, 7), "stored");
  // The view asks only for what it shows, not for half a million rows.
  QTableView* view = w.View();
  EXPECT_EQ(view->model()->data(view->model()->index(3, 0)).toString().toStdString(), "row 3");
  EXPECT_LT(asked, 5000);
  w.grid->SetCellTextProvider(nullptr);
  EXPECT_EQ(w.grid->Cells(0, 3), "");
}

TEST(StringGrid, FixedColumnRowsLineUpWithTheCellsWhenAllRowsFit) {
  for (int rows : {5, 200}) {
    GridWindow w;
    w.grid->SetColCount(4);
    w.grid->SetRowCount(rows);
    w.form->Show();
    ui::Pump(10);
    if (rows > 5) w.grid->SetTopRow(50);
    ui::Pump(10);
    const int row = rows > 5 ? 52 : 3;
    EXPECT_EQ(w.CellCenter(0, row).y(), w.CellCenter(2, row).y()) << rows;
    EXPECT_EQ(w.CellCenter(1, 0).x(), w.CellCenter(1, row).x()) << rows;
    int c = -1, r = -1;
    w.grid->MouseToCell(w.CellCenter(0, row).x(), w.CellCenter(0, row).y(), c, r);
    EXPECT_EQ(r, row) << rows;
  }
}
