// The editors' shortcut keys (undo and redo) and Enter and Escape as their
// dialogs take them, each press acting once.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// What the shortcut keys asked for in a pass.
enum editor_shortcut : int32_t {
    shortcut_none = 0,
    shortcut_undo = 1,  // Ctrl+Z
    shortcut_redo = 2,  // Ctrl+Y or Ctrl+Shift+Z
};

// Reads Ctrl, Shift, Z and Y once a pass and gives the shortcut pressed in
// it: Z or Y going down while Ctrl is held (a tap of Ctrl and the letter in
// one pass counts too), so a held Ctrl+Z undoes once. Both editor loops call
// it every pass, before their own work.
editor_shortcut read_shortcut();

// Forgets which letters were down at the last read (a session before this
// one). The editors call it as they start.
void reset_shortcuts();

// A key a dialog reads: a press counts only once the key has been seen up
// since the dialog opened, so the press that opened a dialog (or answered
// the one before it) does not also answer this one.
struct fresh_key {
    held_key key;
    bool armed;  // seen up since the dialog opened
};

// True when the key is down in this pass and was seen up before. Dialogs
// call it once a pass for Escape.
bool fresh_press(fresh_key& k);

// Enter as a dialog with a name field reads it (enter_pressed: the key or
// its carriage return), counting only once Enter has been seen up since the
// dialog opened. armed starts false. The map dialogs and the question box
// call it once a pass.
bool fresh_enter(bool& armed);

// Keeps the dialog's picture up (drain_messages and present, nothing drawn)
// until the key is up or quit_requested is set, so that a loop returned to
// does not read the press again. Typed characters meanwhile are dropped.
// A dialog ended by Enter or Escape calls it before it returns.
void wait_for_release(held_key key);
