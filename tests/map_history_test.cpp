// The map editor keeps a user's work: undo and redo of strokes, the
// question before unsaved changes go, no file replaced unasked, UTF-8 names
// opened again from the list, and every save and open told on the status
// line. Each test is one scripted session with checks at chosen passes.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "core/file_access.h"
#include "editor_kit/file_list.h"
#include "editor_kit/history.h"
#include "editor_kit/question.h"
#include "editor_kit/status_line.h"
#include "map_editor_fixture.h"
#include "world/map_file.h"
#include "world/map_hash.h"

using namespace editor_test;

namespace {

// The question box's buttons: three (Сохранить, Не сохранять, Отмена) or
// two (Заменить, Отмена).
constexpr point ask_save = {350, 242};
constexpr point ask_dont_save = {460, 242};
constexpr point ask_cancel = {570, 242};
constexpr point ask_replace = {405, 242};
constexpr point ask_replace_cancel = {515, 242};

// A shortcut tapped in one pass: Ctrl (and Shift) with a letter.
void shortcut(int32_t pass, held_key letter, bool shift = false)
{
    event(pass, event_key_down, 0, 0, key_ctrl);
    if (shift)
        event(pass, event_key_down, 0, 0, key_shift);
    event(pass, event_key_down, 0, 0, letter);
    event(pass, event_key_up, 0, 0, letter);
    if (shift)
        event(pass, event_key_up, 0, 0, key_shift);
    event(pass, event_key_up, 0, 0, key_ctrl);
}

void tap(int32_t pass, held_key key)
{
    event(pass, event_key_down, 0, 0, key);
    event(pass, event_key_up, 0, 0, key);
}

// Everything a step may change: both layers (their hash), the unit table
// and unit_count.
struct map_state {
    uint64_t layers;
    std::vector<unit> units;
    int32_t count;

    bool operator==(const map_state& o) const
    {
        return layers == o.layers && count == o.count &&
               std::memcmp(units.data(), o.units.data(), sizeof unit_table) == 0;
    }
};

map_state take_state()
{
    return {map_layers_hash(), std::vector<unit>(unit_table, unit_table + max_units), unit_count};
}

std::string status()
{
    return last_status();
}

class MapHistory : public EditorSession {};

}  // namespace

// Strokes of every kind, each one step: undone one by one back to the
// start, redone one by one, and a new stroke after an undo forgets the
// step undone.
TEST_F(MapHistory, EveryStrokeUndoesAndRedoesExactly)
{
    std::vector<map_state> states;
    auto note = [&states] { states.push_back(take_state()); };
    checks[1] = note;
    // Stone dragged over three cells, a tree, two grunts, the hero, then
    // the first grunt deleted with the right button (the last unit moves
    // into its slot).
    click(2, terrain_button(terrain_stone));
    move(3, view_x(3), view_y(3));
    event(3, event_left_down);
    move(4, view_x(4), view_y(3));
    move(5, view_x(5), view_y(4));
    event(6, event_left_up);
    checks[7] = note;
    click(8, tree_button);
    press_cell(9, 8, 8);
    checks[11] = note;
    click(12, grunt_button);
    press_cell(13, 10, 10);
    checks[15] = note;
    press_cell(16, 12, 10);
    checks[18] = note;
    click(19, hero_button);
    press_cell(20, 14, 14);
    checks[22] = note;
    right_press_cell(23, 10, 10);
    checks[25] = note;
    // Six undos, two passes apart, back to the start; then six redos (Ctrl+Y
    // and Ctrl+Shift+Z); each step's state checked.
    int32_t pass = 26;
    for (int i = 5; i >= 0; --i, pass += 2) {
        shortcut(pass, key_z);
        checks[pass] = [&states, i] { EXPECT_TRUE(take_state() == states[i]) << "undo to state " << i; };
    }
    for (int i = 1; i <= 6; ++i, pass += 2) {
        shortcut(pass, i % 2 ? key_y : key_z, i % 2 == 0);
        checks[pass] = [&states, i] { EXPECT_TRUE(take_state() == states[i]) << "redo to state " << i; };
    }
    // Back two steps, a new stroke: the two undone steps are gone.
    shortcut(pass, key_z);
    shortcut(pass + 2, key_z);
    click(pass + 3, terrain_button(terrain_mud));
    press_cell(pass + 4, 20, 20);
    shortcut(pass + 7, key_y);
    checks[pass + 7] = [] {
        EXPECT_EQ(history_redo_steps(), 0);
        EXPECT_EQ(history_undo_steps(), 5);
        EXPECT_EQ(terrain_layer[20][20].kind, terrain_mud);
        EXPECT_EQ(object_layer[14][14].kind, object_none);  // the hero undone stays undone
    };
    run_editor(pass + 8);
}

// Two hundred strokes that each change the map (trees and grunts on cells
// of their own, stone and deep water in turn on one vertex), then two
// hundred undos: the start-up map again, cell for cell and unit for unit.
TEST_F(MapHistory, TwoHundredStrokesUndoToTheStart)
{
    map_state start;
    checks[0] = [&start] { start = take_state(); };
    int32_t pass = 1;
    for (int i = 0; i < 200; ++i, pass += 2) {
        if (i < 150) {
            if (i % 100 == 0)
                click(pass++, i < 100 ? tree_button : grunt_button);
            press_cell(pass, i % 20, i / 20);
        } else {
            click(pass++, terrain_button(i % 2 ? terrain_stone : terrain_deep_water));
            press_cell(pass, 21, 21);
        }
    }
    checks[pass] = [] { EXPECT_EQ(history_undo_steps(), 200); };
    for (int i = 0; i < 200; ++i)
        shortcut(pass += 2, key_z);
    checks[pass] = [&start] {
        EXPECT_TRUE(take_state() == start);
        EXPECT_EQ(history_undo_steps(), 0);
        EXPECT_EQ(history_redo_steps(), 200);
    };
    run_editor(pass + 1);
}

// Escape quits at once with nothing unsaved; with a stroke unsaved it asks,
// and the editor runs on: Escape (or "Отмена") answers "no", "Не сохранять"
// ends it. The runner's own stop is no Escape: it ends a run even with the
// question up.
TEST_F(MapHistory, EscapeAsksOnlyWhenSomethingIsUnsaved)
{
    tap(3, key_escape);
    run_editor(50);
    EXPECT_EQ(passes_seen, 3);
    EXPECT_STREQ(last_question(), "");

    SetUp();
    press_cell(2, 5, 5);
    tap(5, key_escape);
    checks[7] = [] { EXPECT_TRUE(question_showing()); };
    tap(8, key_escape);
    checks[10] = [] {
        EXPECT_FALSE(question_showing());
        EXPECT_STREQ(last_answer(), "Отмена"_cp);
    };
    tap(12, key_escape);
    click(14, ask_dont_save);
    run_editor(50);
    EXPECT_EQ(passes_seen, 14);
    EXPECT_STREQ(last_question(), "Карта изменена"_cp);
    EXPECT_STREQ(last_answer(), "Не сохранять"_cp);

    SetUp();
    press_cell(2, 5, 5);
    tap(5, key_escape);
    run_editor(9);
    EXPECT_EQ(passes_seen, 10);
    EXPECT_STREQ(last_answer(), "не отвечен"_cp);
}

// A map saved as "карта" is data/map/карта.map in UTF-8; a new map after it
// is "новая карта" and asks nothing (the work was saved); "карта" then opens
// again from the open dialog's list, as it was saved.
TEST_F(MapHistory, ACyrillicNameSavesAsUtf8AndOpensFromTheList)
{
    std::filesystem::remove("data/map/карта.map");
    std::filesystem::remove("data/map/новая карта.map");
    press_cell(2, 3, 3);
    click(4, save_map_button);
    int32_t pass = type(erase(5, 6), "карта"_cp);
    tap(pass, key_enter);
    uint64_t saved = 0;
    checks[pass + 1] = [&saved] {
        saved = map_layers_hash();
        EXPECT_EQ(status(), "сохранено: карта.map"_cp);
        EXPECT_TRUE(std::filesystem::exists("data/map/карта.map"));
    };
    click(pass + 2, new_map_button);
    click(pass + 3, new_yes);
    checks[pass + 3] = [] {
        EXPECT_STREQ(map_name, "новая карта"_cp);
        EXPECT_STREQ(last_question(), "");
    };
    click(pass + 4, open_map_button);
    // The row of "карта" in the list, clicked once the dialog shows it.
    checks[pass + 5] = [pass] {
        for (int32_t i = 0; i < file_list_count() && i < file_list_rows; ++i)
            if (std::strcmp(file_list_name(i), "карта"_cp) == 0)
                click(pass + 6, {330, 255 + 22 + 16 * i + 7});
    };
    tap(pass + 7, key_enter);
    checks[pass + 8] = [&saved] {
        EXPECT_STREQ(map_name, "карта"_cp);
        EXPECT_EQ(map_layers_hash(), saved);
        EXPECT_EQ(status(), "открыто: карта.map"_cp);
        EXPECT_EQ(history_undo_steps(), 0);
    };
    run_editor(pass + 9);
}

// Failures say why on the status line and change nothing; a save under the
// name of another existing map asks first, and only "Заменить" replaces it.
TEST_F(MapHistory, FailuresAndReplacementsAreTold)
{
    {
        std::ofstream damaged("data/map/битая.map", std::ios::binary);
        damaged << "not a map";
    }
    std::vector<char> single_before(std::filesystem::file_size("data/map/single.map"));
    std::ifstream("data/map/single.map", std::ios::binary).read(single_before.data(), single_before.size());
    auto single_unchanged = [&single_before] {
        std::vector<char> now(std::filesystem::file_size("data/map/single.map"));
        std::ifstream("data/map/single.map", std::ios::binary).read(now.data(), now.size());
        return now == single_before;
    };

    // A missing map, then a damaged one.
    click(1, open_map_button);
    int32_t pass = type(erase(2, 6), "нет"_cp);
    click(pass, open_yes);
    checks[pass] = [] { EXPECT_EQ(status(), "не открыто: нет.map - нет такого файла"_cp); };
    click(pass + 1, open_map_button);
    pass = type(erase(pass + 2, 6), "битая"_cp);
    click(pass, open_yes);
    checks[pass] = [] {
        EXPECT_EQ(status().rfind("не открыто: битая.map - файл поврежден ("_cp, 0), 0u) << status();
        EXPECT_STREQ(map_name, "single");
    };
    // The start-up map is not the file "single": saving over it asks.
    press_cell(pass + 1, 4, 4);
    click(pass + 3, save_map_button);
    click(pass + 4, save_yes);
    click(pass + 5, ask_replace_cancel);
    // The dialog is still open; "Заменить" on a full disk keeps the file.
    checks[pass + 6] = [&single_unchanged] {
        EXPECT_STREQ(last_question(), "Сохранение карты"_cp);
        EXPECT_STREQ(last_answer(), "Отмена"_cp);
        EXPECT_TRUE(single_unchanged());
        inject_disk_full(100);
    };
    click(pass + 7, save_yes);
    click(pass + 8, ask_replace);
    checks[pass + 8] = [&single_unchanged] {
        inject_disk_full(-1);
        EXPECT_EQ(status(), "не сохранено: single.map - диск полон; прежний файл не тронут"_cp);
        EXPECT_TRUE(single_unchanged());
        EXPECT_FALSE(std::filesystem::exists("data/map/single.map.saving"));
    };
    // Saved at last under a name of its own: it is the map's file now, and a
    // second save under it asks nothing.
    std::filesystem::remove("data/map/мой остров.map");
    click(pass + 9, save_map_button);
    pass = type(erase(pass + 10, 6), "мой остров"_cp);
    click(pass, save_yes);
    click(pass + 1, save_map_button);
    click(pass + 2, save_yes);
    checks[pass + 2] = [] {
        EXPECT_STREQ(last_question(), "Сохранение карты"_cp);  // the one before
        EXPECT_EQ(status(), "сохранено: мой остров.map"_cp);
        EXPECT_TRUE(std::filesystem::exists("data/map/мой остров.map"));
    };
    run_editor(pass + 3);
    EXPECT_TRUE(single_unchanged());
}
