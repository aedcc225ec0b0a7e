// The terrain painter: sets vertex kinds, keeps the order of kinds around a
// painted vertex (deep water in shallow water, shallow water next to sand,
// sand between land kinds) and picks the transition tile of every cell it
// touches. The map editor's brush calls paint_terrain; the game only reads
// the terrain layer it leaves behind.
#pragma once

#include "world/map.h"

// Vertices and cells that may be written: 1..126 on both axes. The limits
// are those of a 128 x 128 map, the size at program start, and do not follow
// the size of the current map, so on a smaller map the painter also writes
// cells beyond its right and bottom edges (they are neither drawn nor saved).
constexpr int first_editable = 1;
constexpr int last_editable = max_map_size - 2;

// True when (x, y) lies in the editable range. Used by the painter and its
// tests.
bool is_editable(int x, int y);

// Installs the function that redraws one cell's pixel of the editor's
// overview map after its kind changed; nullptr (the start value) removes it.
// Called by the map editor when it starts.
void set_overview_hook(void (*plot)(int x, int y));

// Sets the kind of cell [x][y] (the kind of its top-left vertex) and calls
// the overview hook for it, if (x, y) is editable and kind is 0..6; does
// nothing otherwise.
void set_terrain_kind(int x, int y, int kind);

// Gives cell [x][y] the tile (column, row) of the sheet of kind `sheet`, if
// (x, y) is editable and the tile exists (column 0..3, row 0..4, sheet
// 0..6); does nothing otherwise.
void set_tile(int x, int y, int column, int row, int sheet);

// Sets vertex (x, y) to `kind` and re-tiles the four cells that meet at it
// from that kind's sheet, each by which of its corners now hold the kind.
// Does nothing for a vertex outside the editable range or a kind outside
// 0..6. Full tiles take a random column, drawn above-right, below-right,
// below-left, above-left, one draw per full cell.
void paint_vertex(int x, int y, int kind);

// Turns vertex (x, y) into shallow water with full tiles around it, then
// redraws deep water and sand neighbours over it. Nothing outside the
// editable range.
void make_shallow(int x, int y);

// Turns vertex (x, y) into sand with full tiles around it, then redraws land
// neighbours other than `keep` over it. Nothing outside the editable range.
void make_sand(int x, int y, int keep);

// Makes sand of every land neighbour of (x, y) whose kind is not `keep`.
// Nothing for (x, y) outside the editable range.
void land_to_sand_around(int x, int y, int keep);

// Makes shallow water of every deep-water neighbour of (x, y); then, if
// (x, y) itself is shallow water, paints it sand. Nothing for (x, y) outside
// the editable range.
void deep_to_shallow_around(int x, int y);

// The brush: paints terrain kind `tool` (0..6) at vertex (x, y), converting
// the vertices around it as the kind requires. A vertex outside the editable
// range keeps its kind, but editable neighbours may still be converted; a
// tool outside 0..6 does nothing. Called by the map editor, twice a frame
// while the left button is held over the map view.
void paint_terrain(int x, int y, int tool);
