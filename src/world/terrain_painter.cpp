#include "world/terrain_painter.h"

#include "core/directions.h"
#include "core/random.h"

// The overview map's pixel painter, installed by the map editor; none until
// then, so the painter also runs without an editor (the tests, the game).
static void (*overview_plot)(int x, int y) = nullptr;

// Corner bits of a cell for tile selection.
enum : int {
    corner_tl = 1,
    corner_tr = 2,
    corner_bl = 4,
    corner_br = 8,
    corner_all = 15,
};

// A tile of a sheet by column and row.
struct tile_ref {
    int column;
    int row;
};

// Transition tile by the corners that hold the painted kind. The two
// diagonal masks (TL+BR, TR+BL) depend on which cell is tiled and come from
// around_cells instead; mask 0 never occurs (the painted vertex is always a
// corner) and mask 15 takes a random full tile.
static const tile_ref tile_by_corners[16] = {
    {0, 0},  // none: never happens
    {1, 2},  // TL only
    {0, 2},  // TR only
    {2, 2},  // TL and TR: top edge
    {1, 1},  // BL only
    {3, 2},  // TL and BL: left edge
    {0, 0},  // TR and BL: diagonal, by cell
    {2, 3},  // all but BR
    {0, 1},  // BR only
    {0, 0},  // TL and BR: diagonal, by cell
    {3, 1},  // TR and BR: right edge
    {3, 3},  // all but BL
    {2, 1},  // BL and BR: bottom edge
    {2, 4},  // all but TR
    {3, 4},  // all but TL
    {0, 0},  // all four: random full tile
};

// One of the four cells that meet at a vertex, in the order they are tiled.
struct around_cell {
    int dx, dy;         // the cell's offset from the vertex
    tile_ref diagonal;  // its tile when only the vertex and the opposite corner match
};

// Above-right, below-right, below-left, above-left: the order of tiling and
// so of the random draws for full tiles.
static const around_cell around_cells[4] = {
    {0, -1, {1, 3}},   // above-right: the vertex is its BL, diagonal TR+BL
    {0, 0, {1, 4}},    // below-right: the vertex is its TL, diagonal TL+BR
    {-1, 0, {0, 4}},   // below-left: the vertex is its TR, diagonal TR+BL
    {-1, -1, {0, 3}},  // above-left: the vertex is its BR, diagonal TL+BR
};

bool is_editable(int x, int y)
{
    return x >= first_editable && x <= last_editable && y >= first_editable && y <= last_editable;
}

static bool is_land(int kind)
{
    return kind > terrain_sand;
}

static int kind_at(int x, int y)
{
    return terrain_layer[x][y].kind;
}

// The neighbour of (x, y) in direction d (N, NE, E, ... NW); false when it
// lies outside the layer, where nothing can be read or written.
static bool neighbour(int x, int y, int d, int& nx, int& ny)
{
    nx = x + direction_step[d][0];
    ny = y + direction_step[d][1];
    return inside_layers(nx, ny);
}

void set_overview_hook(void (*plot)(int x, int y))
{
    overview_plot = plot;
}

void set_terrain_kind(int x, int y, int kind)
{
    if (!is_editable(x, y) || kind < 0 || kind >= terrain_kind_count)
        return;
    terrain_layer[x][y].kind = kind;
    if (overview_plot)
        overview_plot(x, y);
}

void set_tile(int x, int y, int column, int row, int sheet)
{
    if (!is_editable(x, y))
        return;
    if (column < 0 || column > 3 || row < 0 || row > 4 || sheet < 0 || sheet >= terrain_kind_count)
        return;
    terrain_cell& cell = terrain_layer[x][y];
    cell.tile_set = sheet;
    cell.tile_x = column * cell_size;
    cell.tile_y = row * cell_size;
}

// A full tile with a random column; the draw happens even when the cell is
// outside the editable range, so the sequence of draws does not depend on
// where the brush is.
static void full_tile(int x, int y, int sheet)
{
    int column = random_range(0, 4);
    set_tile(x, y, column, 0, sheet);
}

void paint_vertex(int x, int y, int kind)
{
    if (!is_editable(x, y) || kind < 0 || kind >= terrain_kind_count)
        return;
    set_terrain_kind(x, y, kind);
    // The vertex is editable, so every corner of the four cells lies inside
    // the layer.
    for (const around_cell& around : around_cells) {
        int cx = x + around.dx;
        int cy = y + around.dy;
        int mask = 0;
        if (kind_at(cx, cy) == kind)
            mask |= corner_tl;
        if (kind_at(cx + 1, cy) == kind)
            mask |= corner_tr;
        if (kind_at(cx, cy + 1) == kind)
            mask |= corner_bl;
        if (kind_at(cx + 1, cy + 1) == kind)
            mask |= corner_br;
        if (mask == corner_all) {
            full_tile(cx, cy, kind);
        } else if (mask == (corner_tl | corner_br) || mask == (corner_tr | corner_bl)) {
            set_tile(cx, cy, around.diagonal.column, around.diagonal.row, kind);
        } else {
            set_tile(cx, cy, tile_by_corners[mask].column, tile_by_corners[mask].row, kind);
        }
    }
}

// Full tiles of `sheet` for the four cells around vertex (x, y), in the
// order of around_cells.
static void full_tiles_around(int x, int y, int sheet)
{
    for (const around_cell& around : around_cells)
        full_tile(x + around.dx, y + around.dy, sheet);
}

void make_shallow(int x, int y)
{
    if (!is_editable(x, y))
        return;
    set_terrain_kind(x, y, terrain_shallow_water);
    full_tiles_around(x, y, terrain_shallow_water);
    // Deep water and sand sheets are drawn over shallow water: redraw them.
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (!neighbour(x, y, d, px, py))
            continue;
        int k = kind_at(px, py);
        if (k == terrain_deep_water || k == terrain_sand)
            paint_vertex(px, py, k);
    }
}

void make_sand(int x, int y, int keep)
{
    if (!is_editable(x, y))
        return;
    set_terrain_kind(x, y, terrain_sand);
    full_tiles_around(x, y, terrain_sand);
    // Land sheets are drawn over sand: redraw land neighbours, except those
    // of the kind being painted, which get their tiles from the brush.
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (!neighbour(x, y, d, px, py))
            continue;
        int k = kind_at(px, py);
        if (is_land(k) && k != keep)
            paint_vertex(px, py, k);
    }
}

void land_to_sand_around(int x, int y, int keep)
{
    if (!is_editable(x, y))
        return;
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (!neighbour(x, y, d, px, py))
            continue;
        int k = kind_at(px, py);
        if (is_land(k) && k != keep)
            make_sand(px, py, keep);
    }
}

void deep_to_shallow_around(int x, int y)
{
    if (!is_editable(x, y))
        return;
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (!neighbour(x, y, d, px, py))
            continue;
        if (kind_at(px, py) == terrain_deep_water)
            make_shallow(px, py);
    }
    if (kind_at(x, y) == terrain_shallow_water)
        paint_vertex(x, y, terrain_sand);
}

// Deep water: land up to three steps away becomes sand, sand next to the
// vertex becomes shallow water, then the vertex itself deep water.
static void paint_deep_water(int x, int y)
{
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (!neighbour(x, y, d, px, py))
            continue;
        for (int e = 0; e < direction_count; ++e) {
            int qx, qy;
            if (neighbour(px, py, e, qx, qy))
                land_to_sand_around(qx, qy, terrain_deep_water);
        }
    }
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (neighbour(x, y, d, px, py) && kind_at(px, py) == terrain_sand)
            make_shallow(px, py);
    }
    paint_vertex(x, y, terrain_deep_water);
}

// Shallow water: land up to two steps away becomes sand, then the vertex
// shallow water.
static void paint_shallow_water(int x, int y)
{
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (neighbour(x, y, d, px, py))
            land_to_sand_around(px, py, terrain_shallow_water);
    }
    make_shallow(x, y);
}

// Sand: deep water next to the vertex becomes shallow water, then the vertex
// sand (drawn over water, or with land redrawn over it).
static void paint_sand(int x, int y)
{
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (neighbour(x, y, d, px, py) && kind_at(px, py) == terrain_deep_water)
            make_shallow(px, py);
    }
    // Outside the editable range every action below does nothing.
    if (!is_editable(x, y))
        return;
    int c = kind_at(x, y);
    if (is_water(c))
        paint_vertex(x, y, terrain_sand);
    else if (is_land(c))
        make_sand(x, y, terrain_sand);
}

// A land kind: deep water near the vertex gives way to shallow water and
// shallow water next to it to sand; other land next to it becomes sand; then
// the vertex takes the land kind (over sand if it was water).
static void paint_land(int x, int y, int land)
{
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (neighbour(x, y, d, px, py))
            deep_to_shallow_around(px, py);
    }
    for (int d = 0; d < direction_count; ++d) {
        int px, py;
        if (!neighbour(x, y, d, px, py))
            continue;
        int k = kind_at(px, py);
        if (is_land(k) && k != land)
            make_sand(px, py, land);
    }
    if (!is_editable(x, y))
        return;
    int c = kind_at(x, y);
    if (is_water(c))
        paint_vertex(x, y, terrain_sand);
    paint_vertex(x, y, land);
}

void paint_terrain(int x, int y, int tool)
{
    switch (tool) {
    case terrain_deep_water:
        paint_deep_water(x, y);
        break;
    case terrain_shallow_water:
        paint_shallow_water(x, y);
        break;
    case terrain_sand:
        paint_sand(x, y);
        break;
    case terrain_mud:
    case terrain_grass:
    case terrain_dark_grass:
    case terrain_stone:
        paint_land(x, y, tool);
        break;
    default:
        // Not a terrain kind: nothing to paint.
        break;
    }
}
