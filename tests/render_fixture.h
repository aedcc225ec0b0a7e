// Shared set-up of the drawing tests: a display started on the headless
// backend at a chosen size and depth, and small helpers to read and make
// surfaces.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/platform.h"
#include "render/colours.h"
#include "render/display.h"
#include "shell/input_latch.h"
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

// Starts the display as the entry does: window, screen size, magenta key,
// depth, colours and pitch.
inline bool start(int32_t width = 800, int32_t height = 600, int bits = 16)
{
    release_display();
    if (!platform_window_exists())
        platform_create_window("game", 1024, 768);
    main_window = 1;
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

// Fixture: an 800 x 600 display at depth 16, released after each test.
class Display : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(start()); }
    void TearDown() override { release_display(); }
};

}  // namespace render_test
