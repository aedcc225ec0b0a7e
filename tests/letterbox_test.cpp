#include <gtest/gtest.h>

#include "platform/letterbox.h"

namespace {

TEST(Letterbox, FrameFillsOneSideAndIsCentredOnTheOther)
{
    struct {
        int output_w, output_h, frame_w, frame_h;
        letterbox_rect expected;
    } cases[] = {
        {800, 600, 800, 600, {0, 0, 800, 600}},        // exact fit
        {1280, 1024, 800, 600, {0, 32, 1280, 960}},    // bars above and below
        {1920, 1080, 800, 600, {240, 0, 1440, 1080}},  // bars left and right
        {1920, 1080, 1024, 768, {240, 0, 1440, 1080}},
        {1600, 1200, 800, 600, {0, 0, 1600, 1200}},    // double size
        {1366, 768, 1024, 768, {171, 0, 1024, 768}},   // odd bar width: the extra pixel goes right
        {1000, 1000, 800, 600, {0, 125, 1000, 750}},
        {801, 600, 800, 600, {0, 0, 800, 600}},        // a one-pixel spare column: bar 0 left, 1 right
        {1, 1, 800, 600, {0, 0, 1, 1}},                // never empty for a real window
    };
    for (const auto& c : cases) {
        letterbox_rect r = letterbox(c.output_w, c.output_h, c.frame_w, c.frame_h);
        EXPECT_EQ(r.x, c.expected.x) << c.output_w << "x" << c.output_h;
        EXPECT_EQ(r.y, c.expected.y) << c.output_w << "x" << c.output_h;
        EXPECT_EQ(r.w, c.expected.w) << c.output_w << "x" << c.output_h;
        EXPECT_EQ(r.h, c.expected.h) << c.output_w << "x" << c.output_h;
    }
}

TEST(Letterbox, EmptyWhenASizeIsNotPositive)
{
    for (auto r : {letterbox(0, 600, 800, 600), letterbox(800, -1, 800, 600), letterbox(800, 600, 0, 600)}) {
        EXPECT_EQ(r.w, 0);
        EXPECT_EQ(r.h, 0);
    }
}

// 800 x 600 shown at 1280 x 960 from y = 32 on a 1280 x 1024 screen.
TEST(Letterbox, WindowPointsMapIntoTheFrameAndClampToIt)
{
    letterbox_rect place = letterbox(1280, 1024, 800, 600);
    struct {
        int window_x, window_y;
        int frame_x, frame_y;
    } cases[] = {
        {0, 32, 0, 0},          // the frame's first pixel
        {1, 33, 0, 0},          // still inside its 1.6-pixel span
        {2, 34, 1, 1},
        {640, 512, 400, 300},   // the centre
        {1279, 991, 799, 599},  // the frame's last pixel
        {1279, 992, 799, 599},  // the bottom bar
        {700, 0, 437, 0},       // the top bar clamps to row 0: edge scrolling still works
        {700, 1023, 437, 599},
        {-50, -50, 0, 0},       // outside the window
        {5000, 5000, 799, 599},
    };
    for (const auto& c : cases) {
        int x = -1, y = -1;
        window_to_frame(c.window_x, c.window_y, place, 800, 600, x, y);
        EXPECT_EQ(x, c.frame_x) << c.window_x << "," << c.window_y;
        EXPECT_EQ(y, c.frame_y) << c.window_x << "," << c.window_y;
    }
}

TEST(Letterbox, SideBarsClampToTheFirstAndLastColumn)
{
    letterbox_rect place = letterbox(1920, 1080, 1024, 768);  // x 240..1679
    int x = -1, y = -1;
    window_to_frame(100, 540, place, 1024, 768, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 384);
    window_to_frame(1800, 540, place, 1024, 768, x, y);
    EXPECT_EQ(x, 1023);
    window_to_frame(1679, 1079, place, 1024, 768, x, y);
    EXPECT_EQ(x, 1023);
    EXPECT_EQ(y, 767);
}

TEST(Letterbox, EmptyPlaceMapsToTheOrigin)
{
    int x = -1, y = -1;
    window_to_frame(10, 10, letterbox_rect {0, 0, 0, 0}, 800, 600, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

}  // namespace
