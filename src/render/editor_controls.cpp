// The editors' controls: value box, spinner, numeric entry field, key steps
// and bounds, clipped outline and the two clipped copies of an image
// rectangle.
#include "render/editor_controls.h"

#include <cstdio>
#include <cstring>

#include "input/input_latch.h"
#include "platform/platform.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"

char value_text[value_text_size];

// The numeric entry field's state, shared by every field on every screen.
static bool entry_editing = false;
// Its text: number_entry_length characters and the terminator.
static char entry_text[number_entry_length + 1];

// a / 2 rounded down, also for negative a.
static int64_t floor_half(int64_t a)
{
    return a >= 0 ? a / 2 : -((-a + 1) / 2);
}

const char* format_value(int32_t value)
{
    std::snprintf(value_text, sizeof value_text, "%d", static_cast<int>(value));
    return value_text;
}

void value_box(int32_t x, int32_t y, int32_t w, int32_t h, const char* text)
{
    int64_t text_w = text_width(text);
    fill_box(x, y, w, h, colour_white);
    draw_bevel(x, y, w, h, colour_grey1, colour_white);
    draw_bevel(x + 1, y + 1, w - 2, h - 2, colour_black, colour_grey5);
    int64_t tx = x + floor_half(w) - floor_half(text_w);
    int64_t ty = y + floor_half(h) - 6;
    if (tx < INT32_MIN || tx > INT32_MAX || ty < INT32_MIN || ty > INT32_MAX)
        return;
    draw_text(text, static_cast<int32_t>(tx), static_cast<int32_t>(ty));
}

// One 8 x 15 arrow button of a spinner: sunk while held under the cursor.
// True on a click (a left release inside, which it consumes).
static bool arrow_button(int32_t x, int32_t y, const char* label)
{
    fill_box(x, y, 8, 15, colour_grey4);
    if (cursor_in(x, y, 8, 15) && left_down) {
        draw_bevel(x, y, 8, 15, colour_black, colour_white);
        draw_bevel(x + 1, y + 1, 6, 13, colour_grey1, colour_grey5);
    } else {
        draw_bevel(x, y, 8, 15, colour_white, colour_black);
        draw_bevel(x + 1, y + 1, 6, 13, colour_grey5, colour_grey1);
    }
    draw_text(label, x + 2, y + 1);
    return hit_left_release(x, y, 8, 15);
}

void spinner(int32_t x, int32_t y, int32_t* value)
{
    int32_t v = *value;
    if (arrow_button(x, y, "<"))
        v = add_clamped(v, -1);
    if (arrow_button(x + 10, y, ">"))
        v = add_clamped(v, 1);
    *value = v;
}

void number_entry(int32_t x, int32_t y, int32_t w, int32_t h, int32_t* value)
{
    if (cursor_in(x, y, w, h) && left_down)
        entry_editing = !entry_editing;
    left_down = 0;
    if (!entry_editing)
        return;
    edit_text(entry_text, sizeof entry_text);
    fill_box(x, y, w, h, colour_blue);
    draw_text_w(entry_text, x, y);
    int32_t typed = parse_int(entry_text);
    if (enter_pressed()) {
        *value = typed;
        entry_editing = false;
    }
}

int32_t key_step(held_key lower_key, char lower_char, held_key raise_key, char raise_char)
{
    int32_t step = 0;
    if (platform_key_held(lower_key) || typed(lower_char))
        --step;
    if (platform_key_held(raise_key) || typed(raise_char))
        ++step;
    return step;
}

int32_t char_step(char lower, char raise)
{
    return (typed(raise) ? 1 : 0) - (typed(lower) ? 1 : 0);
}

void keep_within(int32_t& value, int32_t low, int32_t high)
{
    if (value < low)
        value = low;
    if (value > high)
        value = high;
}

int32_t add_clamped(int32_t a, int64_t b)
{
    // Both within 64 bits: b is at most a few steps or a 32-bit offset.
    int64_t sum = static_cast<int64_t>(a) + b;
    if (sum < INT32_MIN)
        return INT32_MIN;
    if (sum > INT32_MAX)
        return INT32_MAX;
    return static_cast<int32_t>(sum);
}

bool number_entry_editing()
{
    return entry_editing;
}

const char* number_entry_text()
{
    return entry_text;
}

void reset_number_entry()
{
    entry_editing = false;
    std::memset(entry_text, 0, sizeof entry_text);
}

void outline_clipped(int32_t x, int32_t y, int32_t w, int32_t h, int32_t clip_left,
                     int32_t clip_top, int32_t clip_right, int32_t clip_bottom, int32_t colour)
{
    // 64-bit so that no sum of the caller's values can overflow.
    int64_t X = x, Y = y, W = w, H = h;
    int64_t cl = clip_left, ct = clip_top, cr = clip_right, cb = clip_bottom;
    // Which edges show is decided on the rectangle before clipping.
    bool top = ct < Y && Y < cb;
    bool bottom = ct < Y + H - 1 && Y + H - 1 < cb;
    bool left = cl < X && X < cr;
    bool right = cl < X + W - 1 && X + W - 1 < cr;
    if (X < 0) {
        W += X;
        X = 0;
    }
    if (Y < 0) {
        H += Y;
        Y = 0;
    }
    if (X < cl) {
        W -= cl - X;
        X = cl;
    }
    if (X + W > cr)
        W = cr - X;
    if (Y < ct) {
        H -= ct - Y;
        Y = ct;
    }
    if (Y + H > cb)
        H = cb - Y;
    if (W <= 0 || H <= 0 || X > INT32_MAX || Y > INT32_MAX || W > INT32_MAX || H > INT32_MAX)
        return;
    int32_t x0 = static_cast<int32_t>(X), y0 = static_cast<int32_t>(Y);
    int32_t w0 = static_cast<int32_t>(W), h0 = static_cast<int32_t>(H);
    if (top)
        fill_box(x0, y0, w0, 1, colour);
    if (bottom)
        fill_box(x0, y0 + h0 - 1, w0, 1, colour);
    if (left)
        fill_box(x0, y0, 1, h0, colour);
    if (right)
        fill_box(x0 + w0 - 1, y0, 1, h0, colour);
}

// The clipping shared by both copies, then the copy itself.
static void clip_and_copy(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w,
                          int32_t h, int32_t box_x, int32_t box_y, int32_t box_w, int32_t box_h,
                          int32_t slot, bool keyed)
{
    int64_t dx = dst_x, dy = dst_y, sx = src_x, sy = src_y, sw = w, sh = h;
    int64_t bx = box_x, by = box_y, bw = box_w, bh = box_h;
    if (dx < bx) {
        int64_t d = bx - dx;
        sx += d;
        sw -= d;
        dx = bx;
        if (sw > bw)
            sw = bw;
    }
    if (dy < by) {
        int64_t d = by - dy;
        sy += d;
        sh -= d;
        dy = by;
        if (sh > bh)
            sh = bh;
    }
    if (dx + sw > bx + bw)
        sw = bx + bw - dx;
    if (dy + sh > by + bh)
        sh = by + bh - dy;
    // A rectangle clipped to nothing, or one that no surface could hold.
    if (sw <= 0 || sh <= 0 || dx < 0 || dy < 0 || sx < 0 || sy < 0 || dx > INT32_MAX ||
        dy > INT32_MAX || sx > INT32_MAX || sy > INT32_MAX)
        return;
    if (slot < 0 || slot >= max_surface_slots)
        return;
    copy_rect(draw_surface, static_cast<int32_t>(dx), static_cast<int32_t>(dy), surface_table[slot],
              static_cast<int32_t>(sx), static_cast<int32_t>(sy), static_cast<int32_t>(sw),
              static_cast<int32_t>(sh), keyed);
}

void blit_clip_rect(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w,
                    int32_t h, int32_t box_x, int32_t box_y, int32_t box_w, int32_t box_h,
                    int32_t slot)
{
    clip_and_copy(dst_x, dst_y, src_x, src_y, w, h, box_x, box_y, box_w, box_h, slot, false);
}

void blit_keyed_clip_rect(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w,
                          int32_t h, int32_t box_x, int32_t box_y, int32_t box_w, int32_t box_h,
                          int32_t slot)
{
    clip_and_copy(dst_x, dst_y, src_x, src_y, w, h, box_x, box_y, box_w, box_h, slot, true);
}
