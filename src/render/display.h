// The display: the screen surface, start-up and release, the table of loaded
// images, and the copy of draw_surface to the screen.
#pragma once

#include <cstdint>

#include "core/screen.h"

// Slots of the image table.
constexpr int max_surface_slots = 400;
// Surfaces that can exist at once: the table, draw_surface and a few that
// screens keep for themselves (the map editor's overview).
constexpr int max_surfaces = 440;
// The largest width or height of any surface.
constexpr int max_surface_side = 4096;

// A surface: pixels in memory at the display's depth. Rows run top-down.
struct surface {
    int32_t width;            // in pixels
    int32_t height;           // in pixels
    int32_t pitch;            // bytes from one row to the next
    int32_t bytes_per_pixel;  // 1, 2 or 4
    uint8_t* pixels;          // pitch * height bytes
    uint32_t key;             // source colour key of keyed copies
    bool keyed;               // key is set
    bool in_use;              // the record is taken
};

// Row stride of screen_pixels in pixels; the entry sets it to screen_width.
extern int32_t screen_pitch;

// The off-screen surface of screen size that every frame is drawn into.
extern surface* draw_surface;
// Loaded images; an empty slot holds nullptr.
extern surface* surface_table[max_surface_slots];
// The next automatic slot; grows by one, while below 400, with each image
// created by load_bmp or load_team_bmp.
extern int32_t surface_count;
// Where image surfaces are placed: 1 system memory, 2 video memory, 3 video
// memory first. Every surface here lives in memory; any other value makes
// create_image_surface fail.
extern int32_t surface_memory_mode;

// Starts the display at screen_width x screen_height and the given depth
// (16 in every configuration; anything but 8, 16 or 32 becomes 16). On
// failure it has already reported its inner step through fatal_error
// ("DirectDrawCreate", "SetCooperativeLevel", "SetDisplayMode",
// "CreateMainSurfaces"); the caller reports "InitDirectDraw" after it.
bool start_display(int32_t window, int bits_per_pixel);

// Makes draw_surface (and, at depth 8, the palette from data\palette.bmp,
// reporting "CreateDirectDrawPalette" when it cannot). start_display calls it.
bool create_main_surfaces();

// Releases every surface of the table, draw_surface and the display;
// harmless when nothing is started. fatal_error and the shutdown call it.
void release_display();

// A new surface of the display's format, cleared to 0; nullptr when the
// display is not started, the size is outside 1..4096 or nothing is left.
surface* create_image_surface(int32_t width, int32_t height);
// Gives a surface back; nullptr is ignored. Whoever made it releases it.
void release_surface(surface* s);

// Zeroes every byte of the surface; false for nullptr.
bool clear_surface(surface* s);
// Gives the image in slot the source colour key colour_key; false when the
// slot is empty or outside 0..399.
bool set_colour_key(int32_t slot);
// The address of the surface's pixels (nullptr for nullptr).
void* lock_pixels(surface* s);
// The surface's row pitch in bytes and its height; false for nullptr.
bool surface_pitch_height(int32_t& pitch, int32_t& height, surface* s);

// Releases the images of every slot from first on and lowers
// surface_count to first, so that the next automatic load takes it again.
// The map editor's test play gives back what the game loaded with it.
void release_images_from(int32_t first);

// Changes the screen size while the display runs: a new draw_surface of
// width x height (cleared), the platform's video started again at that
// size, screen_width, screen_height and screen_pitch set; the images stay.
// False, with the display as it was, when the size is outside 1..4096 or
// the surface or the video cannot be had. The map editor's test play calls
// it on its way into the game's screen and back.
bool resize_display(int32_t width, int32_t height);

// Shows draw_surface on the screen. Every main loop and dialog pass calls it
// once, after drawing. Does nothing before start_display.
void present();

// True between a successful start_display and release_display.
bool display_started();
