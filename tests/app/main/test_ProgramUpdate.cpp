// "Check for updates" against a stand-in for the program's web site on 127.0.0.1 (plain
// HTTP), and "Help", which hands the manual to the desktop's viewer.

#include <filesystem>

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

TEST_F(ProgramUpdateTest, PageDecidesTheMessageAndWhetherReleaseTxtStays) {
  TCannedService site;
  StartAgainst(site.BaseUrl());
  const std::string newer =
      std::string(pu::Texts::Newer) + site.BaseUrl() + "/index.php/downloads ";
  const std::string tooLarge = "the reply of " +
                               site.BaseUrl().substr(std::string("http://").size()) +
                               " is larger than 4 MB";
  const struct {
    const char* Name;
    std::string Page;
    std::vector<std::string> Messages;
    bool ReleaseKept;
  } cases[] = {
      {"larger than 4 MB",
       PageWith(pu::MaxPageBytes + 1, 4000, "VERSION=9.3.3"),
       {tooLarge},
       false},
      {"latest", PageWith(6000, 4000, "VERSION=9.3.3"), {pu::Texts::Latest}, false},
      {"latest, with a line end", PageWith(6000, 4000, "VERSION=9.3.\n"), {newer}, false},
      {"another version", PageWith(6000, 4000, "VERSION=9.4.0"), {newer}, false},
      {"version only before 3500", PageWith(6000, 100, "VERSION=9.3.3"), {}, true},
      {"200 bytes", PageWith(200, 10, "VERSION=9.3.3"), {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    site.Route(pu::VersionPagePath, {{200, c.Page}});
    dialogs->Clear();
    ClickCheck();
    EXPECT_EQ(BoxTexts(), c.Messages);
    EXPECT_EQ(std::filesystem::exists(pu::ReleaseFile), c.ReleaseKept);
    if (c.ReleaseKept) {
      EXPECT_EQ(dir.read(pu::ReleaseFile), c.Page);  // byte for byte
    }
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
// the user is told, with the place of the manual.
TEST_F(ProgramUpdateTest, HelpOpensTheShippedManualOrSaysWhereItIs) {
  struct Case {
    const char* what;
    bool manualPresent;
    bool viewerStarts;
    size_t opened;
    const char* message;  // "" none; else the text before the path
  };
  const Case cases[] = {
      {"manual and viewer", true, true, 1, ""},
      {"no viewer for PDF", true, false, 1, pu::Texts::ManualNoViewer},
      {"manual missing", false, true, 0, pu::Texts::ManualMissing},
  };
  UseRealCatalogue();
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> opened;
    SetDocumentOpener([&](const String& Path) {
      opened.push_back(Path);
      return c.viewerStarts;
    });
    std::filesystem::remove(dir.path() / pu::ManualFile);
    if (c.manualPresent) std::filesystem::copy_file(KESTAL_MANUAL_PDF, dir.path() / pu::ManualFile);
    dialogs->Clear();
    Form1->Button42->Click();
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
