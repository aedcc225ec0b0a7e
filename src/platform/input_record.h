// The record of what a program received, written as a headless runner
// script (README.md, "Script format"): the window messages of each pass and
// the held keys going down and up, so that the headless runner replays the
// session exactly. The SDL backend feeds it; no SDL here.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The script's name of a held key ("escape", "f1", "plus", ...); "" for a
// value outside the keys. The headless script's parser reads the same names.
const char* held_key_name(held_key key);

// Starts a record in the file at path, beginning with header (comment
// lines, each starting with '#'). False when the file cannot be made or a
// record is already being written.
bool record_start(const char* path, const char* header);
// True while a record is being written.
bool recording();

// Writes one message the program received in pass: WM_MOUSEMOVE as "move",
// the buttons as "ldown", "lup", "ldouble", "rdown", "rup", "rdouble",
// WM_CHAR as "char", WM_MOUSELEAVE as "leave", WM_DESTROY as "close".
// Messages the program posts itself (WM_CLOSE, WM_QUIT) are not input and
// are not written.
void record_message(int32_t pass, const platform_message& message);
// Writes a held key going down or up in pass ("key down enter" also types
// the carriage return that the keyboard's Enter types).
void record_key(int32_t pass, held_key key, bool down);
// The end of a pass: what was written reaches the file, so that a record
// survives a crash up to the pass before it.
void record_end_pass();
// Ends the record after passes passes: a checkpoint at the last pass (the
// replay prints its hashes) and a "# passes: N" line, which the headless
// runner runs when not told otherwise. Nothing when no record is written.
void record_finish(int32_t passes);
