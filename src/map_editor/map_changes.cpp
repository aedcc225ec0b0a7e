// The map editor's history and unsaved changes.
#include "map_editor/map_changes.h"

#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "editor_kit/editor_keys.h"
#include "editor_kit/history.h"
#include "editor_kit/question.h"
#include "input/input_latch.h"
#include "map_editor/map_dialogs.h"
#include "map_editor/map_editor.h"
#include "world/map.h"
#include "world/units.h"

// The tables the history watches, in this order (the overview follows
// changes of the first).
enum map_table : int32_t { table_terrain, table_objects, table_units, table_unit_count };

static_assert(sizeof(terrain_cell) == 4 * 4 && sizeof(object_cell) == 3 * 4, "cells are 32-bit fields");
static_assert(sizeof(unit) % 4 == 0, "a unit is made of 32-bit fields");

// The history's state when the map was last made, loaded or saved.
static uint64_t saved_state = 0;
// The file the map was loaded from or saved to; "" for none.
static char own_file[map_name_size];

void start_map_history()
{
    const watched_table tables[] = {
        {terrain_layer, 4, max_map_size * max_map_size},
        {object_layer, 3, max_map_size * max_map_size},
        {unit_table, static_cast<int32_t>(sizeof(unit) / 4), max_units},
        {&unit_count, 1, 1},
    };
    history_watch(tables, 4);
    reset_shortcuts();
    saved_state = history_state();
    own_file[0] = 0;
}

void stop_map_history()
{
    history_stop();
}

// An undone or redone terrain cell shows on the overview at once.
static void record_changed(int32_t table, int32_t record)
{
    if (table == table_terrain)
        plot_overview(record / max_map_size, record % max_map_size);
}

void map_history_pass()
{
    editor_shortcut shortcut = read_shortcut();
    if (shortcut == shortcut_undo)
        history_undo(record_changed);
    else if (shortcut == shortcut_redo)
        history_redo(record_changed);
    // A stroke ends when its button goes up; what it changed is one step.
    if (!left_down && !right_down)
        history_commit();
}

void map_replaced(const char* file)
{
    history_restart();
    saved_state = history_state();
    std::snprintf(own_file, sizeof own_file, "%s", file);
}

void map_saved(const char* file)
{
    history_commit();
    saved_state = history_state();
    std::snprintf(own_file, sizeof own_file, "%s", file);
}

bool map_has_unsaved_changes()
{
    history_commit();
    return history_state() != saved_state;
}

const char* map_file_name()
{
    return own_file;
}

bool settle_unsaved_map(const char* purpose)
{
    if (!map_has_unsaved_changes())
        return true;
    static const char* const labels[] = {"Сохранить"_cp, "Не сохранять"_cp, "Отмена"_cp};
    char question[96];
    std::snprintf(question, sizeof question, "%s %s?", "Сохранить их"_cp, purpose);
    int32_t answer = ask_question("Карта изменена"_cp, "В карте есть несохраненные изменения."_cp, question,
                                  labels, 3);
    if (answer == 0)
        return save_map_dialog();
    return answer == 1;
}
