// The sprite editor's shell, image view, dialogs and frame editor, driven by
// scripted sessions on the headless backend.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/cp1251.h"
#include "input/input_latch.h"
#include "sprite_session.h"

using namespace sprite_session;

namespace {

TEST_F(Session, ScreenNot1024WideIsAFatalError)
{
    ASSERT_TRUE(render_test::start(800, 600));
    sprite_editor_loop();
    EXPECT_EQ(headless_pass(), 0);
    EXPECT_EQ(quit_requested, 1);
    ASSERT_EQ(headless_box_count(), 1);
    EXPECT_NE(std::strstr(headless_box_text(0), "задании размера экрана"_cp), nullptr);
}

TEST_F(Session, StartResetsTheTablesAndTheMode)
{
    editor_mode = mode_sprites;
    frame_count = 3;
    frame_table[2].x = 7;
    roll_table[5][1] = 2;
    sprite_table[1][1] = 4;
    script s;
    run(s, 1);
    EXPECT_EQ(editor_mode, mode_frames);
    EXPECT_EQ(frame_count, 0);
    EXPECT_EQ(frame_table[2].x, 0);
    EXPECT_EQ(roll_table[5][1], 0);
    EXPECT_EQ(sprite_table[1][1], no_roll);
    EXPECT_EQ(filled_sprite_entries(), 0);
}

TEST_F(Session, EachPassLastsAtLeastTenMilliseconds)
{
    script s;
    uint32_t at[2] = {};
    run(s, 6, [&](int32_t pass) {
        if (pass == 2) at[0] = headless_peek_clock();
        if (pass == 5) at[1] = headless_peek_clock();
    });
    EXPECT_GE(at[1] - at[0], 30u);
}

TEST_F(Session, ModeButtonsSwitchTheEditor)
{
    script s;
    s.click(1, mode_x[1], mode_y);
    s.click(3, mode_x[2], mode_y);
    s.click(5, mode_x[0], mode_y);
    int32_t seen[6] = {};
    run(s, 6, [&](int32_t pass) { seen[pass] = editor_mode; });
    EXPECT_EQ(seen[0], mode_frames);
    EXPECT_EQ(seen[1], mode_rolls);
    EXPECT_EQ(seen[3], mode_sprites);
    EXPECT_EQ(seen[5], mode_frames);
}

TEST_F(Session, ImageDialogLoadsTheTypedImage)
{
    script s;
    int p = s.open_image(1, "wide");
    run(s, p + 1);
    EXPECT_TRUE(image_loaded());
    EXPECT_EQ(image_width, 800);
    EXPECT_EQ(image_height, 800);
    EXPECT_STREQ(current_file_name, "wide");
    EXPECT_EQ(view_width, 768);
    EXPECT_EQ(view_height, 768);
    // The view shows image pixel (0, 0) at the work area's corner.
    EXPECT_EQ(frame_pixel(256, 0), render_test::to_565(0x400000));
}

TEST_F(Session, FailedImageLoadKeepsTheImageAndItsSize)
{
    // A file with a BMP header naming a size but no pixels.
    std::vector<uint8_t> damaged(54, 0);
    damaged[0] = 'B', damaged[1] = 'M', damaged[18] = 50, damaged[22] = 40, damaged[26] = 1, damaged[28] = 24;
    FILE* f = std::fopen("data/images/damaged.bmp", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(damaged.data(), 1, damaged.size(), f);
    std::fclose(f);

    script s;
    int p = s.open_image(1, "wide");
    s.move(p, 1023, 767);  // edge scrolling for a few passes
    s.move(p + 4, 600, 400);
    p = s.open_image(p + 5, "\b\b\b\bdamaged");
    p = s.open_image(p, "\b\b\b\b\b\b\bmissing");
    int32_t scrolled = 0;
    run(s, p + 1, [&](int32_t pass) {
        if (pass == 12) scrolled = scroll_x;
    });
    EXPECT_GT(scrolled, 0);
    EXPECT_TRUE(image_loaded());
    EXPECT_EQ(image_width, 800);
    EXPECT_EQ(image_height, 800);
    EXPECT_EQ(scroll_x, 0);
    EXPECT_EQ(scroll_y, 0);
    EXPECT_STREQ(current_file_name, "wide");
}

TEST_F(Session, EdgeScrollingStaysInsideTheImage)
{
    script s;
    int p = s.open_image(1, "wide");
    // Down-right for 40 passes: the view is 768 of 800, so 32 at most.
    s.move(p, 1023, 767);
    s.move(p + 40, 600, 400);
    int32_t after_down = 0, after_up = 0;
    // Then up-left for 50 passes, back to 0.
    s.move(p + 41, 0, 0);
    s.move(p + 91, 600, 400);
    run(s, p + 92, [&](int32_t pass) {
        if (pass == p + 40) after_down = scroll_x * 1000 + scroll_y;
        if (pass == p + 91) after_up = scroll_x * 1000 + scroll_y;
    });
    EXPECT_EQ(after_down, 32 * 1000 + 32);
    EXPECT_EQ(after_up, 0);
}

TEST_F(Session, NoImageMeansNoScrollAndZeroSize)
{
    script s;
    s.move(1, 1023, 767);
    run(s, 10);
    EXPECT_EQ(scroll_x, 0);
    EXPECT_EQ(scroll_y, 0);
    EXPECT_EQ(view_width, 0);
    EXPECT_EQ(image_width, 0);
}

// --- Frame editor -------------------------------------------------------------------

TEST_F(Session, DragWithScrollThenCreateButton)
{
    script s;
    int p = s.open_image(1, "wide");
    // Scroll to (10, 5) at the screen edges with the button up.
    s.move(p, 1023, 767);
    s.move(p + 5, 1023, 400);
    s.move(p + 10, 600, 400);
    s.drag(p + 11, 400, 100, 360, 150);
    s.click(p + 14, 100, 377);
    run(s, p + 16);
    EXPECT_EQ(scroll_x, 10);
    EXPECT_EQ(scroll_y, 5);
    ASSERT_EQ(frame_count, 1);
    EXPECT_EQ(current_frame, 1);
    const frame_record& f = frame_table[1];
    EXPECT_EQ(f.x, 114);
    EXPECT_EQ(f.y, 105);
    EXPECT_EQ(f.width, 40);
    EXPECT_EQ(f.height, 50);
    EXPECT_EQ(selection_width, 0);
    EXPECT_EQ(selection_height, 0);
}

TEST_F(Session, RightClickCreatesOnceASelection)
{
    script s;
    int p = s.open_image(1, "small");
    s.drag(p, 270, 10, 300, 40);
    s.right_click(p + 4, 700, 300);
    s.right_click(p + 7, 700, 300);  // no new drag: nothing
    int32_t after_first = 0;
    run(s, p + 10, [&](int32_t pass) {
        if (pass == p + 5) after_first = frame_count;
    });
    EXPECT_EQ(after_first, 1);
    EXPECT_EQ(frame_count, 1);
    EXPECT_EQ(frame_table[1].x, 14);
    EXPECT_EQ(frame_table[1].width, 30);
}

TEST_F(Session, PressInThePanelNeverStartsASelection)
{
    script s;
    int p = s.open_image(1, "small");
    s.drag(p, 200, 300, 400, 400);
    s.right_click(p + 4, 700, 300);
    run(s, p + 7);
    EXPECT_EQ(frame_count, 0);
    EXPECT_EQ(selection_width, 0);
}

TEST_F(Session, CreatingAtTheLimitReplacesTheLastFrame)
{
    script s;
    int p = s.open_image(1, "small");
    s.drag(p, 270, 10, 300, 40);
    s.right_click(p + 4, 700, 300);
    run(s, p + 6, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = max_frame_count;
            current_frame = 5;
        }
    });
    EXPECT_EQ(frame_count, max_frame_count);
    EXPECT_EQ(current_frame, 5);
    EXPECT_EQ(frame_table[max_frame_count].width, 30);
}

// The position and size groups hold a frame of the 100 x 80 image inside it.
struct group_case {
    const char* what;
    int click_y;     // the group box clicked
    const char* key;
    int passes;      // how long the key is held
    int32_t start[4];
    int32_t expected[4];
};

TEST_F(Session, PositionAndSizeGroupsKeepTheFrameInTheImage)
{
    const group_case cases[] = {
        {"right stops at 60 for a 40-wide frame", 500, "right", 80, {0, 0, 40, 30}, {60, 0, 40, 30}},
        {"left stops at 0", 500, "left", 10, {5, 0, 40, 30}, {0, 0, 40, 30}},
        {"down stops at the bottom", 500, "down", 80, {0, 0, 40, 30}, {0, 50, 40, 30}},
        {"one pass moves one pixel", 500, "up", 1, {0, 20, 40, 30}, {0, 19, 40, 30}},
        {"a frame wider than the image starts at 0", 500, "right", 5, {0, 0, 120, 30}, {0, 0, 120, 30}},
        {"width stops at the right edge", 530, "right", 80, {30, 0, 40, 30}, {30, 0, 70, 30}},
        {"height stops at 0", 530, "up", 50, {0, 0, 40, 30}, {0, 0, 40, 0}},
        {"a frame past the edge gets no width", 530, "left", 1, {120, 0, 40, 30}, {120, 0, 0, 30}},
    };
    for (const group_case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        script s;
        int p = s.open_image(1, "small");
        s.click(p, 200, c.click_y);
        s.hold(p + 1, c.key, c.passes);
        run(s, p + c.passes + 3, [&](int32_t pass) {
            if (pass == 0) {
                frame_count = 1;
                current_frame = 1;
                set_frame(1, c.start[0], c.start[1], c.start[2], c.start[3]);
            }
        });
        const frame_record& f = frame_table[1];
        EXPECT_EQ(f.x, c.expected[0]);
        EXPECT_EQ(f.y, c.expected[1]);
        EXPECT_EQ(f.width, c.expected[2]);
        EXPECT_EQ(f.height, c.expected[3]);
        TearDown();
    }
}

TEST_F(Session, CurrentFrameGroupStaysWithinTheFrames)
{
    script s;
    s.click(1, 200, 430);
    s.type(2, "6666");  // 3 frames: stops at 3
    s.hold(7, "left", 6);  // stops at 0
    int32_t after_up = -1;
    run(s, 15, [&](int32_t pass) {
        if (pass == 0) frame_count = 3;
        if (pass == 6) after_up = current_frame;
    });
    EXPECT_EQ(after_up, 3);
    EXPECT_EQ(current_frame, 0);
}

// Deleting frame 2 of 5 moves frame 5 into its place whole, and the rolls
// follow: slots of frame 2 empty, slots of frame 5 name 2, the rest kept.
TEST_F(Session, DeletingFrameTwoOfFiveRenumbersTheRolls)
{
    script s;
    // Frame i lies at (50 i - 40, 10) in the image; click inside frame 2.
    s.click(1, 256 + 60 + 20, 30);
    s.click(3, 100, 587);
    int32_t selected = 0;
    run(s, 5, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = 5;
            for (int i = 1; i <= 5; ++i) {
                set_frame(i, 50 * i - 40, 10, 40, 40);
                frame_table[i].offset_x = -i;
                frame_table[i].delay = i;
            }
            const int32_t roll_0[] = {2, 5, 3, 0, 4, 1};
            const int32_t roll_63[] = {5, 5, 2, 2};
            std::memcpy(roll_table[0], roll_0, sizeof roll_0);
            std::memcpy(roll_table[63], roll_63, sizeof roll_63);
        }
        if (pass == 1) selected = current_frame;
    });
    EXPECT_EQ(selected, 2);
    EXPECT_EQ(frame_count, 4);
    EXPECT_EQ(current_frame, 4);
    // Frame 5 whole in frame 2's place: its rectangle, offsets and delay.
    EXPECT_EQ(frame_table[2].x, 210);
    EXPECT_EQ(frame_table[2].offset_x, -5);
    EXPECT_EQ(frame_table[2].delay, 5);
    EXPECT_EQ(frame_table[5].x, 0);
    EXPECT_EQ(frame_table[5].width, 0);
    EXPECT_EQ(frame_table[5].offset_x, 0);
    EXPECT_EQ(frame_table[4].x, 160);
    const int32_t roll_0[] = {0, 2, 3, 0, 4, 1, 0};
    const int32_t roll_63[] = {2, 2, 0, 0, 0};
    EXPECT_EQ(std::memcmp(roll_table[0], roll_0, sizeof roll_0), 0);
    EXPECT_EQ(std::memcmp(roll_table[63], roll_63, sizeof roll_63), 0);
    for (const auto& roll : roll_table)
        for (int32_t frame : roll)
            EXPECT_LE(frame, frame_count);
}

TEST_F(Session, LowestFrameUnderAClickWins)
{
    script s;
    s.click(1, 256 + 25, 25);
    run(s, 3, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = 3;
            set_frame(1, 100, 100, 10, 10);
            set_frame(2, 20, 20, 20, 20);
            set_frame(3, 0, 0, 40, 40);
        }
    });
    EXPECT_EQ(current_frame, 2);
}

TEST_F(Session, FrameFileButtonsNeedFramesAndAnImage)
{
    script s;
    s.click(1, save_x, file_button_y);  // no frames: nothing
    s.click(3, open_x, file_button_y);  // no image: nothing
    bool shown[4] = {};
    run(s, 4, [&](int32_t pass) { shown[pass] = name_dialog_shown(); });
    EXPECT_FALSE(shown[1]);
    EXPECT_FALSE(shown[3]);
    EXPECT_EQ(headless_pass(), 4);
}

// --- Dialogs ------------------------------------------------------------------------------

// A frame file saved under a name of the given length.
struct save_case {
    int length;
    bool saved;
};

TEST_F(Session, SaveDialogRefusesNamesTooLongAndClosesAnyway)
{
    // "data\images\" + name + ".frm" must fit 59 characters: 43 do.
    const save_case cases[] = {{43, true}, {44, false}, {130, false}};
    for (const save_case& c : cases) {
        SCOPED_TRACE(c.length);
        SetUp();
        std::snprintf(current_file_name, current_file_name_size, "old");
        std::string name(static_cast<size_t>(c.length), 'n');
        std::string path = "data/images/" + name + ".frm";
        std::filesystem::remove(path);
        script s;
        s.click(1, save_x, file_button_y);
        int p = s.enter(s.type(2, "\b\b\b" + name));
        bool closed = false;
        run(s, p + 2, [&](int32_t pass) {
            if (pass == 0) {
                frame_count = 1;
                set_frame(1, 1, 2, 3, 4);
            }
            if (pass == p + 1) closed = !name_dialog_shown();
        });
        EXPECT_TRUE(closed);
        EXPECT_EQ(std::filesystem::exists(path), c.saved);
        EXPECT_STREQ(current_file_name, c.saved ? name.c_str() : "old");
        TearDown();
    }
}

TEST_F(Session, AFailedSaveLeavesTheNameForTheNextDialog)
{
    std::filesystem::remove("data/images/keep.frm");
    std::snprintf(current_file_name, current_file_name_size, "keep");
    script s;
    // The first save types an empty name; the second takes the default.
    s.click(1, save_x, file_button_y);
    int p = s.enter(s.type(2, "\b\b\b\b"));
    s.click(p + 1, save_x, file_button_y);
    p = s.enter(p + 3);
    run(s, p + 1, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = 1;
            set_frame(1, 1, 2, 3, 4);
        }
    });
    EXPECT_TRUE(std::filesystem::exists("data/images/keep.frm"));
    EXPECT_STREQ(current_file_name, "keep");
}

// A name typed faster than the passes, Enter tapped right after it, all in
// one pass: every character reaches the name before Enter saves it.
TEST_F(Session, ANameAndItsEnterTypedInOnePassSaveWhole)
{
    const std::string name = "орк-тест"_cp;
    // On disk the name is UTF-8.
    std::filesystem::remove("data/images/орк-тест.frm");
    script s;
    s.click(1, save_x, file_button_y);
    for (unsigned char c : name)
        s.line(2, "char " + std::to_string(c));
    s.line(2, "key down enter");
    s.line(2, "key up enter");
    run(s, 14, [&](int32_t pass) {
        if (pass == 0) frame_count = 1;
    });
    EXPECT_TRUE(std::filesystem::exists("data/images/орк-тест.frm"));
    EXPECT_EQ(std::string(current_file_name), name);
}

TEST_F(Session, CancelClosesWithoutSaving)
{
    std::filesystem::remove("data/images/cancelled.frm");
    script s;
    s.click(1, save_x, file_button_y);
    int p = s.type(2, "cancelled");
    s.click(p, 520, 247);
    run(s, p + 2, [&](int32_t pass) {
        if (pass == 0) frame_count = 1;
    });
    EXPECT_FALSE(std::filesystem::exists("data/images/cancelled.frm"));
    EXPECT_STREQ(current_file_name, "");
    EXPECT_FALSE(name_dialog_shown());
}

TEST_F(Session, ARightClickInADialogStaysThere)
{
    // With a selection present, the right button pressed inside the save
    // dialog and "Отмена" clicked while it is still down make no frame.
    script s;
    int p = s.open_image(1, "small");
    s.drag(p, 270, 10, 300, 40);
    s.click(p + 4, save_x, file_button_y);
    s.move(p + 5, 450, 200);
    s.line(p + 5, "rdown");
    s.click(p + 6, 520, 247);
    s.line(p + 8, "rup");
    run(s, p + 9, [&](int32_t pass) {
        if (pass == 0) frame_count = 1;
    });
    EXPECT_EQ(frame_count, 1);
    EXPECT_EQ(selection_width, 30);
}

// Unsaved frames: "new frames" asks first whether to save them; "Не
// сохранять" goes on to the confirmation, whose "Нет" keeps them and "Да"
// clears them.
TEST_F(Session, NewFramesAsksFirst)
{
    script s;
    s.click(1, new_x, file_button_y);
    s.click(2, 460, 242);  // "Не сохранять"
    s.click(3, 505, 217);  // "Нет"
    s.click(5, new_x, file_button_y);
    s.click(6, 460, 242);
    s.click(7, 405, 217);  // "Да"
    int32_t after_no = 0;
    run(s, 9, [&](int32_t pass) {
        if (pass == 0) {
            frame_count = 2;
            current_frame = 2;
            set_frame(2, 5, 5, 5, 5);
        }
        if (pass == 4) after_no = frame_count;
    });
    EXPECT_EQ(after_no, 2);
    EXPECT_EQ(frame_count, 0);
    EXPECT_EQ(current_frame, 0);
    EXPECT_EQ(frame_table[2].x, 0);
}

TEST_F(Session, OpenFramesSelectsTheLastFrame)
{
    frame_count = 3;
    set_frame(3, 9, 9, 9, 9);
    ASSERT_TRUE(save_frame_file("three"));
    std::snprintf(current_file_name, current_file_name_size, "three");
    script s;
    int p = s.open_image(1, "\b\b\b\b\bsmall");
    s.click(p, open_x, file_button_y);
    p = s.enter(s.type(p + 1, "\b\b\b\b\bthree"));
    run(s, p + 1);
    EXPECT_EQ(frame_count, 3);
    EXPECT_EQ(current_frame, 3);
    EXPECT_EQ(frame_table[3].x, 9);
}

}  // namespace
