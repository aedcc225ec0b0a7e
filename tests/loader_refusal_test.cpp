// Every loader over every kept fuzz input (fuzz/seeds and fuzz/regressions):
// a file named ok_* loads, a file named no_* is refused with a reason, and a
// refusal leaves every table of the program exactly as it was: the map and
// the unit table, the sprite tables, the image table and its pixels, the
// palette, the glyph table and the sound tables.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "core/file_access.h"
#include "game/grids.h"
#include "game/world_check.h"
#include "render/bmp.h"
#include "render/font.h"
#include "render_fixture.h"
#include "sound/mixer.h"
#include "sound/sound.h"
#include "sprites/sprite_data.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

namespace fs = std::filesystem;
using namespace render_test;

namespace {

using bytes = std::vector<uint8_t>;

// The kept inputs of one folder of fuzz/, in name order.
std::vector<fs::path> inputs(const char* folder)
{
    std::vector<fs::path> found;
    for (const char* kind : {"seeds", "regressions"}) {
        fs::path dir = fs::path(BRASK_FUZZ_DIR) / kind / folder;
        for (const fs::directory_entry& e : fs::directory_iterator(dir))
            found.push_back(e.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// What the file's name says its loader must do.
enum class expect { load, refuse };
expect expected(const fs::path& file)
{
    return file.filename().string().rfind("ok_", 0) == 0 ? expect::load : expect::refuse;
}

void append(bytes& out, const void* data, size_t n)
{
    const uint8_t* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + n);
}

// Every table a loader may write, as bytes into b (whose room is kept from
// one call to the next): compared whole before and after each refused load.
void all_tables(bytes& b)
{
    b.clear();
    append(b, &map_width, sizeof map_width);
    append(b, &map_height, sizeof map_height);
    append(b, terrain_layer, sizeof terrain_layer);
    append(b, object_layer, sizeof object_layer);
    append(b, unit_table, sizeof unit_table);
    append(b, &unit_count, sizeof unit_count);
    append(b, frame_table, sizeof frame_table);
    append(b, &frame_count, sizeof frame_count);
    append(b, roll_table, sizeof roll_table);
    append(b, sprite_table, sizeof sprite_table);
    int32_t selection[] = {current_frame, current_roll, current_slot, current_action,
                           current_direction, total_delay};
    append(b, selection, sizeof selection);
    append(b, surface_table, sizeof surface_table);
    append(b, &surface_count, sizeof surface_count);
    for (const surface* s : surface_table)
        if (s != nullptr) {
            append(b, s, offsetof(surface, pixels));
            append(b, &s->key, sizeof s->key);
            append(b, &s->keyed, sizeof s->keyed);
            append(b, s->pixels, static_cast<size_t>(s->pitch) * s->height);
        }
    append(b, palette_entries, sizeof palette_entries);
    append(b, glyph_table, sizeof glyph_table);
    for (const sound_buffer& e : sound_table) {
        append(b, &e.filled, 1);
        append(b, &e.bytes, sizeof e.bytes);
        append(b, &e.format, sizeof e.format);
    }
    for (const auto& slot : effect_table)
        for (const sound_buffer& e : slot) {
            append(b, &e.filled, 1);
            append(b, &e.bytes, sizeof e.bytes);
            append(b, &e.format, sizeof e.format);
        }
    append(b, &sound_count, sizeof sound_count);
    append(b, &effect_count, sizeof effect_count);
    append(b, &current_wave, sizeof current_wave);
    for (int i = 0; i < mixer_buffer_count; ++i) {
        uint8_t held = mixer_holds(i);
        append(b, &held, 1);
    }
}

void copy_to(const fs::path& from, const char* to)
{
    fs::create_directories(fs::path(to).parent_path());
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

// Fills every table with something other than zero, so that a stray write
// of a refused load shows, and loads one image and one sound.
class LoaderRefusal : public Display {
protected:
    void SetUp() override
    {
        Display::SetUp();
        std::memset(terrain_layer, 0x21, sizeof terrain_layer);
        std::memset(object_layer, 0x32, sizeof object_layer);
        std::memset(unit_table, 0x43, sizeof unit_table);
        map_width = 77, map_height = 66, unit_count = 55;
        std::memset(frame_table, 0x54, sizeof frame_table);
        std::memset(roll_table, 0x65, sizeof roll_table);
        std::memset(sprite_table, 0x76, sizeof sprite_table);
        frame_count = 1000;
        current_frame = 9, current_roll = 8, current_slot = 7;
        current_action = 6, current_direction = 5, total_delay = 44;
        std::memset(palette_entries, 0x87, sizeof palette_entries);
        std::memset(glyph_table, 0x18, sizeof glyph_table);
        write_bmp24("seed.bmp", 5, 4, [](int x, int y) { return 0x010203u * (x + 4 * y); });
        int32_t slot = 3;
        ASSERT_TRUE(load_bmp(slot, "seed.bmp"));
        write_file_bytes("seed.wav", {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E',
                                      'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
                                      0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0,
                                      'd', 'a', 't', 'a', 4, 0, 0, 0, 1, 2, 3, 4});
        slot = 2;
        ASSERT_TRUE(try_load_sound(slot, "seed.wav")) << sound_error();
        slot = 1;
        ASSERT_TRUE(try_load_effect(slot, "seed.wav")) << sound_error();
    }

    void TearDown() override
    {
        release_sound();
        Display::TearDown();
    }

    static void write_file_bytes(const char* path, const bytes& b)
    {
        FILE* f = std::fopen(path, "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
    }

    // Runs one load of a kept input: a load must succeed with no reason; a
    // refusal must give a reason and leave every table as it was. The
    // file's name is held against the result only when has_expectation (a
    // file kept for another loader of the family may go either way).
    template <typename Load, typename Reason>
    void check(const fs::path& file, bool has_expectation, Load load, Reason reason)
    {
        SCOPED_TRACE(file.filename().string());
        static bytes before, after;
        all_tables(before);
        bool loaded = load();
        if (has_expectation) {
            EXPECT_EQ(loaded, expected(file) == expect::load) << reason();
        }
        if (loaded) {
            EXPECT_STREQ(reason(), "");
        } else {
            EXPECT_STRNE(reason(), "");
            all_tables(after);
            EXPECT_TRUE(after == before) << "refused with \"" << reason()
                                                << "\" yet a table changed";
        }
    }
};

TEST_F(LoaderRefusal, MapFiles)
{
    for (const fs::path& file : inputs("map")) {
        copy_to(file, "data/map/case.map");
        check(file, true, [] { return load_map("case"); }, map_refusal);
    }
}

// Every map that loads is one the game can play to an end: with the hero
// placed, the world check holds from the first frame (each unit on the cell
// that names it, the hero's team its own, unit_count the live units, so
// that victory shows when the hero is the last); without it, defeat shows
// at once.
TEST_F(LoaderRefusal, EveryMapThatLoadsIsAGameThatCanEnd)
{
    for (const fs::path& file : inputs("map")) {
        if (expected(file) != expect::load)
            continue;
        SCOPED_TRACE(file.filename().string());
        copy_to(file, "data/map/case.map");
        // As the game's start-up leaves them before the map.
        clear_units();
        clear_layers();
        ASSERT_TRUE(load_map("case")) << map_refusal();
        ASSERT_TRUE(setup_grids(map_width, map_height));
        block_map();
        if (unit_table[1].active == 0)
            continue;
        char why[200];
        EXPECT_TRUE(check_world(why, sizeof why)) << why;
    }
}

TEST_F(LoaderRefusal, FrameRollAndSpriteFiles)
{
    struct kind {
        const char* folder;
        const char* path;
        bool (*load)(const char*);
    };
    const kind kinds[] = {
        {"frames", "data/images/case.frm", load_frame_file},
        {"rolls", "data/images/case.roll", load_roll_file},
        {"sprites", "data/images/case.spr", load_sprite_file},
    };
    for (const kind& k : kinds)
        for (const fs::path& file : inputs(k.folder)) {
            copy_to(file, k.path);
            check(file, true, [&k] { return k.load("case"); }, sprite_data_refusal);
        }
}

TEST_F(LoaderRefusal, ImagesIntoAGivenAndAnAutomaticSlot)
{
    for (const fs::path& file : inputs("bmp"))
        for (int32_t start_slot : {3, -1}) {
            int32_t slot = start_slot;
            check(file, true, [&] { return load_bmp(slot, file.c_str()); }, last_bmp_error);
            if (slot != start_slot) {
                EXPECT_NE(surface_table[slot], nullptr);
            }
        }
}

TEST_F(LoaderRefusal, TeamImages)
{
    // Whatever load_bmp refuses, the team loader refuses too.
    for (const char* folder : {"team_bmp", "bmp"})
        for (const fs::path& file : inputs(folder)) {
            bool own = std::strcmp(folder, "team_bmp") == 0 || expected(file) == expect::refuse;
            int32_t slot = 3;
            check(file, own, [&] { return load_team_bmp(slot, 40, file.c_str()); },
                  last_bmp_error);
        }
}

TEST_F(LoaderRefusal, SizeProbeAndPalette)
{
    for (const char* folder : {"bmp_size", "palette", "bmp"})
        for (const fs::path& file : inputs(folder)) {
            int32_t w = -7, h = -8;
            check(file, std::strcmp(folder, "bmp_size") == 0,
                  [&] { return read_bmp_size(w, h, file.c_str()); }, last_bmp_error);
            if (w == -7 || h == -8) {
                EXPECT_TRUE(w == -7 && h == -8) << "one output changed without the other";
            }
            check(file, std::strcmp(folder, "palette") == 0,
                  [&] { return load_palette(file.c_str()); }, last_bmp_error);
        }
}

TEST_F(LoaderRefusal, GlyphTables)
{
    for (const fs::path& file : inputs("glyphs")) {
        copy_to(file, "data/font/smf.fn");
        check(file, true, [] { return load_glyph_table(); }, glyph_table_refusal);
    }
}

TEST_F(LoaderRefusal, SoundsAndEffects)
{
    for (const fs::path& file : inputs("wave")) {
        int32_t slot = 2;
        check(file, true, [&] { return try_load_sound(slot, file.c_str()); }, sound_error);
        slot = 1;
        check(file, true, [&] { return try_load_effect(slot, file.c_str()); }, sound_error);
        // The reader alone refuses less (a file without a whole frame opens)
        // but what it refuses it refuses cleanly: the reader ends up closed.
        wave_reader reader;
        if (!wave_open(reader, file.c_str())) {
            EXPECT_EQ(reader.view, nullptr);
            EXPECT_STRNE(wave_error(), "");
            EXPECT_EQ(expected(file), expect::refuse);
        }
    }
}

// Runs a load of a named pipe on a thread of its own and returns its result.
// A load still waiting after five seconds is let go by a writer opening the
// pipe, and fails the test: a blocked loader fails the suite rather than
// hanging it. A load that took a second or more fails it too.
bool load_without_waiting(const char* pipe, const std::function<bool()>& load)
{
    auto start = std::chrono::steady_clock::now();
    std::future<bool> result = std::async(std::launch::async, load);
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << pipe << ": the loader waits on the pipe";
        while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            int writer = open(pipe, O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                close(writer);
        }
    }
    bool loaded = result.get();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << pipe;
    return loaded;
}

// A named pipe in place of any file the program reads is refused at once,
// with its reason, changing nothing: a loader that opened it as a file would
// wait for a writer for ever (the map editor's open dialog with it).
TEST_F(LoaderRefusal, NamedPipesAreRefusedAtOnce)
{
    int32_t slot = 3;
    int32_t w = -7, h = -8;
    struct pipe_case {
        const char* path;                 // where the pipe stands
        std::function<bool()> load;       // the loader that meets it
        const char* (*reason)();          // the loader's reason
    } cases[] = {
        {"data/map/case.map", [] { return load_map("case"); }, map_refusal},
        {"data/images/case.frm", [] { return load_frame_file("case"); }, sprite_data_refusal},
        {"data/images/case.roll", [] { return load_roll_file("case"); }, sprite_data_refusal},
        {"data/images/case.spr", [] { return load_sprite_file("case"); }, sprite_data_refusal},
        {"pipe.bmp", [&] { return load_bmp(slot, "pipe.bmp"); }, last_bmp_error},
        {"pipe.bmp", [&] { return load_team_bmp(slot, 40, "pipe.bmp"); }, last_bmp_error},
        {"pipe.bmp", [&] { return read_bmp_size(w, h, "pipe.bmp"); }, last_bmp_error},
        {"pipe.bmp", [] { return load_palette("pipe.bmp"); }, last_bmp_error},
        {"data/font/smf.fn", [] { return load_glyph_table(); }, glyph_table_refusal},
        {"pipe.wav", [&] { return try_load_sound(slot, "pipe.wav"); }, sound_error},
        {"pipe.wav", [&] { return try_load_effect(slot, "pipe.wav"); }, sound_error},
    };
    for (const pipe_case& c : cases) {
        fs::create_directories(fs::path(c.path).parent_path().empty() ? "." : fs::path(c.path).parent_path());
        fs::remove(c.path);
        ASSERT_EQ(mkfifo(c.path, 0600), 0) << c.path;
        const fs::path label = std::string("no_pipe_as_") + c.path;
        check(label, true, [&] { return load_without_waiting(c.path, c.load); }, c.reason);
        EXPECT_NE(std::string(c.reason()).find("not a regular file"), std::string::npos)
            << c.path << ": " << c.reason();
        fs::remove(c.path);
    }
}

}  // namespace
