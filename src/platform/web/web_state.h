// State shared by the files of the web backend (and by nothing else).
#pragma once

#include <cstdint>

// The window exists: the canvas takes events and frames, from
// platform_create_window to platform_destroy_window.
extern bool web_window_open;
// The page was left (closed or reloaded): WM_DESTROY is queued and nothing
// more.
extern bool web_window_closed;

// Presents so far: the pass now running, by which a key press no one asked
// about is forgotten.
extern uint32_t web_presents;

// The size of the frames being presented: the size given to
// platform_start_video, or the window's created size before that.
void web_frame_size(int& width, int& height);
// Remembers the window's created size (platform_create_window).
void web_note_created_size(int width, int height);

// Microseconds of the page's steady clock (performance.now).
int64_t web_now_us();
// Gives the browser the main thread for about milliseconds (0: a turn of
// its event loop only); the loop's stack is kept meanwhile. Input events,
// the audio timer and painting run while it waits.
void web_yield(uint32_t milliseconds);

// Called when the user first presses a key or a button: the audio context
// may only start then.
void web_user_gesture();
// Tops up the audio queue from the mixer (present and the audio timer).
void web_feed_audio();

// Restores the saved maps and sprite files over the shipped ones
// (platform_create_window, once).
void web_restore_saved_files();
// Copies what the program saved since the last call into the browser's
// storage, and offers new screenshots as downloads (present).
void web_keep_saved_files();
// Offers the file at path (of the page's file system) as a download.
void web_offer_download(const char* path);

// Closes the audio context and forgets the gamepad (at shutdown).
void web_close_devices();
