#include "game/grids.h"

#include <cstring>

int32_t base_grid[max_map_size][max_map_size];
int32_t search_grid[max_map_size][max_map_size];
int32_t direction_grid[max_map_size][max_map_size];
int32_t grid_width = 0;
int32_t grid_height = 0;

bool setup_grids(int width, int height)
{
    if (width < 1 || width > max_map_size || height < 1 || height > max_map_size)
        return false;
    grid_width = width;
    grid_height = height;
    std::memset(base_grid, 0, sizeof base_grid);
    std::memset(search_grid, 0, sizeof search_grid);
    std::memset(direction_grid, 0, sizeof direction_grid);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            base_grid[x][y] = grid_free;
    wall_border();
    std::memcpy(search_grid, base_grid, sizeof search_grid);
    return true;
}

void block_map()
{
    for (int x = 0; x < grid_width; ++x) {
        for (int y = 0; y < grid_height; ++y) {
            const int32_t terrain = terrain_layer[x][y].kind;
            if (terrain == terrain_deep_water || terrain == terrain_shallow_water)
                base_grid[x][y] = grid_blocked;
            if (object_layer[x][y].kind != object_none)
                base_grid[x][y] = grid_blocked;
        }
    }
    wall_border();
}

// Blocks one cell of the band; on maps narrower or lower than four cells the
// band's far columns or rows would fall outside the map, and those stay 0.
static void wall_cell(int x, int y)
{
    if (x >= 0 && x < grid_width && y >= 0 && y < grid_height)
        base_grid[x][y] = grid_blocked;
}

void wall_border()
{
    const int w = grid_width;
    const int h = grid_height;
    for (int y = 1; y <= h - 2; ++y) {
        wall_cell(0, y);
        wall_cell(w - 1, y);
        wall_cell(1, y);
        wall_cell(w - 2, y);
    }
    for (int x = 0; x <= w - 1; ++x) {
        wall_cell(x, 0);
        wall_cell(x, h - 1);
        wall_cell(x, 1);
        wall_cell(x, h - 2);
    }
}
