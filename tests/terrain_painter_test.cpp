#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/random.h"
#include "world/map.h"
#include "world/terrain_painter.h"

namespace {

// A copy of the whole terrain layer, to tell what a call changed.
struct layer_copy {
    terrain_cell cells[max_map_size][max_map_size];
};

layer_copy snapshot()
{
    layer_copy copy;
    std::memcpy(copy.cells, terrain_layer, sizeof terrain_layer);
    return copy;
}

bool same_layer(const layer_copy& a, const layer_copy& b)
{
    return std::memcmp(a.cells, b.cells, sizeof a.cells) == 0;
}

bool same_cell(const terrain_cell& a, const terrain_cell& b)
{
    return a.kind == b.kind && a.tile_set == b.tile_set && a.tile_x == b.tile_x && a.tile_y == b.tile_y;
}

// Every cell of the layer has kind and sheet `kind` and the full tile (0, 0).
void fill(int kind)
{
    for (int x = 0; x < max_map_size; ++x)
        for (int y = 0; y < max_map_size; ++y)
            terrain_layer[x][y] = {kind, kind, 0, 0};
}

int kind(int x, int y)
{
    return terrain_layer[x][y].kind;
}

// Tile (column, row) of sheet `sheet` expected in cell [x][y].
void expect_tile(int x, int y, int sheet, int column, int row)
{
    const terrain_cell& cell = terrain_layer[x][y];
    EXPECT_EQ(cell.tile_set, sheet) << "cell " << x << "," << y;
    EXPECT_EQ(cell.tile_x, column * 32) << "cell " << x << "," << y;
    EXPECT_EQ(cell.tile_y, row * 32) << "cell " << x << "," << y;
}

int chebyshev(int x0, int y0, int x1, int y1)
{
    int dx = x0 > x1 ? x0 - x1 : x1 - x0;
    int dy = y0 > y1 ? y0 - y1 : y1 - y0;
    return dx > dy ? dx : dy;
}

// The generator worked out independently: the next full-tile column.
int next_column(uint32_t& state)
{
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF) % 4;
}

// Positions passed to the overview hook.
std::vector<std::pair<int, int>> plotted;

void record_plot(int x, int y)
{
    plotted.emplace_back(x, y);
}

class TerrainPainter : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_width = map_width;
        saved_height = map_height;
        set_random_state(1);
        plotted.clear();
    }
    void TearDown() override
    {
        map_width = saved_width;
        map_height = saved_height;
        set_overview_hook(nullptr);
    }
    int saved_width = 0;
    int saved_height = 0;
};

// The four cells around vertex (x, y) in tiling order, as offsets.
const int around[4][2] = {{0, -1}, {0, 0}, {-1, 0}, {-1, -1}};

}  // namespace

TEST_F(TerrainPainter, GrassOnSandVertexGivesSingleCornerTiles)
{
    fill(terrain_sand);
    paint_terrain(40, 50, terrain_grass);
    EXPECT_EQ(kind(40, 50), terrain_grass);
    struct {
        int x, y, column, row;
    } const cases[] = {
        {39, 49, 0, 1},  // above-left: only its BR holds grass
        {40, 49, 1, 1},  // above-right: only BL
        {39, 50, 0, 2},  // below-left: only TR
        {40, 50, 1, 2},  // below-right: only TL
    };
    for (const auto& c : cases)
        expect_tile(c.x, c.y, terrain_grass, c.column, c.row);
    // Nothing but the vertex and its four cells changed, and no draw was made.
    EXPECT_EQ(random_draw(), 41);
}

// Every corner combination of the below-right cell (the vertex is its TL) and
// of the above-left cell (the vertex is its BR).
TEST_F(TerrainPainter, TileFollowsTheCornersHoldingTheKind)
{
    struct {
        int dx, dy;        // the cell relative to the vertex
        bool tl, tr, bl, br;  // corners painted grass before the vertex
        int column, row;   // expected tile; row 0 means a full tile
    } const cases[] = {
        {0, 0, true, false, false, false, 1, 2},
        {0, 0, true, true, false, false, 2, 2},
        {0, 0, true, false, true, false, 3, 2},
        {0, 0, true, false, false, true, 1, 4},
        {0, 0, true, true, true, false, 2, 3},
        {0, 0, true, true, false, true, 3, 3},
        {0, 0, true, false, true, true, 2, 4},
        {0, 0, true, true, true, true, -1, 0},
        {-1, -1, false, false, false, true, 0, 1},
        {-1, -1, false, false, true, true, 2, 1},
        {-1, -1, false, true, false, true, 3, 1},
        {-1, -1, true, false, false, true, 0, 3},
        {-1, -1, true, true, false, true, 3, 3},
        {-1, -1, true, false, true, true, 2, 4},
        {-1, -1, false, true, true, true, 3, 4},
        {-1, -1, true, true, true, true, -1, 0},
    };
    const int vx = 60, vy = 60;
    for (const auto& c : cases) {
        fill(terrain_sand);
        int cx = vx + c.dx, cy = vy + c.dy;
        terrain_layer[cx][cy].kind = c.tl ? terrain_grass : terrain_sand;
        terrain_layer[cx + 1][cy].kind = c.tr ? terrain_grass : terrain_sand;
        terrain_layer[cx][cy + 1].kind = c.bl ? terrain_grass : terrain_sand;
        terrain_layer[cx + 1][cy + 1].kind = c.br ? terrain_grass : terrain_sand;
        paint_vertex(vx, vy, terrain_grass);
        const terrain_cell& cell = terrain_layer[cx][cy];
        EXPECT_EQ(cell.tile_set, terrain_grass);
        EXPECT_EQ(cell.tile_y, c.row * 32) << c.dx << " " << c.tl << c.tr << c.bl << c.br;
        if (c.row != 0) {
            EXPECT_EQ(cell.tile_x, c.column * 32) << c.dx << " " << c.tl << c.tr << c.bl << c.br;
        }
    }
}

// A diagonal pair gives a different tile in each of the four cells.
TEST_F(TerrainPainter, DiagonalTileDependsOnTheCell)
{
    struct {
        int ox, oy;  // the grass vertex diagonal to the painted one
        int cell;    // index into `around`
        int column, row;
    } const cases[] = {
        {1, -1, 0, 1, 3},   // above-right: TR and BL
        {1, 1, 1, 1, 4},    // below-right: TL and BR
        {-1, 1, 2, 0, 4},   // below-left: TR and BL
        {-1, -1, 3, 0, 3},  // above-left: TL and BR
    };
    const int vx = 20, vy = 90;
    for (const auto& c : cases) {
        fill(terrain_sand);
        terrain_layer[vx + c.ox][vy + c.oy].kind = terrain_grass;
        paint_vertex(vx, vy, terrain_grass);
        expect_tile(vx + around[c.cell][0], vy + around[c.cell][1], terrain_grass, c.column, c.row);
    }
}

// Re-painting a kind over itself only re-tiles the four cells around the
// vertex with full tiles, one draw each, in the order above-right,
// below-right, below-left, above-left.
TEST_F(TerrainPainter, RepaintingAKindDrawsFullTilesInOrder)
{
    struct {
        int area;  // the kind everywhere
        void (*paint)(int x, int y);
    } const cases[] = {
        {terrain_grass, [](int x, int y) { paint_terrain(x, y, terrain_grass); }},
        {terrain_stone, [](int x, int y) { paint_terrain(x, y, terrain_stone); }},
        {terrain_shallow_water, [](int x, int y) { make_shallow(x, y); }},
        {terrain_sand, [](int x, int y) { make_sand(x, y, terrain_sand); }},
    };
    // At (1, 1) and (126, 1) some of the cells lie outside the editable
    // range: they keep their tile, but their draws still happen.
    const int vertices[][2] = {{70, 30}, {1, 1}, {126, 1}};
    const uint32_t start = 0x12345678u;
    for (const auto& c : cases) {
        for (const auto& v : vertices) {
            fill(c.area);
            for (const auto& offset : around)
                if (!is_editable(v[0] + offset[0], v[1] + offset[1]))
                    terrain_layer[v[0] + offset[0]][v[1] + offset[1]].tile_x = 96;
            set_random_state(start);
            c.paint(v[0], v[1]);

            uint32_t state = start;
            for (const auto& offset : around) {
                int column = next_column(state);
                int x = v[0] + offset[0], y = v[1] + offset[1];
                expect_tile(x, y, c.area, is_editable(x, y) ? column : 3, 0);
            }
            EXPECT_EQ(random_state(), state) << "kind " << c.area;
            for (int x = 0; x < max_map_size; ++x)
                for (int y = 0; y < max_map_size; ++y)
                    ASSERT_EQ(kind(x, y), c.area);
        }
    }
}

// Only full cells draw, in the order above-right, below-right, below-left,
// above-left: here the two left cells are edges and take no draw.
TEST_F(TerrainPainter, OnlyFullCellsDrawInTilingOrder)
{
    fill(terrain_grass);
    for (int y = 0; y < max_map_size; ++y)
        terrain_layer[9][y].kind = terrain_sand;
    terrain_layer[10][10].kind = terrain_sand;
    const uint32_t start = 777u;
    set_random_state(start);
    paint_vertex(10, 10, terrain_grass);

    uint32_t state = start;
    int above_right = next_column(state);
    int below_right = next_column(state);
    expect_tile(10, 9, terrain_grass, above_right, 0);
    expect_tile(10, 10, terrain_grass, below_right, 0);
    expect_tile(9, 10, terrain_grass, 3, 1);
    expect_tile(9, 9, terrain_grass, 3, 1);
    EXPECT_EQ(random_state(), state);
}

TEST_F(TerrainPainter, DeepWaterInGrassGivesShallowRingThenSand)
{
    fill(terrain_grass);
    const layer_copy before = snapshot();
    const int vx = 64, vy = 64;
    paint_terrain(vx, vy, terrain_deep_water);
    for (int x = 0; x < max_map_size; ++x) {
        for (int y = 0; y < max_map_size; ++y) {
            int ring = chebyshev(x, y, vx, vy);
            int expected = ring == 0 ? terrain_deep_water
                         : ring == 1 ? terrain_shallow_water
                         : ring <= 3 ? terrain_sand
                                     : terrain_grass;
            ASSERT_EQ(kind(x, y), expected) << x << "," << y;
            // A cell whose corners all lie five or more steps away is untouched.
            bool far = ring >= 5 && chebyshev(x + 1, y, vx, vy) >= 5 && chebyshev(x, y + 1, vx, vy) >= 5
                    && chebyshev(x + 1, y + 1, vx, vy) >= 5;
            if (far) {
                ASSERT_TRUE(same_cell(terrain_layer[x][y], before.cells[x][y])) << x << "," << y;
            }
        }
    }
    // The vertex is drawn over shallow water; a cell between the sand and the
    // grass carries the grass sheet's transition drawn over sand.
    expect_tile(vx, vy, terrain_deep_water, 1, 2);
    expect_tile(vx + 3, vy + 3, terrain_grass, 3, 4);
}

TEST_F(TerrainPainter, MudNextToGrassTurnsTheGrassNeighboursIntoSand)
{
    fill(terrain_grass);
    const int vx = 30, vy = 100;
    paint_terrain(vx, vy, terrain_mud);
    EXPECT_EQ(kind(vx, vy), terrain_mud);
    for (int x = vx - 3; x <= vx + 3; ++x) {
        for (int y = vy - 3; y <= vy + 3; ++y) {
            int ring = chebyshev(x, y, vx, vy);
            int expected = ring == 0 ? terrain_mud : ring == 1 ? terrain_sand : terrain_grass;
            EXPECT_EQ(kind(x, y), expected) << x << "," << y;
        }
    }
    // The grass around the new sand is redrawn over it.
    expect_tile(vx + 1, vy + 1, terrain_grass, 3, 4);
    expect_tile(vx - 2, vy - 2, terrain_grass, 2, 3);
}

TEST_F(TerrainPainter, SandOnSandOnlyTurnsDeepNeighboursShallow)
{
    fill(terrain_sand);
    const int vx = 50, vy = 50;
    terrain_layer[vx + 1][vy].kind = terrain_deep_water;
    terrain_layer[vx - 1][vy + 1].kind = terrain_deep_water;
    terrain_layer[vx + 2][vy].kind = terrain_deep_water;  // two steps away: stays
    paint_terrain(vx, vy, terrain_sand);
    for (int x = 0; x < max_map_size; ++x) {
        for (int y = 0; y < max_map_size; ++y) {
            int expected = terrain_sand;
            if ((x == vx + 1 && y == vy) || (x == vx - 1 && y == vy + 1))
                expected = terrain_shallow_water;
            if (x == vx + 2 && y == vy)
                expected = terrain_deep_water;
            ASSERT_EQ(kind(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(TerrainPainter, WritesOutsideTheEditableRangeDoNothing)
{
    fill(terrain_grass);
    const layer_copy before = snapshot();
    const int positions[][2] = {{0, 5}, {5, 0}, {127, 5}, {5, 127}, {0, 0}, {127, 127}};
    for (const auto& p : positions) {
        set_terrain_kind(p[0], p[1], terrain_stone);
        set_tile(p[0], p[1], 2, 3, terrain_stone);
        paint_vertex(p[0], p[1], terrain_stone);
        make_shallow(p[0], p[1]);
        make_sand(p[0], p[1], terrain_stone);
    }
    EXPECT_TRUE(same_layer(before, snapshot()));

    // The limits themselves are editable.
    set_terrain_kind(1, 126, terrain_mud);
    set_tile(126, 1, 1, 4, terrain_mud);
    EXPECT_EQ(kind(1, 126), terrain_mud);
    expect_tile(126, 1, terrain_mud, 1, 4);
}

// Painting at an edge vertex leaves it and the outer ring as they were but
// still converts editable neighbours. Deep water next to the vertex turns
// shallow while a neighbour visited before it is converted, and sand only if
// it is itself visited afterwards: at the bottom edge its only visit comes
// first, so it stays shallow.
TEST_F(TerrainPainter, EdgeVertexKeepsItsKindButConvertsNeighbours)
{
    struct {
        int x, y;    // the painted vertex
        int nx, ny;  // its editable neighbour, deep water before
        int after;   // that neighbour's kind afterwards
    } const cases[] = {
        {0, 64, 1, 64, terrain_sand},
        {127, 64, 126, 64, terrain_sand},
        {64, 0, 64, 1, terrain_sand},
        {64, 127, 64, 126, terrain_shallow_water},
    };
    for (const auto& c : cases) {
        fill(terrain_grass);
        terrain_layer[c.nx][c.ny].kind = terrain_deep_water;
        const layer_copy before = snapshot();
        paint_terrain(c.x, c.y, terrain_grass);
        EXPECT_TRUE(same_cell(terrain_layer[c.x][c.y], before.cells[c.x][c.y]));
        EXPECT_EQ(kind(c.nx, c.ny), c.after) << c.x << "," << c.y;
    }

    // No tool at any edge vertex touches the outermost ring.
    for (int tool = 0; tool < terrain_kind_count; ++tool) {
        fill(terrain_dark_grass);
        const layer_copy before = snapshot();
        for (const auto& c : cases)
            paint_terrain(c.x, c.y, tool);
        for (int i = 0; i < max_map_size; ++i) {
            const int ring[4][2] = {{i, 0}, {i, 127}, {0, i}, {127, i}};
            for (const auto& r : ring)
                ASSERT_TRUE(same_cell(terrain_layer[r[0]][r[1]], before.cells[r[0]][r[1]]))
                    << "tool " << tool << " cell " << r[0] << "," << r[1];
        }
    }
}

// The editable range does not follow the map size: a 32 x 32 map painted at
// its last column also gets cells beyond its right edge.
TEST_F(TerrainPainter, SmallMapPaintsPastItsRightEdge)
{
    map_width = 32;
    map_height = 32;
    fill(terrain_grass);
    const layer_copy before = snapshot();
    paint_terrain(31, 10, terrain_deep_water);
    EXPECT_EQ(kind(31, 10), terrain_deep_water);
    EXPECT_EQ(kind(32, 10), terrain_shallow_water);
    EXPECT_EQ(kind(34, 10), terrain_sand);
    EXPECT_EQ(kind(35, 10), terrain_grass);
    EXPECT_FALSE(same_cell(terrain_layer[32][10], before.cells[32][10]));
    expect_tile(34, 13, terrain_grass, 3, 4);
}

TEST_F(TerrainPainter, OverviewHookSeesEditableKindWritesOnly)
{
    fill(terrain_sand);
    set_overview_hook(record_plot);
    set_terrain_kind(5, 6, terrain_mud);
    set_terrain_kind(0, 6, terrain_mud);
    set_terrain_kind(6, 127, terrain_mud);
    set_terrain_kind(7, 7, 9);  // not a terrain kind
    set_tile(8, 8, 1, 1, terrain_mud);
    ASSERT_EQ(plotted.size(), 1u);
    EXPECT_EQ(plotted[0], std::make_pair(5, 6));

    // A brush stroke at the edge reports every kind it writes, all editable.
    plotted.clear();
    fill(terrain_grass);
    paint_terrain(0, 40, terrain_deep_water);
    EXPECT_FALSE(plotted.empty());
    for (const auto& p : plotted)
        EXPECT_TRUE(is_editable(p.first, p.second)) << p.first << "," << p.second;

    set_overview_hook(nullptr);
    plotted.clear();
    paint_terrain(60, 40, terrain_deep_water);
    EXPECT_TRUE(plotted.empty());
}

TEST_F(TerrainPainter, InvalidToolOrKindChangesNothing)
{
    fill(terrain_grass);
    const layer_copy before = snapshot();
    const uint32_t state = random_state();
    paint_terrain(40, 40, 7);
    paint_terrain(40, 40, -1);
    paint_vertex(40, 40, 7);
    set_tile(40, 40, 4, 0, terrain_grass);
    set_tile(40, 40, 0, 5, terrain_grass);
    set_tile(40, 40, 0, 0, 7);
    EXPECT_TRUE(same_layer(before, snapshot()));
    EXPECT_EQ(random_state(), state);
}

// A stroke sequence replayed from the same generator state gives the same
// layer; a different state gives different full tiles.
TEST_F(TerrainPainter, ReplayFromSameStateGivesSameLayer)
{
    const int strokes[][3] = {{40, 40, 0}, {43, 41, 4}, {38, 44, 6}, {41, 37, 1}, {45, 45, 2}, {40, 40, 3}};
    layer_copy runs[3];
    const uint32_t starts[3] = {99u, 99u, 100u};
    for (int run = 0; run < 3; ++run) {
        fill(terrain_grass);
        set_random_state(starts[run]);
        for (const auto& s : strokes)
            paint_terrain(s[0], s[1], s[2]);
        runs[run] = snapshot();
    }
    EXPECT_TRUE(same_layer(runs[0], runs[1]));
    EXPECT_FALSE(same_layer(runs[0], runs[2]));
}

// Thousands of strokes of every tool anywhere, including the edges and
// positions outside the layer, keep every cell valid.
TEST_F(TerrainPainter, RandomStrokesKeepTheLayerInvariants)
{
    fill(terrain_grass);
    const layer_copy before = snapshot();
    std::mt19937 strokes(2024);
    std::uniform_int_distribution<int> coordinate(-3, 130);
    std::uniform_int_distribution<int> tool(-1, 7);
    for (int i = 0; i < 4000; ++i)
        paint_terrain(coordinate(strokes), coordinate(strokes), tool(strokes));

    int seen[terrain_kind_count] = {};

    for (int x = 0; x < max_map_size; ++x) {
        for (int y = 0; y < max_map_size; ++y) {
            const terrain_cell& cell = terrain_layer[x][y];
            ASSERT_GE(cell.kind, 0);
            ASSERT_LT(cell.kind, terrain_kind_count);
            ++seen[cell.kind];
            ASSERT_GE(cell.tile_set, 0);
            ASSERT_LT(cell.tile_set, terrain_kind_count);
            ASSERT_TRUE(cell.tile_x % 32 == 0 && cell.tile_x >= 0 && cell.tile_x <= 96) << cell.tile_x;
            ASSERT_TRUE(cell.tile_y % 32 == 0 && cell.tile_y >= 0 && cell.tile_y <= 128) << cell.tile_y;
            if (x == 0 || y == 0 || x == 127 || y == 127) {
                ASSERT_TRUE(same_cell(cell, before.cells[x][y])) << x << "," << y;
            }
        }
    }
    // The strokes did paint: every kind is on the map.
    for (int k = 0; k < terrain_kind_count; ++k)
        EXPECT_GT(seen[k], 0) << "kind " << k;
}
