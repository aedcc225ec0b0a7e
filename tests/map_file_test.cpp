#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/file_access.h"
#include "core/random.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

namespace fs = std::filesystem;

namespace {

using bytes = std::vector<uint8_t>;

// Everything a load may change, copied whole so that a refused load can be
// shown to have changed nothing.
struct world_copy {
    terrain_cell terrain[max_map_size][max_map_size];
    object_cell objects[max_map_size][max_map_size];
    unit units[max_units];
    int32_t count, width, height;

    static std::unique_ptr<world_copy> take()
    {
        auto copy = std::make_unique<world_copy>();
        std::memcpy(copy->terrain, terrain_layer, sizeof terrain_layer);
        std::memcpy(copy->objects, object_layer, sizeof object_layer);
        std::memcpy(copy->units, unit_table, sizeof unit_table);
        copy->count = unit_count;
        copy->width = map_width;
        copy->height = map_height;
        return copy;
    }

    bool same_as_now() const
    {
        return std::memcmp(terrain, terrain_layer, sizeof terrain) == 0 &&
               std::memcmp(objects, object_layer, sizeof objects) == 0 &&
               std::memcmp(units, unit_table, sizeof units) == 0 && count == unit_count &&
               width == map_width && height == map_height;
    }
};

bytes read_file(const std::string& path)
{
    static uint8_t buffer[1 << 20];
    int64_t n = read_whole_file(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? bytes {} : bytes(buffer, buffer + n);
}

void write_file(const std::string& path, const bytes& data)
{
    file_id f = open_write(path.c_str());
    ASSERT_NE(f, invalid_file);
    if (!data.empty()) {
        EXPECT_EQ(write_bytes(f, data.data(), static_cast<int>(data.size())),
                  static_cast<int>(data.size()));
    }
    close_file(f);
}

// A hand-made map file of width x height cells and units slots, every value
// inside its limits and most of them different, so that a field read into
// the wrong place or a swapped x and y shows. Each unit stands on an object
// cell that names it; the hero (slot 1) alone is in team 1.
struct file_builder {
    int w, h, n;
    bytes data;

    file_builder(int width, int height, int units) : w(width), h(height), n(units)
    {
        data.assign(map_file_size(w, h, n), 0);
        set(0, w);
        set(2, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int k = (x + 3 * y) % 7;
                terrain(x, y, 0, k);
                terrain(x, y, 1, (k + 2) % 7);
                terrain(x, y, 2, 32 * ((x + y) % 4));
                terrain(x, y, 3, 32 * ((2 * x + y) % 5));
            }
        set(4 + 14 * w * h, n);
        for (int s = 1; s <= n; ++s) {
            const int fields[16] = {1, s % 2, s == 1 ? 1 : 2 + s % 6, 1, 4, 600 + s, 590 + s, 7, 9,
                                    4, 10, s % 8, s % w, (s + 1) % h, 32 * (s % w),
                                    32 * ((s + 1) % h)};
            for (int f = 0; f < 16; ++f)
                unit_field(s, f, fields[f]);
            object(s % w, (s + 1) % h, object_unit, s, 0);
        }
    }

    void set(int64_t at, int value)
    {
        data[at] = static_cast<uint8_t>(value);
        data[at + 1] = static_cast<uint8_t>(value >> 8);
    }
    void terrain(int x, int y, int field, int value) { set(4 + 8 * (y * w + x) + 2 * field, value); }
    void object(int x, int y, int kind, int index, int value)
    {
        int64_t at = 4 + 8 * w * h + 6 * (y * w + x);
        set(at, kind);
        set(at + 2, index);
        set(at + 4, value);
    }
    void unit_field(int slot, int field, int value)
    {
        set(6 + 14 * w * h + 32 * (slot - 1) + 2 * field, value);
    }
};

class MapFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all("data/map");
        fs::create_directories("data/map");
        clear_layers();
        clear_units();
        map_width = map_height = max_map_size;
        for (int race = 0; race < race_count; ++race)
            for (int team = 0; team < team_count; ++team)
                unit_images[race][team] = 100 + 10 * race + team;
        unit_images[race_orc][5] = -1;  // a sheet that was never loaded
        set_random_state(1);
    }
    void TearDown() override { inject_write_failure(0); }

    // A small edited map: a few trees and rocks, the hero and two units
    // standing on their cells.
    static void make_map(int width, int height)
    {
        map_width = width;
        map_height = height;
        ASSERT_TRUE(new_map(terrain_grass));
        terrain_layer[3][2] = {terrain_sand, terrain_grass, 96, 128};
        object_layer[1][1] = {object_tree, 5, 309};
        object_layer[2][7] = {object_rock, 11, 140};
        place_hero(4, 5);
        object_layer[4][5] = {object_unit, 1, 0};
        int s = spawn_unit(width - 1, height - 1, kind_code_footman, 2);
        object_layer[width - 1][height - 1] = {object_unit, s, 0};
        s = spawn_unit(0, 9, kind_code_grunt, 3);
        object_layer[0][9] = {object_unit, s, 0};
    }
};

TEST_F(MapFile, SavedSizeIsHeaderCellsAndUnitSlots)
{
    make_map(32, 32);
    ASSERT_TRUE(save_map("small"));
    EXPECT_EQ(read_file("data/map/small.map").size(), 6u + 14 * 1024 + 32 * 3);
    EXPECT_STREQ(map_refusal(), "");
}

TEST_F(MapFile, UnplacedHeroIsStoredAsAnEmptySlot)
{
    map_width = map_height = 32;
    ASSERT_TRUE(new_map(terrain_stone));
    ASSERT_TRUE(save_map("empty"));
    bytes file = read_file("data/map/empty.map");
    ASSERT_EQ(file.size(), 6u + 14 * 1024 + 32);
    size_t count_at = 4 + 14 * 1024;
    EXPECT_EQ(file[count_at], 1);
    EXPECT_EQ(file[count_at + 1], 0);
    EXPECT_EQ(bytes(file.begin() + count_at + 2, file.end()), bytes(32, 0));
}

TEST_F(MapFile, LoadingASmallMapKeepsCellsOutsideIt)
{
    make_map(32, 32);
    ASSERT_TRUE(save_map("small"));
    map_width = map_height = max_map_size;
    terrain_layer[32][0] = {6, 5, 64, 96};
    terrain_layer[0][32] = {2, 3, 32, 32};
    object_layer[100][100] = {object_tree, 3, 200};
    ASSERT_TRUE(load_map("small"));
    EXPECT_EQ(map_width, 32);
    EXPECT_EQ(map_height, 32);
    EXPECT_EQ(terrain_layer[32][0].tile_set, 5);
    EXPECT_EQ(terrain_layer[0][32].tile_y, 32);
    EXPECT_EQ(object_layer[100][100].index, 3);
    EXPECT_EQ(terrain_layer[3][2].tile_y, 128);
    EXPECT_EQ(unit_count, 3);
}

TEST_F(MapFile, SaveAfterLoadReproducesTheFileByteForByte)
{
    // A non-square hand-made file with objects of every kind and values up
    // to the largest the editor writes.
    file_builder b(5, 3, 4);
    b.object(0, 0, object_tree, 1, 140);
    b.object(4, 0, object_rock, 15, 309);
    b.unit_field(2, 5, 4064);
    write_file("data/map/made.map", b.data);
    ASSERT_TRUE(load_map("made")) << map_refusal();
    EXPECT_EQ(map_width, 5);
    EXPECT_EQ(map_height, 3);
    EXPECT_EQ(terrain_layer[4][1].kind, (4 + 3) % 7);
    EXPECT_EQ(object_layer[4][0].index, 15);
    EXPECT_EQ(object_layer[4][2].index, 4);
    EXPECT_EQ(unit_table[2].max_hit_points, 4064);
    // Each stored number lands in its own field, in the file's order.
    const unit& u = unit_table[3];
    const int32_t got[16] = {u.active, u.race, u.team, u.attack_range, u.sight_range,
                             u.max_hit_points, u.hit_points, u.damage_min, u.damage_max,
                             u.speed, u.step_delay, u.direction, u.cell_x, u.cell_y,
                             u.pixel_x, u.pixel_y};
    const int32_t want[16] = {1, 1, 5, 1, 4, 603, 593, 7, 9, 4, 10, 3, 3, 1, 96, 32};
    for (int f = 0; f < 16; ++f)
        EXPECT_EQ(got[f], want[f]) << "field " << f;
    ASSERT_TRUE(save_map("again"));
    EXPECT_EQ(read_file("data/map/again.map"), b.data);

    // And an edited map saved, loaded and saved again.
    make_map(64, 32);
    ASSERT_TRUE(save_map("first"));
    clear_layers();
    clear_units();
    ASSERT_TRUE(load_map("first"));
    ASSERT_TRUE(save_map("second"));
    EXPECT_EQ(read_file("data/map/first.map"), read_file("data/map/second.map"));
}

TEST_F(MapFile, ImageComesFromRaceAndTeam)
{
    file_builder b(4, 4, 3);
    b.unit_field(1, 1, race_orc);
    b.unit_field(1, 2, 1);
    b.unit_field(2, 1, race_human);
    b.unit_field(2, 2, 5);
    b.unit_field(3, 1, race_orc);
    b.unit_field(3, 2, 5);
    write_file("data/map/teams.map", b.data);
    unit_table[2].image = 7;
    ASSERT_TRUE(load_map("teams"));
    EXPECT_EQ(unit_table[1].image, unit_images[race_orc][1]);
    EXPECT_EQ(unit_table[2].image, unit_images[race_human][5]);
    EXPECT_EQ(unit_table[3].image, -1);  // orc of team 5: no sheet, not drawn
}

TEST_F(MapFile, LoadClearsSlotsAboveTheCountAndStaleBehaviour)
{
    file_builder b(8, 8, 3);
    write_file("data/map/three.map", b.data);
    unit_table[10] = unit {};
    unit_table[10].active = 1;
    unit_table[10].hit_points = 80;
    unit_table[399].active = 1;
    unit_table[2].target = 9;
    unit_table[2].path_length = 5;
    unit_table[2].state = state_pursue;
    unit_count = 12;
    ASSERT_TRUE(load_map("three"));
    EXPECT_EQ(unit_count, 3);
    EXPECT_EQ(unit_table[10].active, 0);
    EXPECT_EQ(unit_table[10].hit_points, 0);
    EXPECT_EQ(unit_table[399].active, 0);
    EXPECT_EQ(unit_table[2].target, 0);
    EXPECT_EQ(unit_table[2].path_length, 0);
    EXPECT_EQ(unit_table[2].state, state_stand);
    EXPECT_EQ(unit_table[2].active, 1);
}

// A map file may keep empty slots inside its stored count, but the game counts
// units down as they die and shows victory at 1: the loader closes the
// slots up, renumbering the cells of the units it moves, and unit_count
// counts slot 1 (the hero's, live or kept for it) and the live units after
// it. An empty slot's stored fields are cleared.
TEST_F(MapFile, EmptySlotsInsideTheCountAreClosedUp)
{
    struct case_row {
        const char* what;
        int stored;                 // slots the file stores
        std::vector<int> empty;     // which of them are empty
        int count;                  // unit_count after the load
        std::vector<int> moved_to;  // the slot each stored slot ends in (0: gone)
    } cases[] = {
        {"nothing to close", 4, {}, 4, {1, 2, 3, 4}},
        {"slot 2 of 4", 4, {2}, 3, {1, 0, 2, 3}},
        {"slots 2 and 4 of 5", 5, {2, 4}, 3, {1, 0, 2, 0, 3}},
        {"the last slot", 3, {3}, 2, {1, 2, 0}},
        {"the hero's slot", 3, {1}, 3, {1, 2, 3}},
        {"every slot", 3, {1, 2, 3}, 1, {1, 0, 0}},
        {"no slot stored", 0, {}, 1, {}},
    };
    for (const case_row& c : cases) {
        SCOPED_TRACE(c.what);
        file_builder b(8, 8, c.stored);
        for (int slot : c.empty) {
            b.unit_field(slot, 0, 0);
            b.unit_field(slot, 12, 500);  // an empty slot's fields mean nothing
            b.object(slot % 8, (slot + 1) % 8, object_none, 0, 0);
        }
        write_file("data/map/gaps.map", b.data);
        clear_units();
        unit_table[7].active = 1;
        ASSERT_TRUE(load_map("gaps")) << map_refusal();
        EXPECT_EQ(unit_count, c.count);
        for (int slot = 1; slot <= c.stored; ++slot) {
            const int to = c.moved_to[slot - 1];
            if (to < 2 && std::find(c.empty.begin(), c.empty.end(), slot) != c.empty.end())
                continue;
            ASSERT_NE(to, 0);
            const unit& u = unit_table[to];
            EXPECT_EQ(u.active, 1) << "slot " << slot;
            EXPECT_EQ(u.max_hit_points, 600 + slot) << "slot " << slot;
            EXPECT_EQ(object_layer[u.cell_x][u.cell_y].index, to) << "slot " << slot;
        }
        static const unit zero {};
        for (int slot = 1; slot < max_units; ++slot) {
            if (unit_table[slot].active == 0) {
                EXPECT_EQ(std::memcmp(&unit_table[slot], &zero, sizeof zero), 0) << "slot " << slot;
            }
        }
        // What is loaded saves as a file that loads to the same world.
        ASSERT_TRUE(save_map("closed")) << map_refusal();
        auto loaded = world_copy::take();
        ASSERT_TRUE(load_map("closed"));
        EXPECT_TRUE(loaded->same_as_now());
    }
}

// Every refusal: the file as made, with one change, is refused, the world
// stays exactly as it was, and the reason names the fault.
TEST_F(MapFile, DamagedFilesAreRefusedAndChangeNothing)
{
    constexpr int W = 6, H = 4, N = 3;
    struct refusal_case {
        const char* what;
        void (*damage)(file_builder&);
        const char* reason;
    };
    const refusal_case cases[] = {
        {"empty file", [](file_builder& b) { b.data.clear(); }, "size is 0 bytes"},
        {"one byte short", [](file_builder& b) { b.data.pop_back(); },
         "size is 437 bytes, expected 438 for a 6x4 map with 3 units"},
        {"one byte extra", [](file_builder& b) { b.data.push_back(0); }, "size is 439 bytes"},
        {"cut inside the cells", [](file_builder& b) { b.data.resize(100); },
         "too short for a 6x4 map"},
        {"far too large", [](file_builder& b) { b.data.resize(300000); },
         "more than the largest map file"},
        {"width 0", [](file_builder& b) { b.set(0, 0); }, "width 0 is outside 1..128"},
        {"width 129", [](file_builder& b) { b.set(0, 129); }, "width 129"},
        {"height 0", [](file_builder& b) { b.set(2, 0); }, "height 0"},
        {"height 129", [](file_builder& b) { b.set(2, 129); }, "height 129"},
        {"unit count 400", [](file_builder& b) { b.set(4 + 14 * W * H, 400); },
         "unit count 400"},
        {"terrain kind 7", [](file_builder& b) { b.terrain(5, 3, 0, 7); },
         "terrain cell (5, 3) has kind 7"},
        {"tile set 9", [](file_builder& b) { b.terrain(2, 1, 1, 9); }, "tile set 9"},
        {"tile x 16", [](file_builder& b) { b.terrain(0, 0, 2, 16); }, "tile x 16"},
        {"tile x 128", [](file_builder& b) { b.terrain(0, 0, 2, 128); }, "tile x 128"},
        {"tile y 160", [](file_builder& b) { b.terrain(1, 2, 3, 160); },
         "terrain cell (1, 2) has tile y 160"},
        {"tile y 33", [](file_builder& b) { b.terrain(1, 2, 3, 33); }, "tile y 33"},
        {"object kind 2", [](file_builder& b) { b.object(3, 1, 2, 0, 0); },
         "object cell (3, 1) has kind 2"},
        {"object kind 5", [](file_builder& b) { b.object(3, 1, 5, 0, 0); }, "kind 5"},
        {"unit object 0", [](file_builder& b) { b.object(4, 0, object_unit, 0, 0); },
         "names unit 0"},
        {"unit object 400", [](file_builder& b) { b.object(4, 0, object_unit, 400, 0); },
         "names unit 400"},
        {"tree frame 0", [](file_builder& b) { b.object(0, 3, object_tree, 0, 150); },
         "tree frame 0"},
        {"tree frame 16", [](file_builder& b) { b.object(0, 3, object_tree, 16, 150); },
         "tree frame 16"},
        {"rock frame 16", [](file_builder& b) { b.object(0, 3, object_rock, 16, 150); },
         "rock frame 16"},
        {"race 2", [](file_builder& b) { b.unit_field(2, 1, 2); }, "unit 2 has race 2"},
        {"team 8", [](file_builder& b) { b.unit_field(3, 2, 8); }, "unit 3 has team 8"},
        {"direction 8", [](file_builder& b) { b.unit_field(1, 11, 8); }, "direction 8"},
        {"cell x = width", [](file_builder& b) { b.unit_field(2, 12, W); },
         "unit 2 stands at cell (6, "},
        {"cell y = height", [](file_builder& b) { b.unit_field(3, 13, H); },
         "outside the 6x4 map"},
        // Units are at (1, 2), (2, 3) and (3, 0).
        {"active 2", [](file_builder& b) { b.unit_field(2, 0, 2); },
         "unit 2 has active 2, not 0 (an empty slot) or 1 (a unit)"},
        {"cell names an empty slot", [](file_builder& b) { b.unit_field(3, 0, 0); },
         "object cell (3, 0) names unit 3, an empty slot"},
        {"cell names an unstored slot", [](file_builder& b) { b.object(5, 3, object_unit, 9, 0); },
         "object cell (5, 3) names unit 9, but the file stores only units 1..3"},
        {"cell names a unit standing elsewhere",
         [](file_builder& b) { b.object(2, 3, 0, 0, 0), b.object(4, 0, object_unit, 2, 0); },
         "object cell (4, 0) names unit 2, which stands at cell (2, 3)"},
        {"two cells name one unit", [](file_builder& b) { b.object(0, 1, object_unit, 3, 0); },
         "object cells (3, 0) and (0, 1) both name unit 3"},
        {"two units on one cell",
         [](file_builder& b) { b.unit_field(3, 12, 2), b.unit_field(3, 13, 3), b.unit_field(3, 14, 64),
                               b.unit_field(3, 15, 96), b.object(3, 0, 0, 0, 0); },
         "units 2 and 3 both stand at cell (2, 3)"},
        {"unit under a tree", [](file_builder& b) { b.object(1, 2, object_tree, 2, 150); },
         "unit 1 stands at cell (1, 2), but that object cell holds a tree"},
        {"pixel position", [](file_builder& b) { b.unit_field(2, 15, 95); },
         "unit 2 at cell (2, 3) has pixel position (64, 95), not (64, 96)"},
        {"second unit in team 1", [](file_builder& b) { b.unit_field(3, 2, 1); },
         "unit 3 is in team 1, the hero's, which no other unit may share"},
        {"hero in team 3", [](file_builder& b) { b.unit_field(1, 2, 3); },
         "unit 1, the hero, is in team 3, not 1"},
        {"hero's cell with no unit stored",
         [](file_builder& b) {
             file_builder none(W, H, 0);
             none.object(1, 2, object_unit, 1, 0);
             b.data = none.data;
         },
         "object cell (1, 2) names unit 1, but the file stores no units"},
    };

    // A world that differs from every file: an earlier 128 x 128 map.
    make_map(max_map_size, max_map_size);
    unit_table[50].active = 1;  // a slot above the count, which a load would clear
    for (const refusal_case& c : cases) {
        SCOPED_TRACE(c.what);
        file_builder b(W, H, N);
        c.damage(b);
        write_file("data/map/bad.map", b.data);
        auto before = world_copy::take();
        EXPECT_FALSE(load_map("bad"));
        EXPECT_TRUE(before->same_as_now());
        EXPECT_NE(std::string(map_refusal()).find(c.reason), std::string::npos)
            << "reason: " << map_refusal();
    }

    // The undamaged file loads.
    write_file("data/map/bad.map", file_builder(W, H, N).data);
    EXPECT_TRUE(load_map("bad"));
    EXPECT_EQ(map_width, W);
}

// The editor saves nothing the loader would refuse: a map that contradicts
// itself is refused with the loader's reason and the old file stays.
TEST_F(MapFile, AMapThatContradictsItselfIsNotSaved)
{
    struct spoil_case {
        const char* what;
        void (*spoil)();
        const char* reason;
    } cases[] = {
        {"the hero gone, its cell left", [] { unit_table[1].active = 0; },
         "object cell (4, 5) names unit 1, an empty slot"},
        {"a cell naming a slot beyond the count",
         [] { object_layer[6][6] = {object_unit, unit_count + 1, 0}; },
         "object cell (6, 6) names unit 4, but the file stores only units 1..3"},
        {"a unit off its cell", [] { unit_table[2].cell_x -= 1, unit_table[2].pixel_x -= 32; },
         "object cell (31, 31) names unit 2, which stands at cell (30, 31)"},
        {"a grunt in the hero's team", [] { unit_table[3].team = hero_team; },
         "unit 3 is in team 1, the hero's"},
    };
    for (const spoil_case& c : cases) {
        SCOPED_TRACE(c.what);
        make_map(32, 32);
        ASSERT_TRUE(save_map("kept"));
        const bytes old_file = read_file("data/map/kept.map");
        c.spoil();
        EXPECT_FALSE(save_map("kept"));
        EXPECT_NE(std::string(map_refusal()).find(c.reason), std::string::npos)
            << "reason: " << map_refusal();
        EXPECT_EQ(read_file("data/map/kept.map"), old_file);
        EXPECT_FALSE(fs::exists("data/map/kept.map.saving"));
    }
}

TEST_F(MapFile, NamesRefusedBeforeAnyFileIsTouched)
{
    make_map(32, 32);
    const std::string fits(46, 'n');
    const std::string too_long(47, 'n');
    ASSERT_TRUE(save_map(fits.c_str()));
    EXPECT_TRUE(fs::exists("data/map/" + fits + ".map"));
    EXPECT_TRUE(load_map(fits.c_str()));

    auto before = world_copy::take();
    EXPECT_FALSE(save_map(too_long.c_str()));
    EXPECT_NE(std::string(map_refusal()).find("47 characters"), std::string::npos);
    EXPECT_FALSE(load_map(too_long.c_str()));
    EXPECT_FALSE(save_map(""));
    EXPECT_FALSE(load_map(""));
    EXPECT_FALSE(load_map("missing"));
    EXPECT_NE(std::string(map_refusal()).find("cannot be opened"), std::string::npos);
    EXPECT_TRUE(before->same_as_now());
    int files = 0;
    for (const auto& entry : fs::directory_iterator("data/map")) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(MapFile, FailedSaveKeepsTheOldFile)
{
    make_map(32, 32);
    ASSERT_TRUE(save_map("keep"));
    bytes old_file = read_file("data/map/keep.map");
    object_layer[5][5] = {object_tree, 2, 200};
    inject_write_failure(1);
    EXPECT_FALSE(save_map("keep"));
    EXPECT_NE(std::string(map_refusal()).find("old file is kept"), std::string::npos);
    EXPECT_EQ(read_file("data/map/keep.map"), old_file);
    EXPECT_FALSE(fs::exists("data/map/keep.map.saving"));

    // With no folder to write into, nothing is created.
    fs::remove_all("data/map");
    EXPECT_FALSE(save_map("keep"));
    EXPECT_FALSE(fs::exists("data/map"));
}

TEST_F(MapFile, NewMapDrawsOneTilePerCellRowsOuter)
{
    map_width = 5;
    map_height = 3;
    terrain_layer[5][0] = {1, 1, 32, 0};
    terrain_layer[0][3] = {6, 6, 96, 64};
    object_layer[90][90] = {object_rock, 12, 150};
    unit_table[7].active = 1;
    unit_count = 7;

    set_random_state(12345);
    ASSERT_TRUE(new_map(terrain_mud));
    const uint32_t after = random_state();

    set_random_state(12345);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            SCOPED_TRACE(testing::Message() << "cell " << x << "," << y);
            int column = random_range(0, 4);
            EXPECT_EQ(terrain_layer[x][y].kind, terrain_mud);
            EXPECT_EQ(terrain_layer[x][y].tile_set, terrain_mud);
            EXPECT_EQ(terrain_layer[x][y].tile_x, 32 * column);
            EXPECT_EQ(terrain_layer[x][y].tile_y, 0);
        }
    EXPECT_EQ(random_state(), after);  // exactly one draw per cell

    // Cells outside keep their terrain; objects and units go everywhere.
    EXPECT_EQ(terrain_layer[5][0].kind, 1);
    EXPECT_EQ(terrain_layer[0][3].tile_y, 64);
    EXPECT_EQ(object_layer[90][90].kind, object_none);
    EXPECT_EQ(unit_table[7].active, 0);
    EXPECT_EQ(unit_count, 1);

    // The same generator state gives the same layer.
    auto first = world_copy::take();
    set_random_state(12345);
    ASSERT_TRUE(new_map(terrain_mud));
    EXPECT_TRUE(first->same_as_now());

    EXPECT_FALSE(new_map(7));
    EXPECT_FALSE(new_map(-1));
    EXPECT_TRUE(first->same_as_now());
}

}  // namespace
