// Fills and copies: rectangles filled with a colour, frames and bevels, and
// copies of image rectangles (opaque, colour-keyed, clipped, stretched).
// Also the decimal parser of the editor controls.
//
// A rectangle (x, y, w, h) covers columns x..x+w-1 and rows y..y+h-1. A fill
// or copy whose rectangles are not wholly inside their surfaces, or are
// empty, is refused as a whole and changes nothing; only the _clipped copies
// clip against the screen first.
#pragma once

#include <cstdint>

struct surface;

// Fills a rectangle of draw_surface with colour. Every screen calls it.
void fill_box(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour);
// The same on the given surface (the map editor's overview).
void fill_box_on(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour, surface* s);

// One-pixel outline in the low 16 bits of colour: bottom row, right column,
// top row, left column, in that order.
void draw_frame(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour);
// Raised or sunk frame: bottom row and right column dark, then top row and
// left column light, so the top-right and bottom-left corners are light.
void draw_bevel(int32_t x, int32_t y, int32_t w, int32_t h, int32_t light, int32_t dark);

// Copies the w x h rectangle at (src_x, src_y) of image slot to (dst_x, dst_y)
// of draw_surface, every pixel.
void blit(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w, int32_t h,
          int32_t slot);
// As blit, skipping source pixels equal to the image's colour key.
void blit_keyed(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w, int32_t h,
                int32_t slot);
// As blit_keyed after clipping the destination against the screen (the
// source rectangle moves and shrinks with it).
void blit_keyed_clipped(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w,
                        int32_t h, int32_t slot);
// Copies the src_w x src_h source rectangle scaled to dst_w x dst_h (nearest
// pixel), every pixel.
void blit_stretch(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t src_w,
                  int32_t src_h, int32_t dst_w, int32_t dst_h, int32_t slot);
// Copies the source rectangle scaled to (src_w + extra_w) x (src_h + extra_h),
// skipping key pixels.
void blit_stretch_keyed(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t src_w,
                        int32_t src_h, int32_t extra_w, int32_t extra_h, int32_t slot);
// As blit_stretch_keyed after clipping the origin and the source size
// against the screen; the extra size is added after the clipping.
void blit_stretch_keyed_clipped(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y,
                                int32_t src_w, int32_t src_h, int32_t extra_w, int32_t extra_h,
                                int32_t slot);

// The copy under all of the above, between any two surfaces of the same
// format: false (nothing written) when a rectangle is empty or not wholly
// inside its surface, or the formats differ. keyed skips pixels equal to the
// source's key (a source without a key copies every pixel). Screens that keep
// surfaces of their own copy from them with it.
bool copy_rect(surface* dst, int32_t dst_x, int32_t dst_y, const surface* src, int32_t src_x,
               int32_t src_y, int32_t w, int32_t h, bool keyed);
// Nearest-pixel scaled copy of (src_x, src_y, src_w, src_h) onto
// (dst_x, dst_y, dst_w, dst_h), with the same refusals as copy_rect.
bool stretch_rect(surface* dst, int32_t dst_x, int32_t dst_y, int32_t dst_w, int32_t dst_h,
                  const surface* src, int32_t src_x, int32_t src_y, int32_t src_w, int32_t src_h,
                  bool keyed);

// The value of a decimal string: an optional leading '-' then digits; any
// other byte makes the result 0 (no blanks, no '+'). The numeric entry
// fields of the editors call it.
int32_t parse_int(const char* text);
