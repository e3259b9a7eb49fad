// The run-time's clipboard reaches the window system's once the application is initialised.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

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
