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
// only prints the step on standard error. Either way the failure is
// remembered (fatal_error_reported).
void fatal_error(int32_t window, const char* where);

// Reports a step that failed on a file through fatal_error, as
// "<step> <file>: <reason>": the step in code page 1251 ("загрузке карты"),
// the file as the program spells it, the loader's reason. The start-ups of
// the game and the map editor and the entry (the font) call it.
void fatal_file_error(int32_t window, const char* step, const char* file, const char* reason);

// True when fatal_error has been called since forget_fatal_errors: the
// program then ends with a non-zero exit status. The entry forgets as it
// starts and returns 1 when one was reported; the headless runner prints it.
bool fatal_error_reported();
void forget_fatal_errors();
