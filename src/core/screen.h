// The screen size the configuration chose: the size of the display mode, of
// draw_surface and of every main loop's layout.
#pragma once

#include <cstdint>

// 1024 x 768 until the entry sets the configuration's size, before the
// display starts.
extern int32_t screen_width;
extern int32_t screen_height;
