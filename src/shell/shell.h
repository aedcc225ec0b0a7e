// The shell: the flag that ends a main loop, the window procedure, the
// fatal-error report, the message pump and the debug screen. It sits above
// the device layers, whose releases its shutdown calls, and below the three
// main loops, which pump messages through it.
#pragma once

#include <cstdint>

#include "core/fatal.h"

// Set to 1 to end the running main loop (Escape, or the window closed).
extern uint8_t quit_requested;

// The report fatal_error hands failures to (the entry installs it): releases
// the display, the sound and the input devices, hides the window, shows
// "Программа прервана\nОшибка в <where>" with the caption "Brask", and
// destroys the window. Harmless when called twice.
void fatal_report(int32_t window, const char* where);

// The window procedure: input messages go to the input latch; WM_DESTROY
// releases the display, the sound and the input devices, posts WM_QUIT and
// ends the running loop; WM_CLOSE destroys the window. Called by
// drain_messages and destroy_window.
uint32_t window_proc(uint32_t message, uint32_t position, uint32_t character);

// Destroys the window as the system does: WM_DESTROY reaches window_proc
// (which releases the devices), then the platform window goes. Does nothing
// for 0, another handle or a window already gone. fatal_report and
// window_proc (WM_CLOSE) call it.
void destroy_window(int32_t window);

// Hands every queued platform message to window_proc, in arrival order.
// Every main loop and modal dialog calls it once per pass.
void drain_messages();

// A debug screen showing how many images are loaded, run until
// quit_requested is set or Escape is held. No configuration runs it.
void show_surface_count();
