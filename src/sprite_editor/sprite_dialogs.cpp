// The sprite editor's modal dialogs: the image dialog, the six name dialogs
// that save and open frame, roll and sprite files, and the three
// confirmations that clear the tables. Each is a loop of its own that draws
// over the last editor frame until it closes.
#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "input/input_latch.h"
#include "render/bmp.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"
#include "shell/shell.h"
#include "sprite_editor/sprite_editor.h"

// Copies the zero-terminated text into a buffer of capacity bytes, cut to fit.
static void copy_name(char* buffer, int capacity, const char* text)
{
    size_t length = strnlen(text, static_cast<size_t>(capacity) - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = 0;
}

// What was clicked in a dialog stays there: a right click or a stray left
// click must not reach the editor pass that opened it. Every dialog calls
// it as it closes.
static void close_dialog()
{
    right_down = 0;
    right_press_x = right_press_y = CONSUMED;
    left_release_x = left_release_y = CONSUMED;
}

// "Да" is its button or Enter (once the characters typed before it are in
// the name).
static bool confirmed(int32_t x, int32_t y)
{
    bool clicked = draw_button(x, y, 60, 15, "Да"_cp);
    return clicked || enter_pressed();
}

// A dialog that asks for a name and runs operation with it on "Да"; the name
// becomes current_file_name only when the operation succeeds. Names the
// operation cannot use (empty, or too long for a path) make it fail, and the
// dialog closes as for any failure.
static void name_dialog(const char* title, bool (*operation)(const char* name))
{
    static char name[name_dialog_buffer_size];
    copy_name(name, sizeof name, current_file_name);
    while (!quit_requested) {
        drain_messages();
        fill_box(280, 150, 360, 120, colour_grey4);
        draw_bevel(280, 150, 360, 120, colour_white, colour_black);
        draw_bevel(281, 151, 358, 118, colour_grey5, colour_grey1);
        fill_box(380, 165, 170, 14, colour_blue);
        draw_text_w(title, 398, 165);
        fill_box(320, 210, 280, 16, colour_white);
        draw_bevel(320, 210, 280, 16, colour_black, colour_white);
        draw_text(name, 330, 212);
        edit_text(name, sizeof name);
        if (draw_button(490, 240, 60, 15, "Отмена"_cp))
            break;
        if (confirmed(390, 240)) {
            if (operation(name))
                copy_name(current_file_name, current_file_name_size, name);
            break;
        }
        present();
    }
    close_dialog();
}

// A dialog that asks a question and runs reset on "Да".
static void confirmation_dialog(const char* question, void (*reset)())
{
    while (!quit_requested) {
        drain_messages();
        fill_box(280, 150, 360, 100, colour_grey4);
        draw_bevel(280, 150, 360, 100, colour_grey5, colour_black);
        draw_bevel(281, 151, 358, 98, colour_white, colour_grey1);
        fill_box(320, 175, 280, 15, colour_blue);
        draw_text_w(question, 340, 175);
        if (draw_button(475, 210, 60, 15, "Нет"_cp))
            break;
        if (confirmed(375, 210)) {
            reset();
            break;
        }
        present();
    }
    close_dialog();
}

// Loads data\images\<name>.bmp into image_slot. Only a successful load
// changes the image, its size and current_file_name; the scroll goes back to
// the corner either way.
static void load_image(const char* name)
{
    char path[image_dialog_buffer_size + 32];
    std::snprintf(path, sizeof path, "data\\images\\%s.bmp", name);
    if (load_bmp(image_slot, path)) {
        copy_name(current_file_name, current_file_name_size, name);
        // The size of the image now in the slot: the width and height of
        // the header of the file just read.
        const surface* s = surface_table[image_slot];
        image_width = s->width;
        image_height = s->height;
    }
    scroll_x = 0;
    scroll_y = 0;
}

void open_image_dialog()
{
    static char name[image_dialog_buffer_size];
    copy_name(name, sizeof name, current_file_name);
    while (!quit_requested) {
        drain_messages();
        fill_box(280, 150, 360, 100, colour_grey4);
        draw_bevel(280, 150, 360, 100, colour_grey5, colour_black);
        draw_bevel(281, 151, 358, 98, colour_white, colour_grey1);
        draw_text("Открытие растра"_cp, 420, 165);
        fill_box(320, 190, 280, 16, colour_white);
        draw_bevel(320, 190, 280, 16, colour_black, colour_grey5);
        draw_text(name, 330, 192);
        edit_text(name, sizeof name);
        if (draw_button(485, 220, 60, 15, "Отмена"_cp))
            break;
        if (confirmed(385, 220)) {
            load_image(name);
            break;
        }
        present();
    }
    close_dialog();
}

// --- The nine file dialogs ---------------------------------------------------------

// Opening frames also selects the last frame read.
static bool open_frames(const char* name)
{
    if (!load_frame_file(name)) return false;
    current_frame = frame_count;
    return true;
}

void save_frames_dialog()
{
    name_dialog("Сохранение фрэймов в файл"_cp, save_frame_file);
}

void open_frames_dialog()
{
    name_dialog("Открытие фрэймов из файла"_cp, open_frames);
}

void new_frames_dialog()
{
    confirmation_dialog("Вы действительно хотите очистить массив фрэймов?"_cp, clear_frames);
}

void save_rolls_dialog()
{
    name_dialog("Сохранение роликов в файл"_cp, save_roll_file);
}

void open_rolls_dialog()
{
    // The same title as the frames' open dialog.
    name_dialog("Открытие фрэймов из файла"_cp, load_roll_file);
}

void new_rolls_dialog()
{
    confirmation_dialog("Вы действительно хотите очистить массив роликов?"_cp, clear_rolls);
}

void save_sprites_dialog()
{
    name_dialog("Сохранение спрайтов в файл"_cp, save_sprite_file);
}

void open_sprites_dialog()
{
    name_dialog("Открытие спрайтов из файла"_cp, load_sprite_file);
}

void new_sprites_dialog()
{
    confirmation_dialog("Вы действительно хотите очистить массив спрайтов?"_cp, clear_sprites);
}
