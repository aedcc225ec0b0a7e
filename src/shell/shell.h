// The shell's shared services: the one window, the flag that ends a main
// loop, the fatal-error report and the message pump.
#pragma once

#include <cstdint>

// The one top-level window; 0 before it is created and after it is destroyed.
extern int32_t main_window;
// Set to 1 to end the running main loop (Escape, or the window closed).
extern uint8_t quit_requested;

// Reports a fatal start-up or loading failure naming the step `where`
// (code page 1251): releases the display, the sound and the input devices,
// hides the window, shows "Программа прервана\nОшибка в <where>" with the
// caption "Brask", and destroys the window. Harmless when called twice.
void fatal_error(int32_t window, const char* where);

// Destroys the window as the system does: WM_DESTROY reaches window_proc
// (which releases the devices), then the platform window goes. Does nothing
// for 0, another handle or a window already gone. fatal_error and window_proc
// (WM_CLOSE) call it.
void destroy_window(int32_t window);

// Hands every queued platform message to window_proc, in arrival order.
// Every main loop and modal dialog calls it once per pass.
void drain_messages();
