// What must hold after every pass of a configuration, as the headless
// runner checks it in monkey runs and with --check: the game's world, the
// map editor's map and unit table, the sprite editor's tables and
// selections, and no message box in any of them.
#pragma once

#include <cstdint>

// The game: check_world (game/world_check.h) over the whole world.
bool check_game_pass(char* why, int why_size);

// The map editor's model. Unlike the game it keeps no grids and may hold the
// hero's slot reserved but empty (a new map counts it in unit_count before
// the hero is placed), so it is checked on its own terms:
// - the map is 1..128 cells a side and the camera shows only map cells;
// - the brush, the highlighted palette entry and the team choice are ones
//   the palette offers;
// - slot 0 is unused, the live units fill slots 2..unit_count, and no slot
//   above unit_count holds anything; unit_count is the live units plus the
//   hero's slot when it is reserved but empty;
// - every live unit has its fields within their tables and stands inside
//   the map on an object cell that names it;
// - every object cell of the map is empty, a tree or rock of frame 1..15,
//   or a unit cell naming a live unit that stands there, and every terrain
//   cell of the map names a kind and a tile of its sheets. Cells beyond the
//   map's edges are not looked at: opening a smaller map leaves the earlier
//   map's cells there, and nothing draws, edits or saves them.
bool check_map_editor_pass(char* why, int why_size);

// The sprite editor's tables and selections: frame_count 0..1023 and
// current_frame within the frames (0..frame_count while the frame editor
// shows); every roll slot 0..1023 and every end slot 0; every sprite entry
// -1..63; current roll, slot, action and direction, total_delay, the mode,
// the keyboard group, the presets and the previews' slots within their
// ranges; the image's recorded size that of the image loaded, and the
// scroll within it.
bool check_sprite_editor_pass(char* why, int why_size);

// No message box was shown: a run from a complete data set reports nothing.
bool check_no_message_box(char* why, int why_size);
