// The .map file: loading, saving and making new maps.
#pragma once

#include <cstdint>

// A map's file is "data\map\" + name + ".map" in a 60-byte buffer, so a name
// holds at most this many characters.
constexpr int max_map_name_length = 46;

// The size in bytes of the file of a width x height map storing unit_slots
// slots: 6 + 14 * width * height + 32 * unit_slots.
int64_t map_file_size(int width, int height, int unit_slots);

// Reads data\map\<name>.map into map_width, map_height, both layers (the
// top-left width x height cells), unit_count and unit slots 1..unit_count;
// slots above unit_count are cleared. The whole file is checked first: an
// empty or over-long name, a missing or non-regular file, a wrong size, any
// value that would index outside a table or the map, and a map that
// contradicts itself (an object cell naming an empty, unstored or distant
// unit, a unit named twice or not standing on the cell that names it, two
// units on a cell, a pixel position not 32 times the cell, an active flag
// not 0 or 1, a hero outside team 1 or another unit inside it) is refused
// with false, its reason in map_refusal, and nothing changes. Empty slots
// among 2..N are closed up (units move down, their cells renumbered), so
// unit_count is 1 (the hero's slot, live or not) plus the other units.
// Called by the game loop at start ("single") and the open-map dialog.
bool load_map(const char* name);

// The check and apply step of load_map on a file already in memory: the
// same result, refusals and changes. Used by load_map, the data checker and
// the fuzz targets.
bool load_map_bytes(const uint8_t* data, int64_t size);

// Writes the current map to data\map\<name>.map. The file is built whole
// and checked as load_map checks it first, so a map the loader would refuse
// is not written (false, with the loader's reason). The old file is replaced
// only when every byte was written; false (old file intact) when the name is
// empty or too long or the file cannot be written. Called by the save-map
// dialog.
bool save_map(const char* name);

// Fills the top-left map_width x map_height terrain cells with the terrain
// kind cover, each with a random full tile of its sheet (one draw per cell,
// rows outer, columns inner), zeroes the whole object layer and the unit
// table and sets unit_count to 1 (slot 1 kept for the hero). False, nothing
// changed, for a cover that is not a terrain kind. Called by the map editor
// at start and by the new-map dialog.
bool new_map(int cover);

// Why the last load_map or save_map returned false, in plain words; "" after
// a success. The data checker prints it.
const char* map_refusal();
