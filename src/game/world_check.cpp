#include "game/world_check.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/random.h"
#include "game/grids.h"
#include "game/path_finding.h"
#include "world/map.h"
#include "world/units.h"

// Writes the description of a violation and returns false.
static bool violation(char* why, int why_size, const char* format, ...)
{
    if (why != nullptr && why_size > 0) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(why, static_cast<size_t>(why_size), format, args);
        va_end(args);
    }
    return false;
}

static bool within(int32_t value, int32_t lo, int32_t hi)
{
    return value >= lo && value <= hi;
}

// A record with every field 0.
static bool all_zero(const unit& u)
{
    static const unit zero {};
    return std::memcmp(&u, &zero, sizeof u) == 0;
}

// The fields of an active unit that index tables or the map.
static bool check_unit(int slot, char* why, int why_size)
{
    const unit& u = unit_table[slot];
    struct field_range {
        const char* name;
        int32_t value;
        int32_t lo;
        int32_t hi;
    };
    const field_range fields[] = {
        {"active", u.active, 1, 1},
        {"race", u.race, 0, race_count - 1},
        {"team", u.team, 0, team_count - 1},
        {"state", u.state, 0, state_count - 1},
        {"action", u.action, 0, action_die},
        {"direction", u.direction, 0, direction_count - 1},
        {"anim_step", u.anim_step, 0, anim_slots - 1},
        {"path_length", u.path_length, 0, max_route_steps},
        {"target", u.target, 0, max_units - 1},
        {"cell_x", u.cell_x, 0, map_width - 1},
        {"cell_y", u.cell_y, 0, map_height - 1},
    };
    for (const field_range& f : fields)
        if (!within(f.value, f.lo, f.hi))
            return violation(why, why_size, "unit %d has %s %d, outside %d..%d", slot, f.name,
                             f.value, f.lo, f.hi);
    if ((u.team == hero_team) != (slot == 1))
        return violation(why, why_size, "unit %d is in team %d; team %d is the hero's alone", slot,
                         u.team, hero_team);
    const object_cell& cell = object_layer[u.cell_x][u.cell_y];
    if (cell.kind != object_unit || cell.index != slot)
        return violation(why, why_size,
                         "unit %d stands at (%d, %d) but that object cell holds kind %d index %d",
                         slot, u.cell_x, u.cell_y, cell.kind, cell.index);
    return true;
}

bool check_world(char* why, int why_size)
{
    if (why != nullptr && why_size > 0)
        why[0] = '\0';
    if (!within(map_width, 1, max_map_size) || !within(map_height, 1, max_map_size))
        return violation(why, why_size, "the map is %dx%d, outside 1..%d", map_width, map_height,
                         max_map_size);
    if (grid_width != map_width || grid_height != map_height)
        return violation(why, why_size, "the grids were built for %dx%d, the map is %dx%d",
                         grid_width, grid_height, map_width, map_height);
    if (!all_zero(unit_table[0]))
        return violation(why, why_size, "slot 0 is in use");

    int live = 0;
    for (int slot = 1; slot < max_units; ++slot) {
        const unit& u = unit_table[slot];
        if (u.active == 0) {
            if (!all_zero(u))
                return violation(why, why_size, "free slot %d is not cleared", slot);
            continue;
        }
        if (!check_unit(slot, why, why_size))
            return false;
        ++live;
    }
    if (unit_count != live)
        return violation(why, why_size, "unit_count is %d but %d units are active", unit_count,
                         live);

    for (int x = 0; x < max_map_size; ++x)
        for (int y = 0; y < max_map_size; ++y) {
            const object_cell& cell = object_layer[x][y];
            if (cell.kind != object_unit)
                continue;
            if (!valid_unit_slot(cell.index) || unit_table[cell.index].active == 0)
                return violation(why, why_size,
                                 "object cell (%d, %d) names unit %d, which is not active", x, y,
                                 cell.index);
            const unit& u = unit_table[cell.index];
            if (u.cell_x != x || u.cell_y != y)
                return violation(why, why_size,
                                 "object cell (%d, %d) names unit %d, which stands at (%d, %d)",
                                 x, y, cell.index, u.cell_x, u.cell_y);
        }

    for (int x = 0; x < max_map_size; ++x)
        for (int y = 0; y < max_map_size; ++y) {
            const int32_t expected = cell_passability(x, y, map_width, map_height);
            if (base_grid[x][y] != expected)
                return violation(why, why_size, "base_grid at (%d, %d) is %d, should be %d", x, y,
                                 base_grid[x][y], expected);
        }
    return true;
}

// FNV-1a over 32-bit words.
static constexpr uint64_t hash_start = 14695981039346656037ull;
static constexpr uint64_t hash_prime = 1099511628211ull;

static uint64_t hash_words(uint64_t h, const void* data, size_t bytes)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        uint32_t word;
        std::memcpy(&word, p + i, 4);
        h = (h ^ word) * hash_prime;
    }
    return h;
}

uint64_t world_hash()
{
    uint64_t h = hash_start;
    h = hash_words(h, unit_table, sizeof unit_table);
    h = hash_words(h, &unit_count, sizeof unit_count);
    h = hash_words(h, object_layer, sizeof object_layer);
    h = hash_words(h, base_grid, sizeof base_grid);
    const uint32_t state = random_state();
    h = hash_words(h, &state, sizeof state);
    return h;
}
