// Scenarios of the game played through the real game loop on the headless
// backend: orders, fights, deaths, victory and defeat, with the world's
// invariants checked after every frame.
#include "game_fixture.h"

#include <cstdio>
#include <cstring>

#include "game/path_finding.h"
#include "game/world_drawing.h"
#include "reference/literal_path_finding.h"

using namespace game_test;

namespace {

class GameScenario : public ::testing::Test {
protected:
    void SetUp() override { prepare_data_folder(); }
};

// The colour inside the end-of-game box (clear of its text and bevel).
uint32_t end_box_colour()
{
    int w = 0, h = 0;
    const uint16_t* frame = headless_frame(w, h);
    if (frame == nullptr)
        return 0xFFFFFFFF;
    return frame[(h - 73 + 10) * w + 255];
}

// Frames the dying roll of a unit lasts before its removal: 14 frames a
// slot, less one because the first count happens in the frame it falls.
int dying_frames(const unit& u)
{
    int slots = 0;
    while (slots < anim_slots && unit_anims[u.race][action_die][u.direction][slots].height != 0)
        ++slots;
    return 14 * (slots == 0 ? 1 : slots) - 1;
}

TEST_F(GameScenario, AMoveOrderWalksTheHeroToTheClickedCellAlongItsRoute)
{
    begin_map(40, 40);
    add_hero(10, 10);
    add_object(13, 11, object_tree, 2);
    add_object(13, 10, object_rock, 12);
    save_single();
    begin_run();
    // The camera starts centred on the hero and clamped: (1, 1).
    const int gx = 16, gy = 12;
    at(2, event_move, cursor_for(gx, 1), cursor_for(gy, 1));
    at(2, event_right_down);
    // Still held, elsewhere: no second order.
    at(6, event_move, cursor_for(25, 1), cursor_for(20, 1));
    at(40, event_right_up);

    std::vector<path_cell> expected;
    std::vector<path_cell> visited;
    int arrived = -1;
    run_game(800, [&](int32_t pass) {
        const unit& hero = unit_table[1];
        if (pass == 0) {
            // The route the order must take, from the word-for-word search.
            int32_t x = gx, y = gy;
            path_cell route[max_path];
            int n = literal_find_path(0, x, y, 10, 10, route);
            ASSERT_GT(n, 0);
            for (int i = n - 1; i >= 0; --i)
                expected.push_back(route[i]);
            EXPECT_EQ(camera_x, 1);
            EXPECT_EQ(camera_y, 1);
        }
        if (pass >= 2) {
            EXPECT_EQ(hero.goal_x, gx) << "pass " << pass;
            EXPECT_EQ(hero.goal_y, gy) << "pass " << pass;
        }
        if (pass == 2) {
            EXPECT_EQ(hero.state, state_walk);
            EXPECT_EQ(hero.action, action_walk);
            EXPECT_EQ(right_down, 0);
        }
        const bool moved = visited.empty() || visited.back().x != hero.cell_x ||
                           visited.back().y != hero.cell_y;
        if (pass >= 1 && moved)
            visited.push_back({hero.cell_x, hero.cell_y});
        if (arrived < 0 && hero.state == state_stand && pass > 2)
            arrived = pass;
    });
    ASSERT_FALSE(expected.empty());
    // The first cell visited is the one it was standing on.
    ASSERT_EQ(visited.size(), expected.size() + 1);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(visited[i + 1].x, expected[i].x) << "step " << i;
        EXPECT_EQ(visited[i + 1].y, expected[i].y) << "step " << i;
    }
    const unit& hero = unit_table[1];
    EXPECT_EQ(hero.cell_x, gx);
    EXPECT_EQ(hero.cell_y, gy);
    EXPECT_EQ(hero.pixel_x, 32 * gx);
    EXPECT_EQ(hero.pixel_y, 32 * gy);
    // 80 frames a cell at the hero's step delay of 8.
    EXPECT_GE(arrived, 2 + 80 * static_cast<int>(expected.size()));
    EXPECT_LE(arrived, 2 + 90 * static_cast<int>(expected.size()));
}

TEST_F(GameScenario, AnAttackOrderBringsTheHeroIntoReachAndTheStandDecisionSwings)
{
    begin_map(40, 40);
    add_hero(10, 10);
    const int grunt = add_unit(17, 11, kind_code_grunt, 0);
    save_single();
    begin_run();
    at(3, event_move, cursor_for(17, 1), cursor_for(11, 1));
    at(3, event_right_down);
    at(4, event_right_up);

    int ordered = -1, in_reach = -1, swung = -1;
    run_game(3000, [&](int32_t pass) {
        const unit& hero = unit_table[1];
        if (pass == 3) {
            EXPECT_EQ(hero.state, state_pursue);
            EXPECT_EQ(hero.target, grunt);
            ordered = pass;
        }
        if (ordered >= 0 && in_reach < 0 && hero.state == state_stand && in_range(1, grunt))
            in_reach = pass;
        if (in_reach >= 0 && swung < 0 && hero.state == state_attack && hero.target == grunt)
            swung = pass;
    });
    EXPECT_EQ(ordered, 3);
    EXPECT_GT(in_reach, ordered) << "the pursuit ends standing within reach";
    EXPECT_GT(swung, in_reach) << "a swing follows from the stand decision";
}

// Right clicks quicker than a pass, the button pressed and let go between
// two drains, still give their order, once: a walk to a free cell, an attack
// on an enemy clicked on the middle of its picture.
TEST_F(GameScenario, QuickRightClicksGiveTheirOrdersOnce)
{
    begin_map(40, 40);
    add_hero(10, 10);
    const int grunt = add_unit(17, 11, kind_code_grunt, 0);
    save_single();
    struct {
        int x, y;        // the cell clicked
        int32_t state;   // the hero's state after the order
        int32_t target;  // and its target
    } cases[] = {{14, 14, state_walk, 0}, {17, 11, state_pursue, grunt}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        begin_run();
        run_game(6, [&](int32_t pass) {
            const unit& hero = unit_table[1];
            if (pass == 0 && c.target == 0)
                at(3, event_move, cursor_for(c.x, camera_x), cursor_for(c.y, camera_y));
            if (pass == 0 && c.target != 0) {
                // The middle of the picture the grunt shows now.
                const unit& g = unit_table[c.target];
                const anim_entry& e = unit_anims[g.race][g.action][g.direction][g.anim_step];
                ASSERT_GT(e.width, 0);
                at(3, event_move, g.pixel_x - 32 * camera_x + e.offset_x + e.width / 2,
                   g.pixel_y - 32 * camera_y + e.offset_y + e.height / 2);
            }
            if (pass == 0) {
                at(3, event_right_down);
                at(3, event_right_up);
            }
            if (pass == 3) {
                EXPECT_EQ(hero.state, c.state);
                EXPECT_EQ(hero.target, c.target);
                if (c.target == 0) {
                    EXPECT_EQ(hero.goal_x, c.x);
                    EXPECT_EQ(hero.goal_y, c.y);
                }
            }
            // The order took the press: no second one from it.
            EXPECT_EQ(right_down, 0) << "pass " << pass;
        });
    }
}

TEST_F(GameScenario, AGruntKilledByTheHeroPlaysItsDyingRollAndIsRemovedThenVictoryShows)
{
    begin_map(40, 40);
    add_hero(10, 10);
    const int grunt = add_unit(11, 10, kind_code_grunt, 1);
    unit_table[grunt].hit_points = 1;
    save_single();
    begin_run();
    headless_keep_frames(true);

    int fell = -1, dying = -1, removed = -1, expected_frames = 0;
    int32_t cell_x = 11, cell_y = 10;
    uint32_t white = 0, aim = 0;
    run_game(2000, [&](int32_t pass) {
        const unit& g = unit_table[grunt];
        if (removed >= 0)
            return;
        if (g.active == 1) {
            EXPECT_EQ(unit_count, 2) << "pass " << pass;
            cell_x = g.cell_x;
            cell_y = g.cell_y;
            if (fell < 0 && g.hit_points < 1)
                fell = pass;
            if (dying < 0 && g.state == state_dead) {
                dying = pass;
                expected_frames = dying_frames(g);
                EXPECT_EQ(g.action, action_die);
            }
            aim = end_box_colour();
            return;
        }
        removed = pass;
        white = end_box_colour();
        EXPECT_EQ(unit_count, 1);
        EXPECT_EQ(object_layer[cell_x][cell_y].kind, object_none);
        EXPECT_EQ(base_grid[cell_x][cell_y], grid_free);
        const unit zero {};
        EXPECT_EQ(std::memcmp(&g, &zero, sizeof g), 0) << "the record is cleared";
    });
    ASSERT_GE(fell, 0) << "the hero never hit the grunt";
    EXPECT_LE(dying - fell, 1) << "dying starts when its slot is next processed";
    ASSERT_GE(removed, 0);
    EXPECT_EQ(removed - dying, expected_frames);
    EXPECT_EQ(aim, static_cast<uint32_t>(panel_fill)) << "no box while the fight goes on";
    EXPECT_EQ(white, static_cast<uint32_t>(colour_white)) << "victory as the grunt is gone";
}

TEST_F(GameScenario, DefeatShowsOnceTheDyingHerosRecordIsClearedAndOrdersDoNotRestartItsDeath)
{
    begin_map(40, 40);
    add_hero(10, 10);
    add_unit(35, 35, kind_code_footman, 0);
    save_single();
    begin_run();
    headless_keep_frames(true);
    // Right clicks on an empty cell while the hero is dying.
    for (int p = 12; p < 60; p += 8) {
        at(p, event_move, cursor_for(14, 1), cursor_for(12, 1));
        at(p, event_right_down);
        at(p + 1, event_right_up);
    }

    int dying = -1, removed = -1, expected_frames = 0;
    std::vector<uint32_t> boxes;
    run_game(400, [&](int32_t pass) {
        unit& hero = unit_table[1];
        if (pass == 5)
            hero.hit_points = 0;  // struck down
        if (dying < 0 && hero.state == state_dead) {
            dying = pass;
            expected_frames = dying_frames(hero);
        }
        if (removed < 0 && hero.active == 0)
            removed = pass;
        if (dying >= 0 && removed < 0) {
            EXPECT_EQ(hero.state, state_dead) << "pass " << pass;
        }
        boxes.push_back(end_box_colour());
    });
    ASSERT_EQ(dying, 6);
    ASSERT_GT(removed, 0);
    EXPECT_EQ(removed - dying, expected_frames) << "the roll plays once, whatever the clicks";
    for (int p = 0; p < static_cast<int>(boxes.size()); ++p)
        EXPECT_EQ(boxes[p], static_cast<uint32_t>(p < removed ? panel_fill : colour_red)) << "pass " << p;
    EXPECT_EQ(unit_count, 1) << "the footman lives on";
}

// The world hash after every frame of a run on the lake map.
std::vector<uint64_t> lake_run(bool click_the_lake)
{
    begin_run();
    // A walk to the left, then (or not) a right click in the middle of the
    // lake: no free cell within the hero's sight of it.
    at(2, event_move, cursor_for(8, 2), cursor_for(24, 12));
    at(2, event_right_down);
    at(3, event_right_up);
    at(30, event_move, cursor_for(25, 2), cursor_for(25, 12));
    if (click_the_lake) {
        at(30, event_right_down);
        at(31, event_right_up);
    }
    std::vector<uint64_t> hashes;
    run_game(200, [&](int32_t pass) {
        hashes.push_back(world_hash());
        if (pass == 30) {
            EXPECT_EQ(right_down, 0);
            EXPECT_EQ(unit_table[1].goal_x, 8);
            EXPECT_EQ(unit_table[1].goal_y, 24);
            EXPECT_EQ(unit_table[1].state, state_walk);
        }
    });
    return hashes;
}

TEST_F(GameScenario, ARightClickWithNoFreeCellInReachChangesNothing)
{
    begin_map(48, 48);
    add_lake(20, 20, 30, 30);
    add_hero(14, 22);
    save_single();
    // Every cell within 4 rings of (25, 25) is water.
    for (int x = 21; x <= 29; ++x)
        for (int y = 21; y <= 29; ++y)
            ASSERT_LE(terrain_layer[x][y].kind, terrain_shallow_water) << x << "," << y;
    std::vector<uint64_t> clicked = lake_run(true);
    std::vector<uint64_t> quiet = lake_run(false);
    ASSERT_EQ(clicked.size(), quiet.size());
    for (size_t i = 0; i < clicked.size(); ++i)
        ASSERT_EQ(clicked[i], quiet[i]) << "pass " << i;
}

}  // namespace
