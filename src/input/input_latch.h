// The input latch: what window_proc has seen of the mouse and the keyboard,
// and the small rectangle questions that screens ask of it. Also the frame
// meter.
//
// The latch works in passes, as the loops read it: drain_messages opens a
// pass before it dispatches the queued messages and closes it after them.
// Typed characters wait in a queue and reach typed_char one a pass, so none
// is lost when several arrive in one pass. A button pressed during a pass
// reads as held for that pass even when it was released in the same pass
// (its release point is latched at once, its release reaches left_down or
// right_down as the next pass opens), so a loop that reads the button once
// a pass never misses a quick click. A message dispatched outside
// drain_messages is a pass of its own.
#pragma once

#include <cstdint>

// Written into both coordinates of a latched point when a test takes it.
constexpr int32_t CONSUMED = 10000;
// Typed characters that can wait for their pass; one typed beyond them is
// dropped.
constexpr int typed_queue_size = 256;

extern int32_t cursor_x;  // cursor in screen pixels
extern int32_t cursor_y;
// 1 while the pointer is over the picture: set by WM_MOUSEMOVE, cleared by
// WM_MOUSELEAVE, 0 before the first move. Edge scrolling and the map
// editor's brush act only while it is set.
extern uint8_t cursor_inside;
extern uint8_t left_down;   // left button held
extern uint8_t right_down;  // right button held
extern int32_t left_press_x, left_press_y;
extern int32_t left_release_x, left_release_y;
extern int32_t right_press_x, right_press_y;
extern uint8_t typed_char;  // the typed character of this pass (code page 1251)
extern uint8_t char_ready;  // 1 until a reader takes typed_char

// Rectangle tests; a point is inside when x <= px <= x + w and
// y <= py <= y + h (the far edges belong to the rectangle).
bool cursor_in(int32_t x, int32_t y, int32_t w, int32_t h);
// These three consume the latched point on a hit. A click of this pass that
// hit_left_release takes also lets the button go at once.
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

// Opens a pass: a release held back from the last pass drops its button.
// Called by drain_messages before it dispatches anything.
void latch_begin_pass();
// Closes a pass: the oldest waiting character becomes typed_char, with
// char_ready set. A character that no reader took in the pass before gives
// way to it, as a later WM_CHAR overwrote it; with none waiting, an unread
// character stays. Called by drain_messages after the last message.
void latch_end_pass();
// Enter as the editors' dialogs and number field read it: its carriage
// return handed over and unread (which it takes), or the key held; but not
// while that carriage return still waits behind characters typed before
// it, so a name typed quickly and ended with Enter is confirmed whole.
bool enter_pressed();

// Frames per second averaged over the last ten calls; call once per frame.
int32_t measure_fps();

// Resets the latch and the frame meter to their starting state (tests).
void reset_input_latch();
