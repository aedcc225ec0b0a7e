#include <gtest/gtest.h>

#include "input/input_latch.h"
#include "platform/headless/headless.h"
#include "shell/shell.h"

// The shutdown's releases, recorded instead of run.
void release_display() { headless_trace_note("release display"); }
void release_sound() { headless_trace_note("release sound"); }
void release_input() { headless_trace_note("release input"); }

namespace {

void move_to(uint32_t x, uint32_t y)
{
    window_proc(WM_MOUSEMOVE, x | (y << 16), 0);
}

struct LatchTest : ::testing::Test {
    void SetUp() override
    {
        headless_reset();
        reset_input_latch();
        quit_requested = 0;
    }
};

// The inclusive rule: x <= px <= x + w, y <= py <= y + h.
TEST_F(LatchTest, RectangleEdgesBelongToTheRectangle)
{
    struct {
        int32_t x, y, w, h;
        uint32_t px, py;
        bool inside;
    } cases[] = {
        {10, 20, 30, 40, 10, 20, true},    // top-left corner
        {10, 20, 30, 40, 40, 60, true},    // bottom-right corner: x + w, y + h
        {10, 20, 30, 40, 41, 60, false},   // one past the right edge
        {10, 20, 30, 40, 40, 61, false},   // one past the bottom edge
        {10, 20, 30, 40, 9, 30, false},    // one before the left edge
        {10, 20, 30, 40, 20, 19, false},   // one above the top edge
        {0, 0, 1, 1, 1, 1, true},          // w = 1 covers two columns
        {0, 0, 1, 1, 2, 0, false},
        {5, 5, 0, 0, 5, 5, true},          // an empty rectangle still holds its corner
        {5, 5, -1, 0, 5, 5, false},        // a negative width holds nothing
    };
    for (const auto& c : cases) {
        move_to(c.px, c.py);
        EXPECT_EQ(cursor_in(c.x, c.y, c.w, c.h), c.inside)
            << "point " << c.px << "," << c.py << " rect " << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
}

TEST_F(LatchTest, RectangleNearTheTopOfTheRangeDoesNotWrap)
{
    move_to(5, 5);
    EXPECT_FALSE(cursor_in(0x7FFFFFF0, 0, 0x7FFFFFF0, 10));
    EXPECT_TRUE(cursor_in(0, 0, 0x7FFFFFFF, 0x7FFFFFFF));
}

TEST_F(LatchTest, MovePositionHalvesAreUnsigned)
{
    window_proc(WM_MOUSEMOVE, 0xFFFF8000u, 0);
    EXPECT_EQ(cursor_x, 0x8000);
    EXPECT_EQ(cursor_y, 0xFFFF);
}

// Each hit test reads its own latched point and consumes only that one.
TEST_F(LatchTest, EachHitTestConsumesItsOwnPoint)
{
    move_to(100, 100);
    window_proc(WM_LBUTTONDOWN, 0, 0);
    window_proc(WM_RBUTTONDOWN, 0, 0);
    move_to(300, 300);
    window_proc(WM_LBUTTONUP, 0, 0);

    EXPECT_FALSE(hit_left_release(90, 90, 20, 20));   // the release was at 300,300
    EXPECT_TRUE(hit_left_press(90, 90, 20, 20));
    EXPECT_EQ(left_press_x, CONSUMED);
    EXPECT_EQ(left_press_y, CONSUMED);
    EXPECT_FALSE(hit_left_press(90, 90, 20, 20));
    EXPECT_TRUE(hit_right_press(90, 90, 20, 20));
    EXPECT_EQ(right_press_x, CONSUMED);
    EXPECT_TRUE(hit_left_release(290, 290, 20, 20));
    EXPECT_EQ(left_release_x, CONSUMED);
    EXPECT_EQ(left_release_y, CONSUMED);
    EXPECT_FALSE(cursor_in(CONSUMED - 1, CONSUMED - 1, 0, 0));  // the cursor itself is never consumed
    EXPECT_TRUE(cursor_in(290, 290, 20, 20));
}

TEST_F(LatchTest, OneClickIsTakenByOneOfTwoOverlappingControls)
{
    move_to(50, 50);
    window_proc(WM_LBUTTONDOWN, 0, 0);
    window_proc(WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(hit_left_release(40, 40, 20, 20));
    EXPECT_FALSE(hit_left_release(45, 45, 20, 20));
}

TEST_F(LatchTest, BeforeAnyClickTheOriginCountsAsClicked)
{
    EXPECT_TRUE(hit_left_release(0, 0, 10, 10));
    EXPECT_TRUE(hit_left_press(0, 0, 10, 10));
    EXPECT_TRUE(hit_right_press(0, 0, 10, 10));
}

TEST_F(LatchTest, PressWithoutReleaseKeepsThePreviousClick)
{
    move_to(10, 10);
    window_proc(WM_LBUTTONDOWN, 0, 0);
    window_proc(WM_LBUTTONUP, 0, 0);
    move_to(70, 80);
    window_proc(WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(left_down, 1);
    EXPECT_EQ(left_release_x, 10);
    EXPECT_EQ(left_release_y, 10);
    EXPECT_EQ(left_press_x, 70);
    EXPECT_EQ(left_press_y, 80);
}

// Buttons latch the cursor of the last move, whatever their own word says.
TEST_F(LatchTest, ButtonsIgnoreTheirOwnPosition)
{
    move_to(33, 44);
    window_proc(WM_LBUTTONDOWN, 5 | (6 << 16), 0);
    window_proc(WM_RBUTTONDOWN, 7 | (8 << 16), 0);
    EXPECT_EQ(left_press_x, 33);
    EXPECT_EQ(left_press_y, 44);
    EXPECT_EQ(right_press_x, 33);
    EXPECT_EQ(right_press_y, 44);
}

TEST_F(LatchTest, DoubleClickLatchesThePressButDoesNotHoldTheButton)
{
    move_to(12, 34);
    window_proc(WM_LBUTTONDOWN, 0, 0);
    window_proc(WM_LBUTTONUP, 0, 0);
    ASSERT_TRUE(hit_left_press(12, 34, 0, 0));
    window_proc(WM_LBUTTONDBLCLK, 0, 0);
    EXPECT_EQ(left_down, 0);
    EXPECT_EQ(left_press_x, 12);
    EXPECT_EQ(left_press_y, 34);

    window_proc(WM_RBUTTONDOWN, 0, 0);
    window_proc(WM_RBUTTONUP, 0, 0);
    ASSERT_TRUE(hit_right_press(12, 34, 0, 0));
    window_proc(WM_RBUTTONDBLCLK, 0, 0);
    EXPECT_EQ(right_down, 0);
    EXPECT_EQ(right_press_x, 12);
    EXPECT_EQ(right_press_y, 34);
}

TEST_F(LatchTest, RightReleaseOnlyDropsTheButton)
{
    move_to(1, 2);
    window_proc(WM_RBUTTONDOWN, 0, 0);
    move_to(3, 4);
    window_proc(WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(right_down, 0);
    EXPECT_EQ(right_press_x, 1);
    EXPECT_EQ(right_press_y, 2);
}

TEST_F(LatchTest, CharacterKeepsTheLowByte)
{
    window_proc(WM_CHAR, 0, 0x1E9);
    EXPECT_EQ(typed_char, 0xE9);
    EXPECT_EQ(char_ready, 1);
}

TEST_F(LatchTest, OtherMessagesLeaveTheLatchAlone)
{
    move_to(5, 6);
    EXPECT_EQ(window_proc(WM_QUIT, 0xFFFFFFFFu, 65), 0u);
    EXPECT_EQ(window_proc(0x0400, 0xFFFFFFFFu, 65), 0u);
    EXPECT_EQ(cursor_x, 5);
    EXPECT_EQ(cursor_y, 6);
    EXPECT_EQ(char_ready, 0);
    EXPECT_STREQ(headless_trace(), "");
}

// --- Frame meter -------------------------------------------------------------

// Nine calls that return the rate, then one that measures.
int32_t ten_frames()
{
    for (int i = 0; i < 9; ++i)
        measure_fps();
    return measure_fps();
}

TEST_F(LatchTest, FrameMeterMeasuresEveryTenthCall)
{
    headless_set_clock(2000);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(measure_fps(), 0);
    EXPECT_EQ(headless_peek_clock(), 2000u);  // nothing read the clock yet
    EXPECT_EQ(measure_fps(), 5);              // 10 frames against a start at 0: 2 s
    EXPECT_EQ(headless_peek_clock(), 2001u);  // one read per measurement

    struct {
        uint32_t interval;
        int32_t rate;
    } cases[] = {
        {100, 100},
        {1000, 10},
        {3, 3333},  // 3333.3, cut toward zero
        {7, 1428},
        {1, 10000},
    };
    int32_t previous = 5;
    for (const auto& c : cases) {
        // The clock is read once, at the tenth call.
        headless_set_clock(headless_peek_clock() - 1 + c.interval);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(measure_fps(), previous);
        EXPECT_EQ(measure_fps(), c.rate) << c.interval << " ms";
        previous = c.rate;
    }
}

TEST_F(LatchTest, ZeroIntervalKeepsThePreviousRate)
{
    headless_set_clock(100);
    ASSERT_EQ(ten_frames(), 100);
    headless_set_clock(150);
    ASSERT_EQ(ten_frames(), 200);
    headless_set_clock(150);
    EXPECT_EQ(ten_frames(), 200);
}

TEST_F(LatchTest, IntervalAcrossTheClockWrap)
{
    headless_set_clock(0xFFFFFFF0u);
    ten_frames();
    headless_set_clock(0x00000010u);  // 32 ms later
    EXPECT_EQ(ten_frames(), 312);
}

}  // namespace
