// Colour values at the display's depth and the interface colour table.
#include "render/colours.h"

uint16_t bits_per_pixel = 16;
int32_t colour_key = 0;

int32_t colour_black = 0;
int32_t colour_white = 0;
int32_t colour_red = 0;
int32_t colour_green = 0;
int32_t colour_blue = 0;
int32_t colour_yellow = 0;
int32_t colour_violet = 0;
int32_t colour_orange = 0;
int32_t colour_grey1 = 0;
int32_t colour_grey2 = 0;
int32_t colour_grey3 = 0;
int32_t colour_grey4 = 0;
int32_t colour_grey5 = 0;

int32_t pack_colour(int32_t red, int32_t green, int32_t blue)
{
    // Unsigned arithmetic: the 32-bit form does not mask, so large channel
    // values simply wrap instead of overflowing.
    uint32_t r = static_cast<uint32_t>(red);
    uint32_t g = static_cast<uint32_t>(green);
    uint32_t b = static_cast<uint32_t>(blue);
    switch (bits_per_pixel) {
    case 16:
        return static_cast<int32_t>(((r & 31) << 11) + ((g & 63) << 5) + (b & 31));
    case 32:
        return static_cast<int32_t>(b + (g << 8) + (r << 16));
    default:
        return 0;
    }
}

void init_colours()
{
    colour_black = 0;
    colour_white = pack_colour(255, 255, 255);
    colour_red = pack_colour(250, 0, 0);
    colour_green = pack_colour(0, 255, 0);
    colour_blue = pack_colour(0, 0, 255);
    colour_yellow = pack_colour(255, 255, 40);
    colour_violet = pack_colour(240, 0, 240);
    // These are 5:6:5 values, kept as they stand at every depth.
    colour_orange = 0xFBE0;
    colour_grey1 = 0x738E;
    colour_grey2 = 0x8C71;
    colour_grey3 = 0xA534;
    colour_grey4 = 0xC618;
    colour_grey5 = 0xCE79;
}
