// Fills, frames, bevels and the copy family on surfaces in memory.
#include <gtest/gtest.h>

#include <climits>

#include "render/button.h"
#include "render/draw.h"
#include "render_fixture.h"

using namespace render_test;

namespace {

class Draw : public Display {};

// Every pixel of draw_surface is `inside` within the rectangle and 0
// elsewhere.
void expect_only_rect(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t inside)
{
    int wrong = 0;
    for (int32_t py = 0; py < draw_surface->height; ++py)
        for (int32_t px = 0; px < draw_surface->width; ++px) {
            bool in = px >= x && px < x + w && py >= y && py < y + h;
            wrong += pixel(draw_surface, px, py) != (in ? inside : 0);
        }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST_F(Draw, FillCoversExactlyItsRectangle)
{
    fill_box(10, 20, 30, 5, 0x1234);
    expect_only_rect(10, 20, 30, 5, 0x1234);
    fill_box(0, 0, 800, 600, 0xFFFF);
    expect_only_rect(0, 0, 800, 600, 0xFFFF);
}

TEST_F(Draw, FillNotWhollyInsideIsRefusedAsAWhole)
{
    struct { int32_t x, y, w, h; } cases[] = {
        {-1, 0, 10, 10}, {795, 0, 10, 10}, {0, 595, 10, 10}, {0, -1, 5, 5},
        {0, 0, 0, 5},    {0, 0, 5, 0},     {0, 0, -3, 5},    {0, 0, 801, 1},
        {INT32_MAX - 1, 0, 10, 1},         {0, INT32_MAX, 1, INT32_MAX},
    };
    for (const auto& c : cases) {
        fill_box(c.x, c.y, c.w, c.h, 0xFFFF);
        expect_only_rect(0, 0, 0, 0, 0);
    }
    fill_box_on(0, 0, 1, 1, 0xFFFF, nullptr);  // no surface: nothing
}

TEST_F(Draw, FrameDrawsFourEdgesInLow16Bits)
{
    draw_frame(5, 6, 4, 3, 0x7ABCD);
    for (int32_t y = 6; y < 9; ++y)
        for (int32_t x = 5; x < 9; ++x) {
            bool edge = x == 5 || x == 8 || y == 6 || y == 8;
            EXPECT_EQ(pixel(draw_surface, x, y), edge ? 0xABCDu : 0u) << x << "," << y;
        }
}

TEST_F(Draw, BevelCornersTakeTheLightColour)
{
    draw_bevel(10, 10, 5, 4, 0x1111, 0x2222);
    EXPECT_EQ(pixel(draw_surface, 10, 10), 0x1111u);  // top-left
    EXPECT_EQ(pixel(draw_surface, 14, 10), 0x1111u);  // top-right: light over dark
    EXPECT_EQ(pixel(draw_surface, 10, 13), 0x1111u);  // bottom-left: light over dark
    EXPECT_EQ(pixel(draw_surface, 14, 13), 0x2222u);  // bottom-right
    EXPECT_EQ(pixel(draw_surface, 12, 13), 0x2222u);
    EXPECT_EQ(pixel(draw_surface, 14, 11), 0x2222u);
    EXPECT_EQ(pixel(draw_surface, 12, 11), 0u);       // inside untouched

    fill_box(0, 0, 800, 600, 0);
    draw_bevel(3, 3, 1, 1, 0x1111, 0x2222);
    expect_only_rect(3, 3, 1, 1, 0x1111);
}

TEST_F(Draw, FrameAtDepth32KeepsOnlyLow16Bits)
{
    ASSERT_TRUE(start(64, 48, 32));
    draw_frame(0, 0, 2, 2, 0x12345678);
    EXPECT_EQ(pixel(draw_surface, 0, 0), 0x5678u);
    fill_box(4, 4, 1, 1, 0x12345678);
    EXPECT_EQ(pixel(draw_surface, 4, 4), 0x12345678u);
}

TEST_F(Draw, FillAtDepth8TakesTheLowByte)
{
    ASSERT_TRUE(start(64, 48, 8));
    fill_box(1, 1, 3, 1, 0x1234);
    EXPECT_EQ(pixel(draw_surface, 2, 1), 0x34u);
    EXPECT_EQ(pixel(draw_surface, 4, 1), 0u);
}

TEST_F(Draw, BlitCopiesEveryPixelAndKeyedSkipsTheKey)
{
    // Column 1 of the image is magenta.
    make_image(3, 4, 2, [](int x, int y) { return x == 1 ? 0xF81Fu : 0x100u + x + 16 * y; });
    fill_box(0, 0, 20, 20, 0x0001);
    blit(2, 3, 0, 0, 4, 2, 3);
    blit_keyed(10, 3, 0, 0, 4, 2, 3);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            uint32_t v = x == 1 ? 0xF81Fu : 0x100u + x + 16 * y;
            EXPECT_EQ(pixel(draw_surface, 2 + x, 3 + y), v);
            EXPECT_EQ(pixel(draw_surface, 10 + x, 3 + y), x == 1 ? 0x0001u : v);
        }
}

TEST_F(Draw, CopiesOutsideEitherSurfaceOrFromEmptySlotsAreRefused)
{
    make_image(0, 8, 8, [](int, int) { return 0x0707u; });
    struct { int32_t dx, dy, sx, sy, w, h, slot; } cases[] = {
        {0, 0, 1, 0, 8, 8, 0},      // source reaches past the image
        {0, 0, -1, 0, 4, 4, 0},     // source left of the image
        {796, 0, 0, 0, 8, 8, 0},    // destination past the right edge
        {0, -1, 0, 0, 8, 8, 0},     // destination above the screen
        {0, 0, 0, 0, 0, 8, 0},      // empty
        {0, 0, 0, 0, 8, 8, 1},      // empty slot
        {0, 0, 0, 0, 8, 8, -1},     // no such slot
        {0, 0, 0, 0, 8, 8, 400},
    };
    auto before = snapshot(draw_surface);
    for (const auto& c : cases) {
        blit(c.dx, c.dy, c.sx, c.sy, c.w, c.h, c.slot);
        blit_keyed(c.dx, c.dy, c.sx, c.sy, c.w, c.h, c.slot);
        blit_stretch(c.dx, c.dy, c.sx, c.sy, c.w, c.h, c.w * 2, c.h * 2, c.slot);
        EXPECT_EQ(snapshot(draw_surface), before) << c.dx << "," << c.sx << " slot " << c.slot;
    }
}

// The clipping of blit_keyed_clipped: each case names the copy it must come
// down to, or none.
TEST_F(Draw, KeyedClippedCopyClipsAgainstTheScreen)
{
    // A 20 x 12 image whose pixels are all distinct and none is the key.
    make_image(5, 20, 12, [](int x, int y) { return 0x200u + x + 32 * y; });
    struct Case {
        int32_t dx, dy, sx, sy, w, h;
        bool drawn;
        int32_t ex, ey, esx, esy, ew, eh;  // the copy expected
    } cases[] = {
        {-10, 0, 0, 0, 10, 4, false, 0, 0, 0, 0, 0, 0},
        {-3, 0, 0, 0, 10, 4, true, 0, 0, 3, 0, 7, 4},
        {800, 5, 0, 0, 10, 4, false, 0, 0, 0, 0, 0, 0},
        {801, 5, 0, 0, 10, 4, false, 0, 0, 0, 0, 0, 0},
        {796, 5, 0, 0, 10, 4, true, 796, 5, 0, 0, 4, 4},
        {5, -2, 2, 1, 6, 5, true, 5, 0, 2, 3, 6, 3},
        {5, 597, 0, 0, 6, 8, true, 5, 597, 0, 0, 6, 3},
        {-4, -4, 4, 4, 10, 6, true, 0, 0, 8, 8, 6, 2},
        {-30, 0, 0, 0, 10, 4, false, 0, 0, 0, 0, 0, 0},
        {5, 600, 0, 0, 6, 8, false, 0, 0, 0, 0, 0, 0},
        {-3, 0, 12, 0, 10, 4, false, 0, 0, 0, 0, 0, 0},  // the clipped source reaches past the image
        {0, 0, 0, 0, 0, 4, false, 0, 0, 0, 0, 0, 0},
    };
    const surface* img = surface_table[5];
    for (const Case& c : cases) {
        fill_box(0, 0, 800, 600, 0);
        blit_keyed_clipped(c.dx, c.dy, c.sx, c.sy, c.w, c.h, 5);
        int wrong = 0;
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x) {
                uint32_t want = 0;
                if (c.drawn && x >= c.ex && x < c.ex + c.ew && y >= c.ey && y < c.ey + c.eh)
                    want = pixel(img, c.esx + x - c.ex, c.esy + y - c.ey);
                wrong += pixel(draw_surface, x, y) != want;
            }
        EXPECT_EQ(wrong, 0) << "case dx=" << c.dx << " dy=" << c.dy;
    }
}

TEST_F(Draw, StretchUsesTheNearestSourcePixel)
{
    make_image(2, 2, 2, [](int x, int y) { return 0x10u + x + 2 * y; });
    blit_stretch(0, 0, 0, 0, 2, 2, 4, 6, 2);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(pixel(draw_surface, x, y), 0x10u + x / 2 + 2 * (y / 3));
    make_image(3, 4, 4, [](int x, int y) { return 0x40u + x + 4 * y; });
    blit_stretch(10, 0, 0, 0, 4, 4, 2, 2, 3);
    EXPECT_EQ(pixel(draw_surface, 10, 0), 0x40u);
    EXPECT_EQ(pixel(draw_surface, 11, 0), 0x42u);
    EXPECT_EQ(pixel(draw_surface, 10, 1), 0x48u);
    EXPECT_EQ(pixel(draw_surface, 12, 0), 0u);
}

TEST_F(Draw, KeyedStretchGrowsByTheExtraSizeAndSkipsTheKey)
{
    make_image(2, 2, 1, [](int x, int) { return x == 0 ? 0xF81Fu : 0x0033u; });
    fill_box(0, 0, 10, 10, 0x0001);
    blit_stretch_keyed(0, 0, 0, 0, 2, 1, 2, 1, 2);  // 4 x 2
    for (int32_t x = 0; x < 5; ++x) {
        uint32_t want = x < 2 ? 0x0001u : x < 4 ? 0x0033u : 0x0001u;
        EXPECT_EQ(pixel(draw_surface, x, 0), want) << x;
        EXPECT_EQ(pixel(draw_surface, x, 1), want) << x;
    }
    EXPECT_EQ(pixel(draw_surface, 2, 2), 0x0001u);
}

TEST_F(Draw, KeyedStretchClippedMovesTheSourceThenAddsTheExtra)
{
    make_image(4, 8, 1, [](int x, int) { return 0x100u + x; });
    // dst_x -2: the source starts 2 further right and is 2 narrower (6), the
    // extra 6 then makes the copy 12 wide at x 0.
    blit_stretch_keyed_clipped(-2, 0, 0, 0, 8, 1, 6, 0, 4);
    for (int32_t x = 0; x < 12; ++x)
        EXPECT_EQ(pixel(draw_surface, x, 0), 0x102u + x / 2) << x;
    EXPECT_EQ(pixel(draw_surface, 12, 0), 0u);
    // Past the right edge: the source is cut to the screen before the extra
    // is added, and a destination that then leaves the screen draws nothing.
    auto before = snapshot(draw_surface);
    blit_stretch_keyed_clipped(796, 10, 0, 0, 8, 1, 4, 0, 4);
    EXPECT_EQ(snapshot(draw_surface), before);
    blit_stretch_keyed_clipped(796, 10, 0, 0, 8, 1, 0, 0, 4);
    EXPECT_EQ(pixel(draw_surface, 799, 10), 0x103u);
}

TEST_F(Draw, KeyedCopyOfOddWidthsMatchesPixelByPixelSelection)
{
    // Widths that leave vector remainders, against a plain per-pixel rule.
    uint32_t seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return seed >> 16; };
    surface* img = make_image(6, 67, 9, [&](int, int) { return next() % 3 == 0 ? 0xF81Fu : next() & 0xFFFF; });
    for (int32_t w : {1, 3, 7, 15, 17, 33, 67}) {
        fill_box(0, 0, 100, 20, 0x5555);
        blit_keyed(1, 2, 0, 0, w, 9, 6);
        for (int32_t y = 0; y < 9; ++y)
            for (int32_t x = 0; x < w; ++x) {
                uint32_t s = pixel(img, x, y);
                ASSERT_EQ(pixel(draw_surface, 1 + x, 2 + y), s == 0xF81F ? 0x5555u : s) << w;
            }
        EXPECT_EQ(pixel(draw_surface, 1 + w, 2), 0x5555u);
    }
}

TEST_F(Draw, OverlappingCopyWithinOneSurfaceReadsTheOriginal)
{
    surface* s = create_image_surface(16, 16);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            set_pixel(s, x, y, 1 + x + 16 * y);
    ASSERT_TRUE(copy_rect(s, 2, 1, s, 0, 0, 10, 10, false));
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x)
            ASSERT_EQ(pixel(s, 2 + x, 1 + y), 1u + x + 16 * y);
    release_surface(s);
}

TEST_F(Draw, ImagesWithoutAKeyCopyEveryPixelInAKeyedCopy)
{
    surface* s = create_image_surface(2, 1);
    set_pixel(s, 0, 0, 0xF81F);
    ASSERT_TRUE(copy_rect(draw_surface, 0, 0, s, 0, 0, 2, 1, true));
    EXPECT_EQ(pixel(draw_surface, 0, 0), 0xF81Fu);
    release_surface(s);
}

TEST(PackColour, MasksAtDepth16AndShiftsAtDepth32)
{
    struct { uint16_t bits; int32_t r, g, b, want; } cases[] = {
        {16, 255, 0, 255, 0xF81F}, {32, 255, 0, 255, 0xFF00FF}, {16, 250, 0, 0, 0xD000},
        {16, 255, 255, 255, 0xFFFF}, {16, 255, 255, 40, 0xFFE8}, {16, 240, 0, 240, 0x8010},
        {16, 0, 255, 0, 0x07E0},   {32, 300, 0, 1, 0x12C0001},   {8, 255, 255, 255, 0},
        {24, 255, 255, 255, 0},
    };
    for (const auto& c : cases) {
        bits_per_pixel = c.bits;
        EXPECT_EQ(pack_colour(c.r, c.g, c.b), c.want) << c.bits << ": " << c.r << "," << c.g << "," << c.b;
    }
    bits_per_pixel = 16;
}

// The interface colours as a presented frame shows them at the game's depth:
// a raised button (white over black edges on the grey4 face), the same
// button held under the cursor (its edges swapped), and the yellow, red and
// blue outlines of the panels.
TEST_F(Draw, InterfaceColoursInAPresentedFrame)
{
    headless_keep_frames(true);
    fill_box(0, 0, 800, 600, 0x1234);  // so that no colour reads as untouched
    draw_button(10, 10, 40, 20, "");
    cursor_x = 75;
    cursor_y = 15;
    left_down = 1;
    draw_button(70, 10, 40, 20, "");
    left_down = 0;
    draw_frame(120, 10, 8, 8, colour_yellow);
    draw_frame(130, 10, 8, 8, colour_red);
    draw_frame(140, 10, 8, 8, colour_blue);
    present();
    int w = 0, h = 0;
    const uint16_t* frame = headless_frame(w, h);
    ASSERT_NE(frame, nullptr);
    const struct { int x, y; uint16_t want; } cases[] = {
        {10, 10, 0xFFFF}, {30, 29, 0x0000}, {30, 20, 0xC618},   // raised
        {70, 10, 0x0000}, {90, 29, 0xFFFF}, {90, 20, 0xC618},   // held
        {120, 10, 0xFFE8}, {130, 10, 0xD000}, {140, 10, 0x001F},
    };
    for (const auto& c : cases)
        EXPECT_EQ(frame[c.y * w + c.x], c.want) << c.x << "," << c.y;
}

TEST(ParseInt, SignAndDigitsOnly)
{
    struct { const char* text; int32_t want; } cases[] = {
        {"-12", -12}, {"12a", 0}, {"-", 0}, {"+5", 0}, {"", 0}, {"0", 0}, {"007", 7},
        {" 5", 0}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"1-", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_int(c.text), c.want) << '"' << c.text << '"';
}
