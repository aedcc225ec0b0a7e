// Controls of the headless backend, for tests and tools: a script of input
// events by pass, the virtual clock, the kept frame, PNG dumps and
// checkpoints, the record of message boxes and of window calls, a hook after
// every pass, a scripted joystick. A pass is what one present ends: pass 0
// runs until the first present, pass n between the n-th and the (n+1)-th.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Script events, dumps, checkpoints and recorded message boxes the backend
// can hold.
constexpr int headless_max_events = 8192;
constexpr int headless_max_dumps = 64;
constexpr int headless_max_checkpoints = 64;
constexpr int headless_max_boxes = 16;
// Room for a dump path, a box's caption and its text, terminators included.
constexpr int headless_path_size = 256;
constexpr int headless_box_text_size = 512;
// The largest frame that is kept.
constexpr int headless_max_frame_side = 2048;

// What a script event does when its pass comes.
enum headless_event_kind : uint8_t {
    event_move,          // cursor to (x, y): WM_MOUSEMOVE
    event_left_down,     // WM_LBUTTONDOWN
    event_left_up,       // WM_LBUTTONUP
    event_left_double,   // WM_LBUTTONDBLCLK
    event_right_down,    // WM_RBUTTONDOWN
    event_right_up,      // WM_RBUTTONUP
    event_right_double,  // WM_RBUTTONDBLCLK
    event_char,          // WM_CHAR with the byte in value
    event_key_down,      // held key value pressed (Enter also types 13)
    event_key_up,        // held key value released
    event_backspace,     // the Backspace key: types 8
    event_close,         // the window closed from outside: WM_DESTROY
    event_joystick,      // joystick attached (value 1) or gone (value 0)
    event_axis,          // joystick axis x to value
    event_button,        // joystick button x to value (0/1)
    event_leave,         // the pointer left the window: WM_MOUSELEAVE
};

// One scripted event.
struct headless_event {
    int32_t pass;              // the pass whose drain_messages receives it
    headless_event_kind kind;  // what it does
    int32_t x, y;              // position (move), axis or button number
    int32_t value;             // byte, key, joystick state
};

// Called at the end of every present with the pass that just ended.
using headless_pass_hook = void (*)(int32_t pass, void* user);

// Back to the starting state: no window, no script, clock at 0, pass 0,
// no frame, no boxes, empty trace, no hook, no joystick, every key up.
void headless_reset();

// --- Script --------------------------------------------------------------

// Adds one event; events of one pass keep the order they were added in.
// False when the table is full or the event is invalid.
bool headless_add_event(const headless_event& event);
// Asks for a PNG of the frame that ends pass. False when full, when the path
// is empty or too long, or when a dump to the same path is already asked for
// (the later frame would overwrite the earlier file).
bool headless_add_dump(int32_t pass, const char* path);
// Whether a dump to path (as written) is already asked for. The script's
// parser asks it, so that a script cannot lose a dump to a later one.
bool headless_dump_asked_for(const char* path);
// Asks for a checkpoint at the end of pass: its frame is kept (as
// headless_keep_frames keeps every frame) for the pass hook, which takes
// what it wants to record. The backend knows only the passes. False when
// full, for a negative pass, or when the pass has a checkpoint already.
bool headless_add_checkpoint(int32_t pass);
// Room left in the event, dump and checkpoint tables (delivered events keep
// their place). The script's parser checks a whole script against them.
int headless_event_room();
int headless_dump_room();
int headless_checkpoint_room();
// Parses a whole script (format in README.md, "Headless runner") and, only
// when every line is valid, adds its events, dumps and checkpoints. On
// failure nothing is added, error_line is the first bad line (1-based) and
// error names why.
bool headless_load_script(const char* text, int& error_line, const char*& error);
// Events not yet delivered.
int headless_pending_events();

// --- Passes, the frame, dumps ---------------------------------------------

// Presents so far, which is also the pass now running.
int32_t headless_pass();
// The pass interval the program last asked for (platform_set_pass_interval;
// 0: the normal one). Nothing here waits on it.
int32_t headless_pass_interval();
void headless_set_pass_hook(headless_pass_hook hook, void* user);
// Keeps a copy of every presented frame (dumps always see their frame).
void headless_keep_frames(bool keep);
// The last kept frame: nullptr before any, and after a frame that could not
// be kept (none given, or over headless_max_frame_side: reported once on
// standard error); width and height filled.
const uint16_t* headless_frame(int& width, int& height);
// Relative dump paths are taken from this folder (the headless runner's
// starting folder, since the program itself runs from its data folder).
// Empty: the working directory. False when the folder name is too long.
bool headless_set_dump_folder(const char* folder);
// Dumps asked for, written and failed so far (the rest are not reached).
int headless_dumps_asked();
int headless_dumps_written();
int headless_dumps_failed();
// Checkpoints asked for, and the pass of each, in rising pass order
// (headless_checkpoint_pass gives -1 for an index out of range).
int headless_checkpoint_count();
int32_t headless_checkpoint_pass(int index);
// The index of the checkpoint at the end of pass, -1 if there is none. The
// headless runner's pass hook asks it after every pass.
int headless_checkpoint_at(int32_t pass);

// --- Clock -----------------------------------------------------------------

// Sets the virtual clock (it still advances 1 ms at every read).
void headless_set_clock(uint32_t milliseconds);
// Reads the clock without advancing it.
uint32_t headless_peek_clock();

// --- Window, boxes, trace ----------------------------------------------------

// Makes the next platform_create_window or platform_start_video fail.
void headless_fail_window(bool fail);
void headless_fail_video(bool fail);
bool headless_window_visible();
// The size given to platform_start_video (0 x 0 when stopped).
void headless_video_size(int& width, int& height);
// Message boxes shown so far (all of them counted, the first 16 kept).
int headless_box_count();
const char* headless_box_caption(int index);
const char* headless_box_text(int index);
// Prints each message box on standard error (on by default).
void headless_echo_boxes(bool echo);
// The trace of window calls ("create 1024x768;show 1;start video 800x600;
// show 0;box Brask;destroy;stop video;closed;shutdown;") and
// whatever headless_trace_note added, each entry ended by ';'.
const char* headless_trace();
// Adds an entry to the trace (test doubles record their calls with it).
void headless_trace_note(const char* entry);

// --- Joystick -----------------------------------------------------------------

// Attaches or removes the scripted joystick and sets its state.
void headless_set_joystick(bool attached);
void headless_set_joystick_axis(int axis, int32_t value);
void headless_set_joystick_button(int button, uint8_t value);

// --- Keys -----------------------------------------------------------------------

// The held-key name used in scripts ("escape", "enter", "delete", "left",
// "right", "up", "down"); false for an unknown name.
bool headless_key_by_name(const char* name, held_key& key);
