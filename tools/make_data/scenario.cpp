// The scenario map data/map/single.map, made the way a designer would make
// it in the map editor: a new 128 x 128 grass map, terrain painted vertex by
// vertex with the program's own terrain painter (which lays the sand shores
// and the sand between land kinds by itself), trees and rocks placed as the
// editor's object tools place them, the hero and the enemy camps placed with
// place_hero and spawn_unit, then save_map. Every random number comes from
// the program's one generator, reset at the start of the step, so the map is
// the same in every run; the shapes come from fixed tables and noise.
//
// The layout: the hero starts in a quiet meadow in the north-west corner. A
// river runs from the north edge into a great lake in the middle and on to
// the south edge, with three fords; stone highlands with rock fields lie in
// the north-east and the south-west, a swamp of mud by the lake, forests on
// dark grass all over. Thirty-five enemies in twelve camps of the seven
// other team colours are spread so that the hero meets them one at a time;
// two pairs of rival camps lie just out of each other's sight, so that a
// fight at one draws the other in, and a third pair a little further apart.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "core/random.h"
#include "make_data.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/terrain_painter.h"
#include "world/units.h"

constexpr int side = 128;
// The painter writes vertices 1..126; cells 2..125 are inside the border
// band the game walls off.
constexpr int first_inner = 2;
constexpr int last_inner = side - 3;

// A noisy elliptic area: inside where its field,
//   1 - |((x - cx) / rx, (y - cy) / ry)| + amplitude * noise,
// is above 0 (and well inside where it is higher).
struct area {
    float cx, cy;       // centre, in cells
    float rx, ry;       // radii
    float amplitude;    // how far the noise bends the edge
    uint32_t seed;      // the noise
};

// Noise of features some 8 to 16 cells across, -1..1.
static float detail_noise(float x, float y, uint32_t seed)
{
    return 0.6f * periodic_noise(x, y, side, 8, seed) + 0.4f * periodic_noise(x, y, side, 16, seed + 7);
}

static float area_field(const area& a, float x, float y)
{
    float dx = (x - a.cx) / a.rx, dy = (y - a.cy) / a.ry;
    return 1.0f - std::sqrt(dx * dx + dy * dy) + a.amplitude * detail_noise(x, y, a.seed);
}

// Land zones painted over the grass, in this order (a later zone paints over
// an earlier one where they overlap).
struct land_zone {
    int kind;
    area shape;
};
static const land_zone land_zones[] = {
    {terrain_stone, {106, 18, 18, 13, 1.0f, 11}},    // north-eastern highlands
    {terrain_stone, {18, 108, 12, 10, 1.0f, 12}},    // south-western crags
    {terrain_stone, {114, 114, 8, 7, 0.9f, 13}},     // south-eastern knoll
    {terrain_stone, {48, 10, 5, 3, 0.5f, 14}},       // a stony rise in the north
    {terrain_mud, {40, 78, 11, 7, 1.0f, 21}},        // the swamp by the lake
    {terrain_mud, {92, 62, 6, 5, 0.6f, 22}},         // a mud hollow in the east
    {terrain_mud, {60, 114, 8, 4, 0.6f, 23}},        // the southern flats
    {terrain_dark_grass, {4, 16, 5, 3.5f, 0.6f, 24}},  // a wood south of the start
    {terrain_dark_grass, {27, 3, 5, 2.5f, 0.6f, 25}},  // and one beyond the pond
};

// Dark grass wherever this noise rises above the threshold (outside the
// zones above): the floors of the forests.
constexpr uint32_t dark_grass_seed = 31;
constexpr float dark_grass_threshold = 0.18f;

// Lakes: shallow water inside, deep water where the field passes deep.
struct lake {
    area shape;
    float deep;  // field value above which the water is deep
};
static const lake lakes[] = {
    {{58, 64, 14, 10, 0.35f, 41}, 0.5f},   // the great lake
    {{18, 44, 4.5f, 3.5f, 0.3f, 42}, 2},   // a pond in the west, shallow
    {{16, 5, 4, 2.5f, 0.3f, 45}, 0.55f},    // the pond by the hero's meadow
    {{100, 92, 7, 5, 0.35f, 43}, 0.45f},   // the eastern lake
    {{86, 14, 3.5f, 3, 0.3f, 44}, 2},      // a tarn in the highlands
};

// The river: a line through these points (cells), water within half_width
// of it, deep within deep_width, except at the fords.
struct point {
    float x, y;
};
static const point river[] = {
    {76, 0},  {74, 8},  {70, 14}, {71, 22}, {67, 30}, {62, 38}, {63, 46}, {59, 56},  // into the lake
    {63, 72}, {68, 80}, {76, 84}, {82, 92}, {86, 100}, {91, 106}, {90, 116}, {95, 127},  // to the south
};
constexpr float river_half_width = 1.6f;
constexpr float river_deep_width = 0.6f;
// How far the river's banks wander from the line, in cells.
constexpr float river_meander = 1.5f;
// Fords: no water within radius of these points.
struct ford {
    point at;
    float radius;
};
static const ford fords[] = {
    {{69, 24}, 2.6f},
    {{75, 86}, 2.6f},
    {{91, 107}, 2.6f},
};

// Forests: the inner parts of the dark grass are thick wood, its edges
// thinner; groves grow on the grass where their noise rises. A cell gets a
// tree when its fixed chance falls below the density there. Rock fields lie
// on the stone where the rock noise rises; single rocks are strewn about.
constexpr float forest_threshold = 0.3f;  // dark grass noise of thick wood
constexpr float wood_density = 0.7f;
constexpr float wood_edge_density = 0.2f;
constexpr uint32_t grove_seed = 51;
constexpr float grove_threshold = 0.35f;
constexpr float grove_density = 0.6f;
constexpr float lone_tree_density = 0.012f;
constexpr uint32_t rock_seed = 52;
constexpr float rock_threshold = 0.1f;
constexpr float rock_density = 0.55f;
constexpr float stone_rock_density = 0.05f;
constexpr float strewn_rock_density = 0.01f;

// Groves placed by hand: where the start's view wants trees.
static const area groves[] = {
    {12, 12, 4, 2.5f, 0.5f, 53},
    {2, 9, 2, 3, 0.5f, 54},
    {16, 17, 4, 2, 0.5f, 55},
};

// The hero's start and the quiet ground kept around it.
constexpr int hero_x = 6;
constexpr int hero_y = 7;
constexpr float hero_clearing = 5;

// How the members of a camp stand around its first cell: a loose knot, or
// a column trailing away from its front to the north-east or south-east, so
// that two rival columns can face each other front to front.
enum formation : int {
    knot,
    trail_north_east,
    trail_south_east,
    formation_count,
};
constexpr int max_camp_size = 5;
static const int formation_offsets[formation_count][max_camp_size][2] = {
    {{0, 0}, {2, 1}, {-1, 2}, {1, -2}, {-2, -1}},
    {{0, 0}, {2, -1}, {1, -2}, {3, -3}, {4, -1}},
    {{0, 0}, {2, 1}, {1, 2}, {3, 3}, {4, 1}},
};

// A camp: units of one tool and team choice (spawn_unit's arguments) in a
// formation from their first cell, each on the first free dry cell at or
// around its place.
struct camp {
    int x, y;
    int kind_code;    // kind_code_grunt or kind_code_footman
    int team_choice;  // 0..3: the tool's team list
    int count;        // 1..max_camp_size
    formation shape;
};
// Rival pairs face each other five cells apart, one more than a unit's
// sight: neither sees the other until a fight between them pulls one in.
static const camp camps[] = {
    {18, 8, kind_code_grunt, 0, 3, trail_north_east},     // green grunts by the pond,
    {18, 13, kind_code_footman, 2, 3, trail_south_east},  // facing yellow footmen
    {12, 30, kind_code_footman, 0, 3, knot},              // black footmen in the western meadow
    {20, 30, kind_code_grunt, 1, 3, knot},                // blue grunts, their rivals
    {22, 58, kind_code_footman, 1, 2, knot},              // white footmen
    {14, 84, kind_code_grunt, 3, 2, knot},                // violet: orcs and humans of team 3
    {18, 88, kind_code_footman, 3, 2, knot},
    {38, 100, kind_code_grunt, 2, 2, knot},               // orange grunts on the crags' edge
    {84, 34, kind_code_footman, 2, 3, knot},              // yellow footmen past the northern ford
    {91, 39, kind_code_grunt, 1, 2, knot},                // blue grunts, their rivals
    {108, 60, kind_code_footman, 0, 2, knot},             // black footmen in the east
    {76, 104, kind_code_grunt, 0, 2, knot},               // green grunts by the southern fords
    {112, 100, kind_code_footman, 1, 2, knot},            // white footmen on the knoll
};
// Ground kept free of trees and rocks around each camp's first cell.
constexpr float camp_clearing = 5;

// --- Helpers -------------------------------------------------------------------

// Distance from p to the segment a-b.
static float segment_distance(point p, point a, point b)
{
    float vx = b.x - a.x, vy = b.y - a.y;
    float t = ((p.x - a.x) * vx + (p.y - a.y) * vy) / (vx * vx + vy * vy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    float dx = p.x - (a.x + t * vx), dy = p.y - (a.y + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

static float river_distance(float x, float y)
{
    float best = 1e9f;
    int n = static_cast<int>(sizeof river / sizeof river[0]);
    for (int i = 0; i + 1 < n; ++i) {
        float d = segment_distance({x, y}, river[i], river[i + 1]);
        if (d < best) best = d;
    }
    return best;
}

// The river's distance as the painter sees it: the map is warped a little
// first, so the banks meander.
static float bank_distance(float x, float y)
{
    float wx = x + river_meander * periodic_noise(x, y, side, 16, 61);
    float wy = y + river_meander * periodic_noise(x, y, side, 16, 62);
    return river_distance(wx, wy);
}

static bool at_ford(float x, float y)
{
    for (const ford& f : fords) {
        float dx = x - f.at.x, dy = y - f.at.y;
        if (dx * dx + dy * dy < f.radius * f.radius) return true;
    }
    return false;
}

// A cell's share of a layout choice: a fixed number 0..1 per cell and seed.
static float cell_chance(int x, int y, uint32_t seed)
{
    return static_cast<float>(hash3(x, y, seed) >> 8) / 16777216.0f;
}

// True when the cell and its four corner vertices are dry land: a unit or an
// object may stand on it without touching the water's picture.
static bool dry_cell(int x, int y)
{
    if (x < first_inner || y < first_inner || x > last_inner || y > last_inner) return false;
    return !is_water(terrain_layer[x][y].kind) && !is_water(terrain_layer[x + 1][y].kind) &&
           !is_water(terrain_layer[x][y + 1].kind) && !is_water(terrain_layer[x + 1][y + 1].kind);
}

static float distance(float ax, float ay, float bx, float by)
{
    return std::sqrt((ax - bx) * (ax - bx) + (ay - by) * (ay - by));
}

// True when (x, y) lies in the ground kept free for the hero or a camp.
static bool in_clearing(int x, int y)
{
    if (distance(x, y, hero_x, hero_y) < hero_clearing) return true;
    for (const camp& c : camps)
        if (distance(x, y, c.x, c.y) < camp_clearing) return true;
    return false;
}

// --- Terrain -------------------------------------------------------------------

// The land kind wanted at a vertex before water is laid.
static int wanted_land(int x, int y)
{
    int kind = terrain_grass;
    if (detail_noise(x, y, dark_grass_seed) > dark_grass_threshold) kind = terrain_dark_grass;
    for (const land_zone& z : land_zones)
        if (area_field(z.shape, x, y) > 0) kind = z.kind;
    return kind;
}

static void paint_land()
{
    for (int y = first_editable; y <= last_editable; ++y)
        for (int x = first_editable; x <= last_editable; ++x) {
            int kind = wanted_land(x, y);
            if (kind != terrain_grass) paint_terrain(x, y, kind);
        }
}

// Shallow water first (its sand shores come with it), then the deep water
// inside it.
static void paint_water()
{
    for (int pass = 0; pass < 2; ++pass) {
        int tool = pass == 0 ? terrain_shallow_water : terrain_deep_water;
        for (int y = first_editable; y <= last_editable; ++y)
            for (int x = first_editable; x <= last_editable; ++x) {
                bool paint = false;
                for (const lake& l : lakes) {
                    float f = area_field(l.shape, x, y);
                    if (pass == 0 ? f > 0 : f > l.deep) paint = true;
                }
                if (!at_ford(x, y)) {
                    float d = bank_distance(x, y);
                    if (d < (pass == 0 ? river_half_width : river_deep_width)) paint = true;
                }
                if (paint) paint_terrain(x, y, tool);
            }
    }
}

// --- Objects -------------------------------------------------------------------

// The map editor's tree and rock tools on one cell.
static void place_tree(int x, int y)
{
    object_cell& o = object_layer[x][y];
    o.kind = object_tree;
    o.index = random_range(1, 6);
    o.value = random_range(140, 310);
}

static void place_rock(int x, int y)
{
    object_cell& o = object_layer[x][y];
    o.kind = object_rock;
    o.index = random_range(11, 16);
    o.value = random_range(140, 310);
}

// Thick wood inside the dark grass zones placed by hand.
static bool in_wood(int x, int y)
{
    for (const land_zone& z : land_zones)
        if (z.kind == terrain_dark_grass && area_field(z.shape, x, y) > 0.3f) return true;
    return false;
}

static bool in_grove(int x, int y)
{
    for (const area& g : groves)
        if (area_field(g, x, y) > 0) return true;
    return false;
}

static void place_objects()
{
    for (int y = first_inner; y <= last_inner; ++y)
        for (int x = first_inner; x <= last_inner; ++x) {
            if (!dry_cell(x, y) || in_clearing(x, y)) continue;
            int kind = terrain_layer[x][y].kind;
            float chance = cell_chance(x, y, 71);
            float density = 0;
            if (kind == terrain_dark_grass) {
                density = detail_noise(x, y, dark_grass_seed) > forest_threshold || in_wood(x, y)
                              ? wood_density
                              : wood_edge_density;
            } else if (kind == terrain_grass) {
                density = detail_noise(x, y, grove_seed) > grove_threshold || in_grove(x, y)
                              ? grove_density
                              : lone_tree_density;
            }
            if (density > 0) {
                if (chance < density) place_tree(x, y);
                continue;
            }
            if (kind == terrain_stone)
                density = detail_noise(x, y, rock_seed) > rock_threshold ? rock_density : stone_rock_density;
            else
                density = strewn_rock_density;
            if (chance < density) place_rock(x, y);
        }
}

// --- Units ---------------------------------------------------------------------

// The map editor's hero tool on (x, y): the hero's old cell cleared, slot 1
// placed, its cell marked.
static bool put_hero(int x, int y)
{
    if (!dry_cell(x, y) || object_layer[x][y].kind != object_none) return false;
    unit& hero = unit_table[1];
    object_layer[hero.cell_x][hero.cell_y] = object_cell {};
    place_hero(x, y);
    object_layer[x][y] = object_cell {object_unit, 1, 0};
    return true;
}

// The first free dry cell at or around (x, y), nearest ring first; false
// when none lies within a few rings.
static bool free_cell_near(int& x, int& y)
{
    for (int r = 0; r <= 4; ++r)
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                if (std::abs(dx) != r && std::abs(dy) != r) continue;
                int cx = x + dx, cy = y + dy;
                if (dry_cell(cx, cy) && object_layer[cx][cy].kind == object_none) {
                    x = cx;
                    y = cy;
                    return true;
                }
            }
    return false;
}

// The map editor's unit tools: one spawn_unit per member, its cell marked.
static bool place_camp(const camp& c)
{
    if (c.count < 1 || c.count > max_camp_size) return false;
    for (int i = 0; i < c.count; ++i) {
        int x = c.x + formation_offsets[c.shape][i][0];
        int y = c.y + formation_offsets[c.shape][i][1];
        if (!free_cell_near(x, y)) {
            std::fprintf(stderr, "make_data: no room for the camp at %d,%d\n", c.x, c.y);
            return false;
        }
        int slot = spawn_unit(x, y, c.kind_code, c.team_choice);
        if (slot == 0) return false;
        object_layer[x][y] = object_cell {object_unit, slot, 0};
    }
    return true;
}

// True when every unit can walk to the hero: a flood over dry cells without
// trees or rocks, from the hero's cell.
static bool all_units_reachable()
{
    static bool seen[side][side];
    static int queue[side * side][2];
    std::memset(seen, 0, sizeof seen);
    int head = 0, tail = 0;
    const unit& hero = unit_table[1];
    seen[hero.cell_x][hero.cell_y] = true;
    queue[tail][0] = hero.cell_x;
    queue[tail++][1] = hero.cell_y;
    while (head < tail) {
        int x = queue[head][0], y = queue[head++][1];
        for (const int32_t* step : direction_step) {
            int nx = x + step[0], ny = y + step[1];
            if (nx < first_inner || ny < first_inner || nx > last_inner || ny > last_inner) continue;
            if (seen[nx][ny] || is_water(terrain_layer[nx][ny].kind)) continue;
            int kind = object_layer[nx][ny].kind;
            if (kind == object_tree || kind == object_rock) continue;
            seen[nx][ny] = true;
            queue[tail][0] = nx;
            queue[tail++][1] = ny;
        }
    }
    for (int slot = 2; slot <= unit_count; ++slot) {
        const unit& u = unit_table[slot];
        if (!seen[u.cell_x][u.cell_y]) {
            std::fprintf(stderr, "make_data: the unit at %d,%d cannot be reached\n", u.cell_x, u.cell_y);
            return false;
        }
    }
    return true;
}

// --- Saving --------------------------------------------------------------------

// save_map writes data\map\<name>.map under the working folder, so the map
// is saved from the folder that holds output_dir, which must be named "data".
static bool save_scenario()
{
    const char* slash = std::strrchr(output_dir, '/');
    const char* last = slash != nullptr ? slash + 1 : output_dir;
    if (std::strcmp(last, "data") != 0) {
        std::fprintf(stderr, "make_data: the output folder %s must be named data for the map\n", output_dir);
        return false;
    }
    static char parent[4096];
    static char start[4096];
    int parent_length = static_cast<int>(last - output_dir);
    if (parent_length >= static_cast<int>(sizeof parent) || getcwd(start, sizeof start) == nullptr) return false;
    std::memcpy(parent, output_dir, parent_length);
    parent[parent_length] = 0;
    if (parent_length > 0 && chdir(parent) != 0) {
        std::fprintf(stderr, "make_data: cannot enter %s\n", parent);
        return false;
    }
    mkdir("data", 0777);
    mkdir("data/map", 0777);
    bool saved = save_map("single");
    if (!saved) std::fprintf(stderr, "make_data: single.map: %s\n", map_refusal());
    if (chdir(start) != 0) return false;
    return saved;
}

bool make_scenario()
{
    set_random_state(1);
    clear_layers();
    clear_units();
    map_width = side;
    map_height = side;
    if (!new_map(terrain_grass)) return false;
    paint_land();
    paint_water();
    place_objects();
    if (!put_hero(hero_x, hero_y)) {
        std::fprintf(stderr, "make_data: the hero's start is not free\n");
        return false;
    }
    for (const camp& c : camps)
        if (!place_camp(c)) return false;
    if (!all_units_reachable()) return false;
    std::strcpy(map_name, "single");
    return save_scenario();
}
