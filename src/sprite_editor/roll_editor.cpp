// The roll editor (mode 1): strings frames into rolls, sets each frame's
// offset from the anchor point and its delay, and plays the current roll in
// a preview. Most controls work on the slot frame, the frame held in the
// current slot of the current roll.
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

int32_t preset_slot_1 = 0;
int32_t preset_slot_2 = 0;
uint8_t roll_playing = 0;
int32_t roll_play_counter = 0;

// The preview's anchor point and box.
constexpr int32_t anchor_x = 128;
constexpr int32_t anchor_y = 279;
constexpr int32_t preview_x = 16;
constexpr int32_t preview_y = 135;
constexpr int32_t preview_side = 224;

// The group boxes' left edge and the slot boxes' side.
constexpr int32_t group_left = 7;
constexpr int32_t slot_box_side = 64;

// The frame in the current slot of the current roll.
static frame_record& slot_frame()
{
    int32_t index = roll_table[current_roll][current_slot];
    if (index < 0 || index >= frame_table_size) index = 0;
    return frame_table[index];
}

// A preset slot leaving 0..15 comes round at the other end.
static void wrap_slot(int32_t& slot)
{
    if (slot < 0) slot = roll_frame_slots - 1;
    if (slot >= roll_frame_slots) slot = 0;
}

static void draw_preview_box()
{
    draw_bevel(14, 133, 228, 228, colour_grey1, colour_white);
    draw_bevel(15, 134, 226, 226, colour_black, colour_grey5);
    fill_box(preview_x, preview_y, preview_side, preview_side, colour_grey1);
    for (int32_t i = 1; i <= 7; ++i) {
        fill_box(preview_x, 119 + 32 * i, preview_side, 1, colour_black);
        fill_box(32 * i, preview_y, 1, preview_side, colour_black);
    }
}

// A left press on a frame over the image selects it; a right press also
// puts it into the current slot.
static void take_frame_click(int32_t frame, int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (in_image_area(left_press_x, left_press_y, slot_strip_top) && hit_left_press(x, y, w, h))
        current_frame = frame;
    if (in_image_area(right_press_x, right_press_y, slot_strip_top) && hit_right_press(x, y, w, h)) {
        current_frame = frame;
        roll_table[current_roll][current_slot] = frame;
    }
}

// The slot frame at the anchor point, colour-keyed, and the centre cross.
static void draw_preview()
{
    if (image_loaded()) {
        const frame_record& f = slot_frame();
        blit_keyed_clip_rect(add_clamped(anchor_x, f.offset_x), add_clamped(anchor_y, f.offset_y), f.x,
                             f.y, f.width, f.height, preview_x, preview_y, preview_side, preview_side,
                             image_slot);
    }
    if (centre_lines) {
        fill_box(anchor_x, preview_y, 1, preview_side, colour_red);
        fill_box(preview_x, anchor_y, preview_side, 1, colour_red);
    }
}

// "центр", "Play (SPACE)" and the playing roll, then the roll row and the
// buttons that fill and empty the current slot.
static void roll_controls()
{
    if (draw_button(16, 375, 104, 15, "центр"_cp))
        centre_lines = !centre_lines;
    bool play = draw_button(136, 375, 104, 15, "Play (SPACE)");
    if (play || typed(' '))
        roll_playing = !roll_playing;
    if (roll_playing) {
        play_roll(current_roll, current_slot, roll_play_counter);
        draw_frame(134, 373, 108, 19, colour_red);
    }

    number_box(16, 400, roll_count);
    draw_text("роликов"_cp, 56, 400);
    spinner(151, 400, &current_roll);
    current_roll += char_step('a', 's');
    keep_within(current_roll, 0, roll_count - 1);
    number_box(116, 400, current_roll + 1);
    draw_text("ролик 'a' s '.'"_cp, 176, 400);

    if (draw_button(16, 425, 107, 15, "создать кадр"_cp))
        roll_table[current_roll][current_slot] = current_frame;
    bool empty = draw_button(136, 425, 104, 15, "удалить кадр"_cp);
    if (empty || platform_key_held(key_delete))
        roll_table[current_roll][current_slot] = 0;
}

// Group 3: the offsets. The spinners move current_frame's, the keys and the
// boxes the slot frame's.
static void offsets_group()
{
    if (hit_left_press(group_left, 452, 242, 57))
        active_group = group_offsets;
    frame_record& current = frame_table[current_frame];
    spinner(51, 460, &current.offset_x);
    spinner(51, 485, &current.offset_y);
    frame_record& f = slot_frame();
    if (active_group == group_offsets) {
        f.offset_x = add_clamped(f.offset_x, key_step(key_left, '4', key_right, '6'));
        f.offset_y = add_clamped(f.offset_y, key_step(key_up, '8', key_down, '2'));
    }
    group_box(group_left, 452, 57, active_group == group_offsets);
    number_box(16, 460, f.offset_x);
    number_box(16, 485, f.offset_y);
    draw_text("Смещение по горизонтали '4' и '6'"_cp, 80, 463);
    draw_text("Смещение по вертикали '2' и '8'"_cp, 80, 485);
}

// The current slot, which never becomes an active group.
static void current_slot_box()
{
    spinner(51, 520, &current_slot);
    current_slot += char_step('z', 'x');
    keep_within(current_slot, 0, roll_frame_slots - 1);
    group_box(group_left, 512, 32, false);
    number_box(16, 520, current_slot);
    draw_text("текущий кадр ( клавиши 'z' и 'x' )"_cp, 81, 523);
}

// Group 4: the two preset slots, and "c" and "v" that jump to them.
static void presets_group()
{
    if (hit_left_press(group_left, 547, 242, 57))
        active_group = group_presets;
    spinner(51, 555, &preset_slot_1);
    spinner(51, 580, &preset_slot_2);
    if (active_group == group_presets) {
        preset_slot_1 += key_step(key_left, '4', key_right, '6');
        // Up raises the second preset, unlike the offsets.
        preset_slot_2 += key_step(key_down, '2', key_up, '8');
    }
    wrap_slot(preset_slot_1);
    wrap_slot(preset_slot_2);
    group_box(group_left, 547, 57, active_group == group_presets);
    number_box(16, 555, preset_slot_1);
    number_box(16, 580, preset_slot_2);
    draw_text("'c' - заданный кадр '4' и '6'"_cp, 80, 558);
    draw_text("'v' - заданный кадр '2' и '8'"_cp, 80, 580);
    if (typed('c')) current_slot = preset_slot_1;
    if (typed('v')) current_slot = preset_slot_2;
}

// The total delay, shared with the sprite-set editor.
static void total_delay_box()
{
    spinner(51, 615, &total_delay);
    total_delay += char_step('q', 'w');
    keep_within(total_delay, 0, max_total_delay);
    group_box(group_left, 607, 32, false);
    number_box(16, 615, total_delay);
    draw_text("общая задержка ( 'q' и 'w' )"_cp, 81, 618);
}

// Group 5: the slot frame's delay; "e" and "r" work in any group, the
// numeric entry field only while the group is active, and an active group
// keeps the delay at 0 or more.
static void delay_group()
{
    if (hit_left_press(group_left, 642, 242, 32))
        active_group = group_delay;
    frame_record& f = slot_frame();
    spinner(51, 650, &f.delay);
    f.delay = add_clamped(f.delay, char_step('e', 'r'));
    group_box(group_left, 642, 32, false);
    number_box(16, 650, f.delay);
    draw_text("задержка кадра( 'e' и 'r' )"_cp, 81, 653);
    if (active_group == group_delay) {
        draw_frame(10, 645, 236, 26, colour_blue);
        number_entry(18, 652, 27, 12, &f.delay);
        if (f.delay < 0) f.delay = 0;
    }
}

// The strip of the current roll's sixteen slots along the bottom.
static void slot_strip()
{
    fill_box(0, slot_strip_top, 255, 1, colour_grey1);
    fill_box(0, 701, 1024, 1, colour_black);
    fill_box(0, 702, 1024, 1, colour_grey4);
    fill_box(0, 703, 1024, 1, colour_white);
    fill_box(0, 705, 1024, 62, colour_grey1);
    for (int32_t i = 0; i < roll_frame_slots; ++i) {
        int32_t x = slot_box_side * i;
        draw_bevel(x, 704, slot_box_side, slot_box_side, colour_black, colour_white);
        if (image_loaded()) {
            int32_t index = roll_table[current_roll][i];
            const frame_record& f = frame_table[index >= 0 && index < frame_table_size ? index : 0];
            blit_clip_rect(x + 1, 705, f.x, f.y, f.width, f.height, x + 1, 705, 63, 63, image_slot);
        }
        if (hit_left_press(x, 705, 62, 62))
            current_slot = i;
    }
    int32_t s = slot_box_side * current_slot;
    draw_frame(s + 1, 705, 62, 62, colour_green);
    draw_frame(s + 2, 706, 60, 60, colour_green);
}

void roll_editor_pass()
{
    image_view(screen_height - 67);
    if (draw_button(16, 105, 70, 15, "new rolls"))
        new_rolls_dialog();
    if (draw_button(93, 105, 70, 15, "open rolls"))
        open_rolls_dialog();
    if (draw_button(170, 105, 70, 15, "save rolls"))
        save_rolls_dialog();
    draw_preview_box();
    frame_outlines(take_frame_click);
    current_frame_outline();
    draw_preview();
    roll_controls();
    offsets_group();
    current_slot_box();
    presets_group();
    total_delay_box();
    delay_group();
    slot_strip();
}
