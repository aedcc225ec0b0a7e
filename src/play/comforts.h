// The game's comforts beyond its own controls, each on a key the game does
// not otherwise use: F1 the help overlay, P or Pause a pause, + and - the
// game's speed, F12 a screenshot, M the music, Tab the overview map. None
// shows until its key is used, and a game in which none is used runs
// exactly its own frames at its own pace.
#pragma once

#include <cstdint>

// The speeds + and - step through, slowest first: a quarter to four times
// the normal 100 passes a second. The speed is the pace of the passes, not
// the rules: a game replays the same at any speed.
constexpr int32_t speed_step_count = 8;
constexpr int32_t normal_speed_step = 3;

// What the keys have turned on.
extern bool help_shown;       // F1: the help overlay; the world stands
extern bool game_paused;      // P or Pause: the world stands, a line says so
extern bool overview_shown;   // Tab: the overview map over the world
extern bool music_muted;      // M: the music plays silent
extern int32_t speed_step;    // + and -: 0 .. speed_step_count - 1

// All off, the normal speed, the music audible. Called by start_game.
void reset_comforts();

// Reads the comforts' keys once a pass and acts on each press (a key held
// down acts once): toggles the help, the pause, the overview and the
// music, steps the speed, asks for a screenshot. Called by game_frame after
// drain_messages.
void read_comfort_keys();

// True while anything of the comforts shows or acts: an overlay, the pause,
// a speed other than the normal one, a screenshot asked for, a notice
// still shown. game_frame calls the two steps below only then.
bool comforts_in_use();

// True while the world stands: paused, or the help shown. game_frame then
// skips update_units, and orders are not taken.
bool world_stands();

// Input that the comforts take before the game sees it: no orders while
// the world stands, and the overview's presses. Called by game_frame
// before give_order.
void take_comfort_input();

// Draws what the comforts show over the frame (the overview, the help or
// the pause line, the speed), then saves the screenshot asked for, then
// draws the notice of the last key (a screenshot never shows its own
// notice). Called by game_frame before present.
void draw_comforts();

// The normal pace and the music's volume given back as the game ends.
// Called by game_loop after its last frame.
void end_comforts();

// The notice shown now ("" when none): the last key's effect, shown for
// three seconds of the game's pace.
const char* comfort_notice();
