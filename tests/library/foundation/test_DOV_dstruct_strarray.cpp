#include <gtest/gtest.h>

#include "DOV_dstruct.h"
#include "TestSupport.h"
#include "TextFile.h"

namespace {

TEST(TStringArray, CellsPoolAndGarbageCollection) {
  TStringArray a(nullptr);
  a.Resize(3, 4);
  a.SetString(0, 1, "name");
  EXPECT_EQ(a.GetString(0, 1), "name");
  for (int round = 1; round <= 5; ++round)
    for (Integer r = 1; r <= 4; ++r)
      a.SetString(2, r, String(static_cast<size_t>(round * 10), 'x'));
  a.SetString(3, 3, "short");
  a.SetString(3, 3, "s");  // fits in place: no new space
  const Integer before = a.FirstFree(1);
  a.GarbageCollection();
  EXPECT_LT(a.FirstFree(1), before);
  EXPECT_EQ(a.GetString(0, 1), "name");
  for (Integer r = 1; r <= 4; ++r) EXPECT_EQ(a.GetString(2, r), String(50, 'x'));
  EXPECT_EQ(a.GetString(3, 3), "s");
  EXPECT_EQ(a.GetString(4, 1), "");  // outside
  EXPECT_EQ(a.GetString(1, 5), "");
  a.SetString(9, 9, "ignored");
  // Texts are cut to 255 characters, counted as characters (a UTF-8 sequence is one).
  String umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "\xC3\xBC";
  struct Cut {
    String in, want;
  };
  const Cut cuts[] = {
      {String(300, 'y'), String(255, 'y')},
      {String(254, 'y') + "\xC3\xBC", String(254, 'y') + "\xC3\xBC"},
      {String(255, 'y') + "\xC3\xBC", String(255, 'y')},
      {umlauts, umlauts.substr(0, 510)},
  };
  for (const Cut& c : cuts) {
    a.SetString(1, 2, c.in);
    EXPECT_EQ(a.GetString(1, 2), c.want) << c.in.size();
  }
  a.SetString(1, 2, "short");  // in place over a longer text
  EXPECT_EQ(a.GetString(1, 2), "short");
  a.GarbageCollection();
  EXPECT_EQ(a.GetString(1, 2), "short");
}

TEST(TStringArray, PoolGrowsByBlocks) {
  TStringArray a(nullptr);
  a.Resize(1, 400);
  for (Integer r = 1; r <= 400; ++r) a.SetString(1, r, String(200, 'a'));
  EXPECT_EQ(a.NumBuffers(), 3);
  for (Integer r = 1; r <= 400; ++r) ASSERT_EQ(a.GetString(1, r), String(200, 'a'));
}

TEST(TStringArray, NumbersFromCells) {
  TStringArray a(nullptr);
  a.SetString(1, 1, " 1,5 ");
  EXPECT_DOUBLE_EQ(a.AsNumber(1, 1), 1.5);
  EXPECT_EQ(a.AsNumber(0, 1), 0);
  a.SetString(1, 1, "2.5");
  EXPECT_EQ(a.AsInteger(1, 1), 2);
  a.SetString(1, 1, "3.5");
  EXPECT_EQ(a.AsInteger(1, 1), 4);
  a.SetString(1, 1, "1e12");
  EXPECT_EQ(a.AsInteger(1, 1), 2147483647);
  for (const char* bad : {"abc", "inf", "1e999"}) {
    a.SetString(1, 1, bad);
    try {
      a.AsNumber(1, 1);
      FAIL() << bad;
    } catch (const ESDLDStructError& e) {
      EXPECT_EQ(e.Message, String("Class TStringArray: invalid numeric string: [1,1]: ") + bad);
    }
  }
}

void FillColumn(TStringArray& a, Integer c, std::initializer_list<const char*> texts) {
  Integer r = 1;
  for (const char* t : texts) a.SetString(c, r++, t);
}

std::vector<String> Column(const TStringArray& a, Integer c) {
  std::vector<String> out;
  for (Integer r = 1; r <= a.NrOfRows(); ++r) out.push_back(a.GetString(c, r));
  return out;
}

TEST(TStringArray, SortUnsortAndCommit) {
  TStringArray a(nullptr);
  a.Resize(2, 5);
  FillColumn(a, 1, {"pear", "Apple", "fig", "apple", "kiwi"});
  FillColumn(a, 2, {"1", "2", "3", "1", "5"});
  a.SetRowAttrib(3, 33);
  std::vector<Integer> percents;
  a.OnPercentDone = [&](TObject*, Integer p) { percents.push_back(p); };
  a.Sort(1, 2, true);
  EXPECT_EQ(Column(a, 1), (std::vector<String>{"apple", "Apple", "fig", "kiwi", "pear"}));
  EXPECT_EQ(a.SortOrder(1), 4);
  EXPECT_EQ(a.RowAttrib(3), 33);  // the attribute travels with its row
  EXPECT_EQ(percents.front(), 0);
  EXPECT_EQ(percents.back(), 100);
  a.UnSort();
  EXPECT_EQ(a.GetString(1, 1), "pear");
  a.Sort(1, 0, false);
  a.CommitSorting();
  EXPECT_EQ(a.SortOrder(1), 1);
  EXPECT_EQ(a.GetString(1, 1), "pear");
  EXPECT_EQ(a.GetString(1, 5).size(), 5u);
  a.Sort(1, 0, true);
  a.AddRow();  // resizing returns to the physical order
  EXPECT_EQ(a.GetString(1, 1), "pear");
  EXPECT_EQ(a.SortOrder(-1), -1);
}

TEST(TStringArray, InsertRemoveAndCopyRows) {
  TStringArray a(nullptr);
  a.Resize(1, 3);
  FillColumn(a, 1, {"c", "a", "b"});
  a.Sort(1, 0, true);  // a b c, pending
  a.InsertRow(2);
  EXPECT_EQ(Column(a, 1), (std::vector<String>{"a", "", "b", "c"}));
  a.RemoveRow(1);
  EXPECT_EQ(Column(a, 1), (std::vector<String>{"", "b", "c"}));
  a.CopyRow(3, 1);
  a.SetString(1, 3, "changed");  // the copy does not share its text
  EXPECT_EQ(Column(a, 1), (std::vector<String>{"c", "b", "changed"}));
  for (Integer i = 0; i < 25; ++i) a.InsertRow(1);  // beyond the allocation step
  EXPECT_EQ(a.NrOfRows(), 28);
  EXPECT_EQ(a.GetString(1, 28), "changed");
  TStringArray one(nullptr);
  one.SetString(1, 1, "x");
  one.SetRowAttrib(1, 5);
  one.RemoveRow(1);
  EXPECT_EQ(one.NrOfRows(), 1);
  EXPECT_EQ(one.GetString(1, 1), "");
  EXPECT_EQ(one.RowAttrib(1), 0);
}

TEST(TStringArray, Searches) {
  TStringArray a(nullptr);
  a.Resize(2, 4);
  FillColumn(a, 1, {"alpha", "beta", "beta", "delta"});
  a.SetString(0, 3, "Gamma ray");
  Integer c = -9, r = -9;
  EXPECT_TRUE(a.FindCell("RAY", false, -1, -1, -1, -1, c, r));
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 3);
  EXPECT_FALSE(a.FindCell("RAY", true, -1, -1, -1, -1, c, r));
  EXPECT_FALSE(a.FindCell("", false, -1, -1, -1, -1, c, r));
  EXPECT_TRUE(a.FindCellExact("", false, 2, 2, 4, 1, c, r));  // bounds in either order
  EXPECT_EQ(r, 1);
  EXPECT_TRUE(a.FindCellInSortedColumn("beta", true, 1, -1, -1, true, r));
  EXPECT_EQ(r, 2);  // the first of equal entries
  EXPECT_TRUE(a.FindCellInSortedColumn("delta", true, 1, 4, 4, true, r));
  EXPECT_FALSE(a.FindCellInSortedColumn("zeta", true, 1, -1, -1, true, r));
}

TEST(TStringArray, ShapeAllocationAndAssign) {
  TStringArray a(nullptr);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(a.Resize(0, 5));
  EXPECT_FALSE(a.Resize(1, 1 << 30));  // beyond what the array takes
  EXPECT_EQ(a.NrOfRows(), 1);
  a.SetAllocRowsBy(0);
  EXPECT_EQ(a.AllocRowsBy(), 1);
  EXPECT_TRUE(a.Resize(2, 2));
  a.SetString(2, 2, "x");
  a.SetColAttrib(2, 7);
  EXPECT_GT(changes, 0);
  TStringArray b(nullptr);
  b.Assign(&a);
  EXPECT_EQ(b.GetString(2, 2), "x");
  EXPECT_EQ(b.ColAttrib(2), 7);
  EXPECT_TRUE(b.RowEmpty(1));
  EXPECT_FALSE(b.ColumnEmpty(2));
  b.Fill("");
  EXPECT_EQ(b.GetString(2, 2), "");
  EXPECT_EQ(b.NumBuffers(), 1);
}

// ---- the strarray document ----

String Save(const TStringArray& a, const testsupport::TempDir& dir, const char* id) {
  const String name = (dir.path() / "a.xml").string();
  a.SaveAsXMLFile(name, id);
  return name;
}

TEST(StringArrayXML, WritesOnlyFilledCells) {
  testsupport::TempDir dir;
  TStringArray a(nullptr);
  a.Resize(2, 2);
  a.SetString(0, 1, "first");
  a.SetString(2, 2, "last");
  Save(a, dir, "T1");
  EXPECT_EQ(dir.read("a.xml"),
            "<?xml version=\"1.0\"?>\r\n\r\n<!-- TStringArray / RIZ Ovavavude Rarev -->\r\n"
            "<strarray sig=\"ZUDUZidad\" vers=\"1.0\" id=\"T1\">\r\n<numcols>2</numcols>\r\n"
            "<numrows>2</numrows>\r\n<cell ix=\"0\" iy=\"1\">first</cell>\r\n"
            "<cell ix=\"2\" iy=\"2\">last</cell>\r\n</strarray>\r\n");
}

class StringArrayRoundTrip : public ::testing::TestWithParam<String> {};

TEST_P(StringArrayRoundTrip, KeepsTheText) {
  testsupport::TempDir dir;
  TStringArray a(nullptr), b(nullptr);
  a.Resize(3, 3);
  a.SetString(1, 2, GetParam());
  a.SetString(3, 3, "after");  // a later cell survives whatever the text holds
  const String name = Save(a, dir, "x");
  ASSERT_TRUE(b.LoadFromXMLFile(name, "X"));
  EXPECT_EQ(b.GetString(1, 2), GetParam());
  EXPECT_EQ(b.GetString(3, 3), "after");
  EXPECT_EQ(b.NrOfColumns(), 3);
}

INSTANTIATE_TEST_SUITE_P(Texts, StringArrayRoundTrip,
                         ::testing::Values("plain", "a > b", "two\r\nlines", "a < b", "x=\"1\"",
                                           "\xC3\xBC ber", String(255, 'z'),
                                           [] {  // 255 characters of two bytes each
                                             String s;
                                             for (int i = 0; i < 255; ++i) s += "\xC3\xBC";
                                             return s;
                                           }()));

TEST(StringArrayXML, PicksTheDocumentById) {
  testsupport::TempDir dir;
  const String name = (dir.path() / "two.xml").string();
  {
    TTextFile f(name);
    f.Rewrite();
    TStringArray a(nullptr);
    a.SetString(1, 1, "one");
    a.WriteToOpenXMLFile(f, true, "first");
    a.SetString(1, 1, "two");
    a.WriteToOpenXMLFile(f, false, "second");
    f.CloseFile();
  }
  TStringArray b(nullptr);
  ASSERT_TRUE(b.LoadFromXMLFile(name, "second"));
  EXPECT_EQ(b.GetString(1, 1), "two");
  ASSERT_TRUE(b.LoadFromXMLFile(name, ""));
  EXPECT_EQ(b.GetString(1, 1), "one");
  b.SetString(1, 1, "kept");
  EXPECT_FALSE(b.LoadFromXMLFile(name, "third"));
  EXPECT_EQ(b.GetString(1, 1), "kept");
}

TEST(StringArrayXML, HostileDocuments) {
  testsupport::TempDir dir;
  const String head = "<strarray sig=\"ZUDUZidad\" vers=\"1.0\" id=\"\">\r\n";
  struct Case {
    const char* what;
    String body;
    bool ok;
  };
  const Case cases[] = {
      {"cut short", "<numcols>2</numcols>\r\n<cell ix=\"1\" iy=\"1\">x</cell>\r\n", false},
      {"cut inside a cell", "<cell ix=\"1\" iy=\"1\">xyz", false},
      {"huge counts", "<numcols>2000000000</numcols><numrows>2000000000</numrows></strarray>",
       false},
      {"indexes outside",
       "<cell ix=\"-5\" iy=\"99999999\">x</cell><cell ix=\"1\" iy=\"1\">y</cell>"
       "</strarray>",
       true},
      {"no numbers", "<numcols>abc</numcols><cell>q</cell></strarray>", true},
  };
  for (const Case& c : cases) {
    dir.write("h.xml", head + c.body);
    TStringArray a(nullptr);
    EXPECT_EQ(a.LoadFromXMLFile((dir.path() / "h.xml").string(), ""), c.ok) << c.what;
    EXPECT_LE(a.NrOfColumns() * a.NrOfRows(), 2) << c.what;
  }
  EXPECT_THROW(TStringArray(nullptr).LoadFromXMLFile((dir.path() / "none").string(), ""),
               EInOutError);
}

}  // namespace
