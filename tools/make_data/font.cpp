// The bitmap font: data/font/smf.fn (256 glyph records of x, y, width and
// height) and the glyph images smallb.bmp (dark) and smallw.bmp (white) on
// magenta, from the glyph drawings in assets/font/glyphs.txt.
#include <cstdio>
#include <cstring>

#include "make_data.h"

constexpr int glyph_rows = 12;    // every glyph is this tall
constexpr int max_glyph_width = 10;
constexpr int cell_width = 10;    // the images hold 16 x 16 cells, one per byte
constexpr int cell_height = 12;

// One glyph as drawn in the source.
struct glyph {
    bool present;
    int width;
    char rows[glyph_rows][max_glyph_width + 1];
};

static glyph glyphs[256];

// Reads the glyph source; false with a message on the first malformed block.
static bool read_glyphs()
{
    std::vector<char> text;
    const char* path = join_path(assets_dir, "font/glyphs.txt");
    if (!read_asset_text(path, text)) return false;
    std::memset(glyphs, 0, sizeof glyphs);
    int line = 1;
    for (const char* p = text.data(); *p; p = next_line(p), ++line) {
        const char* q = p;
        char word[16];
        if (!read_word(q, word, sizeof word)) continue;
        int code;
        if (std::strcmp(word, "glyph") != 0 || !read_number(q, code) || code < 0 || code > 255 ||
            glyphs[code].present) {
            std::fprintf(stderr, "make_data: %s:%d: expected 'glyph CODE' of a new code\n", path, line);
            return false;
        }
        glyph& g = glyphs[code];
        g.present = true;
        for (int row = 0; row < glyph_rows; ++row) {
            p = next_line(p);
            ++line;
            int n = 0;
            while (p[n] == '#' || p[n] == '.') ++n;
            bool ends = p[n] == '\n' || p[n] == '\r' || p[n] == 0;
            if (n == 0 || n > max_glyph_width || !ends || (row > 0 && n != g.width)) {
                std::fprintf(stderr, "make_data: %s:%d: glyph %d needs %d rows of one width (1..%d) of '#' and '.'\n",
                             path, line, code, glyph_rows, max_glyph_width);
                return false;
            }
            g.width = n;
            std::memcpy(g.rows[row], p, n);
        }
    }
    return true;
}

// Draws every glyph into its cell of the image in one ink colour.
static void draw_glyphs(image24& image, uint32_t ink)
{
    make_image(image, 16 * cell_width, 16 * cell_height, magenta);
    for (int code = 0; code < 256; ++code) {
        const glyph& g = glyphs[code];
        if (!g.present) continue;
        int x0 = (code % 16) * cell_width, y0 = (code / 16) * cell_height;
        for (int row = 0; row < glyph_rows; ++row)
            for (int x = 0; x < g.width; ++x)
                if (g.rows[row][x] == '#') pixel(image, x0 + x, y0 + row) = ink;
    }
}

bool make_font()
{
    if (!read_glyphs()) return false;
    // Every byte the program draws must have a glyph.
    for (int code = 32; code < 256; ++code) {
        bool needed = code <= 126 || code >= 192;
        if (needed && !glyphs[code].present) {
            std::fprintf(stderr, "make_data: the font has no glyph for byte %d\n", code);
            return false;
        }
    }
    uint8_t table[256 * 16] = {};
    for (int code = 0; code < 256; ++code) {
        if (!glyphs[code].present) continue;
        int32_t fields[4] = {(code % 16) * cell_width, (code / 16) * cell_height, glyphs[code].width,
                             glyph_rows};
        for (int f = 0; f < 4; ++f)
            for (int b = 0; b < 4; ++b)
                table[code * 16 + f * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(fields[f]) >> (8 * b));
    }
    if (!write_bytes_file(join_path(output_dir, "font/smf.fn"), table, sizeof table)) return false;
    static image24 image;
    draw_glyphs(image, 0x141418);
    if (!write_bmp24(join_path(output_dir, "font/smallb.bmp"), image)) return false;
    draw_glyphs(image, 0xFFFFFF);
    return write_bmp24(join_path(output_dir, "font/smallw.bmp"), image);
}
