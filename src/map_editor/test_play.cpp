// Test play: the editor's world put aside, the game run on the saved map,
// the world put back.
#include "map_editor/test_play.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "core/fatal.h"
#include "core/random.h"
#include "game/grids.h"
#include "game/world_drawing.h"
#include "input/input_latch.h"
#include "platform/platform.h"
#include "play/game_loop.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

// The game's screen, and the editor's.
static constexpr int32_t game_width = 800;
static constexpr int32_t game_height = 600;
static constexpr int32_t editor_width = 1024;
static constexpr int32_t editor_height = 768;
// Passes test play waits for Escape to be let go before the editor, which
// would end on it, sees the keyboard again (five seconds).
static constexpr int32_t escape_wait_passes = 500;
// Passes a refusal's line stays over the editor, unless a click or a key
// ends it first (two seconds).
static constexpr int32_t refusal_passes = 200;
// Scratch names tried: "_test_play", "_test_play2" .. "_test_play9".
static constexpr int32_t scratch_names = 9;

// F5 in the last pass.
static bool f5_was_down = false;
static int32_t plays_run = 0;

// Everything of the editor's that the game's start-up and frames change,
// kept here while the game runs. Fixed tables, as large as what they keep.
static struct {
    int32_t map_width, map_height;
    char map_name[map_name_size];
    char game_map[map_name_size];
    terrain_cell terrain[max_map_size][max_map_size];
    object_cell objects[max_map_size][max_map_size];
    unit units[max_units];
    int32_t unit_count;
    int32_t camera_x, camera_y;
    uint32_t random;
    int32_t base_grid[max_map_size][max_map_size];
    int32_t grid_width, grid_height;
    int32_t tile_slots[terrain_kind_count];
    int32_t tree_slot;
    tree_entry trees[tree_table_size];
    int32_t unit_images[race_count][team_count];
    anim_entry anims[race_count][anim_actions][direction_count][anim_slots];
    int32_t surface_count, sound_count, effect_count;
} kept;

static void keep_world()
{
    kept.map_width = map_width;
    kept.map_height = map_height;
    std::memcpy(kept.map_name, map_name, sizeof kept.map_name);
    std::memcpy(kept.game_map, game_map, sizeof kept.game_map);
    std::memcpy(kept.terrain, terrain_layer, sizeof kept.terrain);
    std::memcpy(kept.objects, object_layer, sizeof kept.objects);
    std::memcpy(kept.units, unit_table, sizeof kept.units);
    kept.unit_count = unit_count;
    kept.camera_x = camera_x;
    kept.camera_y = camera_y;
    kept.random = random_state();
    std::memcpy(kept.base_grid, base_grid, sizeof kept.base_grid);
    kept.grid_width = grid_width;
    kept.grid_height = grid_height;
    std::memcpy(kept.tile_slots, tile_slots, sizeof kept.tile_slots);
    kept.tree_slot = tree_slot;
    std::memcpy(kept.trees, tree_table, sizeof kept.trees);
    std::memcpy(kept.unit_images, unit_images, sizeof kept.unit_images);
    std::memcpy(kept.anims, unit_anims, sizeof kept.anims);
    kept.surface_count = surface_count;
    kept.sound_count = sound_count;
    kept.effect_count = effect_count;
}

static void restore_world()
{
    map_width = kept.map_width;
    map_height = kept.map_height;
    std::memcpy(map_name, kept.map_name, sizeof kept.map_name);
    std::memcpy(game_map, kept.game_map, sizeof kept.game_map);
    std::memcpy(terrain_layer, kept.terrain, sizeof kept.terrain);
    std::memcpy(object_layer, kept.objects, sizeof kept.objects);
    std::memcpy(unit_table, kept.units, sizeof kept.units);
    unit_count = kept.unit_count;
    camera_x = kept.camera_x;
    camera_y = kept.camera_y;
    set_random_state(kept.random);
    std::memcpy(base_grid, kept.base_grid, sizeof kept.base_grid);
    grid_width = kept.grid_width;
    grid_height = kept.grid_height;
    std::memcpy(tile_slots, kept.tile_slots, sizeof kept.tile_slots);
    tree_slot = kept.tree_slot;
    std::memcpy(tree_table, kept.trees, sizeof kept.trees);
    std::memcpy(unit_images, kept.unit_images, sizeof kept.unit_images);
    std::memcpy(unit_anims, kept.anims, sizeof kept.anims);
}

// The data\map\ file of a map name, as the program spells it and as the
// machine does.
static void map_paths(const char* name, char* spelled, char* native, size_t size)
{
    std::snprintf(spelled, size, "data\\map\\%s.map", name);
    std::snprintf(native, size, "data/map/%s.map", name);
}

// A scratch name whose file does not exist; false when all are taken.
static bool free_scratch_name(char* name, size_t size)
{
    for (int32_t i = 1; i <= scratch_names; ++i) {
        if (i == 1)
            std::snprintf(name, size, "%s", test_play_name);
        else
            std::snprintf(name, size, "%s%d", test_play_name, static_cast<int>(i));
        char spelled[96], native[96];
        map_paths(name, spelled, native, sizeof native);
        struct stat info {};
        if (stat(native, &info) != 0 && errno == ENOENT)
            return true;
    }
    return false;
}

// A failure of the game's start-up: the report in a box, and nothing torn
// down, so that the editor goes on. Installed while the game runs.
static bool start_failed = false;
static void report_in_box(int32_t /*window*/, const char* where)
{
    start_failed = true;
    char text[256];
    std::snprintf(text, sizeof text, "%s\n%s %s", "Пробная игра не началась"_cp, "Ошибка в"_cp,
                  where != nullptr ? where : "");
    platform_message_box("Brask", text);
}

// Shows why test play cannot run, over the editor's last picture, until a
// click, a key or two seconds.
static void show_refusal(const char* reason)
{
    char text[192];
    std::snprintf(text, sizeof text, "%s %s", "Пробная игра невозможна:"_cp, reason);
    for (int32_t pass = 0; pass < refusal_passes && !quit_requested; ++pass) {
        drain_messages();
        fill_box(300, 360, 700, 30, colour_grey4);
        draw_bevel(300, 360, 700, 30, colour_white, colour_black);
        draw_text(text, 312, 369);
        present();
        if (char_ready || hit_left_release(0, 0, screen_width, screen_height) ||
            platform_key_held(key_escape) || platform_key_held(key_enter))
            break;
    }
}

// The game's last picture stays while Escape is held, so that the editor
// does not end on the same press.
static void wait_for_escape_up()
{
    for (int32_t pass = 0; pass < escape_wait_passes && main_window != 0; ++pass) {
        if (!platform_key_held(key_escape))
            return;
        drain_messages();
        present();
    }
}

// What the game left in the input latch is not the editor's: no click, no
// press, no held button, no typed character.
static void forget_game_input()
{
    const int32_t everywhere = 1 << 20;
    hit_left_press(-everywhere, -everywhere, 2 * everywhere, 2 * everywhere);
    hit_left_release(-everywhere, -everywhere, 2 * everywhere, 2 * everywhere);
    hit_right_press(-everywhere, -everywhere, 2 * everywhere, 2 * everywhere);
    left_down = 0;
    right_down = 0;
    char_ready = 0;
}

void test_play_on_f5()
{
    const bool down = platform_key_held(key_f5);
    const bool pressed = down && !f5_was_down;
    f5_was_down = down;
    if (pressed)
        test_play();
}

bool test_play()
{
    char name[32];
    if (!free_scratch_name(name, sizeof name)) {
        show_refusal("все запасные имена карты заняты"_cp);
        return false;
    }
    if (!save_map(name)) {
        show_refusal(map_refusal());
        return false;
    }
    keep_world();
    char spelled[96], native[96];
    map_paths(name, spelled, native, sizeof native);
    set_game_map(name);
    if (!resize_display(game_width, game_height)) {
        std::remove(native);
        restore_world();
        show_refusal("экран 800 x 600 недоступен"_cp);
        return false;
    }

    start_failed = false;
    install_fatal_report(report_in_box);
    game_loop();
    install_fatal_report(fatal_report);
    if (start_failed)
        forget_fatal_errors();
    else
        ++plays_run;
    wait_for_escape_up();

    std::remove(native);
    // The game's music and effects, its images and its screen go.
    stop_sound(music_slot);
    release_sounds_from(kept.sound_count, kept.effect_count);
    release_images_from(kept.surface_count);
    restore_world();
    resize_display(editor_width, editor_height);
    forget_game_input();
    // Escape ended the game, not the editor; a window closed from outside
    // ends both.
    if (main_window != 0)
        quit_requested = 0;
    return !start_failed;
}

int32_t test_plays_run()
{
    return plays_run;
}
