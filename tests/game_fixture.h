// Shared set-up of the game loop and scenario tests: a data folder in the
// test's working folder that borrows the generated data set and holds a map
// "single" the test builds, and a run of the real game configuration on the
// headless backend with scripted input and a check after every frame.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/random.h"
#include "game/behaviour.h"
#include "game/grids.h"
#include "game/world_check.h"
#include "input/input_latch.h"
#include "platform/headless/headless.h"
#include "play/game_loop.h"
#include "programs/configurations.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/font.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/terrain_painter.h"
#include "world/units.h"

namespace game_test {

namespace fs = std::filesystem;

// Makes ./data: a copy of the data set (copies, never links, so that a test
// that writes a file there cannot change the generated data), with
// data/map holding only the tiles, so that the test's maps stay its own.
inline void prepare_data_folder()
{
    const fs::path source = BRASK_DATA_DIR;
    const auto options = fs::copy_options::recursive | fs::copy_options::update_existing;
    fs::create_directories("data/map");
    for (const char* name : {"font", "images", "music", "sounds", "palette.bmp", "map/tiles"}) {
        fs::path target = fs::path("data") / name;
        if (fs::is_symlink(fs::symlink_status(target)))
            fs::remove(target);
        if (fs::is_directory(source / name))
            fs::create_directories(target);
        fs::copy(source / name, target, options);
    }
}

// --- Maps --------------------------------------------------------------------

// A new map of grass, no objects, the hero's slot kept.
inline void begin_map(int width, int height, int cover = terrain_grass)
{
    map_width = width;
    map_height = height;
    clear_layers();
    ASSERT_TRUE(new_map(cover));
}

inline void add_hero(int x, int y)
{
    place_hero(x, y);
    object_layer[x][y] = {object_unit, 1, 0};
}

// A grunt (team choice 0: team 2, 1: team 0, 2: team 4, 3: team 3) or a
// footman (0: team 5, 1: 6, 2: 7, 3: 3). Returns its slot.
inline int add_unit(int x, int y, int kind_code, int choice)
{
    int slot = spawn_unit(x, y, kind_code, choice);
    if (slot != 0)
        object_layer[x][y] = {object_unit, slot, 0};
    return slot;
}

inline void add_object(int x, int y, int kind, int index)
{
    object_layer[x][y] = {kind, index, 150};
}

// Paints a rectangle of water cells (vertices x0..x1, y0..y1) with its shore.
inline void add_lake(int x0, int y0, int x1, int y1, int kind = terrain_deep_water)
{
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            paint_terrain(x, y, kind);
}

inline void save_single()
{
    ASSERT_TRUE(save_map("single"));
}

// --- Runs ----------------------------------------------------------------------

// What a test watches after every frame (the pass that just ended).
using frame_check = std::function<void(int32_t pass)>;

struct run_state {
    int32_t passes = 0;     // passes to run before Escape
    frame_check check;      // called after every frame
    bool check_world = true;
    int world_failures = 0;
    std::string first_failure;
};
inline run_state current_run;

inline void after_frame(int32_t pass, void*)
{
    run_state& r = current_run;
    if (r.check_world) {
        char why[256];
        if (!::check_world(why, sizeof why) && r.world_failures++ == 0)
            r.first_failure = "pass " + std::to_string(pass) + ": " + why;
    }
    if (r.check)
        r.check(pass);
    if (pass + 1 >= r.passes)
        quit_requested = 1;
}

// Script helpers: events at a pass.
inline void at(int32_t pass, headless_event_kind kind, int32_t x = 0, int32_t y = 0, int32_t value = 0)
{
    ASSERT_TRUE(headless_add_event({pass, kind, x, y, value}));
}

// A cursor coordinate whose order cell is `cell` under the camera's
// `camera`: (cursor + 16) / 32 + camera = cell.
inline int32_t cursor_for(int32_t cell, int32_t camera)
{
    int32_t c = (cell - camera) * 32 - 16 + 5;
    return c < 0 ? 0 : c;
}

// Prepares the backend for a run: call before adding events.
inline void begin_run()
{
    headless_reset();
    headless_echo_boxes(false);
    reset_input_latch();
    quit_requested = 0;
    main_window = 0;
    sound_count = 0;
    effect_count = 0;
    effect_player = nullptr;
    // Image slots as a fresh process has them.
    for (int32_t& slot : tile_slots)
        slot = -1;
    tree_slot = -1;
    font_slot_b = font_slot_w = -1;
    set_random_state(1);
}

// Runs the game configuration from start-up for `passes` frames (check after
// each), then ends the process as the program does; returns the exit status
// the entry gave. The world is checked after every frame unless told
// otherwise.
inline int run_game(int32_t passes, frame_check check = nullptr, bool check_each_frame = true)
{
    current_run = run_state{};
    current_run.passes = passes;
    current_run.check = std::move(check);
    current_run.check_world = check_each_frame;
    headless_set_pass_hook(after_frame, nullptr);
    int status = run_entry(game_configuration);
    end_process();
    effect_player = nullptr;
    EXPECT_EQ(current_run.world_failures, 0) << current_run.first_failure;
    return status;
}

}  // namespace game_test
