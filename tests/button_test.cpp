// The push button: its look, the label's place, and one click taken by one
// button.
#include <gtest/gtest.h>

#include <cstring>

#include "render/button.h"
#include "render/draw.h"
#include "render/font.h"
#include "render_fixture.h"

using namespace render_test;

namespace {

class Button : public Display {
protected:
    void SetUp() override
    {
        Display::SetUp();
        write_font_files();
        font_slot_b = font_slot_w = -1;
        ASSERT_TRUE(load_font());
        // Nothing clicked yet: the latched points lie off every button.
        left_release_x = left_release_y = CONSUMED;
        cursor_x = cursor_y = 700;
        left_down = 0;
    }

    static void release_at(int32_t x, int32_t y)
    {
        left_release_x = x;
        left_release_y = y;
    }
};

}  // namespace

TEST_F(Button, TwoOverlappingButtonsOneClick)
{
    release_at(60, 30);  // inside both
    EXPECT_TRUE(draw_button(10, 10, 60, 30, "a"));
    EXPECT_FALSE(draw_button(50, 20, 60, 30, "b"));
    EXPECT_EQ(left_release_x, CONSUMED);
    EXPECT_EQ(left_release_y, CONSUMED);
    // The next pass sees no click at all.
    EXPECT_FALSE(draw_button(10, 10, 60, 30, "a"));
}

TEST_F(Button, ClickIsTheReleaseInsideEdgesIncluded)
{
    struct { int32_t x, y; bool clicked; } cases[] = {
        {10, 10, true}, {70, 40, true}, {71, 40, false}, {9, 20, false}, {40, 41, false},
    };
    for (const auto& c : cases) {
        left_down = 1;  // pressed somewhere else entirely
        release_at(c.x, c.y);
        left_down = 0;
        EXPECT_EQ(draw_button(10, 10, 60, 30, ""), c.clicked) << c.x << "," << c.y;
    }
}

TEST_F(Button, RaisedFaceBevelAndCentredLabel)
{
    EXPECT_FALSE(draw_button(100, 100, 60, 20, "ab"));
    EXPECT_EQ(pixel(draw_surface, 100, 100), static_cast<uint32_t>(colour_white));
    EXPECT_EQ(pixel(draw_surface, 159, 119), static_cast<uint32_t>(colour_black));
    EXPECT_EQ(pixel(draw_surface, 159, 100), static_cast<uint32_t>(colour_white));
    EXPECT_EQ(pixel(draw_surface, 101, 101), static_cast<uint32_t>(colour_grey4));
    // "ab" measures 5 + 6 + 2 = 13: tx = 100 + 30 - 6, ty = 100 + 10 - 6.
    EXPECT_EQ(pixel(draw_surface, 124, 104), to_565(font_colour(0, 0, false)));
    EXPECT_EQ(pixel(draw_surface, 123, 104), static_cast<uint32_t>(colour_grey4));
    EXPECT_EQ(pixel(draw_surface, 130, 104), to_565(font_colour(5, 0, false)));
}

TEST_F(Button, SunkWhileHeldOverItWhereverThePressBegan)
{
    cursor_x = 130, cursor_y = 110;
    left_down = 1;
    EXPECT_FALSE(draw_button(100, 100, 60, 20, "ab"));
    EXPECT_EQ(pixel(draw_surface, 100, 100), static_cast<uint32_t>(colour_black));
    EXPECT_EQ(pixel(draw_surface, 159, 119), static_cast<uint32_t>(colour_white));
    // The label moves one pixel up and left.
    EXPECT_EQ(pixel(draw_surface, 123, 103), to_565(font_colour(0, 0, false)));
    // The cursor leaves: raised again although the button is still held.
    cursor_x = 161;
    draw_button(100, 100, 60, 20, "ab");
    EXPECT_EQ(pixel(draw_surface, 100, 100), static_cast<uint32_t>(colour_white));
    // Over it without the button held: raised.
    cursor_x = 160;
    left_down = 0;
    draw_button(100, 100, 60, 20, "ab");
    EXPECT_EQ(pixel(draw_surface, 100, 100), static_cast<uint32_t>(colour_white));
}

TEST_F(Button, EmptyLabelDrawsPanelAndBevelOnly)
{
    fill_box(0, 0, 800, 600, 0);
    draw_button(10, 10, 20, 10, "");
    int face = 0, other = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            uint32_t p = pixel(draw_surface, x, y);
            bool in = x >= 10 && x < 30 && y >= 10 && y < 20;
            bool edge = in && (x == 10 || x == 29 || y == 10 || y == 19);
            if (in && !edge)
                face += p == static_cast<uint32_t>(colour_grey4);
            else if (!in)
                other += p != 0;
        }
    EXPECT_EQ(face, 18 * 8);
    EXPECT_EQ(other, 0);
}
