// The surface-count debug screen, in a file of its own so that the shell's
// pump and report link without the drawing code.
#include <cstdio>

#include "core/cp1251.h"
#include "platform/platform.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"
#include "shell/shell.h"

void show_surface_count()
{
    while (!quit_requested) {
        drain_messages();
        fill_box(0, 0, screen_width, screen_height, colour_grey4);
        char text[256];
        std::snprintf(text, sizeof text, "%s %d", "Колличество загруженных поверхностей|"_cp,
                      surface_count);
        draw_text(text, 50, 100);
        present();
        if (platform_key_held(key_escape))
            quit_requested = 1;
    }
}
