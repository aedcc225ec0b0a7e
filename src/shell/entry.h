// The entry: the start-up order, the configuration's main loop, the end.
// The three programs differ only in the configuration they run (their table
// is programs/configurations.h); the headless runner can run any of them.
#pragma once

#include <cstdint>

// One build configuration of the program.
struct configuration {
    const char* name;       // "game", "map_editor" or "sprite_editor"
    int32_t screen_width;   // the screen size its display and drawing use
    int32_t screen_height;
    void (*main_loop)();    // runs until quit_requested is set
};

// Starts the program in the given configuration, runs its main loop and
// returns the process's exit status: the fatal report installed, then
// window, screen size, colour key, display, sound, colours, pitch, font
// (a failure reported with its file and reason), main loop, WM_CLOSE. 0
// after a normal end; 1 when the window could not be made, a start-up step
// failed or a fatal report was shown (the main loop's own included).
// main() and the headless runner call it.
int run_entry(const configuration& config);

// What the system does as the process ends: the WM_CLOSE that the entry
// posted reaches the window, which is destroyed and releases the devices
// (a window still up for any other reason is destroyed likewise), and the
// platform closes. main() and the headless runner call it after
// run_entry.
void end_process();
