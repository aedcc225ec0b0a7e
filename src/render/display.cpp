// The display: start-up and release, surfaces in memory, the image table and
// the copy of draw_surface to the platform's screen.
#include "render/display.h"

#include <cstdlib>
#include <cstring>

#include "core/fatal.h"
#include "platform/platform.h"
#include "render/bmp.h"
#include "render/colours.h"
#include "render/pixels.h"

int32_t screen_pitch = 1024;

surface* draw_surface = nullptr;
surface* surface_table[max_surface_slots] = {};
int32_t surface_count = 0;
int32_t surface_memory_mode = 3;

// Every surface record; a record is taken while in_use is set.
static surface surface_records[max_surfaces];
// The display exists (from the first step of start_display to its release).
static bool device_exists = false;
// platform_start_video succeeded and platform_stop_video is still owed.
static bool video_started = false;
// At depths 8 and 32 present converts draw_surface into these 5:6:5 rows.
static uint16_t* present_rows = nullptr;

bool display_started()
{
    return device_exists;
}

surface* create_image_surface(int32_t width, int32_t height)
{
    if (!device_exists)
        return nullptr;
    if (surface_memory_mode < 1 || surface_memory_mode > 3)
        return nullptr;
    if (width < 1 || height < 1 || width > max_surface_side || height > max_surface_side)
        return nullptr;
    surface* s = nullptr;
    for (surface& r : surface_records) {
        if (!r.in_use) {
            s = &r;
            break;
        }
    }
    if (s == nullptr)
        return nullptr;
    int32_t bytes = bits_per_pixel / 8;
    // Rows are packed (pitch = width * bytes), so a surface of screen width
    // has exactly screen_pitch pixels per row. The block is rounded up to a
    // whole number of 64-byte lines for aligned_alloc.
    size_t size = static_cast<size_t>(width) * bytes * height;
    size_t rounded = (size + 63) & ~static_cast<size_t>(63);
    auto* pixels = static_cast<uint8_t*>(std::aligned_alloc(64, rounded));
    if (pixels == nullptr)
        return nullptr;
    std::memset(pixels, 0, rounded);
    *s = surface {width, height, width * bytes, bytes, pixels, 0, false, true};
    return s;
}

void release_surface(surface* s)
{
    if (s == nullptr || !s->in_use)
        return;
    std::free(s->pixels);
    *s = surface {};
}

bool clear_surface(surface* s)
{
    if (s == nullptr)
        return false;
    std::memset(s->pixels, 0, static_cast<size_t>(s->pitch) * s->height);
    return true;
}

bool set_colour_key(int32_t slot)
{
    if (slot < 0 || slot >= max_surface_slots || surface_table[slot] == nullptr)
        return false;
    surface_table[slot]->key = static_cast<uint32_t>(colour_key);
    surface_table[slot]->keyed = true;
    return true;
}

void* lock_pixels(surface* s)
{
    return s == nullptr ? nullptr : s->pixels;
}

bool surface_pitch_height(int32_t& pitch, int32_t& height, surface* s)
{
    if (s == nullptr)
        return false;
    pitch = s->pitch;
    height = s->height;
    return true;
}

bool create_main_surfaces()
{
    draw_surface = create_image_surface(screen_width, screen_height);
    if (draw_surface == nullptr)
        return false;
    if (bits_per_pixel != 16) {
        size_t bytes = static_cast<size_t>(screen_width) * screen_height * 2;
        present_rows = static_cast<uint16_t*>(std::malloc(bytes));
        if (present_rows == nullptr)
            return false;
    }
    if (bits_per_pixel == 8 && !load_palette("data\\palette.bmp")) {
        fatal_error(main_window, "CreateDirectDrawPalette");
        return false;
    }
    return true;
}

// Ends a failed start: releases what the start made, then reports the step.
static bool fail_start(int32_t window, const char* step)
{
    release_display();
    fatal_error(window, step);
    return false;
}

bool start_display(int32_t window, int bits)
{
    // A second display while one runs would orphan the first one's surfaces.
    if (device_exists)
        return fail_start(window, "DirectDrawCreate");
    draw_surface = nullptr;
    device_exists = true;
    if (window == 0 || !platform_window_exists())
        return fail_start(window, "SetCooperativeLevel");
    if (bits != 8 && bits != 16 && bits != 32)
        bits = 16;
    bits_per_pixel = static_cast<uint16_t>(bits);
    if (screen_width < 1 || screen_height < 1 || screen_width > max_surface_side ||
        screen_height > max_surface_side || !platform_start_video(screen_width, screen_height))
        return fail_start(window, "SetDisplayMode");
    video_started = true;
    if (!create_main_surfaces())
        return fail_start(window, "CreateMainSurfaces");
    return true;
}

void release_display()
{
    if (!device_exists)
        return;
    release_surface(draw_surface);
    draw_surface = nullptr;
    // Every slot, not only those below surface_count: a slot chosen by the
    // caller may lie above it.
    for (surface*& s : surface_table) {
        release_surface(s);
        s = nullptr;
    }
    surface_count = 0;
    std::free(present_rows);
    present_rows = nullptr;
    screen_pixels = nullptr;
    if (video_started)
        platform_stop_video();
    video_started = false;
    device_exists = false;
}

void release_images_from(int32_t first)
{
    if (first < 0)
        return;
    for (int32_t slot = first; slot < max_surface_slots; ++slot) {
        release_surface(surface_table[slot]);
        surface_table[slot] = nullptr;
    }
    if (surface_count > first)
        surface_count = first;
}

bool resize_display(int32_t width, int32_t height)
{
    if (!device_exists || draw_surface == nullptr)
        return false;
    if (width < 1 || height < 1 || width > max_surface_side || height > max_surface_side)
        return false;
    surface* fresh = create_image_surface(width, height);
    if (fresh == nullptr)
        return false;
    uint16_t* rows = nullptr;
    if (bits_per_pixel != 16) {
        rows = static_cast<uint16_t*>(std::malloc(static_cast<size_t>(width) * height * 2));
        if (rows == nullptr) {
            release_surface(fresh);
            return false;
        }
    }
    if (!platform_start_video(width, height)) {
        // The old size stays, the video with it where it can be had back.
        std::free(rows);
        release_surface(fresh);
        platform_start_video(screen_width, screen_height);
        return false;
    }
    release_surface(draw_surface);
    draw_surface = fresh;
    screen_pixels = nullptr;  // it pointed into the old surface
    std::free(present_rows);
    present_rows = rows;
    screen_width = width;
    screen_height = height;
    screen_pitch = width;
    return true;
}

// Converts draw_surface at depth 8 (through the palette) or 32 into 5:6:5.
static void convert_for_present()
{
    const surface& s = *draw_surface;
    for (int32_t y = 0; y < s.height; ++y) {
        const uint8_t* row = s.pixels + static_cast<size_t>(y) * s.pitch;
        uint16_t* out = present_rows + static_cast<size_t>(y) * s.width;
        for (int32_t x = 0; x < s.width; ++x) {
            uint32_t r, g, b;
            if (s.bytes_per_pixel == 1) {
                const palette_entry& e = palette_entries[row[x]];
                r = e.red, g = e.green, b = e.blue;
            } else {
                uint32_t v;
                std::memcpy(&v, row + 4 * x, 4);
                r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
            }
            out[x] = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        }
    }
}

void present()
{
    if (!device_exists || draw_surface == nullptr)
        return;
    const surface& s = *draw_surface;
    if (s.bytes_per_pixel == 2) {
        platform_present(reinterpret_cast<const uint16_t*>(s.pixels), s.width, s.height, s.pitch);
        return;
    }
    if (present_rows == nullptr)
        return;
    convert_for_present();
    platform_present(present_rows, s.width, s.height, s.width * 2);
}
