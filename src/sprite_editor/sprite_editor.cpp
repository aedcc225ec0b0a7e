// The sprite editor's main loop, its control panel and mode switch, the
// image view with its scrolling, and the frame outlines drawn over it.
#include "sprite_editor/sprite_editor.h"

#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "editor_kit/question.h"
#include "editor_kit/status_line.h"
#include "input/input_latch.h"
#include "platform/platform.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/editor_controls.h"
#include "render/font.h"
#include "shell/shell.h"

int32_t editor_mode = mode_frames;
int32_t image_slot = -1;
int32_t image_width = 0;
int32_t image_height = 0;
int32_t scroll_x = 0;
int32_t scroll_y = 0;
int32_t view_width = 0;
int32_t view_height = 0;
int32_t active_group = group_current_frame;
uint8_t centre_lines = 1;

// The shortest pass, in milliseconds.
constexpr uint32_t pass_milliseconds = 10;

// The bounds the frame outlines are clipped to: the work area.
constexpr int32_t work_right = 1024;
constexpr int32_t work_bottom = 768;

// The mode buttons: position of each and its label.
struct mode_button {
    int32_t x;
    const char* label;
};
static const mode_button mode_buttons[] = {{14, "frame"}, {92, "roll"}, {170, "sprite"}};
constexpr int32_t mode_button_y = 70;
constexpr int32_t mode_button_width = 70;
constexpr int32_t mode_button_height = 15;

bool image_loaded()
{
    return image_slot >= 0 && image_slot < max_surface_slots && surface_table[image_slot] != nullptr;
}

void number_box(int32_t x, int32_t y, int32_t value)
{
    value_box(x, y, 30, 15, format_value(value));
}

void group_box(int32_t x, int32_t y, int32_t h, bool active)
{
    if (active) {
        draw_bevel(x, y, 242, h, colour_black, colour_white);
        draw_frame(x + 3, y + 3, 236, h - 6, colour_blue);
    } else {
        draw_bevel(x, y, 242, h, colour_grey1, colour_white);
        draw_bevel(x + 1, y + 1, 240, h - 2, colour_white, colour_grey1);
    }
}

// --- Image view ------------------------------------------------------------------

void clamp_scroll()
{
    if (scroll_x < 0) scroll_x = 0;
    if (scroll_x > image_width - view_width) scroll_x = image_width - view_width;
    if (scroll_y < 0) scroll_y = 0;
    if (scroll_y > image_height - view_height) scroll_y = image_height - view_height;
}

void image_view(int32_t height_limit)
{
    int32_t work_width = screen_width - panel_width;
    view_width = image_width < work_width ? image_width : work_width;
    view_height = image_height < height_limit ? image_height : height_limit;
    if (image_loaded())
        blit_clip_rect(panel_width, 0, scroll_x, scroll_y, view_width, view_height, panel_width, 0,
                       view_width, view_height, image_slot);

    // Edge scrolling with the button up, while the pointer is over the
    // picture; a held button scrolls in the frame editor's drag instead.
    if (!left_down && cursor_inside) {
        if (cursor_x <= 1) --scroll_x;
        if (cursor_x >= screen_width - 1) ++scroll_x;
        if (cursor_y <= 1) --scroll_y;
        if (cursor_y >= screen_height - 1) ++scroll_y;
    }
    clamp_scroll();
}

// --- Frame outlines ----------------------------------------------------------------

void frame_screen_rect(int32_t i, int32_t& x, int32_t& y, int32_t& w, int32_t& h)
{
    const frame_record& f = frame_table[i];
    x = f.x + panel_width - scroll_x;
    y = f.y - scroll_y;
    w = f.width;
    h = f.height;
}

bool in_image_area(int32_t px, int32_t py, int32_t bottom)
{
    return px >= panel_width && px < screen_width && py >= 0 && py < bottom;
}

void frame_outlines(frame_click_test test)
{
    int32_t count = frame_count < max_frame_count ? frame_count : max_frame_count;
    for (int32_t i = 1; i <= count; ++i) {
        int32_t x, y, w, h;
        frame_screen_rect(i, x, y, w, h);
        outline_clipped(x, y, w, h, panel_width, 0, work_right, work_bottom, colour_blue);
        if (cursor_in(x, y, w, h))
            outline_clipped(x, y, w, h, panel_width, 0, work_right, work_bottom, colour_yellow);
        test(i, x, y, w, h);
    }
}

void current_frame_outline()
{
    if (current_frame < 0 || current_frame >= frame_table_size) return;
    int32_t x, y, w, h;
    frame_screen_rect(current_frame, x, y, w, h);
    outline_clipped(x, y, w, h, panel_width, 0, work_right, work_bottom, colour_grey5);
}

// --- The loop -------------------------------------------------------------------

// The control panel, the work area, "open image", the image size line, the
// mode buttons and the separator: steps 2 and 3 of a pass.
static void draw_shell()
{
    fill_box(0, 0, panel_width, editor_layout_height, colour_grey4);
    draw_bevel(0, 0, panel_width, editor_layout_height, colour_grey5, colour_black);
    draw_bevel(1, 1, panel_width - 2, editor_layout_height - 2, colour_white, colour_grey1);
    fill_box(panel_width, 0, screen_width - panel_width, editor_layout_height, colour_grey1);
    if (draw_button(14, 25, 110, 15, "open image"))
        open_image_dialog();

    char line[96];
    std::snprintf(line, sizeof line, "Image's Width %d   Hight %d", static_cast<int>(image_width),
                  static_cast<int>(image_height));
    draw_text(line, 14, 50);

    for (int32_t mode = 0; mode < 3; ++mode) {
        const mode_button& b = mode_buttons[mode];
        if (draw_button(b.x, mode_button_y, mode_button_width, mode_button_height, b.label))
            editor_mode = mode;
    }
    const mode_button& selected = mode_buttons[editor_mode];
    draw_frame(selected.x - 2, mode_button_y - 2, mode_button_width + 4, mode_button_height + 4,
               colour_blue);
    fill_box(15, 95, 225, 1, colour_grey1);
    fill_box(15, 96, 225, 1, colour_white);
}

// The frame-rate and cursor lines: step 6 of a pass. A report of a save or
// an open stands in their place for a few seconds.
static void draw_status_lines(uint32_t now)
{
    if (draw_status(50, 5, now))
        return;
    char line[96];
    std::snprintf(line, sizeof line, "%d Fps- %d", static_cast<int>(bits_per_pixel),
                  static_cast<int>(measure_fps()));
    draw_text(line, 50, 5);
    std::snprintf(line, sizeof line, "cur_x %d cur_y %d", static_cast<int>(cursor_x),
                  static_cast<int>(cursor_y));
    draw_text(line, 110, 5);
}

void sprite_editor_loop()
{
    if (screen_width != editor_screen_width) {
        fatal_error(main_window, "задании размера экрана"_cp);
        quit_requested = 1;
        return;
    }
    editor_mode = mode_frames;
    // Empty frame and roll tables and an all-empty sprite table; the counts
    // and selections go with them so that they never name cleared frames.
    clear_sprites();
    clear_status();
    forget_last_question();
    start_sprite_history();

    while (!quit_requested) {
        uint32_t start = platform_milliseconds();
        drain_messages();
        sprite_history_shortcuts();
        draw_shell();
        if (editor_mode == mode_frames)
            frame_editor_pass();
        else if (editor_mode == mode_rolls)
            roll_editor_pass();
        else
            sprite_set_editor_pass();
        sprite_history_pass_end();
        // The rest of the pass's 10 ms is slept, leaving the processor free.
        uint32_t elapsed = platform_milliseconds() - start;
        if (elapsed < pass_milliseconds)
            platform_sleep(pass_milliseconds - elapsed);
        draw_status_lines(start);
        present();
        // Escape ends the editor, once unsaved tables are saved or given up.
        if (platform_key_held(key_escape) && settle_unsaved_tables(file_kind_sprites, "перед выходом"_cp))
            quit_requested = 1;
        // A typed character and a right click act in one pass only. So do
        // the right press and the left release that no control took: left
        // latched, they would select or assign a frame or a roll long after
        // the click, once one came under them.
        typed_char = 0;
        char_ready = 0;
        right_down = 0;
        right_press_x = right_press_y = CONSUMED;
        left_release_x = left_release_y = CONSUMED;
    }
    stop_sprite_history();
}

// --- Summary and reset ------------------------------------------------------------

int32_t filled_roll_slots()
{
    int32_t filled = 0;
    for (int r = 0; r < roll_count; ++r)
        for (int s = 0; s < roll_frame_slots; ++s)
            if (roll_table[r][s] != 0) ++filled;
    return filled;
}

int32_t filled_sprite_entries()
{
    int32_t filled = 0;
    for (int a = 0; a < sprite_action_count; ++a)
        for (int d = 0; d < sprite_direction_count; ++d)
            if (sprite_table[a][d] != no_roll) ++filled;
    return filled;
}

// FNV-1a over the bytes of the 32-bit values, low byte first.
static void hash_values(uint32_t& hash, const int32_t* values, int count)
{
    for (int i = 0; i < count; ++i) {
        uint32_t v = static_cast<uint32_t>(values[i]);
        for (int b = 0; b < 4; ++b) {
            hash ^= (v >> (8 * b)) & 0xFF;
            hash *= 16777619u;
        }
    }
}

uint32_t sprite_tables_hash()
{
    uint32_t hash = 2166136261u;
    for (const frame_record& f : frame_table) {
        const int32_t fields[] = {f.delay, f.offset_x, f.offset_y, f.x, f.y, f.width, f.height};
        hash_values(hash, fields, 7);
    }
    hash_values(hash, &roll_table[0][0], roll_count * roll_slot_count);
    hash_values(hash, &sprite_table[0][0], sprite_action_count * sprite_direction_count);
    return hash;
}

void reset_sprite_editor()
{
    editor_mode = mode_frames;
    image_slot = -1;
    image_width = image_height = 0;
    scroll_x = scroll_y = 0;
    view_width = view_height = 0;
    active_group = group_current_frame;
    centre_lines = 1;
    selection_x = selection_y = selection_width = selection_height = 0;
    preset_slot_1 = preset_slot_2 = 0;
    roll_playing = 0;
    roll_play_counter = 0;
    for (int i = 0; i < roll_count; ++i)
        roll_preview_slot[i] = roll_preview_counter[i] = 0;
    current_file_name[0] = 0;
    reset_number_entry();
}
