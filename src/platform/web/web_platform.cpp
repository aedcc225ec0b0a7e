// The web backend's window, events, held keys, clock and message box. The
// page's canvas is the window; the browser's events become the program's
// window messages here: mouse positions in frame pixels (scaled from the
// canvas's size on the page), typed characters in code page 1251, focus
// lost as keys let go. Events arrive while the loop yields (web_yield) and
// wait in a pending list until the pass's first question, as the SDL
// backend takes SDL's events once a pass.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstring>

#include "core/code_page.h"
#include "platform/input_record.h"
#include "platform/letterbox.h"
#include "platform/platform.h"
#include "platform/web/web_state.h"

bool web_window_open = false;
bool web_window_closed = false;

// Room of the message queue and of the events waiting for the next pass; a
// message beyond it is dropped.
static constexpr int queue_size = 1024;

// Messages of passes already begun, waiting for drain_messages.
static platform_message queue[queue_size];
static int queue_head = 0;
static int queue_length = 0;
// Messages that arrived since the pass began: they join the queue at the
// next pass's first question.
static platform_message pending[queue_size];
static int pending_length = 0;

// The frame position last delivered as WM_MOUSEMOVE (-1: none yet), and
// whether the pointer is over the page as far as the loops know.
static int last_mouse_x = -1;
static int last_mouse_y = -1;
static bool pointer_over = false;

// Two presses of one button this close in time and place are a double
// click (the desktop's usual setting), counted as SDL counts them.
static constexpr double double_click_ms = 500.0;
static constexpr long double_click_distance = 4;
static int click_button = -1;
static int click_count = 0;
static double click_time = 0.0;
static long click_x = 0;
static long click_y = 0;

// The keys of each held key by KeyboardEvent.code (Enter has two): keys
// by their place on the keyboard, whatever the layout types there.
static const char* const key_codes[held_key_count][2] = {
    {"Escape", "Escape"},       {"Enter", "NumpadEnter"},    {"Delete", "Delete"},
    {"ArrowLeft", "ArrowLeft"}, {"ArrowRight", "ArrowRight"}, {"ArrowUp", "ArrowUp"},
    {"ArrowDown", "ArrowDown"}, {"ControlLeft", "ControlRight"}, {"ShiftLeft", "ShiftRight"},
    {"KeyZ", "KeyZ"},           {"KeyY", "KeyY"},            {"F1", "F1"},
    {"F5", "F5"},               {"F12", "F12"},              {"KeyP", "KeyP"},
    {"Pause", "Pause"},         {"Equal", "NumpadAdd"},      {"Minus", "NumpadSubtract"},
    {"KeyM", "KeyM"},           {"Tab", "Tab"},
};
// Which of each held key's two keys the browser last reported down (bits 0
// and 1): the key as a whole goes down with the first and up with the last.
static uint8_t keys_down_mask[held_key_count];
// The held state the loops see, changed at a pass's first question.
static bool keys_held[held_key_count];
// A key pressed since it was last asked about, and the pass of that press.
static bool keys_pressed[held_key_count];
static uint32_t key_press_pass[held_key_count];

// The held keys' transitions travel among the messages, so that each takes
// effect (and is written to a record) at its place: these message values
// carry the key in the character and never reach the program. Enter's
// press is its carriage return marked in the position.
static constexpr uint32_t note_key_down = 0x10000;
static constexpr uint32_t note_key_up = 0x20000;
static constexpr uint32_t typed_by_enter_press = 1;

// Whether the browser's event handlers are installed (once a page).
static bool handlers_installed = false;

static void enqueue(uint32_t message, uint32_t position, uint32_t character)
{
    if (queue_length == queue_size) return;
    queue[(queue_head + queue_length) % queue_size] = {message, position, character};
    ++queue_length;
}

// Adds an arrived event to the pending list.
static void arrive(uint32_t message, uint32_t position, uint32_t character)
{
    if (!web_window_open || web_window_closed || pending_length == queue_size) return;
    pending[pending_length++] = {message, position, character};
}

// --- The page's pieces ---------------------------------------------------

// The canvas's place on the page in CSS pixels (left, top, width, height).
EM_JS(void, web_canvas_rect, (int* out), {
    var r = Module['canvas'].getBoundingClientRect();
    HEAP32[out >> 2] = Math.round(r.left);
    HEAP32[(out >> 2) + 1] = Math.round(r.top);
    HEAP32[(out >> 2) + 2] = Math.round(r.width);
    HEAP32[(out >> 2) + 3] = Math.round(r.height);
});

// The page's own handlers: no context menu over the picture, the pointer
// leaving the page, and the page going away.
EM_JS(void, web_install_page_handlers, (), {
    var canvas = Module['canvas'];
    document.addEventListener('contextmenu', function(e) { e.preventDefault(); });
    document.documentElement.addEventListener('mouseleave', function() { _web_pointer_left(); });
    canvas.focus();
});

// Shows or hides the canvas.
EM_JS(void, web_show_canvas, (int visible), {
    Module['canvas'].style.visibility = visible ? 'visible' : 'hidden';
});

// Switches the page between full screen and its window (Alt+Enter).
EM_JS(void, web_toggle_fullscreen, (), {
    var screen = Module['canvas'].parentElement || Module['canvas'];
    if (document.fullscreenElement) document.exitFullscreen();
    else if (screen.requestFullscreen) screen.requestFullscreen().catch(function() {});
});

// A modal box: the browser's own alert, which holds the page until it is
// answered.
EM_JS(void, web_alert, (const char* caption, const char* text), {
    window.alert(UTF8ToString(caption) + '\n\n' + UTF8ToString(text));
});

// Tells the page that the program has ended, so that it can say so.
EM_JS(void, web_program_ended, (), {
    if (Module['onProgramEnd']) Module['onProgramEnd']();
});

// --- Events ----------------------------------------------------------------

// The pointer is no longer over the page: the loops are told once, and the
// next move is delivered wherever it lands.
extern "C" EMSCRIPTEN_KEEPALIVE void web_pointer_left()
{
    if (pointer_over) arrive(WM_MOUSELEAVE, 0, 0);
    pointer_over = false;
    last_mouse_x = last_mouse_y = -1;
}

// Delivers the pointer's position when it differs from the last one. The
// whole page counts as the window, so the bars beside a letterboxed
// picture give its nearest edge pixel, as full screen does.
static void move_mouse(long client_x, long client_y)
{
    int frame_w = 0, frame_h = 0;
    web_frame_size(frame_w, frame_h);
    int rect[4];
    web_canvas_rect(rect);
    int x = 0, y = 0;
    window_to_frame(static_cast<int>(client_x), static_cast<int>(client_y), {rect[0], rect[1], rect[2], rect[3]},
                    frame_w, frame_h, x, y);
    pointer_over = true;
    if (x == last_mouse_x && y == last_mouse_y) return;
    last_mouse_x = x;
    last_mouse_y = y;
    arrive(WM_MOUSEMOVE, static_cast<uint32_t>(x) | (static_cast<uint32_t>(y) << 16), 0);
}

static EM_BOOL on_mouse(int type, const EmscriptenMouseEvent* e, void* /*user*/)
{
    if (!web_window_open || web_window_closed) return EM_FALSE;
    if (type != EMSCRIPTEN_EVENT_MOUSEMOVE) web_user_gesture();
    move_mouse(e->clientX, e->clientY);
    // Button 0 is the left, 2 the right; the middle one is not used.
    if (e->button != 0 && e->button != 2) return EM_FALSE;
    const bool left = e->button == 0;
    if (type == EMSCRIPTEN_EVENT_MOUSEDOWN) {
        long dx = e->clientX - click_x, dy = e->clientY - click_y;
        bool again = click_button == e->button && e->timestamp - click_time <= double_click_ms &&
                     dx >= -double_click_distance && dx <= double_click_distance &&
                     dy >= -double_click_distance && dy <= double_click_distance;
        click_count = again ? click_count + 1 : 1;
        click_button = e->button;
        click_time = e->timestamp;
        click_x = e->clientX;
        click_y = e->clientY;
        // Every second press in quick succession is the double click.
        if (left) arrive(click_count % 2 == 0 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, 0, 0);
        else arrive(click_count % 2 == 0 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN, 0, 0);
        return EM_TRUE;
    }
    if (type == EMSCRIPTEN_EVENT_MOUSEUP) {
        arrive(left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, 0);
        return EM_TRUE;
    }
    return EM_FALSE;
}

// Follows a key going down or up; the held key as a whole changes with its
// first key down and its last key up. Returns true when it went down.
static bool follow_key(const char* code, bool down)
{
    bool went_down = false;
    for (int k = 0; k < held_key_count; ++k) {
        uint8_t bits = (std::strcmp(key_codes[k][0], code) == 0 ? 1 : 0) |
                       (std::strcmp(key_codes[k][1], code) == 0 ? 2 : 0);
        if (bits == 0) continue;
        const uint8_t before = keys_down_mask[k];
        keys_down_mask[k] = down ? before | bits : before & ~bits;
        if (before == 0 && keys_down_mask[k] != 0) {
            went_down = true;
            // Enter's own press travels with its carriage return.
            if (k != key_enter) arrive(note_key_down, 0, static_cast<uint32_t>(k));
        } else if (before != 0 && keys_down_mask[k] == 0) {
            arrive(note_key_up, 0, static_cast<uint32_t>(k));
        }
    }
    return went_down;
}

// Every held key let go (the page lost the focus: its key-ups go
// elsewhere), and the pointer counts as gone.
static void release_all_keys()
{
    for (int k = 0; k < held_key_count; ++k) {
        if (keys_down_mask[k] != 0) arrive(note_key_up, 0, static_cast<uint32_t>(k));
        keys_down_mask[k] = 0;
    }
    web_pointer_left();
}

// The character a key types, as a code page 1251 byte: KeyboardEvent.key
// when it is one printable character; false for named keys ("Shift",
// "Dead", "F5"), shortcuts with Ctrl or the system key, and characters
// without a byte.
static bool typed_byte(const EmscriptenKeyboardEvent* e, uint8_t& byte)
{
    // AltGr reads as Ctrl with Alt on some systems, and types.
    if ((e->ctrlKey && !e->altKey) || e->metaKey) return false;
    uint32_t code = 0;
    int used = 0;
    if (!decode_utf8(e->key, code, used) || e->key[used] != 0 || code < 32 || code == 127) return false;
    return unicode_to_cp1251(code, byte);
}

static EM_BOOL on_key(int type, const EmscriptenKeyboardEvent* e, void* /*user*/)
{
    if (!web_window_open || web_window_closed) return EM_FALSE;
    const bool enter = std::strcmp(e->code, "Enter") == 0 || std::strcmp(e->code, "NumpadEnter") == 0;
    if (type == EMSCRIPTEN_EVENT_KEYUP) {
        follow_key(e->code, false);
        return EM_TRUE;
    }
    web_user_gesture();
    if (enter && e->altKey) {
        // Alt+Enter switches full screen; it is no Enter for the loops.
        if (!e->repeat) web_toggle_fullscreen();
        return EM_TRUE;
    }
    bool went_down = !e->repeat && follow_key(e->code, true);
    uint8_t byte = 0;
    if (enter) {
        // The carriage return of Enter's own press is the key going down;
        // a repeat's is a character only.
        arrive(WM_CHAR, went_down ? typed_by_enter_press : 0, 13);
    } else if (std::strcmp(e->code, "Backspace") == 0) {
        arrive(WM_CHAR, 0, 8);
    } else if (typed_byte(e, byte)) {
        arrive(WM_CHAR, 0, byte);
    }
    // The browser keeps its own shortcuts with Ctrl or the system key,
    // except the editors' Ctrl+Z and Ctrl+Y; the rest (F1, F5, Tab,
    // Backspace, typed letters) are the program's.
    if ((e->ctrlKey || e->metaKey) && std::strcmp(e->code, "KeyZ") != 0 && std::strcmp(e->code, "KeyY") != 0)
        return EM_FALSE;
    return EM_TRUE;
}

static EM_BOOL on_blur(int /*type*/, const EmscriptenFocusEvent* /*e*/, void* /*user*/)
{
    release_all_keys();
    return EM_FALSE;
}

static EM_BOOL on_visibility(int /*type*/, const EmscriptenVisibilityChangeEvent* e, void* /*user*/)
{
    if (e->hidden) release_all_keys();
    return EM_FALSE;
}

static void install_handlers()
{
    if (handlers_installed) return;
    handlers_installed = true;
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_mousemove_callback(window, nullptr, EM_FALSE, on_mouse);
    emscripten_set_mousedown_callback(window, nullptr, EM_FALSE, on_mouse);
    emscripten_set_mouseup_callback(window, nullptr, EM_FALSE, on_mouse);
    emscripten_set_keydown_callback(window, nullptr, EM_FALSE, on_key);
    emscripten_set_keyup_callback(window, nullptr, EM_FALSE, on_key);
    emscripten_set_blur_callback(window, nullptr, EM_FALSE, on_blur);
    emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, on_visibility);
    web_install_page_handlers();
}

// --- Window ------------------------------------------------------------------

bool platform_create_window(const char* /*title*/, int width, int height)
{
    if (web_window_open) return true;
    web_restore_saved_files();
    install_handlers();
    web_note_created_size(width, height);
    web_window_open = true;
    web_window_closed = false;
    queue_length = 0;
    pending_length = 0;
    last_mouse_x = last_mouse_y = -1;
    pointer_over = false;
    for (int k = 0; k < held_key_count; ++k) {
        keys_down_mask[k] = 0;
        keys_held[k] = false;
        keys_pressed[k] = false;
    }
    return true;
}

void platform_show_window(bool visible)
{
    if (!web_window_open || web_window_closed) return;
    web_show_canvas(visible ? 1 : 0);
}

void platform_destroy_window()
{
    if (!web_window_open) return;
    platform_stop_video();
    web_show_canvas(0);
    web_window_open = false;
    web_window_closed = false;
    queue_length = 0;
    pending_length = 0;
}

bool platform_window_exists()
{
    return web_window_open && !web_window_closed;
}

void platform_shutdown()
{
    web_close_devices();
    platform_destroy_window();
    web_program_ended();
}

// --- Passes of events --------------------------------------------------------

// The pass whose events were last taken (none yet: the largest value,
// which no pass reaches first).
static uint32_t pumped_pass = 0xFFFFFFFFu;

// Moves the events that arrived into the pass, once a pass, at its first
// question (the key a loop asks after its present, or the messages
// drain_messages takes): the held keys change as the messages begin, so
// that a record replays exactly.
static void pump_once()
{
    if (pumped_pass == web_presents) return;
    pumped_pass = web_presents;
    for (int i = 0; i < pending_length; ++i) {
        const platform_message& m = pending[i];
        if (m.message == note_key_down) {
            keys_held[m.character] = true;
            keys_pressed[m.character] = true;
            key_press_pass[m.character] = web_presents;
        } else if (m.message == note_key_up) {
            keys_held[m.character] = false;
        } else if (m.message == WM_CHAR && m.position == typed_by_enter_press) {
            keys_held[key_enter] = true;
            keys_pressed[key_enter] = true;
            key_press_pass[key_enter] = web_presents;
        }
        // Key notes reach the queue only for a record.
        if ((m.message != note_key_down && m.message != note_key_up) || recording())
            enqueue(m.message, m.position, m.character);
    }
    pending_length = 0;
}

bool platform_next_message(platform_message& out)
{
    if (!web_window_open) return false;
    pump_once();
    while (queue_length > 0) {
        out = queue[queue_head];
        queue_head = (queue_head + 1) % queue_size;
        --queue_length;
        if (out.message == note_key_down || out.message == note_key_up) {
            record_key(static_cast<int32_t>(web_presents), static_cast<held_key>(out.character),
                       out.message == note_key_down);
            continue;
        }
        if (out.message == WM_CHAR && out.position == typed_by_enter_press) {
            out.position = 0;
            record_key(static_cast<int32_t>(web_presents), key_enter, true);
        } else {
            record_message(static_cast<int32_t>(web_presents), out);
        }
        return true;
    }
    return false;
}

void platform_post_message(uint32_t message)
{
    if (platform_window_exists()) enqueue(message, 0, 0);
}

bool platform_key_held(held_key key)
{
    if (key < 0 || key >= held_key_count) return false;
    if (web_window_open) pump_once();
    bool pressed = keys_pressed[key] && web_presents - key_press_pass[key] <= 1;
    keys_pressed[key] = false;
    return keys_held[key] || pressed;
}

// The record's file, offered as a download when the record ends ("" when
// no record is written).
static char record_path[512] = "";

bool platform_record_input(const char* path, const char* header)
{
    if (!record_start(path, header)) return false;
    std::snprintf(record_path, sizeof record_path, "%s", path);
    return true;
}

void platform_end_record()
{
    record_finish(static_cast<int32_t>(web_presents));
    if (record_path[0] == '\0') return;
    web_offer_download(record_path);
    record_path[0] = '\0';
}

// --- Clock and box -------------------------------------------------------------

uint32_t platform_milliseconds()
{
    return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now()));
}

int64_t web_now_us()
{
    return static_cast<int64_t>(emscripten_get_now() * 1000.0);
}

void platform_sleep(uint32_t milliseconds)
{
    web_yield(milliseconds);
}

void platform_message_box(const char* caption, const char* text)
{
    static char caption_utf8[256 * 3];
    static char text_utf8[1024 * 3];
    cp1251_to_utf8(caption, caption_utf8, sizeof caption_utf8);
    cp1251_to_utf8(text, text_utf8, sizeof text_utf8);
    // Also on the console, where a test or a report finds it.
    std::fprintf(stderr, "[message box] %s: %s\n", caption_utf8, text_utf8);
    web_alert(caption_utf8, text_utf8);
}
