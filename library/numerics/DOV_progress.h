#pragma once
// The numerics' one step of the library's progress protocol: the counter goes up by one and the
// host's feedback routine sees it. Without a routine the step costs one atomic add.

#include "DOV_sdlbase.h"

inline void ProgressStep() {
  const Double now = ProcStat.fetch_add(1.0, std::memory_order_relaxed) + 1.0;
  if (MathFeedBackProc != nullptr) MathFeedBackProc(now);
}

// A step followed by the abort test, as the long matrix computations take it before each
// column: true when the host asked to stop.
inline bool ProgressStepAborted() {
  ProgressStep();
  return AbortMathProc.load(std::memory_order_relaxed);
}
