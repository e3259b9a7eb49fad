#include <gtest/gtest.h>

#include "DOV_stringl.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "TextFile.h"
#include "support_shown.h"

namespace {

struct MatchCase {
  const char* pattern;
  const char* text;
  bool found;
  Integer start;
  Integer end;
  Integer from = 1;  // SearchStartPos
};

// Test names show the pattern and the text, bytes above 127 as hexadecimal.
using foundationtest::Shown;

void PrintTo(const MatchCase& c, std::ostream* os) {
  *os << Shown(c.pattern) << " on " << Shown(c.text);
}

class GrepMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(GrepMatch, FindsFirstMatchWithItsBounds) {
  const MatchCase& c = GetParam();
  TGrep grep(nullptr);
  grep.SetRegExp(c.pattern);
  grep.SearchStartPos = c.from;
  Integer pos = -1;
  ASSERT_EQ(grep.MatchString(c.text, pos), c.found) << c.pattern << " on " << c.text;
  if (c.found) {
    EXPECT_EQ(pos, c.start);
    EXPECT_EQ(grep.MatchStartPos(), c.start);
    EXPECT_EQ(grep.MatchEndPos(), c.end);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, GrepMatch,
    ::testing::Values(
        MatchCase{"ab*c", "xac", true, 2, 3}, MatchCase{"ab*c", "abbbc", true, 1, 5},
        MatchCase{"[^0-9]", "12a3", true, 3, 3}, MatchCase{"[z-a]", "12q", true, 3, 3},
        MatchCase{"\\#41", "xA", true, 2, 2}, MatchCase{"\\\\#41", "a\\#41", true, 2, 5},
        MatchCase{"a.*", "xxaxyz", true, 3, 6}, MatchCase{"a.*b", "axbyb", true, 1, 3},
        MatchCase{"^ab", "xab", false, 0, 0}, MatchCase{"ab$", "abab", true, 3, 4},
        MatchCase{"(ab)+c", "xababc", true, 2, 6}, MatchCase{"colou?r", "color", true, 1, 5},
        MatchCase{"a[0-9]+", "a123b", true, 1, 4},
        // A set or any-byte token never matches behind the text.
        MatchCase{"b.", "ab", false, 0, 0}, MatchCase{"b[a-z]", "ab", false, 0, 0},
        // A final "*" needs a position inside the text (kept as it always was).
        MatchCase{"ab*", "a", false, 0, 0},
        // A multiplier repeats the whole last character of a run.
        MatchCase{"\xC3\xBC+", "gr\xC3\xBC\xC3\xBC", true, 3, 6},
        MatchCase{"a\xC3\xBC+b",
                  "a\xC3\xBC\xC3\xBC\xC3\xBC"
                  "b",
                  true, 1, 8},
        // "." and sets take whole characters, not the bytes of a UTF-8 sequence.
        MatchCase{"[\xC3\xA4]", "\xC3\xB6", false, 0, 0},
        MatchCase{"[\xC3\xA4]", "x\xC3\xA4", true, 2, 3},
        MatchCase{"a.b",
                  "a\xC3\xBC"
                  "b",
                  true, 1, 4},
        MatchCase{"[^a]", "a\xC3\xBC", true, 2, 3},
        MatchCase{"[\xC3\xA0-\xC3\xBF]+", "Z\xC3\xBCrich", true, 2, 3},
        MatchCase{"[\xE2\x82\xAC]", "a\xE2\x82\xAC", true, 2, 4},
        MatchCase{"[^\xE2\x82\xAC]",
                  "\xE2\x82\xAC"
                  "x",
                  true, 4, 4},
        MatchCase{"[a-\xE2\x82\xAC]", "\xC4\x80", true, 1, 2},
        // A match never starts inside a sequence: U+00A4 is not the tail of "ä".
        MatchCase{"[\xC2\xA4]", "\xC3\xA4", false, 0, 0},
        MatchCase{"\\#A4", "\xC3\xA4", false, 0, 0},
        MatchCase{"\\#A4", "\xC3\xA4x\xA4", true, 4, 4},
        // A byte that starts no sequence stands for itself (its Latin-1 character).
        MatchCase{"[\xFC]", "gr\xFC", true, 3, 3}, MatchCase{"[\xFC]", "gr\xC3\xBC", true, 3, 4},
        // Backtracking over positions already given up on still finds the first match.
        MatchCase{"a[0-9]*5x", "a1235a55x", true, 6, 9}, MatchCase{"x.*y.*z", "xyxyz", true, 1, 5},
        MatchCase{"(ab)*abc", "abababc", true, 1, 7},
        MatchCase{"a.*b.*c", "ab ab ab", false, 0, 0},
        // An anchor takes no character: the match is empty, ending before it starts.
        MatchCase{"^", "abc", true, 1, 0},
        // A search that starts behind the text finds nothing, however far behind.
        MatchCase{"^", "ab", false, 0, 0, 2147483647}, MatchCase{".", "ab", false, 0, 0, 2147483647},
        MatchCase{"[a]", "ab", false, 0, 0, 2147483647},
        MatchCase{"b", "ab", false, 0, 0, 2147483647}, MatchCase{"a?b", "ab", false, 0, 0, 1000},
        MatchCase{"a?", "ab", true, 3, 2, 3}));

// Patterns whose plain backtracking takes exponential or high polynomial time end quickly:
// each multiplier gives up on a position once.
TEST(Grep, BacktrackingPatternsEnd) {
  String manyGroups, manyAny, manyOptional;
  for (int i = 0; i < 30; ++i) manyGroups += ".*x";
  for (int i = 0; i < 24; ++i) manyAny += ".?";
  for (int i = 0; i < 40; ++i) manyOptional += "a?";
  struct Case {
    String pattern, text;
  };
  const Case cases[] = {
      {".*x.*x.*x.*xy", String(200, 'x')},
      {manyGroups + "y", String(20000, 'x')},
      {"(ab)*(ab)*(ab)*(ab)*c", String(20000, 'a') + String(4000, 'b')},
      {"[a-z]*[a-z]*[a-z]*[a-z]*[a-z]*1", String(20000, 'q')},
      {manyAny + "y", String(40, 'x')},
      {manyOptional + "c", String(60, 'a')},
  };
  for (const Case& c : cases) {
    TGrep grep(nullptr);
    grep.SetRegExp(c.pattern);
    Integer pos = 0;
    EXPECT_FALSE(grep.MatchString(c.text, pos)) << c.pattern;
    EXPECT_TRUE(grep.MatchString(c.text + "y1c", pos)) << c.pattern;
  }
}

TEST(Grep, CompileErrorsByCode) {
  const std::pair<const char*, Integer> cases[] = {
      {"*a", 1},   {"a^", 2}, {"a$b", 3}, {"[]", 4},  {"[a^]", 5}, {"a]", 6},
      {"[-a]", 7}, {"a)", 8}, {"^*", 9},  {"abc", 0}, {"[a-z", 0}, {"(ab", 0}};
  TGrep grep(nullptr);
  for (const auto& [pattern, code] : cases) EXPECT_EQ(grep.CompileRegExp(pattern), code) << pattern;
}

TEST(Grep, TokensOfAPattern) {
  TGrep grep(nullptr);
  grep.SetRegExp("ab*c");
  ASSERT_EQ(grep.NrOfRegExpTokens(), 3);
  EXPECT_EQ(grep.GetRegExpToken(1).Action, taNormal);
  EXPECT_EQ(grep.GetRegExpToken(2).Action, taMult0);
  EXPECT_EQ(grep.GetRegExpToken(2).NumChars, 1);
  EXPECT_EQ(grep.GetRegExpToken(2).Params[1], 'b');
  EXPECT_EQ(grep.GetRegExpToken(0).Action, taNormal);  // below 1 gives token 1
  EXPECT_EQ(grep.GetRegExpToken(99).Action, taNormal);
}

TEST(Grep, SetRegExpRaisesWithTheComponentName) {
  TGrep grep(nullptr);
  grep.SetName("Grep1");
  try {
    grep.SetRegExp("*a");
    FAIL();
  } catch (const ESDLStringlError& e) {
    EXPECT_EQ(e.Message,
              "Component \"Grep1\": error in regular expression - "
              "reg.exp. must not start with $, *, ?, or +");
  }
  grep.SetStopOnError(false);
  grep.SetRegExp("a)");
  EXPECT_EQ(grep.LastError(), 8);
}

TEST(Grep, IgnoreCaseFoldsPatternAndText) {
  TGrep grep(nullptr);
  grep.SetRegExp("ABC");
  grep.SetIgnoreCase(true);
  Integer pos = 0;
  ASSERT_TRUE(grep.MatchString("xabcx", pos));
  EXPECT_EQ(pos, 2);
}

TEST(Grep, PatternsBeyondTheTokenArrayStopWithAnError) {
  TGrep grep(nullptr);
  grep.SetStopOnError(false);
  String many;
  for (int i = 0; i < 65; ++i) many += "[a]";
  EXPECT_EQ(grep.CompileRegExp(many), GrepErrTooLong);
  EXPECT_EQ(grep.NrOfRegExpTokens(), MaxGrepTokens);
  EXPECT_EQ(grep.CompileRegExp(String(256, 'a')), GrepErrTooLong);
  EXPECT_EQ(grep.CompileRegExp(String(255, 'a')), 0);
}

TEST(Grep, LongRepetitionsDoNotDeepenTheRecursion) {
  // One million repetitions of an inner multiplier: a recursion per repetition would
  // overflow the stack.
  TGrep grep(nullptr);
  grep.SetRegExp("a.*b");
  const String text = "a" + String(1000000, 'x') + "b";
  Integer pos = 0;
  ASSERT_TRUE(grep.MatchString(text, pos));
  EXPECT_EQ(grep.MatchEndPos(), static_cast<Integer>(text.size()));
}

TEST(Grep, SearchStartPosIsWhereTheSearchBegins) {
  TGrep grep(nullptr);
  grep.SetRegExp("a");
  grep.SearchStartPos = 3;
  Integer pos = 0;
  ASSERT_TRUE(grep.MatchString("a-a", pos));
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(grep.SearchStartPos, 3);
}

TEST(Grep, PrintRegExpListsTokens) {
  testsupport::TempDir dir;
  TGrep grep(nullptr);
  grep.SetRegExp("x[ab]*.");
  const String name = (dir.path() / "re.txt").string();
  grep.PrintRegExp(name);
  EXPECT_EQ(dir.read("re.txt"),
            " taNormal: x\r\n  taMult0: (set) ab\r\ntaAnyByte: \r\nno errors\r\n");
}

}  // namespace

namespace {

// Random patterns of the language's special characters on random texts: every compile ends
// with a code, every match stays inside the text (the sanitizer build checks the reads).
TEST(Grep, RandomPatternsStayInsideTheirBounds) {
  const std::string alphabet = "ab.*+?[]^$()-\\#0F\xC3\xBC";
  std::uint32_t seed = 12345;
  auto next = [&](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  TGrep grep(nullptr);
  grep.SetStopOnError(false);
  for (int round = 0; round < 3000; ++round) {
    String pattern, text;
    for (std::uint32_t i = 0, n = next(12); i < n; ++i) pattern += alphabet[next(alphabet.size())];
    for (std::uint32_t i = 0, n = next(20); i < n; ++i) text += "ab\xFC#"[next(4)];
    const Integer err = grep.CompileRegExp(pattern);
    ASSERT_GE(err, 0);
    ASSERT_LE(err, GrepErrTooLong);
    grep.SearchStartPos = static_cast<Integer>(next(4));
    Integer pos = 0;
    if (grep.MatchString(text, pos)) {
      EXPECT_GE(pos, 1) << pattern << " on " << text;
      EXPECT_LE(grep.MatchEndPos(), static_cast<Integer>(text.size())) << pattern << " on " << text;
    }
  }
}

}  // namespace
