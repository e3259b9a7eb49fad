#include "DOV_datatable.h"
#include "SysUtils.h"
#include "FormLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Records every event of a table, in order, as short words.
struct EventLog {
  std::vector<std::string> events;
  std::vector<std::tuple<int, int, int, int>> resizes;
  void Attach(TDataTable& t) {
    t.OnChange = [this](TObject*) { events.push_back("Change"); };
    t.OnChangeSetup = [this](TObject*) { events.push_back("Setup"); };
    t.OnChangeNames = [this](TObject*) { events.push_back("Names"); };
    t.OnChangeCellState = [this](TObject*) { events.push_back("CellState"); };
    t.OnChangeAttrib = [this](TObject*) { events.push_back("Attrib"); };
    t.OnResize = [this](TObject*, Integer oc, Integer orr, Integer nc, Integer nr) {
      events.push_back("Resize");
      resizes.emplace_back(oc, orr, nc, nr);
    };
  }
  int Count(const std::string& e) const {
    int n = 0;
    for (const auto& x : events) n += x == e ? 1 : 0;
    return n;
  }
  void Clear() {
    events.clear();
    resizes.clear();
  }
};

String Repeat(const String& s, int n) {
  String r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

}  // namespace

TEST(TDataTableModel, NewTableIsOneByOne) {
  TDataTable t(nullptr);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.Elem(1, 1), 0.0);
  EXPECT_TRUE(t.IsNumber(1, 1));
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.RowName(1), "R-1");
  EXPECT_EQ(t.MScaleType(1), stInterval);
  EXPECT_EQ(t.ColAttrib(1), 0);
  EXPECT_EQ(t.RowAttrib(1), 0);
  ASSERT_NE(t.NumericData, nullptr);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 1);
  EXPECT_EQ(t.NumericData->NrOfRows(), 1);
  EXPECT_EQ(t.ClassName(), "TDataTable");
}

TEST(TDataTableModel, ColumnCountGivesDefaultNamesAndOnlyResizeEvent) {
  TDataTable t(nullptr);
  EventLog log;
  log.Attach(t);
  t.SetNrCols(3);
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.ColName(2), "C-2");
  EXPECT_EQ(t.ColName(3), "C-3");
  EXPECT_EQ(t.Elem(3, 1), 0.0);
  EXPECT_TRUE(t.IsNumber(3, 1));
  EXPECT_EQ(t.MScaleType(3), stInterval);
  EXPECT_EQ(log.events, std::vector<std::string>{"Resize"});
  EXPECT_EQ(log.resizes[0], std::make_tuple(1, 1, 3, 1));
  t.SetNrCols(3);
  EXPECT_EQ(log.events.size(), 1u);
  t.SetNrRows(12);
  EXPECT_EQ(t.RowName(12), "R-12");
  EXPECT_EQ(log.resizes[1], std::make_tuple(3, 1, 3, 12));
  EXPECT_EQ(t.NumericData->NrOfRows(), 12);
}

TEST(TDataTableModel, ResizeKeepsSurvivingNamesAndValues) {
  TDataTable t(nullptr);
  t.SetColName(1, "Flux");
  t.SetElem(1, 1, 4.5);
  t.SetCellState(1, 1, 0x20);
  t.SetColAttrib(1, 9);
  EventLog log;
  log.Attach(t);
  t.Resize(4, 2);
  EXPECT_EQ(t.ColName(1), "Flux");
  EXPECT_EQ(t.ColName(2), "C-2");
  EXPECT_EQ(t.ColName(4), "C-4");
  EXPECT_EQ(t.RowName(1), "R-1");
  EXPECT_EQ(t.RowName(2), "R-2");
  EXPECT_EQ(t.Elem(1, 1), 4.5);
  EXPECT_EQ(t.CellState(1, 1), 0x20);
  EXPECT_EQ(t.ColAttrib(1), 9);
  EXPECT_EQ(log.events, std::vector<std::string>{"Resize"});
  EXPECT_EQ(log.resizes[0], std::make_tuple(1, 1, 4, 2));
  t.Resize(4, 2);
  EXPECT_EQ(log.events.size(), 1u);
  // Negative counts are taken as 0.
  t.Resize(-1, -5);
  EXPECT_EQ(t.NrOfColumns(), 0);
  EXPECT_EQ(t.NrOfRows(), 0);
  EXPECT_EQ(t.NumericData->NrOfColumns(), 0);
  t.SetNrRows(-3);
  EXPECT_EQ(t.NrOfRows(), 0);
}

// Columns come and go at the end of the table (the CSV import widens it one column at a time):
// the columns that stay keep everything, and a column that comes back after a shrink starts
// fresh, without the values, states, names or identifiers of the one that was dropped.
TEST(TDataTableModel, ColumnsAddedAndDroppedAtTheEnd) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  for (int c = 1; c <= 2; ++c) {
    t.SetColName(c, "col" + std::to_string(c));
    t.SetColAttrib(c, 10 * c);
    t.AddNominalID(c, "id" + std::to_string(c));
    for (int r = 1; r <= 3; ++r) {
      t.SetElem(c, r, c * 100 + r);
      t.SetCellState(c, r, static_cast<Byte>(0x10 * r));
    }
  }
  for (int n = 3; n <= 40; ++n) t.SetNrCols(n);
  for (int c = 1; c <= 2; ++c) {
    EXPECT_EQ(t.ColName(c), "col" + std::to_string(c));
    EXPECT_EQ(t.ColAttrib(c), 10 * c);
    EXPECT_EQ(t.NominalID(c, 1), "id" + std::to_string(c));
    for (int r = 1; r <= 3; ++r) {
      EXPECT_EQ(t.NumericData->GetVal(c, r), c * 100 + r);
      EXPECT_EQ(t.CellState(c, r), 0x10 * r);
    }
  }
  EXPECT_EQ(t.ColName(40), "C-40");
  t.Resize(1, 3);
  t.Resize(2, 3);
  EXPECT_EQ(t.ColName(1), "col1");
  EXPECT_EQ(t.NumericData->GetVal(1, 3), 103);
  EXPECT_EQ(t.ColName(2), "C-2");
  EXPECT_EQ(t.ColAttrib(2), 0);
  EXPECT_EQ(t.MScaleType(2), stInterval);
  t.SetMScaleType(2, stNominal);
  EXPECT_EQ(t.NominalID(2, 1), "");
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(t.NumericData->GetVal(2, r), 0) << r;
    EXPECT_EQ(t.CellState(2, r), 0) << r;
  }
  EXPECT_EQ(t.NumericData->NrOfColumns(), 2);
}

TEST(TDataTableModel, FailedResizeRaisesAndKeepsTheTable) {
  TDataTable t(nullptr);
  t.SetName("DB_Base");
  t.Resize(2, 2);
  t.SetElem(2, 2, 7);
  try {
    t.Resize(INT_MAX, INT_MAX);
    FAIL() << "no exception";
  } catch (const ESDLDataTableError& e) {
    EXPECT_STREQ(e.what(), "Component \"DB_Base\": not enough memory on heap");
  }
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.NrOfRows(), 2);
  EXPECT_EQ(t.Elem(2, 2), 7);
  // The matrix is still bound to the table.
  int changes = 0;
  t.OnChange = [&](TObject*) { ++changes; };
  t.NumericData->SetVal(1, 1, 3);
  EXPECT_EQ(changes, 1);
}

// Sizes that the memory cannot hold: refused before anything is filled, not by the kernel
// ending the process once the per-column arrays have taken the memory.
TEST(TDataTableModel, SizesBeyondTheObtainableMemoryRaiseBeforeAllocating) {
  const double obtainable = static_cast<double>(ObtainableMemoryBytes());
  const int wideColumns = static_cast<int>(std::min(obtainable / 9 / 1000 + 2, 2.0e9));
  struct Case {
    int Cols, Rows;
  } cases[] = {{3000000, 3000000}, {INT_MAX, 2}, {2, INT_MAX}, {wideColumns, 1000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Cols) + " x " + std::to_string(c.Rows));
    EXPECT_FALSE(TDataTable::SizeFitsInMemory(c.Cols, c.Rows));
    TDataTable t(nullptr);
    t.SetName("DB_Base");
    t.Resize(2, 3);
    t.SetElem(2, 3, 7);
    try {
      t.Resize(c.Cols, c.Rows);
      ADD_FAILURE() << "no exception";
    } catch (const ESDLDataTableError& e) {
      EXPECT_STREQ(e.what(), "Component \"DB_Base\": not enough memory on heap");
    }
    EXPECT_EQ(t.NrOfColumns(), 2);
    EXPECT_EQ(t.NrOfRows(), 3);
    EXPECT_EQ(t.Elem(2, 3), 7);
  }
  EXPECT_TRUE(TDataTable::SizeFitsInMemory(11, 5000));
}

TEST(TDataTableModel, CellAccessAndEvents) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  EventLog log;
  log.Attach(t);
  t.SetElem(2, 1, 1.25);
  EXPECT_EQ(t.NumericData->GetVal(2, 1), 1.25);
  EXPECT_EQ(log.events, (std::vector<std::string>{"Change", "Change"}));
  log.Clear();

  t.SetCellState(2, 1, 0x01);
  t.SetCellState(2, 1, 0x01);
  EXPECT_EQ(log.events, std::vector<std::string>{"CellState"});
  EXPECT_FALSE(t.IsNumber(2, 1));
  log.Clear();

  t.SetIsEmpty(1, 1, true);
  EXPECT_TRUE(t.IsEmpty(1, 1));
  EXPECT_EQ(log.events, (std::vector<std::string>{"CellState", "Change"}));
  log.Clear();
  t.SetIsEmpty(1, 1, true);  // already empty: OnChange all the same
  EXPECT_EQ(log.events, std::vector<std::string>{"Change"});
  t.SetIsImputed(1, 1, true);
  EXPECT_EQ(t.CellState(1, 1), 0x22);
  EXPECT_TRUE(t.IsImputed(1, 1));
  t.SetIsEmpty(1, 1, false);
  EXPECT_EQ(t.CellState(1, 1), 0x20);
  EXPECT_TRUE(t.IsNumber(1, 1));
}

TEST(TDataTableModel, OutsideTheTableNothingHappens) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  EventLog log;
  log.Attach(t);
  const std::vector<std::pair<int, int>> outside = {{0, 1}, {3, 1}, {1, 0}, {1, 4}, {-2, 9}};
  for (auto [c, r] : outside) {
    t.SetElem(c, r, 5);
    t.SetCellState(c, r, 0x80);
    t.SetIsEmpty(c, r, true);
    t.SetElemNominal(c, r, "x");
    EXPECT_EQ(t.Elem(c, r), 0.0);
    EXPECT_EQ(t.CellState(c, r), 0);
    EXPECT_TRUE(t.IsNumber(c, r));  // the state reads 0 there
    EXPECT_FALSE(t.IsEmpty(c, r));
    EXPECT_EQ(t.GetElemNominal(c, r), "");
  }
  for (int i : {0, 4, -1}) {  // outside both the 2 columns and the 3 rows
    t.SetColName(i, "n");
    t.SetRowName(i, "n");
    t.SetRowAttrib(i, 1);
    t.SetColAttrib(i, 1);
    t.SetMScaleType(i, stRatio);
    t.ClearNominalIDs(i);
    EXPECT_EQ(t.ColName(i), "");
    EXPECT_EQ(t.ColAttrib(i), 0);
    EXPECT_EQ(t.MScaleType(i), stUnknown);
    EXPECT_EQ(t.AddNominalID(i, "x"), 0);
    EXPECT_FALSE(t.IfColHasCellState(i, 0xFF));
    EXPECT_EQ(t.CountMarkedCellsInColumn(i, 0xFF), 0);
  }
  EXPECT_EQ(t.RowName(4), "");
  EXPECT_EQ(t.RowAttrib(4), 0);
  EXPECT_TRUE(log.events.empty());
}

TEST(TDataTableModel, NominalColumnsReadRoundedValues) {
  TDataTable t(nullptr);
  t.Resize(1, 4);
  t.SetMScaleType(1, stNominal);
  t.SetElem(1, 1, 2.5);
  t.SetElem(1, 2, 3.5);
  EXPECT_EQ(t.Elem(1, 1), 2.0);
  EXPECT_EQ(t.Elem(1, 2), 4.0);
  EXPECT_EQ(t.NumericData->GetVal(1, 1), 2.5);
  EXPECT_EQ(t.NumericData->GetVal(1, 2), 3.5);
  t.SetMScaleType(1, stRatio);
  EXPECT_EQ(t.Elem(1, 1), 2.5);
}

TEST(TDataTableModel, ElementAsNominalText) {
  TDataTable t(nullptr);
  t.Resize(1, 4);
  EXPECT_EQ(t.AddNominalID(1, "low"), 1);
  EXPECT_EQ(t.AddNominalID(1, "high"), 2);
  struct Case {
    double value;
    String text;
  };
  const Case cases[] = {{0, "0"},    {151, "151"}, {3, ""},
                        {2, "high"}, {1.4, "low"}, {-12345678901.0, "-123456789"}};
  for (const auto& k : cases) {
    t.SetElem(1, 1, k.value);
    EXPECT_EQ(t.GetElemNominal(1, 1), k.text) << k.value;
    EXPECT_EQ(t.ElemNominal(1, 1), k.text) << k.value;
  }
  t.SetMScaleType(1, stInterval);
  EXPECT_EQ(t.GetElemNominal(1, 1), "");
}

TEST(TDataTableModel, AddNominalIDFoldsCaseAndCutsToTen) {
  TDataTable t(nullptr);
  EventLog log;
  log.Attach(t);
  EXPECT_EQ(t.AddNominalID(1, "Abc"), 1);
  EXPECT_EQ(t.MScaleType(1), stNominal);
  EXPECT_EQ(log.events, std::vector<std::string>{"Setup"});
  EXPECT_EQ(t.AddNominalID(1, "ABC"), 1);
  EXPECT_EQ(t.NominalID(1, 1), "Abc");
  EXPECT_EQ(log.events.size(), 1u);
  EXPECT_EQ(t.AddNominalID(1, "ABCDEFGHIJK"), 2);
  EXPECT_EQ(t.NominalID(1, 2), "ABCDEFGHIJ");
  EXPECT_EQ(t.AddNominalID(1, "abcdefghijXYZ"), 2);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "abc", false), 0);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "abc", true), 1);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "Abc", false), 1);
  EXPECT_EQ(t.OrdinalOfNominalID(1, "", true), 0);

  // An empty identifier names the first free slot and leaves it free.
  TDataTable u(nullptr);
  EXPECT_EQ(u.AddNominalID(1, ""), 1);
  EXPECT_EQ(u.MScaleType(1), stNominal);
  EXPECT_EQ(u.NominalID(1, 1), "");
  EXPECT_EQ(u.AddNominalID(1, "x"), 1);

  // An ordinal column becomes nominal when it gets a new identifier.
  TDataTable o(nullptr);
  o.SetMScaleType(1, stOrdinal);
  EXPECT_EQ(o.AddNominalID(1, "first"), 1);
  EXPECT_EQ(o.MScaleType(1), stNominal);
}

TEST(TDataTableModel, FullColumnTakesNoMoreIdentifiers) {
  TDataTable t(nullptr);
  t.SetName("DB_Base");
  for (int k = 1; k <= 150; ++k) ASSERT_EQ(t.AddNominalID(1, "N" + std::to_string(k)), k);
  const String before = t.CRCofNamesAndAttributes();
  EventLog log;
  log.Attach(t);
  EXPECT_EQ(t.AddNominalID(1, "J0002+6216"), 0);
  EXPECT_EQ(t.AddNominalID(1, "n77"), 77);  // known ones are still found
  EXPECT_EQ(t.CRCofNamesAndAttributes(), before);
  EXPECT_TRUE(log.events.empty());

  t.SetElem(1, 1, 5);
  try {
    t.SetElemNominal(1, 1, "new");
    FAIL() << "no exception";
  } catch (const ESDLDataTableError& e) {
    EXPECT_STREQ(e.what(), "Component \"DB_Base\": number of available nominal values exceeded");
  }
  EXPECT_EQ(t.NumericData->GetVal(1, 1), 5);
  t.SetElemNominal(1, 1, "N9");
  EXPECT_EQ(t.NumericData->GetVal(1, 1), 9);
}

TEST(TDataTableModel, SetElemNominalStoresTheOrdinal) {
  TDataTable t(nullptr);
  t.Resize(1, 3);
  t.SetMScaleType(1, stNominal);
  int changes = 0;
  t.OnChange = [&](TObject*) { ++changes; };
  t.SetElemNominal(1, 1, "red");
  t.SetElemNominal(1, 2, "green");
  t.SetElemNominal(1, 3, "RED");
  EXPECT_EQ(t.NumericData->GetVal(1, 1), 1);
  EXPECT_EQ(t.NumericData->GetVal(1, 2), 2);
  EXPECT_EQ(t.NumericData->GetVal(1, 3), 1);
  EXPECT_EQ(t.GetElemNominal(1, 3), "red");
  EXPECT_EQ(changes, 3);
}

TEST(TDataTableModel, SetNominalIDRules) {
  TDataTable t(nullptr);
  EventLog log;
  log.Attach(t);
  t.SetNominalID(1, 5, "x");  // interval column: nothing stored, the event all the same
  EXPECT_EQ(log.events, std::vector<std::string>{"Setup"});
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.NominalID(1, 5), "");
  t.SetNominalID(1, 5, "x");
  EXPECT_EQ(t.NominalID(1, 5), "x");
  t.SetMScaleType(1, stRatio);
  t.SetNominalID(1, 5, "");  // emptying works whatever the type
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.NominalID(1, 5), "");
  log.Clear();
  t.SetNominalID(1, 0, "y");
  t.SetNominalID(1, 151, "y");
  EXPECT_TRUE(log.events.empty());
  t.SetNominalID(1, 150, "0123456789AB");
  EXPECT_EQ(t.NominalID(1, 150), "0123456789");
  t.ClearNominalIDs(1);
  EXPECT_EQ(t.NominalID(1, 150), "");
  EXPECT_EQ(t.MScaleType(1), stNominal);
}

TEST(TDataTableModel, NamesAreCutToFiftyAndFoundIgnoringBlanksAndCase) {
  TDataTable t(nullptr);
  t.Resize(3, 2);
  EventLog log;
  log.Attach(t);
  t.SetColName(1, Repeat("abcde", 11));
  EXPECT_EQ(t.ColName(1), Repeat("abcde", 10));
  EXPECT_EQ(log.events, std::vector<std::string>{"Names"});
  // A cut never splits a multi-byte character.
  t.SetRowName(1, Repeat("x", 49) + "\xC3\xA9z");
  EXPECT_EQ(t.RowName(1), Repeat("x", 49));
  EXPECT_EQ(t.MaxColNameLength(), 50);
  EXPECT_EQ(t.MaxRowNameLength(), 49);
  EXPECT_EQ(t.FindColIndex(" c-2 "), 2);
  EXPECT_EQ(t.FindColIndex("X"), 0);
  EXPECT_EQ(t.FindRowIndex("r-2"), 2);
  TDataTable empty(nullptr);
  empty.Resize(0, 0);
  EXPECT_EQ(empty.MaxColNameLength(), 0);
  EXPECT_EQ(empty.MaxRowNameLength(), 0);
}

TEST(TDataTableModel, AttributesWithMasks) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  t.SetColAttrib(1, 0xF0);
  t.SetColAttrib(2, 0x13);
  EventLog log;
  log.Attach(t);
  t.SetColAttributes(5, 0x0F);
  EXPECT_EQ(t.ColAttrib(1), 0xF5);
  EXPECT_EQ(t.ColAttrib(2), 0x15);
  t.SetRowAttributes(-1);
  EXPECT_EQ(t.RowAttrib(3), -1);
  t.SetRowAttributes(0, 0x80000000u);
  EXPECT_EQ(t.RowAttrib(2), 0x7FFFFFFF);
  EXPECT_EQ(log.Count("Attrib"), 3);
}

TEST(TDataTableModel, ScaleLevels) {
  TDataTable t(nullptr);
  t.Resize(4, 1);
  for (int c = 1; c <= 4; ++c) t.SetMScaleType(c, stUnknown);
  EXPECT_EQ(t.FindHighestMLevel(0, 0), stNominal);
  EXPECT_EQ(t.FindLowestMLevel(0, 0), stUnknown);
  t.SetMScaleType(2, stRatio);
  t.SetMScaleType(3, stOrdinal);
  t.SetMScaleType(4, stNominal);
  EXPECT_EQ(t.FindHighestMLevel(0, 0), stRatio);
  EXPECT_EQ(t.FindHighestMLevel(4, 3), stOrdinal);
  EXPECT_EQ(t.FindLowestMLevel(2, 3), stOrdinal);
  EXPECT_EQ(t.ListOfCategorialVars(), (TIntArray{3, 4}));
  EXPECT_STREQ(MScaleTypeNames[stOrdinal], "Ordinal");
}

TEST(TDataTableModel, BulkCellStates) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetCellState(1, 1, 0x41);
  t.SetCellState(2, 1, 0xC0);
  t.SetCellState(1, 2, 0xE2);
  EventLog log;
  log.Attach(t);
  t.ExchangeMarkings();
  EXPECT_EQ(t.CellState(1, 1), 0x81);
  EXPECT_EQ(t.CellState(2, 1), 0xC0);
  EXPECT_EQ(t.CellState(1, 2), 0xE2);  // both markings set: nothing to exchange
  t.UnmarkAllCells();
  EXPECT_EQ(t.CellState(1, 2), 0x22);
  EXPECT_EQ(t.CellState(2, 1), 0x00);
  EXPECT_TRUE(t.IfRowHasCellState(2, 0x20));
  EXPECT_FALSE(t.IfRowHasCellState(1, 0x20));
  EXPECT_TRUE(t.IfColHasCellState(1, 0x01));
  EXPECT_EQ(t.CountMarkedCellsInRow(1, 0x01), 1);
  EXPECT_EQ(t.CountMarkedCellsInColumn(1, 0x23), 2);
  t.InvertCellStates(0x03);
  EXPECT_EQ(t.CellState(1, 1), 0x02);
  EXPECT_EQ(t.CellState(2, 2), 0x03);
  EXPECT_EQ(log.Count("CellState"), 3);
  log.Clear();
  // States now: (1, 1) 02, (2, 1) 03, (1, 2) 21, (2, 2) 03.
  EXPECT_EQ(t.FillMarkedCells(9.5, 0x01), 3);
  EXPECT_EQ(t.Elem(2, 1), 9.5);
  EXPECT_EQ(t.Elem(1, 2), 9.5);
  EXPECT_EQ(t.Elem(1, 1), 0.0);
  EXPECT_EQ(log.events, std::vector<std::string>{"Change"});
  EXPECT_EQ(t.FillMarkedCells(1, 0x80), 0);
  EXPECT_EQ(log.events.size(), 1u);
  t.SetAllCellStates(0x10);
  EXPECT_EQ(t.CellState(2, 2), 0x10);
}

TEST(TDataTableModel, ClearResetsContentAndKeepsSize) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetColName(1, "a");
  t.SetRowName(2, "b");
  t.SetElem(2, 2, 4);
  t.SetCellState(1, 1, 0x02);
  t.SetRowAttrib(1, 3);
  t.AddNominalID(2, "x");
  t.SetFComment("note");
  EventLog log;
  log.Attach(t);
  t.Clear();
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.ColName(1), "C-1");
  EXPECT_EQ(t.RowName(2), "R-2");
  EXPECT_EQ(t.Elem(2, 2), 0.0);
  EXPECT_EQ(t.CellState(1, 1), 0);
  EXPECT_EQ(t.RowAttrib(1), 0);
  EXPECT_EQ(t.MScaleType(2), stInterval);
  t.SetMScaleType(2, stNominal);
  EXPECT_EQ(t.NominalID(2, 1), "");
  EXPECT_EQ(t.Comment(), "");
  EXPECT_EQ(log.events,
            (std::vector<std::string>{"Change", "Names", "Attrib", "CellState", "Setup", "Setup"}));
}

TEST(TDataTableModel, CommentLosesControlCharacters) {
  TDataTable t(nullptr);
  EventLog log;
  log.Attach(t);
  t.SetFComment("line 1\r\nline\t2");
  EXPECT_EQ(t.Comment(), "line 1line2");
  EXPECT_EQ(log.events, std::vector<std::string>{"Setup"});
}

TEST(TDataTableModel, Fingerprints) {
  TDataTable t(nullptr);
  EXPECT_EQ(t.CRCofNamesAndAttributes(),
            "000000002F407EE0242C1465D65A157700000000000000000000000000000000");
  t.Resize(2, 1);
  t.SetFComment("Flux");
  t.SetColName(1, "Freq");
  t.SetColName(2, "S");
  t.SetColAttrib(1, 0x105);  // only the low byte counts
  t.SetColAttrib(2, 7);
  t.SetRowAttrib(1, -1);
  t.AddNominalID(2, "a");
  t.AddNominalID(2, "bc");
  EXPECT_EQ(t.CRCofNamesAndAttributes(),
            "00000000A749B9412D043184E42FEC71813DA0AB000000000000000000000000");

  TDataTable s8(nullptr), s9(nullptr);
  s8.Resize(1, 8);
  s9.Resize(1, 9);
  EXPECT_EQ(s8.CRCofCellStates(), Repeat("D202EF8D", 8));
  EXPECT_EQ(s9.CRCofCellStates(), "D202EF8D41D912FF" + Repeat("D202EF8D", 6));
}

TEST(TDataTableModel, OwnMatrixChangesReachTheTable) {
  TDataTable t(nullptr);
  t.Resize(3, 4);
  EventLog log;
  log.Attach(t);
  t.NumericData->SetVal(1, 1, 2);
  t.NumericData->Fill(1);
  EXPECT_EQ(log.Count("Change"), 2);
}

TEST(TDataTableModel, CellStatesFollowASortOfTheValues) {
  TDataTable t(nullptr);
  t.Resize(2, 3);
  const double key[] = {3, 1, 2};
  for (int r = 1; r <= 3; ++r) {
    t.SetElem(1, r, key[r - 1]);
    t.SetCellState(2, r, static_cast<Byte>(0x10 * r));
    t.SetRowName(r, "row" + std::to_string(r));
  }
  std::vector<int> seen;
  t.OnSortExchange = [&](TObject* s, Byte w, Integer, Integer, Integer, Integer) {
    EXPECT_EQ(s, &t);
    seen.push_back(w);
  };
  t.NumericData->SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(t.Elem(1, 1), 1);
  EXPECT_EQ(t.CellState(2, 1), 0x20);
  EXPECT_EQ(t.CellState(2, 2), 0x30);
  EXPECT_EQ(t.CellState(2, 3), 0x10);
  EXPECT_EQ(t.RowName(1), "row1");  // names stay unless a table sort asks for them
  EXPECT_FALSE(seen.empty());
}

TEST(TDataTableModel, ExternalMatrixIsUsedButNeverReleased) {
  auto ext = std::make_unique<TMatrix>(nullptr);
  ext->Resize(3, 2);
  ext->SetVal(3, 2, 6.5);
  auto t = std::make_unique<TDataTable>(nullptr);
  t->SetMScaleType(1, stNominal);
  t->SetColName(1, "kept");
  EventLog log;
  log.Attach(*t);
  t->AssignAnotherDataMatrix(ext.get());
  EXPECT_EQ(t->NumericData, ext.get());
  EXPECT_EQ(t->NrOfColumns(), 3);
  EXPECT_EQ(t->NrOfRows(), 2);
  EXPECT_EQ(t->Elem(3, 2), 6.5);
  EXPECT_EQ(t->ColName(1), "kept");
  EXPECT_EQ(t->MScaleType(1), stInterval);
  EXPECT_EQ(t->ColName(3), "C-3");
  EXPECT_EQ(log.events, (std::vector<std::string>{"Resize", "Resize", "Change", "Setup", "Names",
                                                  "Attrib", "CellState"}));
  EXPECT_EQ(log.resizes.back(), std::make_tuple(1, 1, 3, 2));
  log.Clear();
  ext->SetVal(1, 1, 1);
  EXPECT_EQ(log.Count("Change"), 1);

  // A second external matrix replaces the first, which then no longer reports to the table
  // and keeps its size and values.
  auto ext2 = std::make_unique<TMatrix>(nullptr);
  ext2->Resize(1, 5);
  t->AssignAnotherDataMatrix(ext2.get());
  EXPECT_EQ(ext->NrOfColumns(), 3);
  EXPECT_EQ(ext->GetVal(3, 2), 6.5);
  log.Clear();
  ext->SetVal(1, 1, 2);
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(t->NrOfRows(), 5);

  t.reset();
  // Still ours to use, and silent.
  ext2->SetVal(1, 5, 3);
  EXPECT_EQ(ext2->GetVal(1, 5), 3);
}

TEST(TDataTableModel, AssignIsTheToolkitDefault) {
  TDataTable a(nullptr), b(nullptr);
  try {
    a.Assign(&b);
    FAIL() << "no exception";
  } catch (const EAssignError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TDataTable to a TDataTable");
  }
}

// ---- window descriptions -----------------------------------------------------------------

namespace {
TPropValue IntProp(Int64 v) {
  TPropValue p;
  p.kind = TPropValue::Kind::Integer;
  p.i = v;
  return p;
}
}  // namespace

TEST(TDataTableDescription, RegisteredClassesTakeTheirSizesFromTheDescription) {
  RegisterNumericsClasses();
  TComponent form(nullptr);

  const TComponentFactory* tableFactory = FindComponentClass("TDataTable");
  ASSERT_NE(tableFactory, nullptr);
  auto* table = dynamic_cast<TDataTable*>((*tableFactory)(&form));
  ASSERT_NE(table, nullptr);
  EventLog log;
  log.Attach(*table);
  EXPECT_TRUE(table->SetDescribedProperty("NrOfColumns", IntProp(11)));
  EXPECT_TRUE(table->SetDescribedProperty("NrOfRows", IntProp(5000)));
  EXPECT_FALSE(table->SetDescribedProperty("Elem", IntProp(1)));
  EXPECT_EQ(table->NrOfColumns(), 11);
  EXPECT_EQ(table->NrOfRows(), 5000);
  EXPECT_EQ(table->NumericData->NrOfColumns(), 11);
  EXPECT_EQ(table->NumericData->NrOfRows(), 5000);
  EXPECT_EQ(table->RowName(5000), "R-5000");
  EXPECT_EQ(log.resizes,
            (std::vector<std::tuple<int, int, int, int>>{{1, 1, 11, 1}, {11, 1, 11, 5000}}));
  EXPECT_EQ(log.Count("Change"), 0);

  const TComponentFactory* matFactory = FindComponentClass("TMatrix");
  ASSERT_NE(matFactory, nullptr);
  auto* mat = dynamic_cast<TMatrix*>((*matFactory)(&form));
  ASSERT_NE(mat, nullptr);
  EXPECT_TRUE(mat->SetDescribedProperty("NrOfColumns", IntProp(11)));
  EXPECT_TRUE(mat->SetDescribedProperty("NrOfRows", IntProp(5000)));
  EXPECT_EQ(mat->NrOfColumns(), 11);
  EXPECT_EQ(mat->NrOfRows(), 5000);
  EXPECT_EQ(form.ComponentCount(), 2);
}

namespace {
// A window that offers one handler by name, as the description loader asks for it.
class TTestForm : public TComponent {
public:
  using TComponent::TComponent;
  int calls = 0;
  TNotifyEvent FindNotifyHandler(const String& HandlerName) override {
    if (HandlerName == "DB_BaseChange") return [this](TObject*) { ++calls; };
    return nullptr;
  }
};
}  // namespace

TEST(TDataTableDescription, NotifyEventsBindToTheWindowsHandlers) {
  TTestForm form(nullptr);
  auto* table = new TDataTable(&form);
  EXPECT_TRUE(table->SetDescribedEvent("OnChangeNames", "DB_BaseChange", &form));
  EXPECT_FALSE(table->SetDescribedEvent("OnWhatever", "DB_BaseChange", &form));
  table->SetColName(1, "x");
  EXPECT_EQ(form.calls, 1);
  auto* mat = new TMatrix(&form);
  EXPECT_TRUE(mat->SetDescribedEvent("OnChange", "DB_BaseChange", &form));
  mat->SetVal(1, 1, 1);
  EXPECT_EQ(form.calls, 2);
}

// The main window's description gives its catalogue table and band matrices their sizes
// before the window's own code runs.
TEST(TDataTableDescription, LoadedFromAWindowDescription) {
  RegisterNumericsClasses();
  TComponent form(nullptr);
  LoadDescriptionInto(&form,
                      "object Form1: TComponent\n"
                      "  object DB_Base: TDataTable\n"
                      "    NrOfColumns = 11\n"
                      "    NrOfRows = 5000\n"
                      "  end\n"
                      "  object Matrix_DB_400Mhz: TMatrix\n"
                      "    NrOfColumns = 11\n"
                      "    NrOfRows = 5000\n"
                      "  end\n"
                      "end\n",
                      "Unit1.form");
  auto* table = dynamic_cast<TDataTable*>(form.FindComponent("DB_Base"));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->NrOfColumns(), 11);
  EXPECT_EQ(table->NrOfRows(), 5000);
  EXPECT_EQ(table->NumericData->NrOfRows(), 5000);
  EXPECT_EQ(table->ColName(11), "C-11");
  auto* band = dynamic_cast<TMatrix*>(form.FindComponent("Matrix_DB_400Mhz"));
  ASSERT_NE(band, nullptr);
  EXPECT_EQ(band->NrOfColumns(), 11);
  EXPECT_EQ(band->NrOfRows(), 5000);
}
