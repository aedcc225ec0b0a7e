// The status message and its timing.
#include "editor_kit/status_line.h"

#include <cstdarg>
#include <cstdio>

#include "core/screen.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/draw.h"
#include "render/font.h"

static char message[status_text_size];
// The message is up (set and not yet timed out), and whether the pass that
// first showed it has noted its time.
static bool message_up = false;
static bool start_known = false;
static uint32_t message_start = 0;

void set_status(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    message_up = true;
    start_known = false;
}

bool draw_status(int32_t x, int32_t y, uint32_t now)
{
    if (!message_up)
        return false;
    if (!start_known) {
        message_start = now;
        start_known = true;
    }
    // The difference of two readings, so the clock's wrap does no harm.
    if (now - message_start >= status_milliseconds) {
        message_up = false;
        return false;
    }
    // The note stops at the screen's right edge (a fill must lie on the
    // screen); glyphs past it are not drawn.
    int32_t width = text_width(message);
    if (x + width + 4 > screen_width)
        width = screen_width - x - 4;
    fill_box(x - 4, y - 2, width + 8, 16, colour_white);
    draw_frame(x - 4, y - 2, width + 8, 16, colour_black);
    draw_text(message, x, y);
    return true;
}

const char* last_status()
{
    return message;
}

void clear_status()
{
    message[0] = 0;
    message_up = false;
    start_known = false;
}
