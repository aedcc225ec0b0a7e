// The quit flag, the window procedure, the fatal-error report, the window's
// destruction and the message pump.
#include "shell/shell.h"

#include <cstdio>

#include "core/cp1251.h"
#include "input/input_latch.h"
#include "input/joystick.h"
#include "platform/platform.h"
#include "render/display.h"
#include "sound/sound.h"

uint8_t quit_requested = 0;

// The shutdown's releases, in their order: display, sound, input.
static void release_devices()
{
    release_display();
    release_sound();
    release_input();
}

uint32_t window_proc(uint32_t message, uint32_t position, uint32_t character)
{
    switch (message) {
    case WM_DESTROY:
        release_devices();
        platform_post_message(WM_QUIT);
        // The devices are gone: a main loop still running (the window closed
        // from outside) must end now rather than draw on with them.
        quit_requested = 1;
        main_window = 0;
        return 0;
    case WM_CLOSE:
        // What the system does with a close it is not told otherwise.
        destroy_window(main_window);
        return 0;
    default:
        latch_message(message, position, character);
        return 0;
    }
}

void destroy_window(int32_t window)
{
    // Like the system's window destruction: nothing for a window that is
    // already gone; otherwise WM_DESTROY reaches window_proc, then the window
    // goes.
    if (window == 0 || window != main_window || !platform_window_exists()) return;
    window_proc(WM_DESTROY, 0, 0);
    platform_destroy_window();
}

void fatal_report(int32_t window, const char* where)
{
    release_devices();
    // The box must not stand over a black full-screen window.
    if (window != 0 && window == main_window) platform_show_window(false);
    // The text is cut to the buffer rather than overrunning it.
    char text[256];
    std::snprintf(text, sizeof text, "Программа прервана\nОшибка в %s"_cp, where != nullptr ? where : "");
    platform_message_box("Brask", text);
    destroy_window(window);
}

void drain_messages()
{
    // A WM_QUIT is dispatched like any other message; only an empty queue
    // ends the pump. The messages of one drain make one pass of the latch.
    latch_begin_pass();
    platform_message m {};
    while (platform_next_message(m))
        window_proc(m.message, m.position, m.character);
    latch_end_pass();
}
