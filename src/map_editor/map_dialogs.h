// The map editor's modal file dialogs: a new map of a chosen size and cover,
// and opening and saving data\map\<name>.map. Each is a loop of its own that
// draws its box over the editor's last picture and returns when a button
// ends it or quit_requested is set.
#pragma once

#include <cstdint>

// Chooses a width and a height (32, 64, 96 or 128 each) and a ground cover;
// "Да" makes the new map, resets the camera and rebuilds the overview,
// "Отмена" changes nothing. The editor calls it on a click of "new map".
void new_map_dialog();

// Edits a name (starting from map_name, at most 46 characters) and loads
// that map on "Да": on success map_name takes the name, the camera goes to
// (0, 0) and the overview is rebuilt; a refused file closes the dialog and
// changes nothing. The editor calls it on a click of "open map".
void open_map_dialog();

// Edits a name (starting from map_name, at most 46 characters) and saves the
// map under it on "Да"; map_name takes the name only when the save worked,
// and a failed save keeps the old file. The editor calls it on a click of
// "save map".
void save_map_dialog();
