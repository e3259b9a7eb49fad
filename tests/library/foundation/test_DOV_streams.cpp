#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "Classes.h"
#include "DOV_streams.h"
#include "TestSupport.h"

namespace {

String Bytes(std::initializer_list<int> codes) {
  String s;
  for (int c : codes) s.push_back(static_cast<char>(c));
  return s;
}

// A stream that fails every read, as a closed device would.
class TBrokenStream : public TMemoryStream {
public:
  Int64 Read(void*, Int64) override { throw EReadError("Stream read error"); }
};

}  // namespace

// ---- binary items ----------------------------------------------------------------------------

TEST(StreamItems, LayoutsAreLittleEndianAndExactlySized) {
  TStringStream s;
  WriteLongintToStream(s, -2);
  WriteSingleToStream(s, 1.0f);
  WriteDoubleToStream(s, -2.0);
  WriteExtendedToStream(s, 1.0L);
  EXPECT_EQ(s.DataString(), Bytes({0xFE, 0xFF, 0xFF, 0xFF,                                   // -2
                                   0x00, 0x00, 0x80, 0x3F,                                   // 1.0f
                                   0,    0,    0,    0,    0, 0, 0x00, 0xC0,                 // -2.0
                                   0,    0,    0,    0,    0, 0, 0,    0x80, 0xFF, 0x3F}));  // 1.0L
}

TEST(StreamItems, RoundTripKeepsEveryBit) {
  const Extended xs[] = {0.0L, -0.0L, 1.1e4932L, 3.645e-4951L, -123.456789012345678L};
  const Double ds[] = {5e-324, -1.7e308, std::numeric_limits<Double>::infinity(), 0.1};
  TStringStream s;
  for (Extended x : xs) WriteExtendedToStream(s, x);
  for (Double d : ds) WriteDoubleToStream(s, d);
  WriteSingleToStream(s, 3.4e38f);
  WriteLongintToStream(s, std::numeric_limits<Integer>::min());
  s.SetPosition(0);
  bool err = true;
  for (Extended x : xs) {
    const Extended r = ReadExtendedFromStream(s, err);
    EXPECT_FALSE(err);
    EXPECT_EQ(std::memcmp(&r, &x, 10), 0) << static_cast<double>(x);
  }
  for (Double d : ds) {
    EXPECT_EQ(ReadDoubleFromStream(s, err), d);
    EXPECT_FALSE(err);
  }
  EXPECT_EQ(ReadSingleFromStream(s, err), 3.4e38f);
  EXPECT_EQ(ReadLongintFromStream(s, err), std::numeric_limits<Integer>::min());
  EXPECT_FALSE(err);
  EXPECT_EQ(s.Position(), s.Size());
}

TEST(StreamItems, ShortReadsAndFailingStreamsSetError) {
  struct Case {
    int bytesLeft;
    int which;  // 0 extended, 1 double, 2 single, 3 longint
  };
  for (const Case c : {Case{9, 0}, Case{7, 1}, Case{3, 2}, Case{3, 3}, Case{0, 3}}) {
    TStringStream s(String(static_cast<size_t>(c.bytesLeft), '\x01'));
    bool err = false;
    switch (c.which) {
      case 0: ReadExtendedFromStream(s, err); break;
      case 1: ReadDoubleFromStream(s, err); break;
      case 2: ReadSingleFromStream(s, err); break;
      default: ReadLongintFromStream(s, err); break;
    }
    EXPECT_TRUE(err) << c.which << " with " << c.bytesLeft << " bytes";
  }
  TBrokenStream broken;
  bool err = false;
  ReadDoubleFromStream(broken, err);
  EXPECT_TRUE(err);
}

// ---- strings and lines -----------------------------------------------------------------------

TEST(StreamText, CharactersGoAsTheirLowByte) {
  TStringStream s;
  WriteLnStream(s, "\xC3\xBC");  // "ü"
  EXPECT_EQ(s.DataString(), Bytes({0xFC, 0x0D, 0x0A}));
  s.SetPosition(0);
  bool eos = true;
  EXPECT_EQ(ReadLnStream(s, eos, 0), "\xC3\xBC");
  EXPECT_FALSE(eos);
  // A character beyond 255 keeps only its low byte; a stray byte is written as it is.
  TStringStream t;
  WriteStringStream(t,
                    "\xE2\x82\xAC"
                    "a\xFF");  // euro sign U+20AC, "a", a lone $FF
  EXPECT_EQ(t.DataString(), Bytes({0xAC, 'a', 0xFF}));
}

TEST(StreamText, LongTextsAreWrittenWhole) {
  const String text(10000, 'x');
  TStringStream s;
  WriteStringStream(s, text);
  EXPECT_EQ(s.DataString(), text);
}

TEST(StreamText, ReadLnModes) {
  struct Case {
    String data;
    Integer mode;
    std::vector<String> lines;  // every line read until the end
    const char* why;
  };
  const Case cases[] = {
      {"abc\r\ndef", 0, {"abc", "def"}, "LF ends the line; CR LF removed"},
      {"abc\r\nd", 1, {"abc", "\nd"}, "the LF of CR LF begins the next line"},
      {"a\rb\nc", 2, {"a", "b", "c"}, "either ends"},
      {"a\n\rb\nc", 3, {"a", "b\nc"}, "a CR directly after a LF"},
      {"a\nb\r\nc", 4, {"a\nb", "c"}, "a LF directly after a CR"},
      {"a\r\nb\nc", 9, {"a\r\nb\nc"}, "other modes never end a line"},
      {"\r\r\n", 0, {"\r", ""}, "at most two line-end characters go"},
      {"ab\n", 1, {"ab\n"}, "no CR: the line runs to the end with its LF"},
  };
  for (const Case& c : cases) {
    TStringStream s(c.data);
    std::vector<String> got;
    bool eos = false;
    while (!eos) got.push_back(ReadLnStream(s, eos, c.mode));
    EXPECT_EQ(got, c.lines) << c.why;
  }
}

TEST(StreamText, ReadLnWithoutLineEndReportsTheEnd) {
  TStringStream s("ab");
  bool eos = false;
  EXPECT_EQ(ReadLnStream(s, eos, 0), "ab");
  EXPECT_TRUE(eos);
}

TEST(StreamText, ReadersLeaveThePositionBehindTheLastByteTheyConsumed) {
  // A file stream, so that the block-wise reading has to seek back on a real file.
  testsupport::TempDir dir;
  dir.write("lines.txt", "first\r\nsecond\r\n  +42;rest 7|x");
  TFileStream f("lines.txt", fmOpenRead);
  bool eos = false;
  EXPECT_EQ(ReadLnStream(f, eos, 0), "first");
  EXPECT_EQ(f.Position(), 7);
  EXPECT_EQ(ReadLnStream(f, eos, 0), "second");
  EXPECT_EQ(ScanStreamDecimal(f), 42);
  EXPECT_EQ(f.Position(), 21);  // behind ";"
  EXPECT_TRUE(FindInStream(f, '|'));
  EXPECT_EQ(f.Position(), 28);
  EXPECT_EQ(StreamAsString(f), "x");
  EXPECT_FALSE(FindInStream(f, '|'));
}

TEST(StreamText, StreamAsStringReadsTheRestAsCharacters) {
  TStringStream s(Bytes({'a', 0xE9, 'b'}));
  s.SetPosition(1);
  EXPECT_EQ(StreamAsString(s),
            "\xC3\xA9"
            "b");
  EXPECT_EQ(s.Position(), 3);
}

TEST(StreamText, ReadStreamUntil) {
  TStringStream s("abc end xyz");
  Integer found = 5;
  EXPECT_EQ(ReadStreamUntil(s, "END", found), "abc end");
  EXPECT_EQ(found, 0);
  EXPECT_EQ(StreamAsString(s), " xyz");

  // An occurrence across the 256-byte block boundary is found, and only the first one counts.
  const String text = String(254, '.') + "<TAG>" + String(600, '-') + "<tag>";
  TStringStream t(text);
  EXPECT_EQ(ReadStreamUntil(t, "<tag>", found), text.substr(0, 259));
  EXPECT_EQ(found, 0);
  EXPECT_EQ(t.Position(), 259);

  TStringStream u("no delimiter here");
  EXPECT_EQ(ReadStreamUntil(u, "zz", found), "no delimiter here");
  EXPECT_EQ(found, -1);
  EXPECT_EQ(u.Position(), u.Size());
}

TEST(StreamText, CountLinesCountsLFsFromThePosition) {
  TStringStream s("x\n\r\n\rlast");
  s.SetPosition(1);
  EXPECT_EQ(CountLinesInStream(s), 2);
  EXPECT_EQ(s.Position(), s.Size());
  TStringStream big(String(200000, '\n'));
  EXPECT_EQ(CountLinesInStream(big), 200000);
}

// ---- number scanners -------------------------------------------------------------------------

TEST(StreamScanners, Decimal) {
  struct Case {
    String text;
    Integer value;
    Int64 posAfter;
  };
  const Case cases[] = {
      {"  +42;", 42, 6},
      {"\r\n-17 x", -17, 6},
      {"x12", 0, 1},  // no digits: 0, the "x" consumed
      {"", 0, 0},
      {"99", 99, 2},           // the end of the stream ends the number
      {"4294967297 ", 1, 11},  // wraps at 32 bits
      {"-2147483648", std::numeric_limits<Integer>::min(), 11},
  };
  for (const Case& c : cases) {
    TStringStream s(c.text);
    EXPECT_EQ(ScanStreamDecimal(s), c.value) << c.text;
    EXPECT_EQ(s.Position(), c.posAfter) << c.text;
  }
}

TEST(StreamScanners, FloatingPoint) {
  struct Case {
    String text;
    bool allowExp;
    TDecPSep sep;
    Double value;
    Int64 posAfter;
  };
  const Case cases[] = {
      {"  -12.5e3x", true, dsDot, -12500, 10},
      {"  -12.5e3x", false, dsDot, -12.5, 8},  // the "e" ends the number and is consumed
      {"1.75e308", true, dsDot, 1.7e308, 8},   // clamped
      {"-1.75e308 ", true, dsDot, -1.7e308, 10},
      {"1e5000", true, dsDot, 1.7e308, 6},  // the exponent text is cut to "500"
      {"1e-5000", true, dsDot, 0.0, 7},
      {"3,25;", true, dsComma, 3.25, 5},
      {"3,25;", true, dsDot, 3, 2},  // the comma ends the number
      {"3.25;", true, dsComma, 3, 2},
      {"7,5.", true, dsBoth, 0, 4},   // a second separator is an error
      {"2.5", true, dsSystem, 2, 2},  // dsSystem accepts no separator
      {"5.", true, dsDot, 5, 2},
      {".5", true, dsDot, 0.5, 2},
      {"\t\r\n 8 ", true, dsDot, 8, 6},
      {"+-3", true, dsDot, 0, 2},    // error: the result is 0
      {"1e+ 3", true, dsDot, 0, 4},  // blank after the exponent sign
      {"abc", true, dsDot, 0, 1},
      {"", true, dsDot, 0, 0},
      {"1E2", true, dsDot, 100, 3},
      {"1e", true, dsDot, 0, 2},  // the end of the stream after "E" is an error
      // the digits are read to the nearest double, not through a wider value rounded again
      {"2.387155225747177e+174 ", true, dsDot, 2.3871552257471772e174, 23},
      {"9007199254740993.0000000001", true, dsDot, 9007199254740994.0, 27},
  };
  for (const Case& c : cases) {
    TStringStream s(c.text);
    EXPECT_EQ(ScanStreamFPNum(s, c.allowExp, c.sep), c.value) << "'" << c.text << "'";
    EXPECT_EQ(s.Position(), c.posAfter) << "'" << c.text << "'";
  }
}

TEST(StreamScanners, ExponentDigitsBeyond4200AreLeftOut) {
  // "1e5000" reads as 1e500, which exists as an extended value: the clamp applies to it.
  // "1e-5000" reads as 1e-500, far below the smallest double: 0.
  // "1e0004201" keeps "1e000420" -> 1e420 -> clamped.
  struct Case {
    String text;
    Double value;
  };
  for (const Case& c : {Case{"1e5000", 1.7e308}, Case{"-1e5000", -1.7e308}, Case{"1e-5000", 0.0},
                        Case{"1e0004201", 1.7e308}, Case{"1e0000300", 1e300}}) {
    TStringStream s(c.text);
    EXPECT_DOUBLE_EQ(ScanStreamFPNum(s, true, dsDot), c.value) << c.text;
  }
}
