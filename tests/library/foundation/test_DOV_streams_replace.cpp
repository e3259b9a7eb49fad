#include <gtest/gtest.h>

#include "Classes.h"
#include "DOV_streams.h"
#include "DOV_stringl.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "support_shown.h"

namespace {

std::string Bytes(TMemoryStream& s) {
  return std::string(s.Memory(), static_cast<size_t>(s.Size()));
}

void Load(TMemoryStream& s, const std::string& bytes) {
  s.Clear();
  s.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

struct ReplaceCase {
  const char* source;
  const char* regexp;
  const char* tmpl;
  const char* want;
  Integer condToken = 0;
  Integer condMode = 0;
  const char* condText = "";
  bool ignoreCase = false;
};

// Test names show the pattern and the template, bytes above 127 as hexadecimal.
using foundationtest::Shown;

void PrintTo(const ReplaceCase& c, std::ostream* os) {
  *os << Shown(c.regexp) << " -> " << Shown(c.tmpl);
}

class Replace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(Replace, BuildsTheOutput) {
  const ReplaceCase& c = GetParam();
  TMemoryStream in, out;
  Load(in, c.source);
  Load(out, "stale");
  SearchAndReplace(in, out, c.regexp, c.tmpl, c.ignoreCase, c.condToken, c.condMode, c.condText);
  EXPECT_EQ(Bytes(out), c.want) << c.regexp << " / " << c.tmpl;
}

INSTANTIATE_TEST_SUITE_P(
    Templates, Replace,
    ::testing::Values(ReplaceCase{"xa1ya2", "a[0-9]", "<@2>", "x<1>y<2>"},
                      ReplaceCase{"v09;", "v[0-9][0-9]", "@I@2@3", "19;"},  // token 2 is one digit
                      ReplaceCase{"n=09.", "=[0-9]+", "=@I@2", "n=10."},
                      ReplaceCase{"n=99.", "=[0-9]+", "=@I@2", "n=00."},
                      ReplaceCase{"n=-05.", "=[\\-0-9]+", "=@D@2", "n=-06."},
                      ReplaceCase{"n=12.", "=[0-9]+", "=@B@2|@i@x", "n=24|."},
                      ReplaceCase{"ab", "b", "@@\\#41", "a@A"},
                      ReplaceCase{"axbx", "[ab]x", "Y", "Ybx", 1, 1, "b"},
                      ReplaceCase{"axbx", "[ab]x", "Y", "axY", 1, 3, "a"},
                      ReplaceCase{"abcz", "b", "-", "a-cz"},  // the unmatched tail is kept
                      ReplaceCase{"abc", "^", "X", "Xabc"},   // an anchor replaces no character
                      ReplaceCase{"Hello", "hello", "@U@1", "HELLO", 0, 0, "", true},
                      ReplaceCase{"k=ab", "=[a-z]+", "=@u@2", "k=AB"},
                      ReplaceCase{"xyz", "y", "[@tag", "x[z"},  // an unclosed tag inserts nothing
                      ReplaceCase{"a\xFC"
                                  "b",
                                  "\xFC", "<@1>", "a<\xFC>b"},  // bytes pass as they are
                      // an empty match steps over a whole character
                      ReplaceCase{"\xC3\xBC"
                                  "a",
                                  "x?", "-", "-\xC3\xBC-a"}));

TEST(SearchAndReplace, EmptyMatchesAdvance) {
  TMemoryStream in, out;
  Load(in, "abc");
  // "x?" matches the empty text everywhere; each empty match copies one byte.
  EXPECT_TRUE(SearchAndReplace(in, out, "bx?", "[@1]", false, 0, 0, ""));
  EXPECT_EQ(Bytes(out), "a[b]c");
}

TEST(SearchAndReplace, ResultAndErrors) {
  TMemoryStream in, out;
  Load(in, "abc");
  EXPECT_FALSE(SearchAndReplace(in, out, "", "x", false, 0, 0, ""));
  EXPECT_FALSE(SearchAndReplace(in, out, "q", "x", false, 0, 0, ""));
  EXPECT_EQ(Bytes(out), "abc");
  EXPECT_THROW(SearchAndReplace(in, out, "*a", "x", false, 0, 0, ""), ESDLStringlError);
}

TEST(SearchAndReplace, UserTagsGoThroughTheCallback) {
  TMemoryStream in, out;
  Load(in, "id=7;");
  String seenTag;
  auto proc = [&](const String& tag, String& text) {
    seenTag = tag;
    text = "<" + text + ">";
  };
  SearchAndReplace(in, out, "=[0-9]", "=@num@2", false, 0, 0, "", proc);
  EXPECT_EQ(seenTag, "num");
  EXPECT_EQ(Bytes(out), "id=<7>;");
}

// ---- extraction scripts ----

std::string RunScript(const std::string& source, std::initializer_list<const char*> lines) {
  TMemoryStream in, out;
  Load(in, source);
  in.SetPosition(0);
  TStringList script;
  for (const char* l : lines) script.Add(l);
  ExtractFromStream(in, out, script);
  EXPECT_EQ(out.Position(), 0);
  return Bytes(out);
}

TEST(ExtractFromStream, ScriptsOfTheLanguage) {
  EXPECT_EQ(RunScript("x<b>bold</b>", {"find <b>", "setmark 0", "find </b>", "incpos -5",
                                       "setmark 1", "copyabs 0 1"}),
            "bold");
  EXPECT_EQ(RunScript("", {"insert AB$0D$0A"}), "AB\r\n");
  EXPECT_EQ(RunScript("abc", {"makeupper", "copyall"}), "ABC");
  EXPECT_EQ(RunScript("AbC", {"makelower", "convertbyte 98 120", "copyall"}), "axc");
  EXPECT_EQ(RunScript("xyabcz0", {"Find ABC", "copyrel 1"}), "z");
  EXPECT_EQ(RunScript("aaab", {"find aab", "iffound", "insert F", "endif", "ifnotfound", "insert N",
                               "endif"}),
            "N");  // a mismatch does not test its byte again
  EXPECT_EQ(RunScript("abcdef", {"insert 123", "dellast 2"}), "1");
  EXPECT_EQ(RunScript("abcdef", {"insert 1", "dellast 5", "insert Z"}), "Z");
  EXPECT_EQ(RunScript("abc", {"insertbyte 65", "insertbyte 300", "# insert x"}), "A");
  EXPECT_EQ(RunScript("0123456789", {"findwithin 3 5", "iffound", "insert in", "endif",
                                     "findwithin 9 5", "iffound", "insert found", "endif"}),
            "found");
}

TEST(ExtractFromStream, PositionsStayInsideTheSource) {
  // 'incpos -100' at position 3 gives 0; 'incpos 100' on ten bytes gives 9.
  EXPECT_EQ(RunScript("0123456789", {"incpos 3", "incpos -100", "copyrel 1"}), "0");
  EXPECT_EQ(RunScript("0123456789", {"incpos 100", "setmark 2", "copyabs 2 2"}), "9");
  // On an empty source nothing moves below 0 and nothing is copied.
  EXPECT_EQ(RunScript("", {"endpos", "incpos 5", "copyall", "copyrel 4", "insert ok"}), "ok");
}

TEST(ExtractFromStream, LoopsRunTheirBodyCountedTimes) {
  EXPECT_EQ(RunScript("0123456789", {"label 0", "insert x", "loop 0 3"}), "xxx");
  // The loop ends once the source reaches its last byte.
  EXPECT_EQ(RunScript("0123", {"label 1", "copyrel 1", "loop 1 0"}), "012");
}

TEST(ExtractFromStream, HexEscapesAtTheLineEndDoNotReadPastIt) {
  EXPECT_EQ(RunScript("", {"insert a$4"}), std::string("a\0", 2));
  EXPECT_EQ(RunScript("", {"insert a$2441"}), "aA");  // "$24" is "$", decoded again
}

TEST(ExtractFromStream, ConversionTableFromAFile) {
  testsupport::TempDir dir;
  std::string table;
  for (int row = 0; row < 20; ++row) {  // more rows than the table holds
    for (int i = 0; i < 16; ++i) table += " " + IntToHex(row < 16 ? row * 16 + i : 0x2A, 2);
    table += "\n";
  }
  table.replace(table.find(" 61"), 3, " 62");  // "a" becomes "b"
  const String name = (dir.path() / "conv.txt").string();
  dir.write("conv.txt", table);
  EXPECT_EQ(RunScript("abc", {("loadconvtab " + name).c_str(), "copyall"}), "bbc");
  EXPECT_EQ(RunScript("abc", {"loadconvtab /no/such/file", "copyall"}), "abc");
  dir.write("Conv.TXT", table);
  const String mixed = "loadconvtab " + (dir.path() / "Conv.TXT").string();
  EXPECT_EQ(RunScript("abc", {mixed.c_str(), "copyall"}), "bbc");
}

TEST(ExtractFromStream, InsertDateUsesTheClock) {
  SetClockForTesting([] { return 86400.0 * 365 + 43200; });  // 1 January 1971, noon UTC
  EXPECT_EQ(RunScript("", {"insertdate yyyy-mm-dd"}), "1971-01-01");
  SetClockForTesting(nullptr);
}

}  // namespace

namespace {

// Random templates and scripts (loops left out: "loop m 0" may run for ever by design) on
// random sources: nothing reads outside the source, the template or the script line.
TEST(StreamTextEngines, RandomInputStayInsideTheirBounds) {
  std::uint32_t seed = 777;
  auto next = [&](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  const std::string tmplChars = "@@@IDBZVYLUx0123$\\#4";
  const char* const commands[] = {
      "incpos",      "resetpos", "find ",      "findwithin ", "insert ",   "insertbyte", "dellast",
      "copyrel",     "endpos",   "setmark",    "moveto",      "makeupper", "copyabs",    "copyall",
      "convertbyte", "iffound",  "ifnotfound", "endif",       "label",     "insert $",   "$"};
  for (int round = 0; round < 1000; ++round) {
    std::string source;
    for (std::uint32_t i = 0, n = next(30); i < n; ++i) source += "ab1 \xFC"[next(5)];
    String tmpl;
    for (std::uint32_t i = 0, n = next(10); i < n; ++i) tmpl += tmplChars[next(tmplChars.size())];
    TMemoryStream in, out;
    Load(in, source);
    SearchAndReplace(in, out, "[a1]b?", tmpl, next(2) == 1, static_cast<Integer>(next(4)),
                     static_cast<Integer>(next(5)), "a");

    TStringList script;
    for (std::uint32_t i = 0, n = next(8); i < n; ++i)
      script.Add(String(commands[next(std::size(commands))]) + " " +
                 IntToStr(static_cast<Integer>(next(40)) - 20) + " " + IntToStr(next(12)));
    in.SetPosition(next(40));
    ExtractFromStream(in, out, script);
    EXPECT_EQ(out.Position(), 0);
  }
}

}  // namespace
