// The fatal-error report as every layer sees it, and the one window it
// names. A layer below the shell reports a failed start-up or loading step
// through fatal_error; the shell installs the report itself (the releases,
// the hidden window, the message box, the destroyed window) before anything
// can fail, so no lower layer depends on the layers above it.
#pragma once

#include <cstdint>

// The one top-level window; 0 before it is created and after it is destroyed.
extern int32_t main_window;

// What fatal_error hands a failure to: the window and the failed step.
using fatal_report_fn = void (*)(int32_t window, const char* where);

// Installs the report; nullptr takes it away. The entry installs the shell's
// report as it starts; tests of a layer install it or a double of their own.
void install_fatal_report(fatal_report_fn report);

// Reports a fatal start-up or loading failure naming the step `where`
// (code page 1251) through the installed report. With none installed it
// only prints the step on standard error.
void fatal_error(int32_t window, const char* where);
