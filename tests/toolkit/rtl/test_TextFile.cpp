// Text files: the line rules shared by every reader, token reads, writing; block files.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "TextFile.h"

namespace {

struct LinesCase {
  std::string bytes;
  std::vector<String> lines;
};

const std::vector<LinesCase>& LineCases() {
  static const std::vector<LinesCase> cases = {
      {"a\r\nb\r\n", {"a", "b"}},  // written on the CR LF platform
      {"a\nb\n", {"a", "b"}},      // written here
      {"a\nb", {"a", "b"}},        // no final line end
      {"a\rb\n", {"ab"}},          // a lone CR is dropped
      {"a\r\r\nb", {"a", "b"}},
      {"x\r", {"x"}},
      {"a\n\r", {"a", ""}},  // after the last line end, a dropped CR still makes a line
      {"\r", {""}},
      {"a\nb\rc\r", {"a", "bc"}},
      {std::string("a\nb\x1a\nc\n"), {"a", "b"}},  // byte 26 ends the file
      {std::string("\x1a"
                   "abc"),
       {}},
      {"", {}},
      {"\n", {""}},
      {"\n\n", {"", ""}},
      {"\r\n", {""}},
      {"one;two;\r\n\r\nlast", {"one;two;", "", "last"}},
  };
  return cases;
}

TEST(TextLines, SplitterFollowsTheReadingRules) {
  for (const auto& c : LineCases())
    EXPECT_EQ(SplitTextLines(c.bytes), c.lines) << testing::PrintToString(c.bytes);
}

TEST(TextLines, TextFileReadsTheSameLines) {
  testsupport::TempDir dir;
  for (const auto& c : LineCases()) {
    dir.write("in.txt", c.bytes);
    TTextFile f("in.txt");
    f.Reset();
    std::vector<String> got;
    while (!f.Eof()) got.push_back(f.ReadLine());
    f.CloseFile();
    EXPECT_EQ(got, c.lines) << testing::PrintToString(c.bytes);
  }
}

TEST(TextFile, CharactersComeAsTheyAre) {
  testsupport::TempDir dir;
  dir.write("in.txt", "a\r\nb");
  TTextFile f("in.txt");
  f.Reset();
  EXPECT_FALSE(f.Eoln());
  EXPECT_EQ(f.ReadChar(), 'a');
  EXPECT_TRUE(f.Eoln());
  EXPECT_EQ(f.ReadChar(), '\r');
  EXPECT_EQ(f.ReadChar(), '\n');
  EXPECT_EQ(f.ReadChar(), 'b');
  EXPECT_TRUE(f.Eof());
  EXPECT_EQ(f.ReadChar(), '\x1a');  // at the end
  EXPECT_EQ(f.ReadLine(), "");
}

TEST(TextFile, ReadStopsAtTheLineEnd) {
  testsupport::TempDir dir;
  dir.write("in.txt", "ab\r\ncd\nlast");
  TTextFile f("in.txt");
  f.Reset();
  String s;
  f.Read(s);
  EXPECT_EQ(s, "ab");
  EXPECT_TRUE(f.Eoln());
  f.Read(s);
  EXPECT_EQ(s, "");  // still at the line end
  f.ReadLn();
  f.Read(s);
  EXPECT_EQ(s, "cd");
  f.ReadLn();
  f.Read(s);
  EXPECT_EQ(s, "last");
  EXPECT_TRUE(f.Eof());
}

TEST(TextFile, IntegerAndRealTokens) {
  testsupport::TempDir dir;
  dir.write("n.txt", "  12\t-7\r\n$1F +3\n");
  TTextFile f("n.txt");
  f.Reset();
  EXPECT_EQ(f.ReadInteger(), 12);
  EXPECT_EQ(f.ReadInteger(), -7);
  EXPECT_EQ(f.ReadInteger(), 31);
  EXPECT_EQ(f.ReadInteger(), 3);
  EXPECT_EQ(f.ReadInteger(), 0);  // end of file
  f.CloseFile();

  dir.write("r.txt", "1.5 abc\r\n 2e3 1,5 -0.25");
  f.AssignFile("r.txt");
  f.Reset();
  EXPECT_EQ(f.ReadReal(), 1.5L);
  EXPECT_THROW(f.ReadReal(), EInOutError);  // the bad token is consumed...
  EXPECT_EQ(f.ReadReal(), 2000.0L);         // ...and reading goes on
  Extended v = 9;
  EXPECT_FALSE(f.TryReadReal(v));  // "," is not a decimal separator
  EXPECT_TRUE(f.TryReadReal(v));
  EXPECT_EQ(v, -0.25L);
  EXPECT_TRUE(f.SeekEof());
  EXPECT_EQ(f.ReadReal(), 0.0L);

  dir.write("bad.txt", "abc");
  f.AssignFile("bad.txt");
  f.Reset();
  EXPECT_THROW(f.ReadInteger(), EInOutError);
}

TEST(TextFile, WritesCrLfAndAppends) {
  testsupport::TempDir dir;
  TTextFile f("out.txt");
  f.Rewrite();
  f.WriteLn("first");
  f.Write("sec");
  f.Write('o');
  f.WriteLn("nd");
  f.CloseFile();
  EXPECT_EQ(dir.read("out.txt"), "first\r\nsecond\r\n");
  f.Append();
  f.WriteLn("third");
  f.CloseFile();
  EXPECT_EQ(dir.read("out.txt"), "first\r\nsecond\r\nthird\r\n");
  f.LineBreak = "\n";
  f.Rewrite();
  f.WriteLn("lf");
  f.CloseFile();
  EXPECT_EQ(dir.read("out.txt"), "lf\n");
}

TEST(TextFile, FailuresRaiseInOutError) {
  testsupport::TempDir dir;
  TTextFile f("missing.txt");
  EXPECT_THROW(f.Reset(), EInOutError);
  EXPECT_THROW(f.Append(), EInOutError);  // Append does not create
  EXPECT_FALSE(std::filesystem::exists("missing.txt"));
  TTextFile g("no/such/folder/x.txt");
  EXPECT_THROW(g.Rewrite(), EInOutError);
  TTextFile h("x.txt");
  EXPECT_THROW(h.ReadLine(), EInOutError);  // not open
  h.Rewrite();
  EXPECT_THROW(h.ReadLine(), EInOutError);  // open for output
  h.CloseFile();
  try {
    f.Reset();
  } catch (const EInOutError& e) {
    EXPECT_NE(e.Message.find("missing.txt"), std::string::npos);
  }
}

TEST(TextFile, PositionAndSize) {
  testsupport::TempDir dir;
  dir.write("p.txt", "ab\ncd\n");
  TTextFile f("p.txt");
  f.Reset();
  EXPECT_EQ(f.FileSize(), 6);
  f.ReadLn();
  EXPECT_EQ(f.FilePos(), 3);
  f.Reset();  // again from the start
  EXPECT_EQ(f.ReadLine(), "ab");
}

TEST(BinaryFile, BlocksAndRecords) {
  testsupport::TempDir dir;
  TBinaryFile f("b.bin");
  f.Rewrite(4);
  const char data[] = "abcdefghijkl";
  f.BlockWrite(data, 3);
  EXPECT_EQ(f.FileSize(), 3);
  f.Seek(1);
  char rec[5] = {};
  EXPECT_EQ(f.BlockRead(rec, 1), 1);
  EXPECT_STREQ(rec, "efgh");
  f.CloseFile();

  f.Reset(1);
  char buf[20] = {};
  EXPECT_EQ(f.BlockRead(buf, 20), 12);  // a short read reports the count
  EXPECT_TRUE(f.Eof());
  EXPECT_THROW(f.BlockWrite(buf, 1), EInOutError);  // opened read-only
  f.CloseFile();

  TBinaryFile m("missing.bin");
  EXPECT_THROW(m.Reset(), EInOutError);
  EXPECT_THROW(m.BlockRead(buf, 1), EInOutError);
}

}  // namespace
