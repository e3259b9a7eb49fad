// "Check for updates" against a stand-in for the program's web site on 127.0.0.1 (plain
// HTTP), and "Help", which hands the manual to the desktop's viewer.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "Desktop.h"
#include "NetConfig.h"
#include "TestServers.h"
#include "ProgramUpdate.h"
#include "support_mainwin.h"
#include "support_services.h"

namespace pu = ProgramUpdate;

namespace {

// A page of Size bytes with Text at Offset (filler elsewhere holds no "V").
std::string PageWith(std::size_t Size, std::size_t Offset = 0, const std::string& Text = "") {
  std::string page(Size, 'x');
  for (std::size_t i = 79; i < Size; i += 80) page[i] = '\n';
  if (!Text.empty()) page.replace(Offset, Text.size(), Text);
  return page;
}

}  // namespace

TEST(VersionTextScan, FirstVWithANineEightBytesLaterFromByte3500) {
  const struct {
    const char* Name;
    std::string Page;
    std::size_t Expected;
  } cases[] = {
      {"at 3500", PageWith(4000, 3500, "VERSION=9.3.3"), 3500},
      {"before 3500 only", PageWith(4000, 3499, "VERSION=9.3.3"), String::npos},
      {"first of two", PageWith(5000, 3600, "VERSION=9.1.0 VERSION=9.3.3"), 3600},
      {"a V without the nine", PageWith(4000, 3600, "Version 2 VERSION=9.3.3"), 3610},
      {"last byte just inside", PageWith(3513, 3500, "VERSION=9.3.3"), 3500},
      {"one byte short", PageWith(3512, 3500, "VERSION=9.3.3").substr(0, 3512), String::npos},
      {"200 bytes", PageWith(200, 10, "VERSION=9.3.3"), String::npos},
      {"from 100000 on", PageWith(100100, 100000, "VERSION=9.3.3"), String::npos},
      {"empty", "", String::npos},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(pu::FindVersionText(c.Page), c.Expected);
  }
  EXPECT_EQ(pu::VersionTextAt(PageWith(4000, 3500, "VERSION=9.3\n\t"), 3500), "VERSION=9.3");
}

class ProgramUpdateTest : public MainWindowTest {
protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    Saved = NetConfig();
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    NetConfig() = Saved;
    SetDocumentOpener(nullptr);
  }
  void StartAgainst(const std::string& BaseUrl) {
    NetConfig().VersionURL = BaseUrl;
    UseRealCatalogue();
    Start();
    dialogs->Clear();
  }
  // Clicks "Check for updates" as the user does: an exception goes to the error box.
  void ClickCheck() { InvokeEvent(Form1->Button35->OnClick, Form1->Button35); }

  TNetConfig Saved;
};

// Every check ends with a message (in the error box when the first request fails) and leaves
// no Release.txt, not even one an earlier check left. Each row has a site of its own, which
// takes its replies in turn (the last one repeats).
TEST_F(ProgramUpdateTest, PageDecidesTheMessageAndReleaseTxtGoes) {
  TCannedService start;
  StartAgainst(start.BaseUrl());
  const auto newerAt = [](const std::string& Site) {
    return std::string(pu::Texts::Newer) + Site + "/index.php/downloads ";
  };
  const auto tooLargeAt = [](const std::string& Site) {
    return "the reply of " + Site.substr(std::string("http://").size()) + " is larger than 4 MB";
  };
  const std::string latest = PageWith(6000, 4000, "VERSION=9.3.3");
  const std::string another = PageWith(6000, 4000, "VERSION=9.4.0");
  const std::string huge = PageWith(pu::MaxPageBytes + 1, 4000, "VERSION=9.3.3");
  const struct {
    const char* Name;
    std::vector<TCannedReply> Replies;
    // The messages; "newer" and "too large" stand for those texts with the site's address.
    std::vector<std::string> Messages;
  } cases[] = {
      {"larger than 4 MB", {{200, huge}}, {"too large"}},
      {"latest", {{200, latest}}, {pu::Texts::Latest}},
      {"latest, with a line end", {{200, PageWith(6000, 4000, "VERSION=9.3.\n")}}, {"newer"}},
      {"another version", {{200, another}}, {"newer"}},
      {"version only before 3500",
       {{200, PageWith(6000, 100, "VERSION=9.3.3")}},
       {pu::Texts::NoVersionText}},
      {"200 bytes", {{200, PageWith(200, 10, "VERSION=9.3.3")}}, {pu::Texts::NoVersionText}},
      {"second request refused",
       {{200, another}, {503, "busy"}},
       {pu::Texts::SecondRequestFailed, "newer"}},
      {"second reply larger than 4 MB",
       {{200, another}, {200, huge}},
       {pu::Texts::SecondRequestFailed, "newer"}},
      {"first request refused", {{503, "busy"}}, {"HTTP/1.1 503 Service Unavailable"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TCannedService site;
    site.Route(pu::VersionPagePath, c.Replies);
    NetConfig().VersionURL = site.BaseUrl();
    std::vector<std::string> expected;
    for (const std::string& m : c.Messages)
      expected.push_back(m == "newer"       ? newerAt(site.BaseUrl())
                         : m == "too large" ? tooLargeAt(site.BaseUrl())
                                            : m);
    dir.write(pu::ReleaseFile, "left by an earlier check");
    dialogs->Clear();
    ClickCheck();
    EXPECT_EQ(BoxTexts(), expected);
    EXPECT_FALSE(std::filesystem::exists(pu::ReleaseFile));
  }
}

TEST_F(ProgramUpdateTest, PageIsFetchedTwiceWithTheBrowserHeadersAndNoCookies) {
  TCannedService site;
  site.Route(pu::VersionPagePath, {{200, PageWith(200)}});
  StartAgainst(site.BaseUrl());
  ClickCheck();
  const std::string log = site.RequestLog();
  const std::string request = "GET /index.php/12-kestal-version HTTP/1.1\n";
  const auto first = log.find(request);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_NE(log.find(request, first + 1), std::string::npos) << log;
  EXPECT_NE(log.find("User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64; rv:12.0) Gecko/20100101 "
                     "Firefox/12.0'\n"),
            std::string::npos);
  EXPECT_NE(log.find("Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\n"),
            std::string::npos);
  EXPECT_EQ(log.find("Cookie"), std::string::npos);
}

TEST_F(ProgramUpdateTest, FailedFirstRequestGoesToTheErrorBox) {
  StartAgainst("http://127.0.0.1:" + std::to_string(nettest::ClosedPort()));
  ClickCheck();
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Kind, TDialogKind::Error);
}

// The site answers once and is gone: the message, then the scan of what the first reply
// stored.
TEST_F(ProgramUpdateTest, FailedSecondRequestIsToldAndTheFirstReplyScanned) {
  TCannedService site;
  site.Route(pu::VersionPagePath, {{200, PageWith(6000, 4000, "VERSION=9.3.3"), "exit"}});
  StartAgainst(site.BaseUrl());
  ClickCheck();
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{pu::Texts::SecondRequestFailed, pu::Texts::Latest}));
  EXPECT_FALSE(std::filesystem::exists(pu::ReleaseFile));
}

// Help hands the shipped manual to the desktop's viewer; when there is no manual or no viewer
// the user is told, with the place of the manual. The desktop's helper (a stand-in first on the
// search path) may give its verdict only after a while: the window goes on meanwhile, and the
// message comes when the verdict does.
TEST_F(ProgramUpdateTest, HelpOpensTheShippedManualOrSaysWhereItIs) {
  struct Case {
    const char* what;
    bool manualPresent;
    bool viewerStarts;
    size_t opened;
    const char* message;  // "" none; else the text before the path
    bool helper = false;  // the stand-in helper, deciding once the test lets it, not a recorder
  };
  const Case cases[] = {
      {"manual and viewer", true, true, 1, ""},
      {"no viewer for PDF", true, false, 1, pu::Texts::ManualNoViewer},
      {"manual missing", false, true, 0, pu::Texts::ManualMissing},
      {"helper starts a viewer after a while", true, true, 1, "", true},
      {"helper finds no viewer after a while", true, false, 1, pu::Texts::ManualNoViewer, true},
  };
  UseRealCatalogue();
  Start();
  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> opened;
    const std::filesystem::path bin = dir.path() / "bin", log = dir.path() / "opened.log",
                                gate = dir.path() / "gate";
    std::filesystem::remove(gate);
    if (c.helper) {
      // Writes down what it was given, waits for the gate (20 s at most) and gives its verdict.
      std::filesystem::create_directories(bin);
      const auto helper =
          dir.write("bin/xdg-open", "#!/bin/sh\necho \"$1\" >> '" + log.string() +
                                        "'\ni=0; while [ ! -e '" + gate.string() +
                                        "' ] && [ $i -lt 400 ]; do /bin/sleep 0.05; "
                                        "i=$((i+1)); done\nexit " +
                                        (c.viewerStarts ? "0" : "3") + "\n");
      std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
      setenv("PATH", bin.c_str(), 1);
      SetDocumentOpener(nullptr);
    } else {
      SetDocumentOpener([&](const String& Path) {
        opened.push_back(Path);
        return c.viewerStarts;
      });
    }
    std::filesystem::remove(dir.path() / pu::ManualFile);
    if (c.manualPresent) std::filesystem::copy_file(KESTAL_MANUAL_PDF, dir.path() / pu::ManualFile);
    dialogs->Clear();
    Form1->Button42->Click();
    setenv("PATH", savedPath.c_str(), 1);
    if (c.helper) {
      // The click has returned while the helper still waits: nothing told yet.
      EXPECT_TRUE(Boxes().empty());
      EXPECT_TRUE(pu::ManualVerdictPending());
      dir.write("gate", "");
      for (int i = 0; i < 2000 && pu::ManualVerdictPending(); ++i) {
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      EXPECT_FALSE(pu::ManualVerdictPending());
      std::istringstream lines(dir.read("opened.log"));
      for (std::string line; std::getline(lines, line);) opened.push_back(line);
      std::filesystem::remove(log);
    }
    ASSERT_EQ(opened.size(), c.opened);
    if (c.opened > 0) {
      EXPECT_EQ(std::filesystem::path(opened[0]), dir.path() / pu::ManualFile);
    }
    if (*c.message == 0) {
      EXPECT_TRUE(Boxes().empty());
    } else {
      const String expected = c.message + (dir.path() / pu::ManualFile).string();
      EXPECT_EQ(BoxTexts(), std::vector<std::string>{expected});
    }
  }
  SetDocumentOpener(nullptr);
}

// The manual is a real PDF document of several pages made from docs/KestalManual.md.
TEST(Manual, IsAPdfOfSeveralPages) {
  const std::string pdf = testsupport::ReadFileBytes(KESTAL_MANUAL_PDF);
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  std::size_t pages = 0;
  const std::string page = "/Type /Page\n";
  for (auto p = pdf.find(page); p != std::string::npos; p = pdf.find(page, p + 1)) ++pages;
  EXPECT_GE(pages, 3u);
}
