// The sprite-set editor (mode 2): all 64 rolls play at once in a grid over
// the work area, and a right click on one assigns it to the current action
// and direction of sprite_table. The strip along the bottom shows the rolls
// of all eight actions in the current direction.
#include "core/cp1251.h"
#include "input/input_latch.h"
#include "platform/platform.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/editor_controls.h"
#include "render/font.h"
#include "sprite_editor/sprite_editor.h"

int32_t roll_preview_slot[roll_count];
int32_t roll_preview_counter[roll_count];

// The roll grid: 8 x 8 cells over the work area, each with its anchor point.
constexpr int32_t grid_columns = 8;
constexpr int32_t cell_width = 96;
constexpr int32_t cell_height = 80;
constexpr int32_t cell_anchor_x = 49;
constexpr int32_t cell_anchor_y = 55;

// The action strip: eight boxes along the bottom, each with its anchor point.
constexpr int32_t action_box_top = 640;
constexpr int32_t action_box_side = 128;
constexpr int32_t action_anchor_x = 65;
constexpr int32_t action_anchor_y = 721;

// The group boxes' left edge.
constexpr int32_t group_left = 7;

// Draws frame index of the loaded image, colour-keyed, at the anchor point,
// clipped to the box.
static void draw_anchored(int32_t index, int32_t ax, int32_t ay, int32_t bx, int32_t by, int32_t bw,
                          int32_t bh)
{
    if (index < 0 || index >= frame_table_size) index = 0;
    const frame_record& f = frame_table[index];
    blit_keyed_clip_rect(add_clamped(ax, f.offset_x), add_clamped(ay, f.offset_y), f.x, f.y, f.width,
                         f.height, bx, by, bw, bh, image_slot);
}

// One of the three number controls: a box that never becomes active, the
// spinner, the typed keys and the bounds. shown is what the value box
// displays for the value (directions and actions count from 1 there).
static void number_control(int32_t top, int32_t& value, int32_t high, char lower, char raise,
                           int32_t shown_offset, const char* label)
{
    spinner(51, top + 8, &value);
    value += char_step(lower, raise);
    keep_within(value, 0, high);
    group_box(group_left, top, 32, false);
    number_box(16, top + 8, value + shown_offset);
    draw_text(label, 81, top + 11);
}

// Every roll plays one pass in its cell; a right press on a cell assigns
// that roll to the current action and direction.
static void roll_grid()
{
    for (int32_t i = 0; i < roll_count; ++i) {
        int32_t cx = panel_width + cell_width * (i % grid_columns);
        int32_t cy = cell_height * (i / grid_columns);
        int32_t index = play_roll(i, roll_preview_slot[i], roll_preview_counter[i]);
        if (image_loaded())
            draw_anchored(index, cx + cell_anchor_x, cy + cell_anchor_y, cx + 1, cy, cell_width, cell_height);
        draw_bevel(cx, cy, cell_width, cell_height, colour_black, colour_white);
        // The cell's own pixels; the latch's test includes the far edges.
        if (hit_right_press(cx, cy, cell_width - 1, cell_height - 1))
            sprite_table[current_action][current_direction] = i;
    }
}

// The eight actions in the current direction, a left press choosing one.
static void action_strip()
{
    fill_box(0, 635, 255, 1, colour_grey1);
    fill_box(0, 636, 1024, 1, colour_black);
    fill_box(0, 637, 1024, 1, colour_grey4);
    fill_box(0, 638, 1024, 1, colour_white);
    fill_box(0, 639, 1024, 127, colour_grey1);
    for (int32_t j = 0; j < sprite_action_count; ++j) {
        int32_t bx = action_box_side * j;
        draw_bevel(bx, action_box_top, action_box_side, action_box_side, colour_black, colour_white);
        if (hit_left_press(bx, action_box_top, 124, 124))
            current_action = j;
        int32_t roll = sprite_table[j][current_direction];
        if (roll < 0 || roll >= roll_count || !image_loaded()) continue;
        // The roll's grid preview already moved this pass; the strip shows
        // the same slot.
        int32_t slot = roll_preview_slot[roll];
        draw_anchored(roll_table[roll][slot], bx + action_anchor_x, action_anchor_y, bx + 1,
                      action_box_top + 1, 124, 124);
    }
    int32_t a = action_box_side * current_action;
    draw_frame(a + 1, action_box_top + 1, 126, 126, colour_green);
    draw_frame(a + 2, action_box_top + 2, 124, 124, colour_green);
}

void sprite_set_editor_pass()
{
    if (draw_button(16, 105, 70, 15, "new sprites"))
        new_sprites_dialog();
    if (draw_button(93, 105, 70, 15, "open sprites"))
        open_sprites_dialog();
    if (draw_button(170, 105, 70, 15, "save sprites"))
        save_sprites_dialog();

    number_control(152, total_delay, max_total_delay, '7', '9', 0, "общая задержка ( '7' и '9' )"_cp);
    number_control(187, current_direction, sprite_direction_count - 1, 'a', 's', 1,
                   "текущее направление ( 'a' и 's' )"_cp);
    number_control(222, current_action, sprite_action_count - 1, 'z', 'x', 1,
                   "текущее действие ( 'z' и 'x' )"_cp);

    bool remove = draw_button(8, 265, 240, 20, "Удалить ролик ('Delete')"_cp);
    if (remove || platform_key_held(key_delete))
        sprite_table[current_action][current_direction] = no_roll;

    roll_grid();
    action_strip();
}
