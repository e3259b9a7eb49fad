#include <gtest/gtest.h>

#include "Classes.h"
#include "DOV_filesys.h"
#include "DOV_streams.h"
#include "TestSupport.h"

namespace {

struct Header {
  Integer status = 99;
  String comment;
  Integer cols = -7, rows = -7;
  bool flags[4] = {true, true, true, true};
};

Header FromFile(const String& name) {
  Header h;
  h.status = ReadHeaderOfASC(name, h.comment, h.cols, h.rows, h.flags[0], h.flags[1], h.flags[2],
                             h.flags[3]);
  return h;
}

Header FromStream(TStream& s) {
  Header h;
  h.status =
      ReadHeaderOfASC(s, h.comment, h.cols, h.rows, h.flags[0], h.flags[1], h.flags[2], h.flags[3]);
  return h;
}

std::vector<bool> Flags(const Header& h) {
  return {h.flags[0], h.flags[1], h.flags[2], h.flags[3]};
}

// A header text and what reading it gives.
struct HeaderCase {
  const char* text;
  Integer status;
  Integer cols, rows;
  std::vector<bool> flags;
  const char* why;
};

void ExpectHeader(const Header& h, const HeaderCase& c) {
  EXPECT_EQ(h.status, c.status) << c.why;
  EXPECT_EQ(h.cols, c.cols) << c.why;
  EXPECT_EQ(h.rows, c.rows) << c.why;
  EXPECT_EQ(Flags(h), c.flags) << c.why;
}

}  // namespace

TEST(TextFiles, AppendCreatesThenAppends) {
  testsupport::TempDir dir;
  AppendToTextFile("log.txt", "one");
  AppendToTextFile("log.txt", TStrArray{"two", "three"});
  EXPECT_EQ(dir.read("log.txt"), "one\r\ntwo\r\nthree\r\n");
  EXPECT_THROW(AppendToTextFile("no/such/dir/x.txt", "a"), EInOutError);
}

TEST(TextFiles, LastNLines) {
  testsupport::TempDir dir;
  dir.write("five.txt", "a\r\nb\nc\nd\ne");
  dir.write("two.txt", "a\nb\n");
  Integer n = -1;
  EXPECT_EQ(ReadLastNLinesOfTextFile("five.txt", 3, n), (TStrArray{"c", "d", "e"}));
  EXPECT_EQ(n, 5);
  EXPECT_EQ(ReadLastNLinesOfTextFile("two.txt", 3, n), (TStrArray{"", "a", "b"}));
  EXPECT_EQ(n, 2);
  EXPECT_TRUE(ReadLastNLinesOfTextFile("five.txt", 0, n).empty());
  EXPECT_EQ(n, 5);
  EXPECT_TRUE(ReadLastNLinesOfTextFile("five.txt", -2, n).empty());
  EXPECT_THROW(ReadLastNLinesOfTextFile("missing.txt", 2, n), EInOutError);
  // The open form leaves the file reset.
  TTextFile f("five.txt");
  ReadLastNLinesOfTextFile(f, 1, n);
  EXPECT_EQ(f.ReadLine(), "a");
}

TEST(TextFiles, DetectStringCountsCharactersWithoutLineEnds) {
  testsupport::TempDir dir;
  dir.write("t.txt", "0123456789\r\nNeedle here\r\n");
  EXPECT_EQ(DetectStringInFile("t.txt", "Needle", false, 11), 11);
  EXPECT_EQ(DetectStringInFile("t.txt", "Needle", false, 100), 11);
  EXPECT_EQ(DetectStringInFile("t.txt", "Needle", false, 10), 0);
  EXPECT_EQ(DetectStringInFile("t.txt", "needle", false, 100), 0);
  EXPECT_EQ(DetectStringInFile("t.txt", "NEEDLE", true, 100), 11);
  EXPECT_EQ(DetectStringInFile("t.txt", "345", false, 100), 4);
  EXPECT_EQ(DetectStringInFile("t.txt", "", false, 100), 0);
}

TEST(TextFiles, FindFirstMatchFoldsEveryLetter) {
  testsupport::TempDir dir;
  dir.write("t.txt", "first\nÜBER alles\nüber\n");
  String line = "old";
  EXPECT_EQ(FindFirstMatchInTextFile("t.txt", "über", true, line), 1);
  EXPECT_EQ(line, "ÜBER alles");
  EXPECT_EQ(FindFirstMatchInTextFile("t.txt", "über", false, line), 1);
  EXPECT_EQ(line, "über");
  EXPECT_EQ(FindFirstMatchInTextFile("t.txt", "ALLES", true, line), 7);
  EXPECT_EQ(FindFirstMatchInTextFile("t.txt", "nowhere", true, line), 0);
  EXPECT_EQ(line, "");
}

TEST(TextFiles, NextWord) {
  testsupport::TempDir dir;
  dir.write("w.txt", "  12.5\n7");
  TTextFile f("w.txt");
  f.Reset();
  EXPECT_EQ(ReadNextWordInTextFile(f), "12.5");
  EXPECT_EQ(ReadNextWordInTextFile(f), "7");
  EXPECT_EQ(ReadNextWordInTextFile(f), "");
  EXPECT_EQ(ReadNextWordInTextFile(f), "");
}

TEST(AscHeader, FileForm) {
  const HeaderCase cases[] = {
      {"Exported\r\n11\t;nr. of columns\r\n5000\t;nr. of rows\r\nTRUE TRUE TRUE FALSE\t;row\r\n",
       0,
       11,
       5000,
       {true, true, true, false},
       "the library's own writer"},
      {"c\n3\n4\ntrue false TRUE\n", 0, 3, 4, {true, false, true, false}, "case and no 4th"},
      {"c\n3\n4\nTRUE\tTRUE\tFALSE\tTRUE\n", 0, 3, 4, {true, true, false, true}, "tabs"},
      {"c\n3\n4\nTRUE TRUE YES FALSE\n", -3, 3, 4, {true, true, false, false}, "a bad flag"},
      {"only a comment\n", -3, 0, 0, {false, false, false, false}, "an empty flag line"},
      {"c\nabc\n4\nTRUE TRUE TRUE TRUE\n", -1, -7, -7, {true, true, true, true}, "no column count"},
      {"c\n3\n-\n", -2, 3, -7, {true, true, true, true}, "no row count"},
      {"c\n$1F x\n2\nFALSE FALSE FALSE\n", 0, 31, 2, {false, false, false, false}, "hex count"},
  };
  testsupport::TempDir dir;
  for (const HeaderCase& c : cases) {
    dir.write("h.asc", c.text);
    ExpectHeader(FromFile("h.asc"), c);
  }
  EXPECT_EQ(FromFile("h.asc").comment, "c");
  EXPECT_THROW(FromFile("missing.asc"), EInOutError);
}

TEST(AscHeader, StreamForm) {
  const HeaderCase cases[] = {
      {"Exported\r\n11\t;nr. of columns\r\n5000\t;nr. of rows\r\nTRUE TRUE TRUE FALSE\t;row\r\n",
       0,
       11,
       5000,
       {true, true, true, false},
       "the library's own writer"},
      {"c\n3\n4\nTRUE TRUE TRUE TRUE\nrest",
       0,
       3,
       4,
       {true, true, true, true},
       "counts ended by a lone LF keep the next lines in place"},
      {"c\r\n3\r\n4\r\nFALSE TRUE FALSE\r\n", 0, 3, 4, {false, true, false, false}, "CR LF"},
      {"c\n3\n4\nTRUE\tTRUE TRUE\n",
       -3,
       3,
       4,
       {true, false, false, false},
       "a tab is no separator"},
      {"c\nx\n4\nTRUE TRUE TRUE\n", 0, 0, 4, {true, true, true, false}, "no count reads as 0"},
  };
  for (const HeaderCase& c : cases) {
    TStringStream s(c.text);
    ExpectHeader(FromStream(s), c);
  }
  TStringStream s("c\xE9\n3\n4\nTRUE TRUE TRUE TRUE\nrest");
  EXPECT_EQ(FromStream(s).comment, "c\xC3\xA9");
  EXPECT_EQ(StreamAsString(s), "rest");
}
