// Text and fonts need the application object; the toolkit creates it (offscreen in tests).
#include <cstdlib>

#include <gtest/gtest.h>

#include "Forms.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
