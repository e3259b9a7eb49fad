// The run-time's clipboard reaches the window system's once the application is initialised.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Clipbrd.h"
#include "ControlsQt.h"
#include "Forms.h"

TEST(PlatformClipboard, TextGoesBothWays) {
  Application->Initialize();
  Clipboard()->SetAsText("a\tb\r\n1\t2");
  EXPECT_TRUE(Clipboard()->HasText());
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "a\tb\r\n1\t2");
  QGuiApplication::clipboard()->setText(QString::fromUtf8("Flux \xc2\xb0"));
  EXPECT_EQ(Clipboard()->AsText(), "Flux \xc2\xb0");
  QGuiApplication::clipboard()->clear();
  EXPECT_FALSE(Clipboard()->HasText());
  EXPECT_EQ(Clipboard()->AsText(), "");
}

TEST(PlatformClipboard, DataByMediaTypeGoesBothWays) {
  Application->Initialize();
  const String png("\x89PNG\r\n\x1a\n\0rest", 13);
  Clipboard()->SetFormats({{"image/png", png}, {"image/emf", "EMF bytes"}});
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data("image/png").toStdString(), png);
  EXPECT_TRUE(Clipboard()->HasFormat("image/emf"));
  EXPECT_EQ(Clipboard()->GetFormat("image/emf"), "EMF bytes");
  EXPECT_FALSE(Clipboard()->HasText()) << "the old content is replaced";
  EXPECT_EQ(Clipboard()->GetFormat("image/bmp"), "");
}

namespace {

// The program's end, with a window open and text copied; exits with 0 when the window went
// first, the clipboard still holding the text, then the Qt application object.
[[noreturn]] void EndWithAWindowAndCopiedText() {
  static std::vector<std::string> events;
  auto* form = new TForm(Application);
  QObject::connect(form->Handle(), &QObject::destroyed, [] {
    events.push_back(QGuiApplication::clipboard()->text() == "copied" ? "window"
                                                                      : "clipboard lost");
  });
  QObject::connect(QCoreApplication::instance(), &QObject::destroyed,
                   [] { events.push_back("application"); });
  Clipboard()->SetAsText("copied");
  Application->Finalize();
  const std::vector<std::string> expected{"window", "application"};
  for (const std::string& e : events) std::fprintf(stderr, "%s\n", e.c_str());
  std::fflush(nullptr);
  std::_Exit(events == expected && QCoreApplication::instance() == nullptr ? 0 : 1);
}

}  // namespace

// At the program's end the windows go first, then the Qt application object, whose
// destruction hands the clipboard to a clipboard manager. Run in a process of its own, which
// ends there.
TEST(PlatformClipboardDeathTest, TheEndDestroysTheWindowsThenTheApplicationObject) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(EndWithAWindowAndCopiedText(), ::testing::ExitedWithCode(0), "");
}
