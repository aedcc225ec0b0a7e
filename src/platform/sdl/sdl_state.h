// State shared by the files of the SDL backend (and by nothing else).
#pragma once

#include <SDL.h>

// The one window; nullptr before platform_create_window and after it is
// destroyed.
extern SDL_Window* sdl_window;
// The window was closed from outside: it is hidden and counts as gone, and
// nothing more is queued, until platform_destroy_window really destroys it.
extern bool sdl_window_closed;
// Full screen (borderless, desktop size) rather than a resizable window.
extern bool sdl_fullscreen;

// Presents so far: the pass now running, by which a key press no one asked
// about is forgotten.
extern uint32_t sdl_presents;

// The size of the frames being presented: the size given to
// platform_start_video, or the window's created size before that.
void sdl_frame_size(int& width, int& height);

// Remembers the window's created size (platform_create_window).
void sdl_note_created_size(int width, int height);

// Switches between full screen and a resizable window (Alt+Enter).
void sdl_toggle_fullscreen();

// Confines the pointer to the window while it is full screen and shown.
void sdl_update_grab();

// Releases the renderer and texture (before the window goes).
void sdl_stop_video();

// Closes the audio device and the joystick if open (at shutdown).
void sdl_close_devices();
