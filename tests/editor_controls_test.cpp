// The editors' controls: the value box's centring, the spinner's one step
// per click, the numeric entry field's text and its 11-character limit, the
// clipped outline's strict edge rule and the clipped copies.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/headless/headless.h"
#include "render/draw.h"
#include "render/editor_controls.h"
#include "render/font.h"
#include "render_fixture.h"

using namespace render_test;

namespace {

class Controls : public Display {
protected:
    void SetUp() override
    {
        headless_reset();
        Display::SetUp();
        write_font_files();
        font_slot_b = font_slot_w = -1;
        ASSERT_TRUE(load_font());
        // "6" and "4" borrow the glyphs of "a" (5 wide) and "b" (6 wide).
        glyph_table['6'] = glyph_table['a'];
        glyph_table['4'] = glyph_table['b'];
        left_release_x = left_release_y = CONSUMED;
        cursor_x = cursor_y = 700;
        left_down = 0;
        reset_number_entry();
        fill_box(0, 0, screen_width, screen_height, colour_grey2);
    }

    static void type(const char* text)
    {
        for (const char* p = text; *p != 0; ++p) {
            typed_char = static_cast<uint8_t>(*p);
            char_ready = 1;
            int32_t ignored = 0;
            number_entry(10, 10, 80, 15, &ignored);
        }
    }

    // Holds or lets go of Enter through the backend, as a player would.
    static void set_enter(bool held)
    {
        headless_add_event({headless_pass(), held ? event_key_down : event_key_up, 0, 0, key_enter});
        drain_messages();
    }

    // Starts editing the field at (10, 10, 80, 15) with one press.
    static void start_editing(int32_t& value)
    {
        cursor_x = 20, cursor_y = 15;
        left_down = 1;
        number_entry(10, 10, 80, 15, &value);
        cursor_x = cursor_y = 700;
    }

    static uint32_t px(int32_t x, int32_t y) { return pixel(draw_surface, x, y); }
    static uint32_t c(int32_t colour) { return static_cast<uint32_t>(colour); }
};

}  // namespace

TEST_F(Controls, ValueBoxCentresByGlyphWidthsPlusSpacing)
{
    value_box(100, 100, 30, 15, "64");
    // "64" measures 5 + 6 + 2 = 13: x = 100 + 15 - 6, y = 100 + 7 - 6.
    EXPECT_EQ(px(109, 101), to_565(font_colour(0, 0, false)));
    EXPECT_EQ(px(108, 102), c(colour_white));
    EXPECT_EQ(px(115, 101), to_565(font_colour(5, 0, false)));
    // Sunken frame: grey1 top-left outside, black inside it, white fill.
    EXPECT_EQ(px(100, 100), c(colour_grey1));
    EXPECT_EQ(px(129, 114), c(colour_white));
    EXPECT_EQ(px(101, 103), c(colour_black));
    EXPECT_EQ(px(128, 113), c(colour_grey5));
    EXPECT_EQ(px(120, 110), c(colour_white));
    EXPECT_STREQ(format_value(-42), "-42");
    EXPECT_STREQ(value_text, "-42");
}

TEST_F(Controls, SpinnerStepsOncePerReleaseAndNeverWhileHeld)
{
    int32_t value = 5;
    // Held over "<": drawn pressed, the value stays.
    cursor_x = 53, cursor_y = 27;
    left_down = 1;
    for (int pass = 0; pass < 3; ++pass)
        spinner(50, 20, &value);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(px(50, 20), c(colour_black));
    // The release inside it: exactly one step, and the release is used up.
    left_down = 0;
    left_release_x = 53, left_release_y = 27;
    spinner(50, 20, &value);
    EXPECT_EQ(value, 4);
    EXPECT_EQ(left_release_x, CONSUMED);
    spinner(50, 20, &value);
    EXPECT_EQ(value, 4);
    EXPECT_EQ(px(50, 20), c(colour_white));
    // ">" sits 10 pixels to the right; no bounds are applied.
    value = INT32_MAX - 1;
    left_release_x = 61, left_release_y = 20;
    spinner(50, 20, &value);
    EXPECT_EQ(value, INT32_MAX);
    // A release in the gap between the two buttons is no click (x 58 is
    // inside "<" by the inclusive test, x 59 is in neither).
    left_release_x = 59, left_release_y = 25;
    spinner(50, 20, &value);
    EXPECT_EQ(value, INT32_MAX);
}

TEST_F(Controls, NumberEntryStoresTheTypedNumberOnEnter)
{
    struct {
        const char* typed;
        int32_t stored;
    } cases[] = {{"12", 12}, {"1a", 0}, {"-7", -7}, {"", 0}, {"2147483647", 2147483647}};
    for (const auto& t : cases) {
        reset_number_entry();
        int32_t value = 99;
        start_editing(value);
        ASSERT_TRUE(number_entry_editing());
        type(t.typed);
        EXPECT_EQ(value, 99) << t.typed;  // nothing stored before Enter
        set_enter(true);
        number_entry(10, 10, 80, 15, &value);
        set_enter(false);
        EXPECT_EQ(value, t.stored) << t.typed;
        EXPECT_FALSE(number_entry_editing());
    }
}

TEST_F(Controls, NumberEntryKeepsElevenCharactersAndItsTextAcrossUses)
{
    int32_t value = 0;
    start_editing(value);
    type("123456789012345");
    EXPECT_STREQ(number_entry_text(), "12345678901");
    // Backspace still works at the limit, and room opens again.
    type("\b9");
    EXPECT_STREQ(number_entry_text(), "12345678909");
    // Drawn white on blue while editing.
    EXPECT_EQ(px(89, 24), c(colour_blue));
    // A second press ends editing; the text stays for the next opening.
    start_editing(value);
    EXPECT_FALSE(number_entry_editing());
    EXPECT_EQ(value, 0);
    start_editing(value);
    EXPECT_STREQ(number_entry_text(), "12345678909");
}

TEST_F(Controls, NumberEntryTogglesOncePerPressAndIgnoresTypingWhenIdle)
{
    int32_t value = 3;
    cursor_x = 20, cursor_y = 15;
    left_down = 1;
    number_entry(10, 10, 80, 15, &value);
    // left_down was cleared, so the next passes of the same press do not
    // toggle back.
    EXPECT_EQ(left_down, 0);
    number_entry(10, 10, 80, 15, &value);
    EXPECT_TRUE(number_entry_editing());
    // Cleared even when the cursor is elsewhere.
    start_editing(value);
    cursor_x = 500;
    left_down = 1;
    number_entry(10, 10, 80, 15, &value);
    EXPECT_EQ(left_down, 0);
    // Not editing: a typed character stays pending for someone else.
    typed_char = '5';
    char_ready = 1;
    number_entry(10, 10, 80, 15, &value);
    EXPECT_EQ(char_ready, 1);
    EXPECT_STREQ(number_entry_text(), "");
}

TEST_F(Controls, OutlineShowsOnlyEdgesStrictlyInsideTheClip)
{
    struct {
        int32_t x;
        bool left_edge;
        int32_t top_from;
    } cases[] = {{200, false, 256}, {256, false, 256}, {257, true, 257}};
    for (const auto& t : cases) {
        fill_box(0, 0, screen_width, screen_height, colour_grey2);
        outline_clipped(t.x, 100, 100, 50, 256, 0, 1024, 768, colour_red);
        EXPECT_EQ(px(t.top_from, 100), c(colour_red)) << t.x;
        EXPECT_EQ(px(t.top_from, 149), c(colour_red)) << t.x;
        EXPECT_EQ(px(t.top_from - 1, 100), c(colour_grey2)) << t.x;
        EXPECT_EQ(px(t.top_from, 120) == c(colour_red), t.left_edge) << t.x;
        // The right edge at x + 99 is inside in every case.
        EXPECT_EQ(px(t.x + 99, 120), c(colour_red)) << t.x;
    }
    // A rectangle wholly left of the clip draws nothing at all.
    fill_box(0, 0, screen_width, screen_height, colour_grey2);
    std::vector<uint8_t> before = snapshot(draw_surface);
    outline_clipped(10, 10, 100, 100, 256, 0, 1024, 768, colour_red);
    EXPECT_EQ(snapshot(draw_surface), before);
    // Top edge on the clip's top bound: not drawn; bottom edge past the
    // bottom bound: not drawn, the sides cut at the bound.
    outline_clipped(300, 0, 20, 900, 256, 0, 800, 600, colour_red);
    EXPECT_EQ(px(305, 0), c(colour_grey2));
    EXPECT_EQ(px(300, 599), c(colour_red));
    EXPECT_EQ(px(305, 599), c(colour_grey2));
}

TEST_F(Controls, ClippedCopiesMoveTheSourceWithTheDestination)
{
    // Image pixel (x, y) = 100 * y + x, 0xF81F (magenta) at (15, 2).
    make_image(5, 40, 20, [](int x, int y) { return x == 15 && y == 2 ? 0xF81Fu : 100u * y + x; });
    struct {
        int32_t dst_x, dst_y;
        int32_t first_x, first_y;  // where the source pixel (sx, sy) lands
        int32_t sx, sy;
        int32_t w, h;              // size drawn
    } cases[] = {
        {90, 50, 100, 50, 15, 5, 10, 10},    // 10 left of the box: 10 further right, 10 narrower
        {100, 45, 100, 50, 5, 10, 20, 5},    // 5 above the box
        {115, 52, 115, 52, 5, 5, 5, 8},      // cut at the box's right and bottom edges
    };
    for (const auto& t : cases) {
        fill_box(0, 0, screen_width, screen_height, colour_grey2);
        blit_clip_rect(t.dst_x, t.dst_y, 5, 5, 20, 10, 100, 50, 20, 10, 5);
        EXPECT_EQ(px(t.first_x, t.first_y), 100u * t.sy + t.sx) << t.dst_x;
        EXPECT_EQ(px(t.first_x + t.w - 1, t.first_y + t.h - 1),
                  100u * (t.sy + t.h - 1) + t.sx + t.w - 1) << t.dst_x;
        EXPECT_EQ(px(t.first_x + t.w, t.first_y), c(colour_grey2)) << t.dst_x;
        EXPECT_EQ(px(t.first_x - 1, t.first_y), c(colour_grey2)) << t.dst_x;
        EXPECT_EQ(px(t.first_x, t.first_y + t.h), c(colour_grey2)) << t.dst_x;
    }
    // The opaque copy copies the key pixel; the keyed one skips it.
    fill_box(0, 0, screen_width, screen_height, colour_grey2);
    blit_clip_rect(300, 300, 10, 0, 10, 5, 0, 0, 1024, 768, 5);
    EXPECT_EQ(px(305, 302), 0xF81Fu);
    blit_keyed_clip_rect(400, 300, 10, 0, 10, 5, 0, 0, 1024, 768, 5);
    EXPECT_EQ(px(405, 302), c(colour_grey2));
    EXPECT_EQ(px(404, 302), 100u * 2 + 14);
    // Clipped to nothing, wholly outside the box, an empty or missing slot,
    // a rectangle off the image or past the screen: nothing is drawn.
    std::vector<uint8_t> before = snapshot(draw_surface);
    blit_clip_rect(0, 0, 0, 0, 10, 10, 20, 20, 100, 100, 5);
    blit_clip_rect(500, 500, 0, 0, 10, 10, 20, 20, 100, 100, 5);
    blit_keyed_clip_rect(50, 50, 0, 0, 10, 10, 0, 0, 1024, 768, 6);
    blit_keyed_clip_rect(50, 50, 0, 0, 10, 10, 0, 0, 1024, 768, -1);
    blit_keyed_clip_rect(50, 50, 35, 0, 10, 10, 0, 0, 1024, 768, 5);
    blit_keyed_clip_rect(795, 50, 0, 0, 10, 10, 0, 0, 1024, 768, 5);
    blit_keyed_clip_rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 0, 0,
                         INT32_MAX, INT32_MAX, 5);
    EXPECT_EQ(snapshot(draw_surface), before);
}
