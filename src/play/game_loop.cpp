#include "play/game_loop.h"

#include <cstdio>
#include <cstring>

#include "core/code_page.h"
#include "core/cp1251.h"
#include "game/behaviour.h"
#include "game/grids.h"
#include "game/path_finding.h"
#include "game/world_drawing.h"
#include "input/input_latch.h"
#include "play/comforts.h"
#include "platform/platform.h"
#include "render/bmp.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

int32_t portrait_slot = -1;
int32_t music_slot = -1;
int32_t scroll_counter = 0;
int32_t min_fps = 1000;
char game_map[map_name_size] = "single";

// The portrait's picture on the panel, from the panel's bottom.
static constexpr int32_t portrait_x = 15;
static constexpr int32_t portrait_rise = 75;
static constexpr int32_t portrait_width = 60;
static constexpr int32_t portrait_height = 49;
// The health bar under it.
static constexpr int32_t bar_x = 15;
static constexpr int32_t bar_rise = 22;
static constexpr int32_t bar_width = 60;
static constexpr int32_t bar_height = 13;
// The hero's values, one line each, 12 pixels apart.
static constexpr int32_t lines_x = 95;
static constexpr int32_t line_step = 12;
// The end-of-game box.
static constexpr int32_t end_box_x = 250;
static constexpr int32_t end_box_rise = 73;
static constexpr int32_t end_box_width = 200;
static constexpr int32_t end_box_height = 20;
static constexpr int32_t end_text_rise = 70;

static const char* const sword_files[sword_effect_count] = {
    "data\\sounds\\sword1.wav", "data\\sounds\\sword2.wav", "data\\sounds\\sword3.wav"};

// --- Camera ----------------------------------------------------------------------

void clamp_camera()
{
    if (camera_x < camera_lowest)
        camera_x = camera_lowest;
    if (camera_y < camera_lowest)
        camera_y = camera_lowest;
    if (camera_x > map_width - camera_free_columns)
        camera_x = map_width - camera_free_columns;
    if (camera_y > map_height - camera_free_rows)
        camera_y = map_height - camera_free_rows;
}

void centre_camera()
{
    camera_x = unit_table[1].cell_x - centre_columns;
    camera_y = unit_table[1].cell_y - centre_rows;
    clamp_camera();
}

// --- The map ----------------------------------------------------------------------

bool set_game_map(const char* name)
{
    if (name == nullptr)
        return false;
    size_t length = std::strlen(name);
    if (length < 1 || length > static_cast<size_t>(max_map_name_length))
        return false;
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<uint8_t>(name[i]);
        if (c < 32 || c == 127 || c == '/' || c == '\\')
            return false;
    }
    std::memcpy(game_map, name, length + 1);
    return true;
}

bool set_game_map_utf8(const char* name)
{
    if (name == nullptr)
        return false;
    // Every character must have its byte: a name is never changed quietly.
    char bytes[max_map_name_length + 1];
    int length = 0;
    for (const char* p = name; *p != 0;) {
        uint32_t code = 0;
        int used = 1;
        uint8_t byte = 0;
        if (!decode_utf8(p, code, used) || !unicode_to_cp1251(code, byte) || length == max_map_name_length)
            return false;
        bytes[length++] = static_cast<char>(byte);
        p += used;
    }
    bytes[length] = 0;
    return set_game_map(bytes);
}

// --- Start-up --------------------------------------------------------------------

bool start_game()
{
    // The behaviour's sounds go to the mixer, placed on this screen.
    effect_player = play_effect;
    sound_screen_width = screen_width;
    sound_screen_height = screen_height;

    if (!load_tile_sheets())
        return false;
    portrait_slot = -1;
    if (!load_bmp_or_report(portrait_slot, "data\\images\\vesk.bmp"))
        return false;
    load_tree_frames(tree_slot);  // a missing frame file just shows no trees

    music_slot = -1;
    if (!load_sound(music_slot, "data\\music\\music.wav"))
        return false;
    for (int i = 0; i < sword_effect_count; ++i)
        effect_sword[i] = -1;
    effect_orc_death = -1;
    effect_human_death = -1;
    for (int i = 0; i < sword_effect_count; ++i)
        if (!load_effect(effect_sword[i], sword_files[i]))
            return false;
    if (!load_effect(effect_orc_death, "data\\sounds\\Odead.wav"))
        return false;
    if (!load_effect(effect_human_death, "data\\sounds\\Hdead.wav"))
        return false;
    play_sound(0, 0, sound_play_looping, music_slot);

    if (!load_unit_sprites())
        return false;
    clear_layers();
    if (!load_map(game_map)) {
        char file[map_name_size + 16];
        std::snprintf(file, sizeof file, "data\\map\\%s.map", game_map);
        fatal_file_error(main_window, "загрузке карты"_cp, file, map_refusal());
        return false;
    }
    if (!setup_grids(map_width, map_height))
        return false;
    block_map();

    centre_camera();
    scroll_counter = 0;
    min_fps = 1000;
    reset_comforts();
    return true;
}

// --- The player's order ----------------------------------------------------------

// The hero stops where it is: the answer to an order it finds no route for.
// Between two cells it first finishes its step to the cell it owns (a walk
// whose goal is that cell), so that it never stands off its cell, where
// every swing at it would miss.
static void stop_hero(unit& hero)
{
    hero.path_length = 0;
    if (hero.pixel_x != cell_size * hero.cell_x || hero.pixel_y != cell_size * hero.cell_y) {
        hero.goal_x = hero.cell_x;
        hero.goal_y = hero.cell_y;
        hero.state = state_walk;
        hero.action = action_walk;
        hero.phase = phase_moving;
        return;
    }
    hero.state = state_stand;
    hero.anim_step = 0;
    hero.action = action_stand;
}

void give_order()
{
    if (!right_down)
        return;
    right_down = 0;  // one press, one order
    unit& hero = unit_table[1];
    // A dying hero plays its roll to the end: an order would start it over.
    if (hero.active != 1 || hero.state == state_dead)
        return;

    int32_t cx = (cursor_x + cell_size / 2) / cell_size + camera_x;
    int32_t cy = (cursor_y + cell_size / 2) / cell_size + camera_y;
    int32_t enemy = 0;
    if (inside_layers(cx, cy)) {
        const object_cell& cell = object_layer[cx][cy];
        if (cell.kind == object_unit && valid_unit_slot(cell.index) &&
            unit_table[cell.index].team != hero_team)
            enemy = cell.index;
    }

    if (enemy != 0) {
        hero.goal_x = cx;
        hero.goal_y = cy;
        int n = find_path(hero.attack_range, hero.goal_x, hero.goal_y, hero.cell_x, hero.cell_y,
                          hero.path);
        if (n < 0) {
            stop_hero(hero);
            return;
        }
        hero.target = enemy;
        hero.path_length = n;
        hero.state = state_pursue;
        hero.phase = phase_entered;
        return;
    }

    if (!find_free_cell(cx, cy, hero.sight_range))
        return;  // nowhere to go: the hero keeps what it was doing
    hero.goal_x = cx;
    hero.goal_y = cy;
    int n = find_path(0, hero.goal_x, hero.goal_y, hero.cell_x, hero.cell_y, hero.path);
    if (n < 0) {
        stop_hero(hero);
        return;
    }
    hero.path_length = n;
    hero.state = state_walk;
    hero.action = action_walk;
}

// --- Panel -------------------------------------------------------------------------

static void draw_health_bar(unit& hero)
{
    const int32_t h = screen_height;
    if (hero.hit_points < 0)
        hero.hit_points = 0;
    int32_t colour = pack_colour(0, 220, 0);
    if (hero.max_hit_points / 1.5 > hero.hit_points)
        colour = colour_orange;
    if (hero.hit_points < hero.max_hit_points / 3)
        colour = colour_red;
    // A record whose health lies outside 0 .. max_hit_points still gets a
    // bar within its frame.
    if (hero.hit_points > 0 && hero.max_hit_points > 0) {
        int64_t width = static_cast<int64_t>(hero.hit_points) * bar_width / hero.max_hit_points;
        if (width > bar_width)
            width = bar_width;
        if (width > 0)
            fill_box(bar_x, h - bar_rise, static_cast<int32_t>(width), bar_height, colour);
    }
    draw_frame(bar_x, h - bar_rise, bar_width, bar_height, colour_yellow);
    char text[32];
    std::snprintf(text, sizeof text, "%d/%d", hero.max_hit_points, hero.hit_points);
    draw_text_w(text, 27, h - bar_rise);
}

static void draw_hero_lines(const unit& hero)
{
    const int32_t top = screen_height - portrait_rise;
    char text[96];
    const char* state = hero.state >= 0 && hero.state < state_count ? state_names[hero.state] : "";
    std::snprintf(text, sizeof text, "%s%s", "действие - "_cp, state);
    draw_text_w(text, lines_x, top);
    std::snprintf(text, sizeof text, "%s%d/%d", "damage - ", hero.damage_min, hero.damage_max);
    draw_text_w(text, lines_x, top + line_step);
    std::snprintf(text, sizeof text, "%s%d", "range - ", hero.attack_range);
    draw_text_w(text, lines_x, top + 2 * line_step);
    std::snprintf(text, sizeof text, "%s%d", "sight - ", hero.sight_range);
    draw_text_w(text, lines_x, top + 3 * line_step);
    std::snprintf(text, sizeof text, "%s%d", "many_units - ", unit_count);
    draw_text_w(text, lines_x, top + 4 * line_step);
}

void draw_panel()
{
    const int32_t w = screen_width, h = screen_height;
    unit& hero = unit_table[1];
    fill_box(0, h - panel_height, w, panel_height, panel_fill);
    draw_bevel(0, h - panel_height, w, panel_height, colour_grey2, panel_shadow);

    const int32_t py = h - portrait_rise;
    const bool pressed = cursor_in(portrait_x, py, portrait_width, portrait_height) && left_down;
    draw_bevel(portrait_x - 1, py - 1, portrait_width + 2, portrait_height + 2,
               pressed ? panel_shadow : colour_grey2, pressed ? colour_grey2 : panel_shadow);
    blit(portrait_x, py, 0, pressed ? 1 : 0, portrait_width, portrait_height, portrait_slot);
    if (hit_left_release(portrait_x, py, portrait_width, portrait_height))
        centre_camera();

    draw_health_bar(hero);
    draw_hero_lines(hero);
    draw_bevel(85, h - 76, 130, 67, panel_shadow, colour_grey2);

    const int32_t fps = measure_fps();
    if (fps != 0 && fps < min_fps)
        min_fps = fps;
    char text[64];
    std::snprintf(text, sizeof text, "%d Fps min-%d max-%d", static_cast<int>(bits_per_pixel), min_fps, fps);
    draw_text_w(text, 20, 15);
}

// --- Edges and the end of the game -------------------------------------------------

void scroll_at_edges()
{
    const int32_t taken = scroll_counter++;
    if (taken <= scroll_period)
        return;
    scroll_counter = 0;
    const int32_t w = screen_width, h = screen_height;
    // A pointer that left the window, or that a change of window mode moved,
    // is at no edge.
    if (!left_down && cursor_inside) {
        if (cursor_in(0, 0, 1, h))
            --camera_x;
        if (cursor_in(w - 1, 0, 1, h))
            ++camera_x;
        if (cursor_in(0, 0, w, 1))
            --camera_y;
        if (cursor_in(0, h - 1, w, 1))
            ++camera_y;
    }
    clamp_camera();
}

void draw_end_line()
{
    const int32_t h = screen_height;
    const bool hero_active = unit_table[1].active == 1;
    if (hero_active && unit_count == 1) {
        fill_box(end_box_x, h - end_box_rise, end_box_width, end_box_height, colour_white);
        draw_text("Вы Победили !"_cp, 314, h - end_text_rise);
    } else if (hero_active) {
        draw_text_w("Цель игры - уничтожить врага."_cp, 280, h - end_text_rise);
    } else {
        fill_box(end_box_x, h - end_box_rise, end_box_width, end_box_height, colour_red);
        draw_text_w("Вы Проиграли !"_cp, 314, h - end_text_rise);
    }
    draw_bevel(end_box_x, h - end_box_rise, end_box_width, end_box_height, colour_grey2, panel_shadow);
}

// --- The loop ------------------------------------------------------------------------

void game_frame()
{
    drain_messages();
    read_comfort_keys();
    const bool comforts = comforts_in_use();
    if (comforts)
        take_comfort_input();
    give_order();
    if (!world_stands())
        update_units();
    draw_world();
    draw_panel();
    scroll_at_edges();
    draw_end_line();
    if (comforts)
        draw_comforts();
    present();
    if (platform_key_held(key_escape))
        quit_requested = 1;
}

void game_loop()
{
    if (!start_game())
        return;
    while (quit_requested == 0)
        game_frame();
    end_comforts();
}
