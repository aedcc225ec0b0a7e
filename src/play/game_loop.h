// The game's main loop: the start-up that loads everything the game needs and
// its map ("single" unless another was chosen), then one frame per pass (the player's order for the hero,
// every unit's behaviour, the world, the heads-up panel, edge scrolling, the
// end-of-game line, the copy to the screen) until Escape.
#pragma once

#include <cstdint>

#include "world/map.h"

// The heads-up panel along the bottom of the screen.
constexpr int32_t panel_height = 80;
// Raw 5:6:5 shades of the panel: its face and its shadow.
constexpr int32_t panel_fill = 0x2967;
constexpr int32_t panel_shadow = 0x4A8C;

// The camera keeps these columns and rows of the map free on the right and
// at the bottom, and never goes left of column 1 or above row 1.
constexpr int32_t camera_lowest = 1;
constexpr int32_t camera_free_columns = 26;
constexpr int32_t camera_free_rows = 19;
// The camera, centred, puts the hero this many cells from its corner.
constexpr int32_t centre_columns = 12;
constexpr int32_t centre_rows = 10;
// The edges scroll one cell in every fifth frame: when the counter taken is
// above this.
constexpr int32_t scroll_period = 3;

// Image slot of the hero's portrait, data\images\vesk.bmp; -1 until loaded.
extern int32_t portrait_slot;
// Sound slot of the looping music; -1 until loaded.
extern int32_t music_slot;
// Frames since the edges last scrolled.
extern int32_t scroll_counter;
// The lowest nonzero frame rate seen so far; 1000 until the first.
extern int32_t min_fps;

// The map the game plays, data\map\<game_map>.map, in code page 1251:
// "single" unless set_game_map chose another.
extern char game_map[map_name_size];

// Chooses the map the game plays: a name of 1..46 code page 1251 bytes, as
// a map file's name holds, without a path separator ('/' or '\') or a
// control character. False, the choice unchanged, for any other. The
// headless runner (--map) calls it before the entry.
bool set_game_map(const char* name);
// The same from UTF-8 text (a command line): false as well when a
// character has no code page 1251 byte or the text is not UTF-8. main()
// (the game's NAME) and the headless runner call it.
bool set_game_map_utf8(const char* name);

// The main loop of the game configuration: start_game, then game_frame
// until quit_requested is set. Run by the entry after the display, the sound
// and the font are up.
void game_loop();

// The start-up steps in order: tile sheets and tree image ("загрузке
// растра" through fatal_error when one does not load), portrait, tree
// frames, music, the five effects, music started, unit sprites, the map
// game_map ("загрузке карты" with the file and the loader's reason), the
// grids, the camera on the hero. False when a step failed, each after its
// fatal report (the sound and sprite loaders make their own); the loop then
// returns. A missing tree frame file only leaves the trees undrawn. Called
// by game_loop.
bool start_game();

// One frame: messages, the player's order, update_units, draw_world, the
// panel, edge scrolling, the end-of-game line, present, Escape. The keys of
// the comforts (comforts.h) are read after the messages; what they show is
// drawn, and what they stop is stopped, only once one was used. Called by
// game_loop.
void game_frame();

// The player's order while the right button is held: an attack order on a
// unit of another team under the cursor, otherwise a move order to the
// nearest free cell; then right_down is cleared, so a press gives one order.
// A hero that is gone or dying takes no orders. Called by game_frame.
void give_order();

// Draws the heads-up panel: portrait button (a click on it centres the
// camera on the hero), health bar, the five lines of the hero's values, the
// sunken text box and the frame-rate line. Called by game_frame.
void draw_panel();

// Moves the camera one cell towards each screen edge the cursor touches, in
// every fifth frame and only while the left button is up and the pointer is
// over the picture (cursor_inside). Called by game_frame.
void scroll_at_edges();

// The aim of the game while it goes on, "Вы Победили !" when the hero is
// the last live unit, "Вы Проиграли !" once it is gone. Called by game_frame.
void draw_end_line();

// Puts the hero 12 columns and 10 rows from the camera's corner, clamped.
void centre_camera();

// Keeps the camera within columns 1 .. map_width - 26 and rows
// 1 .. map_height - 19 (the upper limit wins on a map too small for both).
void clamp_camera();
