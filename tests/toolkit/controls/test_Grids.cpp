// The string grid: cell storage (capacity, texts of every length, cells outside the counts),
// fixed cells, selection by the user and the cell under the mouse; the table views made on
// first need.
#include <gtest/gtest.h>

#include <QEvent>
#include <QImage>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <functional>

#include "Forms.h"
#include "Grids.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "support_ui.h"

namespace {

// Counts the paint events a widget receives.
class TPaintCounter : public QObject {
public:
  TPaintCounter(QWidget* W, int* Count) : QObject(W), FCount(Count) { W->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* E) override {
    if (E->type() == QEvent::Paint) ++*FCount;
    return false;
  }

private:
  int* FCount;
};

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
    if (auto* v = qobject_cast<QTableView*>(grid->Handle())) return v;
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

// ---- views made on first need ------------------------------------------------------------
// The table views are made when the grid is first shown or something needs them; whatever was
// set before must show as if the views had been there all along.
namespace {

// What the user sees of a shown grid and what its views hold, for comparing two grids.
struct GridLook {
  int rows = 0, cols = 0, vscroll = 0, hscroll = 0;
  std::vector<int> widths, heights;
  std::vector<bool> hiddenRows, hiddenCols;
  std::vector<QRect> overlays;  // geometry of the fixed rows, columns and corner (empty: hidden)
  std::pair<int, int> current;
  std::vector<std::pair<int, int>> selected;
  QColor base, text;
  QFont font;
  bool enabled = true;
  int behaviour = 0, triggers = 0, focusPolicy = 0;
  QRect geometry;
  QImage picture;

  static GridLook Of(const GridWindow& W) {
    GridLook l;
    QTableView* v = W.View();
    if (v == nullptr) return l;
    QAbstractItemModel* m = v->model();
    l.rows = m->rowCount();
    l.cols = m->columnCount();
    for (int c = 0; c < l.cols; ++c) {
      l.widths.push_back(v->columnWidth(c));
      l.hiddenCols.push_back(v->isColumnHidden(c));
    }
    for (int r = 0; r < l.rows; ++r) {
      l.heights.push_back(v->rowHeight(r));
      l.hiddenRows.push_back(v->isRowHidden(r));
    }
    for (const char* name : {"fixedRows", "fixedCols", "fixedCorner"}) {
      auto* o = v->findChild<QTableView*>(name);
      l.overlays.push_back(o->isVisible() ? o->geometry() : QRect());
    }
    l.current = {v->currentIndex().column(), v->currentIndex().row()};
    for (const QModelIndex& i : v->selectionModel()->selectedIndexes())
      l.selected.emplace_back(i.column(), i.row());
    std::sort(l.selected.begin(), l.selected.end());
    l.vscroll = v->verticalScrollBar()->value();
    l.hscroll = v->horizontalScrollBar()->value();
    l.base = v->palette().color(QPalette::Base);
    l.text = v->palette().color(QPalette::Text);
    l.font = v->font();
    l.enabled = v->isEnabled();
    l.behaviour = v->selectionBehavior();
    l.triggers = static_cast<int>(v->editTriggers());
    l.focusPolicy = v->focusPolicy();
    l.geometry = v->geometry();
    l.picture = W.grid->Handle()->grab().toImage();
    return l;
  }
};

void ExpectSameLook(const GridLook& A, const GridLook& B) {
  EXPECT_EQ(A.rows, B.rows);
  EXPECT_EQ(A.cols, B.cols);
  EXPECT_EQ(A.widths, B.widths);
  EXPECT_EQ(A.heights, B.heights);
  EXPECT_EQ(A.hiddenRows, B.hiddenRows);
  EXPECT_EQ(A.hiddenCols, B.hiddenCols);
  EXPECT_EQ(A.overlays, B.overlays);
  EXPECT_EQ(A.current, B.current);
  EXPECT_EQ(A.selected, B.selected);
  EXPECT_EQ(A.vscroll, B.vscroll);
  EXPECT_EQ(A.hscroll, B.hscroll);
  EXPECT_EQ(A.base, B.base);
  EXPECT_EQ(A.text, B.text);
  EXPECT_EQ(A.font, B.font);
  EXPECT_EQ(A.enabled, B.enabled);
  EXPECT_EQ(A.behaviour, B.behaviour);
  EXPECT_EQ(A.triggers, B.triggers);
  EXPECT_EQ(A.focusPolicy, B.focusPolicy);
  EXPECT_EQ(A.geometry, B.geometry);
  EXPECT_FALSE(A.picture.isNull());
  EXPECT_TRUE(A.picture == B.picture) << "the pictures differ";
}

TEST(StringGridViews, StateSetBeforeTheFirstShowLooksAsStateSetAfterIt) {
  struct Case {
    const char* what;
    std::function<void(TStringGrid*)> setUp;
  };
  const Case cases[] = {
      {"counts and fixed parts",
       [](TStringGrid* g) {
         g->SetColCount(9);
         g->SetRowCount(40);
         g->SetFixedRows(2);
         g->SetFixedCols(3);
       }},
      {"counts shrinking under the selected cell",
       [](TStringGrid* g) {
         g->SetRowCount(12);
         g->SetRow(9);
         g->SetRowCount(4);
         g->SetFixedCols(0);
       }},
      {"widths and heights",
       [](TStringGrid* g) {
         g->SetDefaultColWidth(70);
         g->SetDefaultRowHeight(26);
         g->SetColWidths(2, 130);
         g->SetRowHeights(3, 40);
         g->SetColWidths(12, 90);  // beyond the columns until they grow
         g->SetColCount(14);
         g->SetRowCount(30);
       }},
      {"cells and provided texts",
       [](TStringGrid* g) {
         g->SetColCount(6);
         g->SetRowCount(9);
         g->SetCells(0, 0, "Corner");
         g->SetCells(2, 0, "Header");
         g->SetCells(0, 4, "Label");
         g->SetCells(3, 3, "stored");
         g->SetCellTextProvider([](int Col, int Row, String& Text) {
           if (Col != 4 || Row < 1) return false;
           Text = "made " + IntToStr(Row);
           return true;
         });
       }},
      {"options",
       [](TStringGrid* g) { g->SetOptions(goVertLine | goRowSelect | goEditing); }},
      {"selection from code",
       [](TStringGrid* g) {
         g->SetColCount(8);
         g->SetRowCount(20);
         g->SetCol(5);
         g->SetRow(7);
       }},
      {"selection by the user, whole rows",
       [](TStringGrid* g) {
         g->SetRowCount(10);
         g->SetOptions(g->Options() | goRowSelect);
         g->OnSelectCell = [](TObject*, int, int Row, bool& Can) { Can = Row != 2; };
         g->UserSelect(3, 2);  // refused
         g->UserSelect(2, 6);
       }},
      {"colours and font",
       [](TStringGrid* g) {
         g->SetCells(1, 1, "text");
         g->SetColor(clYellow);
         g->Font()->SetSize(13);
         g->Font()->SetColor(clRed);
       }},
      {"disabled",
       [](TStringGrid* g) {
         g->SetCells(1, 1, "text");
         g->SetEnabled(false);
       }},
      {"bounds and a parent change",
       [](TStringGrid* g) {
         g->SetParent(nullptr);
         g->SetBounds(12, 20, 350, 200);
         g->SetParent(dynamic_cast<TWinControl*>(g->Owner()));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GridLook before, after;
    {
      GridWindow w;
      c.setUp(w.grid);
      EXPECT_EQ(w.View(), nullptr) << "made before the first show";
      w.form->Show();
      w.grid->SetFocus();  // as in the other order, where hiding a grid takes its focus away
      ui::Pump(10);
      before = GridLook::Of(w);
    }
    {
      GridWindow w;
      w.form->Show();
      ui::Pump(10);
      c.setUp(w.grid);
      w.grid->SetFocus();
      ui::Pump(10);
      after = GridLook::Of(w);
    }
    ExpectSameLook(before, after);
  }
}

// A grid on a window that is never shown makes no view, however it is set up, filled and
// destroyed; nor does a hidden grid on a shown window until it is shown itself.
TEST(StringGridViews, NoViewUntilTheGridIsShown) {
  TForm f(nullptr);
  f.LoadDescriptionText(
      "object Form38: TForm\n  object StringGrid1: TStringGrid\n    ColCount = 27\n"
      "    RowCount = 2000\n    FixedCols = 1\n    FixedRows = 1\n    ColWidths = ( 90 60 )\n"
      "  end\n  object StringGrid2: TStringGrid\n    Visible = False\n  end\nend\n",
      "Unit38.form");
  auto* g1 = dynamic_cast<TStringGrid*>(f.FindComponent("StringGrid1"));
  auto* g2 = dynamic_cast<TStringGrid*>(f.FindComponent("StringGrid2"));
  ASSERT_NE(g1, nullptr);
  ASSERT_NE(g2, nullptr);
  for (int r = 0; r < 50; ++r) g1->SetCells(r % 27, r, "x");
  g1->SetRowCount(10);
  g1->SetCol(3);
  g1->Invalidate();
  g1->Repaint();
  EXPECT_EQ(g1->VisibleRowCount(), g1->Height() / 24 - 1);
  EXPECT_TRUE(f.Handle()->findChildren<QTableView*>().isEmpty());
  f.Show();
  ui::Pump(10);
  EXPECT_NE(g1->Handle()->findChild<QTableView*>(), nullptr);
  EXPECT_EQ(g2->Handle()->findChild<QTableView*>(), nullptr);
  g2->Show();
  EXPECT_NE(g2->Handle()->findChild<QTableView*>(), nullptr);
}

// Cells written from code are repainted in whichever view shows them, the frozen views of the
// fixed rows and columns included, without waiting for a resize.
TEST(StringGridViews, CellsWrittenFromCodeAreRepaintedInEveryView) {
  GridWindow w;
  w.grid->SetColCount(12);
  w.grid->SetRowCount(6);
  w.grid->SetFixedRows(2);
  w.grid->SetFixedCols(3);
  w.form->Show();
  ui::Pump(20);
  struct Cell {
    int col, row;
  };
  for (const Cell c : {Cell{0, 0}, Cell{5, 1}, Cell{1, 4}, Cell{6, 4}}) {
    QWidget* shown = w.ViewOf(c.col, c.row)->viewport();
    int paints = 0;
    auto* counter = new TPaintCounter(shown, &paints);
    w.grid->SetCells(c.col, c.row, "1.5E+02");
    ui::Pump(20);
    EXPECT_GT(paints, 0) << "cell " << c.col << "," << c.row;
    delete counter;
  }
}

// What only a view can answer makes the views on a grid that was never shown, and gives what
// it gives once shown.
TEST(StringGridViews, QuestionsForTheViewsOnANeverShownGrid) {
  struct Case {
    const char* what;
    std::function<void(GridWindow&)> ask;
    std::function<void(GridWindow&)> check;  // after the first show
  };
  const Case cases[] = {
      {"MouseToCell",
       [](GridWindow& w) {
         int c = -2, r = -2;
         w.grid->MouseToCell(10, 10, c, r);
         EXPECT_GE(c, -1);
         EXPECT_GE(r, -1);
       },
       [](GridWindow& w) {
         int c = -2, r = -2;
         w.grid->MouseToCell(30, 30, c, r);
         EXPECT_EQ(std::make_pair(c, r), std::make_pair(0, 1));
         w.grid->MouseToCell(90, 30, c, r);
         EXPECT_EQ(std::make_pair(c, r), std::make_pair(1, 1));
       }},
      {"TopRow and LeftCol",
       [](GridWindow& w) {
         EXPECT_EQ(w.grid->TopRow(), 1);
         EXPECT_EQ(w.grid->LeftCol(), 1);
       },
       [](GridWindow& w) {
         EXPECT_EQ(w.grid->TopRow(), 1);
         EXPECT_EQ(w.grid->LeftCol(), 1);
       }},
      {"SetFocus",
       [](GridWindow& w) { w.grid->SetFocus(); },
       [](GridWindow& w) {
         w.grid->SetFocus();
         EXPECT_TRUE(w.grid->Focused());
         EXPECT_TRUE(w.View()->hasFocus());
       }},
      {"SetRow far down", [](GridWindow& w) { w.grid->SetRow(150); },
       [](GridWindow& w) {
         // The selected cell is brought into view.
         QTableView* v = w.View();
         EXPECT_TRUE(v->viewport()->rect().intersects(v->visualRect(v->currentIndex())));
         EXPECT_GT(w.grid->TopRow(), 100);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GridWindow w;
    w.grid->SetColCount(8);
    w.grid->SetRowCount(200);
    c.ask(w);
    w.form->Show();
    ui::Pump(10);
    ASSERT_NE(w.View(), nullptr);
    c.check(w);
  }
}

// The views stand for the grid's widget: focus, keys, mouse and the tab order reach the grid
// once each, as they did when the view was the widget.
TEST(StringGridViews, FocusKeysAndClicksReachTheGridOnce) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 500, 400);
  auto* before = new TEdit(&form);
  before->SetParent(&form);
  auto* grid = new TStringGrid(&form);
  grid->SetParent(&form);
  grid->SetBounds(0, 30, 400, 300);
  auto* after = new TEdit(&form);
  after->SetParent(&form);
  after->SetTop(340);
  int enters = 0, exits = 0, downs = 0, presses = 0, mouseDowns = 0, clicks = 0;
  grid->OnEnter = [&](TObject*) { ++enters; };
  grid->OnExit = [&](TObject*) { ++exits; };
  grid->OnKeyDown = [&](TObject*, Word&, TShiftState) { ++downs; };
  grid->OnKeyPress = [&](TObject*, wchar_t&) { ++presses; };
  grid->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++mouseDowns; };
  grid->OnClick = [&](TObject*) { ++clicks; };
  form.Show();
  ui::Pump(10);
  before->SetFocus();
  ui::Pump(10);
  // The views take the grid's place in the tab order: Tab goes from the edit before the grid
  // into the grid.
  std::vector<QWidget*> tabStops;
  for (QWidget* t = before->Handle()->nextInFocusChain(); t != before->Handle();
       t = t->nextInFocusChain())
    if ((t->focusPolicy() & Qt::TabFocus) != 0 && t->focusProxy() == nullptr)
      tabStops.push_back(t);
  ui::Key(before->Handle(), Qt::Key_Tab);
  ui::Pump(10);
  EXPECT_TRUE(grid->Focused());
  EXPECT_EQ(enters, 1);
  QTableView* v = grid->Handle()->findChild<QTableView*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(tabStops, (std::vector<QWidget*>{v, after->Handle()}));
  // A key the view takes (a move) and one it leaves (a letter) each reach the grid once.
  ui::Key(v, Qt::Key_Down);
  ui::Key(v, Qt::Key_A, Qt::NoModifier, "a");
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(clicks, 1);  // the keyboard move
  ui::Click(v->viewport(), v->visualRect(v->model()->index(3, 2)).center());
  EXPECT_EQ(mouseDowns, 1);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(std::make_pair(grid->Col(), grid->Row()), std::make_pair(2, 3));
  after->SetFocus();
  ui::Pump(10);
  EXPECT_TRUE(after->Focused());
  EXPECT_EQ(exits, 1);
}

}  // namespace
