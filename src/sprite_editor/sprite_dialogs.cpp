// The sprite editor's modal dialogs: the image dialog, the six name dialogs
// that save and open frame, roll and sprite files, and the three
// confirmations that clear the tables. Each is a loop of its own that draws
// over the last editor frame until it closes. The open dialogs list the
// files of their kind under their box; every save and open reports on the
// status line.
#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "core/file_access.h"
#include "editor_kit/file_list.h"
#include "editor_kit/file_report.h"
#include "editor_kit/question.h"
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

// The extension of each file kind.
static const char* const kind_extensions[] = {".frm", ".roll", ".spr"};

// The longest name of a file of kind: its path "data\images\" + name +
// extension fits the 60-byte path buffer.
static int32_t longest_name(sprite_file_kind kind)
{
    return sprite_path_size - 1 - static_cast<int32_t>(std::strlen("data\\images\\") +
                                                       std::strlen(kind_extensions[kind]));
}

// The name with its extension, as the status line names a file.
static const char* file_label(const char* name, const char* extension)
{
    static char label[name_dialog_buffer_size + 8];
    std::snprintf(label, sizeof label, "%s%s", name, extension);
    return label;
}

// What a name dialog does with its name: save or open the tables as a file
// of kind.
struct name_action {
    const char* title;  // code page 1251
    sprite_file_kind kind;
    bool saving;
};

// Opening frames also selects the last frame read.
static bool load_tables(sprite_file_kind kind, const char* name)
{
    if (kind == file_kind_frames) {
        if (!load_frame_file(name)) return false;
        current_frame = frame_count;
        return true;
    }
    return kind == file_kind_rolls ? load_roll_file(name) : load_sprite_file(name);
}

static bool save_tables(sprite_file_kind kind, const char* name)
{
    if (kind == file_kind_frames) return save_frame_file(name);
    return kind == file_kind_rolls ? save_roll_file(name) : save_sprite_file(name);
}

// Runs the dialog's operation with the name and reports how it went; true
// when it worked.
static bool run_action(const name_action& action, const char* name)
{
    const char* problem = name_problem(name, longest_name(action.kind));
    if (problem != nullptr) {
        report_bad_name(action.saving, problem);
        return false;
    }
    const char* label = file_label(name, kind_extensions[action.kind]);
    forget_file_problem();
    if (action.saving) {
        if (!save_tables(action.kind, name)) {
            report_save_failure(label, sprite_data_refusal());
            return false;
        }
        sprite_tables_saved(action.kind, name);
        report_saved(label);
        return true;
    }
    if (!load_tables(action.kind, name)) {
        report_open_failure(label, sprite_data_refusal());
        return false;
    }
    sprite_tables_replaced(action.kind, name);
    report_opened(label);
    return true;
}

// True when a save under name may go ahead: a name of the kind's own file
// or of no file, or another file the user agrees to replace (a name taken
// over from the image just opened, say).
static bool may_replace(const name_action& action, const char* name)
{
    char path[name_dialog_buffer_size + 32];
    std::snprintf(path, sizeof path, "data\\images\\%s%s", name, kind_extensions[action.kind]);
    if (!action.saving || name_problem(name, longest_name(action.kind)) != nullptr ||
        std::strcmp(name, sprite_own_file(action.kind)) == 0 || !file_exists(path))
        return true;
    static const char* const labels[] = {"Заменить"_cp, "Отмена"_cp};
    char line[name_dialog_buffer_size + 48];
    std::snprintf(line, sizeof line, "%s \"%s\" %s", "Файл"_cp, file_label(name, kind_extensions[action.kind]),
                  "уже есть."_cp);
    return ask_question(action.title, line, "Заменить его?"_cp, labels, 2) == 0;
}

// A dialog that asks for a name and runs the action with it on "Да"; the
// name becomes current_file_name only when the action succeeds. Names the
// action cannot use (empty, too long for a path) make it fail, and the
// dialog closes as for any failure; a save the user would not have replace
// another file leaves the dialog open. An open lists the files of its kind
// under the box. True when the action succeeded.
static bool name_dialog(const name_action& action)
{
    static char name[name_dialog_buffer_size];
    copy_name(name, sizeof name, current_file_name);
    if (!action.saving)
        open_file_list("data\\images\\", kind_extensions[action.kind]);
    bool done = false;
    while (!quit_requested) {
        drain_messages();
        fill_box(280, 150, 360, 120, colour_grey4);
        draw_bevel(280, 150, 360, 120, colour_white, colour_black);
        draw_bevel(281, 151, 358, 118, colour_grey5, colour_grey1);
        fill_box(380, 165, 170, 14, colour_blue);
        draw_text_w(action.title, 398, 165);
        fill_box(320, 210, 280, 16, colour_white);
        draw_bevel(320, 210, 280, 16, colour_black, colour_white);
        draw_text(name, 330, 212);
        edit_text(name, sizeof name);
        if (!action.saving)
            if (const char* chosen = file_list_pass(280, 275, 360, name))
                copy_name(name, sizeof name, chosen);
        if (draw_button(490, 240, 60, 15, "Отмена"_cp))
            break;
        if (confirmed(390, 240)) {
            if (!may_replace(action, name))
                continue;
            done = run_action(action, name);
            if (done)
                copy_name(current_file_name, current_file_name_size, name);
            break;
        }
        present();
    }
    close_dialog();
    return done;
}

// A dialog that asks a question and runs reset on "Да"; the tables of kind
// then start a fresh history.
static void confirmation_dialog(const char* question, void (*reset)(), sprite_file_kind kind)
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
            sprite_tables_replaced(kind, "");
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
    const char* problem = name_problem(name, image_dialog_buffer_size - 1);
    forget_file_problem();
    if (problem != nullptr) {
        report_bad_name(false, problem);
    } else if (load_bmp(image_slot, path)) {
        copy_name(current_file_name, current_file_name_size, name);
        // The size of the image now in the slot: the width and height of
        // the header of the file just read.
        const surface* s = surface_table[image_slot];
        image_width = s->width;
        image_height = s->height;
        report_opened(file_label(name, ".bmp"));
    } else {
        report_open_failure(file_label(name, ".bmp"), last_bmp_error());
    }
    scroll_x = 0;
    scroll_y = 0;
}

void open_image_dialog()
{
    static char name[image_dialog_buffer_size];
    copy_name(name, sizeof name, current_file_name);
    open_file_list("data\\images\\", ".bmp");
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
        if (const char* chosen = file_list_pass(280, 255, 360, name))
            copy_name(name, sizeof name, chosen);
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

// The words a "new" or an open puts to the question about unsaved changes.
static const char* const before_clearing = "перед очисткой"_cp;
static const char* const before_opening = "перед открытием файла"_cp;

bool save_frames_dialog()
{
    return name_dialog({"Сохранение фрэймов в файл"_cp, file_kind_frames, true});
}

void open_frames_dialog()
{
    if (settle_unsaved_tables(file_kind_frames, before_opening))
        name_dialog({"Открытие фрэймов из файла"_cp, file_kind_frames, false});
}

void new_frames_dialog()
{
    if (settle_unsaved_tables(file_kind_frames, before_clearing))
        confirmation_dialog("Вы действительно хотите очистить массив фрэймов?"_cp, clear_frames, file_kind_frames);
}

bool save_rolls_dialog()
{
    return name_dialog({"Сохранение роликов в файл"_cp, file_kind_rolls, true});
}

void open_rolls_dialog()
{
    // The same title as the frames' open dialog.
    if (settle_unsaved_tables(file_kind_rolls, before_opening))
        name_dialog({"Открытие фрэймов из файла"_cp, file_kind_rolls, false});
}

void new_rolls_dialog()
{
    if (settle_unsaved_tables(file_kind_rolls, before_clearing))
        confirmation_dialog("Вы действительно хотите очистить массив роликов?"_cp, clear_rolls, file_kind_rolls);
}

bool save_sprites_dialog()
{
    return name_dialog({"Сохранение спрайтов в файл"_cp, file_kind_sprites, true});
}

void open_sprites_dialog()
{
    if (settle_unsaved_tables(file_kind_sprites, before_opening))
        name_dialog({"Открытие спрайтов из файла"_cp, file_kind_sprites, false});
}

void new_sprites_dialog()
{
    if (settle_unsaved_tables(file_kind_sprites, before_clearing))
        confirmation_dialog("Вы действительно хотите очистить массив спрайтов?"_cp, clear_sprites,
                            file_kind_sprites);
}
