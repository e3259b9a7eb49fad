#pragma once
// Start-up of the run-time: one call at the top of main and in every test fixture that
// depends on process-wide state.

#include <functional>

// Captures the system's time zone (only on the first call: later calls keep the zone captured
// first, so the program's own "TZ=UTC" cannot change it), forces "." as the decimal separator,
// then runs the registered start-up hooks in the order they were added. The hooks run on every
// call, so a test fixture that calls InitRuntime starts from the same generator state as main.
void InitRuntime();

// Registers code to run at the end of InitRuntime (the library's start-up seeding of the random
// generator, for example). Registering the same hook twice runs it twice.
void AddRuntimeInitHook(std::function<void()> Hook);
