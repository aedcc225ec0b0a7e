// The roll editor and the sprite-set editor in scripted sessions, and a unit
// animation made from start to end in the editor and read back from its
// sprite file.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "game/world_drawing.h"
#include "input/input_latch.h"
#include "sprite_session.h"
#include "world/units.h"

using namespace sprite_session;

namespace {

// Frames 1..3 in the first slots of roll 0, each with delay 0.
void three_frame_roll()
{
    frame_count = 3;
    for (int i = 1; i <= 3; ++i) {
        set_frame(i, 10 * i, 0, 8, 8);
        roll_table[0][i - 1] = i;
    }
}

// --- Roll editor ----------------------------------------------------------------------

TEST_F(Session, DelayKeysHaveNoBoundUntilTheDelayGroupIsActive)
{
    script s;
    s.click(1, mode_x[1], mode_y);
    s.type(2, "eee");
    s.click(6, 200, 660);  // the delay group's box
    int32_t after_keys = 0, group_then = -1;
    run(s, 8, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = 1;
            frame_table[1].delay = 1;
            roll_table[0][0] = 1;
        }
        if (pass == 4) {
            after_keys = frame_table[1].delay;
            group_then = active_group;
        }
    });
    EXPECT_EQ(after_keys, -2);
    EXPECT_NE(group_then, group_delay);
    EXPECT_EQ(active_group, group_delay);
    EXPECT_EQ(frame_table[1].delay, 0);
}

TEST_F(Session, PresetsWrapAndCAndVJumpToThem)
{
    script s;
    s.click(1, mode_x[1], mode_y);
    s.click(2, 200, 570);  // the presets group
    s.hold(3, "right", 1);  // 15 wraps to 0
    s.hold(5, "down", 1);   // the second preset goes down: 0 wraps to 15
    s.type(7, "vxc");
    int32_t first_after_wrap = -1, slot_after_v = -1, slot_after_x = -1;
    run(s, 11, [&](int32_t pass) {
        if (pass == 0) preset_slot_1 = 15;
        if (pass == 3) first_after_wrap = preset_slot_1;
        if (pass == 7) slot_after_v = current_slot;
        if (pass == 8) slot_after_x = current_slot;
    });
    EXPECT_EQ(first_after_wrap, 0);
    EXPECT_EQ(preset_slot_2, 15);
    EXPECT_EQ(slot_after_v, 15);
    EXPECT_EQ(slot_after_x, 15);  // "x" stops at the last slot
    EXPECT_EQ(current_slot, 0);
}

TEST_F(Session, PlayingShowsEachSlotTwelvePassesAndStopsAtAGap)
{
    script s;
    s.click(1, mode_x[1], mode_y);
    s.type(2, " ");
    std::vector<int32_t> slots;
    run(s, 2 + 12 * 9, [&](int32_t pass) {
        if (pass == 0) {
            three_frame_roll();
            roll_table[0][4] = 1;  // after the gap at slot 3: never reached
        }
        if (pass >= 2) slots.push_back(current_slot);
    });
    ASSERT_EQ(roll_playing, 1);
    // Passes between the slot changes after the first.
    std::vector<size_t> changes;
    for (size_t i = 1; i < slots.size(); ++i) {
        EXPECT_LE(slots[i], 2) << "pass " << i;
        if (slots[i] != slots[i - 1]) {
            EXPECT_EQ(slots[i], (slots[i - 1] + 1) % 3);
            changes.push_back(i);
        }
    }
    ASSERT_GE(changes.size(), 6u);
    for (size_t i = 1; i < changes.size(); ++i)
        EXPECT_EQ(changes[i] - changes[i - 1], 12u);
}

TEST_F(Session, SlotControlsFillAndEmptyTheCurrentSlot)
{
    script s;
    s.click(1, mode_x[1], mode_y);
    s.click(2, 750, 730);       // slot strip: slot 11
    s.click(3, 60, 432);        // "создать кадр": current_frame into slot 11
    s.type(4, "s");             // roll 1
    s.click(5, 60, 432);
    s.hold(6, "delete", 1);     // and empty it again
    s.type(8, "a");
    int32_t slot_then = -1;
    run(s, 10, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = 2;
            current_frame = 2;
        }
        if (pass == 2) slot_then = current_slot;
    });
    EXPECT_EQ(slot_then, 11);
    EXPECT_EQ(roll_table[0][11], 2);
    EXPECT_EQ(roll_table[1][11], 0);
    EXPECT_EQ(current_roll, 0);
}

TEST_F(Session, OffsetKeysMoveTheSlotFrameAndSpinnersTheCurrentFrame)
{
    script s;
    s.click(1, mode_x[1], mode_y);
    s.click(2, 200, 470);        // the offsets group
    s.hold(3, "left", 3);
    s.type(7, "8");
    s.click(9, 64, 467);         // ">" of the horizontal spinner
    run(s, 11, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = 2;
            current_frame = 2;
            roll_table[0][0] = 1;
        }
    });
    EXPECT_EQ(frame_table[1].offset_x, -3);
    EXPECT_EQ(frame_table[1].offset_y, -1);
    EXPECT_EQ(frame_table[2].offset_x, 1);
}

// Taps faster than the passes: 32 "4" and 5 "8" typed in one pass each move
// the slot frame once.
TEST_F(Session, EveryTypedTapMovesTheOffsetOnce)
{
    script s;
    s.click(1, mode_x[1], mode_y);
    s.click(2, 200, 470);  // the offsets group
    for (int i = 0; i < 32; ++i)
        s.line(3, "char 52");
    for (int i = 0; i < 5; ++i)
        s.line(3, "char 56");
    run(s, 45, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = 1;
            roll_table[0][0] = 1;
        }
    });
    EXPECT_EQ(frame_table[1].offset_x, -32);
    EXPECT_EQ(frame_table[1].offset_y, -5);
}

// total_delay keeps within 0..100 in both editors that show it.
struct delay_case {
    int32_t mode;
    int32_t start;
    char key;
    int32_t expected;
};

TEST_F(Session, TotalDelayStaysWithinItsRange)
{
    const delay_case cases[] = {
        {mode_sprites, 100, '9', 100}, {mode_sprites, 0, '7', 0}, {mode_sprites, 10, '9', 11},
        {mode_sprites, 10, '7', 9},    {mode_rolls, 100, 'w', 100}, {mode_rolls, 0, 'q', 0},
        {mode_rolls, 10, 'q', 9},
    };
    for (const delay_case& c : cases) {
        SCOPED_TRACE(std::string(1, c.key) + " from " + std::to_string(c.start));
        SetUp();
        total_delay = c.start;
        script s;
        s.click(1, mode_x[c.mode], mode_y);
        s.type(2, std::string(1, c.key));
        run(s, 4);
        EXPECT_EQ(total_delay, c.expected);
        TearDown();
    }
}

// The pixels of a name dialog's title bar in the kept frame.
std::vector<uint16_t> title_bar()
{
    std::vector<uint16_t> pixels;
    for (int y = 165; y < 179; ++y)
        for (int x = 380; x < 550; ++x)
            pixels.push_back(frame_pixel(x, y));
    return pixels;
}

// The title bar of the dialog that the button at x opens in the given mode.
std::vector<uint16_t> dialog_title(int32_t mode, int x)
{
    script s;
    int p = s.open_image(1, "small");
    s.click(p, mode_x[mode], mode_y);
    s.click(p + 1, x, file_button_y);
    std::vector<uint16_t> title;
    run(s, p + 3, [&](int32_t pass) {
        if (pass == p + 2 && name_dialog_shown()) title = title_bar();
    });
    return title;
}

TEST_F(Session, OpenRollsHasTheTitleOfOpenFrames)
{
    std::vector<uint16_t> open_frames = dialog_title(mode_frames, open_x);
    SetUp();
    std::vector<uint16_t> open_rolls = dialog_title(mode_rolls, open_x);
    SetUp();
    std::vector<uint16_t> save_rolls = dialog_title(mode_rolls, save_x);
    ASSERT_FALSE(open_frames.empty());
    EXPECT_EQ(open_rolls, open_frames);
    EXPECT_NE(save_rolls, open_frames);
}

// --- Sprite-set editor -------------------------------------------------------------------

TEST_F(Session, RightClickOnAGridCellAssignsItsRoll)
{
    script s;
    s.click(1, mode_x[2], mode_y);
    int p = s.type(2, "xxxxssssss");          // action 4, direction 6
    s.right_click(p, 256 + 96 * 3 + 40, 80 * 2 + 40);  // row 2, column 3
    int32_t stored = 0;
    s.hold(p + 3, "delete", 1);
    run(s, p + 5, [&](int32_t pass) {
        if (pass == p + 1) stored = sprite_table[4][6];
    });
    EXPECT_EQ(stored, 19);
    EXPECT_EQ(sprite_table[4][6], no_roll);
    EXPECT_EQ(current_action, 4);
    EXPECT_EQ(current_direction, 6);
}

TEST_F(Session, ActionBoxesAndBoundsOfTheSelection)
{
    script s;
    s.click(1, mode_x[2], mode_y);
    s.click(2, 128 * 5 + 60, 700);  // action box 5
    int p = s.type(3, "xxxxaa");    // action stops at 7, direction at 0
    run(s, p + 1);
    EXPECT_EQ(current_action, 7);
    EXPECT_EQ(current_direction, 0);
}

TEST_F(Session, ARightClickActsInItsOwnPassOnly)
{
    // A frame made with the right button over what is later roll 28's cell
    // must not assign that roll when the sprite-set editor opens.
    script s;
    int p = s.open_image(1, "small");
    s.drag(p, 270, 10, 300, 40);
    s.right_click(p + 4, 700, 300);
    s.click(p + 7, mode_x[2], mode_y);
    run(s, p + 9);
    EXPECT_EQ(frame_count, 1);
    EXPECT_EQ(filled_sprite_entries(), 0);
}

TEST_F(Session, ActionBoxWithoutARollStaysEmpty)
{
    script s;
    int p = s.open_image(1, "small");
    s.click(p, mode_x[2], mode_y);
    bool box0_drawn = false, box1_drawn = false;
    run(s, p + 3, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = 1;
            set_frame(1, 10, 10, 30, 30);
            frame_table[1].offset_x = frame_table[1].offset_y = -15;
            roll_table[0][0] = 1;
            sprite_table[0][0] = 0;
        }
        if (pass == p + 2) {
            // Anywhere in the box not the grey of an empty box.
            for (int y = 645; y < 760; ++y)
                for (int x = 5; x < 120; ++x) {
                    if (frame_pixel(x, y) != static_cast<uint16_t>(colour_grey1)) box0_drawn = true;
                    if (frame_pixel(x + 128, y) != static_cast<uint16_t>(colour_grey1)) box1_drawn = true;
                }
        }
    });
    EXPECT_TRUE(box0_drawn);
    EXPECT_FALSE(box1_drawn);
}

// --- A unit animation from start to end ----------------------------------------------------

TEST_F(Session, UnitAnimationMadeInTheEditorLoadsBack)
{
    std::filesystem::remove("data/images/grant.spr");
    script s;
    int p = s.open_image(1, "grant");
    // Three frames cut with the right button.
    s.drag(p, 300, 100, 364, 164);
    s.right_click(p + 3, 600, 600);
    s.drag(p + 5, 400, 100, 464, 164);
    s.right_click(p + 8, 600, 600);
    s.drag(p + 10, 300, 300, 348, 372);
    s.right_click(p + 13, 600, 600);
    // Roll 0: frames 1 and 2 by right clicks on their outlines, with offsets.
    s.click(p + 15, mode_x[1], mode_y);
    s.right_click(p + 16, 330, 130);
    s.type(p + 18, "x");
    s.right_click(p + 19, 430, 130);
    s.click(p + 21, 200, 470);
    s.hold(p + 22, "left", 3);
    s.hold(p + 26, "up", 5);
    s.type(p + 32, "z");
    s.hold(p + 33, "right", 2);
    s.hold(p + 36, "down", 4);
    // Roll 1: frame 3, with a delay.
    s.type(p + 41, "s");
    s.right_click(p + 42, 330, 330);
    s.type(p + 44, "r");
    // Roll 0 stands facing north and east (action 0, directions 0 and 2),
    // roll 1 walks facing east (action 1, direction 2).
    s.click(p + 46, mode_x[2], mode_y);
    s.right_click(p + 47, 256 + 48, 40);
    s.type(p + 49, "ss");
    s.right_click(p + 51, 256 + 48, 40);
    s.type(p + 53, "x");
    s.right_click(p + 54, 256 + 96 + 48, 40);
    // Saved under the image's name, the dialog's default: the game reads
    // it as the orcs' sprite set.
    s.click(p + 56, save_x, file_button_y);
    int end = s.enter(p + 58);
    run(s, end + 1);

    ASSERT_STREQ(current_file_name, "grant");
    ASSERT_EQ(std::filesystem::file_size("data/images/grant.spr"),
              static_cast<uintmax_t>(sprite_file_size(file_kind_sprites, 3)));
    struct expected_frame {
        int32_t x, y, width, height, offset_x, offset_y, delay;
    };
    const expected_frame frames[] = {
        {44, 100, 64, 64, 2, 4, 0}, {144, 100, 64, 64, -3, -5, 0}, {44, 300, 48, 72, 0, 0, 1}};
    auto check = [&]() {
        ASSERT_EQ(frame_count, 3);
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i + 1);
            const frame_record& f = frame_table[i + 1];
            const expected_frame& e = frames[i];
            EXPECT_EQ(f.x, e.x);
            EXPECT_EQ(f.y, e.y);
            EXPECT_EQ(f.width, e.width);
            EXPECT_EQ(f.height, e.height);
            EXPECT_EQ(f.offset_x, e.offset_x);
            EXPECT_EQ(f.offset_y, e.offset_y);
            EXPECT_EQ(f.delay, e.delay);
        }
        EXPECT_EQ(roll_table[0][0], 1);
        EXPECT_EQ(roll_table[0][1], 2);
        EXPECT_EQ(roll_table[1][0], 3);
        EXPECT_EQ(filled_roll_slots(), 3);
        EXPECT_EQ(sprite_table[0][0], 0);
        EXPECT_EQ(sprite_table[0][2], 0);
        EXPECT_EQ(sprite_table[1][2], 1);
        EXPECT_EQ(filled_sprite_entries(), 3);
    };
    check();
    uint32_t hash = sprite_tables_hash();

    clear_sprites();
    ASSERT_TRUE(load_sprite_file("grant"));
    check();
    EXPECT_EQ(sprite_tables_hash(), hash);

    // The game's animation table of the orcs: [action][direction][slot];
    // the humans' sprite set from the data set, as the game needs both.
    copy_data_file("images/footman.spr");
    ASSERT_TRUE(load_unit_sprites());
    auto expect_entry = [](const anim_entry& a, const expected_frame* e) {
        if (e == nullptr) {
            EXPECT_EQ(a.height, 0);
            return;
        }
        EXPECT_EQ(a.x, e->x);
        EXPECT_EQ(a.y, e->y);
        EXPECT_EQ(a.width, e->width);
        EXPECT_EQ(a.height, e->height);
        EXPECT_EQ(a.offset_x, e->offset_x);
        EXPECT_EQ(a.offset_y, e->offset_y);
    };
    const auto& orcs = unit_anims[0];
    expect_entry(orcs[0][0][0], &frames[0]);
    expect_entry(orcs[0][0][1], &frames[1]);
    expect_entry(orcs[0][0][2], nullptr);
    expect_entry(orcs[0][2][0], &frames[0]);
    expect_entry(orcs[1][2][0], &frames[2]);
    expect_entry(orcs[1][2][1], nullptr);
    expect_entry(orcs[0][1][0], nullptr);
    expect_entry(orcs[3][4][0], nullptr);
}

}  // namespace
