#include <gtest/gtest.h>

#include <vector>

#include "DOV_filesys.h"
#include "TestSupport.h"

namespace {

std::string Catalogue() {
  return testsupport::ReadFileBytes(testsupport::TestDataDir() / "atnf" / "ATNF_v1.66.csv");
}

std::string WithCRLF(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The text as UTF-16 little-endian with its byte-order mark (ASCII input).
std::string Utf16le(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

}  // namespace

TEST(CheckTextFileType, MarksInTheirOrder) {
  testsupport::TempDir dir;
  struct Case {
    std::string bytes;
    TTextfileType want;
  };
  const Case cases[] = {
      {"", tftUnknown},
      {"a", tftUnknown},
      {"\xEF\xBB\xBF", tftUTF8},
      {"\xEF\xBB\xBF"
       "Catalogue Version: 1.66\n",
       tftUTF8},
      {"\xFF\xFE", tftUnicode_le},  // the zeros that fill a short read are no mark
      {std::string("\xFF\xFE\x00", 3), tftUnicode_le},
      {"\xFF\xFE"
       "a",
       tftUnicode_le},
      {std::string("\xFF\xFE\x00\x00", 4), tftUnicode4_le},  // never the two-byte mark
      {std::string("\xFF\xFE\x00\x00xyz", 7), tftUnicode4_le},
      {std::string("\x00\x00\xFE\xFF", 4), tftUnicode4_be},
      {"\xFE\xFF", tftUnicode_be},
      {"{\\rtf1\\ansi", tftRTF},
      {"{\\Rtf1", tftUnknown},  // the RTF test is case-sensitive
      {"{\\r", tftRTF},
      {"\xEF\xBB", tftUnknown},
      {std::string("\x00\x00\xFE", 3), tftUnknown},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string name = "f" + std::to_string(n++) + ".txt";
    dir.write(name, c.bytes);
    EXPECT_EQ(CheckTextFileType(name), c.want) << name;
  }
  dir.write("utf16.csv", Utf16le("#;NAME\n1;J0002+6216\n"));
  EXPECT_EQ(CheckTextFileType("utf16.csv"), tftUnicode_le);
}

TEST(CheckTextFileType, MissingFileRaisesAndIsNotCreated) {
  testsupport::TempDir dir;
  EXPECT_THROW(CheckTextFileType("missing.csv"), EInOutError);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing.csv"));
}

TEST(CheckTextFileType, FolderRaisesLikeAFileThatCannotBeOpened) {
  testsupport::TempDir dir;
  std::filesystem::create_directory(dir.path() / "sub.csv");
  EXPECT_THROW(CheckTextFileType("sub.csv"), EInOutError);
  EXPECT_THROW(CountLinesInTextFile("sub.csv", nullptr), EInOutError);
}

TEST(CheckTextFileType, CatalogueIsPlainText) {
  EXPECT_EQ(CheckTextFileType((testsupport::TestDataDir() / "atnf" / "ATNF_v1.66.csv").string()),
            tftUnknown);
}

TEST(CountLinesInTextFile, LineEndRules) {
  testsupport::TempDir dir;
  struct Case {
    std::string bytes;
    int want;
  };
  const Case cases[] = {
      {"", 0},
      {"x\n", 1},
      {"line\nsecond", 2},
      {"\n\n", 2},
      {"one\r\ntwo\r\n", 2},
      {"a\rb\n", 1},            // a lone CR is no line end
      {"line\n\x1Amore\n", 1},  // Ctrl-Z ends the file
      {"\x1A", 0},
      {"\xEF\xBB\xBF"
       "a\nb\n",
       2},  // the mark is no line of its own
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string name = "c" + std::to_string(n++) + ".txt";
    dir.write(name, c.bytes);
    EXPECT_EQ(CountLinesInTextFile(name, nullptr), c.want) << name;
  }
}

TEST(CountLinesInTextFile, FeedbackAtEveryThousandLines) {
  testsupport::TempDir dir;
  std::string text;
  for (int i = 0; i < 2500; ++i) text += "row " + std::to_string(i) + "\n";
  dir.write("rows.txt", text);
  std::vector<double> counts;
  const Integer n =
      CountLinesInTextFile("rows.txt", [&](TObject* Sender, Double StateCnt, Double PercentDone) {
        EXPECT_EQ(Sender, nullptr);
        EXPECT_EQ(PercentDone, 0);
        counts.push_back(StateCnt);
      });
  EXPECT_EQ(n, 2500);
  EXPECT_EQ(counts, (std::vector<double>{1000, 2000}));
}

TEST(CountLinesInTextFile, LeavesTheFileAtItsFirstLine) {
  testsupport::TempDir dir;
  dir.write("t.txt", "first\nsecond\nthird\n");
  TTextFile f("t.txt");
  f.Reset();
  f.ReadLn();
  f.ReadLn();
  EXPECT_EQ(CountLinesInTextFile(f, nullptr), 3);
  EXPECT_EQ(f.ReadLine(), "first");
  f.CloseFile();
  // An assigned file that was never opened is reset by the count.
  TTextFile g("t.txt");
  EXPECT_EQ(CountLinesInTextFile(g, nullptr), 3);
  EXPECT_EQ(g.ReadLine(), "first");
}

TEST(CountLinesInTextFile, MissingFileRaises) {
  testsupport::TempDir dir;
  EXPECT_THROW(CountLinesInTextFile("missing.txt", nullptr), EInOutError);
}

TEST(CountLinesInTextFile, RealCatalogueInEveryLineEndForm) {
  testsupport::TempDir dir;
  const std::string lf = Catalogue();
  const int lines = 3282 + 3;  // rows plus the version, header and unit lines
  EXPECT_EQ(CountLinesInTextFile((testsupport::TestDataDir() / "atnf" / "ATNF_v1.66.csv").string(),
                                 nullptr),
            lines);
  dir.write("crlf.csv", WithCRLF(lf));
  EXPECT_EQ(CheckTextFileType("crlf.csv"), tftUnknown);
  EXPECT_EQ(CountLinesInTextFile("crlf.csv", nullptr), lines);
  dir.write("bom.csv", "\xEF\xBB\xBF" + lf);
  EXPECT_EQ(CheckTextFileType("bom.csv"), tftUTF8);
  EXPECT_EQ(CountLinesInTextFile("bom.csv", nullptr), lines);
  // Without the last line end the last row still counts.
  dir.write("noend.csv", lf.substr(0, lf.size() - 1));
  EXPECT_EQ(CountLinesInTextFile("noend.csv", nullptr), lines);
}
