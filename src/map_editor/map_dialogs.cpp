// The new, open and save map dialogs of the map editor.
#include "map_editor/map_dialogs.h"

#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
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

// The dialog's copy of map_name, cut to the longest name a map file takes.
static void start_name(char* name)
{
    size_t length = strnlen(map_name, name_capacity - 1);
    std::memcpy(name, map_name, length);
    name[length] = 0;
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
        if (draw_button(480, 486, 60, 15, "Отмена"_cp))
            return;
        if (draw_button(380, 486, 60, 15, "Да"_cp)) {
            camera_x = camera_y = 0;
            map_width = width;
            map_height = height;
            current_tool = cover;
            new_map(current_tool);
            rebuild_overview();
            current_tool = palette_choice;
            return;
        }
        present();
    }
}

// --- Open and save ----------------------------------------------------------------

void open_map_dialog()
{
    char name[name_capacity];
    start_name(name);
    for (;;) {
        if (quit_requested)
            return;
        drain_messages();
        draw_dialog_box(280, 150, 360, 100);
        draw_text("Открытие карты"_cp, 420, 165);
        name_field(320, 190, name);
        if (draw_button(485, 220, 60, 15, "Отмена"_cp))
            return;
        if (draw_button(385, 220, 60, 15, "Да"_cp)) {
            // load_map checks the whole file before it changes anything.
            if (load_map(name)) {
                std::snprintf(map_name, sizeof map_name, "%s", name);
                camera_x = camera_y = 0;
                rebuild_overview();
            }
            return;
        }
        present();
    }
}

void save_map_dialog()
{
    char name[name_capacity];
    start_name(name);
    for (;;) {
        if (quit_requested)
            return;
        drain_messages();
        draw_dialog_box(280, 150, 360, 120);
        fill_box(400, 165, 120, 14, colour_blue);
        draw_text_w("Сохранение карты"_cp, 420, 165);
        char text[96];
        std::snprintf(text, sizeof text, "размер карты:  X - %d  Y - %d"_cp,
                      static_cast<int>(map_width), static_cast<int>(map_height));
        draw_text(text, 320, 190);
        name_field(320, 210, name);
        if (draw_button(490, 240, 60, 15, "Отмена"_cp))
            return;
        if (draw_button(390, 240, 60, 15, "Да"_cp)) {
            // save_map replaces the old file only once every byte is written.
            if (save_map(name))
                std::snprintf(map_name, sizeof map_name, "%s", name);
            return;
        }
        present();
    }
}
