#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "DOV_stringl.h"
#include "RtlRandom.h"
#include "SysUtils.h"

namespace {

struct LibraryStart : ::testing::Test {
  void SetUp() override { InitLibrary(); }
};

}  // namespace

// ---- extraction -----------------------------------------------------------------------------

TEST(ExtractSubString, FieldsAndEmptyFields) {
  struct Case {
    const char* in;
    int ix;
    const char* delim;
    const char* want;
  };
  const Case cases[] = {
      {"a;b;;d", 0, ";", "a"},
      {"a;b;;d", 1, ";", "b"},
      {"a;b;;d", 2, ";", ""},
      {"a;b;;d", 3, ";", "d"},
      {"a;b;;d", 4, ";", ""},
      {";x", 0, ";", ""},
      {";x", 1, ";", "x"},
      {"a;b", 5, ";", ""},
      {"a;b;", 2, ";", ""},
      {"aXbxc", 1, "x", "c"},    // field steps are case-sensitive
      {"aXbxc", 0, "x", "aXb"},  // so is the field end
      {"Xa", 0, "x", ""},        // the empty-field test ignores case
      {"a;b", -1, ";", ""},
      {"", 0, ";", ""},
      {"a;b", 0, "", ""},
      {"one::two::three", 2, "::", "three"},
      {"1;J0002+6216;0.742375", 1, ";", "J0002+6216"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExtractSubString(c.in, c.ix, c.delim), c.want) << c.in << " " << c.ix;
}

TEST(ExtractParam, StateMachineWithQuotes) {
  EXPECT_EQ(ExtractParam("b", 1, '=', ';', "a=1;B=\"x;y\";c=3"), "x;y");
  EXPECT_EQ(ExtractParam("a", 1, '=', ';', "a=1;B=\"x;y\";c=3"), "1");
  EXPECT_EQ(ExtractParam("c", 1, '=', ';', "a=1;B=\"x;y\";c=3"), "3");
  EXPECT_EQ(ExtractParam("d", 1, '=', ';', "a=1;B=\"x;y\";c=3"), "");
  EXPECT_EQ(ExtractParam("a", 5, '=', ';', "a=1;B=2;a=7"), "7");  // scan starts at StartPos
  EXPECT_EQ(ExtractParam("my name", 1, '=', ';', "\"my name\"=v w"), "v w");
}

TEST(ExtractWordFromString, WordAroundPosition) {
  Integer a = -5, b = -5;
  EXPECT_EQ(ExtractWordFromString("alpha beta(gamma)", 8, a, b), "beta");
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, 10);
  EXPECT_EQ(ExtractWordFromString("alpha beta(gamma)", 11, a, b), "(");
  EXPECT_EQ(a, 11);
  EXPECT_EQ(b, 11);
  EXPECT_EQ(ExtractWordFromString("alpha", 0, a, b), "");
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(ExtractWordFromString("alpha", 6), "");
  EXPECT_EQ(ExtractWordFromString("alpha", 1), "alpha");
}

TEST(Tokenize, SplitsAndEscapes) {
  TStrArray t;
  EXPECT_EQ(Tokenize("a,b,,c", ",", t), 4);
  EXPECT_EQ(t, (TStrArray{"a", "b", "", "c"}));
  EXPECT_EQ(Tokenize("abc", "", t), 1);
  EXPECT_EQ(t, (TStrArray{"abc"}));
  EXPECT_EQ(Tokenize("", ",", t), 1);
  EXPECT_EQ(Tokenize("a<>b<>", "<>", t), 3);
  EXPECT_EQ(t, (TStrArray{"a", "b", ""}));

  EXPECT_EQ(Tokenize("a\\,b,c\\\\d", ",", '\\', t), 2);
  EXPECT_EQ(t, (TStrArray{"a,b", "c\\d"}));
  // An escaped occurrence is skipped whole: the search goes on behind it.
  EXPECT_EQ(Tokenize("a\\---b", "--", '\\', t), 1);
  EXPECT_EQ(t, (TStrArray{"a---b"}));
  EXPECT_EQ(Tokenize("a\\----b", "--", '\\', t), 2);
  EXPECT_EQ(t, (TStrArray{"a--", "b"}));

  // At most 999 splits; the last token keeps the rest.
  String many;
  for (int i = 0; i < 1200; ++i) many += "x,";
  EXPECT_EQ(Tokenize(many, ",", t), 1000);
  EXPECT_EQ(t.back().size(), 2u * 201);
}

TEST(Search, PositionsAndCounts) {
  EXPECT_EQ(NumberedPos("bc", "abcabc", 1, 2, false), 5);
  EXPECT_EQ(NumberedPos("bc", "abcabc", 1, 3, false), 0);
  EXPECT_EQ(NumberedPos("bc", "abcabc", 3, 1, false), 5);
  EXPECT_EQ(NumberedPos("BC", "abcabc", -4, 1, true), 2);
  EXPECT_EQ(NumberedPos("BC", "abcabc", 1, 1, false), 0);
  EXPECT_EQ(NumberedPos("aa", "aaaa", 1, 2, false), 3);  // occurrences do not overlap
  EXPECT_EQ(NumberedPos("bc", "abc", 1, 0, false), 0);

  EXPECT_EQ(PosLast(")", "f(a)(b)"), 7);
  EXPECT_EQ(PosLast("ab", "xabyab"), 4);  // the sum of the finds, as callers have it
  EXPECT_EQ(PosLast("q", "xabyab"), 0);

  EXPECT_EQ(CountStringInString("aa", "aaaaa", true), 2);
  EXPECT_EQ(CountStringInString("AB", "abAbab", false), 3);
  EXPECT_EQ(CountStringInString("AB", "abAbab", true), 0);
  EXPECT_EQ(CountStringInString("", "abc", true), 0);
  EXPECT_EQ(CountCharInString('a', "aAbA", false), 3);
  EXPECT_EQ(CountCharInString('a', "aAbA", true), 1);

  EXPECT_EQ(StringIx("b", {"a", "b", "b"}), 2);
  EXPECT_EQ(StringIx("B", {"a", "b"}), 0);
  EXPECT_EQ(StringIx("B", false, {"a", "b"}), 2);
  EXPECT_EQ(StringIx("x", false, {}), 0);
  // Ignoring case folds A-Z only: the letters beyond ASCII keep their case.
  EXPECT_EQ(NumberedPos("ä", "xÄ", 1, 1, true), 0);
  EXPECT_EQ(CountStringInString("Ä", "ä", false), 0);
  EXPECT_EQ(StringIx("Ä", false, {"ä"}), 0);
  EXPECT_EQ(ReplaceStringInString("Ärger", "ä", "ae", true), "Ärger");
  EXPECT_EQ(ExtractParam("ä", 1, '=', ';', "Ä=1"), "");

  EXPECT_EQ(CountWords("ab cd"), 1);
  EXPECT_EQ(CountWords("ab cd "), 2);
  EXPECT_EQ(CountWords("a b "), 0);

  EXPECT_EQ(FindFirstNonBlank("   x"), 4);
  EXPECT_EQ(FindFirstNonBlank("   "), 0);
  EXPECT_EQ(FindFirstDigit("ab7"), 3);
  EXPECT_EQ(FindFirstDigit("ab"), 0);
}

TEST(ReadLnString, LineEndModes) {
  struct Case {
    std::string text;
    int mode;
    std::vector<std::string> lines;  // each followed by EndOfString false, then "" true
  };
  const Case cases[] = {
      {"a\r\n", 4, {"a"}},
      {"a\nb\n", 0, {"a", "b"}},
      {"a\rb\r", 1, {"a", "b"}},
      {"a\rb\n", 2, {"a", "b"}},
      {"a\n\rb\n\r", 3, {"a", "b"}},
      {"a\tb\n", 0, {"ab"}},  // no character below 32 enters a line, tabs included
  };
  for (const Case& c : cases) {
    Integer pos = 1;
    bool eos = true;
    for (const std::string& want : c.lines) {
      EXPECT_EQ(ReadLnString(c.text, pos, eos, c.mode), want) << c.mode;
      EXPECT_FALSE(eos);
    }
    EXPECT_EQ(ReadLnString(c.text, pos, eos, c.mode), "");
    EXPECT_TRUE(eos);
  }
  Integer pos = 1;
  bool eos = false;
  EXPECT_EQ(ReadLnString("ab", pos, eos, 0), "ab");  // a last line without its end
  EXPECT_TRUE(eos);
  pos = 1;
  EXPECT_EQ(ReadLnString("a\nb", pos, eos, 9), "ab");  // another mode never ends a line
  EXPECT_TRUE(eos);
}

TEST(TextLineCoords, LineAndColumn) {
  Integer col = 0, line = 0;
  TextLineCoords("ab\ncd", 5, col, line);
  EXPECT_EQ(line, 1);
  EXPECT_EQ(col, 2);
  TextLineCoords("ab\ncd", 3, col, line);
  EXPECT_EQ(line, 1);
  EXPECT_EQ(col, 0);
  TextLineCoords("a\tb", 3, col, line);
  EXPECT_EQ(line, 0);
  EXPECT_EQ(col, 2);
  TextLineCoords("ab", 3, col, line);
  EXPECT_EQ(line, -1);
  EXPECT_EQ(col, -1);
}

TEST(ParseQuotedName, QuotedAndPlainNames) {
  const std::string input = "\"my name\" x\n";
  std::vector<std::string> names;
  String name;
  TQuotedStrState st = vsStart;
  for (char c : input)
    if (ParseQuotedName(c, '"', name, st)) {
      names.push_back(name);
      name.clear();
    }
  EXPECT_EQ(names, (std::vector<std::string>{"my name", "x"}));

  // The name completes at the blank behind the closing quote.
  name.clear();
  st = vsStart;
  int completedAt = -1;
  for (size_t i = 0; i < input.size(); ++i)
    if (ParseQuotedName(input[i], '"', name, st)) {
      completedAt = static_cast<int>(i);
      break;
    }
  EXPECT_EQ(completedAt, 9);
  EXPECT_EQ(st, vsStart);

  // A doubled quote at the start stands for a quote character.
  name.clear();
  st = vsStart;
  for (char c : std::string("\"\"ab "))
    if (ParseQuotedName(c, '"', name, st)) break;
  EXPECT_EQ(name, "\"ab");

  // A control character right behind the opening quote ends an empty name.
  name.clear();
  st = vsStart;
  EXPECT_FALSE(ParseQuotedName('"', '"', name, st));
  EXPECT_TRUE(ParseQuotedName('\n', '"', name, st));
  EXPECT_EQ(name, "");
  EXPECT_EQ(st, vsStart);
}

// ---- editing -------------------------------------------------------------------------------

TEST(Editing, StripAndRemove) {
  EXPECT_EQ(StripTrailingBlanks("   "), " ");
  EXPECT_EQ(StripLeadingBlanks("   "), " ");
  EXPECT_EQ(StripLTBlanks("   "), "");
  EXPECT_EQ(StripLTBlanks("  a b  "), "a b");
  EXPECT_EQ(StripLeadingBlanks("  a "), "a ");
  EXPECT_EQ(StripTrailingBlanks(" a  "), " a");
  EXPECT_EQ(StripLeadingBlanks(""), "");
  EXPECT_EQ(StripLeadingChars('0', "000"), "");
  EXPECT_EQ(StripLeadingChars('0', "0012"), "12");
  EXPECT_EQ(StripTrailingChars('0', "000"), "0");  // the first character stays
  EXPECT_EQ(StripTrailingChars('0', "1.500"), "1.5");
  EXPECT_EQ(RemoveControlChars("a\tb\x01\n"), "ab");
  EXPECT_EQ(RemoveCharInString("a-b-c", '-'), "abc");
  EXPECT_EQ(RemoveMultiChars("a  b   c ", ' '), "a b c ");
  EXPECT_EQ(ReplaceCharInString("a.b.c", '.', ','), "a,b,c");
}

TEST(Editing, ReplaceStringDoesNotRescan) {
  EXPECT_EQ(ReplaceStringInString("aaa", "a", "aa", false), "aaaaaa");
  EXPECT_EQ(ReplaceStringInString("xAbyab", "ab", "-", true), "x-y-");
  EXPECT_EQ(ReplaceStringInString("xAbyab", "ab", "-", false), "xAby-");
  EXPECT_EQ(ReplaceStringInString("abc", "", "-", false), "abc");
}

TEST(Editing, EnsureCharsAndPadding) {
  EXPECT_EQ(EnsureTrailingBkSlash("c:\\a"), "c:\\a\\");
  EXPECT_EQ(EnsureTrailingBkSlash("c:\\a\\"), "c:\\a\\");
  EXPECT_EQ(EnsureTrailingBkSlash(""), "");
  EXPECT_EQ(EnsureTrailingChar('/', "a"), "a/");
  EXPECT_EQ(EnsureLeadingChar('#', "a"), "#a");
  EXPECT_EQ(EnsureLeadingChar('#', "#a"), "#a");
  EXPECT_EQ(EnsureLeadingChar('#', ""), "");

  // Widths count characters: a UTF-8 sequence pads and cuts as one character.
  struct Pad {
    String (*fn)(const String&, Byte);
    const char* name;
    const char* in;
    Byte width;
    const char* want;
  };
  const Pad pads[] = {
      {LeftString, "Left", "ab", 4, "ab  "},      {LeftString, "Left", "abcdef", 4, "abcd"},
      {LeftString, "Left", "ü", 3, "ü  "},        {LeftString, "Left", "äöü", 2, "äö"},
      {RightString, "Right", "ab", 4, "  ab"},    {RightString, "Right", "abcdef", 4, "abcd"},
      {RightString, "Right", "äbc", 2, "äb"},     {RightString, "Right", "€", 3, "  €"},
      {CenterString, "Center", "ab", 5, " ab  "}, {CenterString, "Center", "abcdef", 3, "abc"},
      {CenterString, "Center", "äb", 5, " äb  "}, {CenterString, "Center", "Zürich", 3, "Zür"},
  };
  for (const Pad& c : pads)
    EXPECT_EQ(c.fn(c.in, c.width), c.want) << c.name << " " << c.in << " " << int(c.width);
  EXPECT_EQ(AbbrevString("abcdef", 5), "abc..");
  EXPECT_EQ(AbbrevString("abcde", 5), "abcde");
  EXPECT_EQ(AbbrevString("Zürich Süd Öst", 14), "Zürich Süd Öst");
  EXPECT_EQ(AbbrevString("Zürich Süd Öst", 6), "Züri..");
  EXPECT_EQ(SortableNumericString(" 12.5 ", '.', 5), "  12.5");
  EXPECT_EQ(SortableNumericString("1234.5", '.', 3), "1234.5");
  EXPECT_EQ(SortableNumericString("12", '.', 3), "   12");
  EXPECT_EQ(MultiChar('-', 0), "-");
  EXPECT_EQ(MultiChar('-', 3), "---");
  EXPECT_EQ(MultiChar('-', 1000).size(), 255u);
}

TEST(Editing, CharactersBeyondAscii) {
  EXPECT_EQ(ReverseString("abc"), "cba");
  EXPECT_EQ(ReverseString("aäb"), "bäa");  // one character stays one character
  EXPECT_EQ(ChangeCase("aB1äÖ"), "Ab1Äö");
  EXPECT_EQ(CapitalizeString("hello wORLD x2y 3ab élan"), "Hello WORLD X2y 3Ab élan");
  EXPECT_EQ(ExpandDiphthongs("Ärger Öl ÜBER straße µm äöü"), "Aerger Oel UEBER strasse um aeoeue");
  EXPECT_EQ(ReduceStringToAZ09("a-b ä9"), "a_b__9");
  EXPECT_EQ(ReduceStringToFN83CompliantChars("a b*c~{}.ü"), "a_b_c~{}._");
  EXPECT_EQ(ProcessHexChars("\\#41B\\\\#42"), "AB\\#42");
  EXPECT_EQ(ProcessHexChars("x\\#E4"), "xä");
  EXPECT_EQ(ProcessHexChars("\\#zz"), std::string(1, '\0'));
  EXPECT_EQ(ProcessHexChars("a\\b\\#4"), "a\\b\\#4");  // a short code stays as it is
}

// ---- tests ---------------------------------------------------------------------------------

TEST(CharacterTests, ClassesAndSets) {
  for (char c : std::string("\0\n\r \"#%'()*+,-./:;<=>[\\]{}", 26)) EXPECT_TRUE(IsWordSep(c)) << c;
  EXPECT_EQ(WordSeps.count(), 26u);
  EXPECT_FALSE(IsWordSep('_'));
  EXPECT_FALSE(IsWordSep('\t'));
  EXPECT_FALSE(IsWordSep('\xC3'));
  EXPECT_TRUE(IsDigit('7'));
  EXPECT_FALSE(IsDigit('a'));
  EXPECT_TRUE(IsLetter('Z'));
  EXPECT_FALSE(IsLetter('1'));
  EXPECT_TRUE(IsDigitLetter('q'));
  EXPECT_TRUE(IsHexChar('f'));
  EXPECT_FALSE(IsHexChar('g'));
  EXPECT_TRUE(IsUmlaut(U'ß'));
  EXPECT_TRUE(IsUmlaut(U'Ö'));
  EXPECT_FALSE(IsUmlaut(U'é'));
  EXPECT_TRUE(IsAbbreviation("NASA ok"));
  EXPECT_FALSE(IsAbbreviation("NASA rock"));  // 4 capitals against 4 small letters
  EXPECT_FALSE(IsAbbreviation("ABsolutely"));
  EXPECT_FALSE(IsAbbreviation("A b"));
  EXPECT_TRUE(TestAllChar("---", '-'));
  EXPECT_FALSE(TestAllChar("", '-'));
  EXPECT_FALSE(TestAllChar("--+", '-'));

  EXPECT_TRUE(StringContains("ab3", "//dig"));
  EXPECT_FALSE(StringContains("abc", "//dig//uc"));
  EXPECT_TRUE(StringContains("a\tb", "//31dwn"));
  EXPECT_TRUE(StringContains("aäb", "//128up"));
  EXPECT_TRUE(StringContainsOtherThan("abc1", "//lc"));
  EXPECT_FALSE(StringContainsOtherThan("abc", "//lc"));
  EXPECT_FALSE(StringContainsOtherThan("a-b", "//lc-"));

  // Sets hold characters, not the bytes of their UTF-8 forms; characters beyond code 255 are
  // never members.
  EXPECT_FALSE(StringContains("ã", "é"));  // both begin with the byte C3
  EXPECT_TRUE(StringContains("café", "é"));
  EXPECT_FALSE(StringContainsOtherThan("été", "éèt"));
  EXPECT_TRUE(StringContainsOtherThan("ête", "éèt"));
  EXPECT_FALSE(StringContains("€", "//128up"));
  EXPECT_TRUE(StringContainsOtherThan("€", "//128up"));
  EXPECT_FALSE(StringContainsOtherThan("äß", "//128up"));
  EXPECT_TRUE(StringContains("a\xE9", "é"));  // a lone Latin-1 byte stands for its letter

  EXPECT_TRUE(EqualAnsiStrings("Straße ÄB", "straße äb"));
  EXPECT_FALSE(EqualAnsiStrings("ab", "abc"));
}

// ---- codes ---------------------------------------------------------------------------------

TEST(UUCode, RoundTripsEveryByte) {
  EXPECT_EQ(UUEncodeStr("Cat"), "#0V%T");
  EXPECT_EQ(UUEncodeStr(""), " ");
  EXPECT_EQ(UUEncodeStr(std::string(96, 'x')), "");
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  for (size_t len = 0; len < 96; ++len)
    for (size_t start : {size_t(0), size_t(100), size_t(160)}) {
      const std::string s = all.substr(start, len);
      EXPECT_EQ(UUDecodeStr(UUEncodeStr(s)), s) << start << "+" << len;
    }
  EXPECT_EQ(UUDecodeStr("#"), "");
}

TEST_F(LibraryStart, ScrambleTablesAreInversePermutations) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  const std::string s = Scramble(all);
  EXPECT_EQ(s[0], '\0');
  std::string sorted = s;
  std::sort(sorted.begin(), sorted.end());
  std::string allSorted = all;
  std::sort(allSorted.begin(), allSorted.end());
  EXPECT_EQ(sorted, allSorted);
  EXPECT_NE(s, all);
  EXPECT_EQ(DeScramble(s), all);

  // The tables follow from the seed alone.
  const std::string first = Scramble("Kestal");
  InitScramble(1);
  EXPECT_NE(Scramble("Kestal"), first);
  InitScramble(8053);
  EXPECT_EQ(Scramble("Kestal"), first);
}

TEST_F(LibraryStart, StartUpTablesAndNextDrawFollowFromSeed8053) {
  // Text scrambled by earlier runs reads back only with these very tables, and every later
  // unseeded draw continues from the state the start-up leaves.
  EXPECT_EQ(Scramble("Kestal"), "\x0D\x19\xA3\x59\xCF\x55");
  EXPECT_EQ(Scramble("\x01\x02\x03\x04"), "\xB4\x5A\x39\xA7");
  EXPECT_EQ(DeScramble("\x0D\x19\xA3\x59\xCF\x55"), "Kestal");
  EXPECT_EQ(Random(1000000), 369145);
}

TEST_F(LibraryStart, StartUpSeedsTheProcessGenerator) {
  // Every later draw follows from the start-up seeding; the same start gives the same draws.
  const Integer a = Random(1000000), b = Random(1000000);
  InitLibrary();
  EXPECT_EQ(Random(1000000), a);
  EXPECT_EQ(Random(1000000), b);
  EXPECT_EQ(ProcStat.load(), 0.0);
  EXPECT_EQ(MathFeedBackProc, nullptr);
  EXPECT_FALSE(AbortMathProc.load());
}

// ---- number and value formatting -------------------------------------------------------------

TEST(NumberFormatting, BaseConversionStr) {
  // Every formatter of the unit stands on the run-time's Str(x : w : d).
  const Extended inf = std::numeric_limits<Extended>::infinity();
  struct Case {
    Extended x;
    int w, d;
    const char* want;
  };
  const Case cases[] = {
      {100, 12, -1, " 1.000E+0002"},
      {-12.3456789L, 25, -1, "-1.2345678900000000E+0001"},
      {1.5L, 0, -1, " 1.5E+0000"},                       // at least 10 characters
      {1.5L, 30, -1, "     1.50000000000000000E+0000"},  // 18 digits, blanks in front
      {9.99999L, 10, -1, " 1.0E+0001"},                  // rounding carries into the exponent
      {1.1e4932L, 10, -1, " 1.1E+4932"},                 // extended range
      {0.125L, 0, 2, "0.13"},                            // half away from zero
      {-2.5L, 0, 0, "-3"},
      {2.675, 0, 2, "2.67"},                        // the binary value lies below the half
      {1.0L / 3, 0, 20, "0.33333333333333333300"},  // zeros beyond the 18th digit
      // 0.1234567890123456749998...: its 18-digit expansion is rounded (to ...675) before the
      // half-away rounding to 17 digits; rounding the exact value once would give ...67.
      {0.123456789012345675L, 0, 17, "0.12345678901234568"},
      {12345.678L, 5, 1, "12345.7"},  // never cut
      {6.64613997892457936e35L, 0, 0, "664613997892457936000000000000000000"},
      {6.7e35L, 0, 0, " 6.7E+0035"},  // too large for the fixed form
      {1e-35L, 0, 2, "0.00"},
      {1e-36L, 0, 2, " 1.0E-0036"},  // exponent too small for it
      {-0.001L, 0, 2, "0.00"},       // no sign on a rounded zero
      {inf, 6, 2, "  +Inf"},
      {-inf, 2, 2, "-Inf"},
      {std::numeric_limits<Extended>::quiet_NaN(), 6, -1, "   Nan"},
  };
  for (const Case& c : cases) EXPECT_EQ(Str(c.x, c.w, c.d), c.want) << c.want;
}

TEST(NumberFormatting, Strff) {
  struct Case {
    Extended x;
    int w, d;
    const char* want;
  };
  const Case cases[] = {
      {1.5L, 10, -2, " 1.500E+00"},
      {1e150L, 10, -2, "**********"},
      {-1.5L, -7, 1, "-0001.5"},
      {-1.5L, 7, 1, "   -1.5"},
      {1.5L, 6, 1, "   1.5"},
      {-2.5e-7L, 10, -2, "-2.500E-07"},
      {3.14159L, 0, 3, "3.142"},
      {100, 12, -1, " 1.000E+0002"},  // -1: the exponent keeps four digits
  };
  for (const Case& c : cases) EXPECT_EQ(strff(c.x, c.w, c.d), c.want) << c.want;
}

TEST(NumberFormatting, StrffForcePlus) {
  EXPECT_EQ(strffForcePlus(1.5, 6, 1), "  +1.5");
  EXPECT_EQ(strffForcePlus(1.5, -6, 1), "+001.5");
  EXPECT_EQ(strffForcePlus(0.5, 3, 1), "+0.5");
  EXPECT_EQ(strffForcePlus(-1.5, 6, 1), "  -1.5");
  EXPECT_EQ(strffForcePlus(12.5, 1, 1), "+12.5");
}

TEST(NumberFormatting, FormatDataAndSigDigits) {
  EXPECT_EQ(FormatData(0.5, 8, 0), strff(0.5, 14, -2));
  EXPECT_NE(FormatData(0.5, 8, 0).find('E'), std::string::npos);
  EXPECT_EQ(FormatData(0, 8, 3), "   0.000");
  EXPECT_EQ(FormatData(12.25, 8, 2), "   12.25");
  EXPECT_EQ(FormatData(999999.99, 10, 2), " 999999.99");
  EXPECT_NE(FormatData(1000000.0, 10, 2).find('E'), std::string::npos);
  EXPECT_NE(FormatData(0.001, 8, 2).find('E'), std::string::npos);
  EXPECT_NE(FormatData(5, 8, 9).find('E'), std::string::npos);

  EXPECT_EQ(SigDigStr(0, 8, 3), "    0.00");
  EXPECT_EQ(SigDigStr(123.456, 8, 4), "   123.5");
  EXPECT_EQ(SigDigStr(123456.0, 8, 3), "  123456");
  EXPECT_EQ(SigDigStr(0.00123456, 8, 3, true), "0.00123");
  EXPECT_EQ(SigDigStr(123.456, 8, 4, true), "123.5");
  EXPECT_NE(SigDigStr(1.5e12, 8, 3).find('E'), std::string::npos);

  EXPECT_EQ(AutoFormatData(0.5, 3), "0.50");
  EXPECT_EQ(AutoFormatData(123.456, 4), "123.5");
  EXPECT_EQ(AutoFormatData(0.05, 3), "5.00E-02");
  EXPECT_EQ(AutoFormatData(0, 3), "0.00");
  EXPECT_EQ(AutoFormatData(-2.5, 1), "-2.5");  // at least two digits
  EXPECT_EQ(AutoFormatData(2.5, 3, true), "2,50");
}

TEST(NumberFormatting, FormatDataBoundsHoldForTheExactValue) {
  struct Case {
    double x;
    int w, d;
    const char* want;
  };
  const Case cases[] = {
      {999999999, 10, 0, " 999999999"},    {1, 10, 0, "         1"},
      {999999.99, 10, 2, " 999999.99"},    {-0.1, 10, 1, "      -0.1"},
      {0.99999999, 12, 8, "  0.99999999"}, {1e-8, 12, 8, "  0.00000001"},
      {-1e-8, 12, 8, " -0.00000001"},      {0.125, 8, 2, "    0.13"},  // half away from zero
  };
  for (const Case& c : cases) EXPECT_EQ(FormatData(c.x, c.w, c.d), c.want) << c.want;
  // Outside: the exponent form in Width + 6. The double nearest 1e-7 lies below 10^-7 and
  // the one nearest 9.9999999 above that limit, so both are outside.
  EXPECT_EQ(FormatData(1000000000.0, 10, 0), strff(1000000000.0, 16, -2));
  EXPECT_EQ(FormatData(0.99e-8, 12, 8), " 9.90000000000E-09");
  EXPECT_EQ(FormatData(1e-7, 12, 7), strff(1e-7, 18, -2));
  EXPECT_EQ(FormatData(9.9999999, 12, 7), strff(9.9999999, 18, -2));
}

TEST(NumberFormatting, SigDigStrChoosesItsForm) {
  struct Case {
    double x;
    int w, sig;
    const char* want;
  };
  const Case cases[] = {
      {0, 8, 3, "    0.00"},
      {123456, 8, 3, "  123456"},     // more integer digits than SigDigits, still fits
      {12345678, 8, 3, " 1.23E+07"},  // does not fit: exponent form in SigDigits + 6
      {999.9, 8, 3, "    1000"},
      {-123.456, 8, 4, "  -123.5"},
      {0.001, 8, 3, " 0.00100"},
      {0.0000123, 8, 3, " 1.23E-05"},  // too many leading zeros for the width
      {0.0000123, 12, 3, "   0.0000123"},
  };
  for (const Case& c : cases) EXPECT_EQ(SigDigStr(c.x, c.w, c.sig), c.want) << c.want;
}

TEST(NumberFormatting, NonFiniteValuesGiveTheSpecialTexts) {
  const Extended inf = std::numeric_limits<Extended>::infinity();
  const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
  EXPECT_EQ(strff(inf, 6, -2), "  +Inf");
  EXPECT_EQ(strff(-inf, -6, 2), "  -Inf");
  EXPECT_EQ(strffForcePlus(inf, 6, 2), "  +Inf");
  EXPECT_EQ(FormatData(nan, 5, 2), "  Nan");
  EXPECT_EQ(SigDigStr(inf, 6, 3), "  +Inf");
  EXPECT_EQ(AutoFormatData(-inf, 3), "-Inf");
  EXPECT_EQ(AutoFormatData(nan, 3), "Nan");
}

TEST(ValueTexts, BooleansAndTriStates) {
  const char* const want[9][2] = {{"TRUE", "FALSE"}, {"T", "F"},      {".T.", ".F."},
                                  {"1", "0"},        {"-1", "0"},     {"FF", "00"},
                                  {"YES", "NO"},     {"GOOD", "BAD"}, {"TRUE", "FALSE"}};
  for (int style = 0; style <= 8; ++style) {
    EXPECT_EQ(BoolToStr(true, style), want[style][0]);
    EXPECT_EQ(BoolToStr(false, style), want[style][1]);
  }
  EXPECT_EQ(BinString(true, "on", "off"), "on");
  EXPECT_EQ(BinString(false, "on", "off"), "off");

  struct Case {
    const char* text;
    TTriState want;
  };
  const Case cases[] = {{" TRUE ", tsTrue},    {"1", tsTrue},      {"+1", tsTrue},
                        {"Yes", tsTrue},       {"false", tsFalse}, {"-1", tsFalse},
                        {"NO", tsFalse},       {"0", tsUndefined}, {"", tsUndefined},
                        {"maybe", tsUndefined}};
  for (const Case& c : cases) EXPECT_EQ(StrToTriState(c.text), c.want) << c.text;

  EXPECT_EQ(TriStateToStr(tsFalse, 1), "-1");
  EXPECT_EQ(TriStateToStr(tsTrue, 1), "1");
  EXPECT_EQ(TriStateToStr(tsUndefined, 1), "0");
  EXPECT_EQ(TriStateToStr(tsUndefined, 2), "unknown");
  EXPECT_EQ(TriStateToStr(tsTrue, 2), "yes");
  EXPECT_EQ(TriStateToStr(tsTrue, 0), "true");
  EXPECT_EQ(TriStateToStr(tsUndefined, 0), "");
}

TEST(ValueTexts, TimeString) {
  struct Case {
    Extended secs;
    int format;
    const char* want;
  };
  const Case cases[] = {
      {3909.5L, 0, "01:05:09.50"},
      {3909.5L, 1, "01:05:09"},
      {3909.5L, 2, " 1h05"},
      {3909.5L, 3, " 1h05'09\""},
      {3909.5L, 4, "01:05"},
      {3909.5L, 5, " 1:05a"},
      {3909.5L, 6, ""},
      {43200, 5, "12:00p"},
      {0, 5, "12:00a"},
      {46800, 5, " 1:00p"},
      {360000, 1, "100:00:00"},
      {-5, 1, "00:00:00"},
      {0.29, 0, "00:00:00.28"},           // hundredths are cut, not rounded
      {65536.0 * 3600, 4, "00:3932160"},  // the hour is kept to 16 bits
  };
  for (const Case& c : cases)
    EXPECT_EQ(TimeString(c.secs, c.format), c.want) << c.secs << " " << c.format;
}

TEST(ValueTexts, ParameterLists) {
  EXPECT_EQ(CreateParList(TIntArray{1, 2, 3}, false, 2), "[1,2,...]");
  EXPECT_EQ(CreateParList(TIntArray{1, 2, 3}, true, 0), "[1,2,3],");
  EXPECT_EQ(CreateParList(TIntArray{1, 2, 3}, false, 3), "[1,2,3]");
  EXPECT_EQ(CreateParList(TIntArray{}, false, 0), "]");
  EXPECT_EQ(CreateParList({4, -5}, false), "[4,-5]");
  EXPECT_EQ(CreateParList(TDoubleArray{0.5, 123.456}, false, 0, 4), "[0.500,123.5]");
  EXPECT_EQ(CreateParList({0.5, 2.0}, true), "[0.50,2.00],");
}
