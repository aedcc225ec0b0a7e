// The headless runner's summary lines of the map editor and the sprite
// editor, printed after the common lines (README.md, "Summary").
#pragma once

#include <cstdio>

// The map editor's lines: the map it ends with (size, name, units, objects,
// layers hash), then the status line's last report, the last question and
// its answer, and the undo history's steps.
void print_map_editor_summary(FILE* out);

// The sprite editor's lines: mode, frames, selections, filled slots and
// entries, the tables hash, then the same three lines as the map editor's.
void print_sprite_editor_summary(FILE* out);
