// Fills and copies on surfaces in memory. These run many times a frame: rows
// are filled and copied as whole blocks, and the keyed copy is a
// branch-free select that the compiler turns into vector code.
#include "render/draw.h"

#include <cstring>
#include <cwchar>

#include "render/display.h"

// --- Checks ------------------------------------------------------------

// The rectangle (x, y, w, h) is not empty and lies wholly inside s.
static bool inside(const surface* s, int64_t x, int64_t y, int64_t w, int64_t h)
{
    return s != nullptr && w > 0 && h > 0 && x >= 0 && y >= 0 && x + w <= s->width &&
           y + h <= s->height;
}

// The image of a slot, or nullptr.
static const surface* image(int32_t slot)
{
    if (slot < 0 || slot >= max_surface_slots)
        return nullptr;
    return surface_table[slot];
}

static uint8_t* at(surface* s, int32_t x, int32_t y)
{
    return s->pixels + static_cast<size_t>(y) * s->pitch + static_cast<size_t>(x) * s->bytes_per_pixel;
}

static const uint8_t* at(const surface* s, int32_t x, int32_t y)
{
    return s->pixels + static_cast<size_t>(y) * s->pitch + static_cast<size_t>(x) * s->bytes_per_pixel;
}

// --- Fills -------------------------------------------------------------

// Fills count 16-bit pixels. The word is doubled into a 32-bit pattern and
// handed to wmemset (wchar_t is 32 bits here), which the C library runs with
// the widest stores the machine has.
static void fill_span16(uint8_t* row, int64_t count, uint16_t value)
{
    if (count <= 0)
        return;
    if (reinterpret_cast<uintptr_t>(row) & 2) {
        std::memcpy(row, &value, 2);
        row += 2;
        --count;
    }
    uint32_t pair = value | (static_cast<uint32_t>(value) << 16);
    static_assert(sizeof(wchar_t) == 4);
    std::wmemset(reinterpret_cast<wchar_t*>(row), static_cast<wchar_t>(pair), count / 2);
    if (count & 1)
        std::memcpy(row + 4 * (count / 2), &value, 2);
}

static void fill_span32(uint8_t* row, int64_t count, uint32_t value)
{
    if (count > 0)
        std::wmemset(reinterpret_cast<wchar_t*>(row), static_cast<wchar_t>(value), count);
}

// Fills a w x h rectangle of s through span(row, count, value).
template <typename T, void (*span)(uint8_t*, int64_t, T)>
static void fill_rows(surface* s, int32_t x, int32_t y, int32_t w, int32_t h, T value)
{
    uint8_t* row = at(s, x, y);
    if (static_cast<int64_t>(w) * s->bytes_per_pixel == s->pitch) {
        // Whole rows lie end to end: one span.
        span(row, static_cast<int64_t>(w) * h, value);
        return;
    }
    for (int32_t i = 0; i < h; ++i, row += s->pitch)
        span(row, w, value);
}

void fill_box_on(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour, surface* s)
{
    if (!inside(s, x, y, w, h))
        return;
    switch (s->bytes_per_pixel) {
    case 1: {
        uint8_t* row = at(s, x, y);
        for (int32_t i = 0; i < h; ++i, row += s->pitch)
            std::memset(row, colour & 0xFF, w);
        break;
    }
    case 2: fill_rows<uint16_t, fill_span16>(s, x, y, w, h, static_cast<uint16_t>(colour)); break;
    case 4: fill_rows<uint32_t, fill_span32>(s, x, y, w, h, static_cast<uint32_t>(colour)); break;
    }
}

void fill_box(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour)
{
    fill_box_on(x, y, w, h, colour, draw_surface);
}

void draw_frame(int32_t x, int32_t y, int32_t w, int32_t h, int32_t colour)
{
    colour &= 0xFFFF;
    fill_box(x, y + h - 1, w, 1, colour);
    fill_box(x + w - 1, y, 1, h, colour);
    fill_box(x, y, w, 1, colour);
    fill_box(x, y, 1, h, colour);
}

void draw_bevel(int32_t x, int32_t y, int32_t w, int32_t h, int32_t light, int32_t dark)
{
    fill_box(x, y + h - 1, w, 1, dark);
    fill_box(x + w - 1, y, 1, h, dark);
    fill_box(x, y, w, 1, light);
    fill_box(x, y, 1, h, light);
}

// --- Copies --------------------------------------------------------------

// The row loops of the copies are built three times, for the x86-64
// baseline and for the AVX2 and AVX-512 levels, and the C library picks the
// one the machine runs once at start-up; elsewhere they are built once.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__)
#define ROW_LOOP __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define ROW_LOOP
#endif

// 64 bytes; one, two or four vector moves depending on the build level.
static inline void move64(uint8_t* d, const uint8_t* s)
{
    std::memcpy(d, s, 64);
}

// Runs move(d, s) on each of h rows.
template <typename F>
static inline void each_row(uint8_t* d, int32_t dst_pitch, const uint8_t* s, int32_t src_pitch,
                            int32_t h, F move)
{
    for (int32_t i = 0; i < h; ++i, d += dst_pitch, s += src_pitch)
        move(d, s);
}

// Copies h rows of n bytes between rows that do not overlap. Rows of tiles,
// sprites and glyphs (up to 256 bytes) are moved inline in pieces of 64, 32,
// 16, 8 or 4 bytes, the last piece ending at the row's end and overlapping
// the one before, so there is no per-pixel tail. The size class is chosen
// once per copy, not per row, and the pieces are not a loop (a loop of them
// would be turned back into a library call, whose set-up costs more than
// these rows). Longer rows go to memcpy.
ROW_LOOP static void copy_rows(uint8_t* d, int32_t dst_pitch, const uint8_t* s, int32_t src_pitch,
                               int32_t n, int32_t h)
{
    using row = uint8_t* __restrict;
    using from = const uint8_t* __restrict;
    if (n > 256) {
        each_row(d, dst_pitch, s, src_pitch, h, [n](row d, from s) { std::memcpy(d, s, n); });
    } else if (n > 128) {
        each_row(d, dst_pitch, s, src_pitch, h, [n](row d, from s) {
            move64(d, s);
            move64(d + 64, s + 64);
            if (n > 192)
                move64(d + 128, s + 128);
            move64(d + n - 64, s + n - 64);
        });
    } else if (n > 64) {
        each_row(d, dst_pitch, s, src_pitch, h, [n](row d, from s) {
            move64(d, s);
            move64(d + n - 64, s + n - 64);
        });
    } else if (n == 64) {
        each_row(d, dst_pitch, s, src_pitch, h, [](row d, from s) { move64(d, s); });
    } else if (n >= 32) {
        each_row(d, dst_pitch, s, src_pitch, h, [n](row d, from s) {
            std::memcpy(d, s, 32);
            std::memcpy(d + n - 32, s + n - 32, 32);
        });
    } else if (n >= 16) {
        each_row(d, dst_pitch, s, src_pitch, h, [n](row d, from s) {
            std::memcpy(d, s, 16);
            std::memcpy(d + n - 16, s + n - 16, 16);
        });
    } else if (n >= 8) {
        each_row(d, dst_pitch, s, src_pitch, h, [n](row d, from s) {
            std::memcpy(d, s, 8);
            std::memcpy(d + n - 8, s + n - 8, 8);
        });
    } else if (n >= 4) {
        each_row(d, dst_pitch, s, src_pitch, h, [n](row d, from s) {
            std::memcpy(d, s, 4);
            std::memcpy(d + n - 4, s + n - 4, 4);
        });
    } else {
        each_row(d, dst_pitch, s, src_pitch, h, [n](row d, from s) {
            for (int32_t i = 0; i < n; ++i)
                d[i] = s[i];
        });
    }
}

// Source pixels equal to key keep the destination pixel: a select over P
// pixels at once, written with vector types so that it is always a vector
// compare and blend (left to itself the compiler unrolls the narrower
// blocks into scalar code or conditional stores).
template <typename T, int P>
static inline void keyed_select(T* out, const T* d, const T* s, T key)
{
    typedef T block __attribute__((vector_size(P * sizeof(T))));
    block v, o;
    std::memcpy(&v, s, sizeof v);
    std::memcpy(&o, d, sizeof o);
    block keep = (v == key);  // all ones where the source pixel is the key
    block result = (o & keep) | (v & ~keep);
    std::memcpy(out, &result, sizeof result);
}

// A keyed row in blocks of 64 bytes (32 bytes, 16 bytes for narrower rows).
// The select can be applied twice to a pixel with the same result, so the
// last block simply ends at the row's end, overlapping the one before,
// instead of a pixel-by-pixel tail. That block is computed from the row as
// it was, before the other blocks are stored: reading back pixels just
// stored in part would stall the processor.
template <typename T, int P>
static inline bool keyed_blocks(T* __restrict d, const T* __restrict s, int32_t count, T key)
{
    if (count < P)
        return false;
    const bool tail = count % P != 0;
    T last[P];
    if (tail)
        keyed_select<T, P>(last, d + count - P, s + count - P, key);
    for (int32_t i = 0; i + P <= count; i += P)
        keyed_select<T, P>(d + i, d + i, s + i, key);
    if (tail)
        std::memcpy(d + count - P, last, sizeof last);
    return true;
}

template <typename T>
static inline void keyed_span(uint8_t* __restrict dst, const uint8_t* __restrict src, int32_t count, T key)
{
    T* __restrict d = reinterpret_cast<T*>(dst);
    const T* __restrict s = reinterpret_cast<const T*>(src);
    constexpr int wide = 64 / sizeof(T);
    if (keyed_blocks<T, wide>(d, s, count, key) || keyed_blocks<T, wide / 2>(d, s, count, key) ||
        keyed_blocks<T, wide / 4>(d, s, count, key))
        return;
    for (int32_t i = 0; i < count; ++i) {
        T v = s[i];
        T o = d[i];
        d[i] = v == key ? o : v;
    }
}

ROW_LOOP static void keyed_rows8(uint8_t* d, int32_t dst_pitch, const uint8_t* s, int32_t src_pitch,
                                 int32_t w, int32_t h, uint8_t key)
{
    for (int32_t i = 0; i < h; ++i, d += dst_pitch, s += src_pitch)
        keyed_span<uint8_t>(d, s, w, key);
}

ROW_LOOP static void keyed_rows16(uint8_t* d, int32_t dst_pitch, const uint8_t* s, int32_t src_pitch,
                                  int32_t w, int32_t h, uint16_t key)
{
    for (int32_t i = 0; i < h; ++i, d += dst_pitch, s += src_pitch)
        keyed_span<uint16_t>(d, s, w, key);
}

ROW_LOOP static void keyed_rows32(uint8_t* d, int32_t dst_pitch, const uint8_t* s, int32_t src_pitch,
                                  int32_t w, int32_t h, uint32_t key)
{
    for (int32_t i = 0; i < h; ++i, d += dst_pitch, s += src_pitch)
        keyed_span<uint32_t>(d, s, w, key);
}

// A copy within one surface whose rectangles overlap: rows go through a
// scratch row, in the order that never reads a row already overwritten.
static void overlapping_copy(surface* s, int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y,
                             int32_t w, int32_t h, bool keyed)
{
    static uint8_t scratch[max_surface_side * 4];
    int32_t bytes = w * s->bytes_per_pixel;
    bool down = dst_y <= src_y;
    for (int32_t n = 0; n < h; ++n) {
        int32_t i = down ? n : h - 1 - n;
        std::memcpy(scratch, at(s, src_x, src_y + i), bytes);
        uint8_t* d = at(s, dst_x, dst_y + i);
        if (!keyed) {
            std::memcpy(d, scratch, bytes);
            continue;
        }
        switch (s->bytes_per_pixel) {
        case 1: keyed_span<uint8_t>(d, scratch, w, static_cast<uint8_t>(s->key)); break;
        case 2: keyed_span<uint16_t>(d, scratch, w, static_cast<uint16_t>(s->key)); break;
        case 4: keyed_span<uint32_t>(d, scratch, w, s->key); break;
        }
    }
}

// Whether a key exists as a pixel value of the surface's depth: a key wider
// than the pixel can never match, and the copy is then opaque.
static bool key_applies(const surface* s)
{
    if (!s->keyed)
        return false;
    if (s->bytes_per_pixel == 1)
        return s->key <= 0xFF;
    if (s->bytes_per_pixel == 2)
        return s->key <= 0xFFFF;
    return true;
}

bool copy_rect(surface* dst, int32_t dst_x, int32_t dst_y, const surface* src, int32_t src_x,
               int32_t src_y, int32_t w, int32_t h, bool keyed)
{
    if (!inside(dst, dst_x, dst_y, w, h) || !inside(src, src_x, src_y, w, h))
        return false;
    if (dst->bytes_per_pixel != src->bytes_per_pixel)
        return false;
    keyed = keyed && key_applies(src);
    if (dst == src) {
        bool apart = dst_x + w <= src_x || src_x + w <= dst_x || dst_y + h <= src_y ||
                     src_y + h <= dst_y;
        if (!apart) {
            overlapping_copy(dst, dst_x, dst_y, src_x, src_y, w, h, keyed);
            return true;
        }
    }
    uint8_t* d = at(dst, dst_x, dst_y);
    const uint8_t* s = at(src, src_x, src_y);
    int32_t bytes = w * src->bytes_per_pixel;
    if (!keyed) {
        copy_rows(d, dst->pitch, s, src->pitch, bytes, h);
        return true;
    }
    switch (src->bytes_per_pixel) {
    case 1: keyed_rows8(d, dst->pitch, s, src->pitch, w, h, static_cast<uint8_t>(src->key)); break;
    case 2: keyed_rows16(d, dst->pitch, s, src->pitch, w, h, static_cast<uint16_t>(src->key)); break;
    case 4: keyed_rows32(d, dst->pitch, s, src->pitch, w, h, src->key); break;
    }
    return true;
}

void blit(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w, int32_t h,
          int32_t slot)
{
    copy_rect(draw_surface, dst_x, dst_y, image(slot), src_x, src_y, w, h, false);
}

void blit_keyed(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w, int32_t h,
                int32_t slot)
{
    copy_rect(draw_surface, dst_x, dst_y, image(slot), src_x, src_y, w, h, true);
}

// The clipping the clipped copies share: a destination left of or above the
// screen moves the source origin and shortens the copy, one past the right
// or bottom edge shortens it.
static void clip_to_screen(int64_t& dx, int64_t& dy, int64_t& sx, int64_t& sy, int64_t& cw, int64_t& ch)
{
    if (dx < 0) {
        sx -= dx;
        cw += dx;
        dx = 0;
    }
    if (dy < 0) {
        sy -= dy;
        ch += dy;
        dy = 0;
    }
    if (dx + cw > screen_width)
        cw = screen_width - dx;
    if (dy + ch > screen_height)
        ch = screen_height - dy;
}

void blit_keyed_clipped(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w,
                        int32_t h, int32_t slot)
{
    // 64-bit so that no sum of the caller's values can overflow.
    int64_t dx = dst_x, dy = dst_y, sx = src_x, sy = src_y, cw = w, ch = h;
    int64_t sw = screen_width, sh = screen_height;
    if (dx + cw < 0 || dx > sw || dy + ch < 0 || dy > sh)
        return;
    clip_to_screen(dx, dy, sx, sy, cw, ch);
    if (cw <= 0 || ch <= 0 || sx < 0 || sy < 0 || sx > INT32_MAX || sy > INT32_MAX)
        return;
    copy_rect(draw_surface, static_cast<int32_t>(dx), static_cast<int32_t>(dy), image(slot),
              static_cast<int32_t>(sx), static_cast<int32_t>(sy), static_cast<int32_t>(cw),
              static_cast<int32_t>(ch), true);
}

// --- Stretched copies ------------------------------------------------------

// Source byte offset of each destination column of the current stretch.
static int32_t column_offset[max_surface_side];

template <typename T>
static void stretch_rows(surface* dst, int32_t dst_x, int32_t dst_y, int32_t dst_w, int32_t dst_h,
                         const surface* src, int32_t src_h, const uint8_t* src_left, bool keyed)
{
    const T key = static_cast<T>(src->key);
    for (int32_t j = 0; j < dst_h; ++j) {
        int32_t row = static_cast<int32_t>(static_cast<int64_t>(j) * src_h / dst_h);
        const uint8_t* s = src_left + static_cast<size_t>(row) * src->pitch;
        T* d = reinterpret_cast<T*>(at(dst, dst_x, dst_y + j));
        if (keyed) {
            for (int32_t i = 0; i < dst_w; ++i) {
                T v;
                std::memcpy(&v, s + column_offset[i], sizeof v);
                d[i] = v == key ? d[i] : v;
            }
        } else {
            for (int32_t i = 0; i < dst_w; ++i)
                std::memcpy(&d[i], s + column_offset[i], sizeof(T));
        }
    }
}

bool stretch_rect(surface* dst, int32_t dst_x, int32_t dst_y, int32_t dst_w, int32_t dst_h,
                  const surface* src, int32_t src_x, int32_t src_y, int32_t src_w, int32_t src_h,
                  bool keyed)
{
    if (!inside(dst, dst_x, dst_y, dst_w, dst_h) || !inside(src, src_x, src_y, src_w, src_h))
        return false;
    if (dst->bytes_per_pixel != src->bytes_per_pixel)
        return false;
    if (dst == src)
        return false;  // a scaled copy onto its own source has no defined result
    if (dst_w == src_w && dst_h == src_h)
        return copy_rect(dst, dst_x, dst_y, src, src_x, src_y, src_w, src_h, keyed);
    keyed = keyed && key_applies(src);
    for (int32_t i = 0; i < dst_w; ++i)
        column_offset[i] = static_cast<int32_t>(static_cast<int64_t>(i) * src_w / dst_w) *
                           src->bytes_per_pixel;
    const uint8_t* left = at(src, src_x, src_y);
    switch (src->bytes_per_pixel) {
    case 1: stretch_rows<uint8_t>(dst, dst_x, dst_y, dst_w, dst_h, src, src_h, left, keyed); break;
    case 2: stretch_rows<uint16_t>(dst, dst_x, dst_y, dst_w, dst_h, src, src_h, left, keyed); break;
    case 4: stretch_rows<uint32_t>(dst, dst_x, dst_y, dst_w, dst_h, src, src_h, left, keyed); break;
    }
    return true;
}

void blit_stretch(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t src_w,
                  int32_t src_h, int32_t dst_w, int32_t dst_h, int32_t slot)
{
    stretch_rect(draw_surface, dst_x, dst_y, dst_w, dst_h, image(slot), src_x, src_y, src_w, src_h,
                 false);
}

// The destination size of the keyed stretches, 0 when it overflows.
static int32_t grown(int32_t size, int32_t extra)
{
    int64_t n = static_cast<int64_t>(size) + extra;
    return n > INT32_MAX || n < INT32_MIN ? 0 : static_cast<int32_t>(n);
}

void blit_stretch_keyed(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t src_w,
                        int32_t src_h, int32_t extra_w, int32_t extra_h, int32_t slot)
{
    stretch_rect(draw_surface, dst_x, dst_y, grown(src_w, extra_w), grown(src_h, extra_h),
                 image(slot), src_x, src_y, src_w, src_h, true);
}

void blit_stretch_keyed_clipped(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y,
                                int32_t src_w, int32_t src_h, int32_t extra_w, int32_t extra_h,
                                int32_t slot)
{
    int64_t dx = dst_x, dy = dst_y, sx = src_x, sy = src_y, cw = src_w, ch = src_h;
    clip_to_screen(dx, dy, sx, sy, cw, ch);
    if (cw <= 0 || ch <= 0 || sx > INT32_MAX || sy > INT32_MAX || dx > INT32_MAX || dy > INT32_MAX)
        return;
    blit_stretch_keyed(static_cast<int32_t>(dx), static_cast<int32_t>(dy), static_cast<int32_t>(sx),
                       static_cast<int32_t>(sy), static_cast<int32_t>(cw),
                       static_cast<int32_t>(ch), extra_w, extra_h, slot);
}

// --- Numbers ---------------------------------------------------------------

int32_t parse_int(const char* text)
{
    size_t n = std::strlen(text);
    bool negative = n > 0 && text[0] == '-';
    // Unsigned so that a long string wraps instead of overflowing.
    uint32_t value = 0;
    for (size_t i = negative ? 1 : 0; i < n; ++i) {
        uint8_t d = static_cast<uint8_t>(text[i] - '0');
        value = value * 10 + d;
        if (d > 9)
            return 0;
    }
    return static_cast<int32_t>(negative ? 0u - value : value);
}
