// Data table statistics, editing, copying and sorting.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "DOV_datatable.h"
#include "DOV_sdlbase.h"
#include "DOV_univconst.h"
#include "DOV_vector.h"

namespace {

std::unique_ptr<TDataTable> Column(const std::vector<double>& values) {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(1, static_cast<Integer>(values.size()));
  for (size_t r = 0; r < values.size(); ++r)
    t->NumericData->SetVal(1, static_cast<Integer>(r + 1), values[r]);
  return t;
}

std::vector<String> RowNames(const TDataTable& t) {
  std::vector<String> v;
  for (Integer r = 1; r <= t.NrOfRows(); ++r) v.push_back(t.GetRowName(r));
  return v;
}

std::vector<String> ColNames(const TDataTable& t) {
  std::vector<String> v;
  for (Integer c = 1; c <= t.NrOfColumns(); ++c) v.push_back(t.GetColName(c));
  return v;
}

}  // namespace

TEST(DataTableStats, MeanVarianceQuartilesPercentiles) {
  auto t = Column({1, 2, 3, 4, 5});
  double mean, var, q1, q2, q3;
  Integer n;
  EXPECT_EQ(t->MeanVarOfNumCells(0, 0, 0, 0, mean, var), 5);
  EXPECT_EQ(mean, 3);
  EXPECT_EQ(var, 2.5);
  EXPECT_TRUE(t->QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n));
  EXPECT_EQ(q1, 1.5);
  EXPECT_EQ(q2, 3);
  EXPECT_EQ(q3, 4.5);
  EXPECT_EQ(t->PercentileOfNumCells(50, 0, 0, 0, 0, n), 3);
  EXPECT_EQ(t->PercentileOfNumCells(100, 0, 0, 0, 0, n), 5);
  EXPECT_EQ(t->PercentileOfNumCells(150, 0, 0, 0, 0, n), 5);
  // Small counts: Q3 never falls below Q2.
  auto three = Column({1, 2, 3});
  three->QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n);
  EXPECT_EQ(q1 * 100 + q2 * 10 + q3, 123);
  auto two = Column({1, 3});
  two->MeanVarOfNumCells(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 2);
  EXPECT_EQ(var, 1);
  // An offset common to all values costs no digits, and standardizing sees the spread.
  auto offset = Column({1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4});
  offset->MeanVarOfNumCells(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 1e9 + 2.5);
  EXPECT_EQ(var, 5.0 / 3);
  offset->SetCellState(1, 1, csMarkA);
  offset->SetCellState(1, 4, csMarkA);
  offset->MeanVarOfMarkedCells(0, 0, 0, 0, csMarkA, mean, var);
  EXPECT_EQ(var, 1);  // two values: the rule's 1
  // A percent that is NaN counts as 0; a value that is NaN has no order.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(t->PercentileOfNumCells(nan, 0, 0, 0, 0, n), 1);
  t->NumericData->SetVal(1, 3, nan);
  EXPECT_TRUE(std::isnan(t->PercentileOfNumCells(50, 0, 0, 0, 0, n)));
  EXPECT_FALSE(t->QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3, n));
  EXPECT_TRUE(std::isnan(q2));
}

TEST(DataTableStats, SelectionsFollowStatesAndScales) {
  auto t = Column({1, 2, 3, 4});
  t->SetCellState(1, 1, csEmpty);
  t->SetCellState(1, 2, csMarkA);
  t->SetCellState(1, 3, csImputed);
  double lo, hi, mean, var;
  Integer n;
  EXPECT_EQ(t->CountNumCells(0, 0, 0, 0), 3);
  EXPECT_EQ(t->CountEmptyCells(0, 0, 0, 0), 1);
  EXPECT_EQ(t->CountImputedCells(0, 0, 0, 0), 1);
  EXPECT_EQ(t->SumOfMarkedCells(0, 0, 0, 0, csMarkA, n), 2);
  EXPECT_EQ(t->SumOfMarkedCells(0, 0, 0, 0, csMarkB, n), 0);
  EXPECT_EQ(t->MinMaxOfNumCells(0, 0, 0, 0, lo, hi), 3);
  EXPECT_EQ(lo, 2);
  t->SetMScaleType(1, stNominal);
  EXPECT_EQ(t->CountNumCells(0, 0, 0, 0), 0);
  EXPECT_EQ(t->MeanVarOfNumCells(0, 0, 0, 0, mean, var), 0);
  EXPECT_EQ(mean, 0);
  EXPECT_EQ(t->MinMaxOfNumCells(0, 0, 0, 0, lo, hi), 0);
  EXPECT_EQ(lo, static_cast<double>(uc_MaxReal));
  EXPECT_EQ(hi, -static_cast<double>(uc_MaxReal));
  EXPECT_EQ(t->MinMaxOfValidCells(0, 0, 0, 0, lo, hi), 3);
  EXPECT_EQ(t->GeometricMeanOfNumCells(0, 0, 0, 0, n), 0);  // nothing counts: 0, not 0 / 0
  EXPECT_EQ(n, 0);
}

TEST(DataTableStats, GeometricHarmonicAndVector) {
  auto t = Column({2, 0, 8});
  Integer n;
  EXPECT_EQ(t->GeometricMeanOfNumCells(0, 0, 0, 0, n), 0);
  EXPECT_EQ(n, 2);
  t->NumericData->SetVal(1, 2, -1);
  EXPECT_THROW(t->GeometricMeanOfNumCells(0, 0, 0, 0, n), ESDLMatrixError);
  EXPECT_THROW(t->HarmonicMeanOfNumCells(0, 0, 0, 0, n), ESDLMatrixError);
  TDataTable six(nullptr);
  six.Resize(2, 3);
  for (Integer c = 1; c <= 2; ++c)
    for (Integer r = 1; r <= 3; ++r) six.NumericData->SetVal(c, r, 10 * c + r);
  TVector v(nullptr);
  EXPECT_EQ(six.CopyCellsToVector(0, 0, 0, 0, 255, &v), 6);
  EXPECT_EQ(v.GetVal(3), 13);
  EXPECT_EQ(v.GetVal(4), 21);
}

TEST(DataTableStats, Covariance) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  for (Integer r = 1; r <= 3; ++r) {
    t.NumericData->SetVal(1, r, r);
    t.NumericData->SetVal(2, r, 2 * r);
  }
  TMatrix m(nullptr);
  m.Resize(2, 2);
  EXPECT_TRUE(t.CalcCovar(&m, 1, 2, 1, 3, 2));
  EXPECT_DOUBLE_EQ(m.GetVal(1, 2), 1);
  EXPECT_DOUBLE_EQ(m.GetVal(2, 1), 1);
  for (Integer r = 1; r <= 3; ++r) t.NumericData->SetVal(2, r, 2);
  EXPECT_TRUE(t.CalcCovar(&m, 1, 2, 1, 3, 2));
  EXPECT_EQ(m.GetVal(1, 2), 0);
  EXPECT_EQ(m.GetVal(2, 2), 1);
  EXPECT_TRUE(t.CalcCovar(&m, 1, 2, 3, 3, 1));  // one usable row: 0, no division by 0
  EXPECT_EQ(m.GetVal(1, 1), 0);
  TMatrix small(nullptr);
  EXPECT_FALSE(t.CalcCovar(&small, 1, 2, 1, 3, 0));
}

TEST(DataTableStats, AttributesAndColumnTests) {
  TDataTable t(nullptr);
  t.Resize(3, 3);
  const Integer first[] = {5, 3, 5}, second[] = {3, 5, 7};
  Integer row;
  for (Integer r = 1; r <= 3; ++r) t.SetRowAttrib(r, first[r - 1]);
  EXPECT_EQ(t.MaxRowAttrib(0, 0, row), 5);
  EXPECT_EQ(row, 0);
  for (Integer r = 1; r <= 3; ++r) t.SetRowAttrib(r, second[r - 1]);
  EXPECT_EQ(t.MaxRowAttrib(0, 0, row), 7);
  EXPECT_EQ(row, 3);
  t.SetColAttrib(1, 1);
  t.SetColAttrib(2, 1);
  t.SetColAttrib(3, 2);
  EXPECT_EQ(t.ColAttribLevels(), 2);
  t.SetRowAttrib(1, 256);  // beyond the counted levels: not another value's level
  t.SetRowAttrib(2, -1);
  t.SetRowAttrib(3, 0);
  EXPECT_EQ(t.RowAttribLevels(), 1);
  double v1, v2;
  EXPECT_FALSE(Column({0, 1, 2})->CheckDichotomousColumn(1, v1, v2));
  EXPECT_FALSE(Column({4, 4, 4})->CheckDichotomousColumn(1, v1, v2));
  EXPECT_TRUE(Column({0, 1, 0, 1})->CheckDichotomousColumn(1, v1, v2));
  EXPECT_EQ(v2, 1);
  EXPECT_TRUE(Column({4, 4})->IsConstantColumn(1));
  EXPECT_FALSE(Column({4, 4})->IsConstantColumn(2));
}

TEST(DataTableStats, StandardizingRowsRefusesCategories) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetMScaleType(2, stOrdinal);
  try {
    t.StandardizeNumCellRows(nullptr, nullptr);
    FAIL();
  } catch (const ESDLDataTableError& e) {
    EXPECT_EQ(e.Message,
              "standardization of rows is not possible with nominal or ordinal variables");
  }
  auto c = Column({1, 2, 3});
  TVector means(nullptr), sds(nullptr);
  c->StandardizeNumCellColumns(&means, &sds);
  EXPECT_EQ(means.GetVal(1), 2);
  EXPECT_EQ(c->GetElem(1, 3), 1);
}

TEST(DataTableEdit, InsertAndRemove) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.NumericData->SetVal(1, 2, 7);
  t.InsertRow(3);
  EXPECT_EQ(t.NrOfRows(), 3);
  EXPECT_EQ(t.GetRowName(3), "");
  t.InsertRow(5);
  EXPECT_EQ(t.NrOfRows(), 3);
  t.InsertRow(1);
  EXPECT_EQ(t.GetElem(1, 3), 7);
  EXPECT_EQ(t.GetRowName(2), "R-1");
  TDataTable one(nullptr);
  one.RemoveRow(1);
  EXPECT_EQ(one.NrOfRows(), 1);
  t.SetRowName(1, "A");
  t.SetRowName(2, "B");
  t.SetRowName(3, "C");
  t.RemoveRow(5);  // beyond the rows: nothing
  t.RemoveRow(1);
  EXPECT_EQ(RowNames(t), (std::vector<String>{"B", "C", ""}));
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 1, "x");
  t.InsertColumn(1);
  EXPECT_EQ(t.GetMScaleType(2), stNominal);
  EXPECT_EQ(t.GetNominalID(2, 1), "x");
  EXPECT_EQ(t.GetMScaleType(1), stInterval);
  EXPECT_EQ(t.GetColName(1), "");
  t.RemoveColumn(1);
  EXPECT_EQ(t.GetNominalID(1, 1), "x");
}

TEST(DataTableEdit, ExchangeAndMirror) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  t.SetRowAttrib(1, 300);
  t.SetRowAttrib(2, 5);
  t.ExchangeRows(1, 2);
  EXPECT_EQ(t.GetRowAttrib(1), 5);
  EXPECT_EQ(t.GetRowAttrib(2), 300);
  t.ExchangeRows(1, 9);  // outside: nothing
  t.SetColName(1, "A");
  t.SetColName(2, "B");
  t.SetColName(3, "C");
  t.MirrorColumns();
  EXPECT_EQ(ColNames(t), (std::vector<String>{"C", "B", "A"}));
  TDataTable one(nullptr);
  std::vector<std::string> events;
  one.OnChange = [&](TObject*) { events.push_back("Change"); };
  one.OnChangeCellState = [&](TObject*) { events.push_back("CellState"); };
  one.OnChangeAttrib = [&](TObject*) { events.push_back("Attrib"); };
  one.OnChangeNames = [&](TObject*) { events.push_back("Names"); };
  one.OnChangeSetup = [&](TObject*) { events.push_back("Setup"); };
  one.MirrorColumns();
  EXPECT_EQ(events, (std::vector<std::string>{"Change", "CellState", "Attrib", "Names", "Setup"}));
}

TEST(DataTableEdit, Copies) {
  TDataTable src(nullptr), dst(nullptr);
  src.Resize(3, 3);
  dst.Resize(3, 3);
  for (Integer c = 1; c <= 3; ++c)
    for (Integer r = 1; r <= 3; ++r) src.NumericData->SetVal(c, r, 10 * c + r);
  src.SetCellState(2, 2, csMarkB);
  dst.CopyFrom(&src, 0, 0, 99, 99, 2, 2);
  EXPECT_EQ(dst.GetElem(2, 2), 11);
  EXPECT_EQ(dst.GetElem(3, 3), 22);
  EXPECT_EQ(dst.GetCellState(3, 3), csMarkB);
  EXPECT_EQ(dst.GetElem(1, 1), 0);
  TDataTable other(nullptr);
  EXPECT_FALSE(other.CopyCellStatesFrom(&src));
  EXPECT_TRUE(dst.CopyCellStatesFrom(&src));
  EXPECT_EQ(dst.GetCellState(2, 2), csMarkB);
  src.SetFComment("c");
  other.CopyContentsFrom(&src);
  EXPECT_EQ(other.NrOfColumns(), 3);
  EXPECT_EQ(other.Comment(), "c");
  EXPECT_EQ(other.CRCofCellStates(), src.CRCofCellStates());
}

TEST(DataTableEdit, Serialize) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  t.SetColName(1, "a");
  t.SetColName(2, "b");
  for (Integer c = 1; c <= 2; ++c)
    for (Integer r = 1; r <= 3; ++r) t.NumericData->SetVal(c, r, 10 * c + r);
  t.Serialize(true, true);
  EXPECT_EQ(t.NrOfColumns(), 4);
  EXPECT_EQ(t.NrOfRows(), 6);
  EXPECT_EQ(ColNames(t),
            (std::vector<String>{"(column)", "(col. index)", "(row index)", "(data)"}));
  const double col[] = {1, 1, 1, 2, 2, 2}, row[] = {1, 2, 3, 1, 2, 3},
               data[] = {11, 12, 13, 21, 22, 23};
  for (Integer s = 1; s <= 6; ++s) {
    EXPECT_EQ(t.NumericData->GetVal(1, s), col[s - 1]);
    EXPECT_EQ(t.GetElem(2, s), col[s - 1]);
    EXPECT_EQ(t.GetElem(3, s), row[s - 1]);
    EXPECT_EQ(t.GetElem(4, s), data[s - 1]);
  }
  EXPECT_EQ(t.GetMScaleType(1), stNominal);
  EXPECT_EQ(t.GetNominalID(1, 2), "2:b");
}

TEST(DataTableEdit, Sorts) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  const char* names[] = {"B", "a", "C"};
  const double keys[] = {3, 1, 2};
  for (Integer r = 1; r <= 3; ++r) {
    t.SetRowName(r, names[r - 1]);
    t.SetRowAttrib(r, r);
    t.NumericData->SetVal(2, r, keys[r - 1]);
    t.NumericData->SetVal(1, r, 10 * r);
  }
  t.SetCellState(2, 1, csMarkA);
  t.SortRows(2, true, 0, 0, 0, 0, true);
  EXPECT_EQ(RowNames(t), (std::vector<String>{"a", "C", "B"}));
  EXPECT_EQ(t.GetRowAttrib(1), 2);
  EXPECT_EQ(t.GetCellState(2, 3), csMarkA);
  t.SortRows(1, true, 0, 0, 0, 0, false);  // names stay, values and states move
  EXPECT_EQ(RowNames(t), (std::vector<String>{"a", "C", "B"}));
  EXPECT_EQ(t.GetCellState(2, 1), csMarkA);
  t.SortRowNames(true, true, 0, 0, 0, 0);
  EXPECT_EQ(RowNames(t), (std::vector<String>{"a", "B", "C"}));
  t.SortRowNames(true, 0, 0, 0, 0);
  EXPECT_EQ(RowNames(t), (std::vector<String>{"B", "C", "a"}));
  t.SetRowAttrib(1, 1);
  t.SetRowAttrib(2, 300);
  t.SetRowAttrib(3, 2);
  t.SortRowAttributes(false, 0, 0, 0, 0);
  EXPECT_EQ(t.GetRowAttrib(1) * 10000 + t.GetRowAttrib(2) * 10 + t.GetRowAttrib(3), 3000021);
  EXPECT_EQ(RowNames(t), (std::vector<String>{"C", "a", "B"}));
}
