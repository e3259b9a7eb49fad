#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Desktop.h"
#include "TestSupport.h"

namespace {

// Records what would have been opened instead of starting a viewer.
class DesktopTest : public ::testing::Test {
protected:
  DesktopTest() {
    Previous = SetDocumentOpener([this](const String& p) {
      Opened.push_back(p);
      return Answer;
    });
  }
  ~DesktopTest() override { SetDocumentOpener(Previous); }

  testsupport::TempDir Dir;
  std::vector<String> Opened;
  bool Answer = true;
  TDocumentOpener Previous;
};

}  // namespace

TEST_F(DesktopTest, OpensTheManualInTheWorkingFolderByItsFullPath) {
  Dir.write("KestalManual.pdf", "%PDF-1.4\n");
  EXPECT_EQ(OpenDocument("KestalManual.pdf").Verdict(), TOpenVerdict::Opened);
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(Opened[0], (Dir.path() / "KestalManual.pdf").string());
}

TEST_F(DesktopTest, MissingDocumentIsNotHandedToTheDesktop) {
  for (const char* path : {"KestalManual.pdf", "", "."}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(OpenDocument(path).Verdict(), TOpenVerdict::Failed);
  }
  EXPECT_TRUE(Opened.empty());
}

TEST_F(DesktopTest, AViewerThatFailsToStartIsReported) {
  Dir.write("manual.pdf", "%PDF-1.4\n");
  Answer = false;
  EXPECT_EQ(OpenDocument("manual.pdf").Verdict(), TOpenVerdict::Failed);
  EXPECT_EQ(Opened.size(), 1u);
}

// The default opener asks the freedesktop helper, here a stand-in put first on the search
// path. Its exit status is the verdict, however long it takes (a helper that tries one program
// after another gives up only after seconds); until then the caller goes on. A missing helper
// is no viewer.
TEST(DesktopHelper, AViewerThatCannotBeStartedIsReported) {
  struct Case {
    const char* what;
    const char* script;  // "" no helper at all
    bool waitsForGate;   // the helper decides only once the test lets it
    TOpenVerdict verdict;
  };
  const Case cases[] = {
      {"helper opens and ends", "exit 0", false, TOpenVerdict::Opened},
      {"no program for the type", "echo 'no method available' >&2; exit 3", false,
       TOpenVerdict::Failed},
      {"viewer keeps the helper running", "exit 0", true, TOpenVerdict::Opened},
      {"no program found after a while", "exit 3", true, TOpenVerdict::Failed},
      {"no helper installed", "", false, TOpenVerdict::Failed},
  };
  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::TempDir dir;
    dir.write("manual.pdf", "%PDF-1.4\n");
    std::filesystem::create_directory(dir.path() / "bin");
    const std::filesystem::path gate = dir.path() / "gate";
    if (*c.script != 0) {
      // The gate is waited for 20 s at most, so that no helper outlives a failed test long.
      const std::string wait = c.waitsForGate ? "i=0; while [ ! -e '" + gate.string() +
                                                    "' ] && [ $i -lt 400 ]; do /bin/sleep 0.05; "
                                                    "i=$((i+1)); done\n"
                                              : "";
      const auto helper =
          dir.write("bin/xdg-open", std::string("#!/bin/sh\n") + wait + c.script + "\n");
      std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
    }
    setenv("PATH", (dir.path() / "bin").c_str(), 1);
    const TDocumentOpener previous = SetDocumentOpener(nullptr);
    const TDocumentOpening opening = OpenDocument("manual.pdf");
    SetDocumentOpener(previous);
    setenv("PATH", savedPath.c_str(), 1);
    if (c.waitsForGate) {
      EXPECT_EQ(opening.Verdict(), TOpenVerdict::Pending);
      dir.write("gate", "");
    }
    for (int i = 0; i < 2000 && opening.Verdict() == TOpenVerdict::Pending; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(opening.Verdict(), c.verdict);
  }
}
