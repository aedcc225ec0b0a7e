// Both editors over frames whose offsets reach the ends of the 32-bit range
// (a frame file may hold any 32-bit offset): the map editor's view draws
// trees, rocks and units with them, the sprite editor's roll preview and
// sprite-set grid play them and its keys and spinners step them. Nothing
// may overflow on the way (the sanitizer build aborts on a signed
// overflow), and a step at the range's end holds the value there.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "game/world_drawing.h"
#include "input/input_latch.h"
#include "platform/headless/headless.h"
#include "programs/configurations.h"
#include "render/display.h"
#include "render/font.h"
#include "shell/shell.h"
#include "sprite_editor/sprite_editor.h"
#include "world/map.h"
#include "world/units.h"

namespace fs = std::filesystem;

namespace {

// The offsets of frames 1..8, in pairs (x, y): the ends of the 16-bit and
// the 32-bit range.
struct offsets {
    int32_t x, y;
};
const offsets extreme[8] = {
    {32767, -32767},          {-32767, 32767},    {INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MAX},
    {INT32_MAX, INT32_MAX},   {INT32_MIN, INT32_MIN}, {-32768, 32768},
    {INT32_MAX - 1, INT32_MIN + 1},
};

using bytes = std::vector<uint8_t>;

void put(bytes& b, uint32_t v, int n)
{
    for (int i = 0; i < n; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// count frames cycling through the extreme offsets, each a 32 x 32 square
// at the image's corner; a sprite file's records keep a one-byte delay.
bytes frame_block(int count, bool sprite_file)
{
    bytes b;
    put(b, count, 2);
    for (int i = 0; i < count; ++i) {
        put(b, 0, sprite_file ? 1 : 2);
        put(b, static_cast<uint32_t>(extreme[i % 8].x), 4);
        put(b, static_cast<uint32_t>(extreme[i % 8].y), 4);
        put(b, 0, 2), put(b, 0, 2), put(b, 32, 2), put(b, 32, 2);
    }
    return b;
}

// A sprite file of the eight frames: roll 0 plays them all, roll r (1..8)
// holds frame r alone, and every action faces direction d with roll d.
bytes sprite_file()
{
    bytes b = frame_block(8, true);
    for (int roll = 0; roll < 64; ++roll)
        for (int slot = 0; slot < 16; ++slot)
            put(b, roll == 0 ? (slot < 8 ? slot + 1 : 0) : (roll <= 8 && slot == 0 ? roll : 0), 2);
    for (int action = 0; action < 8; ++action)
        for (int direction = 0; direction < 8; ++direction)
            put(b, direction, 4);
    return b;
}

void write(const fs::path& path, const bytes& b)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

// The pass after which the loop is asked to stop, and a check after one pass.
int32_t last_pass = 0;
int32_t check_pass = -1;
void (*check)() = nullptr;

void after_pass(int32_t pass, void*)
{
    if (pass == check_pass && check != nullptr)
        check();
    if (pass >= last_pass)
        quit_requested = 1;
}

// A data folder of the generated data set (linked file by file) whose tree
// frames and unit sprite sets are the extreme ones, with the sprite file
// "extreme" beside them; each test runs inside it.
class ExtremeOffsets : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path source = BRASK_DATA_DIR;
        fs::remove_all("extreme");
        for (const auto& entry : fs::recursive_directory_iterator(source)) {
            if (!entry.is_regular_file())
                continue;
            const fs::path link = fs::path("extreme/data") / fs::relative(entry.path(), source);
            fs::create_directories(link.parent_path());
            fs::create_symlink(entry.path(), link);
        }
        for (const char* name : {"tree.frm", "grant.spr", "footman.spr"})
            fs::remove(fs::path("extreme/data/images") / name);
        write("extreme/data/images/tree.frm", frame_block(15, false));
        write("extreme/data/images/grant.spr", sprite_file());
        write("extreme/data/images/footman.spr", sprite_file());
        write("extreme/data/images/extreme.spr", sprite_file());
        ASSERT_EQ(chdir("extreme"), 0);

        headless_reset();
        headless_echo_boxes(false);
        quit_requested = 0;
        reset_input_latch();
        font_slot_b = font_slot_w = -1;
        for (int32_t& slot : tile_slots)
            slot = -1;
        tree_slot = -1;
        check = nullptr;
        check_pass = -1;
    }

    void TearDown() override { ASSERT_EQ(chdir(".."), 0); }

    // Runs a configuration through the entry over the script for passes.
    static void run(const configuration& config, const std::string& script, int32_t passes)
    {
        int line = 0;
        const char* error = "";
        ASSERT_TRUE(headless_load_script(script.c_str(), line, error)) << line << ": " << error;
        last_pass = passes;
        headless_set_pass_hook(after_pass, nullptr);
        run_entry(config);
        end_process();
        headless_set_pass_hook(nullptr, nullptr);
        EXPECT_EQ(headless_box_count(), 0);
        EXPECT_GE(headless_pass(), passes);
    }
};

// Trees and rocks of every frame (a held brush keeps drawing new ones) and
// units facing every direction, all drawn in the map view.
TEST_F(ExtremeOffsets, MapEditorViewDrawsThem)
{
    std::string s;
    auto tool = [&s](int pass, int x, int y) {
        s += std::to_string(pass) + " click " + std::to_string(x) + " " + std::to_string(y) + "\n";
    };
    // A cell of the view held down from pass to pass + held.
    auto hold_cell = [&s](int pass, int column, int row, int held) {
        s += std::to_string(pass) + " move " + std::to_string(256 + 32 * column + 16) + " " +
             std::to_string(32 * row + 16) + "\n";
        s += std::to_string(pass) + " ldown\n" + std::to_string(pass + held) + " lup\n";
    };
    tool(1, 125, 347);  // tree
    hold_cell(2, 2, 2, 8);
    tool(11, 125, 367);  // rock
    hold_cell(12, 4, 2, 8);
    tool(21, 125, 397);  // the hero
    hold_cell(22, 0, 0, 1);
    tool(24, 80, 427);  // grunts
    for (int i = 0; i < 8; ++i)
        hold_cell(25 + 2 * i, 6 + i, 1 + i, 1);
    tool(42, 80, 447);  // footmen
    for (int i = 0; i < 8; ++i)
        hold_cell(43 + 2 * i, 1 + i, 6 + i, 1);
    run(map_editor_configuration, s, 70);

    EXPECT_EQ(tree_table[5].offset_x, INT32_MAX);
    EXPECT_EQ(tree_table[14].offset_y, INT32_MIN);
    EXPECT_EQ(unit_count, 17);
    EXPECT_EQ(object_layer[2][2].kind, object_tree);
    EXPECT_EQ(object_layer[4][2].kind, object_rock);
}

// The sprite set "extreme" opened: every roll plays in the grid and the
// action strip; then in the roll editor the offset keys and spinners push
// the frames at the range's ends further, and roll 0 plays through all
// eight in the preview.
TEST_F(ExtremeOffsets, SpriteEditorPreviewsPlayAndStepThem)
{
    const std::string s =
        "1 click 60 32\n2 type grant\n8 key down enter\n9 key up enter\n"  // open image
        "11 click 204 77\n12 click 127 112\n"                             // open sprites:
        "13 char 8\n14 char 8\n15 char 8\n16 char 8\n17 char 8\n"           // not "grant"
        "18 type extreme\n26 key down enter\n27 key up enter\n"
        "60 click 126 77\n62 click 200 470\n"                              // rolls, offsets
        "63 key down right\n63 key down down\n66 key up right\n66 key up down\n"
        "68 type xxxx\n"                                                   // slot 4: frame 5
        "73 key down right\n73 key down down\n76 key up right\n76 key up down\n"
        "78 char 120\n"                                                    // slot 5: frame 6
        "80 key down left\n80 key down up\n83 key up left\n83 key up up\n"
        "85 click 64 467\n86 click 54 492\n"                               // spinners of frame 3
        "88 char 32\n"                                                     // roll 0 plays
        "130 click 204 77\n";                                              // the grid again
    check_pass = 40;
    check = [] {
        for (int i = 1; i <= 8; ++i) {
            EXPECT_EQ(frame_table[i].offset_x, extreme[i - 1].x) << "frame " << i;
            EXPECT_EQ(frame_table[i].offset_y, extreme[i - 1].y) << "frame " << i;
        }
        current_frame = 3;
    };
    run(sprite_editor_configuration, s, 160);

    EXPECT_EQ(frame_table[1].offset_x, 32767 + 3);
    EXPECT_EQ(frame_table[1].offset_y, -32767 + 3);
    EXPECT_EQ(frame_table[5].offset_x, INT32_MAX);
    EXPECT_EQ(frame_table[5].offset_y, INT32_MAX);
    EXPECT_EQ(frame_table[6].offset_x, INT32_MIN);
    EXPECT_EQ(frame_table[6].offset_y, INT32_MIN);
    EXPECT_EQ(frame_table[3].offset_x, INT32_MAX);
    EXPECT_EQ(frame_table[3].offset_y, INT32_MIN);
}

}  // namespace
