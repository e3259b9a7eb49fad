// The window tests need the application object; they run without a display.
#include <cstdlib>

#include <gtest/gtest.h>

#include "Forms.h"
#include "Unit1Program.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  InitKestal();
  Application->Initialize(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
