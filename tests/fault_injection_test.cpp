// Saves that survive faults: for every saver of the program (map, frame,
// roll and sprite files, 8-bit BMP) a write that stops half way, a disk
// that fills up at any point and a rename that fails each make the save
// return false, leave the file that was there before intact byte for byte
// (or no file, if there was none) and leave no temporary file behind. With
// the fault gone the same save succeeds and reads back.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/file_access.h"
#include "render/bmp.h"
#include "render_fixture.h"
#include "sprites/sprite_data.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

namespace fs = std::filesystem;
using namespace render_test;

namespace {

using bytes = std::vector<uint8_t>;

bytes read_all(const std::string& path)
{
    static uint8_t buffer[1 << 20];
    int64_t n = read_whole_file(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? bytes {} : bytes(buffer, buffer + n);
}

void write_all(const std::string& path, const bytes& b)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

void no_faults()
{
    inject_write_failure(0);
    inject_disk_full(-1);
    inject_rename_failure(false);
}

// One saver under test.
struct saver {
    const char* what;
    std::string path;               // the file it writes, '/' separated
    std::function<void()> prepare;  // puts what it saves into the tables
    std::function<bool()> save;
    std::function<int64_t()> size;  // the size of the file it writes
    int writes;                     // write_bytes calls of one save
    std::function<bool()> reads_back;  // the saved file loads as what was saved
};

// One fault, armed just before the save.
struct fault {
    const char* what;
    std::function<void(int64_t size, int writes)> arm;
};

const fault faults[] = {
    {"the first write stops half way", [](int64_t, int) { inject_write_failure(1); }},
    {"the last write stops half way", [](int64_t, int writes) { inject_write_failure(writes); }},
    {"the disk is full from the start", [](int64_t, int) { inject_disk_full(0); }},
    {"the disk fills up half way", [](int64_t size, int) { inject_disk_full(size / 2); }},
    {"the disk is one byte short", [](int64_t size, int) { inject_disk_full(size - 1); }},
    {"the rename fails", [](int64_t, int) { inject_rename_failure(true); }},
};

class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override
    {
        // 8 bits per pixel, so that save_bmp8 has a surface to write.
        ASSERT_TRUE(start(800, 600, 8));
        fs::create_directories("data/map");
        fs::create_directories("data/images");
        no_faults();
        image = create_image_surface(37, 5);  // rows padded from 37 to 40 bytes
        ASSERT_NE(image, nullptr);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 37; ++x)
                image->pixels[y * image->pitch + x] = static_cast<uint8_t>(x * 7 + y);
    }

    void TearDown() override
    {
        no_faults();
        release_surface(image);
        release_display();
    }

    surface* image = nullptr;

    std::vector<saver> savers()
    {
        surface* s = image;
        return {
            {"map", "data/map/fault.map",
             [] {
                 map_width = 5, map_height = 3;
                 for (int x = 0; x < 5; ++x)
                     for (int y = 0; y < 3; ++y)
                         terrain_layer[x][y] = terrain_cell {2, 3, 32 * (x % 4), 32 * y};
                 std::memset(object_layer, 0, sizeof object_layer);
                 object_layer[4][2] = object_cell {3, 2, 200};
                 std::memset(unit_table, 0, sizeof unit_table);
                 unit_count = 1;
             },
             [] { return save_map("fault"); }, [] { return map_file_size(5, 3, 1); }, 1,
             [] { return load_map("fault") && object_layer[4][2].value == 200; }},
            {"frame file", "data/images/fault.frm",
             [] {
                 frame_count = 3;
                 frame_table[3] = frame_record {1, -2, -3, 4, 5, 6, 7};
             },
             [] { return save_frame_file("fault"); },
             [] { return sprite_file_size(file_kind_frames, 3); }, 1,
             [] { return load_frame_file("fault") && frame_table[3].offset_y == -3; }},
            {"roll file", "data/images/fault.roll",
             [] {
                 frame_count = 2;
                 roll_table[63][15] = 2;
             },
             [] { return save_roll_file("fault"); },
             [] { return sprite_file_size(file_kind_rolls, 2); }, 1,
             [] { return load_roll_file("fault") && roll_table[63][15] == 2; }},
            {"sprite file", "data/images/fault.spr",
             [] {
                 frame_count = 1;
                 for (auto& row : sprite_table)
                     for (int32_t& e : row)
                         e = 5;
             },
             [] { return save_sprite_file("fault"); },
             [] { return sprite_file_size(file_kind_sprites, 1); }, 1,
             [] { return load_sprite_file("fault") && sprite_table[7][7] == 5; }},
            // The header, then one write per row.
            {"8-bit BMP", "data/images/fault.bmp", [] {},
             [s] { return save_bmp8(37, 5, s, "data\\images\\fault.bmp"); },
             [] { return int64_t {1078 + 5 * 40}; }, 1 + 5,
             [] {
                 int32_t w = 0, h = 0;
                 return read_bmp_size(w, h, "data\\images\\fault.bmp") && w == 37 && h == 5;
             }},
        };
    }
};

TEST_F(FaultInjection, EveryFaultKeepsThePreviousFileByteForByte)
{
    const bytes previous = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e', 0, 1, 2, 255};
    for (const saver& sv : savers())
        for (const fault& f : faults) {
            SCOPED_TRACE(std::string(sv.what) + ": " + f.what);
            write_all(sv.path, previous);
            sv.prepare();
            f.arm(sv.size(), sv.writes);
            EXPECT_FALSE(sv.save());
            no_faults();
            EXPECT_EQ(read_all(sv.path), previous);
            EXPECT_FALSE(fs::exists(sv.path + ".saving"));
        }
}

TEST_F(FaultInjection, AFailedFirstSaveLeavesNoFile)
{
    for (const saver& sv : savers())
        for (const fault& f : faults) {
            SCOPED_TRACE(std::string(sv.what) + ": " + f.what);
            fs::remove(sv.path);
            sv.prepare();
            f.arm(sv.size(), sv.writes);
            EXPECT_FALSE(sv.save());
            no_faults();
            EXPECT_FALSE(fs::exists(sv.path));
            EXPECT_FALSE(fs::exists(sv.path + ".saving"));
        }
}

TEST_F(FaultInjection, WithoutTheFaultTheSameSaveSucceeds)
{
    // A disk with exactly enough room is no fault; the file is whole and
    // reads back as what was saved.
    for (const saver& sv : savers()) {
        SCOPED_TRACE(sv.what);
        write_all(sv.path, {'o', 'l', 'd'});
        sv.prepare();
        inject_disk_full(sv.size());
        EXPECT_TRUE(sv.save());
        no_faults();
        EXPECT_EQ(static_cast<int64_t>(read_all(sv.path).size()), sv.size());
        EXPECT_FALSE(fs::exists(sv.path + ".saving"));
        EXPECT_TRUE(sv.reads_back());
    }
}

TEST_F(FaultInjection, RefusalReasonsSayTheOldFileIsKept)
{
    for (const auto& [save, reason] :
         std::vector<std::pair<std::function<bool()>, std::function<const char*()>>> {
             {[] { return save_map("fault"); }, map_refusal},
             {[] { return save_roll_file("fault"); }, sprite_data_refusal},
         }) {
        inject_disk_full(10);
        EXPECT_FALSE(save());
        no_faults();
        EXPECT_NE(std::string(reason()).find("old file is kept"), std::string::npos) << reason();
    }
}

}  // namespace
