// Scripted sessions of the map editor on the headless backend: the data set
// copied into the test's working folder, input events by pass, checks run
// after given passes, and the screen points of the editor's controls.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include "input/input_latch.h"
#include "map_editor/map_editor.h"
#include "platform/headless/headless.h"
#include "programs/configurations.h"
#include "render/display.h"
#include "render/font.h"
#include "shell/shell.h"
#include "world/map.h"
#include "world/units.h"

namespace editor_test {

// --- Where things are on the 1024 x 768 screen ----------------------------------

// The middle of view cell (column, row) under a camera at (0, 0).
inline int32_t view_x(int column) { return 256 + 32 * column + 16; }
inline int32_t view_y(int row) { return 32 * row + 16; }

struct point {
    int32_t x, y;
};

// The middle of the button at (x, y, w, h).
constexpr point middle(int32_t x, int32_t y, int32_t w, int32_t h) { return {x + w / 2, y + h / 2}; }

constexpr point new_map_button = middle(160, 24, 70, 15);
constexpr point open_map_button = middle(160, 44, 70, 15);
constexpr point save_map_button = middle(160, 64, 70, 15);
// The terrain palette entry of kind 0..6.
constexpr point terrain_button(int kind) { return middle(20, 170 + 20 * kind, 210, 15); }
constexpr point tree_button = middle(20, 340, 210, 15);
constexpr point rock_button = middle(20, 360, 210, 15);
constexpr point hero_button = middle(20, 390, 210, 15);
constexpr point grunt_button = middle(20, 420, 120, 15);
constexpr point footman_button = middle(20, 440, 120, 15);
// The team button beside the highlighted grunt or footman tool.
constexpr point grunt_team_button = middle(150, 420, 80, 15);
constexpr point footman_team_button = middle(150, 440, 80, 15);
// The new-map dialog: size i (32, 64, 96, 128) of the width and height
// columns, cover kind k, and its two closing buttons.
constexpr point width_button(int i) { return middle(320, 230 + 26 * i, 60, 15); }
constexpr point height_button(int i) { return middle(400, 230 + 26 * i, 60, 15); }
constexpr point cover_button(int kind) { return middle(480, 230 + 26 * kind, 120, 15); }
constexpr point new_cancel = middle(480, 486, 60, 15);
constexpr point new_yes = middle(380, 486, 60, 15);
constexpr point open_cancel = middle(485, 220, 60, 15);
constexpr point open_yes = middle(385, 220, 60, 15);
constexpr point save_cancel = middle(490, 240, 60, 15);
constexpr point save_yes = middle(390, 240, 60, 15);

// --- The script ---------------------------------------------------------------------

inline void event(int32_t pass, headless_event_kind kind, int32_t x = 0, int32_t y = 0,
                  int32_t value = 0)
{
    ASSERT_TRUE(headless_add_event({pass, kind, x, y, value}));
}

inline void move(int32_t pass, int32_t x, int32_t y) { event(pass, event_move, x, y); }

// A whole click (move, press, release) within one pass.
inline void click(int32_t pass, point p)
{
    move(pass, p.x, p.y);
    event(pass, event_left_down);
    event(pass, event_left_up);
}

// The left button pressed over view cell (column, row) at pass and let go
// at the next pass: one frame of the brush, two brush calls.
inline void press_cell(int32_t pass, int column, int row)
{
    move(pass, view_x(column), view_y(row));
    event(pass, event_left_down);
    event(pass + 1, event_left_up);
}

// The same with the right button.
inline void right_press_cell(int32_t pass, int column, int row)
{
    move(pass, view_x(column), view_y(row));
    event(pass, event_right_down);
    event(pass + 1, event_right_up);
}

// Types text one character a pass from pass on (a pass takes one typed
// character); returns the pass after the last.
inline int32_t type(int32_t pass, const char* text)
{
    for (const char* p = text; *p != 0; ++p)
        event(pass++, event_char, 0, 0, static_cast<uint8_t>(*p));
    return pass;
}

// Backspaces count times, one a pass; returns the pass after the last.
inline int32_t erase(int32_t pass, int count)
{
    for (int i = 0; i < count; ++i)
        event(pass++, event_backspace);
    return pass;
}

// --- The run ------------------------------------------------------------------------

// Checks to run after a pass (each removed once run), and the pass after which the loop is asked
// to stop.
inline std::map<int32_t, std::function<void()>> checks;
inline int32_t last_pass = 0;
inline int32_t passes_seen = 0;

inline void after_pass(int32_t pass, void*)
{
    passes_seen = pass + 1;
    auto found = checks.find(pass);
    if (found != checks.end()) {
        found->second();
        checks.erase(found);
    }
    if (pass >= last_pass)
        quit_requested = 1;
}

// Copies the generated data set into the working folder's data/ once per
// program.
inline void copy_data_set()
{
    static bool copied = false;
    if (copied)
        return;
    namespace fs = std::filesystem;
    fs::remove_all("data");
    fs::copy(BRASK_DATA_DIR, "data", fs::copy_options::recursive);
    fs::create_directories("data/map");
    copied = true;
}

// Runs the map editor configuration through the entry, as the program
// does, until the pass after which it is asked to stop.
inline void run_editor(int32_t stop_after)
{
    last_pass = stop_after;
    passes_seen = 0;
    headless_set_pass_hook(after_pass, nullptr);
    run_entry(map_editor_configuration);
    end_process();
    headless_set_pass_hook(nullptr, nullptr);
    // Every check must have had its pass.
    for (const auto& left : checks)
        ADD_FAILURE() << "the check after pass " << left.first << " never ran";
    checks.clear();
}

// Fixture: a fresh backend and image slots, no script, no checks.
class EditorSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        copy_data_set();
        headless_reset();
        headless_echo_boxes(false);
        // A fresh process: nothing asked to stop, nothing latched.
        quit_requested = 0;
        reset_input_latch();
        checks.clear();
        font_slot_b = font_slot_w = -1;
        for (int32_t& slot : tile_slots)
            slot = -1;
        tree_slot = -1;
    }
};

// --- State snapshots ----------------------------------------------------------------

// Both layers of the top-left width x height cells.
struct layers {
    std::vector<terrain_cell> terrain;
    std::vector<object_cell> objects;
};

inline layers take_layers()
{
    layers l;
    for (int x = 0; x < map_width; ++x)
        for (int y = 0; y < map_height; ++y) {
            l.terrain.push_back(terrain_layer[x][y]);
            l.objects.push_back(object_layer[x][y]);
        }
    return l;
}

inline bool same(const layers& a, const layers& b)
{
    return a.terrain.size() == b.terrain.size() &&
           std::memcmp(a.terrain.data(), b.terrain.data(), a.terrain.size() * sizeof(terrain_cell)) == 0 &&
           std::memcmp(a.objects.data(), b.objects.data(), a.objects.size() * sizeof(object_cell)) == 0;
}

// The object cells of a kind in the map.
inline int count_objects(int32_t kind)
{
    int n = 0;
    for (int x = 0; x < map_width; ++x)
        for (int y = 0; y < map_height; ++y)
            n += object_layer[x][y].kind == kind;
    return n;
}

}  // namespace editor_test
