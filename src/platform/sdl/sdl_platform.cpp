// The SDL backend's window, events, held keys, clock and message box. SDL's
// events become the program's window messages here: mouse positions in frame
// pixels, typed text in code page 1251, the window's closing as WM_DESTROY.
#include <cstdio>

#include "core/code_page.h"
#include "platform/input_record.h"
#include "platform/letterbox.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_state.h"

SDL_Window* sdl_window = nullptr;
bool sdl_window_closed = false;
bool sdl_fullscreen = true;

// Room of the message queue; a message beyond it is dropped.
static constexpr int queue_size = 1024;

// Messages translated from SDL's events, waiting for drain_messages.
static platform_message queue[queue_size];
static int queue_head = 0;
static int queue_length = 0;

// The frame position last delivered as WM_MOUSEMOVE (-1: none yet).
static int last_mouse_x = -1;
static int last_mouse_y = -1;

// Whether the pointer is over the picture as far as the loops know: a
// WM_MOUSEMOVE put it there, a WM_MOUSELEAVE took it away.
static bool pointer_over = false;
// After a change of window mode, until the hand moves the pointer: SDL
// repeats its last window position for the pointer (motion without any
// relative movement) while the window moves and resizes under it, a place
// where the pointer is not.
static bool pointer_settling = false;

// Whether SDL's video part is started (by the window).
static bool video_subsystem = false;

// The keys of each held key (Enter has two).
static const SDL_Scancode key_scancodes[held_key_count][2] = {
    {SDL_SCANCODE_ESCAPE, SDL_SCANCODE_ESCAPE}, {SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER},
    {SDL_SCANCODE_DELETE, SDL_SCANCODE_DELETE}, {SDL_SCANCODE_LEFT, SDL_SCANCODE_LEFT},
    {SDL_SCANCODE_RIGHT, SDL_SCANCODE_RIGHT},   {SDL_SCANCODE_UP, SDL_SCANCODE_UP},
    {SDL_SCANCODE_DOWN, SDL_SCANCODE_DOWN},
    {SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL},   {SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT},
    {SDL_SCANCODE_Z, SDL_SCANCODE_Z},           {SDL_SCANCODE_Y, SDL_SCANCODE_Y},
    {SDL_SCANCODE_F1, SDL_SCANCODE_F1},         {SDL_SCANCODE_F5, SDL_SCANCODE_F5},
    {SDL_SCANCODE_F12, SDL_SCANCODE_F12},       {SDL_SCANCODE_P, SDL_SCANCODE_P},
    {SDL_SCANCODE_PAUSE, SDL_SCANCODE_PAUSE},   {SDL_SCANCODE_EQUALS, SDL_SCANCODE_KP_PLUS},
    {SDL_SCANCODE_MINUS, SDL_SCANCODE_KP_MINUS}, {SDL_SCANCODE_M, SDL_SCANCODE_M},
    {SDL_SCANCODE_TAB, SDL_SCANCODE_TAB},
};
// A key pressed since it was last asked about, and the pass of that press.
static bool keys_pressed[held_key_count];
static uint32_t key_press_pass[held_key_count];

// While a record is written, the held keys' transitions travel in the
// queue among the messages, so that each is written at its place: these
// message values carry the key in the character and never reach the
// program. Enter's press is its carriage return marked in the position.
static constexpr uint32_t note_key_down = 0x10000;
static constexpr uint32_t note_key_up = 0x20000;
static constexpr uint32_t typed_by_enter_press = 1;
// Which of each held key's two keys are down (bits 0 and 1), as the events
// told: the key as a whole goes down with the first and up with the last.
static uint8_t keys_down_mask[held_key_count];
// Enter went down with Alt (the window's switch): it reads as up until it
// is let go, even when Alt is let go first.
static bool enter_swallowed = false;

static void enqueue(uint32_t message, uint32_t position, uint32_t character)
{
    if (queue_length == queue_size) return;
    queue[(queue_head + queue_length) % queue_size] = {message, position, character};
    ++queue_length;
}

bool platform_create_window(const char* title, int width, int height)
{
    if (sdl_window != nullptr) return true;
    if (!video_subsystem) {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");  // nearest pixel
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
            return false;
        }
        video_subsystem = true;
    }
    // A full-screen-desktop window keeps the size it was made with where no
    // window manager resizes it, so make it at the desktop's size.
    SDL_DisplayMode desktop {};
    int w = width, h = height;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
        w = desktop.w;
        h = desktop.h;
    }
    sdl_window = SDL_CreateWindow(title, 0, 0, w, h,
                                  SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (sdl_window == nullptr) {
        std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
        return false;
    }
    sdl_note_created_size(width, height);
    sdl_window_closed = false;
    sdl_fullscreen = true;
    queue_length = 0;
    last_mouse_x = last_mouse_y = -1;
    pointer_over = false;
    pointer_settling = false;
    for (bool& pressed : keys_pressed)
        pressed = false;
    for (uint8_t& mask : keys_down_mask)
        mask = 0;
    enter_swallowed = false;
    SDL_StartTextInput();
    return true;
}

void platform_show_window(bool visible)
{
    if (sdl_window == nullptr || sdl_window_closed) return;
    if (visible) {
        SDL_ShowWindow(sdl_window);
        SDL_RaiseWindow(sdl_window);
    } else {
        SDL_HideWindow(sdl_window);
    }
    sdl_update_grab();
}

void platform_destroy_window()
{
    if (sdl_window == nullptr) return;
    sdl_stop_video();
    SDL_StopTextInput();
    SDL_DestroyWindow(sdl_window);
    sdl_window = nullptr;
    sdl_window_closed = false;
    queue_length = 0;
}

bool platform_window_exists()
{
    return sdl_window != nullptr && !sdl_window_closed;
}

void platform_shutdown()
{
    sdl_close_devices();
    platform_destroy_window();
    SDL_Quit();
    video_subsystem = false;
}

void sdl_update_grab()
{
    if (sdl_window == nullptr) return;
    bool shown = (SDL_GetWindowFlags(sdl_window) & SDL_WINDOW_SHOWN) != 0;
    SDL_SetWindowGrab(sdl_window, sdl_fullscreen && shown && !sdl_window_closed ? SDL_TRUE : SDL_FALSE);
}

// --- Events ---------------------------------------------------------------

// The frame pixel under a window point.
static void to_frame(int window_x, int window_y, int& x, int& y)
{
    int frame_w = 0, frame_h = 0;
    sdl_frame_size(frame_w, frame_h);
    int window_w = 0, window_h = 0;
    SDL_GetWindowSize(sdl_window, &window_w, &window_h);
    window_to_frame(window_x, window_y, letterbox(window_w, window_h, frame_w, frame_h), frame_w, frame_h, x, y);
}

// The pointer is no longer over the picture: the loops are told once, and
// the next move is delivered wherever it lands.
static void pointer_left()
{
    if (pointer_over) enqueue(WM_MOUSELEAVE, 0, 0);
    pointer_over = false;
    last_mouse_x = last_mouse_y = -1;
}

// A change of window mode: the pointer counts as away until the hand moves
// it (or clicks).
static void mode_changed()
{
    pointer_left();
    pointer_settling = true;
}

// Whether a window position of the pointer lies over the window. Full
// screen confines the pointer there. A window loses the mouse's focus when
// the pointer leaves it (SDL reports that motion clamped to the window's
// edge), and a drag held outside it reports positions beyond its edges.
static bool pointer_over_window(int window_x, int window_y)
{
    if (sdl_fullscreen) return true;
    if (SDL_GetMouseFocus() != sdl_window) return false;
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl_window, &w, &h);
    return window_x >= 0 && window_y >= 0 && window_x < w && window_y < h;
}

// Delivers the pointer's position when it differs from the last one, so
// that every button message finds the cursor where the button went. Motion
// while the pointer is away from the window, or SDL's repeats of a stale
// position after a change of window mode (no relative movement), is no
// position of the picture's.
static void move_mouse(int window_x, int window_y, int moved_x, int moved_y, bool button)
{
    if (pointer_settling && !button && moved_x == 0 && moved_y == 0) return;
    pointer_settling = false;
    if (!pointer_over_window(window_x, window_y)) {
        pointer_left();
        return;
    }
    int x = 0, y = 0;
    to_frame(window_x, window_y, x, y);
    pointer_over = true;
    if (x == last_mouse_x && y == last_mouse_y) return;
    last_mouse_x = x;
    last_mouse_y = y;
    enqueue(WM_MOUSEMOVE, static_cast<uint32_t>(x) | (static_cast<uint32_t>(y) << 16), 0);
}

static void closed_from_outside()
{
    if (sdl_window_closed) return;
    enqueue(WM_DESTROY, 0, 0);
    sdl_window_closed = true;
    SDL_SetWindowGrab(sdl_window, SDL_FALSE);
    SDL_HideWindow(sdl_window);
}

static void type_text(const char* utf8)
{
    char bytes[SDL_TEXTINPUTEVENT_TEXT_SIZE];
    int count = utf8_to_cp1251(utf8, bytes, sizeof bytes);
    for (int i = 0; i < count; ++i)
        enqueue(WM_CHAR, 0, static_cast<uint8_t>(bytes[i]));
}

// Notes a press of one of the held keys, so that a tap released before the
// loop asks still reads as down once.
static void note_press(SDL_Scancode scancode)
{
    for (int k = 0; k < held_key_count; ++k) {
        if (key_scancodes[k][0] != scancode && key_scancodes[k][1] != scancode) continue;
        keys_pressed[k] = true;
        key_press_pass[k] = sdl_presents;
    }
}

// Follows a key of the held keys going down or up; while a record is
// written, the key's transition as a whole is queued at its place. Returns
// true when the key as a whole went down.
static bool follow_key(SDL_Scancode scancode, bool down)
{
    bool went_down = false;
    for (int k = 0; k < held_key_count; ++k) {
        uint8_t bits = (key_scancodes[k][0] == scancode ? 1 : 0) | (key_scancodes[k][1] == scancode ? 2 : 0);
        if (bits == 0) continue;
        const uint8_t before = keys_down_mask[k];
        keys_down_mask[k] = down ? before | bits : before & ~bits;
        if (before == 0 && keys_down_mask[k] != 0) {
            went_down = true;
            // Enter's own press is written with its carriage return.
            if (recording() && k != key_enter) enqueue(note_key_down, 0, static_cast<uint32_t>(k));
        } else if (before != 0 && keys_down_mask[k] == 0 && recording()) {
            enqueue(note_key_up, 0, static_cast<uint32_t>(k));
        }
    }
    return went_down;
}

static void translate(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_QUIT:
        closed_from_outside();
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) closed_from_outside();
        // Gone from the window, or the window gone from the hand's focus.
        if (e.window.event == SDL_WINDOWEVENT_LEAVE || e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) pointer_left();
        break;
    case SDL_MOUSEMOTION:
        move_mouse(e.motion.x, e.motion.y, e.motion.xrel, e.motion.yrel, false);
        break;
    case SDL_MOUSEBUTTONDOWN:
        move_mouse(e.button.x, e.button.y, 0, 0, true);
        // Every second press in quick succession is the double click.
        if (e.button.button == SDL_BUTTON_LEFT)
            enqueue(e.button.clicks % 2 == 0 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, 0, 0);
        else if (e.button.button == SDL_BUTTON_RIGHT)
            enqueue(e.button.clicks % 2 == 0 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN, 0, 0);
        break;
    case SDL_MOUSEBUTTONUP:
        move_mouse(e.button.x, e.button.y, 0, 0, true);
        if (e.button.button == SDL_BUTTON_LEFT) enqueue(WM_LBUTTONUP, 0, 0);
        else if (e.button.button == SDL_BUTTON_RIGHT) enqueue(WM_RBUTTONUP, 0, 0);
        break;
    case SDL_TEXTINPUT:
        type_text(e.text.text);
        break;
    case SDL_KEYDOWN: {
        SDL_Keycode key = e.key.keysym.sym;
        bool enter = key == SDLK_RETURN || key == SDLK_KP_ENTER;
        bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        bool went_down = false;
        if (e.key.repeat == 0 && !(enter && alt)) {
            note_press(e.key.keysym.scancode);
            went_down = follow_key(e.key.keysym.scancode, true);
        }
        if (enter && alt) {
            if (e.key.repeat == 0) {
                enter_swallowed = true;
                sdl_toggle_fullscreen();
                mode_changed();
            }
        } else if (enter) {
            // The carriage return of Enter's own press is the key going
            // down in a record; a repeat's is a character.
            enqueue(WM_CHAR, went_down && recording() ? typed_by_enter_press : 0, 13);
        } else if (key == SDLK_BACKSPACE) {
            enqueue(WM_CHAR, 0, 8);
        }
        break;
    }
    case SDL_KEYUP:
        if (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER) enter_swallowed = false;
        follow_key(e.key.keysym.scancode, false);
        break;
    default:
        break;
    }
}

// Moves SDL's waiting events into the queue.
static void pump()
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (platform_window_exists()) translate(e);
    }
}

// The pass whose events were last taken from SDL (none yet: the largest
// value, which no pass reaches first).
static uint32_t pumped_pass = 0xFFFFFFFFu;

// Takes SDL's events once a pass, at the pass's first question (the key a
// loop asks after its present, or the messages drain_messages takes):
// everything that arrived before it belongs to the pass, everything after
// it to the next. So a key's state and the messages change together at a
// pass's start, as a headless script's events of a pass do, and a record
// replays exactly.
static void pump_once()
{
    if (pumped_pass == sdl_presents) return;
    pumped_pass = sdl_presents;
    pump();
}

// A minimised window holds the loop here until it is back (or closed), so
// that no frame advances unseen.
static void hold_while_minimised()
{
    while (platform_window_exists() && queue_length == 0 &&
           (SDL_GetWindowFlags(sdl_window) & SDL_WINDOW_MINIMIZED) != 0) {
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, 100) && platform_window_exists()) translate(e);
    }
}

bool platform_next_message(platform_message& out)
{
    if (sdl_window == nullptr) return false;
    pump_once();
    if (queue_length == 0) hold_while_minimised();
    // A record's notes of held keys are written, never handed on.
    while (queue_length > 0) {
        out = queue[queue_head];
        queue_head = (queue_head + 1) % queue_size;
        --queue_length;
        if (out.message == note_key_down || out.message == note_key_up) {
            record_key(static_cast<int32_t>(sdl_presents), static_cast<held_key>(out.character),
                       out.message == note_key_down);
            continue;
        }
        if (out.message == WM_CHAR && out.position == typed_by_enter_press) {
            out.position = 0;
            record_key(static_cast<int32_t>(sdl_presents), key_enter, true);
        } else {
            record_message(static_cast<int32_t>(sdl_presents), out);
        }
        return true;
    }
    return false;
}

bool platform_record_input(const char* path, const char* header)
{
    return record_start(path, header);
}

void platform_end_record()
{
    record_finish(static_cast<int32_t>(sdl_presents));
}

void platform_post_message(uint32_t message)
{
    if (platform_window_exists()) enqueue(message, 0, 0);
}

bool platform_key_held(held_key key)
{
    if (!video_subsystem || key < 0 || key >= held_key_count) return false;
    if (sdl_window != nullptr) pump_once();
    bool pressed = keys_pressed[key] && sdl_presents - key_press_pass[key] <= 1;
    keys_pressed[key] = false;
    const Uint8* state = SDL_GetKeyboardState(nullptr);
    bool held = state[key_scancodes[key][0]] != 0 || state[key_scancodes[key][1]] != 0;
    // Alt+Enter switches the window; it is not an Enter for the loops,
    // until Enter is let go, even when Alt is let go first.
    if (key == key_enter && held && ((SDL_GetModState() & KMOD_ALT) != 0 || enter_swallowed)) held = false;
    return held || pressed;
}

uint32_t platform_milliseconds()
{
    return SDL_GetTicks();
}

void platform_sleep(uint32_t milliseconds)
{
    SDL_Delay(milliseconds);
}

void platform_message_box(const char* caption, const char* text)
{
    static char caption_utf8[256 * 3];
    static char text_utf8[1024 * 3];
    cp1251_to_utf8(caption, caption_utf8, sizeof caption_utf8);
    cp1251_to_utf8(text, text_utf8, sizeof text_utf8);
    // The box needs the pointer free; the window gets it back afterwards.
    SDL_Window* owner = platform_window_exists() && (SDL_GetWindowFlags(sdl_window) & SDL_WINDOW_SHOWN) != 0
                            ? sdl_window
                            : nullptr;
    if (sdl_window != nullptr) SDL_SetWindowGrab(sdl_window, SDL_FALSE);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption_utf8, text_utf8, owner) != 0) {
        // No way to show it (no display): at least say it on the terminal.
        std::fprintf(stderr, "%s: %s\n", caption_utf8, text_utf8);
    }
    sdl_update_grab();
}
