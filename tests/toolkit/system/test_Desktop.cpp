#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
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
  EXPECT_TRUE(OpenDocument("KestalManual.pdf"));
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(Opened[0], (Dir.path() / "KestalManual.pdf").string());
}

TEST_F(DesktopTest, MissingDocumentIsNotHandedToTheDesktop) {
  for (const char* path : {"KestalManual.pdf", "", "."}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(OpenDocument(path));
  }
  EXPECT_TRUE(Opened.empty());
}

TEST_F(DesktopTest, AViewerThatFailsToStartIsReported) {
  Dir.write("manual.pdf", "%PDF-1.4\n");
  Answer = false;
  EXPECT_FALSE(OpenDocument("manual.pdf"));
  EXPECT_EQ(Opened.size(), 1u);
}

// The default opener asks the freedesktop helper, here a stand-in put first on the search
// path: a helper that fails at once (no program for the type) is reported, one that starts a
// viewer and keeps running is a viewer on screen, and a missing helper is no viewer.
TEST(DesktopHelper, AViewerThatCannotBeStartedIsReported) {
  struct Case {
    const char* what;
    const char* script;  // "" no helper at all
    bool opened;
  };
  const Case cases[] = {
      {"helper opens and ends", "exit 0", true},
      {"no program for the type", "echo 'no method available' >&2; exit 3", false},
      {"viewer keeps the helper running", "exec /bin/sleep 3", true},
      {"no helper installed", "", false},
  };
  const char* oldPath = std::getenv("PATH");
  const std::string savedPath = oldPath ? oldPath : "";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::TempDir dir;
    dir.write("manual.pdf", "%PDF-1.4\n");
    std::filesystem::create_directory(dir.path() / "bin");
    if (*c.script != 0) {
      const auto helper = dir.write("bin/xdg-open", std::string("#!/bin/sh\n") + c.script + "\n");
      std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
    }
    setenv("PATH", (dir.path() / "bin").c_str(), 1);
    const TDocumentOpener previous = SetDocumentOpener(nullptr);
    EXPECT_EQ(OpenDocument("manual.pdf"), c.opened);
    SetDocumentOpener(previous);
    setenv("PATH", savedPath.c_str(), 1);
  }
}
