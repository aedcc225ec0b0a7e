#include "reference/literal_path_finding.h"

#include <cstring>

#include "game/grids.h"
#include "world/map.h"

// Search marks in search_grid.
static constexpr int32_t mark_goal = 253;
static constexpr int32_t mark_start = 0;
static constexpr int waves = 251;

// A wave holds at most every cell of the map.
static constexpr int front_room = max_map_size * max_map_size;

// The two wave lists of (x, y) cells and their lengths.
static int32_t front_cells[2][front_room][2];
static int front_length[2];
// Which of the two lists is the current front.
static int current;
// The goal cell the last wave reached.
static int32_t found_x, found_y;

// The eight neighbours in visiting order: the step to the neighbour, and the
// direction code written there (the step back).
static const int32_t neighbour_table[8][3] = {
    {0, -1, 4}, {1, 0, 6}, {0, 1, 0}, {-1, 0, 2},
    {-1, -1, 3}, {1, -1, 5}, {1, 1, 7}, {-1, 1, 1},
};

// search_grid at (x, y); a cell past the array's edge reads as outside.
static int32_t search_at(int x, int y)
{
    if (x < 0 || x >= max_map_size || y < 0 || y >= max_map_size)
        return grid_outside;
    return search_grid[x][y];
}

// Marks the goal cell (range 0) or the qualifying cells of the ring at
// distance range; returns how many cells were marked.
static int literal_mark_goals(int goal_x, int goal_y, int range)
{
    if (range == 0) {
        search_grid[goal_x][goal_y] = mark_goal;
        return 1;
    }
    int marked = 0;
    const int r = range;
    // The four sides in order: top rightward, right downward, bottom
    // leftward, left upward; 2r cells each.
    const int corner[4][2] = {{goal_x - r, goal_y - r}, {goal_x + r, goal_y - r},
                              {goal_x + r, goal_y + r}, {goal_x - r, goal_y + r}};
    const int step[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (int side = 0; side < 4; ++side) {
        int x = corner[side][0];
        int y = corner[side][1];
        for (int i = 0; i < 2 * r; ++i) {
            if (1 < x && x < map_width - 2 && 1 < y && y < map_height - 2 &&
                base_grid[x][y] == grid_free) {
                search_grid[x][y] = mark_goal;
                ++marked;
            }
            x += step[side][0];
            y += step[side][1];
        }
    }
    return marked;
}

// One wave: visits the neighbours of every cell of the current front; true
// as soon as a goal is reached.
static bool literal_expand_wave(int wave)
{
    const int next = 1 - current;
    front_length[next] = 0;
    for (int i = 0; i < front_length[current]; ++i) {
        const int x0 = front_cells[current][i][0];
        const int y0 = front_cells[current][i][1];
        for (const auto& n : neighbour_table) {
            const int x = x0 + n[0];
            const int y = y0 + n[1];
            const int32_t value = search_at(x, y);
            if (value == mark_goal) {
                direction_grid[x][y] = n[2];
                found_x = x;
                found_y = y;
                return true;
            }
            if (value == grid_free) {
                const int k = front_length[next]++;
                front_cells[next][k][0] = x;
                front_cells[next][k][1] = y;
                search_grid[x][y] = wave;
                direction_grid[x][y] = n[2];
            }
        }
    }
    current = next;
    return false;
}

int literal_find_path(int range, int32_t& goal_x, int32_t& goal_y, int start_x,
                      int start_y, path_cell* path)
{
    if (range < 0 || map_width < 1 || map_width > max_map_size || map_height < 1 ||
        map_height > max_map_size)
        return -1;
    if (goal_x < 1 || goal_x > map_width - 1 || start_x < 1 || start_x > map_width - 1 ||
        goal_y < 1 || goal_y > map_height - 1 || start_y < 1 || start_y > map_height - 1)
        return -1;
    std::memcpy(search_grid, base_grid, sizeof search_grid);
    literal_mark_goals(goal_x, goal_y, range);
    search_grid[start_x][start_y] = mark_start;
    current = 0;
    front_length[0] = 1;
    front_cells[0][0][0] = start_x;
    front_cells[0][0][1] = start_y;
    int wave = 1;
    for (;; ++wave) {
        if (wave > waves)
            return -1;
        if (literal_expand_wave(wave))
            break;
    }
    int x = found_x;
    int y = found_y;
    for (int i = 0; i < wave; ++i) {
        path[i].x = x;
        path[i].y = y;
        const int d = direction_grid[x][y];
        x += direction_step[d][0];
        y += direction_step[d][1];
    }
    goal_x = found_x;
    goal_y = found_y;
    return wave;
}
