// The bitmap font: glyph table and images, text drawing and entry.
#pragma once

#include <cstdint>

// One glyph: its rectangle in both glyph images; a zero width or height
// means the byte has no glyph.
struct glyph {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// One record per byte value, read from data\font\smf.fn (256 x 16 bytes).
constexpr int glyph_count = 256;
constexpr int glyph_file_size = glyph_count * 16;
extern glyph glyph_table[glyph_count];

// Image slots of data\font\smallb.bmp and smallw.bmp; -1 until loaded.
extern int32_t font_slot_b;
extern int32_t font_slot_w;

// Loads the two glyph images and the glyph table; false when any of the
// three files is missing or refused (without the table no text shows), with
// font_failure telling which and why. The entry calls it once after the
// colours are set and reports a failure.
bool load_font();
// The file the last failed load_font stopped at ("data\font\smf.fn") and
// the loader's reason; both "" after a success. The entry's report.
void font_failure(const char*& file, const char*& reason);
// Reads data\font\smf.fn into glyph_table; a missing file, one that is not
// exactly 4096 bytes or one with a field outside 0..4096 (0..4095 for x and
// y) leaves the table as it was (text stays invisible) and returns false.
bool load_glyph_table();
// The check and apply step of load_glyph_table on a file already in memory.
// Used by load_glyph_table, the data checker and the fuzz targets.
bool load_glyph_bytes(const uint8_t* data, int64_t size);
// Why the last glyph table load was refused, in plain words ("" after a
// success). The data checker prints it.
const char* glyph_table_refusal();

// Draws a code page 1251 string from (x, y), the top-left of its first
// glyph, with the smallb.bmp glyphs; glyphs one pixel apart, bytes without a
// glyph skipped. No clipping: a glyph not wholly on the screen is not drawn.
void draw_text(const char* text, int32_t x, int32_t y);
// The same with the smallw.bmp glyphs (the HUD and the sprite editor).
void draw_text_w(const char* text, int32_t x, int32_t y);

// The longest string edit_text builds, terminator excluded.
constexpr int max_edit_length = 256;
// Applies the pending typed character to the zero-terminated string in
// buffer (capacity bytes): Enter is left pending for the caller, Backspace
// drops the last byte, an accepted character is appended while the string
// is shorter than 256 bytes and still fits the buffer with its terminator.
// The name fields of the dialogs call it once per pass.
void edit_text(char* buffer, int32_t capacity);
