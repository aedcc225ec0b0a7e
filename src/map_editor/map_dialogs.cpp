// The new, open and save map dialogs of the map editor.
#include "map_editor/map_dialogs.h"

#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "core/file_access.h"
#include "editor_kit/editor_keys.h"
#include "editor_kit/file_list.h"
#include "editor_kit/file_report.h"
#include "editor_kit/question.h"
#include "map_editor/map_changes.h"
#include "map_editor/map_editor.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"
#include "shell/shell.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

// Room for a name of max_map_name_length characters and its terminator.
static constexpr int name_capacity = max_map_name_length + 1;

// The raised grey box every dialog is drawn in.
static void draw_dialog_box(int32_t x, int32_t y, int32_t w, int32_t h)
{
    fill_box(x, y, w, h, colour_grey4);
    draw_bevel(x, y, w, h, colour_white, colour_black);
    draw_bevel(x + 1, y + 1, w - 2, h - 2, colour_grey5, colour_grey1);
}

// A sunken white name field with the name in it, then the typed character
// (if any) applied to the name.
static void name_field(int32_t x, int32_t y, char* name)
{
    fill_box(x, y, 280, 16, colour_white);
    draw_bevel(x, y, 280, 16, colour_black, colour_white);
    draw_text(name, x + 10, y + 2);
    edit_text(name, name_capacity);
}

// The dialog's copy of a name, cut to the longest name a map file takes.
static void copy_name(char* name, const char* from)
{
    size_t length = strnlen(from, name_capacity - 1);
    std::memcpy(name, from, length);
    name[length] = 0;
}

// The dialog's copy of map_name.
static void start_name(char* name)
{
    copy_name(name, map_name);
}

// Enter and Escape as a dialog reads them: pressed after it opened.
struct dialog_keys {
    bool enter_armed;
    fresh_key escape;
};

static dialog_keys fresh_dialog_keys()
{
    return dialog_keys {false, fresh_key {key_escape, false}};
}

// "Да" clicked at (x, y), or Enter.
static bool yes_chosen(int32_t x, int32_t y, dialog_keys& keys)
{
    if (draw_button(x, y, 60, 15, "Да"_cp))
        return true;
    if (!fresh_enter(keys.enter_armed))
        return false;
    wait_for_release(key_enter);
    return true;
}

// "Отмена" clicked at (x, y), or Escape.
static bool cancel_chosen(int32_t x, int32_t y, dialog_keys& keys)
{
    if (draw_button(x, y, 60, 15, "Отмена"_cp))
        return true;
    if (!fresh_press(keys.escape))
        return false;
    wait_for_release(key_escape);
    return true;
}

// The file of a map name ("карта.map"), as the status line names it.
static const char* map_file_label(const char* name)
{
    static char label[name_capacity + 8];
    std::snprintf(label, sizeof label, "%s.map", name);
    return label;
}

// --- New map ------------------------------------------------------------------------

// One choice button of the new-map dialog.
struct choice_button {
    const char* label;  // code page 1251
    int32_t value;
};

static const choice_button size_buttons[] = {{"32", 32}, {"64", 64}, {"96", 96}, {"128", 128}};

static const choice_button cover_buttons[] = {
    {"глубокая вода"_cp, terrain_deep_water}, {"мелкая вода"_cp, terrain_shallow_water},
    {"песок"_cp, terrain_sand},               {"грязь"_cp, terrain_mud},
    {"трава"_cp, terrain_grass},              {"темная трава"_cp, terrain_dark_grass},
    {"камень"_cp, terrain_stone},
};

// The first row of choice buttons and the distance between rows.
static const int32_t first_row = 230;
static const int32_t row_step = 26;

void new_map_dialog()
{
    int32_t width = map_width, height = map_height, cover = terrain_grass;
    dialog_keys keys = fresh_dialog_keys();
    for (;;) {
        if (quit_requested)
            return;
        drain_messages();
        draw_dialog_box(280, 150, 360, 380);
        draw_text("Новая карта"_cp, 420, 165);
        char text[128];
        std::snprintf(text, sizeof text, "размер карты:  X - %d  Y - %d  покрытие:"_cp,
                      static_cast<int>(width), static_cast<int>(height));
        draw_text(text, 320, 190);
        blit(535, 180, 0, 0, cell_size, cell_size, tile_slots[cover]);
        for (int i = 0; i < 4; ++i) {
            int32_t y = first_row + row_step * i;
            if (draw_button(320, y, 60, 15, size_buttons[i].label))
                width = size_buttons[i].value;
            if (draw_button(400, y, 60, 15, size_buttons[i].label))
                height = size_buttons[i].value;
        }
        for (int i = 0; i < terrain_kind_count; ++i)
            if (draw_button(480, first_row + row_step * i, 120, 15, cover_buttons[i].label))
                cover = cover_buttons[i].value;
        if (cancel_chosen(480, 486, keys))
            return;
        if (yes_chosen(380, 486, keys)) {
            camera_x = camera_y = 0;
            map_width = width;
            map_height = height;
            current_tool = cover;
            new_map(current_tool);
            rebuild_overview();
            current_tool = palette_choice;
            // A new map has no file: its name is none of the maps', so that
            // its first save replaces nothing.
            unused_name("data\\map\\", "новая карта"_cp, ".map", map_name, map_name_size);
            map_replaced("");
            return;
        }
        present();
    }
}

// --- Open and save ----------------------------------------------------------------

// Loads the map name for the open dialog, and says how it went.
static void open_map(const char* name)
{
    const char* problem = name_problem(name, max_map_name_length);
    if (problem != nullptr) {
        report_bad_name(false, problem);
        return;
    }
    forget_file_problem();
    // load_map checks the whole file before it changes anything.
    if (!load_map(name)) {
        report_open_failure(map_file_label(name), map_refusal());
        return;
    }
    std::snprintf(map_name, sizeof map_name, "%s", name);
    camera_x = camera_y = 0;
    rebuild_overview();
    map_replaced(name);
    report_opened(map_file_label(name));
}

void open_map_dialog()
{
    char name[name_capacity];
    start_name(name);
    dialog_keys keys = fresh_dialog_keys();
    open_file_list("data\\map\\", ".map");
    for (;;) {
        if (quit_requested)
            return;
        drain_messages();
        draw_dialog_box(280, 150, 360, 100);
        draw_text("Открытие карты"_cp, 420, 165);
        name_field(320, 190, name);
        // The maps there are, under the box: a click takes a name.
        if (const char* chosen = file_list_pass(280, 255, 360, name))
            copy_name(name, chosen);
        if (cancel_chosen(485, 220, keys))
            return;
        if (yes_chosen(385, 220, keys)) {
            open_map(name);
            return;
        }
        present();
    }
}

// True when saving under name may go ahead: a name of the map's own file or
// of no file, or another map the user agrees to replace.
static bool may_replace(const char* name)
{
    char path[name_capacity + 16];
    std::snprintf(path, sizeof path, "data\\map\\%s.map", name);
    if (std::strcmp(name, map_file_name()) == 0 || !file_exists(path))
        return true;
    static const char* const labels[] = {"Заменить"_cp, "Отмена"_cp};
    char line[name_capacity + 48];
    std::snprintf(line, sizeof line, "%s \"%s\" %s", "Карта"_cp, name, "уже есть."_cp);
    return ask_question("Сохранение карты"_cp, line, "Заменить ее этой картой?"_cp, labels, 2) == 0;
}

// Saves the map under name for the save dialog, and says how it went.
static bool save_map_as(const char* name)
{
    const char* problem = name_problem(name, max_map_name_length);
    if (problem != nullptr) {
        report_bad_name(true, problem);
        return false;
    }
    forget_file_problem();
    // save_map replaces the old file only once every byte is written.
    if (!save_map(name)) {
        report_save_failure(map_file_label(name), map_refusal());
        return false;
    }
    std::snprintf(map_name, sizeof map_name, "%s", name);
    map_saved(name);
    report_saved(map_file_label(name));
    return true;
}

bool save_map_dialog()
{
    char name[name_capacity];
    start_name(name);
    dialog_keys keys = fresh_dialog_keys();
    for (;;) {
        if (quit_requested)
            return false;
        drain_messages();
        draw_dialog_box(280, 150, 360, 120);
        fill_box(400, 165, 120, 14, colour_blue);
        draw_text_w("Сохранение карты"_cp, 420, 165);
        char text[96];
        std::snprintf(text, sizeof text, "размер карты:  X - %d  Y - %d"_cp,
                      static_cast<int>(map_width), static_cast<int>(map_height));
        draw_text(text, 320, 190);
        name_field(320, 210, name);
        if (cancel_chosen(490, 240, keys))
            return false;
        if (yes_chosen(390, 240, keys)) {
            // Another map's file is kept unless the user says otherwise;
            // the dialog then goes on for another name.
            if (!name_problem(name, max_map_name_length) && !may_replace(name)) {
                keys = fresh_dialog_keys();
                continue;
            }
            return save_map_as(name);
        }
        present();
    }
}
