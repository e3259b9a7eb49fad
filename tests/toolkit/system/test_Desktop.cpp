#include <gtest/gtest.h>

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
