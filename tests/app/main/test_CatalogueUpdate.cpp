// "Check ATNF Catalogue version" against a stand-in catalogue service on 127.0.0.1 that
// speaks HTTPS with a certificate of its own certificate authority.

#include <filesystem>

#include "CatalogueUpdate.h"
#include "HTTPClient.h"
#include "NetConfig.h"
#include "TestServers.h"
#include "TextFile.h"
#include "support_mainwin.h"
#include "support_services.h"

namespace cu = CatalogueUpdate;

namespace {

const std::string StartPage = cu::StartPagePath;
const std::string QueryPage = std::string(cu::StartPagePath) + "proc_form.php";

// A start page as the service might write it: the words in another case, more than one line
// naming them (the last counts), CR LF line ends.
std::string PageAnnouncing(const std::string& Version) {
  return "<html><head><title>Pulsar catalogue</title></head>\r\n"
         "<body><p>Earlier catalogue version 1.2 is retired.</p>\r\n"
         "<p>CATALOGUE VERSION: " +
         Version + " (see the notes)</p>\r\n</body></html>\r\n";
}

const std::vector<std::string> NewRows = {
    "J0001+0001;10.0;20.0;0.5;30.0;5.0;12.0;3.0;1.0;1.0e+06;",
    "J0002+0002;11.0;21.0;0.7;40.0;6.0;-999.99;2.0;2.0;2.0e+06;",
    "J0003+0003;12.0;22.0;0.9;50.0;7.0;8.0;-999.99;3.0;3.0e+06;"};

// The query reply: HTML before the table, the table with CR LF, a blank line and HTML after
// it.
std::string CatalogueReply(const std::vector<std::string>& Rows = NewRows) {
  std::string s = "<html><body>\r\n<pre>\r\n" + std::string(cu::HeaderLine) + "\r\n" +
                  " ; ;(deg);(deg);(s);(cm^-3 pc);(ms);(mJy);(mJy);(kpc);(Yr);\r\n";
  int n = 0;
  for (const auto& r : Rows) s += std::to_string(++n) + ";" + r + "\r\n";
  return s + "\r\n</pre>\r\n</body></html>\r\n";
}

const std::vector<std::string> OldRows = {
    "J1000+1000;150.0;10.0;1.0;20.0;10.0;5.0;1.0;1.0;1.0e+07;"};

std::vector<std::string> TransferFilesLeft() {
  std::vector<std::string> left;
  for (const char* f :
       {cu::RawReplyFile, cu::ReplyFromHeaderFile, cu::UnusedTransferFile, cu::NewCatalogueFile})
    if (std::filesystem::exists(f)) left.push_back(f);
  return left;
}

}  // namespace

class CatalogueUpdateTest : public MainWindowTest {
protected:
  static void SetUpTestSuite() { Service = new TCannedService(TCannedService::TrustedTls); }
  static void TearDownTestSuite() {
    delete Service;
    Service = nullptr;
  }

  void SetUp() override {
    MainWindowTest::SetUp();
    Saved = NetConfig();
    NetConfig().CatalogueURL = Service->BaseUrl();
    NetConfig().CAFile = Service->CaFile();
    NetConfig().ConnectTimeoutMs = 5000;
    NetConfig().ReadTimeoutMs = 5000;
    OldCatalogue = CatalogueText(OldRows, "2.6.3");
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    NetConfig() = Saved;
  }

  void StartWithCatalogue() {
    dir.write("ATNF.csv", OldCatalogue);
    Start();
    dialogs->Clear();
  }
  void Serve(const std::string& Page, const std::vector<TCannedReply>& Query) {
    Service->Route(StartPage, {{200, Page}});
    Service->Route(QueryPage, Query);
  }
  // Runs the button's handler; true when the program ended (with code 0).
  bool Check() {
    try {
      Form1->Button46Click(Form1->Button46);
    } catch (const ProgramEnded& e) {
      EXPECT_EQ(e.Code, 0);
      return true;
    }
    return false;
  }
  // Answers for "There is a new version" (OK), the download question and, when it comes,
  // the restart question; the error message after a failed download takes its default.
  void Answer(int Download, int Restart = 0) {
    dialogs->Answer(IDOK);
    dialogs->Answer(Download);
    if (Restart) dialogs->Answer(Restart);
  }
  // The catalogue client trusts CaFile (besides the system's store).
  void TrustCa(const std::string& CaFile) {
    NetConfig().CAFile = CaFile;
    dynamic_cast<TSSLIOHandler&>(*Form1->FindComponent("IdSSLIOHandlerSocketOpenSSL1")).CAFile =
        CaFile;
  }
  void ExpectButtonIdle() {
    EXPECT_TRUE(Form1->Button46->Enabled());
    EXPECT_EQ(Form1->Button46->Caption(), cu::Texts::Idle);
  }

  static TCannedService* Service;
  TNetConfig Saved;
  std::string OldCatalogue;
};

TCannedService* CatalogueUpdateTest::Service = nullptr;

TEST_F(CatalogueUpdateTest, SameVersionIsTheLatestAndAsksNothingMore) {
  Serve(PageAnnouncing("2.6.3"), {{200, CatalogueReply()}});
  StartWithCatalogue();
  EXPECT_FALSE(Check());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{cu::Texts::Latest});
  ExpectButtonIdle();
  EXPECT_TRUE(std::filesystem::exists(cu::VersionPageFile));  // kept until the next check
  EXPECT_EQ(dir.read("ATNF.csv"), OldCatalogue);
}

TEST_F(CatalogueUpdateTest, RequestsCarryThePathsQueryAndHeaders) {
  Serve(PageAnnouncing("2.10.1"), {{200, CatalogueReply()}});
  StartWithCatalogue();
  const std::string before = Service->RequestLog();
  Answer(IDYES, IDNO);
  Check();
  const std::string log = Service->RequestLog().substr(before.size());
  EXPECT_NE(log.find("GET /research/pulsar/psrcat/ HTTP/1.1\n"), std::string::npos) << log;
  EXPECT_NE(log.find("GET /research/pulsar/psrcat/proc_form.php?version=2.10.1&Name=Name&RaJD="
                     "RaJD&DecJD=DecJD&P0=P0&DM=DM&W50=W50&S400=S400&S1400=S1400&Dist=Dist&Age="
                     "Age&startUserDefined=true&c1_val=&c2_val=&c3_val=&c4_val=&sort_attr=jname&"
                     "sort_order=asc&condition=&pulsar_names=&ephemeris=short&coords_unit=raj%2F"
                     "decj&radius=&coords_1=&coords_2=&style=Short+csv+without+errors&no_value=-"
                     "999.99&fsize=3&x_axis=&x_scale=linear&y_axis=&y_scale=linear&state=query&"
                     "table_bottom.x=87&table_bottom.y=35 HTTP/1.1\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\n"),
            std::string::npos);
  EXPECT_NE(log.find("User-Agent: Mozilla/3.0 (compatible; Indy Library)\n"), std::string::npos);
}

// The whole way: a six-character version is offered, downloaded, checked and installed, the
// old catalogue kept under its version; after the restart the band tables hold the new rows.
TEST_F(CatalogueUpdateTest, NewerVersionIsDownloadedInstalledAndReadAtTheNextStart) {
  Serve(PageAnnouncing("2.10.1"), {{200, CatalogueReply()}});
  StartWithCatalogue();
  EXPECT_EQ(Form1->CatalogueVersion, "2.6.3");
  Answer(IDYES, IDNO);  // download, do not close yet
  EXPECT_FALSE(Check());

  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].Text, cu::Texts::NewOne);
  EXPECT_EQ(boxes[1].Text, cu::Texts::AskDownload);
  EXPECT_EQ(boxes[1].Title, cu::Texts::AskDownloadTitle);
  EXPECT_EQ(boxes[1].DefaultButton, IDNO);
  EXPECT_EQ(boxes[2].Text, cu::Texts::AskRestart);
  EXPECT_EQ(boxes[2].Title, cu::Texts::AskRestartTitle);
  EXPECT_EQ(boxes[2].DefaultButton, IDNO);
  ExpectButtonIdle();

  EXPECT_EQ(dir.read("ATNF2.6.3.csv"), OldCatalogue);
  // The table alone: nothing of the page after it.
  const std::vector<String> lines = SplitTextLines(dir.read("ATNF.csv"));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "Catalogue Version: 2.10.1");
  EXPECT_EQ(lines[1], cu::HeaderLine);
  EXPECT_EQ(lines[3], "1;" + NewRows[0]);
  EXPECT_EQ(lines[5], "3;" + NewRows[2]);
  EXPECT_TRUE(TransferFilesLeft().empty());
  EXPECT_FALSE(std::filesystem::exists(cu::VersionPageFile));

  // The running program keeps what it read; the next start reads the new catalogue.
  EXPECT_EQ(Form1->CatalogueVersion, "2.6.3");
  delete Form1;
  dialogs->Clear();
  Form1 = new TForm1(nullptr);
  for (const auto& text : BoxTexts())  // every pulsar line read
    EXPECT_EQ(text.find("pulsar lines of ATNF.csv were read"), std::string::npos) << text;
  EXPECT_EQ(Form1->CatalogueVersion, "2.10.1");
  EXPECT_EQ(Form1->Count400, 2);   // rows 1 and 3 have S400
  EXPECT_EQ(Form1->Count1400, 2);  // rows 1 and 2 have S1400
  EXPECT_EQ(Form1->PulsarNames[5000 + 0], "J0001+0001");
  EXPECT_EQ(Form1->PulsarNames[5000 + 1], "J0003+0003");

  // The same check now finds the latest version.
  dialogs->Clear();
  EXPECT_FALSE(Check());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{cu::Texts::Latest});
}

TEST_F(CatalogueUpdateTest, RestartAnsweredYesEndsTheProgram) {
  Serve(PageAnnouncing("2.6.4"), {{200, CatalogueReply()}});
  StartWithCatalogue();
  Answer(IDYES, IDYES);
  EXPECT_TRUE(Check());
}

TEST_F(CatalogueUpdateTest, DeclinedDownloadStillAsksForTheRestartAndChangesNothing) {
  Serve(PageAnnouncing("2.6.4"), {{200, CatalogueReply()}});
  StartWithCatalogue();
  const std::string before = Service->RequestLog();
  Answer(IDNO, IDNO);
  EXPECT_FALSE(Check());
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{cu::Texts::NewOne, cu::Texts::AskDownload,
                                                  cu::Texts::AskRestart}));
  EXPECT_EQ(Service->RequestLog().substr(before.size()).find("proc_form.php"), std::string::npos);
  EXPECT_EQ(dir.read("ATNF.csv"), OldCatalogue);
  ExpectButtonIdle();
}

// Started without a catalogue, the check is the way out: nothing to keep, the new file
// simply becomes ATNF.csv.
TEST_F(CatalogueUpdateTest, WithoutACatalogueTheDownloadCreatesIt) {
  Serve(PageAnnouncing("2.6.3"), {{200, CatalogueReply()}});
  Start();
  ASSERT_TRUE(Form1->CatalogueMissing());
  dialogs->Clear();
  Answer(IDYES, IDNO);
  EXPECT_FALSE(Check());
  EXPECT_EQ(SplitTextLines(dir.read("ATNF.csv"))[0], "Catalogue Version: 2.6.3");
  EXPECT_FALSE(std::filesystem::exists("ATNF.csv.csv"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);  // ATNF.csv alone
}

// Every way a download can fail: the user is told, the button works again, nothing is left
// behind, no restart is asked for, and ATNF.csv is byte for byte what it was.
TEST_F(CatalogueUpdateTest, FailedDownloadsLeaveTheCatalogueAsItWas) {
  const std::string cut = CatalogueReply(std::vector<std::string>(200, NewRows[0]));
  std::vector<std::string> rows(3000, NewRows[0]);
  rows[9].insert(5, "\x1A");
  const std::string ctrlZ = CatalogueReply(rows);
  // The reply ends inside the S400 value of its third row: no line end, no closing tag.
  const std::string table = "<html><body>\r\n<pre>\r\n" + std::string(cu::HeaderLine) + "\r\n" +
                            " ; ;(deg);(deg);(s);(cm^-3 pc);(ms);(mJy);(mJy);(kpc);(Yr);\r\n" +
                            "1;" + NewRows[0] + "\r\n2;" + NewRows[1] + "\r\n";
  const std::string cutInRow = table + "3;J0003+0001;21.0;20.0;0.5;30.0;5.0;1";
  // Hostile replies within the size cap: rows by the million, line ends by the million.
  std::string millionRows = "<pre>\n" + std::string(cu::HeaderLine) + "\n";
  for (int n = 0; n < 10500000; ++n) millionRows += "1;\n";
  std::string lineEnds = "<pre>\n" + std::string(cu::HeaderLine) + "\n";
  lineEnds.resize(32 * 1024 * 1024 - 16, '\n');
  // Rows 1642 to 1646 sent twice; row 2000 missing; a byte 0 in a row's RAJD; no units line;
  // one row whose name is 31 MB long.
  std::vector<std::string> many(3000, NewRows[0]);
  std::string twice = CatalogueReply(many);
  const auto lineOf = [](const std::string& Reply, int Row) {
    const size_t at = Reply.find("\r\n" + std::to_string(Row) + ";") + 2;
    return std::make_pair(at, Reply.find("\r\n", at) + 2 - at);
  };
  {
    const auto [from, length] = lineOf(twice, 1642);
    const auto [to, lastLength] = lineOf(twice, 1646);
    twice.insert(to + lastLength, twice.substr(from, to + lastLength - from));
  }
  std::string gap = CatalogueReply(many);
  {
    const auto [at, length] = lineOf(gap, 2000);
    gap.erase(at, length);
  }
  std::string nul = CatalogueReply(many);
  nul.insert(lineOf(nul, 1234).first + 16, 1, '\0');
  std::string noUnits = CatalogueReply();
  noUnits.erase(noUnits.find(" ; ;(deg)"), noUnits.find("1;J0001") - noUnits.find(" ; ;(deg)"));
  std::string longName = CatalogueReply({"J0001+0001" + std::string(31 << 20, 'x') +
                                         ";10.0;20.0;0.5;30.0;5.0;12.0;3.0;1.0;1.0e+06;"});
  // A service in the clear that would serve a good catalogue, were a secure request sent there.
  TCannedService plain;
  plain.Route(QueryPage, {{200, CatalogueReply()}});
  struct Case {
    const char* Name;
    std::vector<TCannedReply> Page;
    std::vector<TCannedReply> Query;
    std::string Reason;  // part of the message after "Error: "; empty: any
  };
  const std::vector<Case> cases = {
      {"refused", {{200, PageAnnouncing("2.6.4"), "exit"}}, {}, ""},
      {"silent", {{200, PageAnnouncing("2.6.4")}}, {{200, "", "silent"}}, ""},
      {"html error page",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, "<html><body><h1>Service unavailable</h1></body></html>"}},
       "holds no catalogue"},
      {"404", {{200, PageAnnouncing("2.6.4")}}, {{404, "<html>not found</html>"}}, "404"},
      {"cut off", {{200, PageAnnouncing("2.6.4")}}, {{200, cut, "cut"}}, ""},
      {"header without rows",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, CatalogueReply({})}},
       "no pulsar"},
      {"a line wider than the header",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, CatalogueReply({NewRows[0], NewRows[1] + ";;;"})}},
       "more fields than the header in line 5"},
      {"rows that do not parse",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, CatalogueReply({"J1;x;y;z;;;;;;;", "<td>broken</td>"})}},
       "pulsar line 2 has fewer fields than the header"},
      {"rows of the header's width that do not parse",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, CatalogueReply({"J1;x;y;z;;;;;;;", "<td>broken</td>;;;;;;;;;;"})}},
       "no pulsar"},
      {"cut inside the last row's S400, the length exact",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, cutInRow}},
       "cut short: its pulsar line 3 has no line end"},
      {"ending behind a whole row without closing the table",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, table}},
       "cut short: its catalogue table stops after pulsar line 2"},
      {"the header and 10,500,000 rows \"1;\"",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, millionRows}},  // the first of them stands where the units line stands
       "has 10499999 pulsar lines, of which the program reads only 4997"},
      {"the header and 32 MB of line ends",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, lineEnds}},
       "no pulsar"},
      {"a byte 26 in row 10 of 3000",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, ctrlZ}},
       "cannot be read whole: its line 14 holds a byte 26"},
      {"more pulsar lines than the program reads",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, CatalogueReply(std::vector<std::string>(5001, NewRows[0]))}},
       "has 5001 pulsar lines, of which the program reads only 4997"},
      {"trickling",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, "", "trickle"}},
       "the server is too slow: " + Service->BaseUrl() + QueryPage + " "},
      {"rows 1642 to 1646 twice",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, twice}},
       "its pulsar line 1647 is numbered 1642, not 1647"},
      {"row 2000 missing",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, gap}},
       "its pulsar line 2000 is numbered 2001, not 2000"},
      {"a byte 0 in the RAJD of row 1234",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, nul}},
       "its pulsar line 1234 holds a control character (byte 0)"},
      {"no units line",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, noUnits}},
       "lacks the units line after the header"},
      {"a row with a name of 31 MB",
       {{200, PageAnnouncing("2.6.4")}},
       {{200, longName}},
       "its pulsar line 1 has a field longer than any the catalogue holds"},
      {"redirected to plain http",
       {{200, PageAnnouncing("2.6.4")}},
       {{302, "", "normal", plain.BaseUrl() + QueryPage}},
       "not secure"},
  };
  StartWithCatalogue();
  Form1->IdHTTP1->ReadTimeout = 1500;
  Form1->IdHTTP1->MinimumRate = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    // A refusing server is one that has gone: give that case a server of its own.
    std::unique_ptr<TCannedService> own;
    if (c.Query.empty()) {
      own = std::make_unique<TCannedService>(TCannedService::TrustedTls);
      own->Route(StartPage, c.Page);
      NetConfig().CatalogueURL = own->BaseUrl();
      TrustCa(own->CaFile());
    } else {
      Service->Route(StartPage, c.Page);
      Service->Route(QueryPage, c.Query);
    }
    dialogs->Clear();
    Answer(IDYES);
    EXPECT_FALSE(Check());
    const auto texts = BoxTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], cu::Texts::AskDownload);
    EXPECT_EQ(texts[2].rfind(cu::Texts::ErrorPrefix, 0), 0u) << texts[2];
    EXPECT_GT(texts[2].size(), std::string(cu::Texts::ErrorPrefix).size());
    EXPECT_NE(texts[2].find(c.Reason), std::string::npos) << texts[2];
    EXPECT_EQ(dir.read("ATNF.csv"), OldCatalogue);
    EXPECT_FALSE(std::filesystem::exists("ATNF2.6.3.csv"));
    EXPECT_TRUE(TransferFilesLeft().empty());
    ExpectButtonIdle();
    if (own) {
      NetConfig().CatalogueURL = Service->BaseUrl();
      TrustCa(Service->CaFile());
    }
  }
}

// A failed version request: "Error: ..." then "Failed to open file.", and the button is
// usable again (it is not left disabled until a restart).
TEST_F(CatalogueUpdateTest, FailedVersionRequestsAreToldAndTheButtonWorksAgain) {
  TCannedService untrusted(TCannedService::UntrustedTls);
  untrusted.Route(StartPage, {{200, PageAnnouncing("2.6.4")}});
  // A page no service would send: larger than any start page.
  TCannedService huge(TCannedService::TrustedTls);
  huge.Route(StartPage, {{200, std::string(5 * 1024 * 1024, 'x') + PageAnnouncing("2.6.4")}});
  // A page the program would read only up to its byte 26, which comes before the version.
  TCannedService ctrlZ(TCannedService::TrustedTls);
  ctrlZ.Route(StartPage, {{200, "<html>\r\n\x1A" + PageAnnouncing("2.6.4")}});
  const struct {
    const char* Name;
    std::string Url;
    std::string CaFile;
    std::string Reason;
  } cases[] = {
      {"refused", "https://127.0.0.1:" + std::to_string(nettest::ClosedPort()), Service->CaFile(),
       "connect"},
      {"certificate of an unknown authority", untrusted.BaseUrl(), Service->CaFile(),
       "certificate"},
      {"too large", huge.BaseUrl(), huge.CaFile(), "larger than 4 MB"},
      {"a byte 26 before the version line", ctrlZ.BaseUrl(), ctrlZ.CaFile(),
       "cannot be read whole: its line 2 holds a byte 26"},
  };
  StartWithCatalogue();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    NetConfig().CatalogueURL = c.Url;
    TrustCa(c.CaFile);
    dialogs->Clear();
    EXPECT_FALSE(Check());
    const auto texts = BoxTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind(cu::Texts::ErrorPrefix, 0), 0u) << texts[0];
    EXPECT_NE(texts[0].find(c.Reason), std::string::npos) << texts[0];
    EXPECT_EQ(texts[1], cu::Texts::NoPageFile);
    ExpectButtonIdle();
    EXPECT_EQ(dir.read("ATNF.csv"), OldCatalogue);
  }
}

TEST_F(CatalogueUpdateTest, PageWithoutAVersionOffersNothing) {
  Serve("<html><body>Maintenance</body></html>", {{200, CatalogueReply()}});
  StartWithCatalogue();
  EXPECT_FALSE(Check());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{std::string(cu::Texts::ErrorPrefix) +
                                                 cu::Texts::NoVersionAnnounced});
  EXPECT_EQ(dir.read("ATNF.csv"), OldCatalogue);
  ExpectButtonIdle();
}

// An earlier backup is the user's and stays as it is; the catalogue is replaced all the same,
// its backup named after the moment. So is a catalogue whose version cannot be read (the
// button exists to repair it).
TEST_F(CatalogueUpdateTest, TheOldCatalogueIsKeptUnderAFreeName) {
  struct Case {
    const char* Name;
    std::string Old;                 // ATNF.csv
    std::vector<std::string> Taken;  // backups there before
    std::string Backup;              // where the old catalogue ends up
  };
  const std::string unreadable =
      "Catalogue of unknown origin\n" +
      CatalogueText(OldRows).substr(CatalogueText(OldRows).find('\n') + 1);
  const std::string tooLong = CatalogueText(OldRows, std::string(21, '1'));
  const Case cases[] = {
      {"no backup yet", OldCatalogue, {}, "ATNF2.6.3.csv"},
      {"a backup of the version exists",
       OldCatalogue,
       {"ATNF2.6.3.csv"},
       "ATNF2.6.3_20240115-120000.csv"},
      {"and one of this moment",
       OldCatalogue,
       {"ATNF2.6.3.csv", "ATNF2.6.3_20240115-120000.csv"},
       "ATNF2.6.3_20240115-120000-2.csv"},
      {"version line unreadable", unreadable, {}, "ATNF_20240115-120000.csv"},
      {"version longer than 20 characters", tooLong, {}, "ATNF_20240115-120000.csv"},
  };
  Serve(PageAnnouncing("2.6.4"), {{200, CatalogueReply()}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      std::filesystem::remove(entry.path());
    for (const auto& name : c.Taken) dir.write(name, "an earlier backup\n");
    dir.write("ATNF.csv", c.Old);
    Start();
    dialogs->Clear();
    Answer(IDYES, IDNO);
    EXPECT_FALSE(Check());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{cu::Texts::NewOne, cu::Texts::AskDownload,
                                                    cu::Texts::AskRestart}));
    EXPECT_EQ(SplitTextLines(dir.read("ATNF.csv"))[0], "Catalogue Version: 2.6.4");
    EXPECT_EQ(dir.read(c.Backup), c.Old);
    for (const auto& name : c.Taken) EXPECT_EQ(dir.read(name), "an earlier backup\n");
    EXPECT_TRUE(TransferFilesLeft().empty());
    TearDown();
    SetUp();
  }
}

TEST(CatalogueVersionScan, LastLineNamingTheVersionGivesTheFirstDigitRun) {
  using V = std::vector<String>;
  EXPECT_EQ(
      cu::AnnouncedVersion(V{"catalogue version 1.0", "x", "The Catalogue Version is 2.6.3."}),
      "2.6.3.");
  EXPECT_EQ(cu::AnnouncedVersion(V{"Catalogue Version: v2.10.1 (2024)"}), "2.10.1");
  EXPECT_EQ(cu::AnnouncedVersion(V{"no version here", "version 2.6.3"}), "");
  EXPECT_EQ(cu::AnnouncedVersion(V{"Catalogue Version: " + std::string(40, '9')}), "");
  EXPECT_EQ(cu::AnnouncedVersion(V{}), "");
}

// The table of the reply: from the exact header line to the end the service gives it. A reply
// that stops inside the table, wherever it was cut, is refused, and so is one of more rows
// than the program reads.
TEST(CatalogueVersionScan, ReplyTableRunsFromTheExactHeaderLineToItsEnd) {
  using V = std::vector<String>;
  const String h = cu::HeaderLine;
  // Rows of the header's eleven fields.
  const String r1 = "1;J1;1;2;3;4;5;6;7;8;9;", r2 = "2;J2;1;2;3;4;5;6;7;8;9;";
  String many = h + "\nunits\n";
  for (int n = 1; n <= 4998; ++n) many += std::to_string(n) + ";J1;1;2;3;4;5;6;7;8;9;\n";
  // A table of rows numbered as given, and its end.
  const auto rows = [&h](const std::vector<String>& Rows) {
    String s = h + "\nunits\n";
    for (const String& r : Rows) s += r + "\n";
    return s + "\n</pre>\n";
  };
  const auto row = [](int N, const String& Name = "J1", const String& Ra = "1") {
    return std::to_string(N) + ";" + Name + ";" + Ra + ";2;3;4;5;6;7;8;9;";
  };
  const String longest(cu::MaxReplyFieldLength, 'J');
  const struct {
    const char* Name;
    String Reply;
    V Lines;
    String Problem;  // part of the reason; empty: taken
  } cases[] = {
      {"a blank line and the closing tags after the rows",
       "<pre>\n" + h + "\nunits\n" + r1 + "\n" + r2 + "\n\n</pre>\n3;c;\n",
       {h, "units", r1, r2},
       ""},
      {"CR LF line ends",
       "<pre>\r\n" + h + "\r\nunits\r\n" + r1 + "\r\n\r\n</pre>\r\n",
       {h, "units", r1},
       ""},
      {"the closing tag right after the rows, without a line end",
       "<pre>\n" + h + "\nunits\n" + r1 + "\n</pre></body></html>",
       {h, "units", r1},
       ""},
      {"a header with a blank behind it is none",
       "<pre>\n" + h + " \nunits\n" + r1 + "\n\n",
       {},
       "holds no catalogue"},
      {"cut inside the last row",
       h + "\nunits\n" + r1 + "\n2;J2;1;2;3;4;5;6;7;8;9",
       {},
       "cut short: its pulsar line 2 has no line end"},
      {"cut behind the last row's line end",
       h + "\nunits\n" + r1 + "\n" + r2 + "\n",
       {},
       "cut short: its catalogue table stops after pulsar line 2"},
      {"cut inside a running number",
       h + "\nunits\n" + r1 + "\n2",
       {},
       "stops after pulsar line 1"},
      {"cut behind the header", h + "\n", {}, "stops after the header"},
      {"a row with fewer fields than the header",
       h + "\nunits\n" + r1 + "\n2;J2;1;2\n\n",
       {},
       "cut short: its pulsar line 2 has fewer fields than the header"},
      {"more rows than the program reads",
       many + "\n",
       {},
       "has 4998 pulsar lines, of which the program reads only 4997"},
      {"rows 2 and 3 sent twice",
       rows({row(1), row(2), row(3), row(2), row(3)}),
       {},
       "its pulsar line 4 is numbered 2, not 4"},
      {"row 2 missing", rows({row(1), row(3)}), {}, "its pulsar line 2 is numbered 3, not 2"},
      {"rows 2 and 3 swapped",
       rows({row(1), row(3), row(2)}),
       {},
       "its pulsar line 2 is numbered 3, not 2"},
      {"numbered from 0", rows({row(0), row(1)}), {}, "its pulsar line 1 is numbered 0, not 1"},
      {"a byte 0 in a row's RAJD",
       rows({row(1), row(2, "J2", String("1\0" "5", 3))}),
       {},
       "its pulsar line 2 holds a control character (byte 0)"},
      {"a byte 0 in a name",
       rows({row(1, String("J1\0" "x", 4))}),
       {},
       "its pulsar line 1 holds a control character (byte 0)"},
      {"a carriage return inside a row",
       rows({row(1), row(2, "J2", "1\r5")}),
       {},
       "its pulsar line 2 holds a control character (byte 13)"},
      {"a tab in the units line",
       h + "\nun\tits\n" + r1 + "\n\n",
       {},
       "its units line holds a control character (byte 9)"},
      {"no units line: the first row in its place",
       h + "\n" + r1 + "\n" + r2 + "\n\n",
       {},
       "lacks the units line after the header"},
      {"a name one character longer than any",
       rows({row(1), row(2, longest + "J")}),
       {},
       "its pulsar line 2 has a field longer than any the catalogue holds"},
      {"a number one character longer than any",
       rows({row(1, "J1", "1." + String(cu::MaxReplyFieldLength - 1, '5'))}),
       {},
       "its pulsar line 1 has a field longer than any the catalogue holds"},
      {"names and numbers as long as any",
       rows({row(1, longest, "1." + String(cu::MaxReplyFieldLength - 2, '5'))}),
       {h, "units", row(1, longest, "1." + String(cu::MaxReplyFieldLength - 2, '5'))},
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const cu::TReplyTable table = cu::TableOfReply(c.Reply);
    EXPECT_EQ(table.Lines, c.Lines);
    if (c.Problem.empty())
      EXPECT_EQ(table.Problem, "");
    else
      EXPECT_NE(table.Problem.find(c.Problem), std::string::npos) << table.Problem;
  }
}
