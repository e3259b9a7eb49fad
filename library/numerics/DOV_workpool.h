#pragma once
// The numerics' pool of worker threads for work split into independent items (result columns,
// blocks of columns). Workers pull the next item from a shared counter, so at most NThreads
// items run at once and a free worker takes the next one at once. The calling thread waits on
// a condition with a short timeout and calls the host's feedback routine with ProcStat on
// every wake-up, so the host stays informed without a busy loop.
//
// When an item raises, no further item is handed out, every worker is joined and the first
// exception reaches the caller. With PollAbort, AbortMathProc is looked at on every wake-up:
// once set, the hand-out stops, the running items finish, every worker is joined and the
// result is false. No worker is ever left running when the call returns.

#include <functional>

#include "DOV_sdlbase.h"

// Work(i) for i = 0 .. Count - 1; NThreads below 1 counts as 1. True when every item ran.
bool RunWorkItems(Integer Count, Integer NThreads, const std::function<void(Integer)>& Work,
                  bool PollAbort);
