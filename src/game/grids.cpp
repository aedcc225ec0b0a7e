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

// True when (x, y) lies in the two-cell band along the edges of a width x
// height map. On maps narrower or lower than four cells the band covers
// them whole.
static bool in_border_band(int x, int y, int width, int height)
{
    return x < 2 || y < 2 || x >= width - 2 || y >= height - 2;
}

int32_t cell_passability(int x, int y, int width, int height)
{
    if (!inside_layers(x, y) || x >= width || y >= height)
        return grid_outside;
    if (is_water(terrain_layer[x][y].kind) || object_layer[x][y].kind != object_none ||
        in_border_band(x, y, width, height))
        return grid_blocked;
    return grid_free;
}

void block_map()
{
    for (int x = 0; x < grid_width; ++x)
        for (int y = 0; y < grid_height; ++y)
            if (cell_passability(x, y, grid_width, grid_height) == grid_blocked)
                base_grid[x][y] = grid_blocked;
}

void wall_border()
{
    for (int x = 0; x < grid_width; ++x)
        for (int y = 0; y < grid_height; ++y)
            if (in_border_band(x, y, grid_width, grid_height))
                base_grid[x][y] = grid_blocked;
}
