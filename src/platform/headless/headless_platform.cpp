// The headless backend: the platform without a window or devices. Input
// comes from the script, time from a virtual clock, and presented frames are
// counted, optionally kept and dumped as PNG files.
#include <cstdio>
#include <cstring>

#include "core/code_page.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "platform/png_writer.h"

// Room of the message queue; a message beyond it is dropped.
static constexpr int queue_size = 4096;
// Room of the trace, terminator included.
static constexpr int trace_size = 8192;

// Script events sorted by pass, oldest first within a pass; next_event is the
// first not yet delivered. The script file's parser fills these too.
static headless_event events[headless_max_events];
static int event_count = 0;
static int next_event = 0;

// A requested dump: the pass whose frame it writes and the file.
struct dump_request {
    int32_t pass;
    char path[headless_path_size];
};
static dump_request dumps[headless_max_dumps];
static int dump_count = 0;
static int dumps_written = 0;
static int dumps_failed = 0;
static char dump_folder[headless_path_size];

// Passes whose ends are checkpoints, in rising order.
static int32_t checkpoints[headless_max_checkpoints];
static int checkpoint_count = 0;

// The message queue, a ring in arrival order.
static platform_message queue[queue_size];
static int queue_head = 0;
static int queue_length = 0;

// The window and the video: whether they exist, the frame size, forced
// failures for tests.
static bool window_exists = false;
static bool window_visible = false;
static bool video_started = false;
static int video_width = 0;
static int video_height = 0;
static bool fail_window = false;
static bool fail_video = false;

static bool keys[held_key_count];
// A key pressed since it was last asked about, and the pass of that press.
static bool keys_pressed[held_key_count];
static int32_t key_press_pass[held_key_count];
static uint32_t clock_ms = 0;
static int32_t pass_number = 0;
// The pass interval last asked for (0: the normal one); never waited on.
static int32_t pass_interval = 0;
static headless_pass_hook pass_hook = nullptr;
static void* pass_hook_user = nullptr;

// The kept frame; whether a frame too large to keep was reported.
static bool keep_frames = false;
static bool frame_kept = false;
static bool frame_too_large_told = false;
static uint16_t frame[headless_max_frame_side * headless_max_frame_side];
static int frame_width = 0;
static int frame_height = 0;

// Message boxes: how many were shown and the first ones kept.
static int box_count = 0;
static char box_captions[headless_max_boxes][headless_box_text_size];
static char box_texts[headless_max_boxes][headless_box_text_size];
static bool echo_boxes = true;

static char trace[trace_size];
static int trace_length = 0;

// The scripted joystick.
static bool joystick_attached = false;
static bool joystick_open = false;
static int32_t joystick_axis[joystick_axes];
static uint8_t joystick_button[joystick_buttons];

void headless_reset()
{
    event_count = 0;
    next_event = 0;
    dump_count = 0;
    dumps_written = 0;
    dumps_failed = 0;
    dump_folder[0] = 0;
    checkpoint_count = 0;
    queue_head = 0;
    queue_length = 0;
    window_exists = false;
    window_visible = false;
    video_started = false;
    video_width = 0;
    video_height = 0;
    fail_window = false;
    fail_video = false;
    for (int i = 0; i < held_key_count; ++i) {
        keys[i] = false;
        keys_pressed[i] = false;
        key_press_pass[i] = 0;
    }
    clock_ms = 0;
    pass_number = 0;
    pass_interval = 0;
    pass_hook = nullptr;
    pass_hook_user = nullptr;
    keep_frames = false;
    frame_kept = false;
    frame_too_large_told = false;
    frame_width = 0;
    frame_height = 0;
    box_count = 0;
    echo_boxes = true;
    trace[0] = 0;
    trace_length = 0;
    joystick_attached = false;
    joystick_open = false;
    for (int32_t& a : joystick_axis)
        a = 0;
    for (uint8_t& b : joystick_button)
        b = 0;
}

void headless_trace_note(const char* entry)
{
    int length = static_cast<int>(std::strlen(entry));
    if (trace_length + length + 2 > trace_size) return;
    std::memcpy(trace + trace_length, entry, static_cast<size_t>(length));
    trace_length += length;
    trace[trace_length++] = ';';
    trace[trace_length] = 0;
}

const char* headless_trace()
{
    return trace;
}

static void enqueue(uint32_t message, uint32_t position, uint32_t character)
{
    if (queue_length == queue_size) return;
    queue[(queue_head + queue_length) % queue_size] = {message, position, character};
    ++queue_length;
}

// --- Script ------------------------------------------------------------------

bool headless_add_event(const headless_event& event)
{
    if (event_count == headless_max_events || event.pass < 0) return false;
    if ((event.kind == event_key_down || event.kind == event_key_up) &&
        (event.value < 0 || event.value >= held_key_count))
        return false;
    if (event.kind == event_axis && (event.x < 0 || event.x >= joystick_axes)) return false;
    if (event.kind == event_button && (event.x < 0 || event.x >= joystick_buttons)) return false;
    // Insert after every event of the same or an earlier pass.
    int at = event_count;
    while (at > next_event && events[at - 1].pass > event.pass)
        --at;
    for (int i = event_count; i > at; --i)
        events[i] = events[i - 1];
    events[at] = event;
    ++event_count;
    return true;
}

bool headless_dump_asked_for(const char* path)
{
    for (int i = 0; i < dump_count; ++i)
        if (std::strcmp(dumps[i].path, path) == 0) return true;
    return false;
}

bool headless_add_dump(int32_t pass, const char* path)
{
    if (dump_count == headless_max_dumps || pass < 0) return false;
    size_t length = std::strlen(path);
    if (length == 0 || length >= headless_path_size || headless_dump_asked_for(path)) return false;
    dumps[dump_count].pass = pass;
    std::memcpy(dumps[dump_count].path, path, length + 1);
    ++dump_count;
    return true;
}

int headless_pending_events()
{
    return event_count - next_event;
}

bool headless_add_checkpoint(int32_t pass)
{
    if (checkpoint_count == headless_max_checkpoints || pass < 0 || headless_checkpoint_at(pass) >= 0)
        return false;
    int at = checkpoint_count;
    while (at > 0 && checkpoints[at - 1] > pass) {
        checkpoints[at] = checkpoints[at - 1];
        --at;
    }
    checkpoints[at] = pass;
    ++checkpoint_count;
    return true;
}

int headless_checkpoint_count()
{
    return checkpoint_count;
}

int32_t headless_checkpoint_pass(int index)
{
    return index >= 0 && index < checkpoint_count ? checkpoints[index] : -1;
}

int headless_checkpoint_at(int32_t pass)
{
    for (int i = 0; i < checkpoint_count; ++i)
        if (checkpoints[i] == pass) return i;
    return -1;
}

int headless_event_room()
{
    return headless_max_events - event_count;
}

int headless_dump_room()
{
    return headless_max_dumps - dump_count;
}

int headless_checkpoint_room()
{
    return headless_max_checkpoints - checkpoint_count;
}

static uint32_t position_word(int32_t x, int32_t y)
{
    return (static_cast<uint32_t>(x) & 0xFFFF) | ((static_cast<uint32_t>(y) & 0xFFFF) << 16);
}

// Delivers one event: a message into the queue or a change of state.
static void deliver(const headless_event& e)
{
    switch (e.kind) {
    case event_move: enqueue(WM_MOUSEMOVE, position_word(e.x, e.y), 0); break;
    case event_left_down: enqueue(WM_LBUTTONDOWN, 0, 0); break;
    case event_left_up: enqueue(WM_LBUTTONUP, 0, 0); break;
    case event_left_double: enqueue(WM_LBUTTONDBLCLK, 0, 0); break;
    case event_right_down: enqueue(WM_RBUTTONDOWN, 0, 0); break;
    case event_right_up: enqueue(WM_RBUTTONUP, 0, 0); break;
    case event_right_double: enqueue(WM_RBUTTONDBLCLK, 0, 0); break;
    case event_leave: enqueue(WM_MOUSELEAVE, 0, 0); break;
    case event_char: enqueue(WM_CHAR, 0, static_cast<uint32_t>(e.value) & 0xFF); break;
    case event_key_down:
        keys[e.value] = true;
        keys_pressed[e.value] = true;
        key_press_pass[e.value] = pass_number;
        // As on the real keyboard, the Enter key also types a carriage return.
        if (e.value == key_enter) enqueue(WM_CHAR, 0, 13);
        break;
    case event_key_up: keys[e.value] = false; break;
    case event_backspace: enqueue(WM_CHAR, 0, 8); break;
    case event_close:
        // Closed from outside: the window is gone and WM_DESTROY is its last
        // message.
        enqueue(WM_DESTROY, 0, 0);
        window_exists = false;
        window_visible = false;
        headless_trace_note("closed");
        break;
    case event_joystick:
        joystick_attached = e.value != 0;
        if (!joystick_attached) joystick_open = false;
        break;
    case event_axis: joystick_axis[e.x] = e.value; break;
    case event_button: joystick_button[e.x] = e.value != 0 ? 1 : 0; break;
    }
}

// Delivers every event whose pass has come, while the window exists.
static void feed_due_events()
{
    while (window_exists && next_event < event_count && events[next_event].pass <= pass_number)
        deliver(events[next_event++]);
}

// --- Window and events ---------------------------------------------------------

bool platform_create_window(const char* /*title*/, int width, int height)
{
    if (fail_window) return false;
    window_exists = true;
    window_visible = false;
    char entry[48];
    std::snprintf(entry, sizeof entry, "create %dx%d", width, height);
    headless_trace_note(entry);
    return true;
}

void platform_show_window(bool visible)
{
    if (!window_exists) return;
    window_visible = visible;
    headless_trace_note(visible ? "show 1" : "show 0");
}

void platform_destroy_window()
{
    if (!window_exists) return;
    window_exists = false;
    window_visible = false;
    queue_length = 0;
    headless_trace_note("destroy");
}

bool platform_window_exists()
{
    return window_exists;
}

void platform_shutdown()
{
    platform_close_joystick();
    platform_stop_video();
    platform_destroy_window();
    headless_trace_note("shutdown");
}

bool headless_window_visible()
{
    return window_visible;
}

bool platform_next_message(platform_message& out)
{
    feed_due_events();
    if (queue_length == 0) return false;
    out = queue[queue_head];
    queue_head = (queue_head + 1) % queue_size;
    --queue_length;
    return true;
}

void platform_post_message(uint32_t message)
{
    if (window_exists) enqueue(message, 0, 0);
}

bool platform_key_held(held_key key)
{
    feed_due_events();
    if (key < 0 || key >= held_key_count) return false;
    bool pressed = keys_pressed[key] && pass_number - key_press_pass[key] <= 1;
    keys_pressed[key] = false;
    return keys[key] || pressed;
}

bool platform_record_input(const char* /*path*/, const char* /*header*/)
{
    return false;
}

void platform_end_record() {}

uint32_t platform_milliseconds()
{
    return clock_ms++;
}

void platform_sleep(uint32_t milliseconds)
{
    clock_ms += milliseconds;
}

void headless_set_clock(uint32_t milliseconds)
{
    clock_ms = milliseconds;
}

uint32_t headless_peek_clock()
{
    return clock_ms;
}

void headless_echo_boxes(bool echo)
{
    echo_boxes = echo;
}

void platform_message_box(const char* caption, const char* text)
{
    if (box_count < headless_max_boxes) {
        std::snprintf(box_captions[box_count], headless_box_text_size, "%s", caption);
        std::snprintf(box_texts[box_count], headless_box_text_size, "%s", text);
    }
    ++box_count;
    char entry[headless_box_text_size + 8];
    std::snprintf(entry, sizeof entry, "box %s", caption);
    headless_trace_note(entry);
    if (echo_boxes) {
        static char caption_utf8[3 * headless_box_text_size];
        static char text_utf8[3 * headless_box_text_size];
        cp1251_to_utf8(caption, caption_utf8, sizeof caption_utf8);
        cp1251_to_utf8(text, text_utf8, sizeof text_utf8);
        std::fprintf(stderr, "[message box] %s: %s\n", caption_utf8, text_utf8);
    }
}

int headless_box_count()
{
    return box_count;
}

const char* headless_box_caption(int index)
{
    if (index < 0 || index >= box_count || index >= headless_max_boxes) return "";
    return box_captions[index];
}

const char* headless_box_text(int index)
{
    if (index < 0 || index >= box_count || index >= headless_max_boxes) return "";
    return box_texts[index];
}

void headless_fail_window(bool fail)
{
    fail_window = fail;
}

void headless_fail_video(bool fail)
{
    fail_video = fail;
}

// --- The frame -------------------------------------------------------------------

bool platform_start_video(int width, int height)
{
    if (fail_video || width < 1 || height < 1) return false;
    video_started = true;
    video_width = width;
    video_height = height;
    char entry[48];
    std::snprintf(entry, sizeof entry, "start video %dx%d", width, height);
    headless_trace_note(entry);
    return true;
}

void platform_stop_video()
{
    if (!video_started) return;
    video_started = false;
    video_width = 0;
    video_height = 0;
    headless_trace_note("stop video");
}

void headless_video_size(int& width, int& height)
{
    width = video_width;
    height = video_height;
}

// Copies the presented frame into the kept one. A frame too large for it
// leaves no kept frame rather than an older one, and is reported once.
static void keep_frame(const uint16_t* pixels, int width, int height, int pitch_bytes)
{
    if (width > headless_max_frame_side || height > headless_max_frame_side) {
        frame_kept = false;
        if (!frame_too_large_told)
            std::fprintf(stderr, "headless: the frame of pass %d is %dx%d, too large to keep (at most %dx%d)\n",
                         static_cast<int>(pass_number), width, height, headless_max_frame_side,
                         headless_max_frame_side);
        frame_too_large_told = true;
        return;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(frame + y * width, reinterpret_cast<const uint8_t*>(pixels) + static_cast<size_t>(y) * pitch_bytes,
                    static_cast<size_t>(width) * 2);
    frame_width = width;
    frame_height = height;
    frame_kept = true;
}

void platform_present(const uint16_t* pixels, int width, int height, int pitch_bytes)
{
    bool usable = pixels != nullptr && width > 0 && height > 0 && pitch_bytes >= 2 * width;
    // A checkpoint's hook looks at the frame of its pass; a frame that cannot
    // be kept leaves none, never an older one.
    if (keep_frames || headless_checkpoint_at(pass_number) >= 0) {
        if (usable)
            keep_frame(pixels, width, height, pitch_bytes);
        else
            frame_kept = false;
    }
    for (int i = 0; i < dump_count; ++i) {
        if (dumps[i].pass != pass_number) continue;
        static char path[2 * headless_path_size + 1];
        if (dumps[i].path[0] != '/' && dump_folder[0] != 0)
            std::snprintf(path, sizeof path, "%s/%s", dump_folder, dumps[i].path);
        else
            std::snprintf(path, sizeof path, "%s", dumps[i].path);
        if (usable && write_png_565(path, pixels, width, height, pitch_bytes)) {
            ++dumps_written;
        } else {
            ++dumps_failed;
            std::fprintf(stderr, "headless: could not write the %dx%d frame of pass %d to %s\n", usable ? width : 0,
                         usable ? height : 0, static_cast<int>(pass_number), path);
        }
    }
    int32_t ended = pass_number++;
    if (pass_hook != nullptr) pass_hook(ended, pass_hook_user);
}

void platform_set_pass_interval(int32_t microseconds)
{
    pass_interval = microseconds;
}

int32_t headless_pass_interval()
{
    return pass_interval;
}

int32_t headless_pass()
{
    return pass_number;
}

void headless_set_pass_hook(headless_pass_hook hook, void* user)
{
    pass_hook = hook;
    pass_hook_user = user;
}

void headless_keep_frames(bool keep)
{
    keep_frames = keep;
}

const uint16_t* headless_frame(int& width, int& height)
{
    width = frame_kept ? frame_width : 0;
    height = frame_kept ? frame_height : 0;
    return frame_kept ? frame : nullptr;
}

bool headless_set_dump_folder(const char* folder)
{
    size_t length = std::strlen(folder);
    if (length >= headless_path_size) return false;
    std::memcpy(dump_folder, folder, length + 1);
    return true;
}

int headless_dumps_asked()
{
    return dump_count;
}

int headless_dumps_written()
{
    return dumps_written;
}

int headless_dumps_failed()
{
    return dumps_failed;
}

// --- Audio ----------------------------------------------------------------------------

// No device here: the sound layer runs silent, and tests pull its mixer
// directly.
bool platform_open_audio(audio_pull /*pull*/, void* /*user*/)
{
    return false;
}

void platform_close_audio() {}
void platform_lock_audio() {}
void platform_unlock_audio() {}

// --- Joystick --------------------------------------------------------------------------

void headless_set_joystick(bool attached)
{
    joystick_attached = attached;
    if (!attached) joystick_open = false;
}

void headless_set_joystick_axis(int axis, int32_t value)
{
    if (axis >= 0 && axis < joystick_axes) joystick_axis[axis] = value;
}

void headless_set_joystick_button(int button, uint8_t value)
{
    if (button >= 0 && button < joystick_buttons) joystick_button[button] = value != 0 ? 1 : 0;
}

bool platform_open_joystick()
{
    feed_due_events();
    joystick_open = joystick_attached;
    return joystick_open;
}

void platform_close_joystick()
{
    joystick_open = false;
}

bool platform_read_joystick(int32_t axes[joystick_axes], uint8_t buttons[joystick_buttons])
{
    feed_due_events();
    if (!joystick_open || !joystick_attached) return false;
    for (int i = 0; i < joystick_axes; ++i)
        axes[i] = joystick_axis[i];
    for (int i = 0; i < joystick_buttons; ++i)
        buttons[i] = joystick_button[i];
    return true;
}
