// The game's comforts through the real game loop on the headless backend:
// one scripted battle that opens the help, pauses, changes the speed, takes
// screenshots, mutes the music and moves the camera with the overview; the
// same battle at other speeds; the names the game takes for its map.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "core/cp1251.h"
#include "game_fixture.h"
#include "play/comforts.h"
#include "play/game_overview.h"
#include "sound/mixer.h"

namespace {

namespace fs = std::filesystem;
using namespace game_test;

// A 64 x 64 meadow: the hero with two grunts in reach, who fight it at once,
// and a footman far off.
void make_battle_map()
{
    prepare_data_folder();
    set_game_map("single");
    set_random_state(1);  // the units' directions the same every time
    begin_map(64, 64);
    add_hero(10, 10);
    add_unit(12, 10, kind_code_grunt, 0);
    add_unit(12, 12, kind_code_grunt, 0);
    add_unit(50, 50, kind_code_footman, 1);
    save_single();
}

// A tap of a held key in one pass.
void tap(int32_t pass, held_key key)
{
    at(pass, event_key_down, 0, 0, key);
    at(pass, event_key_up, 0, 0, key);
}

// The kept frame's pixel.
uint16_t pixel(int x, int y)
{
    int w = 0, h = 0;
    const uint16_t* frame = headless_frame(w, h);
    return frame != nullptr && x < w && y < h ? frame[y * w + x] : 0;
}

TEST(GameComforts, EachKeyDoesItsPartAndTheWorldStandsWhileItShould)
{
    make_battle_map();
    fs::remove_all("data/../screenshots");
    begin_run();
    headless_keep_frames(true);
    at(0, event_move, 400, 300);
    tap(5, key_f1);     // help on: the world stands
    tap(25, key_f1);    // help off
    tap(30, key_p);     // pause
    at(60, event_move, 600, 300);
    at(60, event_right_down);  // an order while paused is no order
    at(61, event_right_up);
    tap(150, key_pause);  // the Pause key goes on too
    // Presses two passes apart: a key down in the pass before reads as held.
    tap(170, key_plus);
    tap(172, key_plus);  // x2
    for (int32_t pass = 176; pass <= 186; pass += 2)
        tap(pass, key_minus);  // down to x1/4, the slowest, and no further
    for (int32_t pass = 190; pass <= 194; pass += 2)
        tap(pass, key_plus);  // x1 again
    tap(200, key_f12);
    tap(205, key_f12);
    tap(220, key_tab);
    // A press on the overview's cell (40, 40) centres the camera there.
    const int32_t press_pass = 230;
    tap(250, key_tab);
    tap(260, key_m);
    tap(270, key_m);

    std::map<int32_t, uint64_t> hashes;
    int32_t overview_x = 0, overview_y = 0;
    run_game(300, [&](int32_t pass) {
        hashes[pass] = world_hash();
        const int32_t help_top = (520 - (18 + 24 + 19 * 14)) / 2;
        if (pass == 4) {
            EXPECT_FALSE(comforts_in_use()) << "nothing shows before a key";
            EXPECT_NE(pixel(160, help_top + 10), colour_grey4);
        }
        if (pass == 10) {
            EXPECT_TRUE(help_shown);
            EXPECT_EQ(pixel(160, help_top + 10), colour_grey4) << "the help's title bar";
        }
        if (pass == 26) {
            EXPECT_FALSE(help_shown);
        }
        if (pass == 40) {
            EXPECT_TRUE(game_paused);
            EXPECT_EQ(pixel(400, 249), panel_fill) << "the pause line's panel";
        }
        if (pass == 174) {
            EXPECT_EQ(headless_pass_interval(), 5000);
        }
        if (pass == 187) {
            EXPECT_EQ(headless_pass_interval(), 40000);
        }
        if (pass == 196) {
            EXPECT_EQ(headless_pass_interval(), 0);
        }
        if (pass == 200) {
            EXPECT_TRUE(fs::exists("screenshots/brask-0001.png"));
            EXPECT_NE(std::string(comfort_notice()).find("screenshots/brask-0001.png"), std::string::npos);
        }
        if (pass == 205) {
            EXPECT_TRUE(fs::exists("screenshots/brask-0002.png"));
        }
        if (pass == press_pass - 1) {
            ASSERT_TRUE(overview_shown);
            const overview_place p = game_overview_place();
            overview_x = p.x + 40 * p.cell + 1;
            overview_y = p.y + 40 * p.cell + 1;
            at(press_pass, event_move, overview_x, overview_y);
            at(press_pass, event_left_down);
            at(press_pass + 1, event_left_up);
        }
        if (pass == press_pass) {
            // The view is 25 cells by 17 (the last one in part).
            EXPECT_EQ(camera_x, 40 - 12);
            EXPECT_EQ(camera_y, 40 - 8);
        }
        if (pass == 251) {
            EXPECT_FALSE(overview_shown);
        }
        if (pass == 261) {
            EXPECT_TRUE(music_muted);
            EXPECT_EQ(mixer_volume(music_slot), mixer_silent);
        }
        if (pass == 271) {
            EXPECT_EQ(mixer_volume(music_slot), mixer_full);
        }
    });
    // The help and the pause stand the world: the hash keeps still over the
    // help's passes and over 100 passes of the pause, the order given in it
    // included; the battle goes on either side.
    EXPECT_NE(hashes[2], hashes[5]);
    EXPECT_EQ(hashes[6], hashes[24]);
    EXPECT_NE(hashes[26], hashes[29]);
    EXPECT_EQ(hashes[31], hashes[131]);
    EXPECT_EQ(hashes[31], hashes[149]);
    EXPECT_NE(hashes[151], hashes[160]);
    // The screenshot is the frame as shown, a compressed PNG.
    ASSERT_TRUE(fs::exists("screenshots/brask-0001.png"));
    EXPECT_GT(fs::file_size("screenshots/brask-0001.png"), 1000u);
    EXPECT_LT(fs::file_size("screenshots/brask-0001.png"), 800u * 600u * 3u / 2u);
}

// The speed is the pace of the passes, never the rules: the same battle
// with the speed changed back and forth ends in the same world.
TEST(GameComforts, TheSameBattleAtAnySpeedEndsInTheSameWorld)
{
    uint64_t ends[2] = {};
    for (int run = 0; run < 2; ++run) {
        make_battle_map();
        begin_run();
        at(0, event_move, cursor_for(12, 1), cursor_for(11, 1));
        at(3, event_right_down);
        at(4, event_right_up);
        if (run == 1) {
            for (int32_t pass : {10, 11, 12, 13, 300})
                tap(pass, key_plus);
            for (int32_t pass : {100, 101, 102, 103, 104, 105, 106, 400})
                tap(pass, key_minus);
        }
        run_game(600);
        ends[run] = world_hash();
    }
    EXPECT_EQ(ends[0], ends[1]);
}

// The game's map is any name a map file can have, and nothing else.
TEST(GameComforts, TheMapNameIsOneAMapFileCanHave)
{
    ASSERT_TRUE(set_game_map("single"));
    const struct {
        const char* name;  // UTF-8, as a command line gives it
        bool taken;
        const char* stored;  // code page 1251
    } cases[] = {
        {"arena", true, "arena"},
        {"карта 7", true, "карта 7"_cp},
        {"1234567890123456789012345678901234567890123456", true, "1234567890123456789012345678901234567890123456"},
        {"12345678901234567890123456789012345678901234567", false, nullptr},  // 47 characters
        {"", false, nullptr},
        {"../single", false, nullptr},
        {"maps\\single", false, nullptr},
        {"a\tb", false, nullptr},
        {"snow\xE2\x98\x83", false, nullptr},  // a snowman has no byte
        {"\xC0\xAF", false, nullptr},          // not UTF-8
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(set_game_map("before"));
        EXPECT_EQ(set_game_map_utf8(c.name), c.taken) << c.name;
        EXPECT_STREQ(game_map, c.taken ? c.stored : "before") << c.name;
    }
    set_game_map("single");
}

}  // namespace
