// The display: the depth rule, failed start-ups, surfaces and their table,
// and the release.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "render/bmp.h"
#include "render/draw.h"
#include "render_fixture.h"

using namespace render_test;

namespace {

// The fatal report naming a step, as the message box shows it.
std::string report(const char* step)
{
    return std::string("Программа прервана\nОшибка в "_cp) + step;
}

// The texts of the message boxes shown so far.
std::vector<std::string> boxes()
{
    std::vector<std::string> out;
    for (int i = 0; i < headless_box_count(); ++i)
        out.push_back(headless_box_text(i));
    return out;
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        new_platform();
        screen_width = 800;
        screen_height = 600;
        surface_memory_mode = 3;
        std::filesystem::remove("data/palette.bmp");
    }
    void TearDown() override
    {
        release_display();
        screen_width = 800;
        screen_height = 600;
        surface_memory_mode = 3;
    }
};

}  // namespace

TEST_F(Startup, DepthsOtherThan8_16_32BecomeSixteen)
{
    struct { int asked, depth, bytes; } cases[] = {{16, 16, 2}, {32, 32, 4}, {24, 16, 2}, {0, 16, 2}, {15, 16, 2}};
    for (const auto& c : cases) {
        ASSERT_TRUE(start_display(main_window, c.asked)) << c.asked;
        EXPECT_EQ(bits_per_pixel, c.depth) << c.asked;
        ASSERT_NE(draw_surface, nullptr);
        EXPECT_EQ(draw_surface->bytes_per_pixel, c.bytes);
        EXPECT_EQ(draw_surface->width, 800);
        EXPECT_EQ(draw_surface->height, 600);
        EXPECT_EQ(draw_surface->pitch, 800 * c.bytes);
        release_display();
    }
    write_palette_file();
    ASSERT_TRUE(start_display(main_window, 8));
    EXPECT_EQ(draw_surface->bytes_per_pixel, 1);
    EXPECT_EQ(palette_entries[10].red, 10);
    EXPECT_EQ(palette_entries[10].green, 245);
}

// Each failed start reports its step (the palette's failure also fails the
// main surfaces) and leaves no display and no surface behind.
TEST_F(Startup, FailedStartsReportTheirStepAndLeaveNothingStarted)
{
    struct Case {
        void (*arrange)();
        int32_t window;
        int bits;
        std::vector<std::string> reports;
    } cases[] = {
        {[] {}, 0, 16, {report("SetCooperativeLevel")}},
        {[] { platform_destroy_window(); }, 1, 16, {report("SetCooperativeLevel")}},
        {[] { screen_width = 0; }, 1, 16, {report("SetDisplayMode")}},
        {[] { screen_height = 5000; }, 1, 16, {report("SetDisplayMode")}},
        {[] { headless_fail_video(true); }, 1, 16, {report("SetDisplayMode")}},
        {[] { surface_memory_mode = 0; }, 1, 16, {report("CreateMainSurfaces")}},
        {[] {}, 1, 8, {report("CreateDirectDrawPalette"), report("CreateMainSurfaces")}},
    };
    for (const Case& c : cases) {
        new_platform();
        screen_width = 800;
        screen_height = 600;
        surface_memory_mode = 3;
        c.arrange();
        EXPECT_FALSE(start_display(c.window, c.bits)) << c.reports.back();
        EXPECT_EQ(boxes(), c.reports);
        EXPECT_FALSE(display_started()) << c.reports.back();
        EXPECT_EQ(draw_surface, nullptr) << c.reports.back();
        EXPECT_EQ(create_image_surface(4, 4), nullptr) << c.reports.back();
        int w = -1, h = -1;
        headless_video_size(w, h);
        EXPECT_EQ(w, 0) << "video left running: " << c.reports.back();
        present();  // nothing to show, nothing happens
        EXPECT_EQ(headless_pass(), 0);
    }
}

TEST_F(Startup, SecondStartIsRefused)
{
    ASSERT_TRUE(start_display(main_window, 16));
    EXPECT_FALSE(start_display(main_window, 16));
    EXPECT_EQ(boxes(), std::vector<std::string> {report("DirectDrawCreate")});
    // The failed second start ended the display, as every fatal report does.
    EXPECT_FALSE(display_started());
}

TEST_F(Startup, PresentHandsTheFrameOverInFiveSixFive)
{
    // At depth 8 the pixels are palette entries: entry i is (i, 255 - i, i / 2).
    struct { int bits; uint32_t colour; uint16_t shown, zero; } cases[] = {
        {16, 0xF81F, 0xF81F, 0},
        {32, 0x00FF8040, 0xFC08, 0},  // 0xFF >> 3, 0x80 >> 2, 0x40 >> 3
        {8, 10, (10 >> 3) << 11 | (245 >> 2) << 5 | (5 >> 3), 0x07E0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(start(800, 600, c.bits));
        headless_keep_frames(true);
        fill_box(0, 0, 800, 600, 0);
        fill_box(799, 599, 1, 1, static_cast<int32_t>(c.colour));
        present();
        int w = 0, h = 0;
        const uint16_t* frame = headless_frame(w, h);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(w, 800);
        EXPECT_EQ(h, 600);
        EXPECT_EQ(frame[599 * 800 + 799], c.shown) << c.bits;
        EXPECT_EQ(frame[0], c.zero) << c.bits;
        EXPECT_EQ(headless_pass(), 1);
    }
}

TEST_F(Startup, ReleaseIsHarmlessBeforeStartAndTwice)
{
    release_display();
    ASSERT_TRUE(start_display(main_window, 16));
    release_display();
    release_display();
    EXPECT_EQ(draw_surface, nullptr);
}

TEST_F(Startup, ReleaseEmptiesEverySlot)
{
    ASSERT_TRUE(start_display(main_window, 16));
    surface_table[3] = create_image_surface(2, 2);
    surface_table[399] = create_image_surface(2, 2);  // above surface_count
    surface_count = 4;
    release_display();
    EXPECT_EQ(surface_table[3], nullptr);
    EXPECT_EQ(surface_table[399], nullptr);
    EXPECT_EQ(surface_count, 0);
    // Every record came back: a full pool can be made again.
    ASSERT_TRUE(start_display(main_window, 16));
    int made = 0;
    surface* kept[max_surfaces];
    while (made < max_surfaces && (kept[made] = create_image_surface(1, 1)) != nullptr)
        ++made;
    EXPECT_EQ(made, max_surfaces - 1);  // draw_surface holds one
    for (int i = 0; i < made; ++i)
        release_surface(kept[i]);
}

TEST_F(Startup, ImageSurfacesHaveTheDisplayFormatAndSaneSizes)
{
    ASSERT_TRUE(start_display(main_window, 32));
    struct { int32_t w, h; bool made; } cases[] = {
        {1, 1, true}, {4096, 1, true}, {0, 5, false}, {5, 0, false}, {-1, 5, false},
        {4097, 1, false}, {1, 4097, false},
    };
    for (const auto& c : cases) {
        surface* s = create_image_surface(c.w, c.h);
        EXPECT_EQ(s != nullptr, c.made) << c.w << "x" << c.h;
        if (s != nullptr) {
            EXPECT_EQ(s->bytes_per_pixel, 4);
            EXPECT_EQ(s->pitch, 4 * c.w);
            EXPECT_FALSE(s->keyed);
            EXPECT_EQ(pixel(s, c.w - 1, c.h - 1), 0u);
        }
        release_surface(s);
    }
    for (int32_t mode : {1, 2, 3}) {
        surface_memory_mode = mode;
        surface* s = create_image_surface(2, 2);
        EXPECT_NE(s, nullptr) << mode;
        release_surface(s);
    }
    surface_memory_mode = 4;
    EXPECT_EQ(create_image_surface(2, 2), nullptr);
}

TEST_F(Startup, SurfaceServices)
{
    ASSERT_TRUE(start_display(main_window, 16));
    surface* s = create_image_surface(3, 2);
    set_pixel(s, 2, 1, 0xABCD);
    int32_t pitch = 0, height = 0;
    ASSERT_TRUE(surface_pitch_height(pitch, height, s));
    EXPECT_EQ(pitch, 6);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(lock_pixels(s), s->pixels);
    ASSERT_TRUE(clear_surface(s));
    EXPECT_EQ(pixel(s, 2, 1), 0u);
    EXPECT_FALSE(clear_surface(nullptr));
    EXPECT_FALSE(surface_pitch_height(pitch, height, nullptr));
    EXPECT_EQ(lock_pixels(nullptr), nullptr);
    // Keys go to images in the table only.
    colour_key = 0xF81F;
    EXPECT_FALSE(set_colour_key(5));
    EXPECT_FALSE(set_colour_key(-1));
    EXPECT_FALSE(set_colour_key(400));
    surface_table[5] = s;
    EXPECT_TRUE(set_colour_key(5));
    EXPECT_TRUE(s->keyed);
    EXPECT_EQ(s->key, 0xF81Fu);
}
