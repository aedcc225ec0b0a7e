// The frame editor (mode 0): cuts frames out of the loaded image. A drag over
// the image makes a selection, the create button or the right button turns
// it into a new frame, and the current frame's position and size can then
// be moved pixel by pixel.
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

int32_t selection_x = 0;
int32_t selection_y = 0;
int32_t selection_width = 0;
int32_t selection_height = 0;

// The group boxes: top row and height.
constexpr int32_t group_left = 7;
constexpr int32_t current_group_top = 417;
constexpr int32_t current_group_height = 32;
constexpr int32_t position_group_top = 452;
constexpr int32_t size_group_top = 512;
constexpr int32_t pair_group_height = 57;

// The width of the band at the work area's edges that scrolls while dragging.
constexpr int32_t drag_band = 32;

// A left drag from the work area, while an image is loaded, spans the
// selection between the press point and the cursor. A press that a control
// took never starts one.
static void update_selection()
{
    if (!image_loaded() || !left_down || left_press_x == CONSUMED) return;
    if (left_press_x < panel_width || cursor_x < panel_width) return;
    selection_x = left_press_x < cursor_x ? left_press_x : cursor_x;
    selection_width = left_press_x < cursor_x ? cursor_x - left_press_x : left_press_x - cursor_x;
    selection_y = left_press_y < cursor_y ? left_press_y : cursor_y;
    selection_height = left_press_y < cursor_y ? cursor_y - left_press_y : left_press_y - cursor_y;
}

// The preview box and its 32-pixel grid.
static void draw_preview_box()
{
    draw_bevel(14, 133, 228, 228, colour_grey1, colour_white);
    draw_bevel(15, 134, 226, 226, colour_black, colour_grey5);
    fill_box(16, 135, 224, 224, colour_grey1);
    for (int32_t i = 0; i <= 6; ++i) {
        fill_box(16, 135 + 32 * i, 224, 1, colour_black);
        fill_box(16 + 32 * i, 135, 1, 224, colour_black);
    }
}

// While the left button is held, the cursor in the band along an edge of the
// work area scrolls the image one pixel per pass.
static void drag_scroll()
{
    if (!left_down || !cursor_inside) return;
    if (cursor_x >= panel_width && cursor_x <= panel_width + drag_band) --scroll_x;
    if (cursor_x >= screen_width - drag_band) ++scroll_x;
    if (cursor_x >= panel_width && cursor_y <= drag_band) --scroll_y;
    if (cursor_x >= panel_width && cursor_y >= screen_height - drag_band) ++scroll_y;
    clamp_scroll();
}

// The create button or the right button turns a selection into a frame; at
// the table's limit the new rectangle replaces frame 1023's.
static void create_frame()
{
    bool clicked = draw_button(16, 370, 224, 15, "Создать фрэйм (Правая кнопка мыши)"_cp);
    if (!clicked && !right_down) return;
    if (selection_width == 0 || selection_height == 0 || image_width == 0 || image_height == 0)
        return;
    right_down = 0;
    if (frame_count < max_frame_count) {
        ++frame_count;
        current_frame = frame_count;
    }
    frame_record& f = frame_table[frame_count];
    f.x = selection_x + scroll_x - panel_width;
    f.y = selection_y + scroll_y;
    f.width = selection_width;
    f.height = selection_height;
    selection_width = 0;
    selection_height = 0;
}

// A click on a frame over the image selects it.
static void select_clicked_frame(int32_t frame, int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (in_image_area(left_release_x, left_release_y, screen_height) && hit_left_release(x, y, w, h))
        current_frame = frame;
}

// Group 0: the current frame, within 0..frame_count.
static void current_frame_group()
{
    spinner(51, 425, &current_frame);
    if (hit_left_press(group_left, current_group_top, 242, current_group_height))
        active_group = group_current_frame;
    if (active_group == group_current_frame)
        current_frame += key_step(key_left, '4', key_right, '6');
    if (current_frame < 0) current_frame = 0;
    if (current_frame > frame_count) current_frame = frame_count;
    group_box(group_left, current_group_top, current_group_height, active_group == group_current_frame);
    number_box(16, 425, current_frame);
    draw_text("Текущий фрэйм"_cp, 86, 428);
}

// Keeps a start and a length along one side of the image: the start first
// at most image_side - length, and never below 0, so a rectangle wider than
// the image still starts at its edge.
static void keep_start_inside(int32_t& start, int32_t length, int32_t image_side)
{
    if (start < 0) start = 0;
    // 64-bit: the editor's steps leave a frame's fields unbounded.
    if (static_cast<int64_t>(start) + length > image_side)
        start = add_clamped(image_side, -static_cast<int64_t>(length));
    if (start < 0) start = 0;
}

// The same for the length: at least 0 and no further than the image's edge.
static void keep_length_inside(int32_t start, int32_t& length, int32_t image_side)
{
    if (length < 0) length = 0;
    if (static_cast<int64_t>(start) + length > image_side)
        length = add_clamped(image_side, -static_cast<int64_t>(start));
    if (length < 0) length = 0;
}

// Group 1: the current frame's position in the image.
static void position_group()
{
    frame_record& f = frame_table[current_frame];
    spinner(51, 460, &f.x);
    spinner(51, 485, &f.y);
    if (hit_left_press(group_left, position_group_top, 242, pair_group_height))
        active_group = group_position;
    if (active_group == group_position) {
        f.x = add_clamped(f.x, key_step(key_left, '4', key_right, '6'));
        f.y = add_clamped(f.y, key_step(key_up, '8', key_down, '2'));
        keep_start_inside(f.x, f.width, image_width);
        keep_start_inside(f.y, f.height, image_height);
    }
    group_box(group_left, position_group_top, pair_group_height, active_group == group_position);
    number_box(16, 460, f.x);
    number_box(16, 485, f.y);
    draw_text("Горизонтальное положение"_cp, 86, 463);
    draw_text("Вертикальное положение"_cp, 86, 485);
}

// Group 2: the current frame's size.
static void size_group()
{
    frame_record& f = frame_table[current_frame];
    spinner(51, 520, &f.width);
    spinner(51, 545, &f.height);
    if (hit_left_press(group_left, size_group_top, 242, pair_group_height))
        active_group = group_size;
    if (active_group == group_size) {
        f.width = add_clamped(f.width, key_step(key_left, '4', key_right, '6'));
        f.height = add_clamped(f.height, key_step(key_up, '8', key_down, '2'));
        keep_length_inside(f.x, f.width, image_width);
        keep_length_inside(f.y, f.height, image_height);
    }
    group_box(group_left, size_group_top, pair_group_height, active_group == group_size);
    number_box(16, 520, f.width);
    number_box(16, 545, f.height);
    draw_text("Ширина фрэйма"_cp, 86, 523);
    draw_text("Высота фрэйма"_cp, 86, 545);
}

// "Удалить фрэйм": the last frame moves into the current frame's place, whole
// (its rectangle with its offsets and delay, so a roll showing it shows it
// as before), and the last frame becomes current. The rolls follow: a slot
// naming the deleted frame becomes empty, a slot naming the moved frame
// names its new number, so no slot names a frame that is gone or past
// frame_count.
static void delete_frame()
{
    draw_frame(13, 577, 230, 21, colour_red);
    if (!draw_button(16, 580, 224, 15, "Удалить фрэйм"_cp) || current_frame == 0) return;
    int32_t gone = current_frame, last = frame_count;
    if (gone != last)
        frame_table[gone] = frame_table[last];
    frame_table[last] = frame_record {};
    for (int r = 0; r < roll_count; ++r)
        for (int slot = 0; slot < roll_frame_slots; ++slot) {
            int32_t& frame = roll_table[r][slot];
            if (frame == gone)
                frame = 0;
            else if (frame == last)
                frame = gone;
        }
    --frame_count;
    current_frame = frame_count;
}

void frame_editor_pass()
{
    image_view(screen_height);
    draw_frame(selection_x, selection_y, selection_width, selection_height, colour_green);
    update_selection();

    if (draw_button(16, 105, 70, 15, "new frames"))
        new_frames_dialog();
    if (draw_button(93, 105, 70, 15, "open frames") && image_loaded())
        open_frames_dialog();
    if (draw_button(170, 105, 70, 15, "save frames") && frame_count != 0)
        save_frames_dialog();

    draw_preview_box();
    drag_scroll();
    create_frame();
    frame_outlines(select_clicked_frame);
    current_frame_outline();
    if (image_loaded()) {
        const frame_record& f = frame_table[current_frame];
        blit_clip_rect(16, 135, f.x, f.y, f.width, f.height, 16, 135, 224, 224, image_slot);
    }

    number_box(16, 395, frame_count);
    draw_text("Колличество фрэймов"_cp, 56, 395);
    current_frame_group();
    position_group();
    size_group();
    delete_frame();
}
