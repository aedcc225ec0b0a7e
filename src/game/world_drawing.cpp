#include "game/world_drawing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "core/fatal.h"
#include "render/bmp.h"
#include "render/colours.h"
#include "render/draw.h"
#include "sprites/sprite_data.h"
#include "world/map.h"
#include "world/units.h"

tree_entry tree_table[tree_table_size];
draw_entry draw_list[max_draw_entries];
int32_t draw_list_count = 0;

// --- Unit sheets and animations ---------------------------------------------

// One team-coloured sheet: the file, whose unit_images entry it fills, and
// the palette index that the sheet's team indices 212..215 move to.
struct team_load {
    const char* file;
    int race;
    int team;
    uint8_t base;
};

// The nine sheets, in the order they are loaded (and so take their slots).
static const team_load team_loads[] = {
    {"data\\images\\grant.bmp", race_orc, 1, 208},
    {"data\\images\\grant.bmp", race_orc, 2, 216},
    {"data\\images\\grant.bmp", race_orc, 4, 224},
    {"data\\images\\grant.bmp", race_orc, 0, 212},
    {"data\\images\\grant.bmp", race_orc, 3, 220},
    {"data\\images\\footman.bmp", race_human, 5, 228},
    {"data\\images\\footman.bmp", race_human, 6, 232},
    {"data\\images\\footman.bmp", race_human, 7, 12},
    {"data\\images\\footman.bmp", race_human, 3, 220},
};

// The sprite set of each race.
static const char* const race_sprite_files[race_count] = {"grant", "footman"};

static void forget_unit_images()
{
    for (int race = 0; race < race_count; ++race)
        for (int team = 0; team < team_count; ++team)
            unit_images[race][team] = -1;
}

void build_race_anims(int race)
{
    if (race < 0 || race >= race_count)
        return;
    for (int action = 0; action < anim_actions; ++action) {
        for (int dir = 0; dir < direction_count; ++dir) {
            const int32_t roll = sprite_table[action][dir];
            for (int s = 0; s < anim_slots; ++s) {
                anim_entry& e = unit_anims[race][action][dir][s];
                e = {};
                if (roll < 0 || roll >= roll_count)
                    continue;
                const int32_t frame = roll_table[roll][s];
                // A roll may only show frames its file brought along.
                if (frame < 1 || frame > frame_count || frame >= frame_table_size)
                    continue;
                const frame_record& f = frame_table[frame];
                e = {0, f.offset_x, f.offset_y, f.x, f.y, f.width, f.height};
            }
            // Slot 16 ends every roll.
            unit_anims[race][action][dir][anim_slots - 1] = {};
        }
    }
}

bool load_unit_sprites()
{
    forget_unit_images();
    for (const team_load& load : team_loads) {
        int32_t slot = -1;
        if (!load_team_bmp(slot, load.base, load.file)) {
            forget_unit_images();
            fatal_file_error(main_window, "загрузке растра"_cp, load.file, last_bmp_error());
            return false;
        }
        unit_images[load.race][load.team] = slot;
    }
    // Without its sprite set a race's units, the hero among the orcs, would
    // all be invisible.
    for (int race = 0; race < race_count; ++race) {
        if (!load_sprite_file(race_sprite_files[race])) {
            forget_unit_images();
            char path[sprite_path_size];
            std::snprintf(path, sizeof path, "data\\images\\%s.spr", race_sprite_files[race]);
            fatal_file_error(main_window, "загрузке спрайтов"_cp, path, sprite_data_refusal());
            return false;
        }
        build_race_anims(race);
    }
    clear_units();
    return true;
}

// --- Tile sheets and trees ----------------------------------------------------

bool load_tile_sheets()
{
    for (int kind = 0; kind < terrain_kind_count; ++kind) {
        char path[64];
        std::snprintf(path, sizeof path, "data\\map\\tiles\\%s.bmp", tile_sheet_names[kind]);
        if (!load_bmp_or_report(tile_slots[kind], path))
            return false;
    }
    return load_bmp_or_report(tree_slot, "data\\images\\tree.bmp");
}

bool load_tree_frames(int32_t image_slot)
{
    std::memset(tree_table, 0, sizeof tree_table);
    if (!load_frame_file("tree"))
        return false;
    const int32_t count = std::min<int32_t>(frame_count, max_tree_frames);
    for (int32_t n = 1; n <= count; ++n) {
        const frame_record& f = frame_table[n];
        tree_table[n] = {image_slot, f.offset_x, f.offset_y, f.x, f.y, f.width, f.height};
    }
    return true;
}

// --- Terrain and collection -------------------------------------------------

static bool fits_int32(int64_t v)
{
    return v >= INT32_MIN && v <= INT32_MAX;
}

void draw_terrain()
{
    draw_terrain_cells(0, 0, terrain_columns, terrain_rows, max_map_size, max_map_size);
}

void draw_terrain_cells(int32_t left, int32_t top, int columns, int rows, int32_t width,
                        int32_t height)
{
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const int64_t x = static_cast<int64_t>(camera_x) + j;
            const int64_t y = static_cast<int64_t>(camera_y) + i;
            const int32_t sx = left + cell_size * j, sy = top + cell_size * i;
            if (!inside_layers(x, y) || x >= width || y >= height) {
                fill_box(sx, sy, cell_size, cell_size, colour_black);
                continue;
            }
            const terrain_cell& t = terrain_layer[x][y];
            if (t.tile_set < 0 || t.tile_set >= terrain_kind_count) {
                fill_box(sx, sy, cell_size, cell_size, colour_black);
                continue;
            }
            blit(sx, sy, t.tile_x, t.tile_y, cell_size, cell_size, tile_slots[t.tile_set]);
        }
    }
}

void collect_draw_list()
{
    draw_list_count = 0;
    const int64_t origin_x = static_cast<int64_t>(camera_x) * cell_size;
    const int64_t origin_y = static_cast<int64_t>(camera_y) * cell_size;
    for (int i = 0; i < draw_rows; ++i) {
        for (int j = 0; j < draw_columns; ++j) {
            const int64_t x = static_cast<int64_t>(camera_x) + j;
            const int64_t y = static_cast<int64_t>(camera_y) + i;
            if (!inside_layers(x, y))
                continue;
            const object_cell& cell = object_layer[x][y];
            if (cell.kind == object_none)
                continue;
            int64_t ax = cell_size * j, ay = cell_size * i + object_anchor_drop;
            if (cell.kind == object_unit) {
                // A unit is drawn at its pixel position, which trails the
                // cell it owns while it walks.
                if (!valid_unit_slot(cell.index))
                    continue;
                const unit& u = unit_table[cell.index];
                ax = u.pixel_x - origin_x;
                ay = u.pixel_y - origin_y;
                if (!fits_int32(ax) || !fits_int32(ay))
                    continue;
            }
            draw_list[draw_list_count++] = {cell.kind, cell.index, static_cast<int32_t>(ax),
                                            static_cast<int32_t>(ay)};
        }
    }
}

// --- Order -------------------------------------------------------------------
//
// One exchange pass over a list, "for every a, for every b: swap when
// key(a) < key(b)", works like this: its first row (a = 0) carries the
// running maximum into position 0; from then on, row a inserts the entry at
// position a into the sorted prefix before it. The insertion puts the entry
// behind every entry of a key not above its own, and the chain of swaps it
// starts moves the first entry of every run of a greater key to the end of
// that run (each run turns by one). No later column swaps, since position a
// then holds a largest key. So the pass is: the first row as it is, then
// each entry appended to the queue of its key while every queue of a greater
// key turns by one. The turns are counted lazily per queue (how many
// smaller keys arrived since the queue was last touched, from a Fenwick tree
// over the key ranks), which gives the pass's exact result in n log n.

// Working tables of exchange_pass, sized for a full draw_list.
static int32_t pass_keys[max_draw_entries];          // distinct keys, ascending
static int32_t group_start[max_draw_entries + 1];    // each key's run in pass_pool
static int32_t group_length[max_draw_entries];       // entries in the run so far
static int32_t group_synced[max_draw_entries];       // smaller keys seen at its last turn
static int32_t smaller_counts[max_draw_entries + 1]; // Fenwick tree of arrivals by rank
static draw_entry pass_pool[max_draw_entries];

// Arrivals of ranks below rank.
static int32_t arrivals_below(int rank)
{
    int32_t sum = 0;
    for (int i = rank; i > 0; i -= i & -i)
        sum += smaller_counts[i];
    return sum;
}

static void note_arrival(int rank, int groups)
{
    for (int i = rank + 1; i <= groups; i += i & -i)
        ++smaller_counts[i];
}

// Applies the turns a run owes, so that its queue starts at its first slot.
static void settle_group(int g)
{
    const int32_t owed = arrivals_below(g) - group_synced[g];
    group_synced[g] += owed;
    const int32_t length = group_length[g];
    if (length == 0)
        return;
    const int32_t turn = owed % length;
    draw_entry* run = pass_pool + group_start[g];
    std::rotate(run, run + turn, run + length);
}

// Reorders list[0..n) exactly as one exchange pass on the key field does.
static void exchange_pass(draw_entry* list, int n, int32_t draw_entry::*key)
{
    if (n < 2)
        return;
    for (int b = 1; b < n; ++b)
        if (list[0].*key < list[b].*key)
            std::swap(list[0], list[b]);

    for (int i = 0; i < n; ++i)
        pass_keys[i] = list[i].*key;
    std::sort(pass_keys, pass_keys + n);
    const int groups = static_cast<int>(std::unique(pass_keys, pass_keys + n) - pass_keys);
    std::fill(group_length, group_length + groups, 0);
    std::fill(group_synced, group_synced + groups, 0);
    std::fill(smaller_counts, smaller_counts + groups + 1, 0);
    std::fill(group_start, group_start + groups + 1, 0);
    auto rank_of = [groups](int32_t k) {
        return static_cast<int>(std::lower_bound(pass_keys, pass_keys + groups, k) - pass_keys);
    };
    for (int i = 0; i < n; ++i)
        ++group_start[rank_of(list[i].*key) + 1];
    for (int g = 0; g < groups; ++g)
        group_start[g + 1] += group_start[g];

    for (int i = 0; i < n; ++i) {
        const int g = rank_of(list[i].*key);
        settle_group(g);
        pass_pool[group_start[g] + group_length[g]++] = list[i];
        note_arrival(g, groups);
    }
    for (int g = 0; g < groups; ++g)
        settle_group(g);
    std::copy(pass_pool, pass_pool + n, list);
}

// Sorts list[0..n) by (y, x); false when two entries share both y and x,
// since only then can the exchange passes' order differ from this one.
static bool sorted_order(draw_entry* list, int n)
{
    std::sort(list, list + n, [](const draw_entry& a, const draw_entry& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    for (int i = 1; i < n; ++i)
        if (list[i].y == list[i - 1].y && list[i].x == list[i - 1].x)
            return false;
    return true;
}

// The list as collected, for the exact passes when keys repeat.
static draw_entry collected[max_draw_entries];

void order_draw_list()
{
    const int n = draw_list_count;
    // With every (y, x) distinct the order is the sorted one, which is what
    // the exchange passes end with; otherwise they decide how equal entries
    // end up, and are followed exactly.
    std::copy(draw_list, draw_list + n, collected);
    if (sorted_order(draw_list, n))
        return;
    std::copy(collected, collected + n, draw_list);
    exchange_pass(draw_list, n, &draw_entry::y);
    // The second pass only swaps entries of equal y, which the first pass has
    // made neighbours: it is the same pass on x within each run of equal y.
    for (int begin = 0; begin < n;) {
        int end = begin + 1;
        while (end < n && draw_list[end].y == draw_list[begin].y)
            ++end;
        exchange_pass(draw_list + begin, end - begin, &draw_entry::x);
        begin = end;
    }
}

// --- Drawing -------------------------------------------------------------------

// A clipped keyed copy from anchor (ax, ay); skipped when a sum leaves the
// 32-bit range.
static void draw_frame_at(int32_t ax, int32_t ay, int32_t offset_x, int32_t offset_y, int32_t x,
                          int32_t y, int32_t width, int32_t height, int32_t image)
{
    const int64_t dx = static_cast<int64_t>(ax) + offset_x;
    const int64_t dy = static_cast<int64_t>(ay) + offset_y;
    if (width <= 0 || height <= 0 || !fits_int32(dx) || !fits_int32(dy))
        return;
    blit_keyed_clipped(static_cast<int32_t>(dx), static_cast<int32_t>(dy), x, y, width, height, image);
}

static void draw_unit(const draw_entry& e)
{
    if (!valid_unit_slot(e.index))
        return;
    const unit& u = unit_table[e.index];
    if (u.image == 0)
        return;
    if (!valid_anim_index(u.race, u.action, u.direction, u.anim_step))
        return;
    const anim_entry& a = unit_anims[u.race][u.action][u.direction][u.anim_step];
    draw_frame_at(e.x, e.y, a.offset_x, a.offset_y, a.x, a.y, a.width, a.height, u.image);
}

void draw_objects()
{
    for (int i = 0; i < draw_list_count; ++i) {
        const draw_entry& e = draw_list[i];
        if (e.kind == object_tree || e.kind == object_rock) {
            if (e.index < 0 || e.index >= tree_table_size)
                continue;
            const tree_entry& t = tree_table[e.index];
            draw_frame_at(e.x, e.y, t.offset_x, t.offset_y, t.x, t.y, t.width, t.height, t.image);
        } else if (e.kind == object_unit) {
            draw_unit(e);
        }
    }
}

void draw_world()
{
    draw_terrain();
    collect_draw_list();
    order_draw_list();
    draw_objects();
}
