// The game loop's start-up and its failures, the heads-up panel, the camera
// and edge scrolling, run through the real loop on the headless backend.
#include "game_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/cp1251.h"
#include "game/world_drawing.h"
#include "render/font.h"
#include "sprites/sprite_data.h"

using namespace game_test;

namespace {

class GameLoop : public ::testing::Test {
protected:
    void SetUp() override { prepare_data_folder(); }
};

// The pixel (x, y) of the last presented frame.
uint32_t shown(int x, int y)
{
    int w = 0, h = 0;
    const uint16_t* frame = headless_frame(w, h);
    if (frame == nullptr || x < 0 || y < 0 || x >= w || y >= h)
        return 0xFFFFFFFF;
    return frame[y * w + x];
}

// A data folder `folder`/data holding every file of the data set but one
// (linked file by file) and a copy of ./data/map/single.map.
void make_partial_data(const std::string& folder, const std::string& missing)
{
    const fs::path source = BRASK_DATA_DIR;
    fs::remove_all(folder);
    for (const auto& entry : fs::recursive_directory_iterator(source)) {
        if (!entry.is_regular_file())
            continue;
        const fs::path relative = fs::relative(entry.path(), source);
        // The test brings its own map in place of the data set's scenario.
        if (relative == missing || relative == "map/single.map")
            continue;
        const fs::path link = fs::path(folder) / "data" / relative;
        fs::create_directories(link.parent_path());
        fs::create_symlink(entry.path(), link);
    }
    fs::create_directories(fs::path(folder) / "data" / "map");
    if (missing != "map/single.map")
        fs::copy_file("data/map/single.map", fs::path(folder) / "data/map/single.map");
}

// Each start-up failure that ends or cripples the game is reported, naming
// the file and the loader's reason where the report is the game's own (the
// images keep the one report "загрузке растра"), and the process ends with
// status 1. Only the tree frames may be missing: the trees are not drawn.
TEST_F(GameLoop, StartUpFailuresEndTheLoopWithTheirReports)
{
    const std::string failed = "Программа прервана\nОшибка в "_cp;
    const std::string missing = ": the file cannot be opened";
    struct case_row {
        const char* missing;
        int boxes;           // message boxes shown
        std::string report;  // the report after "Ошибка в ", or "" for the sound layer's own
        bool plays;          // frames are presented
    } cases[] = {
        {"map/tiles/mud.bmp", 1, "загрузке растра"_cp, false},
        {"map/tiles/stone.bmp", 1, "загрузке растра"_cp, false},
        {"images/tree.bmp", 1, "загрузке растра"_cp, false},
        {"images/vesk.bmp", 1, "загрузке растра"_cp, false},
        {"music/music.wav", 1, "", false},
        {"sounds/Hdead.wav", 1, "", false},
        {"images/grant.bmp", 1, "загрузке растра data\\images\\grant.bmp"_cp + missing, false},
        {"images/footman.spr", 1, "загрузке спрайтов data\\images\\footman.spr"_cp + missing, false},
        {"map/single.map", 1, "загрузке карты data\\map\\single.map"_cp + missing, false},
        {"font/smallb.bmp", 1, "загрузке шрифта data\\font\\smallb.bmp"_cp + missing, false},
        {"font/smf.fn", 1, "загрузке шрифта data\\font\\smf.fn"_cp + missing, false},
        {"images/tree.frm", 0, "", true},  // no trees, the game goes on
    };
    begin_map(40, 40);
    add_hero(10, 10);
    add_object(12, 12, object_tree, 1);
    add_unit(20, 20, kind_code_footman, 0);
    save_single();
    for (const case_row& c : cases) {
        SCOPED_TRACE(c.missing);
        make_partial_data("partial", c.missing);
        ASSERT_EQ(chdir("partial"), 0);
        begin_run();
        const int status = run_game(3);
        ASSERT_EQ(chdir(".."), 0);
        EXPECT_EQ(headless_box_count(), c.boxes);
        if (c.boxes > 0) {
            EXPECT_EQ(std::string(headless_box_caption(0)), "Brask");
            if (!c.report.empty()) {
                EXPECT_EQ(std::string(headless_box_text(0)), failed + c.report);
            }
        }
        EXPECT_EQ(headless_pass() > 0, c.plays);
        EXPECT_EQ(status, c.plays ? 0 : 1);
    }
    fs::remove_all("partial");
}

// A sprite set the loader refuses leaves every unit of its race invisible,
// the hero among the orcs: a report names the file and the reason.
TEST_F(GameLoop, ARefusedSpriteSetIsReported)
{
    begin_map(40, 40);
    add_hero(10, 10);
    save_single();
    make_partial_data("partial", "images/grant.spr");
    {
        FILE* f = std::fopen("partial/data/images/grant.spr", "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("damaged", f);
        std::fclose(f);
    }
    ASSERT_EQ(chdir("partial"), 0);
    begin_run();
    const int status = run_game(3);
    ASSERT_EQ(chdir(".."), 0);
    ASSERT_EQ(headless_box_count(), 1);
    EXPECT_EQ(std::string(headless_box_text(0)),
              "Программа прервана\nОшибка в загрузке спрайтов data\\images\\grant.spr: "_cp +
                  std::string(sprite_data_refusal()));
    EXPECT_NE(std::string(sprite_data_refusal()), "");
    EXPECT_EQ(headless_pass(), 0);
    EXPECT_EQ(status, 1);
    fs::remove_all("partial");
}

TEST_F(GameLoop, StartUpLoadsInOrderAndCentresTheCamera)
{
    begin_map(60, 50);
    add_hero(30, 25);
    save_single();
    begin_run();
    run_game(2, [](int32_t pass) {
        if (pass != 0)
            return;
        // After the font's two images: seven tile sheets, the tree image,
        // the portrait, then the nine unit sheets, in automatic slots.
        for (int k = 0; k < terrain_kind_count; ++k)
            EXPECT_EQ(tile_slots[k], 2 + k);
        EXPECT_EQ(tree_slot, 9);
        EXPECT_EQ(portrait_slot, 10);
        EXPECT_EQ(unit_images[race_orc][1], 11);
        EXPECT_EQ(unit_images[race_human][3], 19);
        EXPECT_EQ(tree_table[1].image, tree_slot);
        EXPECT_GT(tree_table[1].height, 0);
        EXPECT_EQ(music_slot, 0);
        EXPECT_EQ(effect_sword[0], 0);
        EXPECT_EQ(effect_sword[2], 2);
        EXPECT_EQ(effect_orc_death, 3);
        EXPECT_EQ(effect_human_death, 4);
        EXPECT_TRUE(sound_playing(music_slot));
        EXPECT_EQ(effect_player, &play_effect);
        EXPECT_EQ(sound_screen_width, 800);
        EXPECT_EQ(sound_screen_height, 600);
        EXPECT_EQ(camera_x, 18);
        EXPECT_EQ(camera_y, 15);
        EXPECT_EQ(unit_table[1].image, unit_images[race_orc][1]);
    });
    EXPECT_EQ(headless_box_count(), 0);
}

TEST_F(GameLoop, TheCameraIsClampedToTheMap)
{
    struct case_row {
        int width, height, hero_x, hero_y;
        int camera_x, camera_y;
    } cases[] = {
        {60, 50, 30, 25, 18, 15},
        {60, 50, 3, 3, 1, 1},
        {60, 50, 57, 47, 34, 31},
        {32, 24, 29, 21, 6, 5},
        {32, 24, 3, 3, 1, 1},
        {20, 20, 10, 10, -6, 1},  // narrower than the screen: the right limit wins
    };
    for (const case_row& c : cases) {
        begin_map(c.width, c.height);
        add_hero(c.hero_x, c.hero_y);
        save_single();
        begin_run();
        at(0, event_move, 400, 300);
        // A right click on a cell left of a narrow map's first column.
        at(1, event_move, 3, 300);
        at(1, event_right_down);
        at(2, event_right_up);
        at(2, event_move, 400, 300);
        run_game(12);
        EXPECT_EQ(camera_x, c.camera_x) << c.width << "x" << c.height;
        EXPECT_EQ(camera_y, c.camera_y) << c.width << "x" << c.height;
    }
}

// The camera after every frame with the cursor at (x, y), the left button
// held or not.
std::vector<std::pair<int, int>> camera_track(int x, int y, bool left_held, int passes)
{
    begin_run();
    at(0, event_move, x, y);
    if (left_held)
        at(0, event_left_down);
    std::vector<std::pair<int, int>> track;
    run_game(passes, [&track](int32_t) { track.push_back({camera_x, camera_y}); });
    return track;
}

TEST_F(GameLoop, EdgesScrollOneCellEveryFifthFrameUpToTheLimits)
{
    begin_map(60, 50);
    add_hero(30, 25);
    save_single();
    // The bottom-right corner scrolls both ways at once.
    auto track = camera_track(799, 599, false, 120);
    for (int pass = 0; pass < 120; ++pass) {
        const int steps = (pass + 1) / 5;
        EXPECT_EQ(track[pass].first, std::min(18 + steps, 34)) << "pass " << pass;
        EXPECT_EQ(track[pass].second, std::min(15 + steps, 31)) << "pass " << pass;
    }
    // The band along each edge is two pixels deep.
    track = camera_track(1, 300, false, 10);
    EXPECT_EQ(track[9], std::make_pair(16, 15));
    track = camera_track(400, 2, false, 10);
    EXPECT_EQ(track[9], std::make_pair(18, 15));
    track = camera_track(0, 0, false, 200);
    EXPECT_EQ(track[199], std::make_pair(1, 1));
    // Not while the left button is held.
    track = camera_track(799, 599, true, 30);
    EXPECT_EQ(track[29], std::make_pair(18, 15));
}

// The corner scrolls while the pointer is there, not once it has left the
// window (or a change of window mode has moved it), and again once a move
// brings it back.
TEST_F(GameLoop, APointerThatLeftTheWindowIsAtNoEdge)
{
    begin_map(60, 50);
    add_hero(30, 25);
    save_single();
    begin_run();
    at(0, event_move, 799, 599);
    at(10, event_leave);
    at(30, event_move, 799, 599);
    std::vector<std::pair<int, int>> track;
    run_game(40, [&track](int32_t) { track.push_back({camera_x, camera_y}); });
    EXPECT_EQ(track[9], std::make_pair(20, 17));
    EXPECT_EQ(track[29], std::make_pair(20, 17));
    EXPECT_EQ(track[39], std::make_pair(22, 19));
}

TEST_F(GameLoop, AClickOnThePortraitCentresTheCameraOnTheHero)
{
    begin_map(60, 50);
    add_hero(30, 25);
    save_single();
    begin_run();
    headless_keep_frames(true);
    at(0, event_move, 0, 0);
    at(30, event_move, 40, 550);
    at(31, event_left_down);
    at(33, event_left_up);
    uint32_t light_pressed = 0, light_up = 0;
    run_game(36, [&](int32_t pass) {
        if (pass == 30)
            light_up = shown(14, 600 - 76);
        if (pass == 32) {
            light_pressed = shown(14, 600 - 76);
            EXPECT_LT(camera_x, 18) << "scrolled away meanwhile";
        }
    });
    EXPECT_EQ(light_up, static_cast<uint32_t>(colour_grey2));
    EXPECT_EQ(light_pressed, static_cast<uint32_t>(panel_shadow)) << "pressed, the bevel turns";
    EXPECT_EQ(camera_x, 18);
    EXPECT_EQ(camera_y, 15);
}

TEST_F(GameLoop, TheHealthBarShowsTheHerosHitPoints)
{
    struct case_row {
        int max_hp;
        int hp;
        int colour;      // 0 green, 1 orange, 2 red, 3 no bar
        int last_column; // the bar's last pixel column, -1 when not checked
    } cases[] = {
        {600, 600, 0, -1}, {600, 400, 0, -1}, {600, 399, 1, -1}, {600, 200, 1, -1},
        {600, 199, 2, -1}, {600, 100, 2, 24}, {600, 0, 3, -1},   {600, 900, 0, 73},
        {0, 50, 3, -1},  // a record without full health draws no bar, and no fault
    };
    for (const case_row& c : cases) {
        begin_map(40, 40);
        add_hero(10, 10);
        unit_table[1].max_hit_points = c.max_hp;
        unit_table[1].hit_points = c.hp;
        save_single();
        begin_run();
        headless_keep_frames(true);
        at(0, event_move, 400, 300);
        run_game(1);
        const int32_t colours[4] = {pack_colour(0, 220, 0), colour_orange, colour_red, panel_fill};
        const int32_t row = 600 - 22 + 12 - 1;  // the bar's last row, under the text
        EXPECT_EQ(shown(16, row), static_cast<uint32_t>(colours[c.colour])) << c.hp << "/" << c.max_hp;
        EXPECT_EQ(shown(15, row), static_cast<uint32_t>(colour_yellow)) << "the frame";
        if (c.last_column >= 0) {
            EXPECT_EQ(shown(c.last_column, row), static_cast<uint32_t>(colours[c.colour])) << c.hp;
            if (c.last_column < 73) {
                EXPECT_EQ(shown(c.last_column + 1, row), static_cast<uint32_t>(panel_fill)) << c.hp;
            }
        }
        EXPECT_EQ(shown(74, row), static_cast<uint32_t>(colour_yellow));
    }
}

TEST_F(GameLoop, EscapeEndsTheLoop)
{
    begin_map(40, 40);
    add_hero(10, 10);
    save_single();
    begin_run();
    at(7, event_key_down, 0, 0, key_escape);
    run_game(1000);
    // The key goes down as pass 7 begins, which is right after the present
    // of pass 6, where the loop looks at Escape.
    EXPECT_EQ(headless_pass(), 7);
    EXPECT_EQ(headless_box_count(), 0);
}

}  // namespace
