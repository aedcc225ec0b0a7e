// Shared set-up of the drawing tests: a display started on the headless
// backend at a chosen size and depth, and small helpers to read and make
// surfaces.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "input/input_latch.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/font.h"
#include "shell/shell.h"

namespace render_test {

// Writes data/palette.bmp, the palette of the 8-bit display mode: entry i
// is (i, 255 - i, i / 2).
inline void write_palette_file()
{
    std::filesystem::create_directories("data");
    std::vector<uint8_t> bytes(1078, 0);
    bytes[0] = 'B', bytes[1] = 'M';
    for (int i = 0; i < 256; ++i) {
        bytes[54 + 4 * i] = static_cast<uint8_t>(i / 2);
        bytes[54 + 4 * i + 1] = static_cast<uint8_t>(255 - i);
        bytes[54 + 4 * i + 2] = static_cast<uint8_t>(i);
    }
    FILE* f = std::fopen("data/palette.bmp", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// Writes a 24-bit BMP of w x h whose pixel (x, y) has the colour
// colour(x, y) = r | g << 8 | b << 16.
template <typename F>
inline void write_bmp24(const char* path, int32_t w, int32_t h, F colour)
{
    int32_t row = (w * 3 + 3) & ~3;
    std::vector<uint8_t> v(54 + static_cast<size_t>(row) * h, 0);
    auto put32 = [&v](size_t at, uint32_t x) {
        for (int i = 0; i < 4; ++i)
            v[at + i] = static_cast<uint8_t>(x >> (8 * i));
    };
    v[0] = 'B', v[1] = 'M';
    put32(2, static_cast<uint32_t>(v.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    v[26] = 1, v[28] = 24;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint32_t c = colour(x, y);
            size_t at = 54 + static_cast<size_t>(row) * (h - 1 - y) + 3 * x;
            v[at] = static_cast<uint8_t>(c >> 16), v[at + 1] = static_cast<uint8_t>(c >> 8);
            v[at + 2] = static_cast<uint8_t>(c);
        }
    FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(v.data(), 1, v.size(), f);
    std::fclose(f);
}

// The 5:6:5 value of an r | g << 8 | b << 16 colour.
inline uint32_t to_565(uint32_t c)
{
    uint32_t r = c & 255, g = (c >> 8) & 255, b = (c >> 16) & 255;
    return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
}

// A fresh headless platform with its window, as the entry makes it; message
// boxes are recorded but not printed.
inline void new_platform()
{
    release_display();
    headless_reset();
    install_fatal_report(fatal_report);
    headless_echo_boxes(false);
    platform_create_window("game", 1024, 768);
    main_window = 1;
}

// Starts the display as the entry does: window, screen size, magenta key,
// depth, colours and pitch.
inline bool start(int32_t width = 800, int32_t height = 600, int bits = 16)
{
    new_platform();
    quit_requested = 0;
    screen_width = width;
    screen_height = height;
    bits_per_pixel = 16;
    colour_key = pack_colour(255, 0, 255);
    if (bits == 8)
        write_palette_file();
    if (!start_display(main_window, bits))
        return false;
    init_colours();
    screen_pitch = screen_width;
    reset_input_latch();
    return true;
}

// The pixel at (x, y) of s, whatever its depth.
inline uint32_t pixel(const surface* s, int32_t x, int32_t y)
{
    const uint8_t* p = s->pixels + static_cast<size_t>(y) * s->pitch + static_cast<size_t>(x) * s->bytes_per_pixel;
    uint32_t v = 0;
    std::memcpy(&v, p, s->bytes_per_pixel);
    return v;
}

inline void set_pixel(surface* s, int32_t x, int32_t y, uint32_t v)
{
    uint8_t* p = s->pixels + static_cast<size_t>(y) * s->pitch + static_cast<size_t>(x) * s->bytes_per_pixel;
    std::memcpy(p, &v, s->bytes_per_pixel);
}

// A copy of every pixel of s, for before/after comparisons.
inline std::vector<uint8_t> snapshot(const surface* s)
{
    return std::vector<uint8_t>(s->pixels, s->pixels + static_cast<size_t>(s->pitch) * s->height);
}

// Puts a new w x h image into slot with the colour key; pixel (x, y) holds
// value(x, y).
template <typename F>
inline surface* make_image(int32_t slot, int32_t w, int32_t h, F value)
{
    surface* s = create_image_surface(w, h);
    if (s == nullptr)
        return nullptr;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            set_pixel(s, x, y, value(x, y));
    release_surface(surface_table[slot]);
    surface_table[slot] = s;
    set_colour_key(slot);
    return s;
}

// The test font: 'a' is 5 x 7 at (0, 0), 'b' 6 x 7 at (5, 0) of both glyph
// images; 'z' has width 0 and 'y' height 0. Glyph image pixel (x, y) is
// (8x + 8, 8y + 8, 0) in smallb.bmp and (8x + 8, 8y + 8, 248) in smallw.bmp,
// except the magenta (1, 1) and (6, 2).
inline bool font_magenta(int x, int y)
{
    return (x == 1 && y == 1) || (x == 6 && y == 2);
}

inline uint32_t font_colour(int x, int y, bool white)
{
    if (font_magenta(x, y))
        return 0xFF00FF;
    return static_cast<uint32_t>((8 * x + 8) | ((8 * y + 8) << 8) | ((white ? 248 : 0) << 16));
}

inline void write_font_files()
{
    std::filesystem::create_directories("data/font");
    write_bmp24("data/font/smallb.bmp", 16, 8, [](int x, int y) { return font_colour(x, y, false); });
    write_bmp24("data/font/smallw.bmp", 16, 8, [](int x, int y) { return font_colour(x, y, true); });
    int32_t records[glyph_count][4] = {};
    auto set = [&records](unsigned char c, int32_t x, int32_t y, int32_t w, int32_t h) {
        records[c][0] = x, records[c][1] = y, records[c][2] = w, records[c][3] = h;
    };
    set('a', 0, 0, 5, 7);
    set('b', 5, 0, 6, 7);
    set('z', 0, 0, 0, 7);
    set('y', 0, 0, 3, 0);
    FILE* f = std::fopen("data/font/smf.fn", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(records, 1, sizeof records, f);  // little-endian machine
    std::fclose(f);
}

// Fixture: an 800 x 600 display at depth 16, released after each test.
class Display : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(start()); }
    void TearDown() override { release_display(); }
};

}  // namespace render_test
