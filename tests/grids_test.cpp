#include <gtest/gtest.h>

#include "game/grids.h"
#include "world/map.h"

// A map of width x height cells of one terrain kind with no objects.
static void make_map(int width, int height, int32_t terrain)
{
    clear_layers();
    map_width = width;
    map_height = height;
    for (int x = 0; x < max_map_size; ++x)
        for (int y = 0; y < max_map_size; ++y)
            terrain_layer[x][y].kind = terrain;
}

// The value every cell of a bare map of that size must hold: free inside,
// blocked on the two-cell band, 0 outside the map.
static int32_t bare_value(int width, int height, int x, int y)
{
    if (x >= width || y >= height)
        return grid_outside;
    if (x < 2 || y < 2 || x >= width - 2 || y >= height - 2)
        return grid_blocked;
    return grid_free;
}

TEST(Grids, BareMapsAreFreeInsideTheBorderBandAndZeroOutside)
{
    const int sizes[][2] = {{32, 32}, {128, 128}, {40, 20}, {5, 70}, {4, 4}};
    for (const auto& size : sizes) {
        make_map(size[0], size[1], terrain_grass);
        ASSERT_TRUE(setup_grids(size[0], size[1]));
        block_map();
        for (int x = 0; x < max_map_size; ++x)
            for (int y = 0; y < max_map_size; ++y)
                ASSERT_EQ(base_grid[x][y], bare_value(size[0], size[1], x, y))
                    << size[0] << "x" << size[1] << " at " << x << "," << y;
    }
}

// A 40 x 30 map with a lake, trees, rocks and a unit, searched over, then a
// smaller bare map with one tree in its place: each grid follows the layers
// of its own map cell for cell, and nothing of the first map is left behind
// (its water, objects and cells beyond the new size, its search marks).
TEST(Grids, ASecondMapLeavesNothingOfTheFirst)
{
    const struct {
        int width, height;
        bool lake;
    } maps[] = {{40, 30, true}, {32, 24, false}};
    for (const auto& m : maps) {
        SCOPED_TRACE(testing::Message() << m.width << "x" << m.height);
        make_map(m.width, m.height, terrain_grass);
        if (m.lake)
            for (int x = 10; x < 16; ++x)
                for (int y = 8; y < 12; ++y)
                    terrain_layer[x][y].kind = (x + y) % 2 ? terrain_deep_water : terrain_shallow_water;
        object_layer[20][20] = {object_tree, 2, 150};
        if (m.lake) {
            object_layer[21][20] = {object_rock, 12, 200};
            object_layer[35][25] = {object_unit, 2, 0};
        }
        ASSERT_TRUE(setup_grids(m.width, m.height));
        for (int x = 0; x < max_map_size; ++x)
            for (int y = 0; y < max_map_size; ++y) {
                ASSERT_EQ(base_grid[x][y], bare_value(m.width, m.height, x, y)) << x << "," << y;
                ASSERT_EQ(search_grid[x][y], base_grid[x][y]) << x << "," << y;
                ASSERT_EQ(direction_grid[x][y], 0) << x << "," << y;
            }
        block_map();
        for (int x = 0; x < max_map_size; ++x)
            for (int y = 0; y < max_map_size; ++y) {
                const int32_t kind = terrain_layer[x][y].kind;
                int32_t want = bare_value(m.width, m.height, x, y);
                if (want == grid_free && (kind == terrain_deep_water || kind == terrain_shallow_water ||
                                          object_layer[x][y].kind != object_none))
                    want = grid_blocked;
                ASSERT_EQ(base_grid[x][y], want) << x << "," << y;
            }
        // What a wave search leaves behind.
        search_grid[12][20] = 17;
        direction_grid[12][20] = 5;
    }
}

TEST(Grids, WaterBlocksAndEveryOtherTerrainIsFree)
{
    const struct {
        int32_t terrain;
        int32_t expected;
    } cases[] = {
        {terrain_deep_water, grid_blocked}, {terrain_shallow_water, grid_blocked},
        {terrain_sand, grid_free},          {terrain_mud, grid_free},
        {terrain_grass, grid_free},         {terrain_dark_grass, grid_free},
        {terrain_stone, grid_free},
    };
    for (const auto& c : cases) {
        make_map(32, 32, terrain_grass);
        terrain_layer[10][12].kind = c.terrain;
        ASSERT_TRUE(setup_grids(32, 32));
        block_map();
        EXPECT_EQ(base_grid[10][12], c.expected) << "terrain " << c.terrain;
        EXPECT_EQ(base_grid[11][12], grid_free);
    }
}

TEST(Grids, TreesRocksAndUnitsBlockTheirCells)
{
    make_map(32, 32, terrain_stone);
    object_layer[5][6] = {object_tree, 3, 150};
    object_layer[7][8] = {object_rock, 12, 200};
    object_layer[9][10] = {object_unit, 2, 0};
    ASSERT_TRUE(setup_grids(32, 32));
    block_map();
    EXPECT_EQ(base_grid[5][6], grid_blocked);
    EXPECT_EQ(base_grid[7][8], grid_blocked);
    EXPECT_EQ(base_grid[9][10], grid_blocked);
    EXPECT_EQ(base_grid[6][6], grid_free);
    EXPECT_EQ(base_grid[5][7], grid_free);
}

TEST(Grids, LayersBeyondTheMapAreIgnored)
{
    make_map(32, 32, terrain_deep_water);
    for (int x = 0; x < 32; ++x)
        for (int y = 0; y < 32; ++y)
            terrain_layer[x][y].kind = terrain_grass;
    object_layer[40][10].kind = object_tree;
    ASSERT_TRUE(setup_grids(32, 32));
    block_map();
    for (int x = 0; x < max_map_size; ++x)
        for (int y = 0; y < max_map_size; ++y)
            ASSERT_EQ(base_grid[x][y], bare_value(32, 32, x, y)) << x << "," << y;
}

TEST(Grids, RefusesSizesOutsideTheLayersAndKeepsTheGrid)
{
    make_map(32, 32, terrain_grass);
    ASSERT_TRUE(setup_grids(32, 32));
    base_grid[10][10] = grid_blocked;
    const int bad[][2] = {{0, 32}, {32, 0}, {129, 32}, {32, 129}, {-1, -1}};
    for (const auto& size : bad) {
        EXPECT_FALSE(setup_grids(size[0], size[1])) << size[0] << "x" << size[1];
        EXPECT_EQ(grid_width, 32);
        EXPECT_EQ(grid_height, 32);
        EXPECT_EQ(base_grid[10][10], grid_blocked);
        EXPECT_EQ(base_grid[10][11], grid_free);
    }
}

// On maps under four cells a side the band's far columns and rows fall
// outside the map; the cells there must stay 0.
TEST(Grids, TinyMapsKeepTheirOutsideZero)
{
    const int sizes[][2] = {{1, 1}, {2, 3}, {3, 1}, {1, 9}};
    for (const auto& size : sizes) {
        make_map(size[0], size[1], terrain_grass);
        ASSERT_TRUE(setup_grids(size[0], size[1]));
        block_map();
        for (int x = 0; x < max_map_size; ++x)
            for (int y = 0; y < max_map_size; ++y)
                ASSERT_EQ(base_grid[x][y], bare_value(size[0], size[1], x, y))
                    << size[0] << "x" << size[1] << " at " << x << "," << y;
    }
}
