// The map editor's main loop: start-up, the control panel with its palette
// and unit tools, the frame order and pacing, and the scroll rules.
#include "map_editor/map_editor.h"

#include <cstdio>

#include "core/cp1251.h"
#include "editor_kit/question.h"
#include "editor_kit/status_line.h"
#include "game/world_drawing.h"
#include "input/input_latch.h"
#include "map_editor/map_changes.h"
#include "map_editor/map_dialogs.h"
#include "map_editor/test_play.h"
#include "platform/platform.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"
#include "shell/shell.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/terrain_painter.h"
#include "world/units.h"

int32_t current_tool = terrain_sand;
int32_t palette_choice = terrain_sand;
int32_t team_choice = 0;
int32_t swatch_colour = 0;

// The shortest frame, in milliseconds.
static const uint32_t frame_time = 30;
// Width of the strips along the view's edges where a held button scrolls.
static const int32_t scroll_strip = 96;

// Frames since the view last scrolled under a held button.
static int32_t scroll_counter = 0;
// The status line of the last frame, drawn again under an opening dialog,
// and the time that frame began (a status message's clock).
static char status_text[96];
static uint32_t last_frame_start = 0;

// A file dialog asked for by a click this frame.
enum file_dialog : int32_t { no_dialog, dialog_new, dialog_open, dialog_save };

// One palette entry: a button that selects a brush.
struct palette_entry_def {
    const char* label;  // code page 1251
    int32_t x, y, w, h;
    int32_t tool;
};

static const palette_entry_def terrain_palette[] = {
    {"глубокая вода"_cp, 20, 170, 210, 15, terrain_deep_water},
    {"мелкая вода"_cp, 20, 190, 210, 15, terrain_shallow_water},
    {"песок"_cp, 20, 210, 210, 15, terrain_sand},
    {"грязь"_cp, 20, 230, 210, 15, terrain_mud},
    {"трава"_cp, 20, 250, 210, 15, terrain_grass},
    {"темная трава"_cp, 20, 270, 210, 15, terrain_dark_grass},
    {"камень"_cp, 20, 290, 210, 15, terrain_stone},
};

static const palette_entry_def object_palette[] = {
    {"дерево"_cp, 20, 340, 210, 15, tool_tree},
    {"скалы"_cp, 20, 360, 210, 15, tool_rock},
    {"Веск"_cp, 20, 390, 210, 15, tool_hero},
    {"грант"_cp, 20, 420, 120, 15, tool_grunt},
    {"пехотинец"_cp, 20, 440, 120, 15, tool_footman},
};

// The swatch colour of each team choice of a unit tool: the colour of the
// team that the kind's row of unit_kinds gives that choice.
static int32_t team_swatch(int32_t tool, int32_t choice)
{
    const int32_t grunt[team_choices] = {colour_green, colour_blue, colour_orange, colour_violet};
    const int32_t footman[team_choices] = {colour_black, colour_white, colour_yellow, colour_violet};
    if (choice < 0 || choice >= team_choices)
        return 0;
    return tool == tool_grunt ? grunt[choice] : footman[choice];
}

// --- Start --------------------------------------------------------------------------

// The start of the loop; false when the editor cannot run.
static bool start_editor()
{
    if (screen_width != 1024) {
        fatal_error(main_window, "задании размера экрана"_cp);
        return false;
    }
    if (!load_tile_sheets())
        return false;
    load_tree_frames(tree_slot);
    if (!load_unit_sprites())
        return false;
    clear_layers();
    map_width = map_height = max_map_size;
    current_tool = terrain_grass;
    new_map(current_tool);
    set_overview_hook(plot_overview);
    rebuild_overview();
    current_tool = terrain_sand;
    palette_choice = terrain_sand;
    team_choice = 0;
    swatch_colour = 0;
    camera_x = camera_y = 0;
    std::snprintf(map_name, sizeof map_name, "%s", "single");
    scroll_counter = 0;
    status_text[0] = 0;
    clear_status();
    forget_last_question();
    start_map_history();
    return true;
}

// --- The panel ------------------------------------------------------------------------

// Draws a palette button and its highlight; a click selects its brush.
static void palette_button(const palette_entry_def& e)
{
    if (draw_button(e.x, e.y, e.w, e.h, e.label)) {
        palette_choice = current_tool = e.tool;
        if (e.tool == tool_grunt || e.tool == tool_footman)
            swatch_colour = team_swatch(e.tool, team_choice);
    }
    if (palette_choice != e.tool)
        return;
    draw_frame(e.x - 2, e.y - 2, e.w + 4, e.h + 4, colour_blue);
    if (e.tool != tool_grunt && e.tool != tool_footman)
        return;
    // The highlighted unit tool's team button and swatch.
    if (draw_button(150, e.y, 80, 15, "")) {
        team_choice = (team_choice + 1) % team_choices;
        swatch_colour = team_swatch(e.tool, team_choice);
    }
    fill_box(152, e.y + 2, 76, 11, swatch_colour);
}

// The panel, top to bottom; returns the file dialog clicked, if any.
static file_dialog draw_panel()
{
    file_dialog clicked = no_dialog;
    fill_box(0, 0, map_panel_width - 1, screen_height, colour_grey4);
    draw_bevel(0, 0, map_panel_width, screen_height, colour_white, colour_black);
    draw_bevel(1, 1, map_panel_width - 2, screen_height - 2, colour_grey5, colour_grey1);
    draw_overview(overview_x, overview_y);
    if (draw_button(160, 24, 70, 15, "new map"))
        clicked = dialog_new;
    if (draw_button(160, 44, 70, 15, "open map"))
        clicked = dialog_open;
    if (draw_button(160, 64, 70, 15, "save map"))
        clicked = dialog_save;
    for (const palette_entry_def& e : terrain_palette)
        palette_button(e);
    draw_text("Удаление объектов - правой кнопкой мыши"_cp, 22, 320);
    for (const palette_entry_def& e : object_palette)
        palette_button(e);
    char text[64];
    std::snprintf(text, sizeof text, "%s%d", "колличество юнитов - "_cp, static_cast<int>(unit_count));
    draw_text(text, 20, 465);
    return clicked;
}

// Runs a clicked file dialog to its end. It opens once the whole panel is
// drawn, so that its box lies over a complete picture of the editor: the
// panel of this frame, the status line and map view of the last one. A new
// map and an open first ask about unsaved changes.
static void run_dialog(file_dialog dialog)
{
    if (dialog == no_dialog)
        return;
    if (!draw_status(20, 5, last_frame_start))
        draw_text(status_text, 20, 5);
    if (dialog == dialog_new) {
        if (settle_unsaved_map("перед новой картой"_cp))
            new_map_dialog();
    } else if (dialog == dialog_open) {
        if (settle_unsaved_map("перед открытием другой карты"_cp))
            open_map_dialog();
    } else {
        save_map_dialog();
    }
}

// --- Scrolling ----------------------------------------------------------------------

static void scroll_left()
{
    if (camera_x > 0)
        --camera_x;
}

static void scroll_right()
{
    if (camera_x < map_width - view_cells)
        ++camera_x;
}

static void scroll_up()
{
    if (camera_y > 0)
        --camera_y;
}

static void scroll_down()
{
    if (camera_y < map_height - view_cells)
        ++camera_y;
}

// With the button held near the view's edges the view moves one cell every
// second frame, one direction per step; with the button up it moves one cell
// a frame while the cursor touches a screen edge.
static void apply_scroll_rules()
{
    // A pointer that left the window, or that a change of window mode moved,
    // scrolls nothing.
    if (!cursor_inside)
        return;
    int32_t s = screen_width, t = screen_height;
    if (left_down) {
        if (scroll_counter <= 1)
            return;
        if (cursor_in(map_panel_width, 0, scroll_strip, t)) {
            scroll_counter = 0;
            scroll_left();
        } else if (cursor_in(s - scroll_strip, 0, scroll_strip, t)) {
            scroll_counter = 0;
            scroll_right();
        } else if (cursor_in(map_panel_width, 0, s, scroll_strip)) {
            scroll_counter = 0;
            scroll_up();
        } else if (cursor_in(map_panel_width, t - scroll_strip, s, scroll_strip)) {
            scroll_counter = 0;
            scroll_down();
        }
        return;
    }
    if (cursor_in(0, 0, 1, t))
        scroll_left();
    if (cursor_in(s - 1, 0, 1, t))
        scroll_right();
    if (cursor_in(0, 0, s, 1))
        scroll_up();
    if (cursor_in(0, t - 1, s, 1))
        scroll_down();
}

// --- The loop -------------------------------------------------------------------------

void map_editor_loop()
{
    if (!start_editor())
        return;
    while (!quit_requested) {
        uint32_t frame_start = platform_milliseconds();
        drain_messages();
        map_history_pass();
        test_play_on_f5();
        run_dialog(draw_panel());
        draw_map_view();
        brush();
        brush();
        // The rest of the frame's 30 ms is slept, leaving the processor free.
        uint32_t elapsed = platform_milliseconds() - frame_start;
        if (elapsed < frame_time)
            platform_sleep(frame_time - elapsed);
        std::snprintf(status_text, sizeof status_text, "%s%d %s %d %s %d", "Fps-",
                      static_cast<int>(measure_fps()), "cur_x", static_cast<int>(cursor_x), "cur_y",
                      static_cast<int>(cursor_y));
        // A report of a save or an open stands in the status line's place
        // for a few seconds.
        last_frame_start = frame_start;
        if (!draw_status(20, 5, frame_start))
            draw_text(status_text, 20, 5);
        present();
        ++scroll_counter;
        apply_scroll_rules();
        // Escape ends the editor, once unsaved changes are saved or given up.
        if (platform_key_held(key_escape) && settle_unsaved_map("перед выходом"_cp))
            quit_requested = 1;
    }
    stop_map_history();
    set_overview_hook(nullptr);
    release_surface(overview_surface);
    overview_surface = nullptr;
}
