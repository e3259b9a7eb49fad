// The Qt application object exists once for the whole test program, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "Forms.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  Application->Initialize();
  const int rc = RUN_ALL_TESTS();
  Application->DestroyComponents();
  return rc;
}
