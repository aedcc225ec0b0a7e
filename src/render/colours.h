// Colours: packing at the display's depth and the interface colour table.
#pragma once

#include <cstdint>

// Depth of the display mode: 8, 16 or 32 bits per pixel. start_display sets
// it; until then it keeps its default 16.
extern uint16_t bits_per_pixel;

// The transparent colour of keyed copies. The entry sets it to magenta
// (pack_colour(255, 0, 255), 0xF81F at depth 16) before the display starts;
// every image loaded into the image table carries it as its key.
extern int32_t colour_key;

// The interface colours, filled once by init_colours.
extern int32_t colour_black;
extern int32_t colour_white;
extern int32_t colour_red;
extern int32_t colour_green;
extern int32_t colour_blue;
extern int32_t colour_yellow;
extern int32_t colour_violet;
extern int32_t colour_orange;
extern int32_t colour_grey1;
extern int32_t colour_grey2;
extern int32_t colour_grey3;
extern int32_t colour_grey4;  // the face of buttons and panels
extern int32_t colour_grey5;

// A pixel value at the current depth. Depth 16 masks each channel to its
// field (5:6:5, not scaled); depth 32 gives 0x00RRGGBB unmasked; depth 8 and
// any other depth give 0. Everything that names a colour calls it.
int32_t pack_colour(int32_t red, int32_t green, int32_t blue);

// Fills the interface colours for the display's pixel format. The entry calls
// it once, after the display and the sound have started.
void init_colours();
