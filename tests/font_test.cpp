// The bitmap font: loading, layout and spacing of text, glyphs that draw
// nothing, and the text-entry step with its capacity.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/button.h"
#include "render/draw.h"
#include "render/font.h"
#include "render_fixture.h"

using namespace render_test;

namespace {

class Font : public Display {
protected:
    void SetUp() override
    {
        Display::SetUp();
        write_font_files();
        std::memset(glyph_table, 0, sizeof glyph_table);
        font_slot_b = -1;
        font_slot_w = -1;
        ASSERT_TRUE(load_font());
        fill_box(0, 0, 800, 600, background);
    }

    static constexpr uint32_t background = 0x0841;

    // Glyph image pixel (gx, gy) of the chosen image drawn at (x, y), or the
    // background where it is magenta.
    static void expect_glyph(int32_t x, int32_t y, int32_t gx, int32_t w, bool white)
    {
        for (int32_t j = 0; j < 7; ++j)
            for (int32_t i = 0; i < w; ++i) {
                uint32_t want = font_magenta(gx + i, j) ? background : to_565(font_colour(gx + i, j, white));
                ASSERT_EQ(pixel(draw_surface, x + i, y + j), want) << "at " << x + i << "," << y + j;
            }
    }

    // How many pixels of draw_surface differ from the background.
    static int drawn_pixels()
    {
        int n = 0;
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x)
                n += pixel(draw_surface, x, y) != background;
        return n;
    }
};

}  // namespace

TEST_F(Font, LoadTakesTwoAutomaticSlotsAndTheGlyphTable)
{
    EXPECT_EQ(font_slot_b, 0);
    EXPECT_EQ(font_slot_w, 1);
    EXPECT_EQ(surface_count, 2);
    EXPECT_EQ(glyph_table['b'].x, 5);
    EXPECT_EQ(glyph_table['b'].width, 6);
    EXPECT_EQ(glyph_table['b'].height, 7);
}

TEST_F(Font, MissingGlyphImageFailsTheLoad)
{
    std::filesystem::remove("data/font/smallw.bmp");
    font_slot_b = font_slot_w = -1;
    EXPECT_FALSE(load_font());
}

TEST_F(Font, GlyphTableOfTheWrongSizeLeavesTheTable)
{
    auto keep = std::filesystem::file_size("data/font/smf.fn");
    ASSERT_EQ(keep, 4096u);
    std::filesystem::resize_file("data/font/smf.fn", 4000);
    EXPECT_FALSE(load_glyph_table());
    EXPECT_EQ(glyph_table['a'].width, 5);
    std::filesystem::resize_file("data/font/smf.fn", 4097);
    EXPECT_FALSE(load_glyph_table());
    std::filesystem::remove("data/font/smf.fn");
    EXPECT_FALSE(load_glyph_table());
    EXPECT_EQ(glyph_table['b'].width, 6);
}

TEST_F(Font, GlyphsStandOnePixelApartOnOneTopRow)
{
    draw_text("ab", 10, 20);
    expect_glyph(10, 20, 0, 5, false);
    expect_glyph(16, 20, 5, 6, false);  // 'a' is 5 wide, plus one pixel
    EXPECT_EQ(pixel(draw_surface, 15, 20), background);
    EXPECT_EQ(pixel(draw_surface, 22, 20), background);
}

TEST_F(Font, WhiteTextDrawsFromTheOtherImage)
{
    draw_text_w("ba", 100, 50);
    expect_glyph(100, 50, 5, 6, true);
    expect_glyph(107, 50, 0, 5, true);
}

TEST_F(Font, BytesWithoutAGlyphDrawNothingAndDoNotMove)
{
    draw_text("zyzy", 10, 10);
    EXPECT_EQ(drawn_pixels(), 0);
    // Between glyphs they change nothing either.
    draw_text("azyb", 10, 20);
    expect_glyph(10, 20, 0, 5, false);
    expect_glyph(16, 20, 5, 6, false);
    // And bytes the table leaves empty (the newline too) are skipped.
    draw_text("a\n#b", 10, 40);
    expect_glyph(16, 40, 5, 6, false);
}

TEST_F(Font, AGlyphNotWhollyOnTheScreenIsNotDrawn)
{
    draw_text("ab", 790, 0);  // 'a' fits (790..794), 'b' would reach 801
    expect_glyph(790, 0, 0, 5, false);
    EXPECT_EQ(drawn_pixels(), 5 * 7 - 1);
    draw_text("a", -1, 100);
    draw_text("a", 0, 595);
    EXPECT_EQ(drawn_pixels(), 5 * 7 - 1);
}

TEST_F(Font, TextWidthCountsOnePixelPerByte)
{
    EXPECT_EQ(text_width(""), 0);
    EXPECT_EQ(text_width("ab"), 5 + 6 + 2);
    EXPECT_EQ(text_width("azy"), 5 + 3 + 3);  // 'y' has width 3 but no height
}

TEST_F(Font, SurfaceCountScreenRunsUntilEscapeIsHeld)
{
    headless_keep_frames(true);
    // Escape goes down as pass 2 begins, so the test after the second
    // present sees it.
    ASSERT_TRUE(headless_add_event({2, event_key_down, 0, 0, key_escape}));
    show_surface_count();
    EXPECT_EQ(headless_pass(), 2);
    EXPECT_EQ(quit_requested, 1);
    int w = 0, h = 0;
    const uint16_t* frame = headless_frame(w, h);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame[0], colour_grey4);
    EXPECT_EQ(frame[599 * 800 + 799], colour_grey4);
}

TEST_F(Font, SurfaceCountScreenEndsWhenTheWindowCloses)
{
    ASSERT_TRUE(headless_add_event({1, event_close, 0, 0, 0}));
    show_surface_count();
    // The next pass's drain handles the close; with the display released
    // that pass shows nothing, and the loop ends.
    EXPECT_EQ(headless_pass(), 1);
    EXPECT_FALSE(display_started());
}

TEST_F(Font, SurfaceCountScreenEndsAtOnceWhenAskedTo)
{
    quit_requested = 1;
    show_surface_count();
    EXPECT_EQ(headless_pass(), 0);
}

// --- Text entry ---------------------------------------------------------------

namespace {

struct entry_case {
    const char* before;
    uint8_t typed;
    const char* after;
    uint8_t ready_after;
};

// Runs one edit_text on a copy of before in a buffer of capacity bytes,
// followed by guard bytes that must stay untouched.
std::string edit(const std::string& before, uint8_t typed, int32_t capacity, uint8_t& ready)
{
    char buffer[400];
    std::memset(buffer, '#', sizeof buffer);
    std::memcpy(buffer, before.c_str(), before.size() + 1);
    typed_char = typed;
    char_ready = 1;
    edit_text(buffer, capacity);
    ready = char_ready;
    for (size_t i = capacity; i < sizeof buffer; ++i)
        if (buffer[i] != '#' && i > before.size())
            ADD_FAILURE() << "wrote past the buffer at " << i;
    return std::string(buffer);
}

}  // namespace

TEST(EditText, TypedCharacters)
{
    const entry_case cases[] = {
        {"ab", 13, "ab", 1},  // Enter stays pending
        {"", 8, "", 0},       // Backspace on an empty string
        {"abc", 8, "ab", 0},
        {"ab", 'x', "abx", 0},
        {"", '-', "-", 0}, {"", ' ', " ", 0}, {"", '.', ".", 0}, {"", ',', ",", 0},
        {"", '!', "!", 0}, {"", '?', "?", 0}, {"", '"', "\"", 0}, {"", '0', "0", 0},
        {"", '9', "9", 0}, {"", 'A', "A", 0}, {"", 'Z', "Z", 0}, {"", 'z', "z", 0},
        {"", 192, "\xC0", 0}, {"", 255, "\xFF", 0},
        {"a", '#', "a", 0}, {"a", '_', "a", 0}, {"a", '\t', "a", 0}, {"a", '/', "a", 0},
        {"a", 168, "a", 0}, {"a", 184, "a", 0},  // Ё and ё are refused
        {"a", 191, "a", 0}, {"a", 0, "a", 0},
    };
    for (const entry_case& c : cases) {
        uint8_t ready = 0;
        EXPECT_EQ(edit(c.before, c.typed, 300, ready), c.after) << "typed " << int(c.typed);
        EXPECT_EQ(ready, c.ready_after) << "typed " << int(c.typed);
    }
}

TEST(EditText, NothingPendingChangesNothing)
{
    char buffer[8] = "ab";
    typed_char = 'x';
    char_ready = 0;
    edit_text(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "ab");
}

TEST(EditText, AppendsOnlyWhileTheStringAndItsEndFit)
{
    struct { int length, capacity; bool appended; } cases[] = {
        {10, 12, true},  {11, 12, false},  // the numeric field's 12 bytes
        {58, 60, true},  {59, 60, false},  // the map name's 60 bytes
        {118, 120, true}, {119, 120, false},
        {255, 300, true}, {256, 300, false},  // never longer than 256
        {0, 1, false},
    };
    for (const auto& c : cases) {
        uint8_t ready = 0;
        std::string before(c.length, 'q');
        std::string after = edit(before, 'k', c.capacity, ready);
        EXPECT_EQ(after, c.appended ? before + "k" : before) << c.length << " in " << c.capacity;
        EXPECT_EQ(ready, 0);
    }
}

TEST(EditText, UnterminatedBufferCountsAsFull)
{
    char buffer[4] = {'a', 'b', 'c', 'd'};
    typed_char = 'x';
    char_ready = 1;
    edit_text(buffer, 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    typed_char = 8;
    char_ready = 1;
    edit_text(buffer, 4);
    EXPECT_STREQ(buffer, "abc");
}
