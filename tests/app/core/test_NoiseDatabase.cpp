#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>

#include "NoiseDatabase.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

// A record as the program saves it, number N, with the measured value M.
TNoiseLines Record(int N, float M = 10.2F, const String& Comment = "clear sky") {
  return NewNoiseRecord(N, "2026-12-08", "10:1" + std::to_string(N) + ":00", 1420, 34.5678, 120,
                        2345678, 12.345678, M, Comment);
}

String Text(const std::vector<TNoiseLines>& Records, const char* Eol = "\r\n") {
  String s;
  for (const auto& r : Records)
    for (const auto& l : r) s += l + Eol;
  return s;
}

std::vector<String> Numbers(const TNoiseDatabase& Db) {
  std::vector<String> n;
  for (const auto& r : Db.Records) n.push_back(r.Lines[nlNumber]);
  return n;
}

class NoiseDatabaseTest : public ::testing::Test {
protected:
  void TearDown() override { SetNoiseFileFaultForTesting(nullptr); }
  void SaveThree() {
    for (int n = 1; n <= 3; ++n) AppendNoiseRecord(Record(n, 10.0F + static_cast<float>(n)));
  }
  bool Exists(const char* Name) const { return fs::exists(dir.path() / Name); }
  testsupport::TempDir dir;
};

}  // namespace

TEST(NoiseNumbers, SixSignificantDigitsWithAPoint) {
  testsupport::UseCommaDecimalLocale();
  struct Case {
    double value;
    const char* text;
  };
  for (const Case& c :
       {Case{1420, "1420"}, Case{12.345678, "12.3457"}, Case{2345678, "2.34568e+06"},
        Case{0.0001, "0.0001"}, Case{0.00001, "1e-05"}, Case{-0.5, "-0.5"}, Case{123456, "123456"},
        Case{1234567, "1.23457e+06"}})
    EXPECT_EQ(NoiseNumberText(c.value), c.text) << c.value;
  std::setlocale(LC_ALL, "C");
}

TEST(NoiseNumbers, ANewRecordKeepsMeasuredAndDeltaInSinglePrecision) {
  // Control characters typed or pasted into the comment would split the record or end the
  // file for the reader.
  const TNoiseLines r = NewNoiseRecord(7, "2026-12-08", "10:15:00", 1296, 20, 85.5, 1.5e6, 3.25F,
                                       3.2F, "line\r\nbreak\x1a\tend\x7f");
  const TNoiseLines expected = {"7",   "2026-12-08", "10:15:00",         "1296",
                                "20",  "85.5",       "1.5e+06",          "3.25",
                                "3.2", "0.05",       "line  break  end "};
  EXPECT_EQ(r, expected);
  // 3.25 - 3.2F is 0.0500000476837158..., which single precision holds as 0.0500000477.
  EXPECT_EQ(NewNoiseRecord(1, "", "", 0, 0, 0, 0, 12.345678, 10.2F, "")[nlDelta], "2.14568");
}

TEST_F(NoiseDatabaseTest, SavesNumberedRecordsAndReadsThemBack) {
  EXPECT_FALSE(ReadNoiseDatabase().Found);
  SaveThree();
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), Text({Record(1, 11), Record(2, 12), Record(3, 13)}));
  const TNoiseDatabase db = ReadNoiseDatabase();
  EXPECT_TRUE(db.Found);
  EXPECT_TRUE(db.Problems.empty());
  EXPECT_EQ(Numbers(db), (std::vector<String>{"1", "2", "3"}));
  EXPECT_EQ(db.StoredRecords, 3);
  EXPECT_DOUBLE_EQ(db.Records[1].Frequency, 1420);
  EXPECT_DOUBLE_EQ(db.Records[1].FluxJy, 2345680);
  EXPECT_DOUBLE_EQ(db.Records[1].Measured, 12);
}

TEST_F(NoiseDatabaseTest, DeletingARowRenumbersTheRestAndKeepsTheOldDatabase) {
  SaveThree();
  const String three = dir.read("NoiseMeasurements.txt");
  DeleteNoiseRecord(2);
  TNoiseDatabase db = ReadNoiseDatabase();
  EXPECT_EQ(Numbers(db), (std::vector<String>{"1", "2"}));
  EXPECT_EQ(db.Records[1].Lines[nlTime], "10:13:00");  // the former record 3
  EXPECT_EQ(dir.read("OLD_NoiseMeasurements.txt"), three);
  EXPECT_FALSE(Exists("temp.txt"));

  RestoreNoiseDatabase();  // the user answers No
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), three);
  EXPECT_FALSE(Exists("OLD_NoiseMeasurements.txt"));

  DeleteNoiseRecord(1);
  db = ReadNoiseDatabase();
  EXPECT_EQ(Numbers(db), (std::vector<String>{"1", "2"}));
  EXPECT_EQ(db.Records[0].Lines[nlTime], "10:12:00");
  EXPECT_THROW(DeleteNoiseRecord(3), ENoiseDatabase);
  EXPECT_THROW(DeleteNoiseRecord(0), ENoiseDatabase);
}

TEST_F(NoiseDatabaseTest, DeleteAllKeepsTheDatabaseAsTheBackup) {
  SaveThree();
  const String three = dir.read("NoiseMeasurements.txt");
  DeleteAllNoiseRecords();
  EXPECT_FALSE(Exists("NoiseMeasurements.txt"));
  EXPECT_EQ(dir.read("OLD_NoiseMeasurements.txt"), three);
  EXPECT_NO_THROW(DeleteAllNoiseRecords());  // nothing left to delete
}

TEST_F(NoiseDatabaseTest, AHandWrittenDatabaseLoadsItsSoundRecords) {
  auto bad = Record(2);
  bad[nlFlux] = "lots";
  auto empty = Record(3);
  empty[nlGain] = "";
  auto cut = Record(4);
  String text = Text({Record(1), bad, empty}, "\n");  // LF only, as an editor may leave it
  for (int i = 0; i < 5; ++i) text += cut[static_cast<size_t>(i)] + "\n";
  dir.write("NoiseMeasurements.txt", text);

  const TNoiseDatabase db = ReadNoiseDatabase();
  EXPECT_EQ(Numbers(db), (std::vector<String>{"1", "3"}));
  EXPECT_EQ(db.Records[1].Gain, 0.0);  // an empty line reads as 0, never a stale value
  EXPECT_EQ(db.Problems,
            (std::vector<String>{"Record 2 (lines 12-22): line 18 'lots' is not a number.",
                                 "Record 4 (lines 34-38) is incomplete: 5 of 11 lines."}));
  EXPECT_EQ(db.StoredRecords, 4);

  // No new record is put behind the cut one, where it would be misread.
  EXPECT_THROW(AppendNoiseRecord(Record(5)), ENoiseDatabase);
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), text);

  // The number the grid shows selects the record: 3 is the second sound record, behind the
  // damaged record 2. The damaged ones are kept as they were.
  EXPECT_THROW(DeleteNoiseRecord(2), ENoiseDatabase);
  DeleteNoiseRecord(3);
  const TNoiseDatabase after = ReadNoiseDatabase();
  EXPECT_EQ(Numbers(after), (std::vector<String>{"1"}));
  EXPECT_EQ(after.Problems.size(), 2u);
  EXPECT_NE(dir.read("NoiseMeasurements.txt").find("lots\r\n"), String::npos);
}

// Records #1, #2 damaged, #3, #4: deleting 3 removes the third record of the file, not the
// third one listed, and the record behind it becomes 3.
TEST_F(NoiseDatabaseTest, DeleteTakesTheRecordOfTheNumberShown) {
  auto bad = Record(2);
  bad[nlMeasured] = "8,5";
  dir.write("NoiseMeasurements.txt", Text({Record(1), bad, Record(3), Record(4)}));
  DeleteNoiseRecord(3);
  const TNoiseDatabase db = ReadNoiseDatabase();
  EXPECT_EQ(Numbers(db), (std::vector<String>{"1", "3"}));
  EXPECT_EQ(db.Records[1].Lines[nlTime], "10:14:00");  // the former record 4
  EXPECT_EQ(db.Problems.size(), 1u);

  // Two records carrying one number (edited by hand): which one is meant is unknown.
  const String twice = Text({Record(1), Record(1)});
  dir.write("NoiseMeasurements.txt", twice);
  EXPECT_THROW(DeleteNoiseRecord(1), ENoiseDatabase);
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), twice);
}

// What a file may look like after an editor, a crash or a foreign program, and what a read and
// the next save make of it.
TEST_F(NoiseDatabaseTest, FileShapesAndTheNextSave) {
  const String two = Text({Record(1), Record(2)});
  auto noComment = Record(2);
  noComment[nlComment] = "";
  auto latin1 = Record(2);
  latin1[nlComment] = "caf\xE9 \xFF\xFE";  // not UTF-8: kept byte for byte
  auto huge = Record(2);
  huge[nlComment] = String(2000000, 'x');
  String cut = two.substr(0, two.size() - 30);
  struct Case {
    const char* what;
    String text;
    std::vector<String> numbers;
    size_t problems;
    bool saves;  // a third record can be appended and reads back as number 3
  };
  const Case cases[] = {
      {"one blank line at the end", two + "\r\n", {"1", "2"}, 0, true},
      {"blank lines at the end, LF only",
       Text({Record(1), Record(2)}, "\n") + "\n \n\t\n",
       {"1", "2"},
       0,
       true},
      {"an empty comment last", Text({Record(1), noComment}), {"1", "2"}, 0, true},
      {"an empty comment last and a blank line",
       Text({Record(1), noComment}) + "\r\n",
       {"1", "2"},
       0,
       true},
      {"only blank lines", "\r\n\r\n", {}, 0, false},
      {"cut inside the last record", cut, {"1"}, 1, false},
      {"a comment that is no UTF-8", Text({Record(1), latin1}), {"1", "2"}, 0, true},
      {"a comment of 2 MB", Text({Record(1), huge}), {"1", "2"}, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir.write("NoiseMeasurements.txt", c.text);
    const TNoiseDatabase db = ReadNoiseDatabase();
    EXPECT_EQ(Numbers(db), c.numbers);
    EXPECT_EQ(db.Problems.size(), c.problems);
    if (!c.saves) continue;
    AppendNoiseRecord(Record(3));
    const TNoiseDatabase after = ReadNoiseDatabase();
    EXPECT_EQ(Numbers(after), (std::vector<String>{"1", "2", "3"}));
    EXPECT_TRUE(after.Problems.empty());
    EXPECT_EQ(after.Records[1].Lines[nlComment], db.Records[1].Lines[nlComment]);
  }
  // Nothing written beside the database stays.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Records 1, 2, 3, 4 with one line of record 2 missing, whichever: record 2 is named as
// damaged and 3 and 4 are listed, also when the comments are empty or a number (where record
// 2 would read whole, taking 3's number as its comment). Deleting 3 keeps record 2's lines.
TEST_F(NoiseDatabaseTest, ARecordMissingALineHidesNoOther) {
  for (const char* comment : {"clear sky", "", "3"}) {
    for (size_t missing = 0; missing < kRecordLines; ++missing) {
      SCOPED_TRACE("comment '" + String(comment) + "', line " + std::to_string(missing + 1));
      const auto r = [&](int N) { return Record(N, 10.2F, comment); };
      TNoiseLines cut = r(2);
      String text = Text({r(1)});
      for (size_t i = 0; i < kRecordLines; ++i)
        if (i != missing) text += cut[i] + "\r\n";
      text += Text({r(3), r(4)});
      dir.write("NoiseMeasurements.txt", text);
      const TNoiseDatabase db = ReadNoiseDatabase();
      EXPECT_EQ(Numbers(db), (std::vector<String>{"1", "3", "4"}));
      EXPECT_EQ(db.Problems,
                std::vector<String>{"Record 2 (lines 12-21) is incomplete: 10 of 11 lines."});
      EXPECT_EQ(db.StoredRecords, 4);
      EXPECT_EQ(db.Records[1].Lines, r(3));

      DeleteNoiseRecord(3);
      const TNoiseDatabase after = ReadNoiseDatabase();
      EXPECT_EQ(Numbers(after), (std::vector<String>{"1", "3"}));
      EXPECT_EQ(after.Records[1].Lines[nlTime], "10:14:00");  // the former record 4
      EXPECT_EQ(after.Problems, db.Problems);
    }
  }
}

// Bytes the line reader does not take (from a Ctrl-Z on, carriage returns that end no line)
// make the file damaged: they are named, and no deletion writes the file without them. A
// save is refused where the reader would not reach the new record.
TEST_F(NoiseDatabaseTest, BytesTheReaderDoesNotTakeAreNeverDropped) {
  const auto withComment = [](const String& Comment) {
    auto r = Record(2);
    r[nlComment] = Comment;
    return Text({Record(1), r, Record(3), Record(4)});
  };
  const struct {
    const char* what;
    String text;
    std::vector<String> numbers;
    String problem;
    bool saves;
  } cases[] = {
      {"a Ctrl-Z in a comment",
       withComment("cloudy\x1a then clear"),
       {"1", "2"},
       "Line 22: the reading stops at a Ctrl-Z character; the 200 bytes from it to the end are "
       "not read.",
       false},
      {"a Ctrl-Z at the end",
       Text({Record(1), Record(2)}) + "\x1a",
       {"1", "2"},
       "Line 23: the reading stops at a Ctrl-Z character, the last byte of the file.",
       false},
      {"carriage returns that end no line",
       withComment("cloudy\rthen\r clear"),
       {"1", "2", "3", "4"},
       "Line 22: 2 carriage returns that end no line are not read.",
       true},
      {"a comment longer than any line the program reads",
       withComment(String(17 << 20, 'x')),
       {},
       "Cannot read NoiseMeasurements.txt, line 22: it is longer than any line the program reads "
       "(more than 16 MB)",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(dir.path() / "OLD_NoiseMeasurements.txt");
    dir.write("NoiseMeasurements.txt", c.text);
    const TNoiseDatabase db = ReadNoiseDatabase();
    EXPECT_EQ(Numbers(db), c.numbers);
    EXPECT_EQ(db.Problems, std::vector<String>{c.problem});
    EXPECT_THROW(DeleteNoiseRecord(1), ENoiseDatabase);
    EXPECT_EQ(dir.read("NoiseMeasurements.txt"), c.text);
    EXPECT_FALSE(Exists("OLD_NoiseMeasurements.txt"));
    EXPECT_FALSE(Exists("temp.txt"));
    if (c.saves) {
      AppendNoiseRecord(Record(5));
      EXPECT_EQ(Numbers(ReadNoiseDatabase()).back(), "5");
    } else {
      EXPECT_THROW(AppendNoiseRecord(Record(5)), ENoiseDatabase);
      EXPECT_EQ(dir.read("NoiseMeasurements.txt"), c.text);
    }
  }
}

TEST_F(NoiseDatabaseTest, BadRecordNumbersAndValuesAreNamed) {
  struct Case {
    int line;
    const char* text;
    const char* problem;
  };
  const Case cases[] = {
      {nlNumber, "two", "Record 1 (lines 1-11): line 1 'two' is not a record number."},
      {nlFrequency, "1420,5", "Record 1 (lines 1-11): line 4 '1420,5' is not a number."},
      {nlMeasured, "nan", "Record 1 (lines 1-11): line 9 'nan' is not a number."},
      {nlDelta, "1e300", "Record 1 (lines 1-11): line 10 '1e300' is not a number."},
  };
  for (const Case& c : cases) {
    auto r = Record(1);
    r[static_cast<size_t>(c.line)] = c.text;
    const TNoiseDatabase db = ParseNoiseDatabase(Text({r}));
    EXPECT_TRUE(db.Records.empty()) << c.text;
    EXPECT_EQ(db.Problems, std::vector<String>{c.problem});
  }
}

TEST_F(NoiseDatabaseTest, AnAppendStartsOnALineOfItsOwn) {
  String text = Text({Record(1)});
  text.resize(text.size() - 2);  // the comment line lost its line end
  dir.write("NoiseMeasurements.txt", text);
  AppendNoiseRecord(Record(2));
  EXPECT_EQ(Numbers(ReadNoiseDatabase()), (std::vector<String>{"1", "2"}));
}

// Every file step of every operation failing in turn: the database is always complete,
// either as it was or as it should become, and no temporary file stays.
TEST_F(NoiseDatabaseTest, AFailingStepLosesNothing) {
  struct Case {
    const char* step;
    std::function<void()> run;
  };
  const Case cases[] = {
      {"write", [] { AppendNoiseRecord(Record(4)); }}, {"write", [] { DeleteNoiseRecord(2); }},
      {"backup", [] { DeleteNoiseRecord(2); }},        {"replace", [] { DeleteNoiseRecord(2); }},
      {"move", [] { DeleteAllNoiseRecords(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    fs::remove(dir.path() / "NoiseMeasurements.txt");
    SaveThree();
    dir.write("OLD_NoiseMeasurements.txt", "an older backup");
    const String three = dir.read("NoiseMeasurements.txt");
    SetNoiseFileFaultForTesting([&](const String& Step) { return Step == c.step; });
    EXPECT_THROW(c.run(), ENoiseDatabase);
    SetNoiseFileFaultForTesting(nullptr);
    EXPECT_EQ(dir.read("NoiseMeasurements.txt"), three);
    EXPECT_FALSE(Exists("temp.txt"));
    EXPECT_FALSE(Exists("OLD_NoiseMeasurements.txt.new"));
    // The backup is the older one, or (after the backup step) the database itself.
    const String old = dir.read("OLD_NoiseMeasurements.txt");
    EXPECT_TRUE(old == "an older backup" || old == three);
  }

  // Answering No when the old database cannot be brought back keeps the new one.
  DeleteNoiseRecord(2);
  const String two = dir.read("NoiseMeasurements.txt");
  SetNoiseFileFaultForTesting([](const String& Step) { return Step == "restore"; });
  EXPECT_THROW(RestoreNoiseDatabase(), ENoiseDatabase);
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), two);
  EXPECT_TRUE(Exists("OLD_NoiseMeasurements.txt"));
}

// A real short write: the file-size limit lets half the record through, then the system
// refuses the rest. The half is taken back.
TEST_F(NoiseDatabaseTest, AShortWriteIsTakenBack) {
  SaveThree();
  const String three = dir.read("NoiseMeasurements.txt");
  {
    const testsupport::FileSizeLimit disk(three.size() + 40);
    EXPECT_THROW(AppendNoiseRecord(Record(4)), ENoiseDatabase);
  }
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), three);
}

TEST(NoiseGrid, CellTextsAreCutOrPaddedAsShown) {
  TNoiseRecord r = ParseNoiseDatabase(Text({Record(1)})).Records.at(0);
  const auto t = NoiseGridTexts(r);
  EXPECT_EQ(t[nlGain], "34.567");
  EXPECT_EQ(t[nlTsys], "120   ");
  EXPECT_EQ(t[nlFlux], "2345680");
  EXPECT_EQ(t[nlExpected], "12.34");
  EXPECT_EQ(t[nlMeasured], "10.2 ");
  EXPECT_EQ(t[nlFrequency], "1420");
  auto zero = Record(2);
  zero[nlFlux] = "0";
  zero[nlGain] = "";
  const auto z = NoiseGridTexts(ParseNoiseDatabase(Text({zero})).Records.at(0));
  EXPECT_EQ(z[nlFlux], "");  // "#######" of 0
  EXPECT_EQ(z[nlGain], "");
}

TEST(NoiseCsv, HeaderUnitsAndRowsAsShown) {
  const auto a = NoiseGridTexts(ParseNoiseDatabase(Text({Record(1)})).Records.at(0));
  const auto b =
      NoiseGridTexts(ParseNoiseDatabase(Text({Record(2, 9.5F, "rain, \"heavy\"")})).Records.at(0));
  EXPECT_EQ(
      NoiseCsv({a, b}),
      "#,Date,Hour,Frequency,Antenna Gain,Tsys,SFU,Expected Noise,Measured Noise,Delta,Comments\r\n"
      ",,,( Mhz ),( dB ),( K ),( Jy ),( dB ),( dB ),( dB ),\r\n"
      "1,2026-12-08,10:11:00,1420,34.567,120   ,2345680,12.34,10.2 ,2.145,clear sky\r\n"
      "2,2026-12-08,10:12:00,1420,34.567,120   ,2345680,12.34,9.5  ,2.845,\"rain, "
      "\"\"heavy\"\"\"\r\n");
  EXPECT_EQ(NoiseCsvName(2026, 12, 8), "120826.csv");
  EXPECT_EQ(NoiseCsvName(2027, 1, 1), "010127.csv");
}
