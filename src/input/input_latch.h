// The input latch: what window_proc has seen of the mouse and the keyboard,
// and the small rectangle questions that screens ask of it. Also the frame
// meter.
#pragma once

#include <cstdint>

// Written into both coordinates of a latched point when a test takes it.
constexpr int32_t CONSUMED = 10000;

extern int32_t cursor_x;  // cursor in screen pixels
extern int32_t cursor_y;
extern uint8_t left_down;   // left button held
extern uint8_t right_down;  // right button held
extern int32_t left_press_x, left_press_y;
extern int32_t left_release_x, left_release_y;
extern int32_t right_press_x, right_press_y;
extern uint8_t typed_char;  // the last typed character (code page 1251)
extern uint8_t char_ready;  // 1 until a reader takes typed_char

// Rectangle tests; a point is inside when x <= px <= x + w and
// y <= py <= y + h (the far edges belong to the rectangle).
bool cursor_in(int32_t x, int32_t y, int32_t w, int32_t h);
// These three consume the latched point on a hit.
bool hit_left_press(int32_t x, int32_t y, int32_t w, int32_t h);
bool hit_left_release(int32_t x, int32_t y, int32_t w, int32_t h);
bool hit_right_press(int32_t x, int32_t y, int32_t w, int32_t h);

// True when the character c was typed in this pass and no text field has
// taken it yet. The editors read their letter and digit keys with it.
bool typed(char c);

// Latches one input message (mouse moves, button presses and releases,
// double clicks, typed characters); false for any other message. Called by
// the window procedure.
bool latch_message(uint32_t message, uint32_t position, uint32_t character);

// Frames per second averaged over the last ten calls; call once per frame.
int32_t measure_fps();

// Resets the latch and the frame meter to their starting state (tests).
void reset_input_latch();
