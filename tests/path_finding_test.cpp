#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "game/grids.h"
#include "game/path_finding.h"
#include "reference/literal_path_finding.h"
#include "world/map.h"

// An open grass map of width x height with its grids built.
static void open_map(int width, int height)
{
    clear_layers();
    map_width = width;
    map_height = height;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            terrain_layer[x][y].kind = terrain_grass;
    ASSERT_TRUE(setup_grids(width, height));
    block_map();
}

static void block(int x, int y)
{
    base_grid[x][y] = grid_blocked;
}

// One call of find_path with its outputs.
struct search {
    int steps;
    int32_t goal_x;
    int32_t goal_y;
    path_cell path[max_path];
};

// Every path entry starts as this, to see which entries a search wrote.
static constexpr path_cell untouched = {-77, -88};

static search run(int range, int goal_x, int goal_y, int start_x, int start_y)
{
    search s;
    s.goal_x = goal_x;
    s.goal_y = goal_y;
    for (auto& cell : s.path)
        cell = untouched;
    s.steps = find_path(range, s.goal_x, s.goal_y, start_x, start_y, s.path);
    return s;
}

static bool adjacent(int ax, int ay, int bx, int by)
{
    const int dx = ax - bx;
    const int dy = ay - by;
    return (dx != 0 || dy != 0) && dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1;
}

TEST(FindPath, EachNeighbourIsOneStep)
{
    open_map(32, 32);
    for (int d = 0; d < direction_count; ++d) {
        const int gx = 10 + direction_step[d][0];
        const int gy = 10 + direction_step[d][1];
        const search s = run(0, gx, gy, 10, 10);
        ASSERT_EQ(s.steps, 1) << "direction " << d;
        EXPECT_EQ(s.path[0].x, gx);
        EXPECT_EQ(s.path[0].y, gy);
        EXPECT_EQ(s.goal_x, gx);
        EXPECT_EQ(s.goal_y, gy);
        EXPECT_EQ(s.path[1].x, untouched.x);
    }
}

TEST(FindPath, StraightRouteRunsStraightAndEntryZeroIsTheGoal)
{
    open_map(32, 32);
    const search s = run(0, 13, 10, 10, 10);
    ASSERT_EQ(s.steps, 3);
    const path_cell expected[] = {{13, 10}, {12, 10}, {11, 10}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s.path[i].x, expected[i].x) << i;
        EXPECT_EQ(s.path[i].y, expected[i].y) << i;
    }
}

// A pursuit of a unit at (10, 10): the goals are the free cells around it,
// and the first one the waves meet in neighbour order wins.
TEST(FindPath, RingAroundAUnitIsReachedInNeighbourOrder)
{
    const struct {
        int start_x, start_y;
        std::vector<path_cell> blocked;
        int steps;
        std::vector<path_cell> path;
    } cases[] = {
        {10, 8, {}, 1, {{10, 9}}},                     // south comes first
        {10, 8, {{10, 9}}, 1, {{11, 9}}},              // then south-east
        {10, 8, {{10, 9}, {11, 9}}, 1, {{9, 9}}},      // then south-west
        {12, 8, {}, 1, {{11, 9}}},                     // only south-west touches
        {8, 10, {}, 1, {{9, 10}}},                     // east
        {10, 7, {}, 2, {{10, 9}, {10, 8}}},            // south twice
        {10, 7, {{10, 9}}, 2, {{11, 9}, {10, 8}}},     // south, then south-east
        {10, 7, {{10, 8}}, 2, {{11, 9}, {11, 8}}},     // south-east, then south
        {10, 9, {}, 1, {{11, 9}}},                     // a start on the ring moves on
    };
    for (const auto& c : cases) {
        open_map(32, 32);
        block(10, 10);
        for (const auto& b : c.blocked)
            block(b.x, b.y);
        const search s = run(1, 10, 10, c.start_x, c.start_y);
        ASSERT_EQ(s.steps, c.steps) << "from " << c.start_x << "," << c.start_y;
        for (int i = 0; i < c.steps; ++i) {
            EXPECT_EQ(s.path[i].x, c.path[i].x) << "entry " << i;
            EXPECT_EQ(s.path[i].y, c.path[i].y) << "entry " << i;
        }
        EXPECT_EQ(s.goal_x, c.path[0].x);
        EXPECT_EQ(s.goal_y, c.path[0].y);
    }
}

// Ring cells in the two outer columns or rows never count as goals, even
// where base_grid says free.
TEST(FindPath, RingSkipsTheOuterBand)
{
    const struct {
        int goal_x, goal_y, start_x, start_y;
        int expected_x, expected_y;
    } cases[] = {
        {3, 10, 1, 10, 2, 8},     // x = 1 is not a goal
        {28, 10, 30, 10, 29, 8},  // x = map_width - 2 is not a goal
        {10, 3, 10, 1, 12, 2},    // y = 1
        {10, 28, 10, 30, 12, 29}, // y = map_height - 2
    };
    for (const auto& c : cases) {
        open_map(32, 32);
        for (int x = 0; x < 32; ++x)
            for (int y = 0; y < 32; ++y)
                base_grid[x][y] = grid_free;
        const search s = run(2, c.goal_x, c.goal_y, c.start_x, c.start_y);
        ASSERT_EQ(s.steps, 2) << "goal " << c.goal_x << "," << c.goal_y;
        EXPECT_EQ(s.goal_x, c.expected_x);
        EXPECT_EQ(s.goal_y, c.expected_y);
    }
}

TEST(FindPath, BlockedGoalWithRangeZeroIsEntered)
{
    open_map(32, 32);
    block(12, 10);
    const search s = run(0, 12, 10, 10, 10);
    ASSERT_EQ(s.steps, 2);
    EXPECT_EQ(s.path[0].x, 12);
    EXPECT_EQ(s.path[0].y, 10);
    EXPECT_EQ(s.path[1].x, 11);
    EXPECT_EQ(s.path[1].y, 10);
}

// A wall whose only crossing is the diagonal step (12, 11) -> (13, 10)
// between two blocked cells.
TEST(FindPath, DiagonalGapBetweenTwoBlockersIsTaken)
{
    open_map(32, 32);
    for (int y = 2; y <= 10; ++y)
        block(12, y);
    for (int y = 11; y <= 29; ++y)
        block(13, y);
    const search s = run(0, 18, 5, 8, 5);
    ASSERT_EQ(s.steps, 12);
    bool crossed = false;
    for (int i = 0; i + 1 < s.steps; ++i)
        if (s.path[i].x == 13 && s.path[i].y == 10 && s.path[i + 1].x == 12 &&
            s.path[i + 1].y == 11)
            crossed = true;
    EXPECT_TRUE(crossed);
}

// Every failure returns -1 and leaves the goal and the path as they were.
TEST(FindPath, FailuresChangeNothing)
{
    const struct {
        const char* what;
        int range, goal_x, goal_y, start_x, start_y;
    } cases[] = {
        {"goal equal to start", 0, 10, 10, 10, 10},
        {"goal x 0", 0, 0, 10, 10, 10},
        {"goal x map_width", 0, 32, 10, 10, 10},
        {"goal y 0", 0, 10, 0, 10, 10},
        {"goal y map_height", 0, 10, 32, 10, 10},
        {"start x 0", 0, 10, 10, 0, 10},
        {"start x map_width", 0, 10, 10, 32, 10},
        {"start y 0", 0, 10, 10, 10, 0},
        {"start y map_height", 0, 10, 10, 10, 32},
        {"negative goal", 0, -5, 10, 10, 10},
        {"negative range", -1, 12, 10, 10, 10},
        {"ring wholly outside the map", 40, 12, 10, 10, 10},
        {"largest range", INT_MAX, 12, 10, 10, 10},
        {"unit with every ring cell blocked", 1, 20, 20, 10, 10},
        {"goal walled in", 0, 20, 20, 10, 10},
        {"beyond the wall of water", 0, 10, 28, 10, 10},
    };
    for (const auto& c : cases) {
        open_map(32, 32);
        for (int x = 19; x <= 21; ++x)
            for (int y = 19; y <= 21; ++y)
                block(x, y);
        for (int x = 0; x < 32; ++x)
            block(x, 25);
        const search s = run(c.range, c.goal_x, c.goal_y, c.start_x, c.start_y);
        EXPECT_EQ(s.steps, -1) << c.what;
        EXPECT_EQ(s.goal_x, c.goal_x) << c.what;
        EXPECT_EQ(s.goal_y, c.goal_y) << c.what;
        EXPECT_EQ(s.path[0].x, untouched.x) << c.what;
    }
}

// The last column and row of a full-size map are valid cells; their
// neighbours past the grid's edge are never entered.
TEST(FindPath, StartsOnTheFarEdgeOfAFullMap)
{
    open_map(128, 128);
    const search east = run(0, 126, 5, 127, 5);
    EXPECT_EQ(east.steps, 1);
    const search corner = run(0, 126, 126, 127, 127);
    EXPECT_EQ(corner.steps, 1);
    EXPECT_EQ(run(0, 125, 127, 127, 127).steps, -1);  // only border cells between
}

// Distances by a plain breadth-first search over free cells, -1 unreached.
static std::vector<int> distances_from(int start_x, int start_y)
{
    std::vector<int> distance(max_map_size * max_map_size, -1);
    std::vector<int> queue = {start_x * max_map_size + start_y};
    distance[queue[0]] = 0;
    for (size_t i = 0; i < queue.size(); ++i) {
        const int x0 = queue[i] / max_map_size;
        const int y0 = queue[i] % max_map_size;
        for (const auto& d : direction_step) {
            const int x = x0 + d[0];
            const int y = y0 + d[1];
            if (x < 0 || y < 0 || x >= map_width || y >= map_height ||
                base_grid[x][y] != grid_free || distance[x * max_map_size + y] >= 0)
                continue;
            distance[x * max_map_size + y] = distance[queue[i]] + 1;
            queue.push_back(x * max_map_size + y);
        }
    }
    return distance;
}

// A route is as long as the shortest one, steps between neighbours, and
// crosses only free cells.
static void expect_sound_route(const search& s, int start_x, int start_y, int distance)
{
    ASSERT_EQ(s.steps, distance);
    EXPECT_TRUE(adjacent(s.path[s.steps - 1].x, s.path[s.steps - 1].y, start_x, start_y));
    for (int i = 0; i + 1 < s.steps; ++i) {
        EXPECT_TRUE(adjacent(s.path[i].x, s.path[i].y, s.path[i + 1].x, s.path[i + 1].y));
        EXPECT_EQ(base_grid[s.path[i].x][s.path[i].y], grid_free);
    }
    EXPECT_EQ(s.path[s.steps].x, untouched.x);
}

// A serpentine of two-cell corridors: routes of 251 steps are found, routes
// of 252 are not.
TEST(FindPath, RoutesEndAt251Steps)
{
    open_map(128, 128);
    for (int wall = 0, x = 4; x < 124; ++wall, x += 3)
        for (int y = 2; y <= 125; ++y)
            if (y != (wall % 2 == 0 ? 124 : 3))
                block(x, y);
    const std::vector<int> distance = distances_from(2, 2);
    int checked[4] = {};
    for (int x = 0; x < 128; ++x) {
        for (int y = 0; y < 128; ++y) {
            const int d = distance[x * max_map_size + y];
            if (d < 249 || d > 252)
                continue;
            ++checked[d - 249];
            const search s = run(0, x, y, 2, 2);
            if (d <= max_route_steps)
                expect_sound_route(s, 2, 2, d);
            else
                EXPECT_EQ(s.steps, -1) << x << "," << y;
        }
    }
    for (int count : checked)
        EXPECT_GT(count, 0);
}

// On a cluttered map every free cell is reached by a sound shortest route.
TEST(FindPath, EveryFreeCellOfAClutteredMapGetsAShortestRoute)
{
    open_map(40, 30);
    std::mt19937 rng(7);
    for (int x = 2; x < 38; ++x)
        for (int y = 2; y < 28; ++y)
            if (rng() % 10 < 3)
                block(x, y);
    base_grid[20][15] = grid_free;
    const std::vector<int> distance = distances_from(20, 15);
    int reached = 0;
    for (int x = 1; x < 40; ++x) {
        for (int y = 1; y < 30; ++y) {
            const int d = distance[x * max_map_size + y];
            const search s = run(0, x, y, 20, 15);
            if (d > 0) {
                expect_sound_route(s, 20, 15, d);
                ++reached;
            } else if (d < 0 && base_grid[x][y] == grid_free) {
                EXPECT_EQ(s.steps, -1);
            }
        }
    }
    EXPECT_GT(reached, 400);
}

// ---- find_path against the word-for-word wave search ----

enum class layout { open, cluttered, water_bands, walled_pockets };

// Builds a random map of the given layout through the map layers and the
// grid set-up, as the game does.
static void random_map(std::mt19937& rng, layout kind, int width, int height)
{
    clear_layers();
    map_width = width;
    map_height = height;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            terrain_layer[x][y].kind = terrain_sand + int(rng() % 5);
    switch (kind) {
    case layout::open:
        break;
    case layout::cluttered:
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                if (rng() % 100 < 30)
                    object_layer[x][y].kind = rng() % 2 ? object_tree : object_rock;
        break;
    case layout::water_bands:
        // Bands across the map, some with a ford, some without.
        for (int band = int(rng() % 4); band >= 0; --band) {
            const bool across = rng() % 2;
            const int along = across ? height : width;
            const int at = int(rng() % unsigned(along));
            const int thick = 1 + int(rng() % 3);
            const int ford = rng() % 3 ? int(rng() % unsigned(across ? width : height)) : -10;
            for (int i = 0; i < (across ? width : height); ++i)
                for (int t = 0; t < thick && at + t < along; ++t) {
                    if (i >= ford && i < ford + 2)
                        continue;
                    const int x = across ? i : at + t;
                    const int y = across ? at + t : i;
                    terrain_layer[x][y].kind = rng() % 2 ? terrain_deep_water : terrain_shallow_water;
                }
        }
        break;
    case layout::walled_pockets:
        // Square rings of rocks enclosing pockets the outside cannot reach.
        for (int pocket = 0; pocket < 6; ++pocket) {
            const int r = 1 + int(rng() % 3);
            const int cx = int(rng() % unsigned(width));
            const int cy = int(rng() % unsigned(height));
            for (int x = cx - r; x <= cx + r; ++x)
                for (int y = cy - r; y <= cy + r; ++y)
                    if (x >= 0 && y >= 0 && x < width && y < height &&
                        (x == cx - r || x == cx + r || y == cy - r || y == cy + r))
                        object_layer[x][y].kind = object_rock;
        }
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                if (rng() % 100 < 8)
                    object_layer[x][y].kind = object_tree;
        break;
    }
    ASSERT_TRUE(setup_grids(width, height));
    block_map();
}

// A coordinate for a query: mostly inside 1..size-1, now and then on or
// past the edge.
static int random_coordinate(std::mt19937& rng, int size)
{
    if (rng() % 50 == 0)
        return int(rng() % 3) - 1 + (rng() % 2 ? size : 0);
    return 1 + int(rng() % unsigned(size > 1 ? size - 1 : 1));
}

TEST(FindPathAgainstLiteral, SameResultGoalAndPathOnRandomQueries)
{
    std::mt19937 rng(20240611);
    const layout layouts[] = {layout::open, layout::cluttered, layout::water_bands,
                              layout::walled_pockets};
    int queries = 0;
    int found = 0;
    int failed = 0;
    int long_routes = 0;
    for (int map = 0; map < 240; ++map) {
        int width = 0;
        int height = 0;
        switch (map % 4) {
        case 0: width = height = 32; break;
        case 1: width = height = 128; break;
        case 2: width = 1 + int(rng() % 128); height = 1 + int(rng() % 128); break;
        default: width = 8 + int(rng() % 121); height = 8 + int(rng() % 121); break;
        }
        random_map(rng, layouts[(map / 4) % 4], width, height);
        for (int q = 0; q < 50; ++q, ++queries) {
            const int range = int(rng() % 5);
            const int start_x = random_coordinate(rng, width);
            const int start_y = random_coordinate(rng, height);
            int goal_x = random_coordinate(rng, width);
            int goal_y = random_coordinate(rng, height);
            switch (rng() % 4) {
            case 0:  // a goal close by, as most of the game's orders are
                goal_x = start_x + int(rng() % 9) - 4;
                goal_y = start_y + int(rng() % 9) - 4;
                break;
            case 1:
                if (rng() % 8 == 0) {
                    goal_x = start_x;
                    goal_y = start_y;
                }
                break;
            default:
                break;
            }
            search ours;
            search literal;
            ours.goal_x = literal.goal_x = goal_x;
            ours.goal_y = literal.goal_y = goal_y;
            for (int i = 0; i < max_path; ++i)
                ours.path[i] = literal.path[i] = untouched;
            literal.steps = literal_find_path(range, literal.goal_x, literal.goal_y, start_x,
                                              start_y, literal.path);
            ours.steps = find_path(range, ours.goal_x, ours.goal_y, start_x, start_y, ours.path);
            ASSERT_EQ(ours.steps, literal.steps)
                << "map " << map << " (" << width << "x" << height << ") query " << q
                << ": range " << range << " goal " << goal_x << "," << goal_y << " start "
                << start_x << "," << start_y;
            ASSERT_EQ(ours.goal_x, literal.goal_x) << "map " << map << " query " << q;
            ASSERT_EQ(ours.goal_y, literal.goal_y) << "map " << map << " query " << q;
            for (int i = 0; i < max_path; ++i) {
                ASSERT_EQ(ours.path[i].x, literal.path[i].x) << "map " << map << " entry " << i;
                ASSERT_EQ(ours.path[i].y, literal.path[i].y) << "map " << map << " entry " << i;
            }
            found += ours.steps > 0;
            failed += ours.steps < 0;
            long_routes += ours.steps >= 40;
            // Units come and go between searches: a few interior cells flip.
            for (int flip = 0; flip < 3 && width > 4 && height > 4; ++flip) {
                const int x = 2 + int(rng() % unsigned(width - 4));
                const int y = 2 + int(rng() % unsigned(height - 4));
                base_grid[x][y] = base_grid[x][y] == grid_free ? grid_blocked : grid_free;
            }
        }
    }
    EXPECT_GE(queries, 10000);
    // The mix must exercise both outcomes and long routes.
    EXPECT_GT(found, queries / 5);
    EXPECT_GT(failed, queries / 10);
    EXPECT_GT(long_routes, queries / 50);
    std::printf("%d queries: %d routes (%d of 40 steps or more), %d failures\n", queries, found,
                long_routes, failed);
}
