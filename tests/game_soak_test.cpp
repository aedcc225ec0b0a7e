#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/random.h"
#include "game/behaviour.h"
#include "game/grids.h"
#include "game/path_finding.h"
#include "game/world_check.h"
#include "input/input_latch.h"
#include "play/game_loop.h"
#include "world/map.h"
#include "world/units.h"

// Long battles on a crowded map: the same start replays the same game, and
// the world stays consistent however long it runs.

namespace {

constexpr int battle_size = 128;
constexpr int battle_units = 320;

// Effects played, counted only.
int effects_played = 0;
void count_effect(int32_t, int32_t, int32_t)
{
    ++effects_played;
}

// What a battle did, to tell that it was a real one.
struct battle_record {
    std::vector<uint64_t> hashes;     // world_hash at every checkpoint
    std::vector<uint64_t> unit_hashes;  // the unit table alone
    bool state_seen[state_count] = {};
    int removals = 0;
    int spawned = 0;
    int orders = 0;
    int lowest_live = max_units;
};

uint64_t unit_table_hash()
{
    uint64_t h = 14695981039346656037ull;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(unit_table);
    for (size_t i = 0; i < sizeof unit_table; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

// Animation rolls as the sprite sets give them, short: stand 1 slot, walk 4,
// attack 3, die 2.
void fill_rolls()
{
    std::memset(unit_anims, 0, sizeof unit_anims);
    const int rolls[4] = {1, 4, 3, 2};
    for (int race = 0; race < race_count; ++race)
        for (int action = 0; action < 4; ++action)
            for (int dir = 0; dir < direction_count; ++dir)
                for (int s = 0; s < rolls[action]; ++s)
                    unit_anims[race][action][dir][s] = {0, 0, 0, 0, 0, 32, 32};
}

// A cell a new unit may stand on: free ground inside the band.
bool open_cell(int x, int y)
{
    return x >= 2 && y >= 2 && x < map_width - 2 && y < map_height - 2 &&
           base_grid[x][y] == grid_free;
}

// Spawns a unit of kind (11 or 12) and team choice at a free cell near
// (cx, cy), writing its object and grid cells; false when none was found.
bool spawn_near(std::mt19937& rng, int cx, int cy, int spread, int kind, int choice)
{
    for (int tries = 0; tries < 50; ++tries) {
        const int x = cx + static_cast<int>(rng() % (2 * spread + 1)) - spread;
        const int y = cy + static_cast<int>(rng() % (2 * spread + 1)) - spread;
        if (!open_cell(x, y))
            continue;
        const int slot = spawn_unit(x, y, kind, choice);
        if (slot == 0)
            return false;
        object_layer[x][y] = {object_unit, slot, 0};
        base_grid[x][y] = grid_blocked;
        return true;
    }
    return false;
}

// One of the seven teams besides the hero's, as a kind code and choice.
void pick_team(std::mt19937& rng, int& kind, int& choice)
{
    kind = rng() % 2 ? kind_code_grunt : kind_code_footman;
    choice = static_cast<int>(rng() % 4);
}

// A 128 x 128 map of grass with lakes, stone, trees and rocks; the hero in
// the middle and battle_units units of all teams in camps around it. The
// same seed builds the same world and leaves the generator in the same state.
void build_battle(uint32_t seed)
{
    std::mt19937 rng(seed);
    clear_layers();
    clear_units();
    fill_rolls();
    set_random_state(1);
    map_width = map_height = battle_size;
    for (int x = 0; x < battle_size; ++x)
        for (int y = 0; y < battle_size; ++y)
            terrain_layer[x][y].kind = rng() % 7 == 0 ? terrain_stone : terrain_grass;
    for (int lake = 0; lake < 25; ++lake) {
        const int cx = static_cast<int>(rng() % battle_size);
        const int cy = static_cast<int>(rng() % battle_size);
        const int r = 1 + static_cast<int>(rng() % 4);
        for (int x = cx - r; x <= cx + r; ++x)
            for (int y = cy - r; y <= cy + r; ++y)
                if (x >= 0 && y >= 0 && x < battle_size && y < battle_size &&
                    (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                    terrain_layer[x][y].kind = rng() % 2 ? terrain_deep_water : terrain_shallow_water;
    }
    for (int i = 0; i < 500; ++i) {
        const int x = 2 + static_cast<int>(rng() % (battle_size - 4));
        const int y = 2 + static_cast<int>(rng() % (battle_size - 4));
        if (terrain_layer[x][y].kind == terrain_grass)
            object_layer[x][y] = rng() % 3 ? object_cell {object_tree, 1 + static_cast<int32_t>(rng() % 5), 150}
                                           : object_cell {object_rock, 11 + static_cast<int32_t>(rng() % 5), 250};
    }
    ASSERT_TRUE(setup_grids(battle_size, battle_size));
    block_map();
    for (int x = 60; x < 70; ++x)
        for (int y = 60; y < 70; ++y)
            if (open_cell(x, y) && unit_table[1].active == 0) {
                place_hero(x, y);
                unit_count = 1;
                object_layer[x][y] = {object_unit, 1, 0};
                base_grid[x][y] = grid_blocked;
            }
    ASSERT_EQ(unit_table[1].active, 1);
    // Camps of one team each, close enough together to meet.
    while (unit_count < battle_units + 1) {
        const int cx = 20 + static_cast<int>(rng() % (battle_size - 40));
        const int cy = 20 + static_cast<int>(rng() % (battle_size - 40));
        int kind, choice;
        pick_team(rng, kind, choice);
        for (int i = 0; i < 8 && unit_count < battle_units + 1; ++i)
            spawn_near(rng, cx, cy, 3, kind, choice);
    }
    char why[200];
    ASSERT_TRUE(check_world(why, sizeof why)) << why;
    camera_x = unit_table[1].cell_x - 12;
    camera_y = unit_table[1].cell_y - 10;
    effect_player = count_effect;
    effect_sword[0] = 0;
    effect_sword[1] = 1;
    effect_sword[2] = 2;
    effect_orc_death = 3;
    effect_human_death = 4;
}

// The player's right click on the cell (cx, cy), given by the game loop's
// own give_order: an attack on an enemy unit there, else a move to the
// nearest free cell. The camera is put on the cell for the click and then
// back, since it decides which swings are heard, and so the generator's
// draws.
void order_hero(int32_t cx, int32_t cy)
{
    const int32_t saved_x = camera_x, saved_y = camera_y;
    camera_x = cx;
    camera_y = cy;
    cursor_x = 0;
    cursor_y = 0;
    right_down = 1;
    give_order();
    camera_x = saved_x;
    camera_y = saved_y;
}

// What happens between frames: the hero's orders every 250 frames, and
// reinforcements every 100 frames while fewer than battle_units units live.
// The scripting has its own generator so the game's draws stay its own.
struct battle_script {
    std::mt19937 rng {12345};
    // Frame at which one draw of the game's generator is added (+1) or
    // undone (-1), to show that the draw order decides the game.
    int perturb_frame = -1;
    int perturb = 0;
};

void between_frames(battle_script& script, int frame, battle_record& record)
{
    if (frame == script.perturb_frame) {
        if (script.perturb > 0) {
            random_draw();
        } else {
            // One draw fewer: step the generator back.
            uint32_t inv = 214013u;
            for (int i = 0; i < 5; ++i)
                inv *= 2u - 214013u * inv;
            set_random_state((random_state() - 2531011u) * inv);
        }
    }
    if (frame % 250 == 0 && unit_table[1].active) {
        const unit& h = unit_table[1];
        const int32_t cx = h.cell_x + static_cast<int32_t>(script.rng() % 21) - 10;
        const int32_t cy = h.cell_y + static_cast<int32_t>(script.rng() % 21) - 10;
        order_hero(cx, cy);
        ++record.orders;
    }
    if (frame % 100 == 0) {
        for (int i = 0; i < 10 && unit_count < battle_units; ++i) {
            int kind, choice;
            pick_team(script.rng, kind, choice);
            const int cx = 10 + static_cast<int>(script.rng() % (battle_size - 20));
            const int cy = 10 + static_cast<int>(script.rng() % (battle_size - 20));
            if (spawn_near(script.rng, cx, cy, 4, kind, choice))
                ++record.spawned;
        }
    }
}

// Runs `frames` frames of the battle built by build_battle, hashing every
// `hash_every` frames and checking the world every `check_every` frames.
battle_record run_battle(int frames, int hash_every, int check_every, battle_script script = {})
{
    battle_record record;
    for (int frame = 1; frame <= frames; ++frame) {
        between_frames(script, frame, record);
        const int before = unit_count;
        update_units();
        // unit_count only falls in update_units, one per removal.
        record.removals += before - unit_count;
        int live = 0;
        for (int slot = 1; slot < max_units; ++slot)
            if (unit_table[slot].active) {
                ++live;
                const int32_t state = unit_table[slot].state;
                if (state >= 0 && state < state_count)
                    record.state_seen[state] = true;
            }
        if (live < record.lowest_live)
            record.lowest_live = live;
        if (frame % check_every == 0) {
            char why[200];
            if (!check_world(why, sizeof why)) {
                ADD_FAILURE() << "frame " << frame << ": " << why;
                return record;
            }
        }
        if (frame % hash_every == 0) {
            record.hashes.push_back(world_hash());
            record.unit_hashes.push_back(unit_table_hash());
        }
    }
    return record;
}

void expect_real_battle(const battle_record& r, int frames)
{
    for (int s = 0; s < state_count; ++s)
        EXPECT_TRUE(r.state_seen[s]) << "state " << s << " never seen";
    EXPECT_GT(r.removals, frames / 500) << "too few units fell";
    EXPECT_GT(r.orders, 0);
    EXPECT_GT(effects_played, 0);
}

class GameSoak : public ::testing::Test {
protected:
    void TearDown() override
    {
        effect_player = nullptr;
    }
};

TEST_F(GameSoak, TheSameStartReplaysTheSameBattle)
{
    constexpr int frames = 6000;
    build_battle(7);
    effects_played = 0;
    const battle_record first = run_battle(frames, 500, 500);
    expect_real_battle(first, frames);
    build_battle(7);
    const battle_record second = run_battle(frames, 500, 500);
    ASSERT_EQ(first.hashes.size(), static_cast<size_t>(frames / 500));
    EXPECT_EQ(first.hashes, second.hashes);
    EXPECT_EQ(first.removals, second.removals);

    // One draw more, or one fewer (as if the stand decision's unused draw
    // were skipped once), at frame 1000 changes the game that follows.
    for (int perturb : {1, -1}) {
        build_battle(7);
        battle_script script;
        script.perturb_frame = 1000;
        script.perturb = perturb;
        const battle_record changed = run_battle(frames, 500, 500, script);
        SCOPED_TRACE(perturb > 0 ? "one draw more" : "one draw fewer");
        EXPECT_EQ(changed.hashes[0], first.hashes[0]);  // frame 500: before the change
        for (size_t i = 1; i < changed.hashes.size(); ++i)
            EXPECT_NE(changed.hashes[i], first.hashes[i]) << "checkpoint " << i;
        EXPECT_NE(changed.unit_hashes.back(), first.unit_hashes.back());
    }
}

TEST_F(GameSoak, ShortBattleKeepsTheWorldConsistent)
{
    constexpr int frames = 5000;
    build_battle(11);
    effects_played = 0;
    const battle_record r = run_battle(frames, 1000, 100);
    expect_real_battle(r, frames);
    EXPECT_GE(r.lowest_live, 250);
}

// The full soak: 100,000 frames, the world checked every 100. Registered
// with the label "soak".
TEST_F(GameSoak, FullHundredThousandFrames)
{
    constexpr int frames = 100000;
    build_battle(13);
    effects_played = 0;
    const battle_record r = run_battle(frames, 10000, 100);
    expect_real_battle(r, frames);
    EXPECT_GE(r.lowest_live, 250);
    EXPECT_GT(r.spawned, 100);
}

}  // namespace
