// The map editor's undo history and unsaved changes: strokes as steps of
// the history, Ctrl+Z and Ctrl+Y, the file the map belongs to, and the
// question before unsaved changes are discarded.
#pragma once

// Starts the history over the map as it stands (both layers, the unit table
// and unit_count), with nothing unsaved and no file. The loop calls it once
// the start-up map is made.
void start_map_history();

// Stops watching the map. The loop calls it as it ends.
void stop_map_history();

// One pass of the history, called by the loop right after drain_messages:
// with no mouse button held, what the last stroke changed becomes one step
// (a stroke is one press of a button to its release: a line of terrain, a
// tree, a unit placed, objects deleted); Ctrl+Z undoes the last step and
// Ctrl+Y (or Ctrl+Shift+Z) redoes it, the overview following the terrain.
void map_history_pass();

// A new map was made (file "") or a map loaded from data\map\<file>.map:
// the history starts afresh there, with nothing unsaved. The new and open
// dialogs call it.
void map_replaced(const char* file);

// The map was saved to data\map\<file>.map: nothing is unsaved now, and
// that file is the map's own. The save dialog calls it.
void map_saved(const char* file);

// True when the map holds changes made since it was made, loaded or saved
// (a change undone back to that state is none).
bool map_has_unsaved_changes();

// The name of the file the map was loaded from or saved to last, "" for a
// map that has none yet (the start-up map, a new map). The save dialog asks
// before replacing any other existing file.
const char* map_file_name();

// Before the map is discarded (for purpose: "перед выходом" and the like):
// with unsaved changes, asks whether to save them first. True when the
// caller may go on: nothing was unsaved, the user chose not to save, or the
// save dialog saved the map; false when the user cancelled (or the save
// did not happen). The loop calls it for Escape, "new map" and "open map".
bool settle_unsaved_map(const char* purpose);
