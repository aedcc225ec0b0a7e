#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/random.h"
#include "game/behaviour.h"
#include "world/map.h"
#include "world/units.h"

namespace {

class Units : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_layers();
        clear_units();
        for (int race = 0; race < race_count; ++race)
            for (int team = 0; team < team_count; ++team)
                unit_images[race][team] = 100 + 10 * race + team;
        set_random_state(1);
    }

    // A unit standing on its cell, as the editor leaves it.
    static int spawn_on_cell(int x, int y, int kind_code, int choice)
    {
        int slot = spawn_unit(x, y, kind_code, choice);
        if (slot != 0)
            object_layer[x][y] = {object_unit, slot, 0};
        return slot;
    }
};

TEST_F(Units, SpawnFillsTheFirstFreeSlotFromTwo)
{
    unit_table[2].active = 1;
    unit_count = 2;
    unit_table[3].timer = 17;  // a field spawn_unit does not set keeps its value
    set_random_state(1);
    int slot = spawn_unit(5, 6, kind_code_footman, 0);
    ASSERT_EQ(slot, 3);
    const unit& u = unit_table[3];
    EXPECT_EQ(unit_count, 3);
    EXPECT_EQ(u.active, 1);
    EXPECT_EQ(u.direction, 41 % 8);  // the first draw from state 1
    EXPECT_EQ(u.cell_x, 5);
    EXPECT_EQ(u.cell_y, 6);
    EXPECT_EQ(u.pixel_x, 160);
    EXPECT_EQ(u.pixel_y, 192);
    EXPECT_EQ(u.max_hit_points, 80);
    EXPECT_EQ(u.hit_points, 80);
    EXPECT_EQ(u.damage_min, 7);
    EXPECT_EQ(u.damage_max, 9);
    EXPECT_EQ(u.attack_range, 1);
    EXPECT_EQ(u.sight_range, 4);
    EXPECT_EQ(u.speed, 4);
    EXPECT_EQ(u.step_delay, 10);
    EXPECT_EQ(u.timer, 17);
    EXPECT_EQ(object_layer[5][6].kind, object_none);  // the caller writes the cell
}

TEST_F(Units, TeamChoiceRowsByRace)
{
    struct team_case {
        int kind_code, choice, race, team;
    };
    const team_case cases[] = {
        {kind_code_grunt, 0, race_orc, 2},     {kind_code_grunt, 1, race_orc, 0},
        {kind_code_grunt, 2, race_orc, 4},     {kind_code_grunt, 3, race_orc, 3},
        {kind_code_footman, 0, race_human, 5}, {kind_code_footman, 1, race_human, 6},
        {kind_code_footman, 2, race_human, 7}, {kind_code_footman, 3, race_human, 3},
    };
    unit_count = 1;
    for (const team_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.kind_code << " choice " << c.choice);
        int slot = spawn_unit(1, 1, c.kind_code, c.choice);
        ASSERT_NE(slot, 0);
        EXPECT_EQ(unit_table[slot].race, c.race);
        EXPECT_EQ(unit_table[slot].team, c.team);
        EXPECT_EQ(unit_table[slot].image, unit_images[c.race][c.team]);
        EXPECT_NE(unit_table[slot].team, hero_team);
    }
    // Team 3 of both rows: an orc and a human that are allies.
    EXPECT_EQ(unit_table[5].team, unit_table[9].team);
    EXPECT_NE(unit_table[5].race, unit_table[9].race);
}

TEST_F(Units, SpawnRefusesAFullTableOrAnUnknownTool)
{
    struct refusal_case {
        int count, kind_code, choice;
    };
    const refusal_case cases[] = {
        {max_live_units, kind_code_grunt, 0},
        {max_live_units, kind_code_footman, 3},
        {5, 9, 0},                   // the hero tool is not a unit tool
        {5, kind_code_grunt, 4},     // no fifth team choice
        {5, kind_code_footman, -1},
    };
    for (const refusal_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "count " << c.count << " code " << c.kind_code);
        clear_units();
        unit_count = c.count;
        auto before = std::make_unique<unit[]>(max_units);
        std::memcpy(before.get(), unit_table, sizeof unit_table);
        uint32_t state = random_state();
        EXPECT_EQ(spawn_unit(3, 3, c.kind_code, c.choice), 0);
        EXPECT_EQ(unit_count, c.count);
        EXPECT_EQ(std::memcmp(before.get(), unit_table, sizeof unit_table), 0);
        EXPECT_EQ(random_state(), state);
    }
}

TEST_F(Units, PlaceHeroSetsTheFixedHeroWithOneDraw)
{
    unit_count = 1;
    set_random_state(1);
    place_hero(7, 2);
    const unit& h = unit_table[1];
    EXPECT_EQ(h.direction, 41 % 8);
    EXPECT_EQ(random_draw(), 18467);  // only one draw was taken
    EXPECT_EQ(h.active, 1);
    EXPECT_EQ(h.race, race_orc);
    EXPECT_EQ(h.team, hero_team);
    EXPECT_EQ(h.image, unit_images[race_orc][hero_team]);
    EXPECT_EQ(h.max_hit_points, 600);
    EXPECT_EQ(h.hit_points, 600);
    EXPECT_EQ(h.damage_min, 35);
    EXPECT_EQ(h.damage_max, 60);
    EXPECT_EQ(h.attack_range, 1);
    EXPECT_EQ(h.sight_range, 4);
    EXPECT_EQ(h.speed, 4);
    EXPECT_EQ(h.step_delay, 8);
    EXPECT_EQ(h.pixel_x, 224);
    EXPECT_EQ(h.pixel_y, 64);
    EXPECT_EQ(unit_count, 1);
}

TEST_F(Units, RemoveMovesTheLastSlotIntoTheGap)
{
    unit_count = 1;
    place_hero(0, 0);
    object_layer[0][0] = {object_unit, 1, 0};
    ASSERT_EQ(spawn_on_cell(2, 2, kind_code_grunt, 0), 2);
    ASSERT_EQ(spawn_on_cell(3, 3, kind_code_grunt, 1), 3);
    ASSERT_EQ(spawn_on_cell(4, 9, kind_code_footman, 2), 4);
    ASSERT_EQ(unit_count, 4);

    EXPECT_TRUE(remove_unit(2));
    EXPECT_EQ(unit_count, 3);
    EXPECT_EQ(object_layer[2][2].kind, object_none);
    // The footman of slot 4 now lives in slot 2, and its cell says so.
    EXPECT_EQ(unit_table[2].cell_x, 4);
    EXPECT_EQ(unit_table[2].cell_y, 9);
    EXPECT_EQ(unit_table[2].team, 7);
    EXPECT_EQ(object_layer[4][9].kind, object_unit);
    EXPECT_EQ(object_layer[4][9].index, 2);
    EXPECT_EQ(unit_table[4].active, 0);
    EXPECT_EQ(unit_table[4].team, 0);  // the freed record is cleared whole

    // Removing the last slot only clears it.
    EXPECT_TRUE(remove_unit(3));
    EXPECT_EQ(unit_count, 2);
    EXPECT_EQ(object_layer[3][3].kind, object_none);
    EXPECT_EQ(unit_table[3].active, 0);
    EXPECT_EQ(object_layer[4][9].index, 2);

    // The hero, a free slot and slots beyond the count are not removed.
    EXPECT_FALSE(remove_unit(1));
    EXPECT_FALSE(remove_unit(3));
    EXPECT_FALSE(remove_unit(0));
    EXPECT_FALSE(remove_unit(max_units));
    EXPECT_EQ(unit_count, 2);
    EXPECT_EQ(unit_table[1].active, 1);

    // Spawning after a removal refills the slot just past the live ones.
    EXPECT_EQ(spawn_unit(5, 5, kind_code_grunt, 0), 3);
}

// A unit stepping toward a neighbouring cell faces that cell's direction:
// the facing step_toward gives and the direction table agree for every code,
// and the step moves the picture along the table's direction at the unit's
// speed. Wandering goals, facings and the sheets' columns all rely on it.
TEST_F(Units, AStepTowardANeighbourFacesItsDirection)
{
    const int slot = spawn_unit(10, 10, kind_code_grunt, 0);
    ASSERT_NE(slot, 0);
    const unit& u = unit_table[slot];
    for (int d = 0; d < direction_count; ++d) {
        int32_t px = u.pixel_x, py = u.pixel_y;
        const int32_t tx = px + cell_size * direction_step[d][0];
        const int32_t ty = py + cell_size * direction_step[d][1];
        EXPECT_EQ(step_toward(px, py, tx, ty, u.speed), d);
        EXPECT_EQ(px, u.pixel_x + u.speed * direction_step[d][0]) << "direction " << d;
        EXPECT_EQ(py, u.pixel_y + u.speed * direction_step[d][1]) << "direction " << d;
    }
}

}  // namespace
