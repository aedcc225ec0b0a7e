// The push button: drawn raised or sunk each pass, and polled for a click.
#include "render/button.h"

#include "input/input_latch.h"
#include "render/colours.h"
#include "render/draw.h"
#include "render/font.h"

int32_t text_width(const char* text)
{
    int32_t width = 0;
    for (const char* p = text; *p != 0; ++p)
        width += glyph_table[static_cast<uint8_t>(*p)].width + 1;
    return width;
}

bool draw_button(int32_t x, int32_t y, int32_t w, int32_t h, const char* label)
{
    // The label is centred by its width including one pixel per byte; its
    // top row sits 6 pixels above the button's middle row. The label width
    // is halved as an unsigned value.
    uint32_t half_label = static_cast<uint32_t>(text_width(label)) / 2;
    int32_t tx = x + w / 2 - static_cast<int32_t>(half_label);
    int32_t ty = y + h / 2 - 6;
    int32_t light = colour_white;
    int32_t dark = colour_black;
    if (cursor_in(x, y, w, h) && left_down) {
        light = colour_black;
        dark = colour_white;
        tx -= 1;
        ty -= 1;
    }
    fill_box(x, y, w, h, colour_grey4);
    draw_bevel(x, y, w, h, light, dark);
    draw_text(label, tx, ty);
    return hit_left_release(x, y, w, h);
}
