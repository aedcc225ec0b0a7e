#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "core/cp1251.h"
#include "game/world_drawing.h"
#include "reference/literal_draw_order.h"
#include "render/bmp.h"
#include "render/display.h"
#include "render_fixture.h"
#include "sprites/sprite_data.h"
#include "world/map.h"
#include "world/units.h"

using namespace render_test;

namespace {

// --- The order -----------------------------------------------------------------

bool same_list(const draw_entry* a, const draw_entry* b, int n)
{
    for (int i = 0; i < n; ++i)
        if (a[i].kind != b[i].kind || a[i].index != b[i].index || a[i].x != b[i].x || a[i].y != b[i].y)
            return false;
    return true;
}

// Orders list both ways and compares every entry.
void expect_literal_order(const std::vector<draw_entry>& list, const char* what)
{
    const int n = static_cast<int>(list.size());
    std::vector<draw_entry> literal = list;
    literal_order_draw_list(literal.data(), n);
    draw_list_count = n;
    std::copy(list.begin(), list.end(), draw_list);
    order_draw_list();
    EXPECT_TRUE(same_list(draw_list, literal.data(), n)) << what << ", " << n << " entries";
}

TEST(DrawOrder, MatchesTheTwoExchangePassesEntryForEntry)
{
    // Lists of every size up to a full view, with keys from ranges narrow
    // enough that many entries share a y, an x or both; the index tells
    // equal entries apart, so any difference in how ties end up shows.
    struct case_row {
        int count;
        int y_values;
        int x_values;
    } cases[] = {
        {0, 1, 1},    {1, 1, 1},    {2, 1, 1},    {3, 2, 2},      {7, 1, 1},     {7, 2, 3},
        {16, 3, 3},   {40, 4, 2},   {60, 19, 26}, {100, 5, 5},    {200, 2, 40},  {200, 40, 2},
        {300, 30, 8}, {494, 19, 26}, {494, 3, 3}, {494, 494, 494}, {494, 1, 494}, {494, 60, 1},
    };
    std::mt19937 rng(12345);
    for (const case_row& c : cases) {
        for (int round = 0; round < 20; ++round) {
            std::vector<draw_entry> list(c.count);
            for (int i = 0; i < c.count; ++i) {
                int32_t y = static_cast<int32_t>(rng() % c.y_values) * 7 - 40;
                int32_t x = static_cast<int32_t>(rng() % c.x_values) * 5 - 30;
                list[i] = {static_cast<int32_t>(1 + rng() % 4), i, x, y};
            }
            expect_literal_order(list, "random keys");
        }
    }
}

TEST(DrawOrder, MatchesTheExchangePassesOnOrderedAndEqualLists)
{
    const int n = max_draw_entries;
    struct shape {
        const char* name;
        int32_t (*y)(int i);
        int32_t (*x)(int i);
    } shapes[] = {
        {"all equal", [](int) { return 5; }, [](int) { return 5; }},
        {"ascending", [](int i) { return i; }, [](int i) { return i; }},
        {"descending", [](int i) { return -i; }, [](int i) { return -i; }},
        {"rows of a view", [](int i) { return 32 * (i / 26); }, [](int i) { return 32 * (i % 26); }},
        {"rows upside down", [](int i) { return -32 * (i / 26); }, [](int i) { return 32 * (i % 26); }},
        {"saw", [](int i) { return i % 7; }, [](int i) { return (i * 13) % 5; }},
        {"extremes", [](int i) { return i % 2 ? INT32_MIN : INT32_MAX; },
         [](int i) { return i % 3 ? INT32_MAX : INT32_MIN; }},
    };
    for (const shape& s : shapes) {
        std::vector<draw_entry> list(n);
        for (int i = 0; i < n; ++i)
            list[i] = {1, i, s.x(i), s.y(i)};
        expect_literal_order(list, s.name);
    }
}

TEST(DrawOrder, SortsByYThenX)
{
    draw_list_count = 5;
    draw_list[0] = {1, 1, 50, 20};
    draw_list[1] = {3, 2, 10, 26};
    draw_list[2] = {1, 3, 40, 20};
    draw_list[3] = {4, 4, 0, -5};
    draw_list[4] = {1, 5, 45, 20};
    order_draw_list();
    const int expected[] = {4, 3, 5, 1, 2};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(draw_list[i].index, expected[i]) << "position " << i;
}

// --- Drawing ---------------------------------------------------------------------

// Image slots and colours of the drawing fixture.
constexpr int32_t tree_image = 50;
constexpr int32_t red_sheet = 60;
constexpr int32_t blue_sheet = 61;
constexpr uint32_t tree_colour = 0x07E0;
constexpr uint32_t red_colour = 0xF800;
constexpr uint32_t blue_colour = 0x001F;
constexpr uint32_t key_colour = 0xF81F;

// Tile sheet pixel of terrain kind k at (x, y): which tile it belongs to.
uint32_t tile_pixel(int kind, int x, int y)
{
    return static_cast<uint32_t>(0x0800 * (kind + 1) + 0x40 * (x / 32) + (y / 32) + 1);
}

class WorldDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(start());
        for (int k = 0; k < terrain_kind_count; ++k) {
            ASSERT_NE(make_image(k + 1, tile_sheet_width, tile_sheet_height,
                                 [k](int x, int y) { return tile_pixel(k, x, y); }),
                      nullptr);
            tile_slots[k] = k + 1;
        }
        // The tree frame: a 32 x 32 square with a keyed left column.
        ASSERT_NE(make_image(tree_image, 32, 32, [](int x, int) { return x == 0 ? key_colour : tree_colour; }),
                  nullptr);
        ASSERT_NE(make_image(red_sheet, 64, 32, [](int, int) { return red_colour; }), nullptr);
        ASSERT_NE(make_image(blue_sheet, 64, 32, [](int, int) { return blue_colour; }), nullptr);
        std::memset(tree_table, 0, sizeof tree_table);
        tree_table[1] = {tree_image, 0, -object_anchor_drop, 0, 0, 32, 32};
        std::memset(unit_anims, 0, sizeof unit_anims);
        for (int race = 0; race < race_count; ++race)
            for (int action = 0; action < 4; ++action)
                for (int dir = 0; dir < direction_count; ++dir)
                    unit_anims[race][action][dir][0] = {0, 16, 0, 0, 0, 32, 32};
        clear_layers();
        clear_units();
        map_width = map_height = 40;
        for (int x = 0; x < map_width; ++x)
            for (int y = 0; y < map_height; ++y)
                terrain_layer[x][y] = {terrain_grass, terrain_grass, 32 * ((x + y) % 4), 32 * (y % 5)};
        camera_x = camera_y = 0;
    }

    void TearDown() override { release_display(); }

    static void place_tree(int x, int y, int index = 1) { object_layer[x][y] = {object_tree, index, 150}; }

    // A unit drawn from sheet at pixel (px, py), owning cell (cx, cy).
    static unit& place_unit(int slot, int cx, int cy, int32_t px, int32_t py, int32_t sheet)
    {
        unit& u = unit_table[slot];
        u = {};
        u.active = 1;
        u.image = sheet;
        u.cell_x = cx;
        u.cell_y = cy;
        u.pixel_x = px;
        u.pixel_y = py;
        object_layer[cx][cy] = {object_unit, slot, 0};
        ++unit_count;
        return u;
    }

    static uint32_t screen(int x, int y) { return pixel(draw_surface, x, y); }
};

TEST_F(WorldDrawing, TerrainShowsEachCellsTileUnderTheCamera)
{
    camera_x = 3;
    camera_y = 2;
    draw_terrain();
    for (int i : {0, 7, 17})
        for (int j : {0, 12, 24}) {
            const terrain_cell& t = terrain_layer[3 + j][2 + i];
            EXPECT_EQ(screen(32 * j + 5, 32 * i + 9), tile_pixel(t.tile_set, t.tile_x, t.tile_y))
                << "row " << i << " column " << j;
        }
}

TEST_F(WorldDrawing, CellsBeyondTheLayersAreBlackAndHoldNothing)
{
    // A map narrower than the screen clamps the camera to a negative column.
    camera_x = -6;
    camera_y = 120;
    object_layer[0][120] = {object_tree, 1, 150};
    draw_world();
    EXPECT_EQ(screen(5, 5), 0u);
    EXPECT_EQ(screen(32 * 5 + 31, 32 * 7 + 31), 0u);
    EXPECT_EQ(screen(32 * 6 + 5, 32 * 8 + 5), 0u) << "row 128 lies beyond the layers";
    EXPECT_EQ(screen(32 * 7 + 5, 5), tile_pixel(terrain_deep_water, 0, 0)) << "outside the map, inside the layers";
    ASSERT_EQ(draw_list_count, 1);
    EXPECT_EQ(draw_list[0].x, 32 * 6);
}

TEST_F(WorldDrawing, CollectsTreesAtTheirDroppedAnchorAndUnitsAtTheirPixels)
{
    camera_x = 2;
    camera_y = 3;
    place_tree(2, 3);
    place_tree(27, 21);  // the last column and row collected
    place_tree(28, 21);  // one column too far
    place_unit(1, 10, 10, 10 * 32 + 12, 10 * 32 - 20, red_sheet);
    collect_draw_list();
    ASSERT_EQ(draw_list_count, 3);
    EXPECT_EQ(draw_list[0].kind, object_tree);
    EXPECT_EQ(draw_list[0].x, 0);
    EXPECT_EQ(draw_list[0].y, object_anchor_drop);
    EXPECT_EQ(draw_list[1].kind, object_unit);
    EXPECT_EQ(draw_list[1].index, 1);
    EXPECT_EQ(draw_list[1].x, 8 * 32 + 12);
    EXPECT_EQ(draw_list[1].y, 7 * 32 - 20);
    EXPECT_EQ(draw_list[2].x, 25 * 32);
    EXPECT_EQ(draw_list[2].y, 18 * 32 + object_anchor_drop);
}

TEST_F(WorldDrawing, AUnitIsBehindATreeOnItsRowAndInFrontSevenPixelsLower)
{
    // The unit's frame reaches 16 pixels into the tree's cell (5, 5).
    struct case_row {
        int32_t pixel_y;
        uint32_t expected;
        const char* why;
    } cases[] = {
        {5 * 32, tree_colour, "standing on the tree's row"},
        {5 * 32 + 6, tree_colour, "level with the tree's anchor, to its left"},
        {5 * 32 + 7, red_colour, "seven pixels below the row's top"},
        {5 * 32 - 20, tree_colour, "above the row"},
    };
    for (const case_row& c : cases) {
        SetUp();
        place_tree(5, 5);
        place_unit(2, 4, c.pixel_y > 5 * 32 ? 6 : 5, 4 * 32, c.pixel_y, red_sheet);
        draw_world();
        EXPECT_EQ(screen(165, 170), c.expected) << c.why;
        EXPECT_EQ(screen(160, 170), red_colour) << "the tree's keyed column shows the unit";
    }
}

TEST_F(WorldDrawing, ObjectsOfEqualYAreDrawnLeftToRight)
{
    // Collected right one first (its cell comes first), drawn left one first.
    place_unit(2, 3, 5, 140, 160, red_sheet);
    place_unit(3, 4, 5, 130, 160, blue_sheet);
    draw_world();
    EXPECT_EQ(screen(160, 170), red_colour);
    EXPECT_EQ(screen(150, 170), blue_colour);
    place_unit(2, 3, 5, 120, 160, red_sheet);
    draw_world();
    EXPECT_EQ(screen(160, 170), blue_colour);
}

TEST_F(WorldDrawing, BadValuesDrawNothingAndUnitsOfImageZeroAreSortedButNotDrawn)
{
    place_tree(5, 5);
    const uint32_t tree_at = tree_colour;
    struct case_row {
        const char* what;
        void (*spoil)(unit& u);
    } cases[] = {
        {"image 0", [](unit& u) { u.image = 0; }},
        {"anim_step 17", [](unit& u) { u.anim_step = 17; }},
        {"anim_step -1", [](unit& u) { u.anim_step = -1; }},
        {"empty slot 16", [](unit& u) { u.anim_step = 16; }},
        {"action 8", [](unit& u) { u.action = 8; }},
        {"direction 8", [](unit& u) { u.direction = 8; }},
        {"race 2", [](unit& u) { u.race = 2; }},
        {"image past the table", [](unit& u) { u.image = max_surface_slots; }},
    };
    for (const case_row& c : cases) {
        unit& u = place_unit(2, 4, 6, 4 * 32, 5 * 32 + 10, red_sheet);
        c.spoil(u);
        draw_world();
        EXPECT_EQ(draw_list_count, 2) << c.what;
        EXPECT_EQ(screen(165, 175), tree_at) << c.what;
        EXPECT_EQ(screen(150, 175), tile_pixel(terrain_grass, terrain_layer[4][5].tile_x,
                                                terrain_layer[4][5].tile_y))
            << c.what;
        unit_table[2] = {};
        object_layer[4][6] = {};
        unit_count = 0;
    }
    // Trees naming an entry beyond the table, and units naming no slot.
    object_layer[5][5] = {object_tree, tree_table_size, 150};
    object_layer[6][5] = {object_rock, -1, 150};
    object_layer[7][5] = {object_unit, max_units, 0};
    object_layer[8][5] = {object_unit, 0, 0};
    draw_world();
    EXPECT_EQ(draw_list_count, 2);
    EXPECT_EQ(screen(165, 170), tile_pixel(terrain_grass, terrain_layer[5][5].tile_x,
                                            terrain_layer[5][5].tile_y));
}

TEST_F(WorldDrawing, FramesHangingOffTheScreenAreClipped)
{
    camera_x = 10;
    camera_y = 10;
    // One unit half off the left edge, one half off the bottom right.
    place_unit(2, 10, 12, 10 * 32 - 40, 12 * 32, red_sheet);
    place_unit(3, 34, 28, 34 * 32 + 8, 28 * 32 + 10, blue_sheet);
    draw_world();
    EXPECT_EQ(screen(0, 2 * 32 + 3), red_colour);
    EXPECT_EQ(screen(7, 2 * 32 + 3), red_colour);
    EXPECT_EQ(screen(799, 599), blue_colour);
}

// --- Loading -------------------------------------------------------------------

// Palette entry k of the test sheets: a distinct 5:6:5 colour for every k.
uint32_t palette_colour(int k)
{
    return static_cast<uint32_t>(((k & 31) << 3) | (((k >> 5) << 2) << 8));
}

uint32_t palette_565(int k)
{
    return static_cast<uint32_t>(((k & 31) << 11) | ((k >> 5) << 5));
}

// An 8-bit 4 x 2 sheet whose pixel (0, 0) is the team index 212 and pixel
// (1, 0) index 7.
void write_sheet(const char* path)
{
    const int w = 4, h = 2, row = 4;
    std::vector<uint8_t> v(54 + 1024 + row * h, 0);
    auto put32 = [&v](size_t at, uint32_t x) {
        for (int i = 0; i < 4; ++i)
            v[at + i] = static_cast<uint8_t>(x >> (8 * i));
    };
    v[0] = 'B', v[1] = 'M';
    put32(2, static_cast<uint32_t>(v.size()));
    put32(10, 54 + 1024);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    v[26] = 1, v[28] = 8;
    for (int k = 0; k < 256; ++k) {
        uint32_t c = palette_colour(k);
        v[54 + 4 * k] = static_cast<uint8_t>(c >> 16);
        v[54 + 4 * k + 1] = static_cast<uint8_t>(c >> 8);
        v[54 + 4 * k + 2] = static_cast<uint8_t>(c);
    }
    // Bottom-up rows: the top row is the last one stored.
    uint8_t* top = v.data() + 54 + 1024 + row * (h - 1);
    top[0] = 212;
    top[1] = 7;
    FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(v.data(), 1, v.size(), f);
    std::fclose(f);
}

// A sprite set whose walk roll (roll 3) faces east with frames 1 and 2 and
// then names frame frames + 1, which the file does not hold; the die roll
// (roll 5) faces every direction with frame 3. Frame i has offset_x 10 * i
// plus first.
void write_sprite_set(const char* name, int first, int frames)
{
    clear_sprites();
    frame_count = frames;
    for (int i = 1; i <= frames; ++i)
        frame_table[i] = {1, 10 * i + first, -i, i, 2 * i, 3 + i, 4 + i};
    roll_table[3][0] = 1;
    roll_table[3][1] = 2;
    roll_table[3][2] = frames + 1;
    roll_table[3][3] = 1;
    roll_table[5][0] = 3;
    sprite_table[action_walk][2] = 3;
    for (int d = 0; d < direction_count; ++d)
        sprite_table[action_die][d] = 5;
    ASSERT_TRUE(save_sprite_file(name));
}

class SpriteLoading : public WorldDrawing {
protected:
    void SetUp() override
    {
        WorldDrawing::SetUp();
        std::filesystem::create_directories("data/images");
        write_sheet("data/images/grant.bmp");
        write_sheet("data/images/footman.bmp");
        write_sprite_set("grant", 0, 3);
        write_sprite_set("footman", 5, 4);
        clear_sprites();
        surface_count = 100;
    }
};

TEST_F(SpriteLoading, NineSheetsInOrderWithTheirColourBasesAndBothRaces)
{
    unit_count = 7;
    unit_table[9].active = 1;
    ASSERT_TRUE(load_unit_sprites());
    struct expected_sheet {
        int race;
        int team;
        int base;
    } order[] = {
        {0, 1, 208}, {0, 2, 216}, {0, 4, 224}, {0, 0, 212}, {0, 3, 220},
        {1, 5, 228}, {1, 6, 232}, {1, 7, 12},  {1, 3, 220},
    };
    for (int i = 0; i < 9; ++i) {
        const expected_sheet& e = order[i];
        const int32_t slot = unit_images[e.race][e.team];
        EXPECT_EQ(slot, 100 + i) << "load " << i + 1;
        ASSERT_NE(surface_table[slot], nullptr);
        EXPECT_EQ(pixel(surface_table[slot], 0, 0), palette_565(e.base)) << "load " << i + 1;
        EXPECT_EQ(pixel(surface_table[slot], 1, 0), palette_565(7)) << "load " << i + 1;
    }
    for (int race = 0; race < race_count; ++race)
        for (int team = 0; team < team_count; ++team) {
            bool loaded = (race == 0 && team <= 4) || (race == 1 && (team == 3 || team >= 5));
            if (!loaded) {
                EXPECT_EQ(unit_images[race][team], -1) << race << "/" << team;
            }
        }
    // The tables: each race from its own file; a frame the file lacks, the
    // slot after a roll and slot 16 are empty.
    for (int race = 0; race < race_count; ++race) {
        const int first = race == 0 ? 0 : 5;
        const anim_entry& walk0 = unit_anims[race][action_walk][2][0];
        EXPECT_EQ(walk0.offset_x, 10 + first);
        EXPECT_EQ(walk0.offset_y, -1);
        EXPECT_EQ(walk0.x, 1);
        EXPECT_EQ(walk0.y, 2);
        EXPECT_EQ(walk0.width, 4);
        EXPECT_EQ(walk0.height, 5);
        EXPECT_EQ(unit_anims[race][action_walk][2][1].offset_x, 20 + first);
        EXPECT_EQ(unit_anims[race][action_walk][2][2].height, 0) << "frame beyond the file";
        EXPECT_EQ(unit_anims[race][action_walk][2][3].height, 5);
        EXPECT_EQ(unit_anims[race][action_walk][2][4].height, 0);
        EXPECT_EQ(unit_anims[race][action_walk][1][0].height, 0) << "a direction without a roll";
        EXPECT_EQ(unit_anims[race][action_die][6][0].height, 7);
        EXPECT_EQ(unit_anims[race][action_die][6][16].height, 0);
    }
    EXPECT_EQ(unit_count, 0);
    EXPECT_EQ(unit_table[9].active, 0);
}

TEST_F(SpriteLoading, AMissingSheetFailsAndLeavesNoHalfFilledImageTable)
{
    std::filesystem::remove("data/images/footman.bmp");
    unit_count = 3;
    EXPECT_FALSE(load_unit_sprites());
    for (int race = 0; race < race_count; ++race)
        for (int team = 0; team < team_count; ++team)
            EXPECT_EQ(unit_images[race][team], -1);
    EXPECT_EQ(unit_count, 3) << "the unit table is left alone";
}

// A refused or missing sprite file would leave its race invisible: the load
// fails, as for a sheet, after a report naming the file and the reason.
TEST_F(SpriteLoading, ARefusedSpriteFileFailsTheLoadWithItsReport)
{
    const struct {
        const char* file;
        const char* contents;  // nullptr: the file is missing
        const char* report;
    } cases[] = {
        {"data/images/footman.spr", "d",
         "Программа прервана\nОшибка в загрузке спрайтов data\\images\\footman.spr: the file is too "
         "short to hold a frame count"_cp},
        {"data/images/grant.spr", nullptr,
         "Программа прервана\nОшибка в загрузке спрайтов data\\images\\grant.spr: the file cannot be "
         "opened"_cp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        SetUp();  // a fresh display: the report of the case before released it
        std::filesystem::remove(c.file);
        if (c.contents != nullptr) {
            FILE* f = std::fopen(c.file, "wb");
            ASSERT_NE(f, nullptr);
            std::fputs(c.contents, f);
            std::fclose(f);
        }
        unit_count = 3;
        EXPECT_FALSE(load_unit_sprites());
        for (int race = 0; race < race_count; ++race)
            for (int team = 0; team < team_count; ++team)
                EXPECT_EQ(unit_images[race][team], -1);
        EXPECT_EQ(unit_count, 3) << "the unit table is left alone";
        ASSERT_EQ(headless_box_count(), 1);
        EXPECT_STREQ(headless_box_text(0), c.report);
    }
}

TEST_F(SpriteLoading, TreeFramesFillEntriesOneToFifteen)
{
    struct case_row {
        int frames;
        int filled;
    } cases[] = {{0, 0}, {5, 5}, {15, 15}, {17, 15}};
    for (const case_row& c : cases) {
        clear_frames();
        frame_count = c.frames;
        for (int i = 1; i <= c.frames; ++i)
            frame_table[i] = {9, i, -i, 2 * i, 3 * i, 4 * i, 5 * i};
        ASSERT_TRUE(save_frame_file("tree"));
        clear_frames();
        tree_table[15] = {1, 1, 1, 1, 1, 1, 1};
        EXPECT_TRUE(load_tree_frames(42));
        EXPECT_EQ(tree_table[0].height, 0);
        for (int n = 1; n < tree_table_size; ++n) {
            const tree_entry& e = tree_table[n];
            if (n <= c.filled) {
                EXPECT_EQ(e.image, 42);
                EXPECT_EQ(e.offset_x, n);
                EXPECT_EQ(e.offset_y, -n);
                EXPECT_EQ(e.x, 2 * n);
                EXPECT_EQ(e.y, 3 * n);
                EXPECT_EQ(e.width, 4 * n);
                EXPECT_EQ(e.height, 5 * n);
            } else {
                EXPECT_EQ(e.height, 0) << c.frames << " frames, entry " << n;
            }
        }
    }
    std::filesystem::remove("data/images/tree.frm");
    EXPECT_FALSE(load_tree_frames(42));
    EXPECT_EQ(tree_table[1].height, 0);
}

}  // namespace
