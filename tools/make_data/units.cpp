// The two unit sheets and their sprite files: data/images/grant.bmp and
// grant.spr (an orc grunt with an axe), footman.bmp and footman.spr (a human
// footman with sword and shield). Each unit is posed on a small skeleton
// and drawn by the figure renderer in eight directions, with four actions:
// stand (1 frame), walk (6), attack (4, an overhead swing) and die (5,
// ending on the ground). The sheets are 8-bit; the team parts are drawn in
// indices 212..215, which the game recolours per team.
#include <cmath>
#include <cstdio>

#include "core/directions.h"
#include "make_data.h"

// Materials of the unit figures and the palette ramps they are drawn in.
enum unit_material {
    mat_orc_skin, mat_human_skin, mat_leather, mat_steel, mat_wood, mat_bone, mat_cloth,
    mat_blood, mat_hair, mat_gold, mat_eye, mat_fur, mat_team, unit_material_count,
};
struct palette_ramp {
    uint8_t first;  // first palette index, darkest
    uint8_t count;  // shades
};
static const palette_ramp material_ramps[unit_material_count] = {
    {16, 8}, {24, 8}, {32, 8}, {40, 8}, {48, 8}, {56, 8}, {64, 8},
    {72, 8}, {80, 8}, {88, 8}, {96, 8}, {104, 8}, {index_team_own, 4},
};
constexpr uint8_t index_outline = 1;
constexpr uint8_t index_shadow = 2;

constexpr int slot_size = 64;           // each frame is drawn in a 64 x 64 slot
constexpr float slot_ground_x = 32;     // the ground point inside a slot
constexpr float slot_ground_y = 44;
// The ground point from the anchor, the top-left corner of the unit's cell,
// where the game picks (the cell whose corner lies nearest the cursor) and
// blocks (a cell's kind is its top-left vertex's): the standing figure's
// middle lies on the anchor, and every frame's middle within 12 pixels of
// it, so a click on the picture names the unit's cell.
constexpr int anchor_ground_x = 0;
constexpr int anchor_ground_y = 12;
constexpr float view_pitch = 35;        // degrees above the horizon

constexpr int stand_frames = 1, walk_frames = 6, attack_frames = 4, die_frames = 5;
constexpr int frames_per_direction = stand_frames + walk_frames + attack_frames + die_frames;

// A pose in the body's own space: x to the right, y forward, z up.
struct pose {
    vec3 pelvis, chest;
    vec3 hand_r, hand_l;
    vec3 foot_r, foot_l;
    float weapon_angle;  // the weapon's elevation in the body's y-z plane, degrees
    float fall;          // degrees fallen backwards
    int blood;           // 0 none, 1 a small pool, 2 a large one
    bool dropped;        // the weapon lies on the ground
};

// Body space to world space: falling backwards about the heels, sliding
// forward while falling so the body ends centred on its cell, then turning
// to the facing.
struct body_frame {
    float sin_fall, cos_fall, slide, lift;
    vec3 right, forward;
};

static body_frame make_body_frame(int direction, float fall)
{
    body_frame b;
    float a = fall * 3.14159265f / 180;
    b.sin_fall = std::sin(a);
    b.cos_fall = std::cos(a);
    b.slide = 9 * fall / 90;
    b.lift = 3.5f * b.sin_fall;
    float t = direction * 3.14159265f / 4;
    b.forward = {std::sin(t), std::cos(t), 0};
    b.right = {std::cos(t), -std::sin(t), 0};
    return b;
}

static vec3 turn(const body_frame& b, vec3 p) { return b.right * p.x + b.forward * p.y + vec3{0, 0, p.z}; }

static vec3 to_world(const body_frame& b, vec3 p)
{
    const float pivot = -1;
    float y = pivot + (p.y - pivot) * b.cos_fall - p.z * b.sin_fall;
    float z = (p.y - pivot) * b.sin_fall + p.z * b.cos_fall;
    return turn(b, {p.x, y + b.slide, z + b.lift});
}

static vec3 direction_to_world(const body_frame& b, vec3 d)
{
    return turn(b, {d.x, d.y * b.cos_fall - d.z * b.sin_fall, d.y * b.sin_fall + d.z * b.cos_fall});
}

// Drawing helpers in body space.
// Figures are modelled about 22 pixels tall and drawn this much larger.
constexpr float figure_scale = 1.2f;

struct body_painter {
    figure_canvas& canvas;
    body_frame frame;
    vec3 at(vec3 p) { return to_world(frame, p) * figure_scale; }
    void sphere(vec3 c, float r, int m) { add_sphere(canvas, at(c), r * figure_scale, m); }
    void capsule(vec3 a, vec3 b, float ra, float rb, int m)
    {
        add_capsule(canvas, at(a), at(b), ra * figure_scale, rb * figure_scale, m);
    }
    void disk(vec3 c, vec3 n, float r, float t, int m)
    {
        add_disk(canvas, at(c), direction_to_world(frame, n), r * figure_scale, t * figure_scale, m);
    }
    // Ground-lying things ignore the fall: only the turn.
    void flat_capsule(vec3 a, vec3 b, float r, int m)
    {
        add_capsule(canvas, turn(frame, a) * figure_scale, turn(frame, b) * figure_scale,
                    r * figure_scale, r * figure_scale, m);
    }
};

static vec3 weapon_direction(float degrees)
{
    float a = degrees * 3.14159265f / 180;
    return {0, std::cos(a), std::sin(a)};
}

// A limb from root to end through a joint bent outwards by bend.
static void limb(body_painter& p, vec3 root, vec3 end, vec3 bend, float r0, float r1, float r2,
                 int upper, int lower)
{
    vec3 joint = (root + end) * 0.5f + bend;
    p.capsule(root, joint, r0, r1, upper);
    p.capsule(joint, end, r1, r2, lower);
}

static void legs(body_painter& p, const pose& q, float hip_width, int cloth, int boot)
{
    for (int side = -1; side <= 1; side += 2) {
        vec3 hip = q.pelvis + vec3{side * hip_width, 0, -0.5f};
        vec3 foot = side > 0 ? q.foot_r : q.foot_l;
        limb(p, hip, foot, {side * 0.3f, 1.4f, 0.3f}, 2.5f, 2.1f, 1.8f, cloth, cloth);
        p.sphere(foot + vec3{0, 0.8f, -0.2f}, 1.9f, boot);
    }
}

static void draw_grunt(body_painter& p, const pose& q)
{
    legs(p, q, 2.6f, mat_leather, mat_fur);
    p.capsule(q.pelvis, q.chest, 4.0f, 5.0f, mat_orc_skin);
    p.capsule(q.pelvis + vec3{0, 0, -0.9f}, q.pelvis + vec3{0, 0, 0.9f}, 4.5f, 4.5f, mat_team);
    p.disk(q.pelvis + vec3{0, 3.9f, -2.8f}, {0, 1, 0.25f}, 2.4f, 0.6f, mat_team);
    p.disk(q.pelvis + vec3{0, -3.9f, -2.8f}, {0, -1, 0.25f}, 2.4f, 0.6f, mat_team);
    for (int side = -1; side <= 1; side += 2) {
        vec3 shoulder = q.chest + vec3{side * 5.0f, -0.2f, -0.3f};
        vec3 hand = side > 0 ? q.hand_r : q.hand_l;
        limb(p, shoulder, hand, {side * 1.6f, -1.0f, 0}, 2.4f, 2.0f, 1.8f, mat_orc_skin, mat_orc_skin);
        p.capsule((shoulder + hand) * 0.5f * 0.4f + hand * 0.6f, hand, 2.15f, 2.0f, mat_leather);
        p.sphere(hand, 1.9f, mat_orc_skin);
        p.sphere(shoulder + vec3{0, 0, 1.2f}, 3.0f, mat_team);
    }
    vec3 head = q.chest + vec3{0, 2.4f, 4.6f};
    p.sphere(head, 3.5f, mat_orc_skin);
    p.sphere(head + vec3{0, 1.8f, -1.6f}, 2.6f, mat_orc_skin);
    p.capsule(head + vec3{-1.8f, 2.5f, 0.9f}, head + vec3{1.8f, 2.5f, 0.9f}, 1.0f, 1.0f, mat_orc_skin);
    for (int side = -1; side <= 1; side += 2) {
        p.sphere(head + vec3{side * 1.3f, 3.0f, 0.1f}, 0.7f, mat_eye);
        p.capsule(head + vec3{side * 1.4f, 3.5f, -1.9f}, head + vec3{side * 1.6f, 3.9f, -0.5f}, 0.6f, 0.35f, mat_bone);
        p.capsule(head + vec3{side * 3.0f, 0, 0.5f}, head + vec3{side * 4.8f, -0.6f, 1.7f}, 1.0f, 0.4f, mat_orc_skin);
    }
    p.sphere(head + vec3{0, -0.9f, 3.1f}, 1.4f, mat_hair);
    // The axe: a wooden haft and a broad steel head on the cutting side.
    if (q.dropped) {
        vec3 a = {7, -4, 0.8f}, b = {7, 8, 0.8f};
        p.flat_capsule(a, b, 0.75f, mat_wood);
        p.flat_capsule(b + vec3{0.5f, -1.5f, 0}, b + vec3{3.0f, -2.0f, 0}, 1.1f, mat_steel);
        p.flat_capsule(b + vec3{0.5f, 1.5f, 0}, b + vec3{3.0f, 2.0f, 0}, 1.1f, mat_steel);
        p.flat_capsule(b + vec3{3.0f, -2.0f, 0}, b + vec3{3.0f, 2.0f, 0}, 1.1f, mat_steel);
        return;
    }
    vec3 d = weapon_direction(q.weapon_angle);
    vec3 cut = {0, d.z, -d.y};
    p.capsule(q.hand_r - d * 2.5f, q.hand_r + d * 12.0f, 0.75f, 0.75f, mat_wood);
    p.disk(q.hand_r + d * 10.0f + cut * 2.2f, {1, 0, 0}, 3.6f, 0.8f, mat_steel);
}

static void draw_footman(body_painter& p, const pose& q)
{
    legs(p, q, 2.3f, mat_cloth, mat_leather);
    p.capsule(q.pelvis, q.chest, 3.6f, 4.3f, mat_steel);
    p.capsule(q.pelvis + vec3{0, 0.3f, -3.6f}, q.chest + vec3{0, 0.2f, -1.2f}, 3.9f, 4.45f, mat_team);
    p.capsule(q.pelvis + vec3{0, 0, -0.6f}, q.pelvis + vec3{0, 0, 0.6f}, 4.2f, 4.2f, mat_leather);
    for (int side = -1; side <= 1; side += 2) {
        vec3 shoulder = q.chest + vec3{side * 4.3f, 0, -0.4f};
        vec3 hand = side > 0 ? q.hand_r : q.hand_l;
        limb(p, shoulder, hand, {side * 1.3f, -0.8f, 0}, 2.0f, 1.8f, 1.6f, mat_cloth, mat_cloth);
        p.sphere(hand, 1.6f, mat_leather);
        p.sphere(shoulder + vec3{0, 0, 0.6f}, 2.5f, mat_steel);
    }
    vec3 head = q.chest + vec3{0, 0.8f, 4.3f};
    p.sphere(head + vec3{0, 0.7f, -0.4f}, 2.7f, mat_human_skin);
    for (int side = -1; side <= 1; side += 2)
        p.sphere(head + vec3{side * 1.0f, 3.1f, -0.1f}, 0.55f, mat_hair);
    p.sphere(head + vec3{0, -0.3f, 0.7f}, 3.1f, mat_steel);
    p.disk(head + vec3{0, 0, 0.3f}, {0, 0, 1}, 3.9f, 0.6f, mat_steel);
    // Sword in the right hand.
    vec3 sword_at = q.dropped ? vec3{7, -2, 0.8f} : q.hand_r;
    if (q.dropped) {
        p.flat_capsule(sword_at, sword_at + vec3{0, 10, 0}, 0.7f, mat_steel);
        p.flat_capsule(sword_at + vec3{-1.8f, 0, 0}, sword_at + vec3{1.8f, 0, 0}, 0.6f, mat_gold);
    } else {
        vec3 d = weapon_direction(q.weapon_angle);
        p.capsule(q.hand_r + d * 1.5f, q.hand_r + d * 11.5f, 0.8f, 0.45f, mat_steel);
        p.capsule(q.hand_r + d * 1.3f + vec3{-1.9f, 0, 0}, q.hand_r + d * 1.3f + vec3{1.9f, 0, 0}, 0.6f, 0.6f, mat_gold);
        p.sphere(q.hand_r - d * 1.3f, 0.8f, mat_gold);
    }
    // Shield on the left arm: steel rim, team face, steel boss.
    vec3 n = normalise({-0.3f, 1, 0.1f});
    vec3 centre = q.hand_l + vec3{-0.6f, 1.0f, 0};
    p.disk(centre, n, 4.7f, 0.8f, mat_steel);
    p.disk(centre + n * 0.5f, n, 3.8f, 0.6f, mat_team);
    p.sphere(centre + n * 0.9f, 1.0f, mat_steel);
}

// The pose of frame k of an action; human holds the shield up.
static pose make_pose(int action, int k, bool human)
{
    float hip = human ? 10.5f : 10.0f;
    pose q{};
    q.pelvis = {0, 0, hip};
    q.chest = q.pelvis + (human ? vec3{0, 0.5f, 7.5f} : vec3{0, 1.5f, 8.0f});
    q.hand_r = {5.5f, 3.0f, 10.5f};
    q.hand_l = human ? vec3{-4.2f, 4.5f, 13.0f} : vec3{-5.5f, 1.5f, 10.5f};
    q.foot_r = {3.0f, 0.5f, 1.8f};
    q.foot_l = {-3.0f, 0.5f, 1.8f};
    q.weapon_angle = 70;
    if (action == 1) {
        float phase = 2 * 3.14159265f * k / walk_frames;
        float s = std::sin(phase), c = std::cos(phase);
        q.foot_l = {-3.0f, 3.6f * s, 1.8f + 1.6f * std::fmax(0.0f, c)};
        q.foot_r = {3.0f, -3.6f * s, 1.8f + 1.6f * std::fmax(0.0f, -c)};
        q.pelvis.z -= 0.6f * std::fabs(s);
        q.chest.z -= 0.6f * std::fabs(s);
        q.hand_r.y += 1.5f * s;
        if (!human) q.hand_l.y -= 2.5f * s;
        q.weapon_angle = 70 + 8 * s;
    } else if (action == 2) {
        static const float angle[attack_frames] = {135, 100, 20, -35};
        static const vec3 hand[attack_frames] = {{4, -1, 23}, {3.5f, 1.5f, 25}, {3, 7, 17}, {2.5f, 7.5f, 12}};
        static const float lean[attack_frames] = {-1, 0, 1.5f, 2.5f};
        q.weapon_angle = angle[k];
        q.hand_r = hand[k];
        q.chest = q.chest + vec3{0, lean[k], k == 3 ? -0.8f : 0};
        if (!human) q.hand_l = vec3{-5.5f, 2.0f - k, 11.5f};
        if (k >= 2) {
            q.foot_r.y = 2.5f;
            q.foot_l.y = -1.5f;
        }
    } else if (action == 3) {
        static const float fall[die_frames] = {10, 35, 60, 82, 90};
        q.fall = fall[k];
        q.weapon_angle = 110;
        q.hand_r = {5.0f, 0.5f, 18.0f - 3 * k};
        if (k >= 1) q.hand_l = {-6.0f, 0.5f, 15.0f - k};
        if (k >= 3) {
            q.hand_r = {7.0f, 1.0f, 12.0f};
            q.hand_l = {-7.0f, 1.0f, 12.0f};
            q.dropped = true;
            q.blood = k - 2;
        }
    }
    return q;
}

// A ground ellipse in body space (centre y, radii) as screen pixels: calls
// inside(x, y, edge) for every pixel whose ground point falls in it.
template <typename F>
static void ground_ellipse(const figure_canvas& c, const body_frame& b, float cy, float rx, float ry, F inside)
{
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            float wx = (x + 0.5f - c.ground_x) / figure_scale;
            float wy = -(y + 0.5f - c.ground_y) / c.pitch_sin / figure_scale;
            float bx = wx * b.right.x + wy * b.right.y;
            float by = wx * b.forward.x + wy * b.forward.y;
            float e = (bx / rx) * (bx / rx) + ((by - cy) / ry) * ((by - cy) / ry);
            if (e <= 1) inside(x, y, e);
        }
}

// Draws one frame into its slot of the sheet and returns its trimmed
// rectangle and offsets.
static frame_rect draw_frame(image8& sheet, int slot_x, int slot_y, int direction, int action, int k,
                             bool human, int& clipped)
{
    static figure_canvas canvas;
    begin_figure(canvas, slot_size, slot_size, slot_ground_x, slot_ground_y, view_pitch);
    canvas.shine[mat_steel] = 0.35f;
    canvas.shine[mat_gold] = 0.4f;
    canvas.glow[mat_team] = 0.15f;
    pose q = make_pose(action, k, human);
    body_painter painter{canvas, make_body_frame(direction, q.fall)};
    if (human) draw_footman(painter, q);
    else draw_grunt(painter, q);
    shade_figure(canvas);
    clipped += canvas.clipped;

    static uint8_t out[slot_size * slot_size];
    for (int i = 0; i < slot_size * slot_size; ++i) {
        int m = canvas.material[i];
        if (m < 0) {
            out[i] = index_magenta;
            continue;
        }
        const palette_ramp& ramp = material_ramps[m];
        int x = i % slot_size, y = i / slot_size;
        float dither = ((x & 1) * 2 + ((x ^ y) & 1)) / 4.0f - 0.375f;
        int s = static_cast<int>(std::floor(canvas.shade[i] * ramp.count + dither * 0.5f));
        s = s < 0 ? 0 : (s >= ramp.count ? ramp.count - 1 : s);
        out[i] = static_cast<uint8_t>(ramp.first + s);
    }
    // A dark outline all round, then blood and a dithered shadow on the ground.
    for (int y = 0; y < slot_size; ++y)
        for (int x = 0; x < slot_size; ++x) {
            if (filled(canvas, x, y)) continue;
            if (filled(canvas, x + 1, y) || filled(canvas, x - 1, y) || filled(canvas, x, y + 1) ||
                filled(canvas, x, y - 1))
                out[y * slot_size + x] = index_outline;
        }
    body_frame& b = painter.frame;
    if (q.blood > 0) {
        float r = q.blood == 1 ? 4.0f : 6.5f;
        ground_ellipse(canvas, b, -6, r * 1.2f, r, [&](int x, int y, float e) {
            uint8_t& o = out[y * slot_size + x];
            if (o != index_magenta) return;
            o = static_cast<uint8_t>(material_ramps[mat_blood].first + (e > 0.7f ? 1 : 3));
        });
    }
    float f = q.fall / 90;
    ground_ellipse(canvas, b, -4 * f, 6.5f, 6.5f + 6 * f, [&](int x, int y, float) {
        uint8_t& o = out[y * slot_size + x];
        if (o == index_magenta && ((x + y) & 1) == 0) o = index_shadow;
    });

    int x0 = slot_size, y0 = slot_size, x1 = -1, y1 = -1;
    for (int y = 0; y < slot_size; ++y)
        for (int x = 0; x < slot_size; ++x) {
            uint8_t v = out[y * slot_size + x];
            sheet.pixels[(slot_y + y) * sheet.width + slot_x + x] = v;
            if (v == index_magenta) continue;
            x0 = x < x0 ? x : x0;
            y0 = y < y0 ? y : y0;
            x1 = x > x1 ? x : x1;
            y1 = y > y1 ? y : y1;
        }
    frame_rect r{};
    r.x = slot_x + x0;
    r.y = slot_y + y0;
    r.width = x1 - x0 + 1;
    r.height = y1 - y0 + 1;
    r.offset_x = x0 - static_cast<int>(slot_ground_x) + anchor_ground_x;
    r.offset_y = y0 - static_cast<int>(slot_ground_y) + anchor_ground_y;
    return r;
}

// Draws a whole unit: 8 directions of 16 frames, one column per direction,
// and builds its rolls (action * 8 + direction) and sprite table.
static bool make_unit(const char* name, bool human, const uint32_t palette[256])
{
    static image8 sheet;
    static sprite_set set;
    make_image(sheet, direction_count * slot_size, frames_per_direction * slot_size, index_magenta);
    for (int i = 0; i < 256; ++i) sheet.palette[i] = palette[i];
    clear_sprite_set(set);
    static const int counts[4] = {stand_frames, walk_frames, attack_frames, die_frames};
    int clipped = 0;
    for (int direction = 0; direction < direction_count; ++direction) {
        int row = 0;
        for (int action = 0; action < 4; ++action) {
            int roll = action * direction_count + direction;
            for (int k = 0; k < counts[action]; ++k, ++row) {
                int frame = ++set.frame_count;
                set.frames[frame] = draw_frame(sheet, direction * slot_size, row * slot_size,
                                               direction, action, k, human, clipped);
                set.rolls[roll][k] = frame;
            }
            set.table[action][direction] = roll;
        }
    }
    if (clipped > 0)
        std::fprintf(stderr, "make_data: %s: %d pixels fell outside their frame\n", name, clipped);
    char path[64];
    std::snprintf(path, sizeof path, "images/%s.bmp", name);
    if (!write_bmp8(join_path(output_dir, path), sheet)) return false;
    std::snprintf(path, sizeof path, "images/%s.spr", name);
    return write_sprite_file(join_path(output_dir, path), set);
}

bool make_units()
{
    uint32_t palette[256];
    if (!load_unit_palette(palette)) return false;
    return make_unit("grant", false, palette) && make_unit("footman", true, palette);
}
