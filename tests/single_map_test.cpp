// The scenario map "single" of the generated data set: what the game needs
// of its layout (the hero alone in a corner, camps apart, objects and units
// on dry land, object cells in step with the unit table, all seven terrain
// kinds), and a whole game played through the real game loop by an
// autopilot that right-clicks the nearest enemy whenever the hero stands
// with none in reach. The game must be won, and not trivially.
#include "game_fixture.h"

#include <cstdio>
#include <cstdlib>

#include "game/path_finding.h"

using namespace game_test;

namespace {

class SingleMap : public ::testing::Test {
protected:
    void SetUp() override
    {
        prepare_data_folder();
        // The test's own data/map holds the generated scenario.
        fs::copy_file(fs::path(BRASK_DATA_DIR) / "map" / "single.map", "data/map/single.map",
                      fs::copy_options::overwrite_existing);
    }
};

int chebyshev(const unit& a, const unit& b)
{
    return std::max(std::abs(a.cell_x - b.cell_x), std::abs(a.cell_y - b.cell_y));
}

bool is_water(int x, int y)
{
    int kind = terrain_layer[x][y].kind;
    return kind == terrain_deep_water || kind == terrain_shallow_water;
}

// Loads the scenario as the game does: layers cleared, the map, the grids.
void load_scenario()
{
    clear_layers();
    clear_units();
    ASSERT_TRUE(load_map("single")) << map_refusal();
    ASSERT_TRUE(setup_grids(map_width, map_height));
    block_map();
}

TEST_F(SingleMap, IsAFullSizeMapWhoseObjectCellsAndUnitsAgree)
{
    load_scenario();
    EXPECT_EQ(map_width, 128);
    EXPECT_EQ(map_height, 128);
    char why[256];
    EXPECT_TRUE(check_world(why, sizeof why)) << why;
    // Every stored slot is a live unit (none reserved and empty), so the
    // file's unit count is the count of live units.
    for (int slot = 1; slot <= unit_count; ++slot)
        EXPECT_EQ(unit_table[slot].active, 1) << "slot " << slot;
    const unit& hero = unit_table[1];
    EXPECT_EQ(hero.team, hero_team);
    EXPECT_EQ(hero.max_hit_points, 600);
    for (int slot = 2; slot <= unit_count; ++slot) {
        const unit& u = unit_table[slot];
        EXPECT_NE(u.team, hero_team) << "slot " << slot;
        EXPECT_EQ(u.max_hit_points, 80) << "slot " << slot;
    }
}

TEST_F(SingleMap, HasEveryTerrainKindAndNothingStandsOnWater)
{
    load_scenario();
    int kinds[terrain_kind_count] = {};
    int trees = 0, rocks = 0;
    for (int x = 0; x < map_width; ++x)
        for (int y = 0; y < map_height; ++y) {
            ++kinds[terrain_layer[x][y].kind];
            const object_cell& o = object_layer[x][y];
            if (o.kind == object_none)
                continue;
            ASSERT_LT(x + 1, map_width);
            ASSERT_LT(y + 1, map_height);
            // The cell and the vertices of its picture are all dry.
            EXPECT_FALSE(is_water(x, y) || is_water(x + 1, y) || is_water(x, y + 1) || is_water(x + 1, y + 1))
                << "object " << o.kind << " at " << x << "," << y;
            if (o.kind == object_unit)
                continue;
            // The tools' frames and values.
            if (o.kind == object_tree)
                ++trees;
            else
                ++rocks;
            const bool frame_ok = o.kind == object_tree ? o.index >= 1 && o.index <= 5 : o.index >= 11 && o.index <= 15;
            EXPECT_TRUE(frame_ok) << x << "," << y;
            EXPECT_TRUE(o.value >= 140 && o.value <= 309) << x << "," << y;
        }
    // Lakes and a river, shores, meadows, woods, swamp and highlands: each
    // kind covers a fair part of the map.
    for (int kind = 0; kind < terrain_kind_count; ++kind)
        EXPECT_GT(kinds[kind], 200) << "terrain kind " << kind;
    EXPECT_GT(trees, 400);
    EXPECT_GT(rocks, 100);
}

TEST_F(SingleMap, TheHeroStartsAloneInACornerAndNoRivalsSeeEachOtherAtTheStart)
{
    load_scenario();
    const unit& hero = unit_table[1];
    EXPECT_LE(hero.cell_x, 10);
    EXPECT_LE(hero.cell_y, 10);
    bool teams[team_count] = {};
    for (int a = 2; a <= unit_count; ++a) {
        const unit& u = unit_table[a];
        teams[u.team] = true;
        // Well out of sight of each other.
        EXPECT_GT(chebyshev(u, hero), 2 * u.sight_range) << "slot " << a << " is too close to the start";
        // Units that see an enemy act at once; the camps wait for the hero.
        for (int b = a + 1; b <= unit_count; ++b) {
            if (unit_table[b].team != u.team) {
                EXPECT_GT(chebyshev(u, unit_table[b]), u.sight_range)
                    << "slots " << a << " and " << b << " see each other";
            }
        }
    }
    int team_total = 0;
    for (bool t : teams)
        team_total += t;
    EXPECT_GE(team_total, 6);
}

// --- The autopilot -------------------------------------------------------------

// The most frames a game may take.
constexpr int32_t frame_limit = 400000;
// Frames the game runs on after victory (the line must show).
constexpr int32_t frames_after_victory = 5;
// The world is checked this often.
constexpr int32_t check_period = 100;

struct autopilot {
    int32_t order_pass = -1;   // the pass whose frame receives the next order
    int32_t orders = 0;
    int32_t victory_pass = -1;
    int32_t lowest_hp = 0;
    int32_t damage_by_hero = 0;
    int32_t damage_by_rivals = 0;  // enemies hurting each other
    int32_t rival_swings = 0;      // swings of enemies at each other
    int32_t hero_swing_target = 0; // the hero's target while it swings
    int32_t last_hp[max_units] = {};
    bool swinging[max_units] = {};
    int world_failures = 0;
    std::string first_failure;
};
autopilot pilot;

// The live enemy nearest the hero (by distance, then slot) that a route
// reaches; 0 when none.
int nearest_reachable_enemy()
{
    const unit& hero = unit_table[1];
    static path_cell scratch[max_path];
    bool tried[max_units] = {};
    for (;;) {
        int best = 0, best_distance = 1 << 30;
        for (int slot = 2; slot < max_units; ++slot) {
            const unit& u = unit_table[slot];
            if (!u.active || u.state == state_dead || tried[slot])
                continue;
            int d = chebyshev(u, hero);
            if (d < best_distance) {
                best = slot;
                best_distance = d;
            }
        }
        if (best == 0)
            return 0;
        tried[best] = true;
        int32_t gx = unit_table[best].cell_x, gy = unit_table[best].cell_y;
        if (find_path(hero.attack_range, gx, gy, hero.cell_x, hero.cell_y, scratch) != -1)
            return best;
    }
}

bool enemy_in_reach()
{
    for (int slot = 2; slot < max_units; ++slot)
        if (unit_table[slot].active && in_range(1, slot))
            return true;
    return false;
}

// The right click on an enemy, as a player makes it: the camera brought
// over it, the pointer on its cell, the button pressed in the next frame and
// released in the one after.
void order_attack(int32_t pass, int target)
{
    const unit& t = unit_table[target];
    camera_x = t.cell_x - centre_columns;
    camera_y = t.cell_y - centre_rows;
    clamp_camera();
    at(pass + 1, event_move, cursor_for(t.cell_x, camera_x), cursor_for(t.cell_y, camera_y));
    at(pass + 1, event_right_down);
    at(pass + 2, event_right_up);
    pilot.order_pass = pass + 2;
    ++pilot.orders;
}

void watch_frame(int32_t pass)
{
    const unit& hero = unit_table[1];
    // Who hurt whom: a drop in an enemy's hit points in the frame the hero's
    // swing at it ended is the hero's; any other drop is a rival's blow.
    for (int slot = 2; slot < max_units; ++slot) {
        const unit& u = unit_table[slot];
        int32_t hp = u.active ? u.hit_points : 0;
        if (u.active && hp < pilot.last_hp[slot]) {
            if (slot == pilot.hero_swing_target && hero.phase == 4)
                pilot.damage_by_hero += pilot.last_hp[slot] - hp;
            else
                pilot.damage_by_rivals += pilot.last_hp[slot] - hp;
        }
        pilot.last_hp[slot] = hp;
    }
    for (int slot = 2; slot < max_units; ++slot) {
        const unit& u = unit_table[slot];
        // A swing begins when a unit turns to attacking.
        const bool swinging = u.active && u.state == state_attack && u.phase == 8;
        if (swinging && !pilot.swinging[slot] && u.target > 1)
            ++pilot.rival_swings;
        pilot.swinging[slot] = swinging;
    }
    pilot.hero_swing_target = hero.state == state_attack && hero.phase == 8 ? hero.target : 0;
    if (hero.active && hero.hit_points < pilot.lowest_hp)
        pilot.lowest_hp = hero.hit_points;

    if (pass % check_period == 0) {
        char why[256];
        if (!check_world(why, sizeof why) && pilot.world_failures++ == 0)
            pilot.first_failure = "pass " + std::to_string(pass) + ": " + why;
    }
    if (!hero.active) {
        quit_requested = 1;  // lost
        return;
    }
    if (unit_count == 1) {
        if (pilot.victory_pass < 0) {
            pilot.victory_pass = pass;
            headless_keep_frames(true);  // for a look at the end-of-game line
        }
        if (pass >= pilot.victory_pass + frames_after_victory)
            quit_requested = 1;
        return;
    }
    if (pass < pilot.order_pass || hero.state != state_stand || enemy_in_reach())
        return;
    int target = nearest_reachable_enemy();
    if (target != 0)
        order_attack(pass, target);
}

TEST_F(SingleMap, AnAutopilotAttackingTheNearestEnemyWinsAfterAHardFight)
{
    begin_run();
    at(0, event_move, 400, 300);  // away from the scrolling edges
    pilot = autopilot {};
    pilot.lowest_hp = 600;
    for (int32_t& hp : pilot.last_hp)
        hp = 80;
    run_game(frame_limit, watch_frame, false);
    EXPECT_EQ(pilot.world_failures, 0) << pilot.first_failure;
    const unit& hero = unit_table[1];
    std::printf("single: %s after %d frames, %d orders; the hero's hit points fell to %d of 600 "
                "(%d lost at the worst), it dealt %d damage; rivals swung %d times at each other and dealt %d\n",
                pilot.victory_pass >= 0 ? "won" : "not won", pilot.victory_pass >= 0 ? pilot.victory_pass : headless_pass(),
                pilot.orders, pilot.lowest_hp, 600 - pilot.lowest_hp, pilot.damage_by_hero, pilot.rival_swings,
                pilot.damage_by_rivals);
    ASSERT_GE(pilot.victory_pass, 0) << (hero.active ? "the game did not end" : "the hero fell");
    EXPECT_EQ(hero.active, 1);
    EXPECT_EQ(unit_count, 1);
    // "Вы Победили !" shows in its white box.
    int w = 0, h = 0;
    const uint16_t* frame = headless_frame(w, h);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame[(h - 73 + 10) * w + 255], static_cast<uint16_t>(colour_white));
    // Not trivial: at some point the hero had lost a third of its health.
    EXPECT_LE(pilot.lowest_hp, 400);
    // Rival camps met and fought each other somewhere along the way.
    EXPECT_GT(pilot.rival_swings, 0);
    EXPECT_EQ(headless_box_count(), 0);
}

}  // namespace
