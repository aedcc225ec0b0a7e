// The 256-colour table of the unit sheets, read from assets/palette.txt, and
// data/palette.bmp, the display palette, which shows it as swatches.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "make_data.h"

// One line of the palette text; false when it is malformed.
static bool parse_line(const char* p, uint32_t table[256], bool defined[256])
{
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '#' || *p == '\n' || *p == '\r' || *p == 0) return true;
    const char* word = p;
    while (*p && *p != ' ' && *p != '\t' && *p != '\n') ++p;
    int length = static_cast<int>(p - word);
    int first;
    if (!read_number(p, first) || first < 0 || first > 255) return false;

    auto put = [&](int index, colour c) {
        if (index < 0 || index > 255) return false;
        table[index] = pack_rgb(c);
        if (c.r == 255 && c.g == 0 && c.b == 255) table[index] = magenta;
        defined[index] = true;
        return true;
    };

    if (length == 6 && std::strncmp(word, "shades", 6) == 0) {
        colour c;
        int index = first;
        while (read_colour(p, c))
            if (!put(index++, c)) return false;
        return index > first;
    }
    if (length == 4 && std::strncmp(word, "ramp", 4) == 0) {
        int count;
        colour dark, middle, light;
        if (!read_number(p, count) || count < 2 || !read_colour(p, dark) ||
            !read_colour(p, middle) || !read_colour(p, light))
            return false;
        for (int i = 0; i < count; ++i) {
            float t = static_cast<float>(i) / (count - 1);
            colour c = t < 0.5f ? mix(dark, middle, t * 2) : mix(middle, light, t * 2 - 1);
            if (!put(first + i, c)) return false;
        }
        return true;
    }
    if (length == 4 && std::strncmp(word, "cube", 4) == 0) {
        int nr, ng, nb;
        if (!read_number(p, nr) || !read_number(p, ng) || !read_number(p, nb) || nr < 2 ||
            ng < 2 || nb < 2)
            return false;
        int index = first;
        for (int r = 0; r < nr; ++r)
            for (int g = 0; g < ng; ++g)
                for (int b = 0; b < nb; ++b) {
                    colour c = {255.0f * r / (nr - 1), 255.0f * g / (ng - 1),
                                255.0f * b / (nb - 1)};
                    if (!put(index++, c)) return false;
                }
        return true;
    }
    return false;
}

bool load_unit_palette(uint32_t table[256])
{
    std::vector<char> text;
    const char* path = join_path(assets_dir, "palette.txt");
    if (!read_asset_text(path, text)) return false;
    bool defined[256] = {};
    std::memset(table, 0, 256 * sizeof(uint32_t));
    int line = 1;
    for (const char* p = text.data(); *p; ++line) {
        if (!parse_line(p, table, defined)) {
            std::fprintf(stderr, "make_data: %s:%d: malformed line\n", path, line);
            return false;
        }
        while (*p && *p != '\n') ++p;
        if (*p == '\n') ++p;
    }
    // The sheets rely on the key and on all eight team ramps.
    static const int team_bases[8] = {212, 208, 216, 220, 224, 228, 232, 12};
    for (int base : team_bases)
        for (int i = 0; i < 4; ++i)
            if (!defined[base + i]) {
                std::fprintf(stderr, "make_data: %s: team colour %d missing\n", path, base + i);
                return false;
            }
    if (table[index_magenta] != magenta) {
        std::fprintf(stderr, "make_data: %s: entry 255 must be magenta\n", path);
        return false;
    }
    return true;
}

bool make_palette()
{
    static image8 image;
    if (!load_unit_palette(image.palette)) return false;
    // 16 x 16 swatches of 8 x 8 pixels, index order left to right.
    make_image(image, 128, 128, 0);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) image.pixels[y * 128 + x] = (y / 8) * 16 + x / 8;
    return write_bmp8(join_path(output_dir, "palette.bmp"), image);
}
