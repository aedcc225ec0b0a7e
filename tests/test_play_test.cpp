// Test play from the map editor (F5), through the real editor and game
// loops on the headless backend: the game runs on the map being edited at
// 800 x 600 and the editor comes back as it was, ten times over, without
// ever writing over a map file of the user's, with the undo history kept.
#include <filesystem>
#include <fstream>
#include <string>

#include "core/random.h"
#include "game/world_check.h"
#include "map_editor/test_play.h"
#include "map_editor_fixture.h"
#include "play/game_loop.h"
#include "sound/sound.h"
#include "world/map_hash.h"

using namespace editor_test;

namespace {

namespace fs = std::filesystem;

class TestPlay : public EditorSession {};

// What the editor holds, as far as test play must give it back.
struct editor_state {
    uint64_t world = 0, layers = 0;
    int32_t width = 0, height = 0, units = 0, camera_x = 0, camera_y = 0;
    std::string name;
    int32_t surfaces = 0, sounds = 0, effects = 0, tool = 0, screen_w = 0;
    int32_t tiles[terrain_kind_count] = {}, trees = 0, grunt_sheet = 0;
    bool operator==(const editor_state&) const = default;
};

editor_state take_state()
{
    editor_state s;
    s.world = world_hash();
    s.layers = map_layers_hash();
    s.width = map_width;
    s.height = map_height;
    s.units = unit_count;
    s.camera_x = camera_x;
    s.camera_y = camera_y;
    s.name = map_name;
    s.surfaces = surface_count;
    s.sounds = sound_count;
    s.effects = effect_count;
    s.tool = current_tool;
    s.screen_w = screen_width;
    for (int k = 0; k < terrain_kind_count; ++k)
        s.tiles[k] = tile_slots[k];
    s.trees = tree_slot;
    s.grunt_sheet = unit_images[0][2];
    return s;
}

void tap(int32_t pass, held_key key)
{
    event(pass, event_key_down, 0, 0, key);
    event(pass, event_key_up, 0, 0, key);
}

TEST_F(TestPlay, TheGameRunsOnTheEditedMapAndTheEditorComesBackAsItWas)
{
    // A file of the user's under the scratch name is never written over.
    const std::string user_file = std::string("data/map/") + test_play_name + ".map";
    { std::ofstream(user_file) << "the user's own"; }
    const int32_t plays_before = test_plays_run();

    // A small map: sand painted, the hero and two grunts, the view scrolled.
    int32_t pass = 1;
    click(pass++, terrain_button(terrain_sand));
    press_cell(pass, 5, 5), pass += 2;
    click(pass++, hero_button);
    press_cell(pass, 3, 3), pass += 2;
    click(pass++, grunt_button);
    press_cell(pass, 6, 3), pass += 2;
    press_cell(pass, 7, 4), pass += 2;
    move(pass++, 600, 400);
    editor_state before;
    checks[pass] = [&before] {
        before = take_state();
        EXPECT_EQ(before.units, 3);
    };
    pass += 2;
    // Ten test plays; in each the hero is ordered about and the battle runs.
    for (int play = 0; play < 10; ++play) {
        tap(pass, key_f5);
        checks[pass + 5] = [] {
            EXPECT_EQ(screen_width, 800);
            int w = 0, h = 0;
            headless_video_size(w, h);
            EXPECT_EQ(w, 800);
            EXPECT_STRNE(game_map, "single");
            EXPECT_EQ(terrain_layer[5][5].kind, terrain_sand) << "the game plays the edited map";
            EXPECT_EQ(unit_table[1].team, 1);
            EXPECT_EQ(unit_count, 3);
        };
        move(pass + 6, 300, 300);
        event(pass + 6, event_right_down);
        event(pass + 7, event_right_up);
        // Escape held over several passes: the editor must not end on it.
        event(pass + 60, event_key_down, 0, 0, key_escape);
        event(pass + 64, event_key_up, 0, 0, key_escape);
        checks[pass + 70] = [&before, play] {
            SCOPED_TRACE("after test play " + std::to_string(play + 1));
            EXPECT_TRUE(take_state() == before);
            EXPECT_EQ(take_state().world, before.world);
            EXPECT_EQ(take_state().layers, before.layers);
            EXPECT_EQ(take_state().surfaces, before.surfaces);
            int w = 0, h = 0;
            headless_video_size(w, h);
            EXPECT_EQ(w, 1024);
            EXPECT_EQ(quit_requested, 0);
        };
        pass += 75;
    }
    // The undo history came through the ten games: Ctrl+Z takes the last
    // grunt away again, Ctrl+Y puts it back.
    for (held_key letter : {key_z, key_y}) {
        event(pass, event_key_down, 0, 0, key_ctrl);
        event(pass, event_key_down, 0, 0, letter);
        event(pass, event_key_up, 0, 0, letter);
        event(pass, event_key_up, 0, 0, key_ctrl);
        checks[pass + 2] = [&before, letter] {
            EXPECT_EQ(unit_count, letter == key_z ? 2 : 3);
            if (letter == key_y)
                EXPECT_EQ(map_layers_hash(), before.layers);
        };
        pass += 4;
    }
    run_editor(pass);
    EXPECT_EQ(test_plays_run() - plays_before, 10);
    EXPECT_EQ(headless_box_count(), 0);
    // The user's file is as it was; the scratch copies are gone.
    std::ifstream in(user_file);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "the user's own");
    EXPECT_FALSE(fs::exists(std::string("data/map/") + test_play_name + "2.map"));
    fs::remove(user_file);
}

}  // namespace
