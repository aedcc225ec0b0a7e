// The joystick layer: the first joystick's two axes scaled to the screen,
// four direction flags and eleven button flags. No main loop starts it;
// shutdown releases it.
#pragma once

#include <cstdint>

// Buttons reported in joy_button.
constexpr int joystick_button_flags = 11;

// The axis properties set up by setup_joystick, in ten-thousandths of the
// half range.
constexpr int32_t joystick_dead_zone = 1000;    // 10 %: the centre area reads as centred
constexpr int32_t joystick_saturation = 9000;   // 90 %: beyond reads as the end of the range

// The joystick cursor in screen pixels (0..W, 0..H for W x H =
// screen_width x screen_height) and its flags, set by poll_joystick; a
// failed poll leaves them as they were.
extern int32_t joy_x;
extern int32_t joy_y;
extern bool joy_left;
extern bool joy_right;
extern bool joy_up;
extern bool joy_down;
extern bool joy_button[joystick_button_flags];

// The text handed to fatal_error by start_joystick (code page 1251).
extern char error_text[255];

// Finds and opens the first joystick, sets up its axes and acquires it;
// true on success. A failing step is reported through fatal_error with its
// name ("Joystick отсутствует" when none is attached) and gives false.
bool start_joystick(int32_t window);

// Sets the axis ranges (-W/2..W/2, -H/2..H/2), dead zones and saturation;
// false with error_text naming the failing property. Called by
// start_joystick.
bool setup_joystick();

// The device finder: keeps the device it is given as the joystick to open
// and returns false to stop looking, so the first device found wins.
// Called by start_joystick.
bool joystick_found(int32_t device);

// Acquires the device when flag is non-zero, releases the acquisition
// otherwise; nothing without a device. Only an acquired device is read.
void acquire_joystick(int32_t flag);

// Reads the joystick into joy_x, joy_y, the direction flags and the
// buttons, re-acquiring a lost device once; sleeps 50 ms after a
// successful read. A failed read changes nothing.
void poll_joystick();

// Releases the joystick and the input device; harmless when none is started.
void release_input();
