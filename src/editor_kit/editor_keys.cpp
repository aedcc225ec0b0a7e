// The shortcut keys and the dialogs' once-a-press keys.
#include "editor_kit/editor_keys.h"

#include "input/input_latch.h"
#include "render/display.h"
#include "shell/shell.h"

// Whether Z and Y were down at the last read, so that holding them acts once.
static bool z_was_down = false;
static bool y_was_down = false;

editor_shortcut read_shortcut()
{
    // Every key is read every pass, so that a held letter is seen going down
    // only once whatever the modifiers do.
    bool ctrl = platform_key_held(key_ctrl);
    bool shift = platform_key_held(key_shift);
    bool z = platform_key_held(key_z);
    bool y = platform_key_held(key_y);
    bool z_pressed = z && !z_was_down, y_pressed = y && !y_was_down;
    z_was_down = z;
    y_was_down = y;
    if (!ctrl)
        return shortcut_none;
    if (y_pressed || (z_pressed && shift))
        return shortcut_redo;
    return z_pressed ? shortcut_undo : shortcut_none;
}

void reset_shortcuts()
{
    z_was_down = y_was_down = false;
}

bool fresh_press(fresh_key& k)
{
    bool down = platform_key_held(k.key);
    if (!down) {
        k.armed = true;
        return false;
    }
    return k.armed;
}

bool fresh_enter(bool& armed)
{
    bool down = enter_pressed();
    if (!down) {
        armed = true;
        return false;
    }
    return armed;
}

void wait_for_release(held_key key)
{
    while (!quit_requested && platform_key_held(key)) {
        drain_messages();
        char_ready = 0;
        present();
    }
    char_ready = 0;
}
