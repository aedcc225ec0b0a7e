// The map editor's modal file dialogs: a new map of a chosen size and cover,
// and opening and saving data\map\<name>.map. Each is a loop of its own that
// draws its box over the editor's last picture and returns when a button
// ends it or quit_requested is set. Enter is their "Да" and Escape their
// "Отмена" (each pressed after the dialog opened); every save and open says
// on the status line what it did.
#pragma once

#include <cstdint>

// Chooses a width and a height (32, 64, 96 or 128 each) and a ground cover;
// "Да" makes the new map, resets the camera, rebuilds the overview and
// names the map "новая карта" (with a number when a file has that name),
// "Отмена" changes nothing. The editor calls it on a click of "new map".
void new_map_dialog();

// Edits a name (starting from map_name, at most 46 characters; a click on
// the list of the maps in data\map below the box takes one) and loads that
// map on "Да": on success map_name takes the name, the camera goes to (0, 0)
// and the overview is rebuilt; a refused file closes the dialog and changes
// nothing. The editor calls it on a click of "open map".
void open_map_dialog();

// Edits a name (starting from map_name, at most 46 characters) and saves the
// map under it on "Да"; map_name takes the name only when the save worked,
// and a failed save keeps the old file. A name of another existing file than
// the map's own is saved over only when the user says so; otherwise the
// dialog goes on. True when the map was saved. The editor calls it on a
// click of "save map", and before a question's "Сохранить".
bool save_map_dialog();
