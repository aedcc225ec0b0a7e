// A tiny renderer of shaded spheres, capsules and disks for the generator's
// figures. The view is orthographic from the south and above, so spheres
// stay round on screen and a depth buffer settles what is in front.
#include <cmath>

#include "make_data.h"

vec3 operator+(vec3 a, vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
vec3 operator-(vec3 a, vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
vec3 operator*(vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float dot(vec3 a, vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
vec3 cross(vec3 a, vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

vec3 normalise(vec3 a)
{
    float length = std::sqrt(dot(a, a));
    return length > 0 ? a * (1 / length) : vec3{0, 0, 1};
}

void begin_figure(figure_canvas& c, int width, int height, float ground_x, float ground_y,
                  float pitch_degrees)
{
    c.width = width;
    c.height = height;
    c.ground_x = ground_x;
    c.ground_y = ground_y;
    float pitch = pitch_degrees * 3.14159265f / 180;
    c.pitch_sin = std::sin(pitch);
    c.pitch_cos = std::cos(pitch);
    size_t n = static_cast<size_t>(width) * height;
    c.depth.assign(n, -1e9f);
    c.material.assign(n, -1);
    c.shade.assign(n, 0);
    c.normal.assign(n, vec3{0, 0, 1});
    c.clipped = 0;
    c.scale = 1;
}

// World to view space: x right, y down the screen, z towards the viewer.
static vec3 to_view(const figure_canvas& c, vec3 p)
{
    p = p * c.scale;
    return {c.ground_x + p.x, c.ground_y - (p.y * c.pitch_sin + p.z * c.pitch_cos),
            p.z * c.pitch_sin - p.y * c.pitch_cos};
}

static vec3 direction_to_view(const figure_canvas& c, vec3 d)
{
    return {d.x, -(d.y * c.pitch_sin + d.z * c.pitch_cos), d.z * c.pitch_sin - d.y * c.pitch_cos};
}

void project(const figure_canvas& c, vec3 p, float& sx, float& sy)
{
    vec3 v = to_view(c, p);
    sx = v.x;
    sy = v.y;
}

// One sphere in view space; with a fixed normal (a plate) when flat is set.
static void splat(figure_canvas& c, vec3 v, float r, int material, const vec3* flat)
{
    int x0 = static_cast<int>(std::floor(v.x - r)), x1 = static_cast<int>(std::ceil(v.x + r));
    int y0 = static_cast<int>(std::floor(v.y - r)), y1 = static_cast<int>(std::ceil(v.y + r));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = x + 0.5f - v.x, dy = y + 0.5f - v.y;
            float d2 = dx * dx + dy * dy;
            if (d2 >= r * r) continue;
            if (x < 0 || y < 0 || x >= c.width || y >= c.height) {
                ++c.clipped;
                continue;
            }
            // A plate's splats barely bulge, so it stays flat to the edge test.
            float h = std::sqrt(r * r - d2);
            float z = v.z + (flat ? 0.2f * h : h);
            int i = y * c.width + x;
            if (z <= c.depth[i]) continue;
            c.depth[i] = z;
            c.material[i] = static_cast<int16_t>(material);
            c.normal[i] = flat ? *flat : vec3{dx / r, dy / r, h / r};
        }
}

void add_sphere(figure_canvas& c, vec3 centre, float radius, int material)
{
    splat(c, to_view(c, centre), radius * c.scale, material, nullptr);
}

void add_capsule(figure_canvas& c, vec3 a, vec3 b, float ra, float rb, int material)
{
    vec3 va = to_view(c, a), vb = to_view(c, b);
    float length = std::sqrt(dot(vb - va, vb - va));
    int steps = 1 + static_cast<int>(length / 0.4f);
    for (int i = 0; i <= steps; ++i) {
        float t = static_cast<float>(i) / steps;
        splat(c, va + (vb - va) * t, lerp(ra, rb, t) * c.scale, material, nullptr);
    }
}

void add_disk(figure_canvas& c, vec3 centre, vec3 normal, float radius, float thickness,
              int material)
{
    vec3 n = normalise(normal);
    vec3 helper = std::fabs(n.z) < 0.9f ? vec3{0, 0, 1} : vec3{1, 0, 0};
    vec3 u = normalise(cross(n, helper));
    vec3 w = cross(n, u);
    vec3 face = normalise(direction_to_view(c, n));
    if (face.z < 0) face = face * -1;
    float r = (0.5f + thickness / 2) * c.scale;
    for (float a = -radius; a <= radius; a += 0.5f)
        for (float b = -radius; b <= radius; b += 0.5f) {
            float inner = radius - r / c.scale;
            if (a * a + b * b > inner * inner + 0.01f) continue;
            splat(c, to_view(c, centre + u * a + w * b), r, material, &face);
        }
}

void shade_figure(figure_canvas& c)
{
    vec3 light = normalise({-0.5f, -0.7f, 0.6f});
    vec3 half = normalise(light + vec3{0, 0, 1});
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            int i = y * c.width + x;
            if (c.material[i] < 0) continue;
            vec3 n = c.normal[i];
            float diffuse = std::fmax(0.0f, dot(n, light));
            float s = 0.16f + 0.84f * diffuse;
            float shine = c.shine[c.material[i] % max_materials];
            s += c.glow[c.material[i] % max_materials];
            if (shine > 0) s += shine * std::pow(std::fmax(0.0f, dot(n, half)), 12.0f);
            // Just behind something nearer: the darkest shade where the step
            // is deep, a touch of shadow where it is shallow, so parts read apart.
            static const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
            float step = 0;
            for (int k = 0; k < 4; ++k) {
                int xx = x + dx[k], yy = y + dy[k];
                if (filled(c, xx, yy)) step = std::fmax(step, c.depth[yy * c.width + xx] - c.depth[i]);
            }
            if (step > 3.0f) s = 0;
            else if (step > 1.5f) s -= 0.18f;
            c.shade[i] = clamp01(s);
        }
}
