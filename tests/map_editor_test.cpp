// Scripted sessions of the map editor: the start, the brush's terrain and
// object tools, deletion, the team button, scrolling and the overview (the
// map made in a session and played by the game: map_round_trip_test).
#include <cstdio>
#include <string>

#include "core/cp1251.h"
#include "core/random.h"
#include "game/world_drawing.h"
#include "input/input_latch.h"
#include "map_editor/map_dialogs.h"
#include "map_editor_fixture.h"
#include "render/colours.h"
#include "sprites/sprite_data.h"

using namespace editor_test;

namespace {

class MapEditor : public EditorSession {};

// The pixel (x, y) of the last presented frame.
uint16_t frame_pixel(int32_t x, int32_t y)
{
    int w = 0, h = 0;
    const uint16_t* f = headless_frame(w, h);
    if (f == nullptr || x < 0 || y < 0 || x >= w || y >= h)
        return 0;
    return f[static_cast<size_t>(y) * w + x];
}

// Sets every vertex of the map to kind, as a map of one kind loaded from a
// file would be (full tiles of its sheet).
void fill_kind(int32_t kind)
{
    for (int x = 0; x < max_map_size; ++x)
        for (int y = 0; y < max_map_size; ++y)
            terrain_layer[x][y] = terrain_cell {kind, kind, 0, 0};
}

}  // namespace

TEST_F(MapEditor, StartsWithTheGrassMapSingleAndTheSandBrush)
{
    headless_keep_frames(true);
    move(0, 500, 400);
    bool checked = false;
    checks[1] = [&] {
        checked = true;
        EXPECT_EQ(map_width, 128);
        EXPECT_EQ(map_height, 128);
        EXPECT_STREQ(map_name, "single");
        EXPECT_EQ(unit_count, 1);
        EXPECT_EQ(unit_table[1].active, 0);
        EXPECT_EQ(current_tool, terrain_sand);
        EXPECT_EQ(palette_choice, terrain_sand);
        EXPECT_EQ(camera_x, 0);
        EXPECT_EQ(camera_y, 0);
        EXPECT_EQ(count_objects(object_tree) + count_objects(object_rock) + count_objects(object_unit), 0);
        bool all_grass = true;
        for (int x = 0; x < 128; ++x)
            for (int y = 0; y < 128; ++y)
                all_grass = all_grass && terrain_layer[x][y].kind == terrain_grass &&
                            terrain_layer[x][y].tile_set == terrain_grass && terrain_layer[x][y].tile_y == 0;
        EXPECT_TRUE(all_grass);
        // The panel face, the overview's grass inside its yellow frame (a
        // 128-cell side starts at x + 1), the camera's white outline.
        EXPECT_EQ(frame_pixel(10, 500), colour_grey4);
        EXPECT_EQ(frame_pixel(20, 24), colour_yellow);
        EXPECT_EQ(frame_pixel(21, 25), colour_yellow);
        EXPECT_EQ(frame_pixel(44, 30), colour_white);
        EXPECT_EQ(frame_pixel(60, 80), 0x0480);
        // The sand entry is highlighted with a blue frame.
        EXPECT_EQ(frame_pixel(18, 208), colour_blue);
        EXPECT_NE(frame_pixel(18, 188), colour_blue);
    };
    run_editor(1);
    EXPECT_TRUE(checked);
    EXPECT_EQ(headless_box_count(), 0);
}

TEST_F(MapEditor, StartFailuresEndTheLoopWithTheirReport)
{
    namespace fs = std::filesystem;
    struct {
        const char* hidden;  // a data file taken away for the run, or nullptr
        int32_t width;       // the configuration's screen width
        const char* report;  // the fatal report's step, or nullptr for none
    } cases[] = {
        {nullptr, 800, "задании размера экрана"_cp},
        {"data/map/tiles/mud.bmp", 1024, "загрузке растра"_cp},
        {"data/images/tree.bmp", 1024, "загрузке растра"_cp},
        {"data/images/footman.bmp", 1024,
         "загрузке растра data\\images\\footman.bmp: the file cannot be opened"_cp},
        {"data/images/grant.spr", 1024,
         "загрузке спрайтов data\\images\\grant.spr: the file cannot be opened"_cp},
    };
    for (const auto& t : cases) {
        SetUp();
        if (t.hidden != nullptr)
            fs::rename(t.hidden, std::string(t.hidden) + ".away");
        configuration config = map_editor_configuration;
        config.screen_width = t.width;
        config.screen_height = t.width == 800 ? 600 : 768;
        last_pass = 5;
        passes_seen = 0;
        headless_set_pass_hook(after_pass, nullptr);
        EXPECT_EQ(run_entry(config), 1);
        end_process();
        if (t.hidden != nullptr)
            fs::rename(std::string(t.hidden) + ".away", t.hidden);
        EXPECT_EQ(passes_seen, 0) << t.width;
        if (t.report == nullptr) {
            EXPECT_EQ(headless_box_count(), 0);
        } else {
            ASSERT_EQ(headless_box_count(), 1);
            EXPECT_EQ(headless_box_text(0), std::string("Программа прервана\nОшибка в "_cp) + t.report);
        }
    }
}

TEST_F(MapEditor, ATreeFrameFileOfTwentyFramesFillsFifteenEntries)
{
    namespace fs = std::filesystem;
    const char* path = "data/images/tree.frm";
    fs::copy_file(path, "tree.frm.kept", fs::copy_options::overwrite_existing);
    clear_frames();
    for (int i = 1; i <= 20; ++i)
        frame_table[i] = frame_record {0, -i, -2 * i, 4 * i, 3 * i, 10 + i, 20 + i};
    frame_count = 20;
    ASSERT_TRUE(save_frame_file("tree"));
    checks[0] = [] {
        for (int i = 1; i <= 15; ++i) {
            const tree_entry& e = tree_table[i];
            EXPECT_EQ(e.image, tree_slot) << i;
            EXPECT_EQ(e.offset_x, -i) << i;
            EXPECT_EQ(e.offset_y, -2 * i) << i;
            EXPECT_EQ(e.x, 4 * i) << i;
            EXPECT_EQ(e.width, 10 + i) << i;
            EXPECT_EQ(e.height, 20 + i) << i;
        }
        EXPECT_EQ(tree_table[0].height, 0);
    };
    run_editor(1);
    fs::copy_file("tree.frm.kept", path, fs::copy_options::overwrite_existing);
    EXPECT_EQ(headless_box_count(), 0);
}

TEST_F(MapEditor, PaintingGrassAtCursor300_40PaintsVertex1_1)
{
    checks[0] = [] { fill_kind(terrain_sand); };
    click(1, terrain_button(terrain_grass));
    move(2, 300, 40);
    event(2, event_left_down);
    event(3, event_left_up);
    checks[2] = [] {
        EXPECT_EQ(current_tool, terrain_grass);
        EXPECT_EQ(terrain_layer[1][1].kind, terrain_grass);
        for (int x = 0; x <= 3; ++x)
            for (int y = 0; y <= 3; ++y)
                if (x != 1 || y != 1) {
                    EXPECT_EQ(terrain_layer[x][y].kind, terrain_sand) << x << "," << y;
                }
        // Of the four cells around the vertex only the below-right one lies
        // in the painter's editable range: its top-left corner is grass.
        EXPECT_EQ(terrain_layer[1][1].tile_set, terrain_grass);
        EXPECT_EQ(terrain_layer[1][1].tile_x, 32);
        EXPECT_EQ(terrain_layer[1][1].tile_y, 64);
        EXPECT_EQ(terrain_layer[0][0].tile_set, terrain_sand);
    };
    run_editor(3);
    EXPECT_EQ(passes_seen, 4);
}

TEST_F(MapEditor, TreesAndRocksGoOnlyOnEmptyCellsOrTheirOwnKind)
{
    // Rows 2 and 4 hold, from column 0: nothing, a tree, a rock, a unit.
    static const object_cell start[4] = {
        {}, {object_tree, 2, 150}, {object_rock, 12, 150}, {object_unit, 1, 0}};
    checks[0] = [] {
        for (int column = 0; column < 4; ++column)
            object_layer[column][2] = object_layer[column][4] = start[column];
    };
    struct {
        point tool;
        int row;
        int32_t kind;
        int32_t first_index, last_index;
        bool placed[4];  // on the empty, tree, rock and unit cell
    } cases[] = {
        {tree_button, 2, object_tree, 1, 5, {true, true, false, false}},
        {rock_button, 4, object_rock, 11, 15, {true, false, true, false}},
    };
    int32_t pass = 1;
    for (const auto& t : cases) {
        click(pass++, t.tool);
        for (int column = 0; column < 4; ++column) {
            press_cell(pass, column, t.row);
            checks[pass] = [t, column] {
                const object_cell& o = object_layer[column][t.row];
                if (t.placed[column]) {
                    EXPECT_EQ(o.kind, t.kind) << column;
                    EXPECT_GE(o.index, t.first_index) << column;
                    EXPECT_LE(o.index, t.last_index) << column;
                    EXPECT_GE(o.value, 140) << column;
                    EXPECT_LE(o.value, 309) << column;
                } else {
                    EXPECT_EQ(o.kind, start[column].kind) << column;
                    EXPECT_EQ(o.index, start[column].index) << column;
                    EXPECT_EQ(o.value, start[column].value) << column;
                }
                // Placing objects touches neither the terrain nor the units.
                EXPECT_EQ(terrain_layer[column][t.row].kind, terrain_grass);
                EXPECT_EQ(unit_count, 1);
            };
            pass += 2;
        }
    }
    run_editor(pass);
}

TEST_F(MapEditor, TheHeroGoesOnlyOnAnEmptyCellAndLeavesItsOldOne)
{
    checks[0] = [] {
        object_layer[5][5] = {object_tree, 1, 200};
        object_layer[0][0] = {object_rock, 11, 200};  // where an unplaced hero "stands"
    };
    click(1, hero_button);
    press_cell(2, 5, 5);  // occupied: nothing
    checks[2] = [] {
        EXPECT_EQ(unit_table[1].active, 0);
        EXPECT_EQ(object_layer[5][5].kind, object_tree);
    };
    press_cell(4, 6, 6);
    checks[4] = [] {
        const unit& hero = unit_table[1];
        EXPECT_EQ(hero.active, 1);
        EXPECT_EQ(hero.cell_x, 6);
        EXPECT_EQ(hero.cell_y, 6);
        EXPECT_EQ(hero.pixel_x, 192);
        EXPECT_EQ(hero.pixel_y, 192);
        EXPECT_EQ(hero.team, 1);
        EXPECT_EQ(hero.race, 0);
        EXPECT_EQ(hero.max_hit_points, 600);
        EXPECT_EQ(hero.image, unit_images[0][1]);
        EXPECT_GE(hero.direction, 0);
        EXPECT_LE(hero.direction, 7);
        EXPECT_EQ(object_layer[6][6].kind, object_unit);
        EXPECT_EQ(object_layer[6][6].index, 1);
        EXPECT_EQ(unit_count, 1);
        // Its first placement left the rock at (0, 0) alone.
        EXPECT_EQ(object_layer[0][0].kind, object_rock);
    };
    press_cell(6, 8, 7);
    checks[6] = [] {
        EXPECT_EQ(object_layer[6][6].kind, object_none);
        EXPECT_EQ(object_layer[8][7].kind, object_unit);
        EXPECT_EQ(object_layer[8][7].index, 1);
        EXPECT_EQ(unit_table[1].cell_x, 8);
        EXPECT_EQ(unit_table[1].cell_y, 7);
        EXPECT_EQ(count_objects(object_unit), 1);
        EXPECT_EQ(unit_count, 1);
    };
    // The right button does not delete the hero.
    right_press_cell(8, 8, 7);
    checks[8] = [] {
        EXPECT_EQ(object_layer[8][7].kind, object_unit);
        EXPECT_EQ(unit_table[1].active, 1);
        EXPECT_EQ(unit_count, 1);
    };
    run_editor(9);
}

TEST_F(MapEditor, RightButtonDeletesUnitsTreesAndRocksKeepingSlotsPacked)
{
    click(1, footman_button);
    press_cell(2, 3, 3);
    press_cell(4, 4, 4);
    press_cell(6, 5, 5);
    checks[6] = [] {
        EXPECT_EQ(unit_count, 4);
        EXPECT_EQ(object_layer[3][3].index, 2);
        EXPECT_EQ(object_layer[5][5].index, 4);
        EXPECT_EQ(unit_table[2].race, 1);
        object_layer[7][3] = {object_tree, 3, 200};
        object_layer[8][3] = {object_rock, 13, 200};
    };
    right_press_cell(8, 3, 3);
    checks[8] = [] {
        EXPECT_EQ(unit_count, 3);
        EXPECT_EQ(object_layer[3][3].kind, object_none);
        // The last footman moved into the freed slot 2.
        EXPECT_EQ(object_layer[5][5].index, 2);
        EXPECT_EQ(unit_table[2].cell_x, 5);
        EXPECT_EQ(unit_table[4].active, 0);
        EXPECT_EQ(object_layer[4][4].index, 3);
    };
    right_press_cell(10, 6, 6);  // empty: nothing
    right_press_cell(12, 7, 3);
    right_press_cell(14, 8, 3);
    checks[14] = [] {
        EXPECT_EQ(unit_count, 3);
        EXPECT_EQ(object_layer[7][3].kind, object_none);
        EXPECT_EQ(object_layer[8][3].kind, object_none);
        EXPECT_EQ(count_objects(object_unit), 2);
    };
    // A new footman takes the first free slot, right above the others.
    press_cell(16, 9, 9);
    checks[16] = [] {
        EXPECT_EQ(unit_count, 4);
        EXPECT_EQ(object_layer[9][9].index, 4);
    };
    run_editor(17);
}

TEST_F(MapEditor, TheTeamButtonCyclesThroughFourTeamChoices)
{
    headless_keep_frames(true);
    click(1, grunt_button);
    // Team choices 0, 1, 2, 3 and back to 0: swatch colour and team.
    // The colours are filled once the display has started: read them then.
    struct {
        const int32_t* swatch;
        int32_t team;
    } grunts[] = {{&colour_green, 2}, {&colour_blue, 0}, {&colour_orange, 4}, {&colour_violet, 3}, {&colour_green, 2}};
    int32_t pass = 2;
    for (int i = 0; i < 5; ++i) {
        press_cell(pass, 2 + i, 5);
        checks[pass] = [i, &grunts] {
            EXPECT_EQ(team_choice, i % 4);
            EXPECT_EQ(swatch_colour, *grunts[i].swatch) << i;
            EXPECT_EQ(frame_pixel(190, 427), *grunts[i].swatch) << i;
            EXPECT_EQ(unit_table[object_layer[2 + i][5].index].team, grunts[i].team) << i;
        };
        click(pass + 2, grunt_team_button);
        pass += 3;
    }
    // The footman tool shares the choice (now 1) with its own colours.
    click(pass, footman_button);
    press_cell(pass + 1, 2, 7);
    checks[pass + 1] = [] {
        EXPECT_EQ(team_choice, 1);
        EXPECT_EQ(swatch_colour, colour_white);
        EXPECT_EQ(unit_table[object_layer[2][7].index].team, 6);
        EXPECT_EQ(unit_table[object_layer[2][7].index].race, 1);
    };
    run_editor(pass + 2);
}

TEST_F(MapEditor, AThirtyTwoMapKeepsTheCameraInItAndCentresTheOverview)
{
    headless_keep_frames(true);
    click(1, new_map_button);
    click(2, width_button(0));
    click(3, height_button(0));
    click(4, new_yes);
    // The cursor on the right and bottom screen edges, button up.
    move(5, 1023, 767);
    checks[5] = [] {
        EXPECT_EQ(map_width, 32);
        EXPECT_EQ(map_height, 32);
        // The map centred in the frame at (20, 24): 20 + 65 - 16, 24 + 65 - 16.
        EXPECT_EQ(frame_pixel(69, 73), colour_yellow);
        EXPECT_EQ(frame_pixel(100, 73), colour_yellow);
        EXPECT_EQ(frame_pixel(68, 73), colour_grey4);
        EXPECT_EQ(frame_pixel(90, 90), 0x0480);
    };
    for (int32_t pass = 6; pass < 20; ++pass)
        checks[pass] = [pass] {
            EXPECT_GE(camera_x, 0);
            EXPECT_LE(camera_x, 8);
            EXPECT_LE(camera_y, 8);
            if (pass >= 14) {
                EXPECT_EQ(camera_x, 8);
                EXPECT_EQ(camera_y, 8);
            }
        };
    checks[15] = [] {
        // The camera's outline sits at the map's corner plus (8, 8).
        EXPECT_EQ(frame_pixel(77, 81), colour_white);
        EXPECT_EQ(frame_pixel(100, 104), colour_yellow);
    };
    // A press in the overview far past the map's corner clamps to 0..8.
    move(20, 99, 102);
    event(20, event_left_down);
    event(21, event_left_up);
    move(21, 600, 400);
    checks[20] = [] {
        EXPECT_EQ(camera_x, 8);
        EXPECT_EQ(camera_y, 8);
    };
    move(22, 72, 74);
    event(22, event_left_down);
    event(23, event_left_up);
    checks[22] = [] {
        EXPECT_EQ(camera_x, 0);
        EXPECT_EQ(camera_y, 0);
    };
    move(24, 80, 90);
    event(24, event_left_down);
    event(25, event_left_up);
    checks[24] = [] {
        EXPECT_EQ(camera_x, 80 - 69 - 12 < 0 ? 0 : 80 - 69 - 12);
        EXPECT_EQ(camera_y, 90 - 73 - 12);
    };
    run_editor(25);
}

TEST_F(MapEditor, EdgeScrollingByFrameWithTheButtonUpAndEverySecondFrameHeld)
{
    move(0, 600, 400);
    checks[0] = [] {
        camera_x = 5;
        camera_y = 40;
    };
    // Button up on the left edge: one cell a frame down to 0. The scroll
    // happens after the frame's present, so pass n's check sees n - 1 steps.
    move(1, 0, 400);
    for (int32_t pass = 1; pass <= 7; ++pass)
        checks[pass] = [pass] { EXPECT_EQ(camera_x, pass <= 6 ? 6 - pass : 0) << pass; };
    // Held in the view's bottom strip: one cell every second frame.
    move(8, 600, 700);
    event(8, event_left_down);
    event(16, event_left_up);
    int32_t start_y = 0;
    checks[8] = [&start_y] { start_y = camera_y; };
    checks[16] = [&start_y] {
        EXPECT_EQ(start_y, 40);
        EXPECT_GE(camera_y - start_y, 3);
        EXPECT_LE(camera_y - start_y, 4);
        EXPECT_EQ(camera_x, 0);
    };
    run_editor(16);
}

// A pointer that left the window (or that a change of window mode moved)
// neither scrolls nor paints: a tree held under the button stops drawing new
// frames, the left edge stops scrolling; a move back in brings both back.
TEST_F(MapEditor, APointerThatLeftTheWindowNeitherScrollsNorPaints)
{
    click(1, tree_button);
    move(2, view_x(3), view_y(3));
    event(2, event_left_down);
    event(4, event_leave);
    object_cell tree {};
    uint32_t random = 0;
    checks[4] = [&] {
        tree = object_layer[3][3];
        random = random_state();
        camera_x = 5;
    };
    checks[9] = [&] {
        EXPECT_EQ(object_layer[3][3].kind, object_tree);
        EXPECT_EQ(object_layer[3][3].index, tree.index);
        EXPECT_EQ(object_layer[3][3].value, tree.value);
        EXPECT_EQ(random_state(), random) << "no brush drew";
    };
    event(10, event_left_up);
    move(10, 0, 400);
    event(11, event_leave);
    // Scrolled once, after pass 10's present, then never while away.
    checks[14] = [] { EXPECT_EQ(camera_x, 4); };
    move(15, 0, 400);
    checks[16] = [] { EXPECT_EQ(camera_x, 3); };
    run_editor(16);
}

TEST_F(MapEditor, ObjectsAreNotPlacedOutsideASmallMap)
{
    // A 16 x 16 map (one loaded from a file may be that small): view cells
    // past its edges are not the map's.
    checks[0] = [] {
        map_width = 16;
        map_height = 16;
    };
    click(1, grunt_button);
    press_cell(2, 20, 3);
    press_cell(4, 3, 18);
    press_cell(6, 15, 15);
    move(8, 1023, 767);
    checks[9] = [] {
        EXPECT_EQ(unit_count, 2);
        EXPECT_EQ(object_layer[20][3].kind, object_none);
        EXPECT_EQ(object_layer[3][18].kind, object_none);
        EXPECT_EQ(object_layer[15][15].kind, object_unit);
        EXPECT_EQ(camera_x, 0);
        EXPECT_EQ(camera_y, 0);
    };
    run_editor(9);
}
