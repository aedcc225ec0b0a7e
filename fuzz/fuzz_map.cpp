// Fuzz target of the map loader: any bytes given to load_map_bytes either
// load a map whose every stored value is in range and whose units and
// object cells agree, or are refused with a reason and change nothing.
#include <cstring>

#include "fuzz_support.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

namespace {

// Everything a map load may change, as it stood before the load.
struct map_state {
    int32_t width, height, count;
    terrain_cell terrain[max_map_size][max_map_size];
    object_cell objects[max_map_size][max_map_size];
    unit units[max_units];
};

map_state before;

void take(map_state& s)
{
    s.width = map_width;
    s.height = map_height;
    s.count = unit_count;
    std::memcpy(s.terrain, terrain_layer, sizeof terrain_layer);
    std::memcpy(s.objects, object_layer, sizeof object_layer);
    std::memcpy(s.units, unit_table, sizeof unit_table);
}

bool unchanged(const map_state& s)
{
    return s.width == map_width && s.height == map_height && s.count == unit_count &&
           std::memcmp(s.terrain, terrain_layer, sizeof terrain_layer) == 0 &&
           std::memcmp(s.objects, object_layer, sizeof object_layer) == 0 &&
           std::memcmp(s.units, unit_table, sizeof unit_table) == 0;
}

// What the game relies on after a successful load.
void check_loaded(const uint8_t* data, size_t size)
{
    FUZZ_CHECK(map_width >= 1 && map_width <= max_map_size);
    FUZZ_CHECK(map_height >= 1 && map_height <= max_map_size);
    FUZZ_CHECK(unit_count >= 1 && unit_count <= max_live_units);
    // The stored count; the loader closes up empty slots, so unit_count may
    // be lower (or 1 for a file storing none).
    size_t count_at = 4 + 14 * static_cast<size_t>(map_width) * map_height;
    int stored = data[count_at] | data[count_at + 1] << 8;
    FUZZ_CHECK(unit_count <= (stored > 1 ? stored : 1));
    FUZZ_CHECK(static_cast<int64_t>(size) == map_file_size(map_width, map_height, stored));
    for (int x = 0; x < map_width; ++x)
        for (int y = 0; y < map_height; ++y) {
            const terrain_cell& t = terrain_layer[x][y];
            FUZZ_CHECK(t.kind >= 0 && t.kind < terrain_kind_count);
            FUZZ_CHECK(t.tile_set >= 0 && t.tile_set < terrain_kind_count);
            FUZZ_CHECK(t.tile_x >= 0 && t.tile_x < tile_sheet_width && t.tile_x % cell_size == 0);
            FUZZ_CHECK(t.tile_y >= 0 && t.tile_y < tile_sheet_height && t.tile_y % cell_size == 0);
            const object_cell& o = object_layer[x][y];
            FUZZ_CHECK(o.kind == object_none || o.kind == object_unit || o.kind == object_tree ||
                       o.kind == object_rock);
            if (o.kind == object_unit) {
                // A unit cell names a live unit standing on it.
                FUZZ_CHECK(o.index >= 1 && o.index <= unit_count);
                const unit& u = unit_table[o.index];
                FUZZ_CHECK(u.active == 1 && u.cell_x == x && u.cell_y == y);
            }
            if (o.kind == object_tree || o.kind == object_rock)
                FUZZ_CHECK(o.index >= 1 && o.index <= 15);
        }
    for (int slot = 1; slot < max_units; ++slot) {
        const unit& u = unit_table[slot];
        if (slot > unit_count) {
            FUZZ_CHECK(u.active == 0);
            continue;
        }
        FUZZ_CHECK(u.race >= 0 && u.race < race_count);
        FUZZ_CHECK(u.team >= 0 && u.team < team_count);
        FUZZ_CHECK(u.direction >= 0 && u.direction < direction_count);
        // Every slot but the hero's is live; the hero's team is its own.
        FUZZ_CHECK(u.active == 1 || (slot == 1 && u.active == 0));
        if (u.active != 0) {
            FUZZ_CHECK((u.team == hero_team) == (slot == 1));
            FUZZ_CHECK(u.cell_x >= 0 && u.cell_x < map_width && u.cell_y >= 0 &&
                       u.cell_y < map_height);
            FUZZ_CHECK(u.pixel_x == cell_size * u.cell_x && u.pixel_y == cell_size * u.cell_y);
            const object_cell& o = object_layer[u.cell_x][u.cell_y];
            FUZZ_CHECK(o.kind == object_unit && o.index == slot);
        }
    }
    FUZZ_CHECK(map_refusal()[0] == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    take(before);
    if (load_map_bytes(data, static_cast<int64_t>(size))) {
        check_loaded(data, size);
    } else {
        FUZZ_CHECK(unchanged(before));
        FUZZ_CHECK(map_refusal()[0] != 0);
    }
    return 0;
}
