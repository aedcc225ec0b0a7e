// The table of the three build configurations, for the headless runner
// (each configuration is defined in a file of its own, so that a program
// links only its own loop).
#include <cstring>

#include "programs/configurations.h"

const configuration* find_configuration(const char* name)
{
    const configuration* all[] = {&game_configuration, &map_editor_configuration, &sprite_editor_configuration};
    for (const configuration* c : all)
        if (std::strcmp(c->name, name) == 0) return c;
    return nullptr;
}
