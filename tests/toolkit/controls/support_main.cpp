// The Qt application object exists once for the whole test program, on the offscreen platform,
// made and destroyed by the toolkit as in the program.
#include <cstdlib>

#include <gtest/gtest.h>

#include "Forms.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  Application->Initialize(argc, argv);
  const int rc = RUN_ALL_TESTS();
  Application->Finalize();
  return rc;
}
