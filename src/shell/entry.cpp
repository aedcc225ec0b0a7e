// The entry's start-up order and the end of the process.
#include "shell/entry.h"

#include "core/cp1251.h"
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

// The exit status of a run that failed: the program ends with it.
static constexpr int failed_status = 1;

int run_entry(const configuration& config)
{
    install_fatal_report(fatal_report);
    forget_fatal_errors();
    // The window class needs no registering here, so the first step that
    // can fail is the window itself.
    screen_width = window_width;
    screen_height = window_height;
    if (!platform_create_window("game", screen_width, screen_height)) return failed_status;
    main_window = 1;
    platform_show_window(true);

    screen_width = config.screen_width;
    screen_height = config.screen_height;
    colour_key = pack_colour(255, 0, 255);

    // A failed display start-up has already reported its own step; this
    // second report follows with the window already destroyed.
    if (!start_display(main_window, 16)) {
        fatal_error(main_window, "InitDirectDraw");
        return failed_status;
    }
    if (!start_sound(main_window)) {
        fatal_error(main_window, "InitDirectSound");
        return failed_status;
    }
    init_colours();
    screen_pitch = screen_width;
    // Without the font no text shows, so a missing or refused font file
    // ends the program with a report naming it.
    if (!load_font()) {
        const char* file = "";
        const char* reason = "";
        font_failure(file, reason);
        fatal_file_error(main_window, "загрузке шрифта"_cp, file, reason);
        return failed_status;
    }

    config.main_loop();

    platform_post_message(WM_CLOSE);
    // A main loop that met a fatal failure of its own has reported it.
    return fatal_error_reported() ? failed_status : 0;
}

void end_process()
{
    drain_messages();
    // A window still up whatever ended the run is taken down the same way,
    // so the devices are released in their order.
    destroy_window(main_window);
    platform_shutdown();
}
