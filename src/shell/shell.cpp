// The window handle and the quit flag, the fatal-error report, the window's
// destruction and the message pump.
#include "shell/shell.h"

#include <cstdio>

#include "input/joystick.h"
#include "platform/platform.h"
#include "render/display.h"
#include "shell/cp1251.h"
#include "shell/input_latch.h"
#include "sound/sound.h"

int32_t main_window = 0;
uint8_t quit_requested = 0;

void destroy_window(int32_t window)
{
    // Like the system's window destruction: nothing for a window that is
    // already gone; otherwise WM_DESTROY reaches window_proc, then the window
    // goes.
    if (window == 0 || window != main_window || !platform_window_exists()) return;
    window_proc(WM_DESTROY, 0, 0);
    platform_destroy_window();
}

void fatal_error(int32_t window, const char* where)
{
    release_display();
    release_sound();
    release_input();
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
    // ends the pump.
    platform_message m {};
    while (platform_next_message(m))
        window_proc(m.message, m.position, m.character);
}
