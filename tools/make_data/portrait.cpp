// The hero's portrait, data/images/vesk.bmp: Веск, an orc warlord, head and
// shoulders in three-quarter view with the red pauldrons of his team, 60 x 50,
// drawn by the figure renderer at twice the size and filtered down.
#include <cmath>

#include "make_data.h"

enum portrait_material { skin, eye, bone, hair, leather, team_plate, steel, dark, scar, portrait_material_count };

static const colour portrait_colours[portrait_material_count][3] = {
    {{26, 48, 14}, {92, 138, 44}, {188, 224, 120}},
    {{120, 10, 0}, {255, 80, 10}, {255, 240, 120}},
    {{110, 100, 76}, {214, 204, 170}, {255, 252, 236}},
    {{8, 6, 4}, {40, 32, 24}, {96, 80, 62}},
    {{34, 20, 10}, {100, 64, 32}, {176, 130, 80}},
    {{96, 10, 8}, {200, 34, 26}, {255, 132, 110}},
    {{34, 38, 48}, {118, 126, 140}, {226, 232, 240}},
    {{10, 6, 4}, {30, 20, 14}, {60, 40, 30}},
    {{90, 70, 50}, {150, 120, 90}, {200, 170, 140}},
};

constexpr int portrait_width = 60, portrait_height = 50;
constexpr int oversample = 2;

// Head space: x to his right, y forward, z up; turned a little to the side.
static vec3 head_to_world(vec3 p)
{
    const float a = 2.75f;  // facing just right of the viewer
    vec3 forward = {std::sin(a), std::cos(a), 0}, right = {std::cos(a), -std::sin(a), 0};
    return right * p.x + forward * p.y + vec3{0, 0, p.z};
}

static void sphere(figure_canvas& c, vec3 p, float r, int m) { add_sphere(c, head_to_world(p), r, m); }
static void capsule(figure_canvas& c, vec3 a, vec3 b, float ra, float rb, int m)
{
    add_capsule(c, head_to_world(a), head_to_world(b), ra, rb, m);
}

static void draw_vesk(figure_canvas& c)
{
    // Shoulders and chest: leather, red plates with steel spikes.
    sphere(c, {0, -2, -2}, 15, leather);
    for (int side = -1; side <= 1; side += 2) {
        sphere(c, {side * 16.0f, -1, 4}, 9.5f, team_plate);
        capsule(c, {side * 18.0f, -1, 11}, {side * 21.0f, -2, 17}, 1.8f, 0.4f, steel);
        capsule(c, {side * 22.0f, 0, 7}, {side * 27.0f, 0, 10}, 1.8f, 0.4f, steel);
    }
    capsule(c, {0, 0, 8}, {0, 1.5f, 17}, 7.5f, 7, skin);
    // The head: a broad skull, heavy jaw and jowls, a brow ridge.
    sphere(c, {0, -1, 27}, 11, skin);
    sphere(c, {0, 3, 19}, 9.5f, skin);
    for (int side = -1; side <= 1; side += 2) sphere(c, {side * 5.5f, 2, 19.5f}, 7, skin);
    capsule(c, {-7.5f, 8, 28.5f}, {7.5f, 8, 28.5f}, 2.8f, 2.8f, skin);
    for (int side = -1; side <= 1; side += 2) {
        sphere(c, {side * 4.0f, 7.4f, 25.6f}, 2.7f, dark);
        sphere(c, {side * 4.0f, 8.6f, 25.6f}, 1.7f, eye);
        // Tusks rising from the lower jaw, ears swept back.
        capsule(c, {side * 3.6f, 10.6f, 16.0f}, {side * 4.4f, 11.8f, 22.0f}, 1.6f, 0.5f, bone);
        capsule(c, {side * 10.0f, 0, 26}, {side * 17.0f, -2.5f, 31}, 2.6f, 0.7f, skin);
    }
    sphere(c, {0, 10.8f, 22.8f}, 2.7f, skin);
    capsule(c, {-5, 10.2f, 17.3f}, {5, 10.2f, 17.3f}, 1.0f, 1.0f, dark);
    capsule(c, {-7.5f, 8.6f, 21.0f}, {-3.0f, 9.8f, 27.5f}, 0.5f, 0.5f, scar);
    // A top-knot of black hair, tied back.
    sphere(c, {0, -3, 37.5f}, 3.2f, hair);
    capsule(c, {0, -4, 37}, {0, -10, 29}, 2.4f, 1.2f, hair);
}

bool make_portrait()
{
    static figure_canvas c;
    const int w = portrait_width * oversample, h = portrait_height * oversample;
    begin_figure(c, w, h, w / 2.0f, h - 4.0f * oversample, 12);
    c.scale = oversample * 0.95f;
    c.glow[eye] = 0.35f;
    c.shine[steel] = 0.5f;
    c.shine[team_plate] = 0.35f;
    c.shine[eye] = 0.5f;
    draw_vesk(c);
    shade_figure(c);

    static image24 image;
    make_image(image, portrait_width, portrait_height, 0);
    for (int y = 0; y < portrait_height; ++y)
        for (int x = 0; x < portrait_width; ++x) {
            colour sum = {0, 0, 0};
            for (int sy = 0; sy < oversample; ++sy)
                for (int sx = 0; sx < oversample; ++sx) {
                    int px = x * oversample + sx, py = y * oversample + sy;
                    int i = py * w + px;
                    colour col;
                    if (c.material[i] < 0) {
                        // A warm glow behind him, darkening to the corners.
                        float dx = (px - w * 0.45f) / w, dy = (py - h * 0.35f) / h;
                        float glow = clamp01(1 - 1.6f * std::sqrt(dx * dx + dy * dy));
                        col = mix({22, 12, 8}, {130, 62, 24}, glow * glow);
                    } else {
                        const colour* ramp = portrait_colours[c.material[i]];
                        float s = c.shade[i];
                        col = s < 0.5f ? mix(ramp[0], ramp[1], s * 2) : mix(ramp[1], ramp[2], s * 2 - 1);
                    }
                    sum = {sum.r + col.r, sum.g + col.g, sum.b + col.b};
                }
            pixel(image, x, y) = pack_rgb(scale(sum, 1.0f / (oversample * oversample)));
        }
    return write_bmp24(join_path(output_dir, "images/vesk.bmp"), image);
}
