// The display: the screen surface, start-up and release, and the copy of
// draw_surface to the screen.
#pragma once

#include <cstdint>

// Starts the display at screen_width x screen_height and the given depth
// (16 in every configuration). On failure it has already reported its inner
// step through fatal_error; the caller reports "InitDirectDraw" after it.
bool start_display(int32_t window, int bits_per_pixel);

// Releases every surface and the display; harmless when nothing is started.
void release_display();

// Copies draw_surface to the screen.
void present();
