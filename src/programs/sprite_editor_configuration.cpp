// The sprite editor's configuration: 1024 x 768, the sprite editor's loop.
#include "programs/configurations.h"
#include "sprite_editor/sprite_editor.h"

const configuration sprite_editor_configuration = {"sprite_editor", 1024, 768, sprite_editor_loop};
