#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
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

namespace {

// One effect the behaviour played.
struct played_effect {
    int32_t pan;
    int32_t volume;
    int32_t slot;
};
std::vector<played_effect> played;

void record_effect(int32_t pan, int32_t volume, int32_t slot)
{
    played.push_back({pan, volume, slot});
}

// Roll lengths of the test's animation table, by action.
constexpr int stand_roll = 1;
constexpr int walk_roll = 4;
constexpr int attack_roll = 3;
constexpr int die_roll = 2;

// The generator's step and its inverse, to place a chosen value at a chosen
// draw.
constexpr uint32_t lcg_a = 214013u;
constexpr uint32_t lcg_c = 2531011u;

uint32_t lcg_inverse()
{
    uint32_t inv = lcg_a;  // Newton's iteration for the inverse mod 2^32
    for (int i = 0; i < 5; ++i)
        inv *= 2u - lcg_a * inv;
    return inv;
}

// Sets the generator so that, after `skip` draws, the next draw is `value`.
void force_draw(int skip, int value)
{
    uint32_t state = static_cast<uint32_t>(value) << 16;
    const uint32_t inv = lcg_inverse();
    for (int i = 0; i <= skip; ++i)
        state = (state - lcg_c) * inv;
    set_random_state(state);
}

// The draws that follow the generator state `state`.
std::vector<int> draws_after(uint32_t state, int count)
{
    const uint32_t saved = random_state();
    set_random_state(state);
    std::vector<int> values;
    for (int i = 0; i < count; ++i)
        values.push_back(random_draw());
    set_random_state(saved);
    return values;
}

// How many draws lead from state `from` to state `to` (up to 100), or -1.
int draws_between(uint32_t from, uint32_t to)
{
    for (int n = 0; n <= 100; ++n) {
        if (from == to)
            return n;
        from = from * lcg_a + lcg_c;
    }
    return -1;
}

class Behaviour : public ::testing::Test {
protected:
    void SetUp() override
    {
        open_map(32, 32);
        std::memset(unit_anims, 0, sizeof unit_anims);
        const int rolls[4] = {stand_roll, walk_roll, attack_roll, die_roll};
        for (int race = 0; race < race_count; ++race)
            for (int action = 0; action < 4; ++action)
                for (int dir = 0; dir < direction_count; ++dir)
                    for (int s = 0; s < rolls[action]; ++s)
                        unit_anims[race][action][dir][s] = {0, 0, 0, 0, 0, 32, 32};
        camera_x = 0;
        camera_y = 0;
        effect_sword[0] = 10;
        effect_sword[1] = 11;
        effect_sword[2] = 12;
        effect_orc_death = 20;
        effect_human_death = 21;
        effect_player = record_effect;
        sound_screen_width = 800;
        sound_screen_height = 600;
        played.clear();
        set_random_state(1);
    }

    void TearDown() override
    {
        effect_player = nullptr;
    }

    // A grass map with its grids, no units.
    static void open_map(int width, int height)
    {
        clear_layers();
        clear_units();
        map_width = width;
        map_height = height;
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                terrain_layer[x][y].kind = terrain_grass;
        ASSERT_TRUE(setup_grids(width, height));
        block_map();
    }

    // Marks the unit's cell in the object layer and the grid, as a loaded map
    // and block_map leave it.
    static void occupy(int slot)
    {
        const unit& u = unit_table[slot];
        object_layer[u.cell_x][u.cell_y] = {object_unit, slot, 0};
        base_grid[u.cell_x][u.cell_y] = grid_blocked;
    }

    static int grunt(int x, int y, int choice = 0)
    {
        int slot = spawn_unit(x, y, kind_code_grunt, choice);
        occupy(slot);
        return slot;
    }

    static int footman(int x, int y, int choice = 0)
    {
        int slot = spawn_unit(x, y, kind_code_footman, choice);
        occupy(slot);
        return slot;
    }

    static void hero(int x, int y)
    {
        place_hero(x, y);
        ++unit_count;
        occupy(1);
    }

    // Keeps a unit out of the way: thinking for a long time.
    static void busy(int slot)
    {
        unit_table[slot].state = state_think;
        unit_table[slot].timer = 1000000;
    }

    static void expect_world_sound()
    {
        char why[200];
        EXPECT_TRUE(check_world(why, sizeof why)) << why;
    }

    // The player's right click on cell (x, y), given by the game loop's own
    // give_order; the camera is put on the cell for the click and then back.
    static void right_click_cell(int x, int y)
    {
        const int32_t saved_x = camera_x, saved_y = camera_y;
        camera_x = x;
        camera_y = y;
        cursor_x = 0;
        cursor_y = 0;
        right_down = 1;
        give_order();
        camera_x = saved_x;
        camera_y = saved_y;
    }

    // Gives a unit a move order to (x, y) as the game loop gives the hero
    // one: another unit takes the hero's slot for the order.
    static void order_move(int slot, int x, int y)
    {
        std::swap(unit_table[1], unit_table[slot]);
        right_click_cell(x, y);
        std::swap(unit_table[1], unit_table[slot]);
        ASSERT_EQ(unit_table[slot].state, state_walk);
        ASSERT_GT(unit_table[slot].path_length, 0);
    }

    // Gives the hero an attack order on the unit in `slot`.
    static void order_attack(int slot)
    {
        right_click_cell(unit_table[slot].cell_x, unit_table[slot].cell_y);
        ASSERT_EQ(unit_table[1].state, state_pursue);
        ASSERT_EQ(unit_table[1].target, slot);
    }

    // Starts a swing of `slot` at `target` as the stand decision does.
    static void begin_swing(int slot, int target)
    {
        force_draw(1, 99);
        stand_state(slot);
        ASSERT_EQ(unit_table[slot].state, state_attack);
        ASSERT_EQ(unit_table[slot].target, target);
    }
};

TEST_F(Behaviour, ApproxDistanceIsTheLargerPlusFiveSixteenthsOfTheSmaller)
{
    const struct {
        int32_t dx, dy, distance;
    } cases[] = {
        {0, 0, 0},     {10, 0, 10},    {0, -10, 10},     {15, 0, 15},       {16, 16, 21},
        {3, 4, 6},     {-32, 16, 37},  {100, 7, 103},    {-12, -12, 15},    {13, 13, 17},
        {0, 16, 16},   {64, -64, 84},  {INT32_MIN, 0, INT32_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(approx_distance(c.dx, c.dy), c.distance) << c.dx << "," << c.dy;
}

TEST_F(Behaviour, StepTowardFacesBySignsAndMovesTheShorterAxisByTheRatio)
{
    const struct {
        int32_t px, py, tx, ty, step;
        int direction;
        int32_t nx, ny;
    } cases[] = {
        {0, 0, 32, 0, 4, 2, 4, 0},        // east
        {32, 0, 0, 0, 4, 6, 28, 0},       // west
        {0, 0, 0, 32, 4, 4, 0, 4},        // south
        {0, 32, 0, 0, 4, 0, 0, 28},       // north
        {0, 0, 32, 32, 4, 3, 4, 4},       // south-east, equal distances move both
        {0, 32, 32, 0, 4, 1, 4, 28},      // north-east
        {32, 0, 0, 32, 4, 5, 28, 4},      // south-west
        {32, 32, 0, 0, 4, 7, 28, 28},     // north-west
        {5, 5, 5, 5, 4, 0, 5, 5},         // already there: nothing moves
        {0, 0, 30, 10, 4, 3, 4, 1},       // x three times as far: y moves 4 / 3
        {0, 0, 10, 25, 4, 3, 2, 4},       // y 25 / 10 = 2 times as far: x moves 4 / 2
        {0, 0, 50, 10, 4, 3, 4, 0},       // ratio 5 > step: the short axis stays
        {30, 0, 32, 0, 4, 2, 32, 0},      // never past the target
        {30, 31, 32, 32, 4, 3, 32, 32},   // on a diagonal neither axis passes
        {2, 0, -10, 0, 4, 6, 0, 0},       // a decreasing coordinate stops at 0
        {64, 64, 96, 32, 32, 1, 96, 32},  // the swing's facing step
    };
    for (const auto& c : cases) {
        int32_t px = c.px, py = c.py;
        EXPECT_EQ(step_toward(px, py, c.tx, c.ty, c.step), c.direction)
            << c.px << "," << c.py << " -> " << c.tx << "," << c.ty;
        EXPECT_EQ(px, c.nx) << c.px << "," << c.py << " -> " << c.tx << "," << c.ty;
        EXPECT_EQ(py, c.ny) << c.px << "," << c.py << " -> " << c.tx << "," << c.ty;
    }
}

TEST_F(Behaviour, FindEnemySearchesRingsInOrderAndSkipsAllies)
{
    const int me = grunt(10, 10, 0);  // team 2
    // Expected order: ring 1, then ring 2, each from its top-left corner
    // along the top, down the right, back along the bottom, up the left.
    const int order[][2] = {
        {9, 9},   {10, 9},  {11, 9},  {11, 10}, {11, 11}, {10, 11}, {9, 11},  {9, 10},
        {8, 8},   {9, 8},   {10, 8},  {11, 8},  {12, 8},  {12, 9},  {12, 10}, {12, 11},
        {12, 12}, {11, 12}, {10, 12}, {9, 12},  {8, 12},  {8, 11},  {8, 10},  {8, 9},
    };
    for (const auto& cell : order)
        footman(cell[0], cell[1], static_cast<int>(cell[0] + cell[1]) % 4);  // teams 5, 6, 7, 3
    // An ally in the first cell of ring 1 is passed over.
    const int ally_cell = object_layer[9][9].index;
    unit_table[ally_cell].team = unit_table[me].team;
    EXPECT_EQ(find_enemy(0, me), 0);
    for (size_t i = 1; i < std::size(order); ++i) {
        const int found = find_enemy(2, me);
        ASSERT_NE(found, 0) << "step " << i;
        EXPECT_EQ(unit_table[found].cell_x, order[i][0]) << "step " << i;
        EXPECT_EQ(unit_table[found].cell_y, order[i][1]) << "step " << i;
        object_layer[order[i][0]][order[i][1]] = {};
        if (i == 7) {
            EXPECT_EQ(find_enemy(1, me), 0);  // ring 1 emptied but for the ally
        }
    }
    EXPECT_EQ(find_enemy(2, me), 0);
}

TEST_F(Behaviour, FindEnemyLooksOnlyInsideTheSearchBoundsAndAtRealSlots)
{
    const int me = grunt(3, 3, 0);
    object_layer[1][3] = {object_unit, footman(20, 20), 0};  // x = 1 is never searched
    EXPECT_EQ(find_enemy(2, me), 0);
    object_layer[4][4] = {object_unit, 0, 0};    // names no unit
    object_layer[4][3] = {object_unit, 700, 0};  // outside the table
    object_layer[4][2] = {object_unit, -5, 0};
    EXPECT_EQ(find_enemy(1, me), 0);
    const int enemy = footman(2, 4);
    EXPECT_EQ(find_enemy(1, me), enemy);
    EXPECT_EQ(find_enemy(1000000000, me), enemy);  // a huge radius ends
    EXPECT_EQ(find_enemy(4, 0), 0);
    EXPECT_EQ(find_enemy(4, 400), 0);
    // Team 3 is both an orc and a human team: allies.
    clear_units();
    open_map(32, 32);
    const int orc3 = grunt(10, 10, 3);
    footman(11, 10, 3);
    EXPECT_EQ(find_enemy(4, orc3), 0);
}

TEST_F(Behaviour, FindFreeCellTakesTheCellItselfThenTheFirstFreeRingCell)
{
    int32_t x = 10, y = 10;
    EXPECT_TRUE(find_free_cell(x, y, 4));
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 10);
    // Block the centre and the ring cells one by one: each time the next
    // cell in ring order is found.
    const int order[][2] = {{9, 9}, {10, 9}, {11, 9}, {11, 10}, {11, 11}, {10, 11}, {9, 11},
                            {9, 10}, {8, 8}, {9, 8}};
    base_grid[10][10] = grid_blocked;
    for (const auto& cell : order) {
        x = 10;
        y = 10;
        ASSERT_TRUE(find_free_cell(x, y, 2));
        EXPECT_EQ(x, cell[0]);
        EXPECT_EQ(y, cell[1]);
        base_grid[cell[0]][cell[1]] = grid_blocked;
    }
    // Nothing free within radius 1: false, x and y unchanged.
    x = 10;
    y = 10;
    EXPECT_FALSE(find_free_cell(x, y, 1));
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 10);
    // Cells at x or y 1 are not searched even if free; cells off the tables
    // are refused without reading them.
    base_grid[1][20] = grid_free;
    x = 2;
    y = 20;
    base_grid[2][20] = grid_blocked;
    base_grid[3][19] = base_grid[3][20] = base_grid[3][21] = grid_blocked;
    base_grid[2][19] = base_grid[2][21] = grid_blocked;
    EXPECT_FALSE(find_free_cell(x, y, 1));
    const int32_t far_off[][2] = {{-1000, 5}, {5, 100000}, {200, 200}, {300, 10}};
    for (const auto& cell : far_off) {
        x = cell[0];
        y = cell[1];
        EXPECT_FALSE(find_free_cell(x, y, 1000000));
        EXPECT_EQ(x, cell[0]);
        EXPECT_EQ(y, cell[1]);
    }
    // A cell just off the tables still finds the map through its rings.
    x = -1;
    y = 10;
    EXPECT_TRUE(find_free_cell(x, y, 3));
    EXPECT_EQ(x, 2);
}

TEST_F(Behaviour, InRangeIsChebyshevWithinTheUnitsOwnRange)
{
    const int me = grunt(10, 10);
    const int other = footman(20, 20);
    const struct {
        int range, dx, dy;
        bool in;
    } cases[] = {
        {1, 1, 1, true},   {1, -1, 0, true}, {1, 2, 0, false}, {1, 0, -2, false},
        {2, 2, -2, true},  {2, 3, 1, false}, {0, 0, 0, true},  {0, 1, 0, false},
    };
    for (const auto& c : cases) {
        unit_table[me].attack_range = c.range;
        unit_table[other].cell_x = 10 + c.dx;
        unit_table[other].cell_y = 10 + c.dy;
        EXPECT_EQ(in_range(me, other), c.in) << c.range << " " << c.dx << "," << c.dy;
    }
    EXPECT_FALSE(in_range(me, 0));
    EXPECT_FALSE(in_range(me, 400));
    EXPECT_FALSE(in_range(me, -1));
    EXPECT_FALSE(in_range(0, me));
}

// The stand decision for every band of r, with an enemy in reach and out of
// reach. The first draw is not used; r is the second.
TEST_F(Behaviour, StandDecisionFollowsTheSecondDraw)
{
    struct outcome {
        int32_t state;
        bool think_timer;
    };
    const struct {
        int r;
        outcome in_reach;
        outcome out_of_reach;
    } cases[] = {
        {0, {state_stand, false}, {state_stand, false}},
        {1, {state_flee, false}, {state_flee, false}},
        {3, {state_flee, false}, {state_flee, false}},
        {4, {state_think, true}, {state_think, true}},
        {8, {state_think, true}, {state_think, true}},
        {9, {state_wander, false}, {state_wander, false}},
        {10, {state_wander, false}, {state_wander, false}},
        {11, {state_pursue, false}, {state_pursue, false}},
        {25, {state_pursue, false}, {state_pursue, false}},
        {26, {state_think, true}, {state_pursue, false}},
        {50, {state_think, true}, {state_pursue, false}},
        {51, {state_attack, false}, {state_pursue, false}},
        {99, {state_attack, false}, {state_pursue, false}},
    };
    for (bool reach : {true, false}) {
        for (const auto& c : cases) {
            open_map(32, 32);
            const int me = grunt(10, 10);
            const int enemy = footman(reach ? 11 : 13, reach ? 11 : 10);
            busy(enemy);
            unit_table[me].timer = 5;
            const outcome& want = reach ? c.in_reach : c.out_of_reach;
            // r is the remainder by 100, so any draw with that remainder does.
            force_draw(1, 300 + c.r);
            const uint32_t before = random_state();
            const std::vector<int> next = draws_after(before, 3);
            stand_state(me);
            const unit& u = unit_table[me];
            SCOPED_TRACE(::testing::Message() << (reach ? "in reach" : "in sight") << " r=" << c.r);
            EXPECT_EQ(u.state, want.state);
            EXPECT_EQ(draws_between(before, random_state()), want.think_timer ? 3 : 2);
            if (want.think_timer)
                EXPECT_EQ(u.timer, 30 + next[2] % 50);
            else
                EXPECT_EQ(u.timer, 5);
            const bool sets_phase = want.state == state_flee || want.state == state_wander ||
                                    want.state == state_pursue || want.state == state_attack;
            EXPECT_EQ(u.phase, sets_phase ? 8 : 0);
            const bool targets = want.state == state_pursue || want.state == state_attack;
            EXPECT_EQ(u.target, targets ? enemy : 0);
            if (want.state == state_attack) {
                EXPECT_EQ(u.action, action_attack);
                EXPECT_EQ(u.anim_step, 0);
                EXPECT_EQ(u.direction, 3);  // facing south-east, toward (11, 11)
                EXPECT_EQ(u.strike_x, 32 * 11);
                EXPECT_EQ(u.strike_y, 32 * 11);
                EXPECT_EQ(u.pixel_x, 320);  // the attacker does not move
                EXPECT_EQ(u.pixel_y, 320);
            } else {
                EXPECT_EQ(u.action, action_stand);
            }
        }
    }
}

TEST_F(Behaviour, WithNoEnemyInSightAUnitStandsAndDrawsOncePerFrame)
{
    const int me = grunt(10, 10);
    footman(15, 10);  // five cells away: out of sight
    busy(2 + 1);
    const uint32_t before = random_state();
    for (int frame = 0; frame < 50; ++frame)
        update_units();
    EXPECT_EQ(unit_table[me].state, state_stand);
    EXPECT_EQ(draws_between(before, random_state()), 50);
    expect_world_sound();
}

// The route of a move order through a one-cell corridor, cell by cell, and
// its timing: a claim, then 8 movement ticks of step_delay + 2 frames, one
// frame to notice the arrival, and the next claim.
TEST_F(Behaviour, MoveWalksTheRouteCellByCellAtItsPace)
{
    const int route[][2] = {{4, 4}, {5, 4}, {6, 5}, {6, 6}, {7, 7}, {8, 7}};
    const int directions[] = {2, 3, 4, 3, 2};
    const struct {
        bool is_hero;
        int frames_per_cell;
    } walkers[] = {{true, 80}, {false, 96}};
    for (const auto& w : walkers) {
        SCOPED_TRACE(w.is_hero ? "hero" : "grunt");
        open_map(32, 32);
        for (int x = 0; x < 32; ++x)
            for (int y = 0; y < 32; ++y)
                terrain_layer[x][y].kind = terrain_shallow_water;
        for (const auto& cell : route)
            terrain_layer[cell[0]][cell[1]].kind = terrain_grass;
        block_map();
        int slot = 1;
        if (w.is_hero)
            hero(route[0][0], route[0][1]);
        else
            slot = grunt(route[0][0], route[0][1]);
        expect_world_sound();
        order_move(slot, route[5][0], route[5][1]);
        const unit& u = unit_table[slot];
        ASSERT_EQ(u.path_length, 5);
        int frame = 0;
        for (int step = 1; step <= 5; ++step) {
            ++frame;
            update_units();
            ASSERT_EQ(u.cell_x, route[step][0]) << "claim " << step << " at frame " << frame;
            ASSERT_EQ(u.cell_y, route[step][1]);
            EXPECT_EQ(u.phase, 1);
            EXPECT_EQ(object_layer[route[step - 1][0]][route[step - 1][1]].kind, object_none);
            EXPECT_EQ(base_grid[route[step - 1][0]][route[step - 1][1]], grid_free);
            expect_world_sound();
            for (int f = 1; f < w.frames_per_cell; ++f) {
                ++frame;
                update_units();
                ASSERT_FALSE(u.pixel_x == 32 * u.cell_x && u.pixel_y == 32 * u.cell_y)
                    << "arrived early, frame " << frame;
            }
            ++frame;
            update_units();
            EXPECT_EQ(u.pixel_x, 32 * route[step][0]) << "frame " << frame;
            EXPECT_EQ(u.pixel_y, 32 * route[step][1]) << "frame " << frame;
            EXPECT_EQ(u.direction, directions[step - 1]);
            EXPECT_EQ(u.anim_step, 0);  // 8 ticks of a 4-slot roll: back to slot 0
            ++frame;
            update_units();  // notices the arrival
            EXPECT_EQ(u.phase, 0);
            EXPECT_EQ(u.state, state_walk);
        }
        ++frame;
        update_units();
        EXPECT_EQ(u.state, state_stand);
        EXPECT_EQ(u.action, action_stand);
        EXPECT_EQ(u.cell_x, 8);
        EXPECT_EQ(u.cell_y, 7);
        EXPECT_EQ(frame, 5 * (w.frames_per_cell + 2) + 1);
        expect_world_sound();
    }
}

// An attack order only brings the hero into reach; the stand decision of the
// next frame swings, and the swing's end plays a sword and lands a hit.
TEST_F(Behaviour, AttackOrderBringsTheHeroIntoReachAndTheStandDecisionSwings)
{
    hero(5, 10);
    const int enemy = grunt(10, 10);
    busy(enemy);
    order_attack(enemy);
    const unit& h = unit_table[1];
    int frames = 0;
    while (h.state == state_pursue && frames < 2000) {
        update_units();
        ++frames;
        expect_world_sound();
    }
    ASSERT_EQ(h.state, state_stand) << "after " << frames << " frames";
    EXPECT_EQ(h.target, 0);
    EXPECT_EQ(h.cell_x, 9);
    EXPECT_EQ(h.cell_y, 10);
    EXPECT_EQ(h.pixel_x, 9 * 32);
    EXPECT_TRUE(in_range(1, enemy));
    EXPECT_TRUE(played.empty());

    force_draw(1, 75);  // r = 75: swing
    update_units();
    ASSERT_EQ(h.state, state_attack);
    EXPECT_EQ(h.target, enemy);
    EXPECT_EQ(h.direction, 2);
    EXPECT_EQ(h.action, action_attack);
    // Three slots of the attack roll, one every step_delay + 2 frames; the
    // swing completes when the fourth (empty) slot comes up.
    for (int f = 1; f < 3 * 10; ++f) {
        update_units();
        ASSERT_EQ(h.phase, 8) << "frame " << f;
    }
    const uint32_t before = random_state();
    const std::vector<int> next = draws_after(before, 3);
    update_units();
    EXPECT_EQ(h.phase, 4);
    EXPECT_EQ(h.anim_step, 0);
    EXPECT_EQ(h.target, 0);
    // The rest was lowered once in the frame the swing completed.
    EXPECT_EQ(h.timer, 10 + next[0] % 50 - 1);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].slot, effect_sword[next[1] % 3]);
    EXPECT_EQ(played[0].pan, 9 * 32 - 400);
    EXPECT_EQ(played[0].volume, 10 * 32 - 600);
    EXPECT_EQ(unit_table[enemy].hit_points, 80 - (35 + next[2] % 25));
    EXPECT_EQ(draws_between(before, random_state()), 3);
    // The rest runs out (its countdown taken down to -1), and the hero
    // stands again.
    int rest = 0;
    while (h.state == state_attack && rest < 100) {
        update_units();
        ++rest;
    }
    EXPECT_EQ(h.state, state_stand);
    EXPECT_EQ(rest, 10 + next[0] % 50 + 1);
    EXPECT_EQ(h.timer, 0);
}

// An attack order that finds the hero a few pixels into its step, with the
// target already in reach of the cell it steps into: the hero finishes the
// step before it stands, so a swing at it, struck at its cell, hits. (Had
// it stood where the order found it, 20 pixels short of its cell, every
// swing would miss.) An order with no route ends the step the same way.
TEST_F(Behaviour, AnOrderBetweenCellsLetsTheHeroFinishItsStepAndBeHit)
{
    for (bool reachable : {true, false}) {
        SCOPED_TRACE(reachable ? "attack order" : "order without a route");
        SetUp();
        hero(5, 10);
        const int enemy = grunt(7, 10);
        busy(enemy);
        right_click_cell(6, 10);
        unit& h = unit_table[1];
        while (h.pixel_x < 5 * 32 + 12)
            update_units();
        ASSERT_EQ(h.cell_x, 6);
        if (reachable) {
            order_attack(enemy);
        } else {
            // Walled in where it stands: the order finds no route.
            for (int y = 9; y <= 11; ++y)
                base_grid[7][y] = base_grid[5][y] = grid_blocked;
            base_grid[6][9] = base_grid[6][11] = grid_blocked;
            right_click_cell(9, 10);
        }
        for (int f = 0; f < 200 && !(h.state == state_stand && h.pixel_x == 6 * 32); ++f)
            update_units();
        ASSERT_EQ(h.state, state_stand);
        EXPECT_EQ(h.pixel_x, 6 * 32);
        EXPECT_EQ(h.pixel_y, 10 * 32);
        busy(1);
        begin_swing(enemy, 1);
        for (int f = 0; f < 30; ++f)
            update_units();
        EXPECT_LT(h.hit_points, h.max_hit_points);
    }
}

// A grunt the hero fells turns to dying in the same frame (its slot comes
// after the hero's), plays its dying roll and only then leaves the table.
TEST_F(Behaviour, AFallenGruntPlaysItsDyingRollThenIsRemoved)
{
    hero(9, 10);
    const int enemy = grunt(10, 10);
    busy(enemy);
    unit_table[enemy].hit_points = 1;
    begin_swing(1, enemy);
    for (int f = 0; f < 30; ++f)
        update_units();
    const unit& g = unit_table[enemy];
    ASSERT_LT(g.hit_points, 1);
    EXPECT_EQ(g.state, state_dead);
    EXPECT_EQ(g.action, action_die);
    EXPECT_EQ(g.step_delay, 12);
    EXPECT_EQ(g.anim_step, 0);
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[1].slot, effect_orc_death);
    EXPECT_EQ(played[1].pan, 10 * 32 - 400);
    EXPECT_EQ(played[1].volume, 10 * 32 - 600);
    EXPECT_EQ(unit_count, 2);
    // Two slots of the dying roll, a step every 14 frames of dying; the
    // frame it fell in was the first.
    for (int f = 1; f < 2 * 14 - 1; ++f) {
        update_units();
        ASSERT_EQ(g.active, 1) << "frame " << f;
        ASSERT_EQ(unit_count, 2);
        ASSERT_EQ(object_layer[10][10].kind, object_unit);
        ASSERT_EQ(base_grid[10][10], grid_blocked);
        EXPECT_EQ(g.anim_step, f < 13 ? 0 : 1) << "frame " << f;
        expect_world_sound();
    }
    update_units();
    EXPECT_EQ(g.active, 0);
    EXPECT_EQ(unit_count, 1);
    EXPECT_EQ(object_layer[10][10].kind, object_none);
    EXPECT_EQ(object_layer[10][10].index, 0);
    EXPECT_EQ(base_grid[10][10], grid_free);
    EXPECT_EQ(played.size(), 2u);  // the cry is played once
    expect_world_sound();
}

TEST_F(Behaviour, DeathCriesByRaceOnlyInView)
{
    const struct {
        bool human;
        int x;
        bool heard;
    } cases[] = {{false, 10, true}, {true, 10, true}, {true, 25, false}, {false, 25, false}};
    for (const auto& c : cases) {
        open_map(32, 32);
        played.clear();
        const int slot = c.human ? footman(c.x, 5) : grunt(c.x, 5);
        unit_table[slot].hit_points = 0;
        unit_table[slot].state = state_attack;  // a swing it had begun is dropped
        unit_table[slot].phase = 8;
        update_units();
        EXPECT_EQ(unit_table[slot].state, state_dead);
        ASSERT_EQ(played.size(), c.heard ? 1u : 0u) << c.human << " at " << c.x;
        if (c.heard) {
            EXPECT_EQ(played[0].slot, c.human ? effect_human_death : effect_orc_death);
        }
    }
}

// Two walkers whose next cell is the same: the lower slot claims it; the
// other finds it blocked and plans again (its goal is free) or stops (its
// goal was that cell).
TEST_F(Behaviour, TwoUnitsSteppingIntoOneCellTheLowerSlotWins)
{
    for (bool lower_from_west : {true, false}) {
        SCOPED_TRACE(lower_from_west ? "slot 2 from the west" : "slot 2 from the east");
        open_map(32, 32);
        const int a = grunt(lower_from_west ? 10 : 12, 10);
        const int b = grunt(lower_from_west ? 12 : 10, 10);
        unit_table[b].team = unit_table[a].team;  // allies, so neither stops to fight
        // a walks to (11, 10) and stops there; b walks through it to (x, 10)
        // three cells beyond.
        unit& ua = unit_table[a];
        ua.state = state_walk;
        ua.goal_x = 11;
        ua.goal_y = 10;
        ua.path[0] = {11, 10};
        ua.path_length = 1;
        unit& ub = unit_table[b];
        const int dir = ub.cell_x < 11 ? 1 : -1;
        ub.state = state_walk;
        ub.goal_x = 11 + 2 * dir;
        ub.goal_y = 10;
        ub.path[0] = {11 + 2 * dir, 10};
        ub.path[1] = {11 + dir, 10};
        ub.path[2] = {11, 10};
        ub.path_length = 3;
        update_units();
        EXPECT_EQ(ua.cell_x, 11);
        EXPECT_EQ(ua.phase, 1);
        EXPECT_EQ(object_layer[11][10].index, a);
        // b keeps its cell and holds a new route around the claimed one.
        EXPECT_EQ(ub.cell_x, lower_from_west ? 12 : 10);
        EXPECT_EQ(ub.phase, 1);
        EXPECT_EQ(ub.state, state_walk);
        ASSERT_EQ(ub.path_length, 3);
        const path_cell next = ub.path[2];
        EXPECT_NE(next.x == 11 && next.y == 10, true);
        EXPECT_EQ(next.x, 11);
        expect_world_sound();
        update_units();  // b notices it stands on its cell
        EXPECT_EQ(ub.phase, 0);
        update_units();  // and claims the detour's first cell
        EXPECT_EQ(ub.cell_x, next.x);
        EXPECT_EQ(ub.cell_y, next.y);
        EXPECT_EQ(ub.phase, 1);
        expect_world_sound();

        // The same meeting when b's goal is the contested cell: b stops.
        open_map(32, 32);
        const int c = grunt(lower_from_west ? 10 : 12, 10);
        const int d = grunt(lower_from_west ? 12 : 10, 10);
        unit_table[d].team = unit_table[c].team;
        for (int slot : {c, d}) {
            unit& u = unit_table[slot];
            u.state = state_walk;
            u.action = action_walk;
            u.goal_x = 11;
            u.goal_y = 10;
            u.path[0] = {11, 10};
            u.path_length = 1;
        }
        update_units();
        EXPECT_EQ(unit_table[c].cell_x, 11);
        EXPECT_EQ(unit_table[d].state, state_stand);
        EXPECT_EQ(unit_table[d].action, action_stand);
        EXPECT_EQ(unit_table[d].goal_x, unit_table[d].cell_x);
        EXPECT_EQ(unit_table[d].cell_x, lower_from_west ? 12 : 10);
        expect_world_sound();
    }
}

// A target that walks away during the swing is missed; the sword still
// sounds.
TEST_F(Behaviour, ASwingMissesATargetThatSteppedAway)
{
    hero(9, 10);
    const int enemy = grunt(10, 10);
    begin_swing(1, enemy);
    // The grunt walks east at 8 pixels a tick: 16 pixels by the swing's end.
    unit& g = unit_table[enemy];
    g.speed = 8;
    g.state = state_walk;
    g.action = action_walk;
    g.goal_x = 11;
    g.goal_y = 10;
    g.path[0] = {11, 10};
    g.path_length = 1;
    for (int f = 0; f < 30; ++f)
        update_units();
    EXPECT_EQ(unit_table[1].phase, 4);
    EXPECT_EQ(g.pixel_x, 10 * 32 + 16);
    EXPECT_EQ(g.hit_points, 80);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_GE(played[0].slot, 10);
    EXPECT_LE(played[0].slot, 12);
}

TEST_F(Behaviour, HitTestUsesTheTargetsPixelDistanceFromTheStrike)
{
    const struct {
        int dx, dy;
        bool hit;
    } cases[] = {{0, 0, true},    {15, 0, true},   {16, 0, false}, {0, -16, false},
                 {-15, 0, true},  {12, 12, true},  {13, 13, false}, {0, 40, false}};
    for (const auto& c : cases) {
        open_map(32, 32);
        hero(9, 10);
        const int enemy = grunt(10, 10);
        busy(enemy);
        begin_swing(1, enemy);
        unit_table[enemy].pixel_x += c.dx;
        unit_table[enemy].pixel_y += c.dy;
        for (int f = 0; f < 30; ++f)
            update_units();
        EXPECT_EQ(unit_table[enemy].hit_points < 80, c.hit) << c.dx << "," << c.dy;
    }
}

TEST_F(Behaviour, SoundsAreHeardStrictlyInsideTheViewAndPlacedByScreenPosition)
{
    camera_x = 3;
    camera_y = 4;
    const int slot = grunt(10, 10);
    const struct {
        int x, y;
        bool in_view;
    } cells[] = {{3, 10, false}, {4, 10, true},  {27, 10, true}, {28, 10, false},
                 {10, 4, false}, {10, 5, true},  {10, 21, true}, {10, 22, false}};
    for (const auto& c : cells) {
        unit_table[slot].cell_x = c.x;
        unit_table[slot].cell_y = c.y;
        EXPECT_EQ(unit_in_view(slot), c.in_view) << c.x << "," << c.y;
    }
    const struct {
        int32_t pixel_x, pixel_y, screen_w, screen_h, pan, volume;
    } places[] = {
        {128, 160, 800, 600, 128 - 96 - 400, 160 - 128 - 600},
        {96 + 400, 128 + 600, 800, 600, 0, 0},
        {96 + 800, 128, 800, 600, 400, -600},
        {100, 200, 1024, 768, 100 - 96 - 512, 200 - 128 - 768},
    };
    for (const auto& p : places) {
        unit_table[slot].pixel_x = p.pixel_x;
        unit_table[slot].pixel_y = p.pixel_y;
        sound_screen_width = p.screen_w;
        sound_screen_height = p.screen_h;
        int32_t pan = 1, volume = 1;
        unit_sound_position(slot, pan, volume);
        EXPECT_EQ(pan, p.pan);
        EXPECT_EQ(volume, p.volume);
    }
}

// Out of view a swing plays nothing and draws no sword number: the rest and
// the damage are its only draws. An effect never loaded plays nothing.
TEST_F(Behaviour, AnUnheardSwingDrawsNoSwordNumber)
{
    for (int x : {9, 26}) {
        open_map(32, 32);
        played.clear();
        hero(x, 10);
        const int enemy = grunt(x + 1, 10);
        busy(enemy);
        begin_swing(1, enemy);
        for (int f = 0; f < 29; ++f)
            update_units();
        const uint32_t before = random_state();
        update_units();
        EXPECT_EQ(draws_between(before, random_state()), x == 9 ? 3 : 2);
        EXPECT_EQ(played.size(), x == 9 ? 1u : 0u);
        EXPECT_LT(unit_table[enemy].hit_points, 80);
    }
    open_map(32, 32);
    played.clear();
    effect_sword[0] = effect_sword[1] = effect_sword[2] = -1;
    hero(9, 10);
    const int enemy = grunt(10, 10);
    busy(enemy);
    begin_swing(1, enemy);
    const uint32_t start = random_state();
    for (int f = 0; f < 30; ++f)
        update_units();
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(draws_between(start, random_state()), 3);
}

TEST_F(Behaviour, SwingAtATargetRemovedMeanwhileEndsWithoutSoundOrDraws)
{
    hero(9, 10);
    const int enemy = grunt(10, 10);
    busy(enemy);
    begin_swing(1, enemy);
    for (int f = 0; f < 29; ++f)
        update_units();
    unit_table[enemy] = unit {};  // gone
    object_layer[10][10] = {};
    base_grid[10][10] = grid_free;
    --unit_count;
    const uint32_t before = random_state();
    update_units();
    EXPECT_EQ(draws_between(before, random_state()), 1);  // the rest only
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(unit_table[1].target, 0);
    EXPECT_EQ(unit_table[1].phase, 4);
    // The rest was not lowered in that frame.
    EXPECT_EQ(unit_table[1].timer, 10 + draws_after(before, 1)[0] % 50);
}

TEST_F(Behaviour, ThinkCountsDownBelowZeroThenStands)
{
    const int slot = grunt(10, 10);
    unit_table[slot].state = state_think;
    unit_table[slot].timer = 3;
    for (int f = 0; f < 4; ++f) {
        update_units();
        EXPECT_EQ(unit_table[slot].state, state_think) << f;
    }
    update_units();  // the countdown taken at -1
    EXPECT_EQ(unit_table[slot].state, state_stand);
}

TEST_F(Behaviour, PursuitOfAVanishedTargetEndsAndNoRoutePauses)
{
    const int slot = grunt(10, 10);
    unit& u = unit_table[slot];
    u.state = state_pursue;
    u.phase = 8;
    u.target = 7;  // never there
    update_units();
    EXPECT_EQ(u.state, state_stand);
    EXPECT_EQ(u.target, 0);
    // Targets outside the table are refused the same way.
    for (int bad : {400, -3, 100000}) {
        u.state = state_pursue;
        u.phase = 8;
        u.target = bad;
        update_unit(slot);
        EXPECT_EQ(u.state, state_stand);
        EXPECT_EQ(u.target, 0);
        u.state = state_pursue;
        u.phase = 0;
        u.target = bad;
        update_unit(slot);
        EXPECT_EQ(u.state, state_stand);
        u.state = state_attack;
        u.phase = 8;
        u.anim_step = 2;
        u.timer = 100;
        u.target = bad;
        update_unit(slot);
        EXPECT_EQ(u.phase, 4);
        EXPECT_EQ(u.target, 0);
    }
    // A target walled in by water: no route, a pause of 30..59 frames.
    const int enemy = footman(20, 20);
    busy(enemy);
    for (int x = 18; x <= 22; ++x)
        for (int y = 18; y <= 22; ++y)
            if (x != 20 || y != 20)
                terrain_layer[x][y].kind = terrain_deep_water;
    block_map();
    u.state = state_pursue;
    u.phase = 8;
    u.target = enemy;
    const uint32_t before = random_state();
    update_unit(slot);
    EXPECT_EQ(u.state, state_think);
    EXPECT_EQ(u.timer, 30 + draws_after(before, 1)[0] % 30);
}

TEST_F(Behaviour, WanderAndFleeWalkToTheirGoals)
{
    hero(20, 20);
    busy(1);
    const int slot = grunt(10, 10);
    unit& u = unit_table[slot];
    u.state = state_wander;
    u.phase = 8;
    const uint32_t before = random_state();
    update_unit(slot);
    const int d = draws_after(before, 1)[0] % 8;
    EXPECT_EQ(u.goal_x, 10 + direction_step[d][0]);
    EXPECT_EQ(u.goal_y, 10 + direction_step[d][1]);
    EXPECT_EQ(u.cell_x, u.goal_x);  // claimed in the same frame
    EXPECT_EQ(u.phase, 1);
    EXPECT_EQ(u.action, action_walk);
    for (int f = 0; f < 200 && u.state == state_wander; ++f)
        update_unit(slot);
    EXPECT_EQ(u.state, state_stand);
    EXPECT_EQ(u.action, action_stand);
    expect_world_sound();

    // Flee from an enemy to the north-west: goal k cells south-east.
    open_map(32, 32);
    const int runner = grunt(10, 10);
    const int chaser = footman(8, 8);
    busy(chaser);
    unit& r = unit_table[runner];
    r.state = state_flee;
    r.phase = 8;
    force_draw(0, 2);  // k = 2
    update_unit(runner);
    EXPECT_EQ(r.goal_x, 12);
    EXPECT_EQ(r.goal_y, 12);
    EXPECT_EQ(r.path_length, 1);
    EXPECT_EQ(r.cell_x, 11);
    EXPECT_EQ(r.cell_y, 11);
    // On a shared row the old goal row stays.
    open_map(32, 32);
    const int r2 = grunt(10, 10);
    busy(footman(7, 10));
    unit_table[r2].goal_y = 13;
    unit_table[r2].state = state_flee;
    unit_table[r2].phase = 8;
    force_draw(0, 1);  // k = 1
    update_unit(r2);
    EXPECT_EQ(unit_table[r2].goal_x, 11);
    EXPECT_EQ(unit_table[r2].goal_y, 13);
    // k = 0 with the enemy on the same row and an old goal equal to the
    // cell: no route, a pause of 10..29.
    open_map(32, 32);
    const int r3 = grunt(10, 10);
    busy(footman(7, 10));
    unit_table[r3].goal_x = 10;
    unit_table[r3].goal_y = 10;
    unit_table[r3].state = state_flee;
    unit_table[r3].phase = 8;
    force_draw(0, 3);  // k = 0
    const uint32_t s3 = random_state();
    update_unit(r3);
    EXPECT_EQ(unit_table[r3].state, state_think);
    EXPECT_EQ(unit_table[r3].timer, 10 + draws_after(s3, 2)[1] % 20);
    // Nobody in sight: flee ends at once.
    open_map(32, 32);
    const int r4 = grunt(10, 10);
    unit_table[r4].state = state_flee;
    unit_table[r4].phase = 8;
    update_unit(r4);
    EXPECT_EQ(unit_table[r4].state, state_stand);
}

// Values that would index outside a table are refused or clamped.
TEST_F(Behaviour, OutOfRangeValuesAreNeverReadPast)
{
    // A walk roll that fills all 17 slots: the step after slot 16 loops to 0.
    for (int s = 0; s < anim_slots; ++s)
        unit_anims[0][action_walk][2][s].height = 5;
    const int slot = grunt(10, 10);
    unit& u = unit_table[slot];
    u.state = state_walk;
    u.action = action_walk;
    u.direction = 2;
    u.phase = 1;
    u.pixel_x -= 8;
    u.anim_step = 16;
    u.timer = 11;
    update_unit(slot);
    EXPECT_EQ(u.anim_step, 0);
    // The same for a swing and for dying: slot 17 ends the roll.
    for (int s = 0; s < anim_slots; ++s)
        unit_anims[0][action_attack][2][s].height = 5;
    u = unit_table[slot];
    u.state = state_attack;
    u.action = action_attack;
    u.phase = 8;
    u.anim_step = 16;
    u.timer = 11;
    u.target = 0;
    update_unit(slot);
    EXPECT_EQ(u.phase, 4);
    EXPECT_EQ(u.anim_step, 0);
    // Directions, actions and races outside the table count as empty rolls.
    for (int32_t bad : {-1, 8, 1000}) {
        u.state = state_attack;
        u.action = action_attack;
        u.phase = 8;
        u.direction = bad;
        u.anim_step = 0;
        u.timer = 11;
        update_unit(slot);
        EXPECT_EQ(u.phase, 4) << bad;
    }
    u.direction = 2;
    // A path_length outside 1..252 ends the walk without reading the path.
    for (int32_t bad : {0, -5, 253, 100000}) {
        u.state = state_walk;
        u.action = action_walk;
        u.phase = 0;
        u.goal_x = 20;
        u.goal_y = 20;
        u.path_length = bad;
        update_unit(slot);
        EXPECT_EQ(u.state, state_stand) << bad;
        EXPECT_EQ(u.cell_x, 10);
        EXPECT_EQ(u.goal_x, 10);
    }
    // A path entry off the map is a blocked cell, never a claim.
    const path_cell off_map[] = {{-1, 10}, {32, 10}, {10, 200}, {128, 128}};
    for (const path_cell& cell : off_map) {
        u.state = state_walk;
        u.phase = 0;
        u.goal_x = cell.x;
        u.goal_y = cell.y;
        u.path[0] = cell;
        u.path_length = 1;
        update_unit(slot);
        EXPECT_EQ(u.state, state_stand);
        EXPECT_EQ(u.cell_x, 10);
        EXPECT_EQ(u.cell_y, 10);
    }
    expect_world_sound();
    // No such state: nothing happens; slots off the table are ignored.
    u.state = 9;
    const unit before = u;
    update_units();
    EXPECT_EQ(std::memcmp(&before, &u, sizeof u), 0);
    u.state = state_stand;
    update_unit(0);
    update_unit(400);
    update_unit(-1);
    EXPECT_TRUE(advance_path(0));
    EXPECT_TRUE(move_pixels(400));
    EXPECT_FALSE(unit_in_view(-2));
}

// A map may place a unit on the border band or on water; the cell it leaves
// stays blocked, so routes never reach the map's edge.
TEST_F(Behaviour, ACellOfTheBandOrWaterStaysBlockedWhenItsUnitLeaves)
{
    terrain_layer[10][5].kind = terrain_shallow_water;
    const int on_band = grunt(1, 10);
    const int on_water = grunt(10, 5);
    for (int slot : {on_band, on_water}) {
        unit& u = unit_table[slot];
        u.state = state_walk;
        u.action = action_walk;
        u.goal_x = u.cell_x + 1;
        u.goal_y = u.cell_y + 1;
        u.path[0] = {u.goal_x, u.goal_y};
        u.path_length = 1;
    }
    update_units();
    EXPECT_EQ(base_grid[1][10], grid_blocked);
    EXPECT_EQ(base_grid[10][5], grid_blocked);
    EXPECT_EQ(object_layer[1][10].kind, object_none);
    expect_world_sound();
    // And a dying unit on the band leaves it blocked when it is removed.
    const int dying = grunt(30, 20);
    unit_table[dying].hit_points = 0;
    for (int f = 0; f < 40; ++f)
        update_unit(dying);
    EXPECT_EQ(unit_table[dying].active, 0);
    EXPECT_EQ(base_grid[30][20], grid_blocked);
    expect_world_sound();
}

// Each kind of broken world is reported, with its first violation in words.
TEST_F(Behaviour, WorldCheckReportsEachKindOfViolation)
{
    struct corruption {
        const char* name;
        void (*apply)();
        const char* words;
    };
    const corruption cases[] = {
        {"cell names a free slot", [] { object_layer[20][20] = {object_unit, 9, 0}; },
         "names unit 9, which is not active"},
        {"cell names a unit standing elsewhere",
         [] { object_layer[20][20] = {object_unit, 2, 0}; base_grid[20][20] = 255; },
         "names unit 2, which stands at (10, 10)"},
        {"unit off its cell", [] { object_layer[10][10] = {}; base_grid[10][10] = 254; },
         "unit 2 stands at (10, 10)"},
        {"unit_count too high", [] { ++unit_count; }, "unit_count is 4 but 3 units are active"},
        {"water marked free", [] { terrain_layer[15][15].kind = terrain_deep_water; },
         "base_grid at (15, 15) is 254, should be 255"},
        {"free cell blocked", [] { base_grid[16][16] = 255; },
         "base_grid at (16, 16) is 255, should be 254"},
        {"band freed", [] { base_grid[0][5] = 254; }, "base_grid at (0, 5) is 254"},
        {"outside not zero", [] { base_grid[40][5] = 254; }, "base_grid at (40, 5)"},
        {"free slot dirty", [] { unit_table[50].timer = 3; }, "free slot 50 is not cleared"},
        {"slot 0 used", [] { unit_table[0].active = 1; }, "slot 0"},
        {"state out of range", [] { unit_table[2].state = 8; }, "unit 2 has state 8"},
        {"anim_step out of range", [] { unit_table[3].anim_step = 17; }, "anim_step 17"},
        {"unit outside the map", [] { unit_table[3].cell_x = 40; }, "cell_x 40"},
        {"grids of another size", [] { setup_grids(30, 32); }, "grids were built for 30x32"},
    };
    for (const corruption& c : cases) {
        open_map(32, 32);
        hero(5, 5);
        grunt(10, 10);
        footman(12, 12);
        char why[200];
        ASSERT_TRUE(check_world(why, sizeof why)) << why;
        EXPECT_STREQ(why, "");
        c.apply();
        EXPECT_FALSE(check_world(why, sizeof why)) << c.name;
        EXPECT_NE(std::string(why).find(c.words), std::string::npos) << c.name << ": " << why;
    }
    // Live units need not fill 1..unit_count: a removal leaves a gap.
    open_map(32, 32);
    hero(5, 5);
    grunt(10, 10);
    const int last = footman(12, 12);
    unit_table[2].hit_points = 0;
    for (int f = 0; f < 40; ++f)
        update_unit(2);
    ASSERT_EQ(unit_table[2].active, 0);
    EXPECT_EQ(unit_count, 2);
    EXPECT_EQ(unit_table[last].active, 1);
    char why[8];  // a short buffer still ends its text
    EXPECT_TRUE(check_world(why, sizeof why));
    unit_count = 7;
    EXPECT_FALSE(check_world(why, sizeof why));
    EXPECT_EQ(std::strlen(why), 7u);
}

}  // namespace
