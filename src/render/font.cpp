// The bitmap font: the glyph table, text drawing from the two glyph images,
// and the text-entry step of the name fields.
#include "render/font.h"

#include <cstdio>
#include <cstring>

#include "core/byte_reader.h"
#include "core/file_access.h"
#include "input/input_latch.h"
#include "render/bmp.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"

glyph glyph_table[glyph_count] = {};
int32_t font_slot_b = -1;
int32_t font_slot_w = -1;

// Why the last glyph table load was refused; "" after a success.
static char glyph_refusal[120];

// The file the last load_font stopped at and the loader's reason, kept as
// they were (the loaders' own reasons change with their next load).
static const char* font_failed_file = "";
static char font_failed_reason[200];

// Notes which file stopped load_font and why; returns false.
static bool font_refused(const char* file, const char* reason)
{
    font_failed_file = file;
    std::snprintf(font_failed_reason, sizeof font_failed_reason, "%s", reason);
    return false;
}

bool load_font()
{
    static const char smallb[] = "data\\font\\smallb.bmp";
    static const char smallw[] = "data\\font\\smallw.bmp";
    static const char table[] = "data\\font\\smf.fn";
    if (!load_bmp(font_slot_b, smallb))
        return font_refused(smallb, last_bmp_error());
    if (!load_bmp(font_slot_w, smallw))
        return font_refused(smallw, last_bmp_error());
    if (!load_glyph_table())
        return font_refused(table, glyph_table_refusal());
    font_failed_file = "";
    font_failed_reason[0] = 0;
    return true;
}

void font_failure(const char*& file, const char*& reason)
{
    file = font_failed_file;
    reason = font_failed_reason;
}

// The record fields by name, for the refusal.
static const char* const glyph_field_names[4] = {"x", "y", "width", "height"};

bool load_glyph_table()
{
    // One byte more than a valid file, so that a longer one is recognised.
    static uint8_t buffer[glyph_file_size + 1];
    int64_t size = read_whole_file("data\\font\\smf.fn", buffer, sizeof buffer);
    if (size < 0) {
        file_problem problem = last_file_problem();
        std::snprintf(glyph_refusal, sizeof glyph_refusal, "%s",
                      problem == file_too_large ? "the file is longer than 4096 bytes"
                                                : file_problem_text(problem));
        return false;
    }
    return load_glyph_bytes(buffer, size);
}

bool load_glyph_bytes(const uint8_t* data, int64_t size)
{
    if (size != glyph_file_size) {
        std::snprintf(glyph_refusal, sizeof glyph_refusal,
                      "size is %lld byte%s, a glyph table has exactly 4096",
                      static_cast<long long>(size), size == 1 ? "" : "s");
        return false;
    }
    // Every field lies inside the largest image: no glyph can then make the
    // pen position or a measured width overflow.
    byte_reader r {data, size};
    for (int c = 0; c < glyph_count; ++c)
        for (int f = 0; f < 4; ++f) {
            int32_t v = r.i32();
            int32_t limit = f < 2 ? max_surface_side - 1 : max_surface_side;
            if (v < 0 || v > limit) {
                std::snprintf(glyph_refusal, sizeof glyph_refusal,
                              "glyph %d has %s %d, outside 0..%d", c, glyph_field_names[f], v,
                              limit);
                return false;
            }
        }
    r.pos = 0;
    for (glyph& g : glyph_table) {
        g.x = r.i32();
        g.y = r.i32();
        g.width = r.i32();
        g.height = r.i32();
    }
    glyph_refusal[0] = 0;
    return true;
}

const char* glyph_table_refusal()
{
    return glyph_refusal;
}

// Draws text from the glyph image in slot.
static void draw_glyphs(const char* text, int32_t x, int32_t y, int32_t slot)
{
    for (const char* p = text; *p != 0; ++p) {
        const glyph& g = glyph_table[static_cast<uint8_t>(*p)];
        if (g.width == 0 || g.height == 0)
            continue;
        blit_keyed(x, y, g.x, g.y, g.width, g.height, slot);
        x += g.width + 1;
    }
}

void draw_text(const char* text, int32_t x, int32_t y)
{
    draw_glyphs(text, x, y, font_slot_b);
}

void draw_text_w(const char* text, int32_t x, int32_t y)
{
    draw_glyphs(text, x, y, font_slot_w);
}

// The characters a name field takes: a few marks, digits, Latin letters and
// the Cyrillic letters А..я (192..255 in code page 1251).
static bool accepted(uint8_t c)
{
    switch (c) {
    case '-': case ' ': case '.': case ',': case '!': case '?': case '"':
        return true;
    }
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 192;
}

void edit_text(char* buffer, int32_t capacity)
{
    if (!char_ready)
        return;
    uint8_t c = typed_char;
    if (c == 13)
        return;  // Enter stays pending: the dialog reads it as "done"
    if (buffer != nullptr && capacity > 0) {
        // A buffer without a terminator counts as full.
        size_t length = strnlen(buffer, static_cast<size_t>(capacity));
        if (c == 8) {
            if (length > 0)
                buffer[length - 1] = 0;
        } else if (accepted(c) && length < max_edit_length &&
                   length + 1 < static_cast<size_t>(capacity)) {
            buffer[length] = static_cast<char>(c);
            buffer[length + 1] = 0;
        }
    }
    char_ready = 0;
}
