// Direct-memory primitives on the pixels of draw_surface.
#include "render/pixels.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "render/colours.h"
#include "render/display.h"

void* screen_pixels = nullptr;

// The address of element (x, y) of screen_pixels for elements of `bytes`
// bytes, or nullptr when the point lies off the screen or outside the memory
// of draw_surface (or screen_pixels is not that memory).
static uint8_t* element(int32_t x, int32_t y, int32_t bytes)
{
    if (screen_pixels == nullptr || draw_surface == nullptr || screen_pixels != draw_surface->pixels)
        return nullptr;
    if (x < 0 || y < 0 || x >= screen_width || y >= screen_height)
        return nullptr;
    int64_t index = static_cast<int64_t>(y) * screen_pitch + x;
    int64_t size = static_cast<int64_t>(draw_surface->pitch) * draw_surface->height;
    if (index < 0 || (index + 1) * bytes > size)
        return nullptr;
    return static_cast<uint8_t*>(screen_pixels) + index * bytes;
}

// Writes one element of `bytes` bytes at (x, y) if it may be written.
static void put(int32_t x, int32_t y, uint32_t value, int32_t bytes)
{
    uint8_t* p = element(x, y, bytes);
    if (p == nullptr)
        return;
    if (bytes == 1) {
        *p = static_cast<uint8_t>(value);
    } else if (bytes == 2) {
        uint16_t v = static_cast<uint16_t>(value);
        std::memcpy(p, &v, 2);
    } else {
        std::memcpy(p, &value, 4);
    }
}

// A row of len elements from (x, y), cut to the part on the screen and in
// memory, written as one block.
template <typename T>
static void span(int32_t x, int32_t y, int32_t len, T value)
{
    if (len <= 0)
        return;
    int64_t first = x < 0 ? 0 : x;
    int64_t last = static_cast<int64_t>(x) + len - 1;
    if (last >= screen_width)
        last = screen_width - 1;
    if (first > last)
        return;
    uint8_t* a = element(static_cast<int32_t>(first), y, sizeof(T));
    uint8_t* b = element(static_cast<int32_t>(last), y, sizeof(T));
    if (a == nullptr || b == nullptr)
        return;
    T* p = reinterpret_cast<T*>(a);
    for (int64_t i = 0; i <= last - first; ++i)
        p[i] = value;
}

template <typename T>
static void column(int32_t x, int32_t y, int32_t len, T value)
{
    for (int64_t i = 0; i < len; ++i) {
        int64_t row = y + i;
        if (row >= screen_height)
            break;
        if (row >= 0)
            put(x, static_cast<int32_t>(row), value, sizeof(T));
    }
}

void put_pixel8(int32_t x, int32_t y, uint8_t index)
{
    put(x, y, index, 1);
}

void hline8(int32_t x, int32_t y, int32_t len, uint8_t index)
{
    span<uint8_t>(x, y, len, index);
}

void vline8(int32_t x, int32_t y, int32_t len, uint8_t index)
{
    column<uint8_t>(x, y, len, index);
}

void rect8(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t index)
{
    hline8(x, y, w, index);
    hline8(x, y + h - 1, w, index);
    vline8(x, y, h, index);
    vline8(x + w - 1, y, h, index);
}

void fill_rect8(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t index)
{
    for (int32_t i = 0; i < h; ++i)
        hline8(x, y + i, w, index);
}

void put_pixel16(int32_t x, int32_t y, int32_t colour)
{
    put(x, y, static_cast<uint32_t>(colour), 2);
}

void put_pixel32(int32_t x, int32_t y, int32_t colour)
{
    put(x, y, static_cast<uint32_t>(colour), 4);
}

void put_pixel(int32_t x, int32_t y, int32_t colour)
{
    if (bits_per_pixel == 16)
        put_pixel16(x, y, colour);
    else if (bits_per_pixel == 32)
        put_pixel32(x, y, colour);
}

void hline16(int32_t x, int32_t y, int32_t len, int32_t colour)
{
    span<uint16_t>(x, y, len, static_cast<uint16_t>(colour));
}

void vline16(int32_t x, int32_t y, int32_t len, int32_t colour)
{
    column<uint16_t>(x, y, len, static_cast<uint16_t>(colour));
}

void fill_rect16(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour)
{
    for (int32_t i = 0; i < h; ++i)
        hline16(x, y + i, w, colour);
}

void draw_line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t colour)
{
    int64_t dx = std::llabs(static_cast<int64_t>(x1) - x0);
    int64_t dy = std::llabs(static_cast<int64_t>(y1) - y0);
    int32_t sx = x1 < x0 ? -1 : 1;
    int32_t sy = y1 < y0 ? -1 : 1;
    put_pixel16(x0, y0, colour);
    if (dy <= dx) {
        int64_t e = 2 * dy - dx;
        int32_t x = x0 + sx, y = y0;
        for (int64_t i = 0; i < dx; ++i) {
            if (e > 0) {
                e += 2 * (dy - dx);
                y += sy;
            } else {
                e += 2 * dy;
            }
            put_pixel16(x, y, colour);
            x += sx;
        }
    } else {
        int64_t e = 2 * dx - dy;
        int32_t y = y0 + sy, x = x0;
        for (int64_t i = 0; i < dy; ++i) {
            if (e > 0) {
                e += 2 * (dx - dy);
                x += sx;
            } else {
                e += 2 * dx;
            }
            put_pixel16(x, y, colour);
            y += sy;
        }
    }
}

void draw_circle(int32_t cx, int32_t cy, int32_t r, int32_t colour)
{
    put_pixel16(cx, cy + r, colour);
    put_pixel16(cx, cy - r, colour);
    put_pixel16(cx + r, cy, colour);
    put_pixel16(cx - r, cy, colour);
    // The decision variable is scaled by r * r; 64 bits hold it for any r
    // that can touch a screen.
    int64_t rr = static_cast<int64_t>(r) * r;
    int64_t n = static_cast<int64_t>(r / 1.414213562373);
    int64_t t = 4 * rr, s = 0, q = -4 * rr * r;
    int64_t d = (-q) / 2 - 3 * rr;
    int32_t x = 0, y = r;
    for (int64_t i = 1; i <= n; ++i) {
        x += 1;
        if (d >= 0) {
            d += s - 6 * rr;
        } else {
            y -= 1;
            d += s - q - 10 * rr;
            q += t;
        }
        s -= t;
        put_pixel16(cx + x, cy + y, colour);
        put_pixel16(cx + y, cy + x, colour);
        put_pixel16(cx + y, cy - x, colour);
        put_pixel16(cx + x, cy - y, colour);
        put_pixel16(cx - x, cy - y, colour);
        put_pixel16(cx - y, cy - x, colour);
        put_pixel16(cx - y, cy + x, colour);
        put_pixel16(cx - x, cy + y, colour);
    }
}

// The four mirror images of (px, py) about the centre (x, y).
static void plot_four(int32_t x, int32_t y, int32_t px, int32_t py, int32_t colour)
{
    put_pixel16(px, py, colour);
    put_pixel16(px, 2 * y - py, colour);
    put_pixel16(2 * x - px, 2 * y - py, colour);
    put_pixel16(2 * x - px, py, colour);
}

void draw_ellipse(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour)
{
    int64_t a = std::llabs(w / 2), b = std::llabs(h / 2);
    int64_t a2 = a * a, b2 = b * b, ta = 4 * a2, tb = 4 * b2;
    // A point ellipse (both axes 0) has no first region.
    int64_t n = a2 + b2 == 0 ? 0 : static_cast<int64_t>(a2 / std::sqrt(static_cast<double>(a2 + b2)));
    int64_t s = 0, q = -4 * a2 * b;
    int64_t d = (-q) / 2 - 2 * b2 - a2;
    int32_t px = x, py = static_cast<int32_t>(y + b);
    plot_four(x, y, px, py, colour);
    for (int64_t i = 1; i <= n; ++i) {
        px += 1;
        if (d >= 0) {
            d += s - 6 * b2;
        } else {
            py -= 1;
            d += s - q - 6 * b2 - 4 * a2;
            q += ta;
        }
        s -= tb;
        plot_four(x, y, px, py, colour);
    }
    int64_t m = std::llabs(static_cast<int64_t>(py) - y);
    d -= q / 2 + b2 + s / 2 + a2;
    for (int64_t j = 1; j <= m; ++j) {
        py -= 1;
        if (d > 0) {
            px += 1;
            d += s - q - 6 * a2 - 4 * b2;
            s -= tb;
        } else {
            d += -q - 6 * a2;
        }
        q += ta;
        plot_four(x, y, px, py, colour);
    }
}

uint32_t read_pixel(int32_t x, int32_t y)
{
    screen_pixels = lock_pixels(draw_surface);
    int32_t bytes = bits_per_pixel / 8;
    if (bits_per_pixel != 8 && bits_per_pixel != 16 && bits_per_pixel != 32)
        return 0;
    const uint8_t* p = element(x, y, bytes);
    if (p == nullptr)
        return 0;
    if (bytes == 1)
        return *p;
    if (bytes == 2) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
