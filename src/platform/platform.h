// The platform: the few services the program takes from the machine (a
// window and its events, held keys, milliseconds, a message box, the copy of
// a frame to the screen, an audio device and a joystick). Two backends
// provide these functions, chosen when a program is linked: platform_sdl for
// the real programs, platform_headless for tests and tools. No type of the
// backends appears here.
#pragma once

#include <cstdint>

// Window messages, as the window procedure receives them. Our own constants.
enum window_message : uint32_t {
    WM_DESTROY = 0x0002,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_CHAR = 0x0102,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MOUSELEAVE = 0x02A3,
};

// One message: for WM_MOUSEMOVE, position = x | (y << 16) in screen pixels of
// the configured screen size; for WM_CHAR, character = the code page 1251
// byte (8 Backspace, 13 Enter). WM_MOUSELEAVE says the pointer is no longer
// over the picture (it left the window, the window lost the focus, or the
// window changed between full screen and a window); the next WM_MOUSEMOVE
// brings it back.
struct platform_message {
    uint32_t message;
    uint32_t position;
    uint32_t character;
};

// The keys whose held state the loops read: the seven of the loops' own
// controls, then the modifiers and keys of the shortcuts (undo and redo,
// the game's help, pause, speed, screenshot, music and overview). Letters
// are keys by their place on the keyboard, whatever the layout types there.
enum held_key : int {
    key_escape,
    key_enter,
    key_delete,
    key_left,
    key_right,
    key_up,
    key_down,
    key_ctrl,   // either Ctrl
    key_shift,  // either Shift
    key_z,
    key_y,
    key_f1,
    key_f5,
    key_f12,
    key_p,
    key_pause,
    key_plus,   // '+' ('=' on the main keyboard) or the keypad's '+'
    key_minus,  // '-' or the keypad's '-'
    key_m,
    key_tab,
    held_key_count,
};

// --- Window and events -------------------------------------------------

// Creates the one window (width x height as created; the frame size is
// given to platform_start_video). False when no window can be made.
bool platform_create_window(const char* title, int width, int height);
void platform_show_window(bool visible);
// Destroys the window; the backend then queues nothing more.
void platform_destroy_window();
bool platform_window_exists();
// Closes whatever the backend still holds (audio, joystick, video, window)
// and the backend itself. Called once, as the process ends.
void platform_shutdown();

// Takes the next queued message in arrival order; false when the queue is
// empty. Called by drain_messages only.
bool platform_next_message(platform_message& out);
// Queues a message for the window (PostMessage).
void platform_post_message(uint32_t message);

// Whether the key is down, as the loops ask once a pass: held now, or
// pressed since the last time it was asked, so that a tap shorter than a
// pass still reads as down once. A press no one asks about is forgotten once
// the pass after the one it arrived in has been presented, so a key tapped
// where no loop reads it (Escape or Delete in a dialog) does not act later,
// in the loop the dialog returns to.
bool platform_key_held(held_key key);

// Writes everything the program receives from now on to the file at path,
// pass by pass, as a headless runner script that begins with header (comment
// lines): the messages drain_messages takes and the held keys going down
// and up, so that headless_run replays the session to the same state.
// False when the file cannot be made. The SDL backend records; the
// headless one, whose input is a script already, refuses. main() calls it
// for --record before the entry.
bool platform_record_input(const char* path, const char* header);
// Ends the record with a checkpoint at the last pass and the passes run.
// main() calls it when the entry returns; nothing without a record.
void platform_end_record();

// Milliseconds since an arbitrary start (wraps at 2^32). Headless: a virtual
// clock that advances 1 ms at every read.
uint32_t platform_milliseconds();
void platform_sleep(uint32_t milliseconds);

// A modal box with one button; caption and text are code page 1251.
void platform_message_box(const char* caption, const char* text);

// --- The frame -----------------------------------------------------------

// Prepares the screen for frames of width x height pixels at 16 bits per
// pixel (5:6:5). False when that is impossible.
bool platform_start_video(int width, int height);
void platform_stop_video();
// Shows one frame: rows of 5:6:5 pixels, pitch_bytes apart, and ends the
// pass. The SDL backend keeps the passes to 100 a second, sleeping, and
// shows a frame at the display's vertical blank where the display offers
// one, only when that blank comes before the next pass is due (frames are
// dropped, never the pace); the headless one counts them and never waits.
void platform_present(const uint16_t* pixels, int width, int height, int pitch_bytes);
// Sets the time from one pass to the next in microseconds, 2,500 .. 40,000
// (a pace of four times to a quarter of the normal one); 0 gives back the
// normal 10 ms. The game's speed keys call it; the SDL backend paces its
// passes by it (video started anew keeps it), the headless one only keeps
// the value, since it never waits.
void platform_set_pass_interval(int32_t microseconds);

// --- Audio -----------------------------------------------------------------

// Mixed output: 44,100 frames a second, stereo, signed 16-bit, interleaved.
constexpr int audio_rate = 44100;
// Fills frames stereo frames into out. Runs on the audio thread.
using audio_pull = void (*)(int16_t* out, int frames, void* user);

// Opens the default output device pulling from pull; false when there is no
// usable device (the caller then runs silent). Headless: always false.
bool platform_open_audio(audio_pull pull, void* user);
void platform_close_audio();
// Keeps the audio thread out while the main loop changes what it mixes.
void platform_lock_audio();
void platform_unlock_audio();

// --- Joystick -------------------------------------------------------------

constexpr int joystick_axes = 2;
constexpr int joystick_buttons = 32;

// Opens the first joystick; false when there is none.
bool platform_open_joystick();
void platform_close_joystick();
// Raw state of the open joystick: axes -32768..32767 (0 x, 1 y), buttons
// 0/1. False when the device is gone.
bool platform_read_joystick(int32_t axes[joystick_axes], uint8_t buttons[joystick_buttons]);
