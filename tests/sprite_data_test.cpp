#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/file_access.h"
#include "sprites/sprite_data.h"

namespace fs = std::filesystem;
using bytes = std::vector<uint8_t>;

namespace {

// Every file these tests write is data/images/sdt_*, below the working folder.
const char* const folder = "data/images/";

std::string path_of(const std::string& name, const char* extension)
{
    return folder + name + extension;
}

bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const bytes& data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// Everything a load, save or reset may touch, for before/after comparisons.
struct tables {
    frame_record frames[frame_table_size];
    int32_t counts[2];  // frame_count, current_frame
    int32_t rolls[roll_count][roll_slot_count];
    int32_t roll_selection[2];  // current_roll, current_slot
    int32_t sprites[sprite_action_count][sprite_direction_count];
    int32_t sprite_selection[3];  // current_action, current_direction, total_delay

    static tables take()
    {
        tables t;
        std::memcpy(t.frames, frame_table, sizeof frame_table);
        t.counts[0] = frame_count;
        t.counts[1] = current_frame;
        std::memcpy(t.rolls, roll_table, sizeof roll_table);
        t.roll_selection[0] = current_roll;
        t.roll_selection[1] = current_slot;
        std::memcpy(t.sprites, sprite_table, sizeof sprite_table);
        t.sprite_selection[0] = current_action;
        t.sprite_selection[1] = current_direction;
        t.sprite_selection[2] = total_delay;
        return t;
    }
    bool operator==(const tables& other) const { return std::memcmp(this, &other, sizeof *this) == 0; }
};

// A state in which every table holds something, frame 0 included.
void fill_pattern()
{
    for (int i = 0; i < frame_table_size; ++i)
        frame_table[i] = {i % 7, -i, 2 * i, i, i + 1, i % 50, i % 60 + 1};
    frame_count = 5;
    current_frame = 3;
    for (int r = 0; r < roll_count; ++r) {
        for (int s = 0; s < roll_frame_slots; ++s)
            roll_table[r][s] = (r * 16 + s) % frame_table_size;
        roll_table[r][16] = 0;
    }
    current_roll = 7;
    current_slot = 9;
    for (int a = 0; a < sprite_action_count; ++a)
        for (int d = 0; d < sprite_direction_count; ++d)
            sprite_table[a][d] = (a * 8 + d) % 65 - 1;
    current_action = 2;
    current_direction = 5;
    total_delay = 33;
}

bool save_kind(sprite_file_kind kind, const char* name)
{
    switch (kind) {
    case file_kind_frames: return save_frame_file(name);
    case file_kind_rolls: return save_roll_file(name);
    case file_kind_sprites: return save_sprite_file(name);
    }
    return false;
}

bool load_kind(sprite_file_kind kind, const char* name)
{
    switch (kind) {
    case file_kind_frames: return load_frame_file(name);
    case file_kind_rolls: return load_roll_file(name);
    case file_kind_sprites: return load_sprite_file(name);
    }
    return false;
}

const char* extension(sprite_file_kind kind)
{
    return kind == file_kind_frames ? ".frm" : kind == file_kind_rolls ? ".roll" : ".spr";
}

const sprite_file_kind all_kinds[] = {file_kind_frames, file_kind_rolls, file_kind_sprites};

class SpriteData : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(folder);
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().rfind("sdt_", 0) == 0)
                fs::remove_all(entry.path());
        clear_sprites();
        current_slot = 0;
        total_delay = initial_total_delay;
    }
    void TearDown() override
    {
        inject_write_failure(0);
        inject_rename_failure(false);
    }
};

TEST_F(SpriteData, OneFrameInEachKindOfFile)
{
    frame_count = 1;
    frame_table[1] = {3, -10, -20, 64, 0, 32, 48};
    const bytes long_record = {0x03, 0x00, 0xF6, 0xFF, 0xFF, 0xFF, 0xEC, 0xFF, 0xFF,
                               0xFF, 0x40, 0x00, 0x00, 0x00, 0x20, 0x00, 0x30, 0x00};
    bytes short_record(long_record);
    short_record.erase(short_record.begin() + 1);  // delay takes one byte

    ASSERT_TRUE(save_frame_file("sdt_one"));
    bytes frame_file = {0x01, 0x00};
    frame_file.insert(frame_file.end(), long_record.begin(), long_record.end());
    EXPECT_EQ(read_file(path_of("sdt_one", ".frm")), frame_file);

    ASSERT_TRUE(save_roll_file("sdt_one"));
    bytes roll_file = read_file(path_of("sdt_one", ".roll"));
    ASSERT_EQ(roll_file.size(), 2050u + 18);
    EXPECT_EQ(bytes(roll_file.begin(), roll_file.begin() + 20), frame_file);

    ASSERT_TRUE(save_sprite_file("sdt_one"));
    bytes sprite_file = read_file(path_of("sdt_one", ".spr"));
    ASSERT_EQ(sprite_file.size(), 2306u + 17);
    EXPECT_EQ(bytes(sprite_file.begin() + 2, sprite_file.begin() + 19), short_record);
    EXPECT_EQ(sprite_data_refusal(), std::string());
}

TEST_F(SpriteData, EmptyTablesGiveTheBareSizes)
{
    // clear_sprites leaves every entry without a roll: the sprite block is all FF.
    const size_t sizes[] = {2, 2050, 2306};
    for (sprite_file_kind kind : all_kinds) {
        ASSERT_TRUE(save_kind(kind, "sdt_empty"));
        bytes file = read_file(path_of("sdt_empty", extension(kind)));
        ASSERT_EQ(file.size(), sizes[kind]);
        size_t zeros = kind == file_kind_sprites ? 2050 : file.size();
        for (size_t i = 0; i < file.size(); ++i)
            ASSERT_EQ(file[i], i < zeros ? 0x00 : 0xFF) << "kind " << kind << " byte " << i;
    }
}

TEST_F(SpriteData, FieldsNarrowerOnDiskComeBackZeroExtended)
{
    struct row {
        sprite_file_kind kind;
        frame_record saved;
        frame_record loaded;
    };
    const row rows[] = {
        {file_kind_frames, {300, 1, 2, 3, 4, 5, 6}, {300, 1, 2, 3, 4, 5, 6}},
        {file_kind_rolls, {300, 1, 2, 3, 4, 5, 6}, {300, 1, 2, 3, 4, 5, 6}},
        {file_kind_sprites, {300, 1, 2, 3, 4, 5, 6}, {44, 1, 2, 3, 4, 5, 6}},
        {file_kind_frames, {-1, -5, -6, -1, -2, -3, -4}, {65535, -5, -6, 65535, 65534, 65533, 65532}},
        {file_kind_rolls, {-1, -5, -6, -1, -2, -3, -4}, {65535, -5, -6, 65535, 65534, 65533, 65532}},
        {file_kind_sprites, {-1, -5, -6, -1, -2, -3, -4}, {255, -5, -6, 65535, 65534, 65533, 65532}},
        {file_kind_frames, {0, INT32_MIN, INT32_MAX, 65536, 65537, 0, 1}, {0, INT32_MIN, INT32_MAX, 0, 1, 0, 1}},
    };
    for (const row& r : rows) {
        clear_sprites();
        frame_count = 2;
        frame_table[2] = r.saved;
        ASSERT_TRUE(save_kind(r.kind, "sdt_fields"));
        clear_sprites();
        ASSERT_TRUE(load_kind(r.kind, "sdt_fields"));
        EXPECT_EQ(frame_count, 2);
        EXPECT_EQ(std::memcmp(&frame_table[2], &r.loaded, sizeof r.loaded), 0)
            << "kind " << r.kind << " saved delay " << r.saved.delay;
    }
}

TEST_F(SpriteData, LoadReplacesOnlyWhatTheFileHolds)
{
    frame_count = 2;
    frame_table[1] = {1, 1, 1, 1, 1, 1, 1};
    frame_table[2] = {2, 2, 2, 2, 2, 2, 2};
    ASSERT_TRUE(save_frame_file("sdt_two"));
    ASSERT_TRUE(save_roll_file("sdt_two"));

    for (sprite_file_kind kind : {file_kind_frames, file_kind_rolls}) {
        fill_pattern();
        tables before = tables::take();
        ASSERT_TRUE(load_kind(kind, "sdt_two"));
        tables after = tables::take();
        EXPECT_EQ(frame_count, 2);
        EXPECT_EQ(frame_table[2].width, 2);
        // Frame 0 and the frames above the new count keep what they held.
        EXPECT_EQ(std::memcmp(&after.frames[0], &before.frames[0], sizeof(frame_record)), 0);
        EXPECT_EQ(std::memcmp(&after.frames[3], &before.frames[3], sizeof(frame_record) * (frame_table_size - 3)), 0);
        EXPECT_EQ(current_frame, 3);  // selections stay
        EXPECT_EQ(current_roll, 7);
        EXPECT_EQ(std::memcmp(after.sprites, before.sprites, sizeof before.sprites), 0);
        if (kind == file_kind_frames)
            EXPECT_EQ(std::memcmp(after.rolls, before.rolls, sizeof before.rolls), 0);
        else
            EXPECT_EQ(roll_table[5][5], 0);
    }
}

TEST_F(SpriteData, RollsLoadSlotBySlotAndSlot16StaysZero)
{
    // Every stored slot distinct and filled: a loader that treats the table
    // as 64 x 16 would shift rolls and write into slot 16.
    frame_count = 1;
    for (int r = 0; r < roll_count; ++r)
        for (int s = 0; s < roll_frame_slots; ++s)
            roll_table[r][s] = 1 + (r * 16 + s) % max_frame_count;
    for (auto& row : sprite_table)
        for (int32_t& entry : row)
            entry = 63;
    ASSERT_TRUE(save_roll_file("sdt_full"));
    ASSERT_TRUE(save_sprite_file("sdt_full"));
    ASSERT_TRUE(save_frame_file("sdt_full"));
    for (sprite_file_kind kind : all_kinds) {
        clear_sprites();
        ASSERT_TRUE(load_kind(kind, "sdt_full"));
        for (int r = 0; r < roll_count; ++r) {
            for (int s = 0; s < roll_frame_slots; ++s)
                ASSERT_EQ(roll_table[r][s], kind == file_kind_frames ? 0 : 1 + (r * 16 + s) % max_frame_count);
            ASSERT_EQ(roll_table[r][16], 0) << "kind " << kind << " roll " << r;
        }
        EXPECT_EQ(sprite_table[7][7], kind == file_kind_sprites ? 63 : no_roll);
    }
}

TEST_F(SpriteData, FullestFileLoads)
{
    for (int i = 1; i <= max_frame_count; ++i)
        frame_table[i] = {i, -i, i, i, i, i, i};
    frame_count = max_frame_count;
    ASSERT_TRUE(save_roll_file("sdt_max"));
    EXPECT_EQ(fs::file_size(path_of("sdt_max", ".roll")), 2050u + 18u * 1023u);
    clear_sprites();
    ASSERT_TRUE(load_roll_file("sdt_max"));
    EXPECT_EQ(frame_count, max_frame_count);
    EXPECT_EQ(frame_table[1023].offset_x, -1023);
}

// A valid file of the kind with count zero-filled frames, then changed.
bytes made_file(sprite_file_kind kind, int count, const std::function<void(bytes&)>& change = {})
{
    bytes file(static_cast<size_t>(sprite_file_size(kind, count)), 0);
    file[0] = static_cast<uint8_t>(count);
    file[1] = static_cast<uint8_t>(count >> 8);
    if (change)
        change(file);
    return file;
}

void put_i32_at(bytes& file, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST_F(SpriteData, RefusedFilesChangeNothing)
{
    struct row {
        const char* what;
        sprite_file_kind kind;
        bytes file;
        const char* reason;  // a word of the expected reason
    };
    const size_t sprite_block = 2 + 17 + 2048;  // after one frame
    const row rows[] = {
        {"empty file", file_kind_frames, {}, "too short"},
        {"one byte", file_kind_sprites, {0}, "too short"},
        {"count 1024", file_kind_frames, made_file(file_kind_frames, 1024), "above 1023"},
        {"count 65535", file_kind_sprites, made_file(file_kind_sprites, 3, [](bytes& f) { f[0] = f[1] = 0xFF; }), "above 1023"},
        {"a byte short", file_kind_frames, made_file(file_kind_frames, 2, [](bytes& f) { f.pop_back(); }), "shorter"},
        {"a byte long", file_kind_frames, made_file(file_kind_frames, 2, [](bytes& f) { f.push_back(0); }), "longer"},
        {"frame file as roll", file_kind_rolls, made_file(file_kind_frames, 0), "the roll block is missing"},
        {"roll file as sprite", file_kind_sprites, made_file(file_kind_rolls, 0), "the sprite block is missing"},
        {"long records in sprite", file_kind_sprites, made_file(file_kind_sprites, 1, [](bytes& f) { f.push_back(0); }), "longer"},
        {"roll slot 1024", file_kind_rolls, made_file(file_kind_rolls, 0, [](bytes& f) { f[2048] = 0x00; f[2049] = 0x04; }), "roll slot"},
        {"roll slot 65535", file_kind_sprites, made_file(file_kind_sprites, 1, [](bytes& f) { f[19] = f[20] = 0xFF; }), "roll slot"},
        {"sprite entry 64", file_kind_sprites, made_file(file_kind_sprites, 1, [&](bytes& f) { put_i32_at(f, sprite_block + 252, 64); }), "sprite entry"},
        {"sprite entry -2", file_kind_sprites, made_file(file_kind_sprites, 1, [&](bytes& f) { put_i32_at(f, sprite_block, 0xFFFFFFFEu); }), "sprite entry"},
        {"sprite entry min", file_kind_sprites, made_file(file_kind_sprites, 1, [&](bytes& f) { put_i32_at(f, sprite_block + 4, 0x80000000u); }), "sprite entry"},
        {"huge file", file_kind_rolls, bytes(40000, 0), "larger"},
    };
    for (const row& r : rows) {
        write_file(path_of("sdt_bad", extension(r.kind)), r.file);
        fill_pattern();
        tables before = tables::take();
        EXPECT_FALSE(load_kind(r.kind, "sdt_bad")) << r.what;
        EXPECT_TRUE(tables::take() == before) << r.what;
        EXPECT_NE(std::string(sprite_data_refusal()).find(r.reason), std::string::npos)
            << r.what << ": " << sprite_data_refusal();
    }

    // Names that never reach a file.
    const std::pair<const char*, const char*> names[] = {
        {"", "no file name"}, {"sdt_missing", "cannot be opened"}, {nullptr, "no file name"}};
    for (const auto& [name, reason] : names) {
        for (sprite_file_kind kind : all_kinds) {
            fill_pattern();
            tables before = tables::take();
            EXPECT_FALSE(load_kind(kind, name));
            EXPECT_TRUE(tables::take() == before);
            EXPECT_NE(std::string(sprite_data_refusal()).find(reason), std::string::npos) << sprite_data_refusal();
        }
    }
}

TEST_F(SpriteData, LongestNamesThatFitThePath)
{
    // "data\images\" (12) + name + extension must stay within 59 characters.
    for (sprite_file_kind kind : all_kinds) {
        size_t longest = kind == file_kind_rolls ? 42 : 43;
        std::string fits = "sdt_" + std::string(longest - 4, 'n');
        std::string too_long = fits + "x";
        frame_count = 1;
        frame_table[1].width = 7;
        ASSERT_TRUE(save_kind(kind, fits.c_str())) << extension(kind);
        clear_sprites();
        ASSERT_TRUE(load_kind(kind, fits.c_str())) << extension(kind);
        EXPECT_EQ(frame_table[1].width, 7);

        // The refused name is refused both ways, even with a file present.
        write_file(path_of(too_long, extension(kind)), read_file(path_of(fits, extension(kind))));
        EXPECT_FALSE(save_kind(kind, (too_long).c_str()));
        EXPECT_NE(std::string(sprite_data_refusal()).find("too long"), std::string::npos);
        fill_pattern();
        tables before = tables::take();
        EXPECT_FALSE(load_kind(kind, too_long.c_str()));
        EXPECT_TRUE(tables::take() == before);
        clear_sprites();
    }
}

TEST_F(SpriteData, FailedSaveKeepsTheOldFile)
{
    frame_count = 1;
    frame_table[1] = {3, -10, -20, 64, 0, 32, 48};
    ASSERT_TRUE(save_sprite_file("sdt_keep"));
    const bytes old = read_file(path_of("sdt_keep", ".spr"));
    frame_count = 4;

    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt == 0)
            inject_write_failure(1);
        else
            inject_rename_failure(true);
        EXPECT_FALSE(save_sprite_file("sdt_keep"));
        EXPECT_NE(std::string(sprite_data_refusal()).find("old file is kept"), std::string::npos);
        inject_write_failure(0);
        inject_rename_failure(false);
        EXPECT_EQ(read_file(path_of("sdt_keep", ".spr")), old);
        EXPECT_FALSE(fs::exists(path_of("sdt_keep", ".spr.saving")));
    }

    // A folder that does not exist: nothing can be created.
    EXPECT_FALSE(save_frame_file("sdt_nowhere\\x"));
    EXPECT_NE(std::string(sprite_data_refusal()).find("cannot be created"), std::string::npos);
}

TEST_F(SpriteData, TablesNoFileCanHoldAreNotSaved)
{
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"frame count", [] { frame_count = 1024; }},
        {"frame count", [] { frame_count = -1; }},
        {"roll slot", [] { roll_table[63][15] = 1024; }},
        {"roll slot", [] { roll_table[0][0] = -1; }},
        {"sprite entry", [] { sprite_table[3][4] = 64; }},
    };
    for (const auto& [reason, spoil] : rows) {
        clear_sprites();
        spoil();
        EXPECT_FALSE(save_sprite_file("sdt_spoilt")) << reason;
        EXPECT_NE(std::string(sprite_data_refusal()).find(reason), std::string::npos);
        EXPECT_FALSE(fs::exists(path_of("sdt_spoilt", ".spr")));
    }
    // A frame file holds no rolls, so a stray roll slot does not stop it.
    roll_table[0][0] = 5000;
    frame_count = 0;
    EXPECT_TRUE(save_frame_file("sdt_spoilt"));
}

TEST_F(SpriteData, ResetsClearTheirLevels)
{
    struct row {
        void (*reset)();
        bool rolls_cleared;
        bool sprites_cleared;
    };
    const row rows[] = {{clear_frames, false, false}, {clear_rolls, true, false}, {clear_sprites, true, true}};
    for (const row& r : rows) {
        fill_pattern();
        tables before = tables::take();
        r.reset();
        for (const frame_record& frame : frame_table)
            ASSERT_EQ(frame.width | frame.height | frame.delay | frame.x | frame.offset_x, 0);
        EXPECT_EQ(frame_count, 0);
        EXPECT_EQ(current_frame, 0);
        EXPECT_EQ(roll_table[1][1], r.rolls_cleared ? 0 : before.rolls[1][1]);
        EXPECT_EQ(current_roll, r.rolls_cleared ? 0 : 7);
        EXPECT_EQ(sprite_table[7][7], r.sprites_cleared ? no_roll : before.sprites[7][7]);
        EXPECT_EQ(sprite_table[0][0], r.sprites_cleared ? no_roll : before.sprites[0][0]);
        EXPECT_EQ(current_action, r.sprites_cleared ? 0 : 2);
        EXPECT_EQ(current_direction, r.sprites_cleared ? 0 : 5);
        EXPECT_EQ(current_slot, 9);
        EXPECT_EQ(total_delay, 33);
    }
}

// The frames a roll shows over its first passes, as (frame, passes) runs.
std::vector<std::pair<int, int>> play_runs(int roll, int32_t slot, int passes)
{
    std::vector<std::pair<int, int>> runs;
    int32_t counter = 0;
    for (int i = 0; i < passes; ++i) {
        int frame = play_roll(roll, slot, counter);
        if (runs.empty() || runs.back().first != frame)
            runs.push_back({frame, 0});
        ++runs.back().second;
    }
    return runs;
}

TEST_F(SpriteData, RollPlayingRule)
{
    using runs = std::vector<std::pair<int, int>>;
    struct row {
        const char* what;
        std::vector<int> slots;  // slots 0.. of roll 5; frame n has delay delays[n]
        int delay_of_frame_2;
        int32_t total;
        int32_t start_slot;
        runs expected;  // a fresh start shows its first slot one pass less
    };
    std::vector<int> sixteen;
    for (int i = 1; i <= 16; ++i)
        sixteen.push_back(i);
    const row rows[] = {
        {"three slots", {1, 2, 3}, 0, 10, 0, {{1, 11}, {2, 12}, {3, 12}, {1, 12}, {2, 12}}},
        {"frame delay", {1, 2}, 5, 10, 0, {{1, 11}, {2, 17}, {1, 12}, {2, 17}}},
        {"no total delay", {1, 2}, 0, 0, 0, {{1, 1}, {2, 2}, {1, 2}, {2, 2}}},
        {"all empty", {}, 0, 10, 0, {{0, 100}}},
        {"empty slot 0", {0, 4}, 0, 10, 0, {{0, 11}, {4, 12}, {0, 12}, {4, 12}}},
        {"gap never crossed", {1, 2, 3, 0, 5, 6}, 0, 10, 0, {{1, 11}, {2, 12}, {3, 12}, {1, 12}, {2, 12}, {3, 12}}},
        {"started past the gap", {1, 2, 3, 0, 5, 6}, 0, 10, 4, {{5, 11}, {6, 12}, {1, 12}}},
        {"slot 15 returns to 0", sixteen, 0, 10, 15, {{16, 11}, {1, 12}, {2, 12}}},
        {"slot out of range", {1, 2}, 0, 10, 40, {{1, 11}, {2, 12}}},
    };
    for (const row& r : rows) {
        clear_sprites();
        for (size_t s = 0; s < r.slots.size(); ++s)
            roll_table[5][s] = r.slots[s];
        frame_table[2].delay = r.delay_of_frame_2;
        total_delay = r.total;
        int passes = 0;
        for (const auto& run : r.expected)
            passes += run.second;
        EXPECT_EQ(play_runs(5, r.start_slot, passes), r.expected) << r.what;
    }
}

TEST_F(SpriteData, FrameLookUpThroughTheSpriteTable)
{
    roll_table[9][2] = 17;
    sprite_table[3][6] = 9;
    EXPECT_EQ(sprite_frame_index(3, 6, 2), 17);
    EXPECT_EQ(sprite_frame_index(3, 6, 3), 0);   // empty slot
    EXPECT_EQ(sprite_frame_index(3, 6, 16), 0);  // end slot
    EXPECT_EQ(sprite_frame_index(3, 5, 2), 0);   // no roll
    EXPECT_EQ(sprite_frame_index(8, 6, 2), 0);
    EXPECT_EQ(sprite_frame_index(3, 6, 17), 0);
}

}  // namespace
