// The three build configurations and the main loop each runs.
#include <cstring>

#include "map_editor/map_editor.h"
#include "play/game_loop.h"
#include "programs/configurations.h"
#include "sprite_editor/sprite_editor.h"

const configuration game_configuration = {"game", 800, 600, game_loop};
const configuration map_editor_configuration = {"map_editor", 1024, 768, map_editor_loop};
const configuration sprite_editor_configuration = {"sprite_editor", 1024, 768, sprite_editor_loop};

const configuration* find_configuration(const char* name)
{
    const configuration* all[] = {&game_configuration, &map_editor_configuration, &sprite_editor_configuration};
    for (const configuration* c : all)
        if (std::strcmp(c->name, name) == 0) return c;
    return nullptr;
}
