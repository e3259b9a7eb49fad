#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "DOV_datatable.h"
#include "DOV_math1.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "TextFile.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

// ---- memory held ---------------------------------------------------------------------------
// Every allocation through operator new is counted: the bytes held now and the most held at
// once since a test set the mark.

namespace {

std::atomic<std::size_t> gHeld{0};
std::atomic<std::size_t> gPeak{0};

void* Counted(void* p) {
  if (p == nullptr) throw std::bad_alloc();
  const std::size_t held = gHeld += malloc_usable_size(p);
  for (std::size_t peak = gPeak; held > peak && !gPeak.compare_exchange_weak(peak, held);) {}
  return p;
}

void Uncounted(void* p) {
  if (p == nullptr) return;
  gHeld -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t n) { return Counted(std::malloc(n == 0 ? 1 : n)); }
void* operator new[](std::size_t n) { return Counted(std::malloc(n == 0 ? 1 : n)); }
void operator delete(void* p) noexcept { Uncounted(p); }
void operator delete[](void* p) noexcept { Uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { Uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { Uncounted(p); }

namespace {

struct Imported {
  Integer result;
};

Integer Import(TDataTable& t, const TempDir& dir, const std::string& bytes,
               TCSVDelimiters d = csvUnknown, bool colHeaders = true, bool rowHeaders = false) {
  const fs::path p = dir.write("in.csv", bytes);
  return t.ImportFromCSV(p.string(), d, colHeaders, rowHeaders);
}

String Repeat(const String& s, int n) {
  String r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

std::vector<std::string> SplitFields(const std::string& line, char d) {
  std::vector<std::string> out;
  std::string cur;
  for (char ch : line) {
    if (ch == d) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += ch;
    }
  }
  out.push_back(cur);
  return out;
}

}  // namespace

// ---- import ------------------------------------------------------------------------------

TEST(TDataTableCSVImport, ShortLineLeavesZeroNumbers) {
  TempDir dir;
  TDataTable t(nullptr);
  EXPECT_EQ(Import(t, dir, "a;b;c\n1;2;3\n4;5\n"), 0);
  ASSERT_EQ(t.NrOfColumns(), 3);
  ASSERT_EQ(t.NrOfRows(), 2);
  EXPECT_EQ(t.ColName(1), "a");
  EXPECT_EQ(t.ColName(2), "b");
  EXPECT_EQ(t.ColName(3), "c");
  const double want[2][3] = {{1, 2, 3}, {4, 5, 0}};
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 3; ++c) {
      EXPECT_EQ(t.Elem(c, r), want[r - 1][c - 1]) << c << "," << r;
      EXPECT_TRUE(t.IsNumber(c, r)) << c << "," << r;
    }
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(t.MScaleType(c), stInterval);
}

TEST(TDataTableCSVImport, TrailingDelimiterGivesAnEmptyLastColumn) {
  TempDir dir;
  TDataTable t(nullptr);
  String header, row;
  for (int k = 1; k <= 11; ++k) {
    header += "h" + std::to_string(k) + ";";
    row += std::to_string(k) + ";";
  }
  EXPECT_EQ(Import(t, dir, header + "\n" + row + "\n" + row + "\n", csvSemicolon), 0);
  ASSERT_EQ(t.NrOfColumns(), 12);
  ASSERT_EQ(t.NrOfRows(), 2);
  EXPECT_EQ(t.ColName(11), "h11");
  EXPECT_EQ(t.ColName(12), "");
  for (int r = 1; r <= 2; ++r) {
    EXPECT_EQ(t.CellState(12, r), 0x02);
    EXPECT_TRUE(t.IsEmpty(12, r));
    EXPECT_EQ(t.Elem(11, r), 11);
  }
}

TEST(TDataTableCSVImport, HeaderLineWithoutDelimiterNamesColumnOne) {
  TempDir dir;
  TDataTable t(nullptr);
  const String title = Repeat("Catalogue Version: 1.66 ", 3);  // 72 characters
  Import(t, dir, title + "\n1;2\n", csvSemicolon);
  EXPECT_EQ(t.ColName(1), title.substr(0, 50));
  EXPECT_EQ(t.ColName(2), "C-2");
  EXPECT_EQ(t.NrOfRows(), 1);
}

TEST(TDataTableCSVImport, DelimiterDetection) {
  struct Case {
    const char* name;
    std::string bytes;
    int columns;
  };
  const Case cases[] = {
      {"ties go to the semicolon", "a,b;c\n1;2,3\n", 2},
      {"commas win by count", "a,b,c;d\n1,2,3;4\n", 3},
      {"tabs", "a\tb\tc\n1\t2\t3\n", 3},
      {"colons", "a:b\n1:2\n", 2},
      {"no delimiter at all", "alpha beta\ngamma\n", 1},
  };
  for (const auto& k : cases) {
    TempDir dir;
    TDataTable t(nullptr);
    Import(t, dir, k.bytes, csvUnknown, false, false);
    EXPECT_EQ(t.NrOfColumns(), k.columns) << k.name;
    EXPECT_EQ(t.NrOfRows(), 2) << k.name;
  }
  TempDir dir;
  TDataTable t(nullptr);
  Import(t, dir, "alpha beta\ngamma\n", csvUnknown, false, false);
  EXPECT_EQ(t.GetElemNominal(1, 1), "alpha beta");
  EXPECT_EQ(t.GetElemNominal(1, 2), "gamma");
}

TEST(TDataTableCSVImport, QuotedFields) {
  struct Case {
    const char* name;
    std::string line;
    std::vector<std::string> fields;  // as nominal texts of row 1
  };
  const Case cases[] = {
      {"delimiter inside quotes", "\"a;b\";x", {"a;b", "x"}},
      {"doubled quote", "\"say \"\"hi\"\"\";x", {"say \"hi\"", "x"}},
      {"quote then other text", "\"ab\"cd;x", {"ab", "cd", "x"}},
      {"no closing quote", "\"ab;cd;x", {"ab;cd;x;"}},
      {"empty quoted", "\"\";x", {"", "x"}},
  };
  for (const auto& k : cases) {
    TempDir dir;
    TDataTable t(nullptr);
    Import(t, dir, k.line + "\n", csvSemicolon, false, false);
    ASSERT_EQ(t.NrOfColumns(), static_cast<int>(k.fields.size())) << k.name;
    for (int c = 1; c <= t.NrOfColumns(); ++c) {
      const std::string& want = k.fields[static_cast<size_t>(c - 1)];
      if (want.empty()) {
        EXPECT_TRUE(t.IsEmpty(c, 1)) << k.name;
      } else {
        // Identifiers are cut to 10 characters; compare what fits.
        EXPECT_EQ(t.GetElemNominal(c, 1), want.substr(0, 10)) << k.name << " field " << c;
      }
    }
  }
  // Quoted names are not cut to ten.
  TempDir dir;
  TDataTable t(nullptr);
  Import(t, dir, "\"Flux; 400 MHz\";b\n1;2\n", csvSemicolon);
  EXPECT_EQ(t.ColName(1), "Flux; 400 MHz");
  EXPECT_EQ(t.Elem(1, 1), 1);
}

TEST(TDataTableCSVImport, TextFieldsBecomeIdentifiersOfTheirColumn) {
  TempDir dir;
  TDataTable t(nullptr);
  EXPECT_EQ(Import(t, dir, "x;y\n  ;1.5\nN/A;2\n  ;n/a\nN/A;3\n", csvSemicolon), 0);
  EXPECT_EQ(t.MScaleType(1), stNominal);
  EXPECT_EQ(t.NominalID(1, 1), "  ");
  EXPECT_EQ(t.NominalID(1, 2), "N/A");
  EXPECT_EQ(t.NumericData->GetVal(1, 1), 1);
  EXPECT_EQ(t.NumericData->GetVal(1, 2), 2);
  EXPECT_EQ(t.NumericData->GetVal(1, 3), 1);
  EXPECT_EQ(t.NumericData->GetVal(1, 4), 2);
  // Column 2 turned nominal by one text; its numbers stay numbers, unrounded underneath.
  EXPECT_EQ(t.MScaleType(2), stNominal);
  EXPECT_EQ(t.NumericData->GetVal(2, 1), 1.5);
  EXPECT_EQ(t.Elem(2, 1), 2.0);
  EXPECT_EQ(t.NumericData->GetVal(2, 3), 1);  // "n/a" is ordinal 1 of column 2
  EXPECT_EQ(t.NumericData->GetVal(2, 4), 3);
}

TEST(TDataTableCSVImport, NumbersAcceptDotOrCommaAndExponents) {
  TempDir dir;
  TDataTable t(nullptr);
  Import(t, dir, "-12.5e3;3.06e+05;.5;7.;  42\n", csvSemicolon, false, false);
  const double want[] = {-12500, 306000, 0.5, 7, 42};
  for (int c = 1; c <= 5; ++c) EXPECT_EQ(t.NumericData->GetVal(c, 1), want[c - 1]) << c;
  for (int c = 1; c <= 5; ++c) EXPECT_EQ(t.MScaleType(c), stInterval) << c;
}

TEST(TDataTableCSVImport, RowHeaders) {
  TempDir dir;
  TDataTable t(nullptr);
  Import(t, dir, "corner;a;b\nfirst;1;2\nsecond;3;4\n", csvSemicolon, true, true);
  ASSERT_EQ(t.NrOfColumns(), 2);
  ASSERT_EQ(t.NrOfRows(), 2);
  EXPECT_EQ(t.ColName(1), "a");
  EXPECT_EQ(t.ColName(2), "b");
  EXPECT_EQ(t.RowName(1), "first");
  EXPECT_EQ(t.RowName(2), "second");
  EXPECT_EQ(t.Elem(2, 2), 4);
}

TEST(TDataTableCSVImport, ByteOrderMarkDoesNotReachTheFirstName) {
  const std::string plain = "Name;Flux\nx;1.25\ny;2\n";
  TempDir dir;
  TDataTable a(nullptr), b(nullptr);
  Import(a, dir, plain, csvUnknown);
  Import(b, dir, "\xEF\xBB\xBF" + plain, csvUnknown);
  EXPECT_EQ(b.ColName(1), "Name");
  EXPECT_EQ(a.CRCofNamesAndAttributes(), b.CRCofNamesAndAttributes());
  EXPECT_EQ(a.NumericData->CRCofData(), b.NumericData->CRCofData());
  EXPECT_EQ(a.CRCofCellStates(), b.CRCofCellStates());
}

// A catalogue saved with CR LF line ends, or with a lone CR inside a line, reads as the LF one.
TEST(TDataTableCSVImport, LineEndsDoNotReachTheFields) {
  TempDir dir;
  TDataTable a(nullptr), b(nullptr);
  Import(a, dir, "Name;Flux;\nx;1.25;\ny;2;\n", csvSemicolon);
  Import(b, dir, "Name;Flux;\r\nx;1.25;\r\ny;2\r;\r\n", csvSemicolon);
  ASSERT_EQ(b.NrOfRows(), 2);
  ASSERT_EQ(b.NrOfColumns(), 3);
  EXPECT_EQ(a.CRCofNamesAndAttributes(), b.CRCofNamesAndAttributes());
  EXPECT_EQ(a.NumericData->CRCofData(), b.NumericData->CRCofData());
  EXPECT_EQ(a.CRCofCellStates(), b.CRCofCellStates());
  EXPECT_TRUE(b.IsEmpty(3, 2));
}

TEST(TDataTableCSVImport, TwoByteFilesKeepTheLowBytes) {
  for (bool littleEndian : {true, false}) {
    std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char ch : std::string("a;b\n1;\xE9\n")) {
      if (!littleEndian) bytes += '\0';
      bytes += ch;
      if (littleEndian) bytes += '\0';
    }
    TempDir dir;
    TDataTable t(nullptr);
    Import(t, dir, bytes, csvUnknown);
    ASSERT_EQ(t.NrOfColumns(), 2) << littleEndian;
    ASSERT_EQ(t.NrOfRows(), 1) << littleEndian;
    EXPECT_EQ(t.ColName(1), "a");
    EXPECT_EQ(t.ColName(2), "b");
    EXPECT_EQ(t.Elem(1, 1), 1);
    EXPECT_EQ(t.GetElemNominal(2, 1), "\xC3\xA9");  // the Latin-1 character, as UTF-8
  }
}

TEST(TDataTableCSVImport, ProgressEveryStepLines) {
  std::string bytes;
  for (int i = 1; i <= 250; ++i) bytes += std::to_string(i) + "\n";
  TempDir dir;
  TDataTable t(nullptr);
  std::vector<int> percents;
  t.OnPercentDone = [&](TObject* s, Integer p) {
    EXPECT_EQ(s, &t);
    percents.push_back(p);
  };
  Import(t, dir, bytes, csvSemicolon, false, false);
  ASSERT_EQ(percents.size(), 125u);
  for (size_t i = 0; i < percents.size(); ++i) {
    const int l = static_cast<int>(2 * (i + 1));
    EXPECT_EQ(percents[i], static_cast<int>(std::nearbyint(100.0 * l / 250))) << l;
  }
  EXPECT_EQ(t.NrOfRows(), 250);
  EXPECT_EQ(t.Elem(1, 250), 250);
}

TEST(TDataTableCSVImport, EventsDuringAndAfterTheImport) {
  TempDir dir;
  TDataTable t(nullptr);
  std::vector<std::string> log;
  t.OnChange = [&](TObject*) { log.push_back("Change"); };
  t.OnChangeSetup = [&](TObject*) { log.push_back("Setup"); };
  t.OnChangeNames = [&](TObject*) { log.push_back("Names"); };
  t.OnChangeCellState = [&](TObject*) { log.push_back("CellState"); };
  t.OnChangeAttrib = [&](TObject*) { log.push_back("Attrib"); };
  t.OnResize = [&](TObject*, Integer, Integer, Integer, Integer) { log.push_back("Resize"); };
  Import(t, dir, "a;b\n1;\nx;2\n", csvSemicolon);
  const std::vector<std::string> want = {"Names",               // a
                                         "Resize",    "Names",  // column 2, b
                                         "Resize",              // room for 1000 more rows
                                         "CellState",           // the empty field
                                         "Resize",              // trimmed to 2 rows
                                         "Change",    "CellState", "Attrib", "Names", "Setup"};
  EXPECT_EQ(log, want);
  // The held-back handlers are back.
  log.clear();
  t.SetElem(1, 1, 3);
  t.SetMScaleType(1, stRatio);
  EXPECT_EQ(log, (std::vector<std::string>{"Change", "Change", "Setup"}));
}

TEST(TDataTableCSVImport, ReimportShrinksWithoutClearingTheFirstCell) {
  TempDir dir;
  TDataTable t(nullptr);
  Import(t, dir, "a;b;c\n1;2;3\n4;5;6\n", csvSemicolon, false, false);
  t.SetCellState(1, 1, 0x20);
  Import(t, dir, "7\n", csvSemicolon, false, false);
  EXPECT_EQ(t.NrOfColumns(), 1);
  EXPECT_EQ(t.NrOfRows(), 1);
  EXPECT_EQ(t.Elem(1, 1), 7);
  EXPECT_EQ(t.CellState(1, 1), 0x20);  // no state is ever reset by the import
}

TEST(TDataTableCSVImport, EmptyFileLeavesNoRows) {
  TempDir dir;
  TDataTable t(nullptr);
  t.Resize(3, 3);
  EXPECT_EQ(Import(t, dir, "", csvSemicolon, true, false), 0);
  EXPECT_EQ(t.NrOfRows(), 0);
  EXPECT_EQ(t.NumericData->NrOfRows(), 0);
  Import(t, dir, "only the header\n", csvSemicolon, true, false);
  EXPECT_EQ(t.NrOfRows(), 0);
  EXPECT_EQ(t.ColName(1), "only the header");
}

TEST(TDataTableCSVImport, MissingFileRaisesAndKeepsTheHandlers) {
  TempDir dir;
  TDataTable t(nullptr);
  int changes = 0, setups = 0;
  t.OnChange = [&](TObject*) { ++changes; };
  t.OnChangeSetup = [&](TObject*) { ++setups; };
  EXPECT_THROW(t.ImportFromCSV("ATNF.csv", csvSemicolon, true, false), EInOutError);
  t.SetElem(1, 1, 1);
  t.SetFComment("x");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(setups, 1);
}

// A line of delimiters that would widen the table beyond the memory the process can have
// fails at once with the table's own error, before the columns are added one by one.
TEST(TDataTableCSVImport, ATableBeyondTheObtainableMemoryRaisesBeforeGrowing) {
  TempDir dir;
  const int lines = 2000;
  const double obtainable = static_cast<double>(ObtainableMemoryBytes());
  const std::size_t delimiters = static_cast<std::size_t>(obtainable / 9 / lines) + 1000;
  std::string text = "a;b\n1;2\n" + std::string(delimiters, ';') + "\n";
  for (int i = 3; i < lines; ++i) text += "3;4\n";
  TDataTable t(nullptr);
  t.SetName("DB_Base");
  try {
    Import(t, dir, text, csvSemicolon);
    ADD_FAILURE() << "no exception";
  } catch (const ESDLDataTableError& e) {
    EXPECT_STREQ(e.what(), "Component \"DB_Base\": not enough memory on heap");
  }
  EXPECT_LT(t.NrOfColumns(), 10);
}

// A wide file takes memory by what it holds: a header of 100,000 empty names, or a line with
// one text in each of as many columns, costs a few hundred bytes a column, not the room for
// 150 identifiers in every column.
TEST(TDataTableCSVImport, AWideFileTakesMemoryByWhatItHolds) {
  constexpr Integer columns = 100000;
  const std::string header(columns - 1, '\t');
  std::string texts;
  for (Integer c = 1; c <= columns; ++c) texts += c < columns ? "a\t" : "a";
  for (const std::string& bytes : {header + "\n", header + "\n" + texts + "\n"}) {
    TDataTable t(nullptr);
    gPeak = gHeld.load();
    const std::size_t before = gPeak;
    ASSERT_EQ(t.ImportFromCSVBytes(bytes, csvTab, true, false), 0);
    const std::size_t peak = gPeak - before;
    ASSERT_EQ(t.NrOfColumns(), columns);
    EXPECT_LT(peak, 1000u * columns) << peak / columns << " bytes a column";
  }
}

// More distinct texts in a column than it has identifier slots: the import goes on, the
// numbers of every column arrive, and the result tells that some texts found no slot.
TEST(TDataTableCSVImport, ColumnWithMoreThan150NamesKeepsTheOtherNumbers) {
  std::string bytes = "Catalogue Version: 9.99\n#;NAME;P0;\n ; ;(s);\n";
  for (int i = 1; i <= 200; ++i)
    bytes += std::to_string(i) + ";PSR" + std::to_string(i) + ";" + std::to_string(i) + ".25;\n";
  TempDir dir;
  TDataTable t(nullptr);
  t.SetName("DB_Base");
  EXPECT_EQ(Import(t, dir, bytes, csvSemicolon), -1);
  ASSERT_EQ(t.NrOfRows(), 202);
  ASSERT_EQ(t.NrOfColumns(), 4);
  EXPECT_EQ(t.ColName(1), "Catalogue Version: 9.99");
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(t.MScaleType(c), stNominal) << c;
  EXPECT_EQ(t.MScaleType(4), stInterval);  // only empty fields after the last ";"
  for (int i = 1; i <= 200; ++i) {
    EXPECT_EQ(t.NumericData->GetVal(1, i + 2), i);
    EXPECT_EQ(t.NumericData->GetVal(3, i + 2), i + 0.25);
  }
  // Slots 1 and 2 hold the header and unit texts, 3..150 the first 148 names.
  EXPECT_EQ(t.NumericData->GetVal(2, 3), 3);
  EXPECT_EQ(t.GetElemNominal(2, 150), "PSR148");
  EXPECT_EQ(t.NumericData->GetVal(2, 151), 0);  // no slot left: the cell keeps its 0
  EXPECT_EQ(t.NominalID(2, 150), "PSR148");
}

// ---- the import's reading rules, whichever way the table grows ----------------------------

namespace {

// The file's characters as two-byte units behind their byte-order mark.
std::string TwoByte(const std::string& text, bool littleEndian, bool withMark = true) {
  std::string bytes = withMark ? (littleEndian ? "\xFF\xFE" : "\xFE\xFF") : "";
  for (char ch : text) {
    if (!littleEndian) bytes += '\0';
    bytes += ch;
    if (littleEndian) bytes += '\0';
  }
  return bytes;
}

// A table that has been used before: the import keeps its first cell, the first column's
// name and identifiers (its scale turns interval) and the first row's name.
void UseBefore(TDataTable& t) {
  t.Resize(4, 3);
  t.SetColName(1, "kept");
  t.SetRowName(1, "first");
  t.SetElem(1, 1, 9);
  t.SetCellState(1, 1, csMarkA);
  t.SetMScaleType(1, stNominal);
  t.SetNominalID(1, 1, "X");
  t.SetNominalID(1, 3, "old");  // slot 2 stays free
  t.SetElem(2, 2, 5);
}

struct TableFacts {
  Integer result, columns, rows;
  String names, data, states;
  bool operator==(const TableFacts&) const = default;
};

TableFacts Facts(const TDataTable& t, Integer result) {
  return {result,
          t.NrOfColumns(),
          t.NrOfRows(),
          t.CRCofNamesAndAttributes(),
          t.NumericData->CRCofData(),
          t.CRCofCellStates()};
}

std::string ManyNames() {
  std::string s = "id;name\n";
  for (int i = 1; i <= 200; ++i) s += std::to_string(i) + ";PSR" + std::to_string(i) + "\n";
  return s;
}

}  // namespace

// A table that nobody watches takes its size once from a first look at the file; one whose
// size, names or cell states are watched grows line by line, and one with a progress handler
// looks its identifiers up slot by slot. All three must hold the same table in the end, and
// the lines must be those the text-file reader sees.
TEST(TDataTableCSVImport, EveryWayOfGrowingReadsTheSameTable) {
  struct Case {
    const char* name;
    std::string bytes;
    TCSVDelimiters delimiter;
    bool colHeaders, rowHeaders;
    Integer rows, columns;
  };
  const Case cases[] = {
      {"no line end after the last line", "a;b\n1;2\n3;4", csvSemicolon, true, false, 2, 2},
      {"ragged last line", "a;b;c\n1;2;3\n4", csvSemicolon, true, false, 2, 3},
      {"widest line last", "a\n1\n2;3;4;5\n", csvSemicolon, true, false, 2, 4},
      {"widest line without line end", "a\n1\n2;3;4;5", csvSemicolon, true, false, 2, 4},
      {"quoted delimiters do not widen", "a;b\n\"x;y;z\";1\n", csvSemicolon, true, false, 1, 2},
      {"unterminated quote", "a;b\n\"x;1\n2;3\n", csvSemicolon, true, false, 2, 2},
      {"blank lines are rows", "a;b\n\n1;2\n\n", csvSemicolon, true, false, 3, 2},
      {"byte 26 ends the text", "a;b\n1;2\n\x1A" "3;4;5\n", csvSemicolon, true, false, 1, 2},
      {"lone CRs are dropped", "a;b\r1;2\r", csvSemicolon, true, false, 0, 3},
      {"CR LF", "a;b\r\n1;2\r\n3;4\r\n", csvSemicolon, true, false, 2, 2},
      {"two-byte LE with CR LF", TwoByte("a;b\r\n1;2\r\n", true), csvSemicolon, true, false, 1,
       2},
      {"two-byte LE, odd length", TwoByte("a;b\n1;2", true) + "3", csvUnknown, true, false, 1,
       2},
      {"two-byte BE", TwoByte("a;b\n1;2\n", false), csvUnknown, true, false, 1, 2},
      {"UTF-8 mark only", "\xEF\xBB\xBF", csvSemicolon, false, false, 1, 1},
      {"empty file", "", csvSemicolon, false, false, 0, 1},
      {"only a header", "h1;h2\n", csvSemicolon, true, false, 0, 2},
      {"row headers", "corner\nr1;1;2\nr2;3\n", csvSemicolon, true, true, 2, 2},
      {"row headers, no column headers", "r1;1\nr2;2;3\n", csvSemicolon, false, true, 2, 2},
      {"identifiers against kept slots", "OLD;1\nold;x\nX;2\nnew;\nlonger than ten;X\n",
       csvSemicolon, false, false, 5, 2},
      {"non-finite and huge texts", "a;b\nNaN;inf\n-INF;1e5000\n1e4200;-1e-4200\n", csvSemicolon,
       true, false, 3, 2},
      {"more names than slots", ManyNames(), csvSemicolon, true, false, 200, 2},
      {"detected delimiter", "a,b;c\n1,2,3\n", csvUnknown, true, false, 1, 3},
  };
  for (const auto& k : cases) {
    TempDir dir;
    const fs::path p = dir.write("in.csv", k.bytes);
    TDataTable quiet(nullptr), progress(nullptr), watched(nullptr);
    progress.OnPercentDone = [](TObject*, Integer) {};
    int resizes = 0;
    watched.OnResize = [&](TObject*, Integer, Integer, Integer, Integer) { ++resizes; };
    std::vector<TableFacts> facts;
    for (TDataTable* t : {&quiet, &progress, &watched}) {
      UseBefore(*t);
      const Integer result = t->ImportFromCSV(p.string(), k.delimiter, k.colHeaders, k.rowHeaders);
      facts.push_back(Facts(*t, result));
    }
    EXPECT_EQ(facts[0].rows, k.rows) << k.name;
    EXPECT_EQ(facts[0].columns, k.columns) << k.name;
    EXPECT_TRUE(facts[0] == facts[1]) << k.name << ": the progress handler changed the table";
    EXPECT_TRUE(facts[0] == facts[2]) << k.name << ": growing line by line changed the table";
    EXPECT_GT(resizes, 1) << k.name;
  }
}

// The bytes of a file handed over read as the file itself: the same type by the byte-order
// mark (whose four-byte forms need four bytes), the same lines, fields and identifiers, and the
// same notices once the table is filled.
TEST(TDataTableCSVImport, BytesAlreadyReadGiveWhatTheFileGives) {
  const std::pair<const char*, std::string> cases[] = {
      {"plain", "a;b\n1;2\nx;\n"},
      {"CR LF and byte 26", "a;b\r\n1;2\r\n\x1A" "3;4\n"},
      {"UTF-8 mark", "\xEF\xBB\xBF" "a;b\n1;2\n"},
      {"UTF-8 mark cut short", "\xEF\xBB" "a;b\n1;2\n"},
      {"two-byte LE", TwoByte("a;b\r\n1;2\r\n", true)},
      {"two-byte BE", TwoByte("a,b\n1,2\n", false)},
      {"two-byte LE mark alone", "\xFF\xFE"},
      {"three bytes: no four-byte mark", std::string("\xFF\xFE\0", 3)},
      {"one byte of a mark", "\xFF"},
      {"four-byte LE mark", std::string("\xFF\xFE\0\0" "a;b\n1;2\n", 12)},
      {"four-byte BE mark", std::string("\0\0\xFE\xFF" "a;b\n1;2\n", 12)},
      {"rich text", "{\\rtf1;2\n3;4\n"},
      {"empty", ""},
      {"more names than slots", ManyNames()},
  };
  for (const auto& [name, bytes] : cases) {
    for (const TCSVDelimiters d : {csvSemicolon, csvUnknown}) {
      SCOPED_TRACE(std::string(name) + (d == csvUnknown ? ", delimiter detected" : ""));
      TempDir dir;
      const fs::path p = dir.write("in.csv", bytes);
      TDataTable fromFile(nullptr), fromBytes(nullptr);
      std::vector<std::string> fileLog, bytesLog;
      for (auto [t, log] : {std::pair{&fromFile, &fileLog}, std::pair{&fromBytes, &bytesLog}}) {
        UseBefore(*t);
        t->OnChange = [log](TObject*) { log->push_back("Change"); };
        t->OnChangeSetup = [log](TObject*) { log->push_back("Setup"); };
        t->OnChangeNames = [log](TObject*) { log->push_back("Names"); };
      }
      const Integer fileResult = fromFile.ImportFromCSV(p.string(), d, true, false);
      const Integer bytesResult = fromBytes.ImportFromCSVBytes(bytes, d, true, false);
      EXPECT_TRUE(Facts(fromFile, fileResult) == Facts(fromBytes, bytesResult));
      EXPECT_EQ(bytesLog, fileLog);
    }
  }
}

// Kept identifiers, the first slot of a text, the ten-character cut and the case rule hold
// for the indexed look-up as for AddNominalID.
TEST(TDataTableCSVImport, TextsFindTheSlotsAddNominalIDWouldGive) {
  TempDir dir;
  TDataTable t(nullptr);
  UseBefore(t);
  EXPECT_EQ(Import(t, dir, "OLD;1\nold;x\nX;2\nnew;\nlonger than ten;X\nLONGER THAN;3\n",
                   csvSemicolon, false, false),
            0);
  // Column 1 was made interval, so "OLD" found no slot and took the free slot 2; from then on
  // the column is nominal and "old" is slot 2, ahead of the kept slot 3.
  EXPECT_EQ(t.MScaleType(1), stNominal);
  const double want[] = {2, 2, 1, 4, 5, 5};
  for (int r = 1; r <= 6; ++r) EXPECT_EQ(t.NumericData->GetVal(1, r), want[r - 1]) << r;
  EXPECT_EQ(t.NominalID(1, 2), "OLD");
  EXPECT_EQ(t.NominalID(1, 3), "old");
  EXPECT_EQ(t.NominalID(1, 5), "longer tha");
  EXPECT_EQ(t.NumericData->GetVal(2, 2), 1);  // "x", first text of column 2
  EXPECT_EQ(t.NumericData->GetVal(1, 6), 5);  // "LONGER THA" is "longer tha"
  EXPECT_EQ(t.NumericData->GetVal(2, 5), 1);  // "X" is "x": A-Z case is ignored
}

namespace {

// Sets the system's decimal separator for the life of the object.
class TSystemSeparator {
public:
  explicit TSystemSeparator(char sep) : FKept(FormatSettings.DecimalSeparator) {
    FormatSettings.DecimalSeparator = sep;
  }
  ~TSystemSeparator() { FormatSettings.DecimalSeparator = FKept; }

private:
  char FKept;
};

// Number-like texts: plain short numbers mostly, with long digit runs, both separators, big
// and dangling exponents, blanks and stray characters mixed in.
std::vector<std::string> NumberLikeTexts() {
  std::vector<std::string> out = {
      "0", "-0", "+0.0", "-0.000e7", "1", "-999.99", "3.06e+05", "0.742375", "62.269278",
      "1500.00", ".5", ",5", "-.5", "5.", "-5,", ".", "-.", "+", "-", "e5", "1e", "1e+", "1.5E-3",
      "  42", "42 ", " -7.25", "1.2.3", "1,2.3", "1.2,3", "12abc", "1e4200", "1e4201", "1e-4200",
      "9999999999999999999", "18446744073709551615", "18446744073709551616",
      "12345678901234567890123", "0.00000000000000000000000000123", "1e27", "1e28", "1e-27",
      "1e-28", "123456789012345678.9e9", "4.9406564584124654e-324", "1.7976931348623157e308",
      "1.8e308", "2.2250738585072011e-308", "0.1", "0.3", "9007199254740993",
      "9007199254740993e-5", "1e0005", "1e00005", "1E5", "00000000000000000000001.5", "\t1",
      "1\t", "nan", "inf"};
  for (const char* infinity : {" -INF", "+Inf"}) out.push_back(infinity);
  std::mt19937 gen(20240611);
  auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
  const char junk[] = "eE+-.,x ";
  for (int i = 0; i < 3000; ++i) {
    std::string s;
    if (pick(10) == 0) s += std::string(static_cast<std::size_t>(pick(3)), ' ');
    if (pick(3) == 0) s += pick(2) ? '-' : '+';
    const int digits = pick(8) == 0 ? 1 + pick(24) : 1 + pick(9);
    const int point = pick(4) == 0 ? -1 : pick(digits + 1);
    for (int d = 0; d < digits; ++d) {
      if (d == point) s += pick(5) ? '.' : ',';
      s += static_cast<char>('0' + pick(10));
    }
    if (point == digits) s += '.';
    if (pick(4) == 0) {
      s += pick(2) ? 'e' : 'E';
      if (pick(2)) s += pick(2) ? '-' : '+';
      const int expDigits = pick(10) == 0 ? pick(6) : 1 + pick(2);
      for (int d = 0; d < expDigits; ++d) s += static_cast<char>('0' + pick(10));
    }
    if (pick(25) == 0) s.insert(static_cast<std::size_t>(pick(static_cast<int>(s.size()) + 1)),
                                1, junk[pick(static_cast<int>(sizeof junk) - 1)]);
    out.push_back(s);
  }
  return out;
}

}  // namespace

// Every field is a number exactly when IsValidDouble says so, with ScanFPNum's value to the
// last bit (-0 included) up to 1.7e308 and the exact double beyond, whichever the system's
// decimal separator; the texts of the infinities are numbers too.
TEST(TDataTableCSVImport, NumbersAreReadAsTheGeneralScannerReadsThem) {
  const std::vector<std::string> texts = NumberLikeTexts();
  for (const char sep : {'.', ','}) {
    TSystemSeparator system(sep);
    // One text per row; the texts that are no number become identifiers of the column, and
    // only as many distinct ones are taken as the column has slots.
    std::vector<std::string> rows;
    std::set<std::string> identifiers;
    for (const auto& s : texts) {
      if (!s.empty() && !IsValidDouble(s, true, dsSystem)) {
        const std::string key = UpperCase(s.substr(0, 10));
        if (!identifiers.count(key) && identifiers.size() >= 140) continue;
        identifiers.insert(key);
      }
      rows.push_back(s);
    }
    std::string file;
    for (const auto& s : rows) file += s + "\n";
    TempDir dir;
    TDataTable t(nullptr);
    ASSERT_EQ(Import(t, dir, file, csvSemicolon, false, false), 0) << sep;
    ASSERT_EQ(t.NrOfRows(), static_cast<Integer>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::string& s = rows[i];
      const Integer r = static_cast<Integer>(i + 1);
      if (s.empty()) {
        EXPECT_TRUE(t.IsEmpty(1, r)) << s;
      } else if (SameText(Trim(s), "inf") || SameText(Trim(s), "+inf") ||
                 SameText(Trim(s), "-inf")) {
        EXPECT_EQ(t.NumericData->GetVal(1, r), Trim(s)[0] == '-' ? -HUGE_VAL : HUGE_VAL) << s;
        EXPECT_EQ(t.CellState(1, r), 0) << s;
      } else if (IsValidDouble(s, true, dsSystem)) {
        Integer pos = 1;
        double want = ScanFPNum(s, true, 3, pos);
        // The scanner stops at +-1.7e308; the digits of a larger double are read exactly.
        if (std::fabs(want) >= 1.7e308) {
          std::string dot = s;
          std::replace(dot.begin(), dot.end(), ',', '.');
          const double exact = std::strtod(dot.c_str(), nullptr);
          if (std::isfinite(exact)) want = exact;
        }
        const double got = t.NumericData->GetVal(1, r);
        EXPECT_EQ(std::memcmp(&want, &got, sizeof want), 0)
            << "\"" << s << "\" with '" << sep << "': " << got << " instead of " << want;
        EXPECT_EQ(t.CellState(1, r), 0) << s;
      } else {
        EXPECT_TRUE(SameText(t.GetElemNominal(1, r), s.substr(0, 10)))
            << "\"" << s << "\" with '" << sep << "' became " << t.NumericData->GetVal(1, r);
      }
    }
  }
}

// ---- the real catalogue --------------------------------------------------------------------

namespace {

// The test-data folder the environment names, or else the one beside this source file.
fs::path Catalogue(const char* name) {
  const fs::path named = fs::absolute(testsupport::TestDataDir()) / "atnf" / name;
  if (fs::exists(named)) return named;
  return fs::path(__FILE__).parent_path().parent_path().parent_path() / "data" / "atnf" / name;
}

// Every number of the file as the table should hold it: file line k is table row k - 1.
void ExpectEveryNumberOfTheFile(const TDataTable& t, const fs::path& file) {
  TTextFile f(file.string());
  f.Reset();
  String line;
  int lineNo = 0;
  int checked = 0;
  while (!f.Eof()) {
    f.ReadLn(line);
    ++lineNo;
    if (lineNo < 4) continue;
    const auto fields = SplitFields(line, ';');
    for (size_t k = 0; k < fields.size(); ++k) {
      if (k == 1 || fields[k].empty()) continue;
      const int c = static_cast<int>(k + 1);
      const double want = std::strtod(fields[k].c_str(), nullptr);
      ASSERT_EQ(t.NumericData->GetVal(c, lineNo - 1), want)
          << "line " << lineNo << " field " << fields[k];
      ++checked;
    }
  }
  EXPECT_GT(checked, 9 * (lineNo - 3) - 1);
}

}  // namespace

TEST(TDataTableCSVCatalogue, Version166AsTheProgramImportsIt) {
  const fs::path file = Catalogue("ATNF_v1.66.csv");
  TDataTable t(nullptr);
  t.SetName("DB_Base");
  t.Resize(11, 5000);  // as the main window's description leaves it
  const Integer result = t.ImportFromCSV(file.string(), csvSemicolon, true, false);
  EXPECT_EQ(result, -1);  // the names outnumber the identifier slots
  ASSERT_EQ(t.NrOfColumns(), 12);
  ASSERT_EQ(t.NrOfRows(), 3284);
  EXPECT_EQ(t.ColName(1), "Catalogue Version: 1.66");

  struct Row {
    int row;
    double v[11];  // columns 1 and 3..11; v[1] (the name) unused
  };
  const Row rows[] = {
      // first pulsar, file line 4
      {3, {1, 0, 0.742375, 62.269278, 0.115364, 218.60, -999.99, -999.99, 0.02, 6.36, 3.06e+05}},
      // B0329+54, file line 142
      {141,
       {139, 0, 53.247540, 54.578702, 0.714520, 26.76, 6.600, 1500.00, 203.00, 1.69, 5.53e+06}},
      // last pulsar, file line 3285
      {3284,
       {3282, 0, 358.957500, 22.771389, 1.840986, 23.10, 68.000, 0.90, -999.99, 2.16, 7.72e+06}},
  };
  for (const auto& r : rows)
    for (int c = 1; c <= 11; ++c) {
      if (c == 2) continue;
      EXPECT_EQ(t.NumericData->GetVal(c, r.row), r.v[c - 1]) << "row " << r.row << " col " << c;
      EXPECT_TRUE(t.IsNumber(c, r.row));
    }
  // The line ends with ";": an empty twelfth column.
  EXPECT_TRUE(t.IsEmpty(12, 3));
  EXPECT_TRUE(t.IsEmpty(12, 3284));
  // Header and units lines are identifiers; the running number reads 0 beyond the data.
  EXPECT_EQ(t.NominalID(3, 1), "RAJD");
  EXPECT_EQ(t.NominalID(3, 2), "(deg)");
  EXPECT_EQ(t.NumericData->GetVal(1, 3285), 0);
  ExpectEveryNumberOfTheFile(t, file);
}

TEST(TDataTableCSVCatalogue, Version159) {
  const fs::path file = Catalogue("ATNF_v1.59.csv");
  TDataTable t(nullptr);
  t.Resize(11, 5000);
  t.ImportFromCSV(file.string(), csvSemicolon, true, false);
  ASSERT_EQ(t.NrOfRows(), 2661);
  EXPECT_EQ(t.ColName(1), "Catalogue Version: 1.59");
  // B0329+54, file line 117.
  EXPECT_EQ(t.NumericData->GetVal(1, 116), 114);
  EXPECT_EQ(t.NumericData->GetVal(3, 116), 53.247367);
  EXPECT_EQ(t.NumericData->GetVal(4, 116), 54.578769);
  EXPECT_EQ(t.NumericData->GetVal(8, 116), 1500.00);
  EXPECT_EQ(t.NumericData->GetVal(1, 2661), 2659);
  ExpectEveryNumberOfTheFile(t, file);
}

// ---- export ------------------------------------------------------------------------------

TEST(TDataTableCSVExport, HeadersAndNumbers) {
  TempDir dir;
  TDataTable t(nullptr);
  t.Resize(2, 1);
  t.SetElem(1, 1, 1.5);
  t.SetElem(2, 1, -2);
  EXPECT_EQ(t.ExportAsCSV("out.csv", 3, csvComma, true, true), "");
  EXPECT_EQ(dir.read("out.csv"), ",C-1,C-2\r\nR-1,     1.50,    -2.00\r\n");
}

TEST(TDataTableCSVExport, CellKindsAndQuoting) {
  TempDir dir;
  TDataTable t(nullptr);
  t.Resize(4, 3);
  t.SetColName(1, "plain");
  t.SetColName(2, "with;semicolon");
  t.SetColName(3, "say \"x\"");
  t.SetRowName(2, "r;2");
  t.SetRowAttrib(3, -7);
  t.SetFComment("exported");
  t.AddNominalID(2, "a;b");
  t.AddNominalID(2, "q\"t");
  t.SetMScaleType(4, stOrdinal);
  t.SetElem(1, 1, 12345.678);
  t.SetCellState(1, 2, 0x01);  // no valid number
  t.SetCellState(1, 3, 0x02);  // empty
  t.SetElem(2, 1, 1);
  t.SetElem(2, 2, 2);
  t.SetElem(2, 3, 0);
  t.SetElem(3, 1, 0.000123);
  t.SetElem(4, 1, 3);
  t.SetElem(4, 2, 2.5);
  EXPECT_EQ(t.ExportAsCSV("out.csv", 4, csvSemicolon, true, true, true, true), "");
  // Numbers take 4 significant digits in 10 characters: 12345.678 has more integer digits
  // than that and is rounded to a whole number; 0.000123 gets 4 - (-3) = 7 decimals; 0 gets 3.
  const std::string want =
      "exported\r\n"
      ";;plain;\"with;semicolon\";\"say \"\"x\"\"\";C-4\r\n"
      "R-1;0;     12346;\"a;b\"; 0.0001230;Ordinal-3\r\n"
      "\"r;2\";0;NAN;q\"\"t;     0.000;Ordinal-2\r\n"
      "R-3;-7;;Nominal-0;     0.000;Ordinal-0\r\n";
  EXPECT_EQ(dir.read("out.csv"), want);
}

TEST(TDataTableCSVExport, ProgressEveryStepRows) {
  TempDir dir;
  TDataTable t(nullptr);
  t.Resize(1, 250);
  std::vector<int> percents;
  t.OnPercentDone = [&](TObject* s, Integer p) {
    EXPECT_EQ(s, &t);
    percents.push_back(p);
  };
  ASSERT_EQ(t.ExportAsCSV("out.csv", 2, csvSemicolon, false, false), "");
  ASSERT_EQ(percents.size(), 125u);
  for (size_t i = 0; i < percents.size(); ++i) {
    const int r = static_cast<int>(2 * (i + 1));
    EXPECT_EQ(percents[i], static_cast<int>(std::nearbyint(100.0 * r / 250))) << r;
  }
}

TEST(TDataTableCSVExport, UnknownDelimiterMeansComma) {
  TempDir dir;
  TDataTable t(nullptr);
  t.Resize(2, 1);
  t.ExportAsCSV("out.csv", 1, csvUnknown, false, false);
  EXPECT_EQ(dir.read("out.csv"), "      0,      0\r\n");
}

TEST(TDataTableCSVExport, CreationFailureIsReturnedAsText) {
  TempDir dir;
  TDataTable t(nullptr);
  const String bad = (dir.path() / "no such folder" / "out.csv").string();
  String expected;
  try {
    TTextFile f(bad);
    f.Rewrite();
  } catch (const Exception& e) {
    expected = e.Message;
  }
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(t.ExportAsCSV(bad, 3, csvComma, true, false), expected);
}

TEST(TDataTableCSVExport, RoundTrip) {
  TempDir dir;
  // Column 1 also holds values whose exponent has three digits: the fixed-width form has no
  // room for them, so they are written in their exact text and come back as they were, the
  // largest doubles and the infinities included, in a column that stays numeric.
  // -0 keeps its sign.
  constexpr int rows = 12;
  const double values[3][rows] = {{1.5, -2.25, 1e-3, 123456.0, 1e300, -2.5e-300, 6.02214076e-200,
                                   DBL_MAX, -DBL_MAX, HUGE_VAL, -HUGE_VAL, -0.0},
                                  {0, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17},
                                  {3, 1, 2, 1, 2, 3, 1, 2, 3, 1, 2, 3}};
  for (const char sep : {'.', ','}) {
    TSystemSeparator system(sep);
    TDataTable t(nullptr);
    t.Resize(3, rows);
    for (int c = 1; c <= 3; ++c)
      for (int r = 1; r <= rows; ++r) t.SetElem(c, r, values[c - 1][r - 1]);
    t.SetColName(1, "flux, 400 MHz");
    t.SetColName(2, "period");
    t.SetRowName(3, "B0329+54");
    t.AddNominalID(3, "low");
    t.AddNominalID(3, "mid");
    t.AddNominalID(3, "high");
    t.SetCellState(2, 1, 0x02);
    ASSERT_EQ(t.ExportAsCSV("round.csv", 8, csvComma, true, true), "");

    TDataTable back(nullptr);
    EXPECT_EQ(back.ImportFromCSV("round.csv", csvComma, true, true), 0);
    ASSERT_EQ(back.NrOfColumns(), 3);
    ASSERT_EQ(back.NrOfRows(), rows);
    EXPECT_EQ(back.GetMScaleType(1), stInterval) << sep;
    EXPECT_EQ(back.ColName(1), "flux, 400 MHz");
    EXPECT_EQ(back.RowName(3), "B0329+54");
    for (int r = 1; r <= rows; ++r) {
      if (r <= 4)
        EXPECT_NEAR(back.Elem(1, r), values[0][r - 1], 1e-9 * std::fabs(values[0][r - 1])) << r;
      else
        EXPECT_EQ(back.NumericData->GetVal(1, r), values[0][r - 1]) << r << sep;
      EXPECT_EQ(std::signbit(back.NumericData->GetVal(1, r)), std::signbit(values[0][r - 1]))
          << r << sep;
      EXPECT_EQ(back.CellState(1, r), 0) << r;
      EXPECT_EQ(back.GetElemNominal(3, r), t.GetElemNominal(3, r)) << r;
    }
    EXPECT_TRUE(back.IsEmpty(2, 1));
    EXPECT_EQ(back.Elem(2, 4), 9);
  }
}
