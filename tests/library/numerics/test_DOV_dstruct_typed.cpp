#include <gtest/gtest.h>

#include <cmath>

#include "DOV_dstruct_typed.h"
#include "SysUtils.h"
#include "TestSupport.h"

// Test names show the value and its kind.
void PrintTo(const Variant& v, std::ostream* os) {
  *os << "kind " << v.VarType() << " " << (v.IsNull() ? String("null") : VarToStr(v));
}

namespace {

TFeatProps Props(const char* name, TFeatKind kind, Integer num = 0) {
  TFeatProps p;
  p.FeatName = name;
  p.FeatKind = kind;
  p.FeatNum = num;
  return p;
}

// Features: 1 integer, 2 double, 3 string, 4 tri-state, 5 undefined.
void Shape(TFeatureMatrix& m) {
  m.Resize(5, 3);
  m.SetFeatProps(1, Props("count", fkInteger, 11));
  m.SetFeatProps(2, Props("ratio", fkDouble, 12));
  m.SetFeatProps(3, Props("label", fkString, 13));
  m.SetFeatProps(4, Props("flag", fkTriState, 14));
}

String MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ESDLDStructError& e) {
    return e.Message;
  }
  return "(no exception)";
}

TEST(TFeatureMatrix, ValuesAreCheckedByKind) {
  TFeatureMatrix m(nullptr);
  m.SetName("FM");
  Shape(m);
  m.SetFeatValStr(1, 1, "42");
  EXPECT_EQ(m.GetFeatValInt(1, 1), 42);
  EXPECT_EQ(MessageOf([&] { m.SetFeatValStr(1, 2, "12.5"); }),
            "Component \"FM\": feature value \"12.5\" is not a valid integer number");
  m.SetFeatValStr(1, 2, "");
  EXPECT_EQ(m.GetFeatValStr(1, 2), "");
  m.SetFeatValDouble(2, 1, 0.1);
  EXPECT_EQ(m.GetFeatValDouble(2, 1), 0.1);
  m.SetFeatValDouble(2, 1, 2.3871552257471772e174);  // the nearest double to its digits
  EXPECT_EQ(m.GetFeatValDouble(2, 1), 2.3871552257471772e174);
  m.SetFeatValTriState(3, 1, tsTrue);
  EXPECT_EQ(m.GetFeatValStr(3, 1), "true");
  m.SetFeatValStr(4, 1, "TRUE");
  EXPECT_EQ(m.GetFeatValTriState(4, 1), tsTrue);
  EXPECT_EQ(MessageOf([&] { m.SetFeatValStr(4, 1, "maybe"); }),
            "Component \"FM\": feature value \"maybe\" is not a valid tri-state value");
  EXPECT_EQ(MessageOf([&] { m.GetFeatValStr(5, 1); }), "Component \"FM\": feature 5 is undefined");
  EXPECT_EQ(MessageOf([&] { m.SetFeatValint(4, 1, 3); }),
            "Component \"FM\": feature is not of numeric or string type");
  EXPECT_EQ(MessageOf([&] { m.SetFeatValDouble(1, 1, 3); }),
            "Component \"FM\": feature is not a floating point or string type");
  EXPECT_EQ(MessageOf([&] { m.SetFeatValTriState(1, 1, tsFalse); }),
            "Component \"FM\": feature is not a tri-state or string type");
  m.SetFeatValStr(3, 2, "abc");
  EXPECT_EQ(MessageOf([&] { m.GetFeatValInt(3, 2); }),
            "Component \"FM\": feature is not an integer");
  EXPECT_EQ(MessageOf([&] { m.GetFeatValDouble(3, 2); }),
            "Component \"FM\": feature is not a floating point number");
  EXPECT_EQ(MessageOf([&] { m.GetFeatValTriState(3, 2); }),
            "Component \"FM\": feature is not a tri-state value");
  m.SetFeatValStr(1, 3, "99999999999");
  EXPECT_THROW(m.GetFeatValInt(1, 3), EConvertError);
  // Outside the matrix: reads give their neutral values, writes are ignored.
  EXPECT_EQ(m.GetFeatValStr(9, 1), "");
  EXPECT_EQ(m.GetFeatValInt(1, 9), 0);
  EXPECT_EQ(m.GetFeatValTriState(0, 0), tsUndefined);
  m.SetFeatValStr(9, 9, "x");
}

TEST(TFeatureMatrix, FillsAndShape) {
  TFeatureMatrix m(nullptr);
  m.SetName("FM");
  Shape(m);
  EXPECT_TRUE(m.Fill(1, Int64(7)));
  EXPECT_EQ(m.GetFeatValInt(1, 3), 7);
  EXPECT_TRUE(m.Fill(2, 2.5));
  EXPECT_TRUE(m.Fill(4, tsFalse));
  EXPECT_FALSE(m.Fill(9, String("x")));
  EXPECT_EQ(MessageOf([&] { m.Fill(1, String("")); }),
            "Component \"FM\": feature value \"\" is not a valid integer number");
  EXPECT_EQ(MessageOf([&] { m.Fill(2, Int64(1)); }),
            "Component \"FM\": feature 2 is not an integer number");
  EXPECT_EQ(MessageOf([&] { m.Fill(1, 1.5); }),
            "Component \"FM\": feature 1 is not floating point number");
  EXPECT_EQ(MessageOf([&] { m.Fill(1, tsTrue); }),
            "Component \"FM\": feature 1 is not a tri-state value");

  m.InsertObject(2);
  EXPECT_EQ(m.NObjects(), 4);
  EXPECT_EQ(m.GetFeatValStr(1, 2), "0");  // the default of an integer feature
  m.InsertObject(5);                      // beyond the last object: nothing
  EXPECT_EQ(m.NObjects(), 4);
  m.InsertFeature(6);
  EXPECT_EQ(m.GetFeatProps(6).FeatName, "undefined");
  m.RemoveObject(1);
  EXPECT_EQ(m.NObjects(), 3);
  EXPECT_EQ(m.FindFeatName("RATIO"), 2);
  EXPECT_EQ(m.FindFeatNum(14), 4);
  EXPECT_EQ(m.FindFeatNum(99), -1);
  EXPECT_FALSE(m.Resize(MaxFeatures + 1, 1));
  EXPECT_FALSE(m.Resize(4096, 4096));
  EXPECT_EQ(m.NFeatures(), 6);
}

TEST(TFeatureMatrix, TextFileOfTwoFeaturesAndThreeObjects) {
  testsupport::TempDir dir;
  TFeatureMatrix m(nullptr);
  m.Resize(2, 3);
  m.SetFeatProps(1, Props("n", fkInteger, 5));
  m.SetFeatProps(2, Props("s", fkString));
  m.SetFeatValStr(1, 2, "8");
  m.SetFeatValStr(2, 2, "a b");
  const String name = (dir.path() / "fm.txt").string();
  m.Save(name);
  EXPECT_EQ(dir.read("fm.txt"),
            "#featdef 2 1\r\n1 fplFeatNum 5\r\n1 fplFeatName n\r\n1 fplFeatKind fkInteger\r\n"
            "1 fplComment \r\n1 fplPresets \r\n1 fplSorted FALSE\r\n2 fplFeatNum 0\r\n"
            "2 fplFeatName s\r\n2 fplFeatKind fkString\r\n2 fplComment \r\n2 fplPresets \r\n"
            "2 fplSorted FALSE\r\n#featvals 2 3\r\n1 2 8\r\n2 2 a b\r\n#featend\r\n");
}

class FeatureMatrixRoundTrip : public ::testing::TestWithParam<std::pair<TFeatKind, String>> {};

TEST_P(FeatureMatrixRoundTrip, KeepsPropertiesAndValues) {
  testsupport::TempDir dir;
  const auto& [kind, value] = GetParam();
  TFeatureMatrix m(nullptr), back(nullptr);
  m.Resize(2, 3);
  TFeatProps p = Props("feature name", kind, -7);
  p.Comment = "a comment";
  p.PresetValues = "1;2;3";
  p.Sorted = true;
  m.SetFeatProps(2, p);
  m.SetFeatValStr(2, 3, value);
  const String name = (dir.path() / "fm.txt").string();
  m.Save(name);
  ASSERT_EQ(back.Load(name), 0);
  EXPECT_EQ(back.NFeatures(), 2);
  EXPECT_EQ(back.NObjects(), 3);
  const TFeatProps q = back.GetFeatProps(2);
  EXPECT_EQ(q.FeatName, "feature name");
  EXPECT_EQ(q.FeatKind, kind);
  EXPECT_EQ(q.FeatNum, -7);
  EXPECT_EQ(q.Comment, "a comment");
  EXPECT_EQ(q.PresetValues, "1;2;3");
  EXPECT_TRUE(q.Sorted);
  EXPECT_EQ(back.GetFeatValStr(2, 3), value);
  EXPECT_EQ(back.GetFeatValStr(2, 1), "");
}

INSTANTIATE_TEST_SUITE_P(Kinds, FeatureMatrixRoundTrip,
                         ::testing::Values(std::make_pair(fkInteger, String("-12")),
                                           std::make_pair(fkDouble, String("1.5e-300")),
                                           std::make_pair(fkString, String("two words")),
                                           std::make_pair(fkTriState, String("false"))));

TEST(TFeatureMatrix, HostileFiles) {
  testsupport::TempDir dir;
  const String name = (dir.path() / "h.txt").string();
  const std::pair<const char*, Integer> cases[] = {
      {"no sections here\r\n", -2},
      {"#featdef 999999999 1\r\n", -3},
      {"#featvals 60000 60000\r\n", -3},
      {"#featdef x 1\r\n", -3},
      {"#featvals 2 2\r\n1 1 a\r\n9 9 out of range\r\n-1 1 negative\r\n2 2 b\r\n", 0},
      {"#featdef 1 1\r\n1 fplFeatKind fkNothing\r\n7 fplFeatName outside\r\n", 0},
      {"#featdef 3 1\r\n1 fplFeatName cut short", 0},
      {"#featvals 1 1\r\nq 1 x\r\n", -3},
  };
  for (const auto& [text, want] : cases) {
    dir.write("h.txt", text);
    TFeatureMatrix m(nullptr);
    EXPECT_EQ(m.Load(name), want) << text;
    EXPECT_LE(m.NFeatures(), 3) << text;
  }
  TFeatureMatrix m(nullptr);
  dir.write("h.txt", "#featvals 2 2\r\n1 1 a\r\n9 9 out of range\r\n2 2 b\r\n");
  ASSERT_EQ(m.Load(name), 0);
  m.SetFeatProps(1, Props("a", fkString));
  m.SetFeatProps(2, Props("b", fkString));
  EXPECT_EQ(m.GetFeatValStr(1, 1), "a");
  EXPECT_EQ(m.GetFeatValStr(2, 2), "b");
  EXPECT_EQ(TFeatureMatrix(nullptr).Load((dir.path() / "none").string()), -1);
}

// ---- associative array ----

TEST(TAssocArray, KeysValuesAndCase) {
  TAssocArray a(nullptr);
  a.Add("Alpha", Variant(1));
  EXPECT_EQ(a.Resolve("ALPHA").AsInteger(), 1);
  EXPECT_EQ(a.Keys(1), "alpha");
  a.Add("alpha", Variant(2));
  EXPECT_EQ(a.NumEntries(), 1);
  EXPECT_EQ(a.Resolve("alpha").AsInteger(), 2);
  TAssocArray b(nullptr);
  b.SetIgnoreCase(false);
  b.Add("Alpha", Variant(1));
  EXPECT_TRUE(b.Resolve("ALPHA").IsNull());
  EXPECT_EQ(b.ResolveAsString("ALPHA"), "");

  TAssocArray c(nullptr);
  c.Add("a", Variant(1));
  c.Add("b", Variant(2));
  c.Add("c", Variant(3));
  EXPECT_TRUE(c.Remove("a"));
  EXPECT_FALSE(c.Remove("zz"));
  EXPECT_EQ(c.Keys(1), "c");
  EXPECT_EQ(c.Keys(9), "");
  EXPECT_EQ(c.Values(9).AsString(), "");
  c.SetValues(9, Variant(5));  // ignored
  EXPECT_EQ(c.NumEntries(), 2);
}

TEST(TAssocArray, ConversionsOfValues) {
  TAssocArray a(nullptr);
  a.Add("t", Variant("2,5"));
  a.Add("d", Variant(2.5));
  a.Add("i", Variant(Int64(7)));
  a.Add("s", Variant(" 12abc"));
  EXPECT_DOUBLE_EQ(a.ResolveAsNumber("t"), 2.5);
  EXPECT_EQ(a.ResolveAsInt("d"), 0);
  EXPECT_EQ(a.ResolveAsInt("i"), 7);
  EXPECT_EQ(a.ResolveAsInt("s"), 12);
  EXPECT_EQ(a.ResolveAsNumber("missing"), 0);
}

TEST(TAssocArray, AttributesText) {
  TAssocArray a(nullptr);
  EXPECT_EQ(a.AddXMLAttributes("a=1 b=\"x y\" c=3"), 3);
  EXPECT_EQ(a.ResolveAsString("a"), "1");
  EXPECT_EQ(a.ResolveAsString("b"), "x y");
  EXPECT_EQ(a.ResolveAsString("c"), "3");
  EXPECT_EQ(a.Resolve("b").VarType(), varUString);
  EXPECT_EQ(a.AddXMLAttributes("d=\"open"), 1);
  EXPECT_EQ(a.ResolveAsString("d"), "");
}

TEST(TAssocArray, GrowsByGranularity) {
  TAssocArray a(nullptr);
  a.SetGranularity(0);
  EXPECT_EQ(a.Granularity(), 1);
  a.SetGranularity(2);
  a.Clear();
  for (int i = 0; i < 9; ++i) a.Add("k" + IntToStr(i), Variant(i));
  EXPECT_EQ(a.NumEntries(), 9);
  EXPECT_EQ(a.Resolve("k8").AsInteger(), 8);
}

class AssocRoundTrip : public ::testing::TestWithParam<std::pair<Variant, Word>> {};

TEST_P(AssocRoundTrip, KeepsValueAndKind) {
  const auto& [value, kind] = GetParam();
  TAssocArray a(nullptr), back(nullptr);
  a.Add("first", Variant("before"));
  a.Add("Key One", value);
  TMemoryStream s;
  a.WriteToXMLStream(s, true, "Vars");
  s.SetPosition(0);
  ASSERT_TRUE(back.ReadFromXMLStream(s, "vars"));
  EXPECT_EQ(back.DataID(), "vars");
  ASSERT_EQ(back.NumEntries(), 2);
  EXPECT_EQ(back.Keys(2), "key one");
  const Variant v = back.Values(2);
  EXPECT_EQ(v.VarType(), kind);
  if (value.IsNull()) {
    EXPECT_TRUE(v.IsNull());
  } else {
    EXPECT_EQ(VarToStr(v), VarToStr(value));
  }
  if (value.IsNumeric() || value.VarType() == varDate) {
    EXPECT_EQ(v.AsDouble(), value.AsDouble());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AssocRoundTrip,
    ::testing::Values(
        std::make_pair(Variant(Integer(-5)), varInteger), std::make_pair(Variant(0.1), varDouble),
        std::make_pair(Variant(1e300), varDouble),
        std::make_pair(Variant(2.3871552257471772e174), varDouble),
        std::make_pair(Variant::OfType(varCurrency, 12.3456), varCurrency),
        std::make_pair(Variant(true), varBoolean),
        std::make_pair(Variant::FromDate(EncodeDate(2024, 3, 5) + EncodeTime(12, 30, 15, 0)),
                       varDate),
        std::make_pair(Variant(Int64(1) << 40), varInt64),
        std::make_pair(Variant("text with blanks"), varUString),
        std::make_pair(Variant::OfType(varSmallint, 7), varInteger),
        std::make_pair(Variant(1.5f), varDouble), std::make_pair(Variant::Null(), varNull)));

TEST(TAssocArray, HostileDocuments) {
  const String head = "<assocarray sig=\"ZUDUZidad\" vers=\"1.0\" id=\"x\">\r\n";
  struct Case {
    const char* what;
    String body;
    bool ok;
    Integer entries;
  };
  const Case cases[] = {
      {"cut short",
       "<numentries>1</numentries>\r\n<assoc ix=\"1\" key=\"a\" value=\"1\" type=\"3\" />", false,
       1},
      {"huge count", "<numentries>2000000000</numentries></assocarray>", false, 0},
      {"indexes outside",
       "<numentries>1</numentries><assoc ix=\"5\" key=\"a\" value=\"1\" type=\"3\" />"
       "<assoc ix=\"-1\" key=\"b\" value=\"1\" type=\"3\" /></assocarray>",
       true, 1},
      {"unknown type",
       "<numentries>1</numentries><assoc ix=\"1\" key=\"a\" value=\"1\" type=\"99\" />"
       "</assocarray>",
       true, 1},
  };
  for (const Case& c : cases) {
    TAssocArray a(nullptr);
    TStringStream s(head + c.body);
    EXPECT_EQ(a.ReadFromXMLStream(s, ""), c.ok) << c.what;
    EXPECT_EQ(a.NumEntries(), c.entries) << c.what;
  }
  TAssocArray a(nullptr);
  TStringStream bad(
      head + "<numentries>1</numentries><assoc ix=\"1\" key=\"a\" value=\"x\" type=\"3\" />");
  EXPECT_THROW(a.ReadFromXMLStream(bad, ""), EConvertError);
  TStringStream other(head + "</assocarray>");
  EXPECT_FALSE(a.ReadFromXMLStream(other, "y"));
}

}  // namespace
