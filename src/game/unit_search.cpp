#include "game/behaviour.h"

#include <cstdint>

#include "game/grids.h"
#include "world/map.h"
#include "world/units.h"

// The searches and the geometry of the behaviour: enemies and free cells in
// square rings, reach, steps toward a point and the distance estimate.

// Rings are never searched further out than the largest map.
static constexpr int max_ring_radius = max_map_size;

// Cell i (0 .. 8r - 1) of the square ring of radius r around (cx, cy): the
// top side from the top-left corner rightward, the right side downward, the
// bottom side leftward, the left side upward, 2r cells a side.
static void ring_cell(int cx, int cy, int r, int i, int& x, int& y)
{
    const int side = i / (2 * r);
    const int along = i % (2 * r);
    switch (side) {
    case 0: x = cx - r + along; y = cy - r; break;
    case 1: x = cx + r; y = cy - r + along; break;
    case 2: x = cx + r - along; y = cy + r; break;
    default: x = cx - r; y = cy + r - along; break;
    }
}

// The cells the ring searches look at: 1 < x < map_width, 1 < y < map_height.
static bool ring_searchable(int x, int y)
{
    return x > 1 && y > 1 && inside_map(x, y);
}

int find_enemy(int radius, int slot)
{
    if (!valid_unit_slot(slot))
        return 0;
    const unit& u = unit_table[slot];
    if (!inside_layers(u.cell_x, u.cell_y))
        return 0;
    if (radius > max_ring_radius)
        radius = max_ring_radius;
    for (int r = 1; r <= radius; ++r) {
        for (int i = 0; i < 8 * r; ++i) {
            int x, y;
            ring_cell(u.cell_x, u.cell_y, r, i, x, y);
            if (!ring_searchable(x, y))
                continue;
            const object_cell& cell = object_layer[x][y];
            // An index outside the unit table names nobody.
            if (cell.kind == object_unit && valid_unit_slot(cell.index) &&
                unit_table[cell.index].team != u.team)
                return cell.index;
        }
    }
    return 0;
}

bool find_free_cell(int32_t& x, int32_t& y, int radius)
{
    if (inside_layers(x, y) && base_grid[x][y] == grid_free)
        return true;
    if (x < -max_ring_radius || y < -max_ring_radius || x > 2 * max_ring_radius ||
        y > 2 * max_ring_radius)
        return false;  // no ring around a cell this far off reaches the map
    if (radius > max_ring_radius)
        radius = max_ring_radius;
    for (int r = 1; r <= radius; ++r) {
        for (int i = 0; i < 8 * r; ++i) {
            int cx, cy;
            ring_cell(x, y, r, i, cx, cy);
            if (ring_searchable(cx, cy) && base_grid[cx][cy] == grid_free) {
                x = cx;
                y = cy;
                return true;
            }
        }
    }
    return false;
}

bool in_range(int slot, int other)
{
    if (other == 0 || !valid_unit_slot(slot) || !valid_unit_slot(other))
        return false;
    const unit& u = unit_table[slot];
    const unit& o = unit_table[other];
    int64_t dx = static_cast<int64_t>(u.cell_x) - o.cell_x;
    int64_t dy = static_cast<int64_t>(u.cell_y) - o.cell_y;
    if (dx < 0)
        dx = -dx;
    if (dy < 0)
        dy = -dy;
    return dx <= u.attack_range && dy <= u.attack_range;
}

// Moves p by `amount` toward t without passing it; a decreasing coordinate
// also stops at 0.
static int32_t approach(int64_t p, int64_t t, int64_t amount)
{
    if (t > p) {
        p += amount;
        if (p > t)
            p = t;
    } else if (t < p) {
        p -= amount;
        if (p < t)
            p = t;
        if (p < 0)
            p = 0;
    }
    return static_cast<int32_t>(p);
}

int step_toward(int32_t& px, int32_t& py, int32_t tx, int32_t ty, int32_t step)
{
    const int64_t dx = static_cast<int64_t>(tx) - px;
    const int64_t dy = static_cast<int64_t>(ty) - py;
    if (dx == 0 && dy == 0)
        return direction_north;  // already there: code 0
    int direction;
    if (dy == 0)
        direction = dx > 0 ? direction_east : direction_west;
    else if (dx == 0)
        direction = dy > 0 ? direction_south : direction_north;
    else if (dx > 0)
        direction = dy > 0 ? direction_south_east : direction_north_east;
    else
        direction = dy > 0 ? direction_south_west : direction_north_west;
    const int64_t ax = dx < 0 ? -dx : dx;
    const int64_t ay = dy < 0 ? -dy : dy;
    int64_t move_x = step, move_y = step;
    if (dx == 0)
        move_x = 0;
    else if (dy == 0)
        move_y = 0;
    else if (ax > ay)
        move_y = step / (ax / ay);
    else if (ay > ax)
        move_x = step / (ay / ax);
    px = approach(px, tx, move_x);
    py = approach(py, ty, move_y);
    return direction;
}

int32_t approx_distance(int32_t dx, int32_t dy)
{
    int64_t a = dx < 0 ? -static_cast<int64_t>(dx) : dx;
    int64_t b = dy < 0 ? -static_cast<int64_t>(dy) : dy;
    int64_t m = a < b ? a : b;
    int64_t d = a + b - (m >> 1) - (m >> 2) + (m >> 4);
    return d > INT32_MAX ? INT32_MAX : static_cast<int32_t>(d);
}
