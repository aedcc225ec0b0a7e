// The three build configurations of the program and the main loop each runs.
#pragma once

#include "shell/entry.h"

extern const configuration game_configuration;
extern const configuration map_editor_configuration;
extern const configuration sprite_editor_configuration;

// The configuration of that name; nullptr for an unknown name. The headless
// runner calls it.
const configuration* find_configuration(const char* name);
