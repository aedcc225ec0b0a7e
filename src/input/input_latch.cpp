// The input latch filled by window_proc, its rectangle tests, and the frame
// meter.
#include "input/input_latch.h"

#include "platform/platform.h"

int32_t cursor_x = 0;
int32_t cursor_y = 0;
uint8_t cursor_inside = 0;
uint8_t left_down = 0;
uint8_t right_down = 0;
int32_t left_press_x = 0, left_press_y = 0;
int32_t left_release_x = 0, left_release_y = 0;
int32_t right_press_x = 0, right_press_y = 0;
uint8_t typed_char = 0;
uint8_t char_ready = 0;

// Typed characters waiting for their pass, a ring, oldest first.
static uint8_t typed_queue[typed_queue_size];
static int typed_head = 0;
static int typed_length = 0;

// Whether drain_messages has a pass open.
static bool pass_open = false;
// A button pressed since the pass opened, and a release of it held back to
// the next pass, so that the pass still sees the button down.
static bool left_pressed_in_pass = false;
static bool right_pressed_in_pass = false;
static bool left_release_held = false;
static bool right_release_held = false;

// The frame meter: calls since the last measurement, the times of the
// previous and the latest measurement, and the rate they gave.
static int32_t fps_calls = 0;
static uint32_t fps_previous_time = 0;
static uint32_t fps_latest_time = 0;
static int32_t fps_rate = 0;

// The inclusive rectangle test: the far edges belong to the rectangle.
static bool point_in(int32_t px, int32_t py, int32_t x, int32_t y, int32_t w, int32_t h)
{
    // Widened so that a rectangle near the top of the int32 range cannot wrap.
    int64_t right = static_cast<int64_t>(x) + w;
    int64_t bottom = static_cast<int64_t>(y) + h;
    return px >= x && py >= y && px <= right && py <= bottom;
}

// Takes a latched point: on a hit it is moved far away, so that no other
// test sees the same press or click.
static bool take_point(int32_t& px, int32_t& py, int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (!point_in(px, py, x, y, w, h)) return false;
    px = CONSUMED;
    py = CONSUMED;
    return true;
}

bool cursor_in(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return point_in(cursor_x, cursor_y, x, y, w, h);
}

bool hit_left_press(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return take_point(left_press_x, left_press_y, x, y, w, h);
}

bool hit_left_release(int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (!take_point(left_release_x, left_release_y, x, y, w, h)) return false;
    // A quick click that a control takes is over: the button no longer
    // reads as held, so the click does not reach what lies under the
    // control in the same pass (a dialog's button over the map view).
    if (left_release_held) {
        left_down = 0;
        left_release_held = false;
    }
    return true;
}

bool hit_right_press(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return take_point(right_press_x, right_press_y, x, y, w, h);
}

bool typed(char c)
{
    return char_ready && typed_char == static_cast<uint8_t>(c);
}

// A typed character joins the queue; past its bound it is dropped.
static void queue_typed(uint8_t c)
{
    if (typed_length == typed_queue_size) return;
    typed_queue[(typed_head + typed_length) % typed_queue_size] = c;
    ++typed_length;
}

void latch_begin_pass()
{
    if (left_release_held) left_down = 0;
    if (right_release_held) right_down = 0;
    left_release_held = right_release_held = false;
    left_pressed_in_pass = right_pressed_in_pass = false;
    pass_open = true;
}

void latch_end_pass()
{
    pass_open = false;
    if (typed_length == 0) return;
    typed_char = typed_queue[typed_head];
    char_ready = 1;
    typed_head = (typed_head + 1) % typed_queue_size;
    --typed_length;
}

bool enter_pressed()
{
    if (char_ready && typed_char == 13) {
        // The carriage return and the key's press are one Enter: take both.
        char_ready = 0;
        platform_key_held(key_enter);
        return true;
    }
    for (int i = 0; i < typed_length; ++i)
        if (typed_queue[(typed_head + i) % typed_queue_size] == 13) return false;
    return platform_key_held(key_enter);
}

// The messages the latch takes.
static bool input_message(uint32_t message)
{
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_CHAR:
        return true;
    default:
        return false;
    }
}

// One message into the latch, within the open pass.
static bool latch_in_pass(uint32_t message, uint32_t position, uint32_t character)
{
    switch (message) {
    case WM_MOUSEMOVE:
        cursor_x = static_cast<int32_t>(position & 0xFFFF);
        cursor_y = static_cast<int32_t>(position >> 16);
        cursor_inside = 1;
        return true;
    case WM_MOUSELEAVE:
        // The cursor keeps its last place, which no longer counts as an edge.
        cursor_inside = 0;
        return true;
    // Button messages latch the cursor as the last move left it, not a
    // position of their own.
    case WM_LBUTTONDOWN:
        left_down = 1;
        left_press_x = cursor_x;
        left_press_y = cursor_y;
        left_pressed_in_pass = true;
        left_release_held = false;
        return true;
    case WM_LBUTTONUP:
        // The click is latched now; a press of this pass keeps the button
        // down until the next one.
        if (left_pressed_in_pass)
            left_release_held = true;
        else
            left_down = 0;
        left_release_x = cursor_x;
        left_release_y = cursor_y;
        return true;
    case WM_LBUTTONDBLCLK:
        // The second press of a double click: a press point, not a held button.
        left_press_x = cursor_x;
        left_press_y = cursor_y;
        return true;
    case WM_RBUTTONDOWN:
        right_down = 1;
        right_press_x = cursor_x;
        right_press_y = cursor_y;
        right_pressed_in_pass = true;
        right_release_held = false;
        return true;
    case WM_RBUTTONUP:
        if (right_pressed_in_pass)
            right_release_held = true;
        else
            right_down = 0;
        return true;
    case WM_RBUTTONDBLCLK:
        right_press_x = cursor_x;
        right_press_y = cursor_y;
        return true;
    case WM_CHAR:
        queue_typed(static_cast<uint8_t>(character & 0xFF));
        return true;
    default:
        return false;
    }
}

bool latch_message(uint32_t message, uint32_t position, uint32_t character)
{
    if (pass_open) return latch_in_pass(message, position, character);
    if (!input_message(message)) return false;
    // Outside drain_messages the message is a pass of its own.
    latch_begin_pass();
    latch_in_pass(message, position, character);
    latch_end_pass();
    return true;
}

int32_t measure_fps()
{
    if (++fps_calls < 10) return fps_rate;
    fps_calls = 0;
    fps_previous_time = fps_latest_time;
    fps_latest_time = platform_milliseconds();
    uint32_t elapsed = fps_latest_time - fps_previous_time;
    // Ten frames within one millisecond tick tell nothing: keep the last rate.
    if (elapsed != 0) fps_rate = static_cast<int32_t>(10.0 / (elapsed / 1000.0));
    return fps_rate;
}

void reset_input_latch()
{
    cursor_x = cursor_y = 0;
    cursor_inside = 0;
    left_down = right_down = 0;
    left_press_x = left_press_y = 0;
    left_release_x = left_release_y = 0;
    right_press_x = right_press_y = 0;
    typed_char = 0;
    char_ready = 0;
    typed_head = typed_length = 0;
    pass_open = false;
    left_pressed_in_pass = right_pressed_in_pass = false;
    left_release_held = right_release_held = false;
    fps_calls = 0;
    fps_previous_time = 0;
    fps_latest_time = 0;
    fps_rate = 0;
}
