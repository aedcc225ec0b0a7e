// The editors' small immediate-mode controls, each drawn and polled by one
// call per pass: a value box, a spinner, a numeric entry field, the steps
// that keys give a value and its bounds, an outline clipped to a box and two
// copies of an image rectangle clipped to a box.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The numeric entry field's text holds this many characters; characters
// typed beyond them are dropped.
constexpr int number_entry_length = 11;
// The shared text buffer the editors format value box numbers into.
constexpr int value_text_size = 64;

// "%d" of the last number given to format_value.
extern char value_text[value_text_size];

// Formats value with "%d" into value_text and returns it, for a value box.
// The sprite editor's panels call it.
const char* format_value(int32_t value);

// Draws a sunken white box (x, y, w, h) with text centred in it by its glyph
// widths. The sprite editor's panels call it (30 x 15 boxes).
void value_box(int32_t x, int32_t y, int32_t w, int32_t h, const char* text);

// Draws a "<" button at (x, y, 8, 15) and a ">" button 10 pixels to its
// right; a click (left release) on one adds -1 or +1 to *value, held within
// the 32-bit range (a frame's offset may be any 32-bit value). No other
// bounds: the caller bounds the value after it. Called by the sprite editor
// beside its value boxes.
void spinner(int32_t x, int32_t y, int32_t* value);

// A numeric entry field: a press inside (x, y, w, h) toggles editing (and
// left_down is cleared on every call, so one press toggles once); while
// editing, typed characters build its text (at most 11 characters, the rest
// dropped), drawn white on blue, and Enter (enter_pressed) stores the text's
// value (parse_int: 0 for anything but an optional '-' and digits) into
// *value and ends editing. One state shared by every use, never cleared. Called by the
// sprite editor.
void number_entry(int32_t x, int32_t y, int32_t w, int32_t h, int32_t* value);

// -1, 0 or +1 from one axis of the keys: the arrow held or the digit typed
// for each way (both ways give 0). The sprite editor's frame and roll
// editors move frames and slots with it.
int32_t key_step(held_key lower_key, char lower_char, held_key raise_key, char raise_char);

// -1, 0 or +1 from two typed characters. The sprite editor's controls call it.
int32_t char_step(char lower, char raise);

// Bounds value to low..high after a control changed it. The sprite editor's
// controls call it.
void keep_within(int32_t& value, int32_t low, int32_t high);

// a + b held within the 32-bit range. A frame's offsets come from files as
// any 32-bit value: the editors add them to anchor points, and steps to
// them, with it. A position held at the range's end lies far off every
// screen, as the true sum would.
int32_t add_clamped(int32_t a, int64_t b);

// Whether the numeric entry field is editing, and its text (tests and the
// sprite editor's own checks).
bool number_entry_editing();
const char* number_entry_text();
// Back to the starting state: not editing, empty text (tests).
void reset_number_entry();

// One-pixel outline of (x, y, w, h) in colour, each edge drawn only when it
// lies strictly inside the clip bounds (left, top, right, bottom), and cut
// to them. The editors call it with the work area (256, 0, 1024, 768).
void outline_clipped(int32_t x, int32_t y, int32_t w, int32_t h, int32_t clip_left,
                     int32_t clip_top, int32_t clip_right, int32_t clip_bottom, int32_t colour);

// Opaque copy of the rectangle (src_x, src_y, w, h) of image slot to
// (dst_x, dst_y) of draw_surface, clipped to the box (box_x, box_y, box_w,
// box_h): the source moves and narrows with the clipped destination. A copy
// left empty, or not wholly on the surfaces, draws nothing. The sprite
// editor's previews call it.
void blit_clip_rect(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w,
                    int32_t h, int32_t box_x, int32_t box_y, int32_t box_w, int32_t box_h,
                    int32_t slot);
// The same, skipping source pixels of the image's colour key. The sprite
// editor's previews and the map editor's map view call it.
void blit_keyed_clip_rect(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w,
                          int32_t h, int32_t box_x, int32_t box_y, int32_t box_w, int32_t box_h,
                          int32_t slot);
