// The object image set: data/images/tree.bmp and tree.frm. Frames 1..5 are
// five trees (an oak, a fruit tree, a pine, a spruce, a birch), 6..10 the
// same trees mirrored, 11..15 five rocks. Drawn by the figure renderer,
// 24-bit on magenta; each frame's offset puts the tree's or rock's foot on
// the anchor the world drawing uses for objects (the cell's top-left corner,
// where units stand and where the cell's blocking vertex lies, 6 pixels
// down). Trees rise above it.
#include <cmath>
#include <cstdio>

#include "make_data.h"

enum object_material { bark, oak_leaves, fruit_leaves, pine_needles, birch_bark, birch_leaves, fruit,
                       rock_grey, rock_brown, object_material_count };

// Dark, middle and light colour of each material.
static const colour object_colours[object_material_count][3] = {
    {{40, 26, 14}, {92, 64, 38}, {150, 116, 80}},
    {{16, 44, 14}, {50, 102, 30}, {128, 178, 60}},
    {{28, 68, 16}, {82, 138, 40}, {168, 208, 88}},
    {{8, 34, 26}, {26, 78, 52}, {88, 138, 88}},
    {{86, 86, 80}, {196, 196, 186}, {250, 250, 240}},
    {{48, 78, 20}, {118, 158, 50}, {198, 224, 108}},
    {{120, 20, 10}, {200, 40, 20}, {250, 130, 90}},
    {{48, 48, 52}, {116, 114, 110}, {196, 194, 186}},
    {{58, 48, 38}, {122, 106, 88}, {190, 176, 150}},
};
// How strongly leaf clumps and stone grain break up the shading.
static const float object_texture[object_material_count] = {0.15f, 0.3f, 0.3f, 0.3f, 0.1f, 0.3f, 0, 0.14f, 0.14f};

constexpr int tree_width = 48, tree_height = 72;
constexpr int rock_size = 48;
constexpr float object_pitch = 35;

// A crown of leaf clumps around a centre.
static void crown(figure_canvas& c, tool_random& rng, vec3 centre, vec3 spread, int clumps, float r0,
                  float r1, int material)
{
    for (int i = 0; i < clumps; ++i) {
        vec3 p = {rng.signed_unit() * spread.x, rng.signed_unit() * spread.y, rng.signed_unit() * spread.z};
        add_sphere(c, centre + p, lerp(r0, r1, rng.unit()), material);
    }
}

// Tiers of a conifer: rings of clumps narrowing towards the top.
static void conifer(figure_canvas& c, tool_random& rng, int tiers, float base, float step, float width,
                    float narrowing)
{
    add_capsule(c, {0, 0, 0}, {0, 0, base + tiers * step}, 2.0f, 0.8f, bark);
    for (int k = 0; k < tiers; ++k) {
        float radius = width - k * narrowing;
        float z = base + k * step;
        for (int i = 0; i < 8; ++i) {
            float a = i * 3.14159265f / 4 + k * 0.4f;
            add_sphere(c, {std::cos(a) * radius * 0.7f, std::sin(a) * radius * 0.7f, z - 1.5f},
                       2.6f + rng.unit() * 0.8f, pine_needles);
        }
        add_sphere(c, {0, 0, z}, radius * 0.6f + 1, pine_needles);
    }
    add_sphere(c, {0, 0, base + tiers * step + 1}, 1.8f, pine_needles);
}

static void draw_tree(figure_canvas& c, int which)
{
    tool_random rng{static_cast<uint32_t>(7001 + which * 97)};
    switch (which) {
    case 0:  // a broad oak
        add_capsule(c, {0, 0, 0}, {0, 0, 16}, 2.8f, 2.0f, bark);
        add_capsule(c, {0, 0, 12}, {5, 1, 19}, 1.3f, 0.9f, bark);
        add_capsule(c, {0, 0, 13}, {-5, -1, 20}, 1.3f, 0.9f, bark);
        crown(c, rng, {0, 0, 25}, {8, 6, 5}, 16, 4.5f, 6.5f, oak_leaves);
        break;
    case 1:  // a rounder fruit tree
        add_capsule(c, {0, 0, 0}, {0.5f, 0, 12}, 2.2f, 1.6f, bark);
        crown(c, rng, {0.5f, 0, 19}, {6, 5, 4}, 13, 4, 5.5f, fruit_leaves);
        for (int i = 0; i < 6; ++i) {
            float a = rng.unit() * 6.283f;
            add_sphere(c, {std::cos(a) * 7, std::sin(a) * 3 - 6, 17 + rng.signed_unit() * 4}, 1.1f, fruit);
        }
        break;
    case 2:  // a pine
        conifer(c, rng, 6, 8, 5, 11, 1.7f);
        break;
    case 3:  // a tall narrow spruce
        conifer(c, rng, 8, 6, 4.6f, 8.5f, 0.9f);
        break;
    default:  // a birch
        add_capsule(c, {0, 0, 0}, {1.5f, 0, 24}, 1.6f, 1.0f, birch_bark);
        add_capsule(c, {1, 0, 16}, {5, 0, 22}, 0.8f, 0.5f, birch_bark);
        crown(c, rng, {1.5f, 0, 27}, {7, 5, 6}, 14, 3, 4.2f, birch_leaves);
        break;
    }
}

static void draw_rock(figure_canvas& c, int which)
{
    int m = which == 1 || which == 3 ? rock_brown : rock_grey;
    switch (which) {
    case 0:
        add_sphere(c, {0, 0, 3}, 7, m);
        add_sphere(c, {5, -2, 2}, 4.5f, m);
        add_sphere(c, {-5, 1, 1.5f}, 4, m);
        break;
    case 1:
        add_sphere(c, {-3, 0, 2.5f}, 6, m);
        add_sphere(c, {5, -1, 1.5f}, 4.2f, m);
        add_sphere(c, {1, -5, 1}, 2.5f, m);
        break;
    case 2:
        for (int i = 0; i < 5; ++i) add_sphere(c, {-7.0f + i * 3.5f, (i % 2) * 2.0f, 0.5f}, 4.5f, m);
        add_sphere(c, {2, 1, 3}, 3.5f, m);
        break;
    case 3: {
        static const float pile[6][4] = {{-5, 0, 1, 3.2f}, {0, 1, 1, 3.6f}, {5, -1, 1, 3},
                                         {-2, -4, 0.5f, 2.6f}, {3, -5, 0.5f, 2.4f}, {0, -1, 4, 2.8f}};
        for (const auto& r : pile) add_sphere(c, {r[0], r[1], r[2]}, r[3], m);
        break;
    }
    default:
        add_capsule(c, {0, 0, 2}, {1.5f, 0, 13}, 6, 2.2f, m);
        add_sphere(c, {-5, -1, 2}, 4, m);
        add_sphere(c, {5, -2, 1}, 3, m);
        break;
    }
}

// Colours a rendered figure into its place on the sheet, with a dark
// outline and a dithered shadow falling to the lower right.
static frame_rect paste_object(image24& sheet, const figure_canvas& c, int sx, int sy, bool mirror,
                               float shadow_rx, float shadow_ry)
{
    auto at = [&](int x, int y) -> uint32_t& { return pixel(sheet, sx + (mirror ? c.width - 1 - x : x), sy + y); };
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            int i = y * c.width + x;
            int m = c.material[i];
            if (m < 0) {
                bool edge = filled(c, x + 1, y) || filled(c, x - 1, y) || filled(c, x, y + 1) || filled(c, x, y - 1);
                float ex = (x + 0.5f - c.ground_x - 5) / shadow_rx, ey = (y + 0.5f - c.ground_y - 1) / shadow_ry;
                if (edge) at(x, y) = 0x121610;
                else if (ex * ex + ey * ey <= 1 && ((x + y) & 1) == 0) at(x, y) = 0x0C140C;
                continue;
            }
            float grain = periodic_noise(static_cast<float>(x), static_cast<float>(y), 64, 32, 31 + m);
            float s = clamp01(c.shade[i] + object_texture[m] * grain);
            const colour* ramp = object_colours[m];
            colour col = s < 0.5f ? mix(ramp[0], ramp[1], s * 2) : mix(ramp[1], ramp[2], s * 2 - 1);
            // Birch bark has dark marks across it.
            if (m == birch_bark && periodic_noise(static_cast<float>(x), y * 0.5f, 64, 32, 77) > 0.45f)
                col = {40, 40, 36};
            at(x, y) = pack_rgb(col);
        }
    int x0 = c.width, y0 = c.height, x1 = -1, y1 = -1;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            if (pixel(sheet, sx + x, sy + y) == magenta) continue;
            x0 = x < x0 ? x : x0;
            y0 = y < y0 ? y : y0;
            x1 = x > x1 ? x : x1;
            y1 = y > y1 ? y : y1;
        }
    frame_rect r{};
    r.x = sx + x0;
    r.y = sy + y0;
    r.width = x1 - x0 + 1;
    r.height = y1 - y0 + 1;
    // The ground point on the anchor; a mirrored picture keeps it at the
    // slot's centre column.
    r.offset_x = x0 - static_cast<int>(c.ground_x);
    r.offset_y = y0 - static_cast<int>(c.ground_y);
    return r;
}

bool make_objects()
{
    static image24 sheet;
    static figure_canvas canvas;
    make_image(sheet, 5 * tree_width, 2 * tree_height + rock_size, magenta);
    frame_rect frames[15] = {};
    for (int i = 0; i < 5; ++i) {
        for (int mirrored = 0; mirrored < 2; ++mirrored) {
            begin_figure(canvas, tree_width, tree_height, tree_width / 2, tree_height - 6, object_pitch);
            canvas.scale = 1.3f;
            draw_tree(canvas, i);
            shade_figure(canvas);
            frames[i + 5 * mirrored] = paste_object(sheet, canvas, i * tree_width, mirrored * tree_height,
                                                    mirrored == 1, 15, 6);
            if (canvas.clipped > 0) std::fprintf(stderr, "make_data: tree %d is clipped\n", i + 1);
        }
        begin_figure(canvas, rock_size, rock_size, rock_size / 2, rock_size - 12, object_pitch);
        canvas.scale = 1.15f;
        draw_rock(canvas, i);
        shade_figure(canvas);
        frames[10 + i] = paste_object(sheet, canvas, i * tree_width, 2 * tree_height, false, 12, 5);
        if (canvas.clipped > 0) std::fprintf(stderr, "make_data: rock %d is clipped\n", i + 11);
    }
    return write_bmp24(join_path(output_dir, "images/tree.bmp"), sheet) &&
           write_frame_file(join_path(output_dir, "images/tree.frm"), frames, 15);
}
