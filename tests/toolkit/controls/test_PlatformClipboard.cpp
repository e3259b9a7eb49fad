// The run-time's clipboard reaches the window system's once the application is initialised.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "Clipbrd.h"
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
