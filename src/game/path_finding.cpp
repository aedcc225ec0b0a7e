#include "game/path_finding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/directions.h"
#include "game/grids.h"
#include "world/map.h"

// The search is a breadth-first wave search: wave k reaches the free cells
// one step beyond wave k - 1, each cell once, and the first wave that touches
// a goal cell ends it. Which route wins among equally short ones is fixed by
// the order of the waves' cell lists: a wave lists its cells by the position
// of the cell they were reached from in the previous wave's list, then by
// neighbour order (north, east, south, west, north-west, north-east,
// south-east, south-west). Spelling a route as the neighbour numbers of its
// steps, that list order is the alphabetical order of the cells' routes, so
// the route the lists produce is the alphabetically first of all shortest
// routes from the start to any goal.
//
// That route is found here without the lists. Each wave is a set of cells
// kept as one bit per cell, 128 rows to a column word, so a whole column
// spreads to its eight neighbours in a few word operations. When wave D
// touches a goal, the waves are narrowed backward to the cells that still
// lead to a goal in the steps left, and the route is walked forward from the
// start, taking at every step the first neighbour in neighbour order that
// lies in the next narrowed wave. Results are identical to the list search,
// cell for cell; the word-for-word list search lives in the tests and is
// compared against this one on random maps.

// One column of a cell set: bit y is row y.
using column_bits = unsigned __int128;

static constexpr column_bits one = 1;

// The cell sets keep two empty columns on either side of the map, so the
// waves can read a column's neighbours without testing the map's edges.
static constexpr int pad = 2;
static constexpr int padded_columns = max_map_size + 2 * pad;

// The eight neighbours in visiting order, as direction codes.
static const int neighbour_order[direction_count] = {
    direction_north,      direction_east,       direction_south,      direction_west,
    direction_north_west, direction_north_east, direction_south_east, direction_south_west,
};

// The map size of the current search.
static int width, height;
// The start cell of the current search.
static int origin_x, origin_y;

// Cells not yet reached that a wave may enter (free in base_grid, not a goal,
// not the start), column x at open_cells[x + pad]; valid for columns
// ready_lo..ready_hi only.
alignas(16) static column_bits open_cells[padded_columns];
static int ready_lo, ready_hi;

// The goal marks, column x at goal_cells[x + pad]; every column outside
// goal_lo..goal_hi is 0 between searches.
alignas(16) static column_bits goal_cells[padded_columns];
static int goal_lo, goal_hi;

// The waves: wave_cells[k] holds the cells of wave k (wave 0 the start),
// column x at [x + pad]. Columns wave_lo[k]..wave_hi[k] hold the wave (empty
// when lo > hi); the two columns beyond either end are 0; the rest is stale.
alignas(16) static column_bits wave_cells[max_route_steps + 1][padded_columns];
static int wave_lo[max_route_steps + 1];
static int wave_hi[max_route_steps + 1];

// Word operations on one column. With SSE2 a column is one vector register;
// otherwise a pair of 64-bit registers.
#if defined(__SSE2__)
using column_word = __m128i;

static column_word load(const column_bits& c)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(&c));
}
static void store(column_bits& c, column_word w)
{
    _mm_store_si128(reinterpret_cast<__m128i*>(&c), w);
}
static column_word either(column_word a, column_word b)
{
    return _mm_or_si128(a, b);
}
static column_word both(column_word a, column_word b)
{
    return _mm_and_si128(a, b);
}
// a without the cells of b.
static column_word without(column_word a, column_word b)
{
    return _mm_andnot_si128(b, a);
}
static bool is_empty(column_word w)
{
    return _mm_movemask_epi8(_mm_cmpeq_epi8(w, _mm_setzero_si128())) == 0xffff;
}
// The column with every cell spread to the rows above and below it.
static column_word spread_rows(column_word w)
{
    const __m128i down = _mm_or_si128(_mm_slli_epi64(w, 1), _mm_slli_si128(_mm_srli_epi64(w, 63), 8));
    const __m128i up = _mm_or_si128(_mm_srli_epi64(w, 1), _mm_srli_si128(_mm_slli_epi64(w, 63), 8));
    return _mm_or_si128(w, _mm_or_si128(down, up));
}
#else
using column_word = column_bits;

static column_word load(const column_bits& c)
{
    return c;
}
static void store(column_bits& c, column_word w)
{
    c = w;
}
static column_word either(column_word a, column_word b)
{
    return a | b;
}
static column_word both(column_word a, column_word b)
{
    return a & b;
}
static column_word without(column_word a, column_word b)
{
    return a & ~b;
}
static bool is_empty(column_word w)
{
    return w == 0;
}
static column_word spread_rows(column_word w)
{
    return w | (w << 1) | (w >> 1);
}
#endif

// Rows 0..height-1 of a column.
static column_bits row_mask()
{
    return height >= max_map_size ? ~column_bits(0) : (one << height) - 1;
}

// The cells of base_grid column x that are free, as bits.
static column_bits free_column(int x)
{
    const int32_t* cell = base_grid[x];
#if defined(__SSE2__)
    const __m128i free_value = _mm_set1_epi32(grid_free);
    uint64_t half[2];
    for (int part = 0; part < 2; ++part) {
        uint64_t bits = 0;
        for (int block = 0; block < 4; ++block) {
            const __m128i* p = reinterpret_cast<const __m128i*>(cell + 64 * part + 16 * block);
            const __m128i a = _mm_cmpeq_epi32(_mm_loadu_si128(p + 0), free_value);
            const __m128i b = _mm_cmpeq_epi32(_mm_loadu_si128(p + 1), free_value);
            const __m128i c = _mm_cmpeq_epi32(_mm_loadu_si128(p + 2), free_value);
            const __m128i d = _mm_cmpeq_epi32(_mm_loadu_si128(p + 3), free_value);
            const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
            bits |= uint64_t(uint32_t(_mm_movemask_epi8(bytes))) << (16 * block);
        }
        half[part] = bits;
    }
    const column_bits column = (column_bits(half[1]) << 64) | half[0];
#else
    column_bits column = 0;
    for (int y = 0; y < max_map_size; ++y)
        column |= column_bits(cell[y] == grid_free) << y;
#endif
    return column & row_mask();
}

// Readies column x of open_cells for the current search.
static void open_column(int x)
{
    column_bits column = free_column(x) & ~goal_cells[x + pad];
    if (x == origin_x)
        column &= ~(one << origin_y);
    open_cells[x + pad] = column;
}

// Makes open_cells valid over columns lo..hi, reading base_grid only for the
// columns the waves have come near.
static void ready_columns(int lo, int hi)
{
    while (ready_lo > lo)
        open_column(--ready_lo);
    while (ready_hi < hi)
        open_column(++ready_hi);
}

// Adds a goal mark at (x, y).
static void mark_goal(int x, int y)
{
    goal_cells[x + pad] |= one << y;
    if (x < goal_lo)
        goal_lo = x;
    if (x > goal_hi)
        goal_hi = x;
}

// Marks the goal cells: the goal itself for range 0, whatever base_grid holds
// there; otherwise the free cells of the square ring at distance `range`
// with 1 < x < width - 2 and 1 < y < height - 2 (the ring clipped to those
// cells, so any range costs at most one pass over the map).
static void mark_goals(int goal_x, int goal_y, int range)
{
    for (int x = goal_lo; x <= goal_hi; ++x)
        goal_cells[x + pad] = 0;
    goal_lo = max_map_size;
    goal_hi = -1;
    if (range == 0) {
        mark_goal(goal_x, goal_y);
        return;
    }
    const long long top = goal_y - (long long)range;
    const long long bottom = goal_y + (long long)range;
    const long long left = goal_x - (long long)range;
    const long long right = goal_x + (long long)range;
    const int x_lo = left < 2 ? 2 : int(left);
    const int x_hi = right > width - 3 ? width - 3 : int(right);
    const int y_lo = top + 1 < 2 ? 2 : int(top + 1);
    const int y_hi = bottom - 1 > height - 3 ? height - 3 : int(bottom - 1);
    const long long rows[2] = {top, bottom};
    const long long columns[2] = {left, right};
    for (const long long row : rows) {
        if (row < 2 || row > height - 3)
            continue;
        for (int x = x_lo; x <= x_hi; ++x)
            if (base_grid[x][row] == grid_free)
                mark_goal(x, int(row));
    }
    for (const long long column : columns) {
        if (column < 2 || column > width - 3)
            continue;
        for (int y = y_lo; y <= y_hi; ++y)
            if (base_grid[column][y] == grid_free)
                mark_goal(int(column), y);
    }
}

// Shrinks lo..hi past the empty columns at either end of a cell set, then
// clears the two columns beyond each end of what is left.
static void trim(column_bits* set, int& lo, int& hi)
{
    while (lo <= hi && set[lo + pad] == 0)
        ++lo;
    while (hi >= lo && set[hi + pad] == 0)
        --hi;
    if (lo > hi)
        return;
    set[lo - 2 + pad] = set[lo - 1 + pad] = 0;
    set[hi + 1 + pad] = set[hi + 2 + pad] = 0;
}

// Wave `wave`: every open cell next to a cell of the previous wave joins it.
// Returns true when the previous wave touches a goal instead (the search ends
// with this wave).
static bool expand_wave(int wave)
{
    const column_bits* from = wave_cells[wave - 1] + pad;
    column_bits* to = wave_cells[wave] + pad;
    const int lo = wave_lo[wave - 1];
    const int hi = wave_hi[wave - 1];
    const int a = lo > 0 ? lo - 1 : 0;
    const int b = hi < width - 1 ? hi + 1 : width - 1;

    // The goals lie in a few columns: look there first.
    const int goal_a = goal_lo > a ? goal_lo : a;
    const int goal_b = goal_hi < b ? goal_hi : b;
    for (int x = goal_a; x <= goal_b; ++x) {
        const column_word near =
            spread_rows(either(either(load(from[x - 1]), load(from[x])), load(from[x + 1])));
        if (!is_empty(both(near, load(goal_cells[x + pad]))))
            return true;
    }

    ready_columns(a, b);
    column_bits* open = open_cells + pad;
    column_word left = load(from[a - 1]);
    column_word middle = load(from[a]);
    for (int x = a; x <= b; ++x) {
        const column_word right = load(from[x + 1]);
        const column_word reach = spread_rows(either(either(left, middle), right));
        const column_word cells = load(open[x]);
        store(to[x], both(reach, cells));
        store(open[x], without(cells, reach));
        left = middle;
        middle = right;
    }
    int new_lo = a;
    int new_hi = b;
    trim(wave_cells[wave], new_lo, new_hi);
    wave_lo[wave] = new_lo;
    wave_hi[wave] = new_hi;
    return false;
}

// Narrows waves steps-1 .. 1 to the cells with a route of the remaining
// length to a goal, then walks the alphabetically first route from the start
// and writes it into path, entry 0 the goal. False if the walk finds no way
// (which the waves rule out).
static bool trace_route(int steps, int32_t& goal_x, int32_t& goal_y, path_cell* path)
{
    const column_bits* ahead = goal_cells + pad;
    int ahead_lo = goal_lo;
    int ahead_hi = goal_hi;
    for (int k = steps - 1; k >= 1; --k) {
        column_bits* cells = wave_cells[k] + pad;
        int a = wave_lo[k] > ahead_lo - 1 ? wave_lo[k] : ahead_lo - 1;
        int b = wave_hi[k] < ahead_hi + 1 ? wave_hi[k] : ahead_hi + 1;
        for (int x = a; x <= b; ++x) {
            const column_word near = spread_rows(
                either(either(load(ahead[x - 1]), load(ahead[x])), load(ahead[x + 1])));
            store(cells[x], both(load(cells[x]), near));
        }
        // Outside a..b the wave may still hold cells that lead nowhere.
        wave_cells[k][a - 1 + pad] = wave_cells[k][a - 2 + pad] = 0;
        wave_cells[k][b + 1 + pad] = wave_cells[k][b + 2 + pad] = 0;
        trim(wave_cells[k], a, b);
        wave_lo[k] = a;
        wave_hi[k] = b;
        ahead = cells;
        ahead_lo = a;
        ahead_hi = b;
    }

    path_cell route[max_route_steps];
    int x = origin_x;
    int y = origin_y;
    for (int step = 1; step <= steps; ++step) {
        const column_bits* next = (step < steps ? wave_cells[step] : goal_cells) + pad;
        const int lo = step < steps ? wave_lo[step] : goal_lo;
        const int hi = step < steps ? wave_hi[step] : goal_hi;
        bool moved = false;
        for (const int d : neighbour_order) {
            const int nx = x + direction_step[d][0];
            const int ny = y + direction_step[d][1];
            if (nx >= lo && nx <= hi && ny >= 0 && ny < max_map_size &&
                ((next[nx] >> ny) & 1) != 0) {
                x = nx;
                y = ny;
                moved = true;
                break;
            }
        }
        if (!moved)
            return false;
        route[step - 1] = {x, y};
    }
    for (int i = 0; i < steps; ++i)
        path[i] = route[steps - 1 - i];
    goal_x = x;
    goal_y = y;
    return true;
}

int find_path(int range, int32_t& goal_x, int32_t& goal_y, int start_x, int start_y,
              path_cell* path)
{
    if (range < 0 || map_width < 1 || map_width > max_map_size || map_height < 1 ||
        map_height > max_map_size)
        return -1;
    if (goal_x < 1 || goal_x > map_width - 1 || start_x < 1 || start_x > map_width - 1 ||
        goal_y < 1 || goal_y > map_height - 1 || start_y < 1 || start_y > map_height - 1)
        return -1;
    width = map_width;
    height = map_height;
    origin_x = start_x;
    origin_y = start_y;

    mark_goals(goal_x, goal_y, range);
    // The start is never a goal; with no goal left no wave can succeed.
    goal_cells[start_x + pad] &= ~(one << start_y);
    bool any_goal = false;
    for (int x = goal_lo; x <= goal_hi; ++x)
        any_goal = any_goal || goal_cells[x + pad] != 0;
    if (!any_goal)
        return -1;

    ready_lo = start_x + 1;
    ready_hi = start_x;
    for (int x = start_x - 2; x <= start_x + 2; ++x)
        wave_cells[0][x + pad] = 0;
    wave_cells[0][start_x + pad] = one << start_y;
    wave_lo[0] = start_x;
    wave_hi[0] = start_x;
    for (int wave = 1; wave <= max_route_steps; ++wave) {
        if (expand_wave(wave))
            return trace_route(wave, goal_x, goal_y, path) ? wave : -1;
        // An empty wave reaches nothing; the remaining waves would pass idle.
        if (wave_lo[wave] > wave_hi[wave])
            return -1;
    }
    return -1;
}
