// Chart files: the exact bytes of a data file, save/load round trips of both lists, damaged
// files (each must leave the chart as it was and report -1 or -2), the listing and the copy of
// annotations between charts.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "DOV_zodoza.h"
#include "DOV_zodoza_files.h"
#include "TestSupport.h"

namespace {
namespace fs = std::filesystem;

constexpr size_t kRec = sizeof(TrcChartItem);
const String kCrLf = "\r\n";

// A fresh folder of its own (a parameterised test's name holds a "/", so names are not made
// from it), removed with everything in it.
struct TempDir {
  fs::path dir;
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kestal_chartfiles_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    dir = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  String Name(const char* n) const { return (dir / n).string(); }
};

std::string ReadBytes(const String& name) {
  std::ifstream f(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteBytes(const String& name, const std::string& bytes) {
  std::ofstream f(name, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Hex(const std::string& b) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (unsigned char c : b) {
    s += d[c >> 4];
    s += d[c & 15];
  }
  return s;
}

TrcChartItem Item(TrcItem Kind, Double x, Double y, Double x2, Double y2) {
  TrcChartItem it;
  CleazOdozaItem(it);
  it.ItemKind = Kind;
  it.x = x;
  it.y = y;
  it.x2 = x2;
  it.y2 = y2;
  return it;
}

std::string Bytes(const TrcChartItem& it) {
  return std::string(reinterpret_cast<const char*>(&it), kRec);
}

template <class T>
void Put(std::string& bytes, size_t Offset, T Value) {
  std::memcpy(bytes.data() + Offset, &Value, sizeof Value);
}

// Header of an empty data file: neutral record, "[DATAFORMAT]", LWid -2, 0 items, 0 texts.
const std::string kEmptyDataHeader =
    "0000000000000000"
    "0000000000000000"
    "0000000000000000"
    "0000000000000000"  // x y x2 y2
    "00000000"
    "FFFFFF00"
    "80808000"
    "FFFFFF00"  // colours
    "00"
    "000000"
    "00000000"
    "FEFFFFFF"  // pen, tag, LWid
    "00"
    "00"
    "0000"
    "01000000"
    "00"
    "00"  // class .. frame
    "0C"
    "5B44415441464F524D41545D"
    "0000000000"  // "[DATAFORMAT]"
    "00000000"
    "00000000"
    "00000000"
    "00"
    "000000";  // params, mode

struct Chart {
  TCustomZOdoza c{nullptr};
  // A data item with a long text (20 characters) among two plain ones.
  void ThreeItemsOneLongText() {
    c.AppendItem(Item(tkLine, 1, 2, 3, 4));
    TrcChartItem t = Item(tkText, 5, 6, 0, 0);
    c.AppendItem(t);
    c.SetDataLongText(1, "ABCDEFGHIJKLMNOPQRST");
    c.AppendItem(Item(tkMarkAt, 7, 8, 0, 0));
  }
};

TEST(ChartFileBytes, EmptyChartIsOneHeaderRecord) {
  TempDir t;
  Chart ch;
  ch.c.SaveData(t.Name("e.dat"));
  EXPECT_EQ(Hex(ReadBytes(t.Name("e.dat"))), kEmptyDataHeader);
  EXPECT_EQ(ch.c.LoadData(t.Name("e.dat"), false), 0);
  EXPECT_EQ(ch.c.NumItems(), 0);
}

TEST(ChartFileBytes, ItemsFollowTheHeaderAndLongTextsEndWithCrLf) {
  TempDir t;
  Chart ch;
  ch.ThreeItemsOneLongText();
  ch.c.SaveData(t.Name("d.dat"));
  const std::string b = ReadBytes(t.Name("d.dat"));
  ASSERT_EQ(b.size(), 4 * kRec + 20 + 2);
  Integer n = 0, l = 0;
  std::memcpy(&n, b.data() + 88, 4);
  std::memcpy(&l, b.data() + 92, 4);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(l, 1);
  EXPECT_EQ(b.substr(kRec, kRec), Bytes(ch.c.GetChartItem(0)));
  EXPECT_EQ(b.substr(3 * kRec, kRec), Bytes(ch.c.GetChartItem(2)));
  EXPECT_EQ(b.substr(4 * kRec), "ABCDEFGHIJKLMNOPQRST\r\n");
}

TEST(ChartFileBytes, AnnotationFileNamesItsFormat) {
  TempDir t;
  Chart ch;
  ch.c.SaveAnno(t.Name("a.ann"));
  EXPECT_EQ(ReadBytes(t.Name("a.ann")).substr(70, 13), "\x0C[ANNOFORMAT]");
}

TEST(ChartFileBytes, CleazKeepsPaddingAndTextBytes) {
  TrcChartItem it;
  std::memset(static_cast<void*>(&it), 0x55, sizeof it);
  CleazOdozaItem(it);
  EXPECT_EQ(it.Pad49[0], 0x55);
  EXPECT_EQ(it.TextChars[0], 0x55);
  EXPECT_EQ(it.TextLength, 0);
  EXPECT_EQ(it.ShadowColor, 0x808080);
  EXPECT_EQ(it.Layer, 1);
}

// ---- round trips --------------------------------------------------------------------------
struct RoundTrip {
  const char* name;
  bool anno;
  int items;
  int longTexts;
};

class ChartFileRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ChartFileRoundTrip, LoadGivesBackWhatWasSaved) {
  const RoundTrip& p = GetParam();
  TempDir t;
  Chart src;
  src.c.SetAnnoMode(p.anno);
  for (int i = 0; i < p.items; ++i) {
    TrcChartItem it = Item(i < p.longTexts ? tkText : tkRect, i, -i, 2.5 * i, 1e300);
    it.Tag = i * 7;
    it.ItemClass = static_cast<Byte>(i);
    src.c.AppendItem(it);
    if (i < p.longTexts) {
      const String text = "long text number " + std::to_string(i) + " \xC3\xBC";
      if (p.anno)
        src.c.SetAnnoLongText(i, text);
      else
        src.c.SetDataLongText(i, text);
    }
  }
  const String name = t.Name("f");
  p.anno ? src.c.SaveAnno(name) : src.c.SaveData(name);
  Chart dst;
  dst.c.AppendItem(Item(tkMarkAt, 9, 9, 0, 0));  // replaced: not an append
  dst.c.SetAnnoMode(true);
  dst.c.AppendItem(Item(tkMarkAt, 9, 9, 0, 0));
  const Integer r = p.anno ? dst.c.LoadAnno(name, false) : dst.c.LoadData(name, false);
  EXPECT_EQ(r, p.items);
  ASSERT_EQ(p.anno ? dst.c.NumAnnos() : dst.c.NumItems(), p.items);
  for (int i = 0; i < p.items; ++i) {
    const TrcChartItem a = p.anno ? src.c.GetAnnoItem(i) : src.c.GetChartItem(i);
    const TrcChartItem b = p.anno ? dst.c.GetAnnoItem(i) : dst.c.GetChartItem(i);
    EXPECT_EQ(Bytes(a), Bytes(b)) << "item " << i;
    EXPECT_EQ(p.anno ? dst.c.GetAnnoLongText(i) : dst.c.GetDataLongText(i),
              p.anno ? src.c.GetAnnoLongText(i) : src.c.GetDataLongText(i));
  }
}

INSTANTIATE_TEST_SUITE_P(Lists, ChartFileRoundTrip,
                         ::testing::Values(RoundTrip{"EmptyData", false, 0, 0},
                                           RoundTrip{"DataNoTexts", false, 5, 0},
                                           RoundTrip{"DataWithTexts", false, 6, 3},
                                           RoundTrip{"DataFullTable", false, 60, 50},
                                           RoundTrip{"AnnoWithTexts", true, 4, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChartFileLoad, AppendRenumbersLongTextsAfterThoseInUse) {
  TempDir t;
  Chart src;
  src.ThreeItemsOneLongText();
  src.c.SaveData(t.Name("d"));
  Chart dst;
  dst.c.AppendItem(Item(tkText, 0, 0, 0, 0));
  dst.c.SetDataLongText(0, "first long text here");
  dst.c.AppendItem(Item(tkText, 0, 0, 0, 0));
  dst.c.SetDataLongText(1, "second long text here");
  EXPECT_EQ(dst.c.LoadData(t.Name("d"), true), 3);
  EXPECT_EQ(dst.c.NumItems(), 5);
  EXPECT_EQ(dst.c.GetChartItem(3).LWid, 3);
  EXPECT_EQ(dst.c.GetDataLongText(3), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(dst.c.GetDataLongText(0), "first long text here");
}

TEST(ChartFileLoad, AppendBeyondTheTableKeepsFiftyLongTexts) {
  TempDir t;
  Chart src;
  for (int i = 0; i < 30; ++i) {
    src.c.AppendItem(Item(tkText, i, 0, 0, 0));
    src.c.SetDataLongText(i, "a long text of item " + std::to_string(i));
  }
  src.c.SaveData(t.Name("d"));
  Chart dst;
  EXPECT_EQ(dst.c.LoadData(t.Name("d"), false), 30);
  EXPECT_EQ(dst.c.LoadData(t.Name("d"), true), 30);
  EXPECT_EQ(dst.c.NumItems(), 60);
  EXPECT_EQ(dst.c.GetChartItem(49).LWid, 50);
  EXPECT_EQ(dst.c.GetDataLongText(49), "a long text of item 19");
  EXPECT_EQ(dst.c.GetChartItem(50).LWid, 0);
  EXPECT_EQ(dst.c.GetDataLongText(50), "a long text of ");  // its 15 characters
}

// ---- damaged files ------------------------------------------------------------------------
struct Damage {
  const char* name;
  std::function<void(std::string&)> spoil;
  Integer result;
};

class ChartFileDamaged : public ::testing::TestWithParam<Damage> {};

TEST_P(ChartFileDamaged, IsRefusedWithoutHarm) {
  TempDir t;
  Chart src;
  src.ThreeItemsOneLongText();
  src.c.SaveData(t.Name("good"));
  std::string bytes = ReadBytes(t.Name("good"));
  GetParam().spoil(bytes);
  WriteBytes(t.Name("bad"), bytes);

  // Each load goes into a chart holding one text item with a long text: a failed load leaves
  // it as it was, an append adds what was read and a plain load replaces it.
  for (const bool append : {true, false}) {
    SCOPED_TRACE(append ? "append" : "replace");
    Chart dst;
    dst.c.AppendItem(Item(tkText, 1, 1, 0, 0));
    dst.c.SetDataLongText(0, "a long text that was there");
    const Integer r = dst.c.LoadData(t.Name("bad"), append);
    EXPECT_EQ(r, GetParam().result);
    if (r < 0) {
      ASSERT_EQ(dst.c.NumItems(), 1);
      EXPECT_EQ(dst.c.GetChartItem(0).ItemKind, tkText);
      EXPECT_EQ(dst.c.GetDataLongText(0), "a long text that was there");
    } else {
      EXPECT_EQ(dst.c.NumItems(), (append ? 1 : 0) + r);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ChartFileDamaged,
    ::testing::Values(
        Damage{"Empty", [](std::string& b) { b.clear(); }, -1},
        Damage{"HeaderOnly",
               [](std::string& b) {
                 b.resize(kRec);
                 Put<Integer>(b, 88, 0);
                 Put<Integer>(b, 92, 0);
               },
               0},
        Damage{"HalfAHeader", [](std::string& b) { b.resize(50); }, -1},
        Damage{"AnnotationFile", [](std::string& b) { b.replace(71, 12, "[ANNOFORMAT]"); }, -2},
        Damage{"LowerCaseName", [](std::string& b) { b[72] = 'd'; }, -2},
        Damage{"LongerName", [](std::string& b) { b[70] = 13; }, -2},
        Damage{"PositiveLWid", [](std::string& b) { Put<Integer>(b, 56, 2); }, -2},
        Damage{"RecordCut", [](std::string& b) { b.resize(3 * kRec + 10); }, -1},
        Damage{"ClaimsMoreItems", [](std::string& b) { Put<Integer>(b, 88, 4); }, -1},
        Damage{"ClaimsHugeCount", [](std::string& b) { Put<Integer>(b, 88, 0x7FFFFFFF); }, -1},
        Damage{"NegativeCount", [](std::string& b) { Put<Integer>(b, 88, -5); }, -1},
        Damage{"UnknownKind", [](std::string& b) { b[kRec + 61] = 24; }, -1},
        Damage{"UnknownFrameStyle", [](std::string& b) { b[2 * kRec + 69] = 6; }, -1},
        Damage{"UnknownCoordMode", [](std::string& b) { b[3 * kRec + 100] = 6; }, -1},
        Damage{"UnknownPenStyle", [](std::string& b) { b[kRec + 48] = 9; }, -1},
        // Fewer complete text lines than the header announces: the file was cut.
        Damage{"TextLineCut", [](std::string& b) { b.resize(b.size() - 5); }, -1},
        Damage{"ClaimsHugeTextCount", [](std::string& b) { Put<Integer>(b, 92, 0x7FFFFFFF); }, -1},
        Damage{"NegativeTextCount", [](std::string& b) { Put<Integer>(b, 92, -1); }, -1},
        // What a text line holds is no damage, nor are lines beyond those announced.
        Damage{"TextLineNotUtf8", [](std::string& b) { b.replace(4 * kRec, 4, "\xFF\xFE\xC3("); },
               3},
        Damage{"ExtraTextLine", [](std::string& b) { b += "one more\r\n"; }, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChartFileLoad, MissingFileGivesMinusOne) {
  TempDir t;
  Chart ch;
  ch.c.AppendItem(Item(tkLine, 1, 1, 2, 2));
  EXPECT_EQ(ch.c.LoadData(t.Name("none"), false), -1);
  EXPECT_EQ(ch.c.LoadAnno(t.Name("none"), false), -1);
}

// A file whose last text line lost anything from its last byte to the whole line is damaged,
// in both lists; the chart keeps what it held.
TEST(ChartFileLoad, LastTextLineCutAnywhereIsDamage) {
  TempDir t;
  const String text(300, 'x');
  for (const bool anno : {false, true}) {
    SCOPED_TRACE(anno ? "annotations" : "data");
    Chart src;
    src.c.SetAnnoMode(anno);
    src.c.AppendItem(Item(tkLine, 1, 2, 3, 4));
    src.c.AppendItem(Item(tkText, 5, 6, 0, 0));
    anno ? src.c.SetAnnoLongText(1, text) : src.c.SetDataLongText(1, text);
    const String name = t.Name("f");
    anno ? src.c.SaveAnno(name) : src.c.SaveData(name);
    const std::string whole = ReadBytes(name);
    ASSERT_EQ(whole.size(), 3 * kRec + 302);
    // Nothing cut; the LF, the CR LF, a character more, half the text, all but its first
    // character, the whole line.
    for (const size_t cut : {0, 1, 2, 3, 152, 301, 302}) {
      WriteBytes(name, whole.substr(0, whole.size() - cut));
      Chart dst;
      dst.c.SetAnnoMode(anno);
      dst.c.AppendItem(Item(tkMarkAt, 9, 9, 0, 0));
      const Integer r = anno ? dst.c.LoadAnno(name, false) : dst.c.LoadData(name, false);
      if (cut == 0) {
        EXPECT_EQ(r, 2);
        EXPECT_EQ(anno ? dst.c.GetAnnoLongText(1) : dst.c.GetDataLongText(1), text);
        continue;
      }
      EXPECT_EQ(r, -1) << "cut by " << cut;
      ASSERT_EQ(anno ? dst.c.NumAnnos() : dst.c.NumItems(), 1);
      EXPECT_EQ((anno ? dst.c.GetAnnoItem(0) : dst.c.GetChartItem(0)).ItemKind, tkMarkAt);
    }
  }
}

TEST(ChartFileSave, FailureRaisesAndLeavesWhatWasThere) {
  TempDir t;
  Chart ch;
  ch.ThreeItemsOneLongText();
  EXPECT_ANY_THROW(ch.c.SaveData(t.Name("no_such_dir/f")));
  fs::create_directory(t.dir / "folder");
  EXPECT_ANY_THROW(ch.c.SaveAnno(t.Name("folder")));
  EXPECT_TRUE(fs::is_directory(t.dir / "folder"));
  EXPECT_EQ(std::distance(fs::directory_iterator(t.dir), fs::directory_iterator()), 1);
}

// Each save on a disk that fills up halfway raises, keeps the file it was to replace and
// leaves nothing beside it.
TEST(ChartFileSave, FullDiskRaisesAndLeavesWhatWasThere) {
  TempDir t;
  Chart ch;
  ch.c.SetAnnoMode(true);
  for (int i = 0; i < 2000; ++i) ch.c.AppendItem(Item(tkRect, i, i, i + 1, i + 1));
  ch.c.SetAnnoMode(false);
  for (int i = 0; i < 2000; ++i) ch.c.AppendItem(Item(tkRect, i, i, i + 1, i + 1));
  const struct {
    const char* what;
    std::function<void(const String&)> save;
  } saves[] = {
      {"data", [&](const String& n) { ch.c.SaveData(n); }},
      {"annotations", [&](const String& n) { ch.c.SaveAnno(n); }},
      {"listing", [&](const String& n) { ch.c.SaveDataASC(n); }},
  };
  const String name = t.Name("f");
  for (const auto& s : saves) {
    SCOPED_TRACE(s.what);
    WriteBytes(name, "what was there");
    {
      const testsupport::FileSizeLimit disk(100000);
      EXPECT_ANY_THROW(s.save(name));
    }
    EXPECT_EQ(ReadBytes(name), "what was there");
    EXPECT_EQ(std::distance(fs::directory_iterator(t.dir), fs::directory_iterator()), 1);
  }
}

// ---- listing ------------------------------------------------------------------------------
TEST(ChartItemDescription, PartsFollowTheFlags) {
  const TrcChartItem line = Item(tkLine, 1, 2.5, 3, 4);
  EXPECT_EQ(ItemDescription(line, 3),
            "elemtype: tkLine\r\n startpnt: [1.0000/2.5000]\r\n endpoint: [3.0000/4.0000]");
  EXPECT_EQ(ItemDescription(line, 2),
            "\r\n startpnt: [1.0000/2.5000]\r\n endpoint: [3.0000/4.0000]");
  TrcChartItem r = Item(tkRect, 0, 0, 1, 1);
  r.Tag = -1;
  r.Color = 0xFF;
  r.ItemClass = 7;
  r.CoordMode = cmAllScreen;
  EXPECT_EQ(
      ItemDescription(r, 31),
      "elemtype: tkRect\r\n startpnt: [0.0000/0.0000] (screen coords)\r\n endpoint: [1.0000/1.0000]"
      "\r\n      tag: FFFFFFFF\r\n    color: 000000FF\r\n penstyle: 00\r\n classnum: 7");
  EXPECT_EQ(ItemDescription(r, -1),
            ItemDescription(r, 31) +
                "\r\nlinewidth: 0\r\n   corner: [1.0000/1.0000]\r\nfillcolor: 00FFFFFF\r\n  "
                "transp.: FALSE");
  EXPECT_EQ(ItemDescription(Item(tkLineto, 0, 0, 0, 0), 1), "elemtype: tkLineTo");
  EXPECT_EQ(ItemDescription(Item(tkCursorVert, 1.25, 9, 0, 0), 2),
            "\r\n position: [1.2500]\r\n endpoint: [0.0000/0.0000]");
}

TEST(ChartItemDescription, TextShowsOnlyLettersAndDigits) {
  TrcChartItem t = Item(tkText, 0, 0, 0, 0);
  t.SetText("a b-C9");
  t.LWid = 2;
  t.Param1 = 12;
  EXPECT_EQ(ItemDescription(t, -1).substr(ItemDescription(t, 31).size()),
            "\r\n     text: \"a_b_C9\" (abbrev.)\r\n     size: 12\r\n    align: 0");
}

TEST(ChartListing, OneBlockPerItem) {
  TempDir t;
  Chart ch;
  ch.c.AppendItem(Item(tkMarkAt, 1, 2, 0, 0));
  ch.c.AppendItem(Item(tkLine, 1, 2, 3, 4));
  ch.c.SaveDataASC(t.Name("l.txt"));
  const TrcChartItem m = ch.c.GetChartItem(0);
  const TrcChartItem l = ch.c.GetChartItem(1);
  EXPECT_EQ(ReadBytes(t.Name("l.txt")), "\r\n------ item 0 ------\r\n  " + ItemDescription(m, -1) +
                                            kCrLf + "\r\n------ item 1 ------\r\n  " +
                                            ItemDescription(l, -1) + kCrLf);
  EXPECT_THROW(ch.c.SaveDataASC(t.Name("no_such_dir/l.txt")), EInOutError);
}

// ---- copying annotations ------------------------------------------------------------------
struct AnnoChart : Chart {
  AnnoChart() {
    c.SetAnnoMode(true);
    for (int i = 0; i < 4; ++i) {
      TrcChartItem it = Item(i % 2 ? tkText : tkLine, i, i, 0, 0);
      it.ItemClass = static_cast<Byte>(i % 2 ? 3 : 5);
      c.AppendItem(it);
      if (i % 2) c.SetAnnoLongText(i, "annotation text " + std::to_string(i));
    }
  }
};

TEST(ChartCopyAnno, EmptyFilterCopiesAll) {
  AnnoChart src;
  Chart dst;
  dst.c.CopyAnnoFrom(&src.c, {}, false);
  ASSERT_EQ(dst.c.NumAnnos(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Bytes(dst.c.GetAnnoItem(i)), Bytes(src.c.GetAnnoItem(i)));
    EXPECT_EQ(dst.c.GetAnnoLongText(i), src.c.GetAnnoLongText(i));
  }
}

TEST(ChartCopyAnno, FilterByClassRenumbersTexts) {
  AnnoChart src;
  AnnoChart dst;
  dst.c.CopyAnnoFrom(&src.c, {3}, true);
  ASSERT_EQ(dst.c.NumAnnos(), 6);
  EXPECT_EQ(dst.c.GetAnnoItem(4).LWid, 3);
  EXPECT_EQ(dst.c.GetAnnoLongText(5), "annotation text 3");
  EXPECT_EQ(dst.c.NumAllocAnno(), 6);
  dst.c.CopyAnnoFrom(&src.c, {3, 3}, false);  // a class listed twice reserves twice
  EXPECT_EQ(dst.c.NumAnnos(), 2);
  EXPECT_EQ(dst.c.NumAllocAnno(), 4);
}

TEST(ChartCopyAnno, FromItself) {
  AnnoChart a;
  a.c.CopyAnnoFrom(&a.c, {}, true);
  ASSERT_EQ(a.c.NumAnnos(), 8);
  EXPECT_EQ(a.c.GetAnnoLongText(7), "annotation text 3");
  a.c.CopyAnnoFrom(&a.c, {}, false);
  EXPECT_EQ(a.c.NumAnnos(), 0);
}
}  // namespace
