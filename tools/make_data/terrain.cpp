// The seven terrain tile sheets (data/map/tiles/<kind>.bmp): 4 x 5 tiles of
// 32 x 32. Row 0 holds four interchangeable full tiles; rows 1..4 the sixteen
// transition tiles, each showing its own kind in the corners that hold it
// and the kind beneath (shallow water under deep water and sand, sand under
// the land kinds) elsewhere.
//
// Seams: any tile may lie beside any other whose shared corners agree, so
//  - every ground texture repeats with a period of 32 pixels, and the four
//    full tiles differ only away from their edges (they fade into one shared
//    texture near the edges);
//  - the border of a transition is the level line of a field made from the
//    four corners, perturbed by noise that also repeats every 32 pixels.
//    Along a cell edge the field depends only on that edge's two corners, so
//    two tiles that share an edge draw the same border across it.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "make_data.h"

constexpr int tile = 32;
constexpr int kinds = 7;

// The colours of one terrain kind's ground, from assets/terrain.txt.
struct ground_style {
    colour dark, middle, light;  // the ends and middle of the texture's range
    float contrast;              // how far the noise swings, 0..1
    float grain;                 // per-pixel jitter in colour steps
};

static ground_style styles[kinds];

static const char* const kind_names[kinds] = {"dwater", "water", "sand", "mud",
                                              "grass", "dgrass", "stone"};

// The kind drawn under each kind's transitions.
static const int beneath_kind[kinds] = {1, 2, 1, 2, 2, 2, 2};

// The corners holding the sheet's own kind in each tile, by [row][column]:
// bit 1 top-left, 2 top-right, 4 bottom-left, 8 bottom-right.
static const int tile_corners[5][4] = {
    {15, 15, 15, 15},
    {8, 4, 12, 10},
    {2, 1, 3, 5},
    {9, 6, 7, 11},
    {6, 9, 13, 14},
};

static bool load_styles()
{
    std::vector<char> text;
    const char* path = join_path(assets_dir, "terrain.txt");
    if (!read_asset_text(path, text)) return false;
    bool seen[kinds] = {};
    for (const char* p = text.data(); *p; p = next_line(p)) {
        const char* q = p;
        char name[16];
        if (!read_word(q, name, sizeof name)) continue;
        int kind = -1;
        for (int k = 0; k < kinds; ++k)
            if (std::strcmp(name, kind_names[k]) == 0) kind = k;
        ground_style& s = styles[kind < 0 ? 0 : kind];
        int contrast, grain;
        if (kind < 0 || !read_colour(q, s.dark) || !read_colour(q, s.middle) ||
            !read_colour(q, s.light) || !read_number(q, contrast) || !read_number(q, grain)) {
            std::fprintf(stderr, "make_data: %s: bad line for '%s'\n", path, name);
            return false;
        }
        s.contrast = contrast / 100.0f;
        s.grain = static_cast<float>(grain);
        seen[kind] = true;
    }
    for (int k = 0; k < kinds; ++k)
        if (!seen[k]) {
            std::fprintf(stderr, "make_data: %s: no colours for %s\n", path, kind_names[k]);
            return false;
        }
    return true;
}

// Distance between two coordinates on a circle of one tile.
static float wrap_distance(float a, float b)
{
    float d = std::fabs(a - b);
    return d > tile / 2 ? tile - d : d;
}

// Cobbles for stone: the two nearest of seven wrapped points give a cell
// value and how close the pixel is to a crack.
static void cobbles(float x, float y, uint32_t seed, float& cell_value, float& crack)
{
    float best = 1e9f, second = 1e9f;
    int best_index = 0;
    for (int i = 0; i < 7; ++i) {
        float px = (hash3(i, 1, seed) >> 8) / 16777216.0f * tile;
        float py = (hash3(i, 2, seed) >> 8) / 16777216.0f * tile;
        float dx = wrap_distance(x, px), dy = wrap_distance(y, py);
        float d = std::sqrt(dx * dx + dy * dy);
        if (d < best) {
            second = best;
            best = d;
            best_index = i;
        } else if (d < second) {
            second = d;
        }
    }
    cell_value = (hash3(best_index, 3, seed) >> 8) / 8388608.0f - 1.0f;
    crack = second - best;
}

// The ground colour of a kind at a tile pixel, for one texture seed. Seed 0
// is the shared texture that every tile of the kind shows at its edges; it
// keeps its large features faint, since they repeat with every tile and
// would show the grid.
static colour ground(int kind, int x, int y, uint32_t seed)
{
    const ground_style& s = styles[kind];
    uint32_t ks = kind * 7919u + seed * 104729u;
    float fx = x + 0.5f, fy = y + 0.5f;
    float large = seed == 0 ? 0.3f : 1.0f;
    float n = large * 0.5f * periodic_noise(fx, fy, tile, 4, ks) +
              0.75f * periodic_noise(fx, fy, tile, 8, ks + 101) +
              0.45f * periodic_noise(fx, fy, tile, 16, ks + 202);
    float shade = 1.0f;
    switch (kind) {
    case 0:
    case 1: {
        // Short horizontal swells with bright crests.
        float swell = periodic_noise_xy(fx, fy, tile, 8, 16, ks + 5);
        n = n * 0.6f + swell * 0.6f;
        if (swell > 0.6f) shade = 1.1f;
        break;
    }
    case 2: {
        // Wind ripples across the sand.
        float warp = periodic_noise(fx, fy, tile, 4, ks + 7);
        n = n * 0.7f + 0.3f * std::sin(2 * 3.14159265f * (fx + 2 * fy) / 16 + 2.5f * warp);
        break;
    }
    case 3: {
        // Wet hollows in the mud, inside the tiles only.
        float hollow = periodic_noise(fx, fy, tile, 2, ks + 9) * large;
        if (hollow > 0.25f) shade = 0.86f - 0.25f * smoothstep(0.25f, 0.7f, hollow);
        break;
    }
    case 4:
    case 5: {
        // Upright blades.
        float blades = periodic_noise_xy(fx, fy, tile, 32, 8, ks + 5);
        n = n * 0.55f + blades * 0.55f;
        break;
    }
    case 6: {
        float cell_value, crack;
        cobbles(fx, fy, ks + 11, cell_value, crack);
        n = n * 0.5f + cell_value * 0.3f;
        if (crack < 1.1f) shade = 0.66f;
        else if (crack < 2.0f) shade = 0.9f;
        break;
    }
    }
    float t = clamp01(0.5f + 0.5f * n * s.contrast / 0.5f);
    colour c = t < 0.5f ? mix(s.dark, s.middle, t * 2) : mix(s.middle, s.light, t * 2 - 1);
    c = scale(c, shade);
    float jitter = ((hash3(x, y, ks + 77) >> 8) / 8388608.0f - 1.0f) * s.grain;
    return {c.r + jitter, c.g + jitter, c.b + jitter};
}

// How far a pixel lies inside its tile, 0 at the edges and 1 from 5 pixels in.
static float inner_weight(int x, int y)
{
    float d = std::fmin(std::fmin(x + 0.5f, tile - 0.5f - x), std::fmin(y + 0.5f, tile - 0.5f - y));
    return smoothstep(0.5f, 5.0f, d);
}

// The ground of a tile of one variant: the shared texture at the edges,
// the variant's own inside.
static colour tile_ground(int kind, int x, int y, int variant)
{
    float w = inner_weight(x, y);
    colour edge = ground(kind, x, y, 0);
    if (w <= 0) return edge;
    // A broad light or dark patch of the variant's own, inside the tile.
    float patch = periodic_noise(x + 0.5f, y + 0.5f, tile, 2, 555 + kind * 31 + variant);
    colour inner = scale(ground(kind, x, y, 1 + variant), 1 + 0.07f * patch * w);
    return mix(edge, inner, w);
}

// Small things lying on a full tile: flowers, tufts, pebbles, puddles,
// boulders, glints. Kept 4 pixels inside the tile so edges stay shared.
static void decorate(image24& sheet, int x0, int kind, int variant)
{
    tool_random rng{hash3(kind, variant, 4242)};
    auto put = [&](int x, int y, colour c) {
        if (x >= 3 && x < tile - 3 && y >= 3 && y < tile - 3) pixel(sheet, x0 + x, y) = pack_rgb(c);
    };
    auto darker = [&](int x, int y, float k) {
        if (x < 3 || x >= tile - 3 || y < 3 || y >= tile - 3) return;
        uint32_t p = pixel(sheet, x0 + x, y);
        colour c = {float(p >> 16), float((p >> 8) & 0xFF), float(p & 0xFF)};
        pixel(sheet, x0 + x, y) = pack_rgb(scale(c, k));
    };
    const ground_style& s = styles[kind];
    switch (kind) {
    case 0:
    case 1: {
        int glints = kind == 1 ? 3 + variant % 2 : 2;
        for (int i = 0; i < glints; ++i) {
            int x = rng.range(5, 24), y = rng.range(5, 27), len = rng.range(3, 6);
            for (int k = 0; k < len; ++k) put(x + k, y, mix(s.light, {230, 240, 250}, kind == 1 ? 0.5f : 0.2f));
        }
        break;
    }
    case 2: {
        int pebbles = 1 + variant % 3;
        for (int i = 0; i < pebbles; ++i) {
            int x = rng.range(5, 25), y = rng.range(5, 25);
            colour stone = mix({120, 110, 96}, {170, 160, 140}, rng.unit());
            put(x, y, scale(stone, 1.2f));
            put(x + 1, y, stone);
            put(x, y + 1, stone);
            put(x + 1, y + 1, scale(stone, 0.7f));
            darker(x + 2, y + 1, 0.8f);
            darker(x + 1, y + 2, 0.8f);
        }
        break;
    }
    case 3: {
        if (variant % 2 == 1) {
            int cx = rng.range(10, 22), cy = rng.range(10, 22);
            for (int y = -3; y <= 3; ++y)
                for (int x = -5; x <= 5; ++x)
                    if (x * x * 9 + y * y * 25 <= 225) put(cx + x, cy + y, mix(s.dark, {50, 60, 70}, 0.4f));
            put(cx - 2, cy - 1, {150, 150, 150});
            put(cx - 1, cy - 1, {120, 124, 128});
        }
        for (int i = 0; i < 2; ++i) {
            int x = rng.range(5, 26), y = rng.range(5, 26);
            put(x, y, scale(s.light, 0.9f));
            put(x + 1, y, s.middle);
        }
        break;
    }
    case 4:
    case 5: {
        int tufts = kind == 5 ? 4 : 2 + variant % 2;
        for (int i = 0; i < tufts; ++i) {
            int x = rng.range(5, 27), y = rng.range(6, 27);
            colour dark = scale(s.dark, 0.85f);
            put(x, y, dark);
            put(x - 1, y - 1, dark);
            put(x + 1, y - 1, dark);
            put(x, y - 1, s.light);
            put(x - 1, y - 2, scale(s.light, 0.95f));
        }
        static const colour petals[3] = {{250, 250, 240}, {250, 220, 60}, {200, 150, 230}};
        int flowers = kind == 4 ? (variant == 1 ? 2 : (variant == 3 ? 1 : 0)) : 0;
        for (int i = 0; i < flowers; ++i) {
            int x = rng.range(6, 26), y = rng.range(6, 26);
            colour petal = petals[rng.range(0, 3)];
            put(x, y - 1, petal);
            put(x - 1, y, petal);
            put(x + 1, y, petal);
            put(x, y + 1, petal);
            put(x, y, {240, 200, 40});
        }
        break;
    }
    case 6: {
        int boulders = variant % 2 == 0 ? 2 : 1;
        for (int i = 0; i < boulders; ++i) {
            int cx = rng.range(8, 24), cy = rng.range(8, 24), r = rng.range(2, 4);
            for (int y = -r; y <= r; ++y)
                for (int x = -r; x <= r; ++x) {
                    if (x * x + y * y > r * r) continue;
                    float light = clamp01(0.6f - 0.25f * (x + y) / r);
                    put(cx + x, cy + y, mix(s.dark, s.light, light));
                }
            for (int x = -r + 1; x <= r; ++x) darker(cx + x, cy + r + 1, 0.7f);
        }
        break;
    }
    }
}

// Draws one tile of a sheet. Full tiles are the kind's ground; transition
// tiles mix the kind and the kind beneath along the corner field.
static void draw_tile(image24& sheet, int kind, int column, int row)
{
    int corners = tile_corners[row][column];
    int x0 = column * tile, y0 = row * tile;
    if (corners == 15) {
        for (int y = 0; y < tile; ++y)
            for (int x = 0; x < tile; ++x)
                pixel(sheet, x0 + x, y0 + y) = pack_rgb(tile_ground(kind, x, y, column));
        decorate(sheet, x0, kind, column);
        return;
    }
    // Shallow water's own transitions (water over sand) are the sand
    // sheet's shores seen the other way round, so a shore edge looks the
    // same whichever of the two sheets draws it.
    if (kind == 1) {
        kind = 2;
        corners = 15 - corners;
    }
    int under = beneath_kind[kind];
    float tl = corners & 1 ? 1 : 0, tr = corners & 2 ? 1 : 0;
    float bl = corners & 4 ? 1 : 0, br = corners & 8 ? 1 : 0;
    int variant = (column + row) % 4;
    for (int y = 0; y < tile; ++y)
        for (int x = 0; x < tile; ++x) {
            float u = smoothstep(0, 1, (x + 0.5f) / tile);
            float v = smoothstep(0, 1, (y + 0.5f) / tile);
            float f = lerp(lerp(tl, tr, u), lerp(bl, br, u), v);
            // The two diagonal pairs: row 3 leans towards joining the corners,
            // row 4 towards keeping them apart.
            if (row >= 3 && (corners == 9 || corners == 6)) {
                // Nothing at the edge pixels themselves, so edges stay shared.
                float bump = inner_weight(x, y) * std::sin(3.14159265f * (x + 0.5f) / tile) *
                             std::sin(3.14159265f * (y + 0.5f) / tile);
                f += (row == 3 ? 0.12f : -0.12f) * bump;
            }
            float g = f + 0.4f * periodic_fbm(x + 0.5f, y + 0.5f, tile, 900 + kind);
            colour own = tile_ground(kind, x, y, variant);
            colour below = tile_ground(under, x, y, variant);
            colour c;
            if (kind == 0) {
                // Deep water darkens gradually into the shallows.
                c = mix(below, own, smoothstep(0.3f, 0.7f, g));
            } else if (kind == 2) {
                // A shore: wet sand beside the water, a broken line of foam.
                float sandness = g;
                colour sand = own, water = below;
                if (sandness >= 0.5f) {
                    float wet = 1 - smoothstep(0.5f, 0.62f, sandness);
                    c = mix(sand, mix(scale(sand, 0.72f), {90, 110, 110}, 0.25f), wet * 0.8f);
                } else {
                    float shallow = smoothstep(0.25f, 0.5f, sandness);
                    c = mix(water, {150, 200, 210}, shallow * 0.35f);
                    float foam = 1 - std::fabs(sandness - 0.455f) / 0.03f;
                    float broken = periodic_noise(x + 0.5f, y + 0.5f, tile, 16, 950 + kind);
                    if (foam > 0 && broken > -0.3f) c = mix(c, {235, 245, 245}, clamp01(foam * 1.5f) * 0.8f);
                }
            } else {
                // Land over sand: a darker rim on the land, a soft shadow on the sand.
                float a = smoothstep(0.47f, 0.53f, g);
                colour rim = scale(own, 0.72f);
                colour land = mix(rim, own, smoothstep(0.5f, 0.6f, g));
                colour sand = mix(below, scale(below, 0.8f), smoothstep(0.38f, 0.5f, g));
                c = mix(sand, land, a);
            }
                    pixel(sheet, x0 + x, y0 + y) = pack_rgb(c);
        }
}

bool make_terrain()
{
    if (!load_styles()) return false;
    static image24 sheet;
    for (int kind = 0; kind < kinds; ++kind) {
        make_image(sheet, 4 * tile, 5 * tile, 0);
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 4; ++column) draw_tile(sheet, kind, column, row);
        char name[64];
        std::snprintf(name, sizeof name, "map/tiles/%s.bmp", kind_names[kind]);
        if (!write_bmp24(join_path(output_dir, name), sheet)) return false;
    }
    return true;
}
