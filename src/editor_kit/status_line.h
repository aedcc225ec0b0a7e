// The editors' status message: what the last save or open did, in plain
// Russian, shown for a few seconds in place of the editor's status line.
#pragma once

#include <cstdint>

// A message holds this many bytes with its terminator.
constexpr int status_text_size = 200;
// How long a message stays up, in milliseconds from the first pass that
// shows it.
constexpr uint32_t status_milliseconds = 4000;

// Sets the message (code page 1251, printf format); it shows from the next
// pass that draws the status line. The editors' file dialogs call it after
// every save and open.
__attribute__((format(printf, 1, 2))) void set_status(const char* format, ...);

// Draws the message at (x, y) on a white note wide enough for it, when one
// is up at time now (the pass's start in platform milliseconds, which the
// loops read anyway: the status line reads no clock of its own). False when
// none is up: the caller draws its own line. The editor loops call it once a
// pass where their status line goes.
bool draw_status(int32_t x, int32_t y, uint32_t now);

// The last message set, shown or not ("" before any). The headless runner's
// summary prints it.
const char* last_status();

// Takes the message down and forgets it. The editors call it as they start.
void clear_status();
