// The text extractor: script splitting, every command, its errors, the emit event and the
// debug trace line by line.
#include "DOV_math2_expr.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "RtlInit.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "TimeZone.h"

namespace {

struct TVarValue {
  const char* name;
  Variant value;  // Null: undefined
};

struct TScriptCase {
  const char* source;
  const char* script;
  bool result;
  Integer position;  // read position after the run
  std::vector<TVarValue> vars;
};

const TScriptCase kScriptCases[] = {
    // ";" ends a command even inside quotes, so ";" cannot be a delimiter: "," stands in.
    {"Graz,17.5,x",
     "pos(1); copyuntil(',', town); copy(4, val)",
     true,
     10,
     {{"town", Variant(String("Graz"))}, {"val", Variant(String("17.5"))}}},
    {"Graz,17.5,x", "pos(1)\ncopyuntil(',', town)", true, 6, {{"town", Variant(String("Graz"))}}},
    // From position 0 copyuntil takes the first delimiter character too.
    {"Graz,17.5,x", "copyuntil(',', town)", true, 6, {{"town", Variant(String("Graz,"))}}},
    {"Graz;17.5;x", "pos(7); copyuntil('#', rest)", true, 12, {{"rest", Variant(String("7.5;x"))}}},
    {"banana", "pos(1); find(2,'a')", true, 4, {}},
    {"banana", "pos(1); find(5,'a')", true, 1, {}},
    {"banana", "pos(1); find(1,NAN)", true, 3, {}},  // quotes left out, case ignored
    {"0123456789", "pos(0)", true, 1, {}},
    {"0123456789", "pos(1000)", true, 11, {}},
    {"0123456789", "inc(-50)", true, 1, {}},
    {"0123456789", "inc(4)", true, 4, {}},  // counts from 0
    {"0123456789", "pos(3); inc(2)", true, 5, {}},
    {"abcdef",
     "copy(3, a); copy(3, b)",
     true,
     6,
     {{"a", Variant(String("abc"))}, {"b", Variant(String("cde"))}}},
    {"abcdef",
     "pos(1); copy(3, a); copy(3, b)",
     true,
     7,
     {{"a", Variant(String("abc"))}, {"b", Variant(String("def"))}}},
    {"abcdef",
     "pos(5); copy(10, a); copy(2, b)",
     true,
     17,
     {{"a", Variant(String("ef"))}, {"b", Variant(String(""))}}},
    {"",
     "calc(x=2*3); assign(y='abc'); strcomp(same=y,'abc'); exiton(same); calc(z=1)",
     false,
     0,
     {{"x", Variant(6.0)}, {"y", Variant(String("abc"))}, {"same", Variant(true)}, {"z", Null()}}},
    {"",
     "assign(y='abd'); strcomp(same=y,'abc'); exiton(same); calc(z=1)",
     true,
     0,
     {{"same", Variant(false)}, {"z", Variant(1.0)}}},
    {"", "strcomp(same=nothing,'abc')", true, 0, {{"same", Variant(false)}}},
    {"",
     "assign(n=1,5e2); assign(m=abc); assign(t=''); assign( k = 'x y' )",
     true,
     0,
     {{"n", Variant(150.0)},
      {"m", Variant(0.0)},
      {"t", Variant(String(""))},
      {"k", Variant(String("x y"))}}},
    // Names keep what stands before "=", blanks included, and compare without case.
    {"", "calc(x = 1)", true, 0, {{"x ", Variant(1.0)}, {"x", Null()}}},
    {"", "calc(X=1); calc(y=x+1)", true, 0, {{"y", Variant(2.0)}}},
    {"",
     "# a comment; calc(a=1)\n\n#another\ncalc(b=a+1)",
     true,
     0,
     {{"a", Variant(1.0)}, {"b", Variant(2.0)}}},
    {"Hello World",
     "makeuc($SourceString); pos(1); copy(5, w)",
     true,
     6,
     {{"w", Variant(String("HELLO"))}}},
    {"Hello World",
     "makelc($sourcestring); pos(7); copy(5, w); makeuc(w)",
     true,
     12,
     {{"w", Variant(String("WORLD"))}}},
    {"",
     "assign(v='MiXeD'); makelc(v); makeuc(nothing)",
     true,
     0,
     {{"v", Variant(String("mixed"))}, {"nothing", Null()}}},
    {"2024-03-05 14:30:15 rest",
     "scandatetime('yyyy-MM-dd HH:mm:ss', t)",
     true,
     0,
     {{"t", Variant(EncodeDate(2024, 3, 5) + EncodeTime(14, 30, 15, 0))}}},
    {"", "", true, 0, {}},
};

class ExtractorScripts : public testing::TestWithParam<TScriptCase> {};

TEST_P(ExtractorScripts, VariablesPositionAndResult) {
  const TScriptCase& c = GetParam();
  TExtractor ex(nullptr);
  ex.SetSource(c.source);
  ex.SetExtCommands(c.script);
  EXPECT_EQ(ex.Execute(), c.result) << c.script;
  EXPECT_EQ(ex.ReadPosition(), c.position) << c.script;
  for (const TVarValue& v : c.vars) {
    const Variant got = ex.Value(v.name);
    if (v.value.IsNull()) {
      EXPECT_TRUE(got.IsNull()) << c.script << ": " << v.name;
    } else {
      EXPECT_EQ(got.VarType(), v.value.VarType()) << c.script << ": " << v.name;
      EXPECT_EQ(VarToStr(got), VarToStr(v.value)) << c.script << ": " << v.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ExtractorScripts, testing::ValuesIn(kScriptCases));

struct TFailCase {
  const char* source;
  const char* script;
  const char* text;  // after 'Component "Ex": '
};

const TFailCase kFailCases[] = {
    {"", "pos 3", "missing parameters in command \"pos 3\""},
    {"", "pos(1);;", "missing parameters in command \";\""},  // ";" stays in its command
    {"a;b", "copyuntil(';', x)", "unmatched paranthesis in command \"copyuntil(';\""},
    {"", "pos(3", "unmatched paranthesis in command \"pos(3\""},
    {"", "foo(1)", "command \"foo\" is unknown"},
    {"", "POS(1)", "command \"POS\" is unknown"},
    {"abc", "copy(2, 1x)", "invalid variable name in command \"copy\""},
    {"abc", "copy(0, x)", "invalid number of characters in command \"copy\""},
    {"abc", "copyuntil('b', _x)", "invalid variable name in command \"copy\""},
    {"abc", "copyuntil('b')", "invalid variable name in command \"copy\""},
    {"", "assign(1x=3)", "invalid variable name in command \"copy\""},
    {"", "calc(=3)", "invalid variable name in command \"calc\""},
    {"", "calc(3)", "invalid variable name in command \"calc\""},
    {"", "strcomp(r=x)", "invalid parameters in command \"strcopy\""},
    {"", "scandatetime('yyyy', 9)", "invalid variable name in command \"scandatatime\""},
    {"not a date at all", "scandatetime('yyyy-MM-dd', d)",
     "scandatetime received invalid string (\"not a date at all\")"},
    {"2024-02-30", "pos(1); scandatetime('yyyy-MM-dd', d)",
     "scandatetime received invalid string (\"2024-02-30\")"},
};

class ExtractorFailures : public testing::TestWithParam<TFailCase> {};

TEST_P(ExtractorFailures, RaiseTheComponentMessage) {
  const TFailCase& c = GetParam();
  TExtractor ex(nullptr);
  ex.SetName("Ex");
  ex.SetSource(c.source);
  ex.SetExtCommands(c.script);
  try {
    ex.Execute();
    FAIL() << c.script << " did not raise";
  } catch (const ESDLMath2Error& e) {
    EXPECT_EQ(e.Message, String("Component \"Ex\": ") + c.text) << c.script;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ExtractorFailures, testing::ValuesIn(kFailCases));

TEST(Extractor, ExpressionErrorsAreTheEvaluatorsAndLeaveTheState) {
  TExtractor ex(nullptr);
  ex.SetSource("abcdef");
  // "x " was stored with its blank, so "x" is undefined.
  ex.SetExtCommands("pos(2); copy(2, a); calc(x = 1); calc(y=x+1)");
  try {
    ex.Execute();
    FAIL();
  } catch (const ESDLMathExp& e) {
    EXPECT_EQ(e.Message, "Component \"\": undefined variable \"x\"");
    EXPECT_EQ(e.HelpContext, 101);
  }
  EXPECT_EQ(ex.ReadPosition(), 4);
  EXPECT_EQ(VarToStr(ex.Value("a")), "bc");
  // A stored empty text reads as undefined in an expression.
  ex.SetExtCommands("assign(e=''); calc(f=e+1)");
  EXPECT_THROW(ex.Execute(), ESDLMathExp);
  // The next run starts afresh.
  ex.SetExtCommands("calc(z=2)");
  EXPECT_TRUE(ex.Execute());
  EXPECT_EQ(ex.ReadPosition(), 0);
  EXPECT_TRUE(ex.Value("a").IsNull());
}

TEST(Extractor, SplittingKeepsTheSemicolonAndDropsControlCharacters) {
  TExtractor ex(nullptr);
  ex.SetExtCommands("  pos(1);copy(2,\ta) \r\n\n  # note ; find(1,'x;y')  ");
  EXPECT_EQ(ex.ExtractionCommands(), "pos(1);copy(2,\ta) \r\n\n  # note ; find(1,'x;y')");
  ASSERT_EQ(ex.CommandCount(), 5);
  EXPECT_EQ(ex.Command(0), "pos(1);");
  EXPECT_EQ(ex.Command(1), "copy(2,a)");
  EXPECT_EQ(ex.Command(2), "# note ;");
  EXPECT_EQ(ex.Command(3), "find(1,'x;");
  EXPECT_EQ(ex.Command(4), "y')");
}

TEST(Extractor, EmitFiresWithNameValueAndType) {
  struct TEmitted {
    String name;
    Variant value;
    TEmitType type;
  };
  std::vector<TEmitted> emitted;
  TExtractor ex(nullptr);
  ex.OnEmit = [&](TObject* Sender, const String& Name, const Variant& Value, TEmitType Type) {
    EXPECT_EQ(Sender, &ex);
    emitted.push_back({Name, Value, Type});
  };
  ex.SetExtCommands(
      "calc(x=2); emit(v=x+1:etinteger); emit(v=x+1:ETDOUBLE); emit(v=x+1:text); "
      "emit(w=x>1); emit(u = x:etuser2)");
  EXPECT_TRUE(ex.Execute());
  ASSERT_EQ(emitted.size(), 5u);
  EXPECT_EQ(emitted[0].name, "v");
  EXPECT_EQ(emitted[0].value.AsDouble(), 3);
  EXPECT_EQ(emitted[0].type, etInteger);
  EXPECT_EQ(emitted[1].type, etDouble);
  EXPECT_EQ(emitted[2].type, etDefault);
  EXPECT_EQ(emitted[3].value, Variant(true));
  EXPECT_EQ(emitted[3].type, etDefault);
  EXPECT_EQ(emitted[4].name, "u ");
  EXPECT_EQ(emitted[4].type, etUser2);
  // Nothing is stored by emit.
  EXPECT_TRUE(ex.Value("v").IsNull());
}

class ExtractorTrace : public testing::Test {
protected:
  void SetUp() override {
    InitRuntime();
    SetTimeZoneForTesting(CentralEuropeanTimeZone());
    SetClockForTesting([] { return 1.7e9; });  // 2023-11-14 22:13:20 UTC
  }
  void TearDown() override { SetClockForTesting(nullptr); }

  std::vector<String> Run(const String& source, const String& script) {
    TExtractor ex(nullptr);
    std::filesystem::remove(dir.path() / "trace.txt");  // the trace appends to what is there
    ex.DebugFileName = (dir.path() / "trace.txt").string();
    ex.SetSource(source);
    ex.SetExtCommands(script);
    try {
      ex.Execute();
    } catch (const ESDLError&) {}
    std::vector<String> lines;
    const String text = dir.read("trace.txt");
    size_t start = 0;
    for (size_t nl; (nl = text.find("\r\n", start)) != String::npos; start = nl + 2)
      lines.push_back(text.substr(start, nl - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
  }

  testsupport::TempDir dir;
};

TEST_F(ExtractorTrace, EveryCommandLeavesItsLines) {
  const std::vector<String> expected = {
      "",
      "------------ 2023-11-14  23:13:20 ------------",
      "Source data to be interpreted: Graz,17.5;x 2024-03-05",
      "Execute \"# start\"",
      "Execute \"pos(1);\"",
      "  ... FSPos=1",
      "Execute \"copyuntil(',', town)\"",
      "  ... FSPos=6",
      "  ... town=Graz",
      "Execute \"copy(4, val);\"",
      "  ... FSPos=10",
      "  ... val=17.5",
      "Execute \"inc(3);\"",
      "  ... FSPos=13",
      "Execute \"find(1,'-');\"",
      "  ... FSPos=17",
      "Execute \"inc(-4);\"",
      "  ... FSPos=13",
      "Execute \"scandatetime('yyyy-MM-dd', day);\"",
      "  ... FSPos=13",
      "  ... day=2024-03-05 00:00:00",
      "Execute \"assign(k = 'Graz');\"",
      "  ... FSPos=13",
      "  ... k='Graz'",
      "Execute \"calc(n=val*2);\"",
      "  ... n=35",
      "  ... variables used for calc: ",
      "       val=17.5",
      "Execute \"emit(out=n+Val+n:etdouble);\"",
      "  ... result: out=87.5",
      "  ... variables used for emit: ",
      "       n=35",
      "       Val=17.5",
      "Execute \"makeuc(town);\"",
      "  ... town=GRAZ",
      "Execute \"makelc($sourcestring);\"",
      "  ... source string: graz,17.5;x 2024-03-05",
      "Execute \"strcomp(same=k,'Graz');\"",
      "  ... same=TRUE",
      "Execute \"exiton(same)\"",
      "  ... same=true",
  };
  const std::vector<String> lines =
      Run("Graz,17.5;x 2024-03-05",
          "# start\npos(1);\ncopyuntil(',', town)\ncopy(4, val);inc(3);find(1,'-');inc(-4);"
          "scandatetime('yyyy-MM-dd', day);assign(k = 'Graz');calc(n=val*2);"
          "emit(out=n+Val+n:etdouble);makeuc(town);makelc($sourcestring);"
          "strcomp(same=k,'Graz');exiton(same)");
  ASSERT_EQ(lines.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
}

TEST_F(ExtractorTrace, FailuresOfScanDateTimeAreTracedFirst) {
  EXPECT_EQ(Run("2024-13-45 and more text behind it", "scandatetime('yyyy-MM-dd', d)"),
            (std::vector<String>{
                "", "------------ 2023-11-14  23:13:20 ------------",
                "Source data to be interpreted: 2024-13-45 and more text behind it",
                "Execute \"scandatetime('yyyy-MM-dd', d)\"",
                "  ... FSPos=0 scandatetime received invalid string (\"2024-13-45 and more text "
                "behin\") error=-3"}));
  const std::vector<String> lines = Run("x", "scandatetime('yyyy', 1d)");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4], "  ... FSPos=0 invalid variable name");
}

TEST_F(ExtractorTrace, AnEmptyScriptWritesTheHeaderOnly) { EXPECT_EQ(Run("src", "").size(), 3u); }

}  // namespace
