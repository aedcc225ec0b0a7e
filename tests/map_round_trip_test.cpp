// A map made in a scripted map editor session and saved with the save
// dialog, then played by the real game loop on the headless backend; and a
// name typed into the save dialog by a headless script.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "game_fixture.h"
#include "map_editor_fixture.h"

using namespace editor_test;

namespace {

class MapRoundTrip : public EditorSession {};

// The unit fields a map keeps. The image slot is not kept: the loader takes
// it from the game's own sheets, which lie in other slots than the editor's.
struct unit_field {
    const char* name;
    int32_t unit::* field;
};
const unit_field kept_fields[] = {
    {"active", &unit::active},         {"race", &unit::race},
    {"team", &unit::team},             {"attack_range", &unit::attack_range},
    {"sight_range", &unit::sight_range},
    {"max_hit_points", &unit::max_hit_points}, {"hit_points", &unit::hit_points},
    {"damage_min", &unit::damage_min}, {"damage_max", &unit::damage_max},
    {"speed", &unit::speed},           {"step_delay", &unit::step_delay},
    {"direction", &unit::direction},   {"cell_x", &unit::cell_x},
    {"cell_y", &unit::cell_y},         {"pixel_x", &unit::pixel_x},
    {"pixel_y", &unit::pixel_y},
};

// What the editor had when it saved.
struct editor_map {
    int32_t width = 0, height = 0;
    layers cells;
    int32_t count = 0;
    std::vector<unit> units;  // slots 0..count
};

editor_map take_map()
{
    editor_map m;
    m.width = map_width;
    m.height = map_height;
    m.cells = take_layers();
    m.count = unit_count;
    m.units.assign(unit_table, unit_table + unit_count + 1);
    return m;
}

// Expects the world now in memory to be the map the editor saved.
void expect_same_map(const editor_map& saved, const char* when)
{
    SCOPED_TRACE(when);
    EXPECT_EQ(map_width, saved.width);
    EXPECT_EQ(map_height, saved.height);
    EXPECT_TRUE(same(take_layers(), saved.cells));
    ASSERT_EQ(unit_count, saved.count);
    for (int slot = 1; slot <= unit_count; ++slot) {
        const unit& u = unit_table[slot];
        for (const unit_field& f : kept_fields)
            EXPECT_EQ(u.*f.field, saved.units[slot].*f.field) << "slot " << slot << " " << f.name;
        EXPECT_NE(u.image, 0) << "slot " << slot;
        EXPECT_EQ(u.image, unit_images[u.race][u.team]) << "slot " << slot;
    }
}

// The whole editor session: terrain, trees, rocks, the hero and units of
// two team choices placed, one unit deleted, saved as "single" through the
// save dialog. The groups stand more than a sight range (4 cells) apart, so
// that nobody moves in the game's first frame before the hero is ordered.
editor_map make_map_in_editor()
{
    int32_t pass = 1;
    click(pass++, terrain_button(terrain_mud));
    press_cell(pass, 8, 8), pass += 2;
    press_cell(pass, 9, 8), pass += 2;
    click(pass++, terrain_button(terrain_deep_water));
    press_cell(pass, 20, 20), pass += 2;
    press_cell(pass, 21, 20), pass += 2;
    click(pass++, terrain_button(terrain_stone));
    press_cell(pass, 2, 20), pass += 2;
    click(pass++, tree_button);
    press_cell(pass, 2, 8), pass += 2;
    press_cell(pass, 3, 8), pass += 2;
    press_cell(pass, 3, 9), pass += 2;
    click(pass++, rock_button);
    press_cell(pass, 8, 2), pass += 2;
    click(pass++, hero_button);
    press_cell(pass, 4, 4), pass += 2;
    // Grunts of the first team choice, then of the second.
    click(pass++, grunt_button);
    press_cell(pass, 12, 4), pass += 2;
    press_cell(pass, 13, 5), pass += 2;
    click(pass++, grunt_team_button);
    press_cell(pass, 4, 12), pass += 2;
    press_cell(pass, 5, 13), pass += 2;
    // Footmen of the first team choice; the first is deleted again.
    click(pass++, footman_button);
    press_cell(pass, 15, 15), pass += 2;
    press_cell(pass, 14, 15), pass += 2;
    right_press_cell(pass, 15, 15), pass += 2;
    click(pass++, save_map_button);
    click(pass++, save_yes);
    editor_map saved;
    checks[pass - 1] = [&saved] {
        EXPECT_STREQ(map_name, "single");
        EXPECT_EQ(unit_count, 6);
        EXPECT_EQ(count_objects(object_tree), 3);
        EXPECT_EQ(count_objects(object_rock), 1);
        EXPECT_EQ(count_objects(object_unit), 6);
        EXPECT_EQ(terrain_layer[20][20].kind, terrain_deep_water);
        EXPECT_EQ(terrain_layer[8][8].kind, terrain_mud);
        // Two grunt teams and the footmen's.
        EXPECT_NE(unit_table[2].team, unit_table[4].team);
        EXPECT_EQ(unit_table[2].team, unit_table[3].team);
        EXPECT_EQ(unit_table[6].race, 1);
        saved = take_map();
    };
    run_editor(pass);
    return saved;
}

TEST_F(MapRoundTrip, AMapSavedInTheEditorIsTheMapTheGamePlays)
{
    std::filesystem::remove("data/map/single.map");
    const editor_map saved = make_map_in_editor();
    ASSERT_EQ(saved.count, 6);
    ASSERT_TRUE(std::filesystem::exists("data/map/single.map"));
    EXPECT_EQ(std::filesystem::file_size("data/map/single.map"),
              static_cast<uintmax_t>(map_file_size(128, 128, saved.count)));

    // Nothing of the session is left in memory: the game has to load it all.
    clear_layers();
    clear_units();
    game_test::begin_run();
    // After the first frame the hero is sent against the nearer grunt, so
    // that the later frames walk, fight and die.
    game_test::at(1, event_move, game_test::cursor_for(12, 1), game_test::cursor_for(4, 1));
    game_test::at(1, event_right_down);
    game_test::at(2, event_right_up);
    constexpr int32_t frames = 1200;
    bool hero_moved = false;
    int32_t first_camera_x = -1;
    game_test::run_game(frames, [&](int32_t pass) {
        if (pass == 0) {
            first_camera_x = camera_x;
            expect_same_map(saved, "the first game frame");
            char why[256];
            EXPECT_TRUE(check_world(why, sizeof why)) << why;
        }
        if (unit_table[1].cell_x != 4 || unit_table[1].cell_y != 4)
            hero_moved = true;
        if (pass == frames - 1) {
            char why[256];
            EXPECT_TRUE(check_world(why, sizeof why)) << "after " << frames << " frames: " << why;
        }
    });
    // The game ran its frames on this map: camera clamped to column 1, the
    // hero obeyed its order, the terrain stayed as it was.
    EXPECT_EQ(first_camera_x, 1);
    EXPECT_TRUE(hero_moved);
    // The hero reached the grunts and the fight removed some, so the world
    // checks ran through walks, swings and deaths.
    EXPECT_LT(unit_count, saved.count);
    EXPECT_TRUE(same(layers{take_layers().terrain, saved.cells.objects}, saved.cells));
}

TEST_F(MapRoundTrip, AScriptTypesAWholeNameIntoTheSaveDialog)
{
    const std::string name = "карта 7"_cp;
    // The file's name on disk is UTF-8, as a file manager shows it.
    const std::string path = "data/map/карта 7.map";
    std::filesystem::remove(path);
    // Pass 1 opens the dialog, its name "single" is erased, then the script
    // types the new name one character a pass.
    click(1, save_map_button);
    int32_t pass = erase(2, 6);
    const std::string script = std::to_string(pass) + " type карта 7\n";
    int line = 0;
    const char* error = "";
    ASSERT_TRUE(headless_load_script(script.c_str(), line, error)) << error;
    pass += 7;
    click(pass, save_yes);
    checks[pass] = [&name] { EXPECT_EQ(std::string(map_name), name); };
    run_editor(pass + 1);
    EXPECT_TRUE(std::filesystem::exists(path));
}

}  // namespace
