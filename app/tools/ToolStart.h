#pragma once
// The start shared by the build-time tools.

#include <cstdio>
#include <cstdlib>

#include "Forms.h"

// Checks that the command line holds Arguments arguments (else prints "usage: <tool> Usage" on
// the error output and gives false), then brings up the application object off screen: text
// layout needs it.
inline bool StartBuildTool(int argc, char** argv, int Arguments, const char* Usage) {
  if (argc != Arguments + 1) {
    std::fprintf(stderr, "usage: %s %s\n", argv[0], Usage);
    return false;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize(argc, argv);
  return true;
}
