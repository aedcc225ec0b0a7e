// The entry's start-up order and the end of the process.
#include "shell/entry.h"

#include "platform/platform.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/font.h"
#include "shell/shell.h"
#include "sound/sound.h"

// The size the window is created with in every configuration; the display
// then uses the configuration's own size.
static constexpr int32_t window_width = 1024;
static constexpr int32_t window_height = 768;

int run_entry(const configuration& config)
{
    install_fatal_report(fatal_report);
    // The window class needs no registering here, so the first step that
    // can fail is the window itself.
    screen_width = window_width;
    screen_height = window_height;
    if (!platform_create_window("game", screen_width, screen_height)) return 0;
    main_window = 1;
    platform_show_window(true);

    screen_width = config.screen_width;
    screen_height = config.screen_height;
    colour_key = pack_colour(255, 0, 255);

    // A failed display start-up has already reported its own step; this
    // second report follows with the window already destroyed.
    if (!start_display(main_window, 16)) {
        fatal_error(main_window, "InitDirectDraw");
        return 0;
    }
    if (!start_sound(main_window)) {
        fatal_error(main_window, "InitDirectSound");
        return 0;
    }
    init_colours();
    screen_pitch = screen_width;
    if (!load_font()) return 0;

    config.main_loop();

    platform_post_message(WM_CLOSE);
    return 0;
}

void end_process()
{
    drain_messages();
    // A start-up that ended quietly (no font) left the window up: take it
    // down the same way, so the devices are released in their order.
    destroy_window(main_window);
    platform_shutdown();
}
