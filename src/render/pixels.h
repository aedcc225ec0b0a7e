// Direct-memory primitives: pixels, spans, rectangles, lines, circles and
// ellipses written straight into the memory of draw_surface, and read_pixel.
// No main loop draws with them; they are kept for tools and tests.
//
// They address screen_pixels, set by read_pixel, at y * screen_pitch + x.
// Every write is kept inside the screen and inside the memory of
// draw_surface: a point outside is not written, and a span is cut to what
// lies inside. Nothing is written before read_pixel has been called.
#pragma once

#include <cstdint>

// The pixel memory of draw_surface as read_pixel last obtained it.
extern void* screen_pixels;

// 8-bit (palette index) primitives.
void put_pixel8(int32_t x, int32_t y, uint8_t index);
void hline8(int32_t x, int32_t y, int32_t len, uint8_t index);
void vline8(int32_t x, int32_t y, int32_t len, uint8_t index);
// Outline: top row, bottom row, left column, right column.
void rect8(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t index);
void fill_rect8(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t index);

// 16- and 32-bit pixels; put_pixel picks one by bits_per_pixel (none at 8).
void put_pixel16(int32_t x, int32_t y, int32_t colour);
void put_pixel32(int32_t x, int32_t y, int32_t colour);
void put_pixel(int32_t x, int32_t y, int32_t colour);
void hline16(int32_t x, int32_t y, int32_t len, int32_t colour);
void vline16(int32_t x, int32_t y, int32_t len, int32_t colour);
void fill_rect16(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour);

// Bresenham line with both end points, 16-bit.
void draw_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t colour);
// Circle outline of radius r about (cx, cy), 16-bit.
void draw_circle(int32_t cx, int32_t cy, int32_t r, int32_t colour);
// Ellipse outline centred on (x, y) with semi-axes |w/2| and |h/2|, 16-bit.
void draw_ellipse(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour);

// Refreshes screen_pixels from draw_surface and returns the pixel at (x, y)
// at the current depth; 0 outside the surface or before the display starts.
uint32_t read_pixel(int32_t x, int32_t y);
